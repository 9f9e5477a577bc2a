#include "database/file_check.hpp"

#include <limits.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <vector>

#include "database/connection.hpp"
#include "database/schema.hpp"
#include "runtime/error.hpp"
#include "runtime/variant.hpp"

namespace database {

namespace {

namespace fs = std::filesystem;

constexpr char kHeader[] = "SQLite format 3";  // followed by a zero byte: 16 bytes in all

std::string folder_of(const std::string& path) {
  fs::path parent = fs::path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

bool path_too_long(const std::string& path) {
  if (path.size() >= PATH_MAX) return true;
  for (const auto& part : fs::path(path))
    if (part.string().size() > NAME_MAX) return true;
  return false;
}

// The calendar's own tables; a database without them is another program's.
bool has_calendar_tables(sqlite3* db) {
  const char* sql =
      "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name IN "
      "('PD4G_CALENDATT', 'PD4H_ALLRISPROG', 'PD0G_DISBAPROG', 'PD0H_LEGDISBAPROG')";
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return false;
  bool all = sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_int(stmt, 0) == 4;
  sqlite3_finalize(stmt);
  return all;
}

// The version CALENDATT_INFO holds; 1 without it.
int stored_version(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT \"value\" FROM CALENDATT_INFO WHERE \"key\" = 'schema_version'", -1,
                         &stmt, nullptr) != SQLITE_OK)
    return 1;
  int version = 1;
  if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL)
    version = sqlite3_column_int(stmt, 0);
  sqlite3_finalize(stmt);
  return version;
}

}  // namespace

std::string describe_version(int version, const std::string& target, const std::string& language) {
  const bool it = language == "it";
  const std::string v = std::to_string(version), mine = std::to_string(kSchemaVersion);
  if (version == kSchemaVersion || version == 0) return {};
  if (version < kSchemaVersion)
    return it ? "il database " + target + " ha la versione " + v + " dello schema, questo programma usa la " +
                    mine + ": lo aggiorna, conservando ogni riga, calendatt init --db " + target
              : "the database " + target + " has schema version " + v + " and this program uses " + mine +
                    ": upgrade it, keeping every row, with calendatt init --db " + target;
  return it ? "il database " + target + " ha la versione " + v + " dello schema, più recente della " + mine +
                  " di questo programma: usare un calendatt più recente; il database non è stato cambiato"
            : "the database " + target + " has schema version " + v + ", newer than this program's " + mine +
                  ": use a newer calendatt; the database was not changed";
}

std::optional<int> target_schema_version(const std::string& target) {
  try {
    auto connection = open_target(target, false);
    const int version = schema_version(*connection);
    connection->Close();
    return version;
  } catch (const runtime::Error&) {
    return std::nullopt;
  }
}

bool has_sqlite_header(const std::string& path) {
  // Read through SQLite's own file layer, not with a descriptor of our own: the locks on a file belong to
  // the process, and closing any descriptor of the file drops those that the open connections of this
  // process hold. Another process would then take the database for unused when it closes, and remove
  // its log from under them. SQLite keeps such a descriptor open until the locks go.
  sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
  if (!vfs) return false;
  std::vector<char> full(static_cast<std::size_t>(vfs->mxPathname) + 1);
  // A path through a symbolic link is resolved to the file it names, which the answer tells apart.
  if ((vfs->xFullPathname(vfs, path.c_str(), vfs->mxPathname + 1, full.data()) & 0xFF) != SQLITE_OK)
    return false;
  std::vector<std::max_align_t> storage(static_cast<std::size_t>(vfs->szOsFile) / sizeof(std::max_align_t) +
                                        1);
  auto* file = reinterpret_cast<sqlite3_file*>(storage.data());
  file->pMethods = nullptr;
  int flags = 0;
  int rc = vfs->xOpen(vfs, full.data(), file, SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_READONLY, &flags);
  char buffer[sizeof kHeader] = {};
  if (rc == SQLITE_OK) rc = file->pMethods->xRead(file, buffer, sizeof buffer, 0);
  if (file->pMethods) file->pMethods->xClose(file);
  return rc == SQLITE_OK && std::memcmp(buffer, kHeader, sizeof kHeader) == 0;
}

bool read_only_location(const std::string& path) {
  return ::access(path.c_str(), W_OK) != 0 || ::access(folder_of(path).c_str(), W_OK | X_OK) != 0;
}

namespace {

// A file name written as a URI path: every byte that has a meaning in a URI is escaped.
std::string uri_of(const std::string& path) {
  return "file:" + runtime::percent_encode(fs::absolute(path).string(), "/-_.~");
}

int readable(sqlite3* db, std::string& error) {
  sqlite3_stmt* probe = nullptr;
  int rc = sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM sqlite_master", -1, &probe, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(probe);
    if (rc == SQLITE_ROW) rc = SQLITE_OK;
  }
  if (rc != SQLITE_OK) error = sqlite3_errmsg(db);
  sqlite3_finalize(probe);
  return rc;
}

}  // namespace

