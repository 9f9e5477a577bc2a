#pragma once
// Shared by the benchmark programs: the demo database in a scratch directory, a million more calendar days
// of company 1 written once through a plain SQLite handle in one transaction, and the module shown by the
// headless host on that file, as the host shows it.

#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "calendar_window/frmpd_calendatt.hpp"
#include "common/mdlpd_calendatt.hpp"
#include "database/demo.hpp"
#include "database/schema.hpp"
#include "database/sqlite_connection.hpp"
#include "module/clspd_calendatt.hpp"
#include "runtime/date.hpp"
#include "standin/host_setup.hpp"

namespace calendatt::bench {

// The other days: links 5000..5999 on nodes 3000..3099 (ten links a node), 1000 consecutive days each,
// the links' first days spread over 2020..2024 in eight steps of 250 days.
inline constexpr int kOtherLinks = 1000;
inline constexpr int kDaysPerLink = 1000;
inline constexpr int kFirstOtherLink = 5000;
inline constexpr int kFirstOtherNode = 3000;
inline constexpr int kLinksPerNode = 10;

using Day = std::chrono::sys_days;

inline Day iso_day(int year, unsigned month, unsigned day) {
  return Day{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}};
}

// 'YYYY-MM-DD', as stored.
inline std::string iso_text(Day d) {
  std::chrono::year_month_day ymd{d};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  return text;
}

// 'DD/MM/YYYY', as a person types it in a date field (the host's short date form).
inline std::string typed_text(Day d) {
  std::chrono::year_month_day ymd{d};
  char text[16];
  std::snprintf(text, sizeof text, "%02u/%02u/%04d", static_cast<unsigned>(ymd.day()),
                static_cast<unsigned>(ymd.month()), static_cast<int>(ymd.year()));
  return text;
}

// A plain handle on the file, with the connection settings of the database layer.
class RawHandle {
 public:
  explicit RawHandle(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      sqlite3_close_v2(db_);
      throw std::runtime_error("cannot open " + path);
    }
    sqlite3_busy_timeout(db_, 5000);
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=FULL");
  }
  ~RawHandle() { sqlite3_close_v2(db_); }
  RawHandle(const RawHandle&) = delete;
  RawHandle& operator=(const RawHandle&) = delete;

  sqlite3* get() const { return db_; }

  void check(int rc, const std::string& what) const {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
      throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + what.substr(0, 200));
  }

  void exec(const std::string& sql) const {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      std::string text = message ? message : "?";
      sqlite3_free(message);
      throw std::runtime_error(text + " in: " + sql.substr(0, 200));
    }
  }

  // Prepares, steps through every row and finalizes; returns the row count.
  std::int64_t run(const std::string& sql) const {
    sqlite3_stmt* stmt = nullptr;
    check(sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr), sql);
    std::int64_t rows = 0;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) ++rows;
    sqlite3_finalize(stmt);
    check(rc, sql);
    return rows;
  }

  // The first column of the first row as a number (0 when there is no row).
  std::int64_t number(const std::string& sql) const {
    sqlite3_stmt* stmt = nullptr;
    check(sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr), sql);
    std::int64_t value = 0;
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    check(rc, sql);
    return value;
  }

  // The details of EXPLAIN QUERY PLAN, one line per step.
  std::string plan(const std::string& sql) const {
    std::string out;
    sqlite3_stmt* stmt = nullptr;
    std::string text = "EXPLAIN QUERY PLAN " + sql;
    check(sqlite3_prepare_v2(db_, text.c_str(), -1, &stmt, nullptr), text);
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      out += "  ";
      out += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3));
      out += "\n";
    }
    sqlite3_finalize(stmt);
    check(rc, text);
    return out;
  }

 private:
  sqlite3* db_ = nullptr;
};

