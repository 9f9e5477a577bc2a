#include "database/sqlite_connection.hpp"

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "database/dialect.hpp"
#include "database/engine_recordset.hpp"
#include "database/file_check.hpp"
#include "database/journal.hpp"
#include "database/rehearsal.hpp"
#include "database/sql_tokens.hpp"
#include "database/statement_guard.hpp"
#include "database/statement_observer.hpp"
#include "runtime/error.hpp"

namespace database {
namespace {

constexpr const char* kSource = "SQLite provider";

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string unquote(std::string s) {
  s = runtime::trim(s);
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
    s = s.substr(1, s.size() - 2);
  return s;
}

struct Target {
  std::string provider;
  std::string path;
};

// "Key=Value;Key=Value" with keys in any case and values optionally quoted; a text without '=' is a path.
Target parse_connection_string(const std::string& text) {
  Target target;
  if (text.find('=') == std::string::npos) {
    target.path = unquote(text);
    return target;
  }
  std::vector<std::string> parts(1);
  char quote = '\0';
  for (char c : text) {
    if (quote != '\0') {
      if (c == quote) quote = '\0';
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      parts.emplace_back();
      continue;
    }
    parts.back() += c;
  }
  for (const std::string& part : parts) {
    std::size_t eq = part.find('=');
    if (eq == std::string::npos) continue;
    std::string key = lower(runtime::trim(part.substr(0, eq)));
    std::string value = unquote(part.substr(eq + 1));
    if (key == "provider") {
      target.provider = value;
    } else if (key == "data source" || key == "datasource" || key == "database") {
      target.path = value;
    }
  }
  return target;
}

// True when only blanks, comments and at most one ';' follow the first statement.
bool only_end_of_statement(const char* p, const char* end) {
  bool semicolon = false;
  while (p < end) {
    char c = *p;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
      ++p;
    } else if (c == ';' && !semicolon) {
      semicolon = true;
      ++p;
    } else if (c == '-' && p + 1 < end && p[1] == '-') {
      while (p < end && *p != '\n') ++p;
    } else if (c == '/' && p + 1 < end && p[1] == '*') {
      p += 2;
      while (p < end && !(p[0] == '*' && p + 1 < end && p[1] == '/')) ++p;
      p = p < end ? p + 2 : end;
    } else {
      return false;
    }
  }
  return true;
}

std::string text_or_empty(const char* s) {
  return s ? s : "";
}

// With CALENDATT_SQL_TRACE naming a file, every statement the engine runs is appended to it, its
// parameters in place, each ending with ";" on a line of its own: the benchmarks replay them through the
// engine's own shell. A trigger's program is announced as a comment and, when it returns, the statement
// that fired it again, once per row: neither is written.
struct StatementTrace {
  std::FILE* file = nullptr;
  void* fired = nullptr;  // the statement whose trigger program runs
};

int write_statement(unsigned, void* context, void* statement, void* unexpanded) {
  auto* trace = static_cast<StatementTrace*>(context);
  const char* sql = static_cast<const char*>(unexpanded);
  if (sql && sql[0] == '-' && sql[1] == '-') {
    trace->fired = statement;
    return 0;
  }
  if (trace->fired == statement) {
    trace->fired = nullptr;
    return 0;
  }
  trace->fired = nullptr;
  char* text = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
  if (text) std::fprintf(trace->file, "%s\n;\n", text);
  sqlite3_free(text);
  return 0;
}

void trace_statements(sqlite3* db) {
  static StatementTrace* trace = [] {
    const char* path = std::getenv("CALENDATT_SQL_TRACE");
    std::FILE* file = path && *path ? std::fopen(path, "a") : nullptr;
    return file ? new StatementTrace{file, nullptr} : nullptr;
  }();
  if (trace) sqlite3_trace_v2(db, SQLITE_TRACE_STMT, write_statement, trace);
}

// A lock held by another user is waited for up to five seconds, looking again every millisecond.
constexpr int kLockWaitMs = 5000;

// A text that only reads rows: SELECT, or WITH ... SELECT (a write would not be read-only).
bool is_query(const char* statement) {
  if (!statement) return false;
  std::string_view text(statement);
  std::size_t start = text.find_first_not_of(" \t\r\n(");
  if (start == std::string_view::npos) return false;
  text.remove_prefix(start);
  auto word = [&](std::string_view w) {
    return text.size() > w.size() && sql::equals_ci(text.substr(0, w.size()), w) &&
           !std::isalnum(static_cast<unsigned char>(text[w.size()])) && text[w.size()] != '_';
  };
  return word("SELECT") || word("WITH");
}

// The engine's sqlite_compileoption_get, which also answers the journal's triggers the action in progress
// (journal.hpp): its token for -1, who for -2, its words for -3; NULL without one, as the engine answers
// any number that names no option.
void compileoption_or_action(sqlite3_context* context, int, sqlite3_value** arguments) {
  const int n = sqlite3_value_int(arguments[0]);
  if (n >= 0) {
    if (const char* option = sqlite3_compileoption_get(n))
      return sqlite3_result_text(context, option, -1, SQLITE_STATIC);
    return sqlite3_result_null(context);
  }
  const Action* action = current_action();
  const std::string* part = !action   ? nullptr
                            : n == -1 ? &action->token
                            : n == -2 ? &action->who
                            : n == -3 ? &action->words
                                      : nullptr;
  if (!part) return sqlite3_result_null(context);
  sqlite3_result_text64(context, part->data(), part->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

int wait_for_lock(void*, int attempts) {
  if (attempts >= kLockWaitMs) return 0;
  sqlite3_sleep(1);
  return 1;
}

}  // namespace

SqliteConnection::~SqliteConnection() {
  if (!db_) return;
  rollback_rehearsal();
  statements_.clear();
  close_engine();
}

void SqliteConnection::close_engine() noexcept {
  // A file that was written gets the statistics its queries need: nothing else ever runs ANALYZE on a
  // user's file. The analysis looks at a sample of each index (analysis_limit), so that it takes
  // milliseconds on a file of millions of days, and nothing when the statistics are still good.
  if (wrote_ && sqlite3_db_readonly(db_, "main") == 0)
    sqlite3_exec(db_, "PRAGMA analysis_limit=400; PRAGMA optimize", nullptr, nullptr, nullptr);
  sqlite3_close_v2(db_);
  db_ = nullptr;
  wrote_ = false;
}

void SqliteConnection::begin_rehearsal(const std::string& sql, bool writes) {
  // A lock that another user keeps past the busy timeout fails the statement, as it would on its own.
  if (sqlite3_exec(db_, writes ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
    fail_engine(sql);
  in_rehearsal_ = true;
  joined_rehearsal();
}

void SqliteConnection::rollback_rehearsal() noexcept {
  if (!in_rehearsal_ || !db_) return;
  in_rehearsal_ = false;
  left_rehearsal();
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteConnection::SetConnectionString(const std::string& text) {
  if (db_) fail(kObjectOpen, SQLITE_MISUSE, "Operazione non consentita se la connessione è aperta.");
  connection_string_ = text;
}

void SqliteConnection::Open(const std::string& text, const std::string&, const std::string&, std::int32_t) {
  if (!text.empty()) SetConnectionString(text);
  open_file(false);
}

void SqliteConnection::open_file(bool create) {
  errors_.clear();
  if (db_) fail(kObjectOpen, SQLITE_MISUSE, "Operazione non consentita se la connessione è aperta.");
  Target target = parse_connection_string(connection_string_);
  if (!target.provider.empty() && lower(target.provider) != "sqlite") {
    fail(kOpenError, SQLITE_MISUSE,
         "Provider '" + target.provider + "' non supportato: è disponibile solo SQLite.");
  }
  if (target.path.empty()) {
    fail(kOpenError, SQLITE_CANTOPEN,
         "La stringa di connessione non indica il file del database (Data Source): '" + connection_string_ +
             "'.");
  }
  std::error_code ec;
  if (!create && !std::filesystem::is_regular_file(target.path, ec)) {
    fail(kOpenError, SQLITE_CANTOPEN, "Il database '" + target.path + "' non esiste.");
  }
  // An existing file that is not a SQLite database (an empty file included) is never opened: SQLite would
  // take it for a new database and write its header into it.
  if (!create && !has_sqlite_header(target.path)) {
    fail(kOpenError, SQLITE_NOTADB,
         "Il file '" + target.path + "' non è un database: il file non è stato modificato.");
  }
  // A database that this user may not write (or whose folder is read-only) is opened read-only: it can be
  // read, and a write is refused by the engine with its own error.
  bool read_only = !create && read_only_location(target.path);
  sqlite3* db = nullptr;
  if (read_only) {
    std::string message;
    int rc = open_read_only(target.path, &db, message);
    if (rc != SQLITE_OK)
      fail(kOpenError, rc, "Impossibile aprire il database '" + target.path + "': " + message);
  } else {
    // A connection is used by one thread at a time: the engine need not lock it on every call (it did,
    // on each value of each row read).
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(target.path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
      std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
      int code = db ? sqlite3_extended_errcode(db) : rc;
      sqlite3_close_v2(db);
      fail(kOpenError, code, "Impossibile aprire il database '" + target.path + "': " + message);
    }
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_handler(db, wait_for_lock, nullptr);
  sqlite3_create_function_v2(db, "sqlite_compileoption_get", 1, SQLITE_UTF8 | SQLITE_INNOCUOUS, nullptr,
                             compileoption_or_action, nullptr, nullptr, nullptr);
  trace_statements(db);
  // Every statement commits on its own (rehearsal.hpp): in WAL a commit with synchronous=NORMAL does not
  // wait for the disk, and the file stays whole whatever stops. The keys the schema declares hold for
  // every statement, ours and anyone's on this connection.
  std::vector<const char*> pragmas = {
      durable_commits() ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL", "PRAGMA foreign_keys=ON"};
  if (!read_only) pragmas.insert(pragmas.begin(), "PRAGMA journal_mode=WAL");
  for (const char* pragma : pragmas) {
    char* message = nullptr;
    if (sqlite3_exec(db, pragma, nullptr, nullptr, &message) != SQLITE_OK) {
      std::string text = message ? message : sqlite3_errmsg(db);
      int code = sqlite3_extended_errcode(db);
      sqlite3_free(message);
      sqlite3_close_v2(db);
      fail(kOpenError, code, "Impossibile aprire il database '" + target.path + "': " + text);
    }
  }
  db_ = db;
  path_ = target.path;
}

void SqliteConnection::Close() {
  errors_.clear();
  if (!db_) fail(kObjectClosed, SQLITE_MISUSE, "Operazione non consentita se la connessione è chiusa.");
  rollback_rehearsal();
  statements_.clear();
  close_engine();
  path_.clear();
}

std::int32_t SqliteConnection::State() const {
  return db_ ? host::kAdStateOpen : host::kAdStateClosed;
}

void SqliteConnection::refuse_comments(const std::string& sql) {
  if (comment_outside_literals(sql)) {
    errors_.clear();
    fail(kCommandError, SQLITE_ERROR,
         "Il testo contiene un commento o un valore testo non chiuso e non è stato eseguito: " + sql);
  }
}

std::shared_ptr<host::Recordset> SqliteConnection::Execute(const std::string& sql, std::int32_t options) {
  refuse_comments(sql);
  bool no_records = (options & host::kAdExecuteNoRecords) != 0;
  LiftedStatement lifted = adaptations_.adapt(sql);
  QueryResult result = run(lifted.text, lifted.parameters, !no_records, &sql);
  if (no_records) return nullptr;
  auto recordset = std::make_shared<EngineRecordset>();
  recordset->attach(weak_from_this().lock(), std::move(result));
  return recordset;
}

QueryResult SqliteConnection::query(const std::string& sql) {
  refuse_comments(sql);
  LiftedStatement lifted = adaptations_.adapt(sql);
  return run(lifted.text, lifted.parameters, true, &sql);
}

QueryResult SqliteConnection::run_bound(const std::string& sql, const std::vector<SqlValue>& parameters) {
  return run(sql, parameters, true);
}

std::int64_t SqliteConnection::insert_returning_key(const std::string& sql,
                                                    const std::vector<SqlValue>& parameters,
                                                    const std::string&) {
  run(sql, parameters, true);
  return last_insert_id();
}

std::int64_t SqliteConnection::last_insert_id() const {
  return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

std::string SqliteConnection::integer_key(const std::string& database, const std::string& table) {
  QueryResult info = run("SELECT name, type, pk FROM pragma_table_info(?1, ?2)", {table, database}, true);
  std::string key;
  int key_columns = 0;
  for (const auto& row : info.rows) {
    if (row[2].is_null() || row[2].to_long() == 0) continue;
    ++key_columns;
    if (!row[1].is_null() && runtime::upper(row[1].to_string()) == "INTEGER") key = row[0].to_string();
  }
  // Only a single-column INTEGER PRIMARY KEY is the row id.
  return key_columns == 1 ? key : "";
}

void SqliteConnection::require_open() {
  if (!db_) fail(kObjectClosed, SQLITE_MISUSE, "Operazione non consentita se la connessione è chiusa.");
}

void SqliteConnection::fail(std::int32_t number, std::int32_t provider_number,
                            const std::string& description) {
  errors_ = {host::ProviderError{provider_number, description, "SQLite", ""}};
  throw runtime::Error(number, description, kSource);
}

void SqliteConnection::fail_engine(const std::string& sql, const std::function<void()>& cleanup) {
  // The error of the statement that failed, before the cleanup's statements replace it.
  std::int32_t code = sqlite3_extended_errcode(db_);
  std::string message = sqlite3_errmsg(db_);
  if (cleanup) cleanup();
  // Some errors (a full disk, an I/O error) make the engine roll back the whole transaction.
  if (in_rehearsal_ && sqlite3_get_autocommit(db_)) {
    in_rehearsal_ = false;
    left_rehearsal();
  }
  errors_ = {host::ProviderError{code, message, "SQLite", ""}};
  throw runtime::Error(kCommandError, "Errore SQLite: " + message + " [SQL: " + sql + "]", kSource);
}

StatementCache::Lease SqliteConnection::prepare(const std::string& sql, const std::string* module_text) {
  StatementCache::Lease lease = statements_.take(sql);
  if (lease) return lease;
  auto shown = [&] { return module_text ? adapt_statement(*module_text) : sql; };
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, &tail) != SQLITE_OK) {
    fail_engine(shown());
  }
  if (!stmt)
    fail(kCommandError, SQLITE_ERROR, "Il testo non contiene alcuna istruzione SQL: '" + shown() + "'.");
  if (!only_end_of_statement(tail, sql.data() + sql.size())) {
    sqlite3_finalize(stmt);
    fail(kCommandError, SQLITE_ERROR,
         "Il testo contiene più di un'istruzione SQL e non è stato eseguito: " + shown());
  }
  return statements_.keep(sql, stmt);
}

QueryResult SqliteConnection::run(const std::string& sql, const std::vector<SqlValue>& parameters,
                                  bool want_rows, const std::string* module_text) {
  errors_.clear();
  require_open();
  auto shown = [&] { return module_text ? adapt_statement(*module_text) : sql; };
  // An observed write returns the rows it changes (statement_observer.hpp). A write the engine cannot
  // give back that way runs as it is.
  StatementObserver* observer = statement_observer();
  ObservedStatement observed;
  if (observer && !write_kind(sql, observed.kind)) observer = nullptr;
  std::string returning = observer && observer->wants_rows() ? with_returning(sql) : std::string();
  StatementCache::Lease lease;
  if (!returning.empty()) {
    try {
      lease = prepare(returning, nullptr);
    } catch (const runtime::Error&) {
      errors_.clear();
      returning.clear();
    }
  }
  if (returning.empty()) lease = prepare(sql, module_text);
  if (!returning.empty()) want_rows = true;
  sqlite3_stmt* stmt = lease->stmt;
  const bool writes = !sqlite3_stmt_readonly(stmt);
  if (rehearsing() && !in_rehearsal_ && sqlite3_get_autocommit(db_) &&
      (writes || is_query(sqlite3_sql(stmt))))
    begin_rehearsal(shown(), writes && sqlite3_db_readonly(db_, "main") == 0);
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    int index = static_cast<int>(i) + 1;
    const SqlValue& p = parameters[i];
    int rc = SQLITE_OK;
    if (std::holds_alternative<std::int64_t>(p)) {
      rc = sqlite3_bind_int64(stmt, index, std::get<std::int64_t>(p));
    } else if (std::holds_alternative<double>(p)) {
      rc = sqlite3_bind_double(stmt, index, std::get<double>(p));
    } else if (std::holds_alternative<std::string>(p)) {
      const std::string& s = std::get<std::string>(p);
      // The value outlives the statement's run: the lease clears the bindings before it ends.
      rc = sqlite3_bind_text64(stmt, index, s.data(), s.size(), SQLITE_STATIC, SQLITE_UTF8);
    } else {
      rc = sqlite3_bind_null(stmt, index);
    }
    if (rc != SQLITE_OK) fail_engine(shown());
  }

  // The columns are described after the first step: a kept statement that the engine prepared again
  // after a change of the schema describes its new columns only then.
  int rc = sqlite3_step(stmt);
  int count = sqlite3_column_count(stmt);
  if (lease->columns_changed() || lease->columns.size() != static_cast<std::size_t>(count)) {
    std::vector<ResultColumn>& columns = lease->columns;
    columns.clear();
    for (int i = 0; i < count; ++i) {
      ResultColumn c;
      c.name = text_or_empty(sqlite3_column_name(stmt, i));
      c.declared_type = text_or_empty(sqlite3_column_decltype(stmt, i));
      c.database = text_or_empty(sqlite3_column_database_name(stmt, i));
      c.table = text_or_empty(sqlite3_column_table_name(stmt, i));
      c.origin = text_or_empty(sqlite3_column_origin_name(stmt, i));
      c.kind = column_kind(c.declared_type);
      columns.push_back(std::move(c));
    }
  }
  QueryResult result;
  result.columns = lease->columns;

  for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
    if (!want_rows) continue;
    std::vector<runtime::Variant> row;
    row.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const ResultColumn& column = result.columns[static_cast<std::size_t>(i)];
      // The value is read where the statement holds it: the connection is used by one thread at a time.
      sqlite3_value* cell = sqlite3_column_value(stmt, i);
      switch (sqlite3_value_type(cell)) {
        case SQLITE_INTEGER:
          try {
            row.emplace_back(integer_value(sqlite3_value_int64(cell), column.name, kSource));
          } catch (const runtime::Error& e) {
            errors_ = {host::ProviderError{e.number(), e.description(), "SQLite", ""}};
            throw;
          }
          break;
        case SQLITE_FLOAT:
          row.emplace_back(sqlite3_value_double(cell));
          break;
        case SQLITE_TEXT: {
          const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(cell));
          std::string value(text, static_cast<std::size_t>(sqlite3_value_bytes(cell)));
          row.emplace_back(text_value(std::move(value), column.kind));
          break;
        }
        case SQLITE_BLOB: {
          const auto* bytes = static_cast<const char*>(sqlite3_value_blob(cell));
          std::size_t size = static_cast<std::size_t>(sqlite3_value_bytes(cell));
          row.emplace_back(bytes ? std::string(bytes, size) : std::string());
          break;
        }
        default:
          row.emplace_back(runtime::Variant::null());
      }
    }
    result.rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) fail_engine(shown());
  const std::int64_t changed = sqlite3_changes64(db_);
  if (writes) {
    rows_affected_ = changed;
    // A rehearsal's writes are rolled back: they leave nothing to optimize, and its file unchanged.
    if (!rehearsing()) wrote_ = true;
  }
  if (observer) {
    // An observer that only counts is given the text as run (with its values lifted), which names the
    // same table, without adapting the module's text again for each statement.
    observed.text = observer->wants_rows() ? shown() : sql;
    observed.rows_changed = changed;
    if (!returning.empty()) {
      observed.rows_known = true;
      for (const auto& column : result.columns) observed.columns.push_back(runtime::upper(column.name));
      observed.rows = std::move(result.rows);
      // The caller gets what the statement gives without the clause: nothing.
      result = QueryResult{};
    }
    observer->statement_ran(observed);
  }
  return result;
}

std::shared_ptr<host::Connection> open_or_create(const std::string& path) {
  auto connection = std::make_shared<SqliteConnection>();
  connection->SetConnectionString("Provider=SQLite;Data Source=\"" + path + "\"");
  connection->open_file(true);
  return connection;
}

}  // namespace database