int open_read_only(const std::string& path, sqlite3** db, std::string& error) {
  *db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  // Another user may be writing: wait for the lock as a connection does, instead of calling the file
  // unreadable.
  if (rc == SQLITE_OK) sqlite3_busy_timeout(*db, 5000);
  if (rc == SQLITE_OK) rc = readable(*db, error);
  if (rc == SQLITE_OK) return rc;
  if (*db && error.empty()) error = sqlite3_errmsg(*db);
  if (!*db && error.empty()) error = sqlite3_errstr(rc);
  sqlite3_close_v2(*db);
  *db = nullptr;
  if ((rc & 0xFF) != SQLITE_READONLY && (rc & 0xFF) != SQLITE_CANTOPEN) return rc;
  std::string unused;
  int second = sqlite3_open_v2((uri_of(path) + "?immutable=1").c_str(), db,
                               SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
  if (second == SQLITE_OK) sqlite3_busy_timeout(*db, 5000);
  if (second == SQLITE_OK) second = readable(*db, unused);
  if (second == SQLITE_OK) {
    error.clear();
    return second;
  }
  sqlite3_close_v2(*db);
  *db = nullptr;
  return rc;
}

FileCheck check_calendar_file(const std::string& path) {
  FileCheck check;
  check.path = path;
  auto fail = [&](FileState state, const std::string& detail = std::string()) {
    check.state = state;
    check.detail = detail;
    check.message = describe(check, "en");
    return check;
  };
  if (path.empty() || path.find('\0') != std::string::npos) return fail(FileState::kBadPath);
  if (path_too_long(path)) {
    check.too_long = true;
    return fail(FileState::kBadPath);
  }
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
    return fail(FileState::kUnreadable, ec.message());
  if (!fs::exists(status)) {
    // A link to nothing is not a free name: creating through it would put the database wherever the
    // link happens to point.
    if (fs::is_symlink(fs::symlink_status(path, ec)))
      return fail(FileState::kDanglingLink, fs::read_symlink(path, ec).string());
    return fail(FileState::kMissing);
  }
  if (!fs::is_regular_file(status)) return fail(FileState::kNotAFile);
  if (::access(path.c_str(), R_OK) != 0) return fail(FileState::kUnreadable);
  auto size = fs::file_size(path, ec);
  if (ec) return fail(FileState::kUnreadable, ec.message());
  if (size == 0) return fail(FileState::kEmpty);
  if (!has_sqlite_header(path)) return fail(FileState::kNotSqlite);

  check.read_only = read_only_location(path);
  // Read-only: looking must not change the file.
  sqlite3* db = nullptr;
  std::string error_text;
  int rc = open_read_only(path, &db, error_text);
  if (rc != SQLITE_OK) return fail(FileState::kDamaged, error_text);
  bool tables = has_calendar_tables(db);
  const int version = tables ? stored_version(db) : 0;
  sqlite3_close_v2(db);
  if (!tables) return fail(FileState::kNoTables);
  if (version != kSchemaVersion) {
    check.version = version;
    return fail(version < kSchemaVersion ? FileState::kOlder : FileState::kNewer);
  }
  check.state = FileState::kCalendar;
  return check;
}

std::string describe(const FileCheck& check, const std::string& language) {
  const bool it = language == "it";
  const std::string& p = check.path;
  auto with_detail = [&](std::string text) {
    return check.detail.empty() ? text : text + ": " + check.detail;
  };
  switch (check.state) {
    case FileState::kCalendar:
      return {};
    case FileState::kBadPath:
      if (p.empty()) return it ? "non è stato indicato alcun file di database" : "no database file was given";
      if (check.too_long)
        return it ? "il percorso del database è troppo lungo per questo sistema"
                  : "the database path is too long for this system";
      return it ? "il percorso del database non è un nome" : "the database path is not a name";
    case FileState::kMissing:
      return it ? "nessun database in " + p + " (lo crea: calendatt init --db " + p + " --demo)"
                : "no database at " + p + " (create it with: calendatt init --db " + p + " --demo)";
    case FileState::kDanglingLink:
      return it ? p + " è un collegamento simbolico a " + check.detail +
                      ", che non esiste; nulla viene creato attraverso di esso"
                : p + " is a symbolic link to " + check.detail +
                      ", which does not exist; nothing is created through it";
    case FileState::kNotAFile: {
      std::error_code ec;
      if (fs::is_directory(p, ec))
        return it ? p + " è una cartella, non un file di database" : p + " is a folder, not a database file";
      return it ? p + " non è un file regolare" : p + " is not a regular file";
    }
    case FileState::kUnreadable:
      if (check.detail.empty())
        return it ? "il database " + p + " non può essere letto: permesso negato"
                  : "the database " + p + " cannot be read: permission denied";
      return with_detail(it ? "impossibile leggere il database " + p : "cannot read the database " + p);
    case FileState::kEmpty:
      return it ? p + " è un file vuoto, non un database del calendario; è stato lasciato com'è"
                : p + " is an empty file, not a calendar database; it was left as it is";
    case FileState::kNotSqlite:
      return it ? p + " non è un database del calendario (non è un file SQLite); è stato lasciato com'è"
                : p + " is not a calendar database (not a SQLite file); it was left as it is";
    case FileState::kNoTables:
      return it ? p +
                      " è un database SQLite senza le tabelle del calendario (le aggiunge: calendatt init "
                      "--db " +
                      p + ")"
                : p +
                      " is a SQLite database without the calendar's tables (add them with: calendatt init "
                      "--db " +
                      p + ")";
    case FileState::kOlder:
    case FileState::kNewer:
      return describe_version(check.version, p, language);
    case FileState::kDamaged:
      return with_detail(it ? "il database " + p + " non può essere letto"
                            : "the database " + p + " cannot be read");
  }
  return {};
}

}  // namespace database