// The demo database with the million other days, in a directory removed with the object.
class MillionDays {
 public:
  MillionDays() {
    std::string pattern = (std::filesystem::temp_directory_path() / "calendatt-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    dir_ = pattern;
    path_ = (dir_ / "calendar.db").string();
    {
      auto connection = database::open_or_create(path_);
      database::ensure_schema(*connection);
      database::insert_demo_data(*connection);
      connection->Close();
    }
    raw_ = std::make_unique<RawHandle>(path_);
    write_other_days();
  }
  ~MillionDays() {
    raw_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  MillionDays(const MillionDays&) = delete;
  MillionDays& operator=(const MillionDays&) = delete;

  const std::string& path() const { return path_; }
  const RawHandle& raw() const { return *raw_; }

 private:
  void write_other_days() {
    const RawHandle& db = *raw_;
    db.exec("BEGIN");
    for (int n = 0; n < kOtherLinks / kLinksPerNode; ++n) {
      char code[16];
      std::snprintf(code, sizeof code, "X%03d", n);
      db.exec("INSERT INTO PD0C_NODI (PD0C_DITTA_CG18, PD0C_CODNODO, PD0C_DESCRIZIONE) VALUES (1, '" +
              std::string(code) + "', 'Nodo di carico')");
      db.exec(
          "INSERT INTO PD0G_DISBAPROG (PD0G_IDDISBAPROG, PD0G_DITTA_CG18, PD0G_CODPROG_PD68, "
          "PD0G_CODNODO_PD0C) VALUES (" +
          std::to_string(kFirstOtherNode + n) + ", 1, 'PRJ001', '" + code + "')");
    }
    for (int a = 0; a < kLinksPerNode; ++a) {
      db.exec(
          "INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE) VALUES (1, "
          "'A00" +
          std::to_string(a) + "', 'Attività di carico')");
    }
    sqlite3_stmt* link = nullptr;
    const char* link_sql =
        "INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, "
        "PD0H_DATAINIZPIAN, PD0H_DATAFINPIAN) VALUES (?1, ?2, ?3, ?4, ?5)";
    db.check(sqlite3_prepare_v2(db.get(), link_sql, -1, &link, nullptr), link_sql);
    sqlite3_stmt* day = nullptr;
    const char* day_sql =
        "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
        "PD4G_DATAATTIVITA, PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO, "
        "PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE, PD4G_DURATAORE, PD4G_DURATAMINUTI) "
        "VALUES (1, ?1, ?2, ?3, ?4, ?5, ?6, 0, 0, 8, 0, 8, 0)";
    db.check(sqlite3_prepare_v2(db.get(), day_sql, -1, &day, nullptr), day_sql);
    const Day origin = iso_day(2020, 1, 1);
    for (int l = 0; l < kOtherLinks; ++l) {
      const int link_id = kFirstOtherLink + l;
      const int node_id = kFirstOtherNode + l / kLinksPerNode;
      const Day first = origin + std::chrono::days{(l % 8) * 250};
      const std::string activity = "A00" + std::to_string(l % kLinksPerNode);
      const std::string start = iso_text(first);
      const std::string end = iso_text(first + std::chrono::days{kDaysPerLink - 1});
      sqlite3_bind_int(link, 1, link_id);
      sqlite3_bind_int(link, 2, node_id);
      sqlite3_bind_text(link, 3, activity.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(link, 4, start.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(link, 5, end.c_str(), -1, SQLITE_TRANSIENT);
      db.check(sqlite3_step(link), link_sql);
      sqlite3_reset(link);
      for (int i = 0; i < kDaysPerLink; ++i) {
        const Day d = first + std::chrono::days{i};
        const std::chrono::year_month_day ymd{d};
        const std::string iso = iso_text(d);
        sqlite3_bind_int(day, 1, node_id);
        sqlite3_bind_int(day, 2, link_id);
        sqlite3_bind_text(day, 3, iso.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(day, 4, static_cast<int>(ymd.year()));
        sqlite3_bind_int(day, 5, static_cast<int>(static_cast<unsigned>(ymd.month())));
        sqlite3_bind_int(day, 6, static_cast<int>(static_cast<unsigned>(ymd.day())));
        db.check(sqlite3_step(day), day_sql);
        sqlite3_reset(day);
      }
    }
    sqlite3_finalize(link);
    sqlite3_finalize(day);
    db.exec("COMMIT");
    db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
  }

  std::filesystem::path dir_;
  std::string path_;
  std::unique_ptr<RawHandle> raw_;
};

// The module created by the headless host on the file, with a responder that answers as scripted.
class ModuleSession {
 public:
  explicit ModuleSession(const std::string& path) {
    MDLPD_CALENDATT::reset();
    standin::HostSettings settings;
    settings.connection_string = "Provider=SQLite;Data Source=" + path;
    settings.company = database::demo::kCompany;
    env_ = std::make_unique<standin::HostEnvironment>(settings, responder_);
    env_->register_classes();
    module_ = env_->create_module();
    class_ = std::dynamic_pointer_cast<CLSPD_CALENDATT>(module_);
    if (!class_) throw std::runtime_error("the module is not the calendar class");
  }
  ~ModuleSession() {
    // A row still being entered would make the close ask for it to be saved; it is cancelled.
    if (class_->window() && class_->window()->frame()) class_->window()->frame()->CancelEdit();
    if (class_->window()) module_->Cinterface_CloseForm();
    main_.reset();
    class_.reset();
    module_.reset();
    env_.reset();
    MDLPD_CALENDATT::reset();
  }
  ModuleSession(const ModuleSession&) = delete;
  ModuleSession& operator=(const ModuleSession&) = delete;

  // Called mode: the host opens the calendar on one activity, with its codes, ids and planning period.
  void call_for(const std::string& project, const std::string& node, const std::string& activity,
                double node_id, double link_id, Day start, Day end) {
    module_->let_Cinterface_IsCalled(true);
    class_->set_pCodProgetto(project);
    class_->set_pCodNodo(node);
    class_->set_pCodAttivita(activity);
    class_->set_pIDDisBaProgWBS(node_id);
    class_->set_pIDLegameWBS(link_id);
    class_->set_pDataInizioWBS(runtime::date_text(*runtime::parse_date(iso_text(start))));
    class_->set_pDataFineWBS(*runtime::parse_date(iso_text(end)));
  }

  // Shows the calendar window (modeless) and returns its site.
  standin::HeadlessFormSite& open_main() {
    module_->Cinterface_ShowForm();
    main_ = env_->forms()->site("FRMPD_CALENDATT");
    if (!main_) throw std::runtime_error("the calendar window did not open");
    return *main_;
  }

  // Queues what the person does in a dialog the next time it shows.
  void in_dialog(const char* name, std::function<void(standin::HeadlessFormSite&)> action) {
    env_->forms()->script(name, std::move(action));
  }

  // Presses a toolbar button of the calendar window.
  void press(const char* button) {
    if (!main_->button(button)->click()) throw std::runtime_error(std::string("cannot press ") + button);
  }

  // Throws when the host recorded a failure, an error report or a box nobody answered.
  void expect_clean(const char* what) const {
    if (!env_->forms()->failures().empty())
      throw std::runtime_error(std::string(what) + ": " + env_->forms()->failures().front());
    if (!responder_.reports().empty())
      throw std::runtime_error(std::string(what) + ": an error was reported");
    if (!responder_.unanswered().empty())
      throw std::runtime_error(std::string(what) + ": " + responder_.unanswered().front());
  }

  standin::ScriptedResponder& responder() { return responder_; }
  FRMPD_CALENDATT& window() const {
    auto w = class_->window();
    if (!w) throw std::runtime_error("the calendar window was never created");
    return *w;
  }

 private:
  standin::ScriptedResponder responder_;
  std::unique_ptr<standin::HostEnvironment> env_;
  std::shared_ptr<host::Cinterface> module_;
  std::shared_ptr<CLSPD_CALENDATT> class_;
  std::shared_ptr<standin::HeadlessFormSite> main_;
};

// What the person does in the dialogs: types into a field; throws when the field refuses the text.
inline void type_into(standin::HeadlessFormSite& s, const char* field, const std::string& text, char kind) {
  bool ok = kind == 'd'   ? s.date(field)->type(text)
            : kind == 'n' ? s.numeric(field)->type(text)
                          : s.code(field)->type(text);
  if (!ok) throw std::runtime_error(std::string("the field refused the text: ") + field);
}

}  // namespace calendatt::bench
