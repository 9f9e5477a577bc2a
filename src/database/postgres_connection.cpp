#include "database/postgres_connection.hpp"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "database/engine_recordset.hpp"
#include "database/journal.hpp"
#include "database/postgres_client.hpp"
#include "database/postgres_dialect.hpp"
#include "database/statement_guard.hpp"
#include "database/statement_observer.hpp"
#include "runtime/error.hpp"

namespace database {
namespace {

constexpr const char* kSource = "PostgreSQL provider";
constexpr const char* kProvider = "PostgreSQL";

// Type oids of the server's built-in types.
enum : Oid {
  kBool = 16,
  kBytea = 17,
  kName = 19,
  kInt8 = 20,
  kInt2 = 21,
  kInt4 = 23,
  kText = 25,
  kOid = 26,
  kFloat4 = 700,
  kFloat8 = 701,
  kUnknown = 705,
  kBpchar = 1042,
  kVarchar = 1043,
  kDate = 1082,
  kTime = 1083,
  kTimestamp = 1114,
  kTimestampTz = 1184,
  kNumeric = 1700,
};

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool starts_with_ci(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && lower(s.substr(0, prefix.size())) == prefix;
}

// The SQLSTATE packed six bits per character, as the server numbers its errors.
std::int32_t sqlstate_number(const std::string& state) {
  std::int32_t n = 0;
  for (std::size_t i = 0; i < state.size() && i < 5; ++i)
    n += static_cast<std::int32_t>((static_cast<unsigned>(state[i] - '0') & 0x3F) << (6 * i));
  return n;
}

struct ResultGuard {
  PGresult* result = nullptr;
  ~ResultGuard() { PQclear(result); }
};

struct OptionsGuard {
  PQconninfoOption* options = nullptr;
  ~OptionsGuard() { PQconninfoFree(options); }
};

OptionsGuard parse(const std::string& text) {
  char* error = nullptr;
  OptionsGuard guard{PQconninfoParse(text.c_str(), &error)};
  PQfreemem(error);
  return guard;
}

// The server's notices (a CREATE ... IF NOT EXISTS that skipped, for one) are not the person's business.
void ignore_notice(void*, const char*) {}

std::string type_name(Oid type) {
  switch (type) {
    case kBool:
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
      return "INTEGER";
    case kFloat4:
    case kFloat8:
      return "REAL";
    case kNumeric:
      return "NUMERIC";
    case kDate:
      return "DATE";
    case kTime:
      return "TIME";
    case kTimestamp:
    case kTimestampTz:
      return "DATETIME";
    case kBytea:
      return "BLOB";
    default:
      return "TEXT";
  }
}

std::string decode_bytea(const char* text) {
  std::size_t size = 0;
  unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size);
  if (!bytes) return text;
  std::string out(reinterpret_cast<const char*>(bytes), size);
  PQfreemem(bytes);
  return out;
}

runtime::Variant value_of(const char* text, Oid type, ColumnKind kind, const std::string& column) {
  switch (type) {
    case kBool:
      return static_cast<std::int32_t>(text[0] == 't' ? 1 : 0);
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
      return integer_value(std::strtoll(text, nullptr, 10), column, kSource);
    case kFloat4:
    case kFloat8:
      return std::strtod(text, nullptr);
    case kNumeric: {
      std::string s = text;
      if (s.find_first_not_of("-0123456789") == std::string::npos && s.size() < 19)
        return integer_value(std::strtoll(text, nullptr, 10), column, kSource);
      return std::strtod(text, nullptr);
    }
    case kDate:
    case kTimestamp:
    case kTimestampTz:
      if (auto date = iso_date(text)) return *date;
      return std::string(text);
    case kBytea:
      return decode_bytea(text);
    default:
      return text_value(text, kind);
  }
}

std::string parameter_text(const SqlValue& value) {
  if (std::holds_alternative<std::int64_t>(value)) return std::to_string(std::get<std::int64_t>(value));
  if (std::holds_alternative<double>(value)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", std::get<double>(value));
    return buf;
  }
  return std::get<std::string>(value);
}

// ?1, ?2 ... of the layer's own statements as $1, $2 ...
std::string numbered_parameters(const std::string& sql) {
  std::string out = sql;
  for (std::size_t i = 0; i + 1 < out.size(); ++i)
    if (out[i] == '?' && out[i + 1] >= '0' && out[i + 1] <= '9') out[i] = '$';
  return out;
}

std::string quote_identifier(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

}  // namespace

bool is_postgres_target(const std::string& text) {
  if (starts_with_ci(text, "postgresql://") || starts_with_ci(text, "postgres://")) return true;
  if (text.find('=') == std::string::npos) return false;
  // The file engine's own connection strings ("Provider=SQLite;Data Source=...") are never the server's,
  // whose client would refuse their first keyword: they are told apart without loading that client.
  if (starts_with_ci(text, "provider=")) return false;
  return parse(text).options != nullptr;
}

std::string server_parameters_problem(const std::string& text, const std::string& language) {
  // Only a text that opens with one of the server's usual keywords is taken for its parameters: a file
  // whose name merely holds an equals sign stays a file.
  static const char* const kKeywords[] = {
      "host",    "hostaddr",        "port",    "dbname",          "user", "password", "service",
      "sslmode", "connect_timeout", "options", "application_name"};
  const auto start = text.find_first_not_of(" \t");
  const auto equals = text.find('=');
  if (start == std::string::npos || equals == std::string::npos || starts_with_ci(text, "provider="))
    return {};
  std::string first = text.substr(start, equals - start);
  first.erase(first.find_last_not_of(" \t") + 1);
  if (std::none_of(std::begin(kKeywords), std::end(kKeywords), [&](const char* k) { return first == k; }))
    return {};
  const bool it = language == "it";
  std::string reason = postgres_client_problem();
  if (reason.empty()) {
    char* error = nullptr;
    OptionsGuard parsed{PQconninfoParse(text.c_str(), &error)};
    if (parsed.options) return {};
    reason = error ? error : "";
    PQfreemem(error);
  }
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
  return (it ? "--db sembra un elenco di parametri di un server PostgreSQL, ma non si può leggere: "
             : "--db looks like the parameters of a PostgreSQL server, but they cannot be read: ") +
         reason;
}

namespace {

bool gives(const std::string& text, const std::string& keyword) {
  OptionsGuard parsed = parse(text);
  for (PQconninfoOption* o = parsed.options; o && o->keyword; ++o)
    if (keyword == o->keyword && o->val && *o->val) return true;
  return false;
}

}  // namespace

bool names_password(const std::string& text) {
  return is_postgres_target(text) && gives(text, "password");
}

std::string describe_target(const std::string& text) {
  if (!is_postgres_target(text)) return text;
  OptionsGuard parsed = parse(text);
  std::map<std::string, std::string> values;
  for (PQconninfoOption* o = parsed.options; o && o->keyword; ++o)
    if (o->val && *o->val) values[o->keyword] = o->val;
  std::string out = "PostgreSQL '" + (values.count("dbname") ? values["dbname"] : std::string()) + "'";
  std::string host = values.count("host")       ? values["host"]
                     : values.count("hostaddr") ? values["hostaddr"]
                                                : "";
  if (!host.empty()) out += " on " + host;
  if (values.count("port")) out += (host.empty() ? " on port " : ":") + values["port"];
  if (values.count("user")) out += " as " + values["user"];
  return out;
}

namespace {

// The session every connection runs in. Every statement commits on its own (rehearsal.hpp); without
// durable commits a commit does not wait for the disk, which the server allows without ever leaving
// the database inconsistent.
std::string session_settings() {
  return std::string(
             "SET DateStyle TO ISO, YMD; SET client_min_messages TO warning; SET lock_timeout TO '10s'; "
             "SET synchronous_commit TO ") +
         (durable_commits() ? "on" : "off");
}

}  // namespace

PostgresConnection::~PostgresConnection() {
  if (!conn_) return;
  rollback_rehearsal();
  drop_statements();
  PQfinish(conn_);
  conn_ = nullptr;
}

void PostgresConnection::ServerStatement::finalize() {
  owner->deallocate(name);
}

void PostgresConnection::deallocate(const std::string& name) {
  if (!conn_ || dropping_) return;
  // Only ever sent while the transaction, if any, can go on: the statement exists, and its DEALLOCATE
  // cannot fail.
  ResultGuard guard{PQexec(conn_, ("DEALLOCATE " + name).c_str())};
}

void PostgresConnection::drop_statements() {
  dropping_ = true;
  statements_.clear();
  dropping_ = false;
}

void PostgresConnection::control(const char* sql) {
  ResultGuard guard{PQexec(conn_, sql)};
  if (PQresultStatus(guard.result) != PGRES_COMMAND_OK) fail_result(guard.result, sql);
}

void PostgresConnection::rollback_rehearsal() noexcept {
  if (!in_rehearsal_ || !conn_) return;
  in_rehearsal_ = false;
  left_rehearsal();
  if (PQtransactionStatus(conn_) != PQTRANS_IDLE) ResultGuard rollback{PQexec(conn_, "ROLLBACK")};
}

void PostgresConnection::SetConnectionString(const std::string& text) {
  if (conn_) fail(kObjectOpen, "", "Operazione non consentita se la connessione è aperta.");
  connection_string_ = text;
}

void PostgresConnection::Open(const std::string& text, const std::string& user, const std::string& password,
                              std::int32_t) {
  errors_.clear();
  if (!text.empty()) SetConnectionString(text);
  if (conn_) fail(kObjectOpen, "", "Operazione non consentita se la connessione è aperta.");
  // A connection that waits at most ten seconds for a silent server, unless the connection string, its
  // service or PGCONNECT_TIMEOUT says otherwise: given before the string, the string's own value wins.
  std::vector<const char*> keywords, values;
  if (!std::getenv("PGCONNECT_TIMEOUT") && !std::getenv("PGSERVICE") &&
      !gives(connection_string_, "service")) {
    keywords.push_back("connect_timeout");
    values.push_back("10");
  }
  keywords.push_back("dbname");
  values.push_back(connection_string_.c_str());
  if (!user.empty()) {
    keywords.push_back("user");
    values.push_back(user.c_str());
  }
  if (!password.empty()) {
    keywords.push_back("password");
    values.push_back(password.c_str());
  }
  // The journal names the program a change came from (journal.hpp), unless the connection string names one.
  keywords.push_back("fallback_application_name");
  values.push_back("calendatt");
  keywords.push_back(nullptr);
  values.push_back(nullptr);
  if (std::string problem = postgres_client_problem(); !problem.empty())
    fail(kOpenError, "08001", "Impossibile aprire il database PostgreSQL: " + problem);
  PGconn* conn = PQconnectdbParams(keywords.data(), values.data(), 1);
  if (!conn || PQstatus(conn) != CONNECTION_OK) {
    std::string message = conn ? PQerrorMessage(conn) : "memoria insufficiente";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    PQfinish(conn);
    fail(kOpenError, "08001",
         "Impossibile aprire il database " + describe_target(connection_string_) + ": " + message);
  }
  PQsetNoticeProcessor(conn, ignore_notice, nullptr);
  PQsetClientEncoding(conn, "UTF8");
  const std::string session = session_settings();
  ResultGuard settings{PQexec(conn, session.c_str())};
  if (PQresultStatus(settings.result) != PGRES_COMMAND_OK) {
    std::string message = PQerrorMessage(conn);
    PQfinish(conn);
    fail(kOpenError, "08001",
         "Impossibile preparare la sessione su " + describe_target(connection_string_) + ": " + message);
  }
  conn_ = conn;
  tables_.clear();
}

void PostgresConnection::Close() {
  errors_.clear();
  if (!conn_) fail(kObjectClosed, "", "Operazione non consentita se la connessione è chiusa.");
  rollback_rehearsal();
  drop_statements();
  PQfinish(conn_);
  conn_ = nullptr;
}

std::int32_t PostgresConnection::State() const {
  return conn_ ? host::kAdStateOpen : host::kAdStateClosed;
}

std::shared_ptr<host::Recordset> PostgresConnection::Execute(const std::string& sql, std::int32_t options) {
  bool no_records = (options & host::kAdExecuteNoRecords) != 0;
  QueryResult result = query(sql);
  if (no_records) return nullptr;
  auto recordset = std::make_shared<EngineRecordset>();
  recordset->attach(weak_from_this().lock(), std::move(result));
  return recordset;
}

namespace {

// With CALENDATT_SQL_TRACE naming a file, every adapted text is appended to it, its values in place, each
// ending with ";" on a line of its own, as the SQLite engine writes its statements.
void trace_statement(const std::string& text) {
  static std::FILE* file = [] {
    const char* path = std::getenv("CALENDATT_SQL_TRACE");
    return path && *path ? std::fopen(path, "a") : nullptr;
  }();
  if (!file) return;
  std::fprintf(file, "%s\n;\n", text.c_str());
  std::fflush(file);
}

}  // namespace

QueryResult PostgresConnection::query(const std::string& sql) {
  errors_.clear();
  require_open();
  // A comment outside the literals can only come from a value that left its quotes (statement_guard.hpp).
  if (comment_outside_literals(sql))
    fail(kCommandError, "42601",
         "Il testo contiene un commento o un valore testo non chiuso e non è stato eseguito: " + sql);
  PostgresStatement statement = adapt_postgres_statement(sql);
  if (statement.statements == 0)
    fail(kCommandError, "42601", "Il testo non contiene alcuna istruzione SQL: '" + sql + "'.");
  if (statement.statements > 1)
    fail(kCommandError, "42601", "Il testo contiene più di un'istruzione SQL e non è stato eseguito: " + sql);
  trace_statement(statement.text);
  Sent sent;
  if (statement.lifted.empty()) {
    sent.text = statement.text;
  } else {
    sent.text = std::move(statement.lifted);
    for (PostgresParameter& p : statement.parameters) {
      sent.values.push_back(std::move(p.value));
      sent.types.push_back(p.type);
    }
    sent.nulls.assign(sent.values.size(), false);
    sent.plain = statement.text;
  }
  return run(sent, statement.text, &statement.spellings);
}

QueryResult PostgresConnection::run_bound(const std::string& sql, const std::vector<SqlValue>& parameters) {
  errors_.clear();
  require_open();
  Sent sent;
  sent.text = numbered_parameters(sql);
  for (const SqlValue& p : parameters) {
    bool null = std::holds_alternative<std::monostate>(p);
    sent.values.push_back(null ? std::string() : parameter_text(p));
    sent.nulls.push_back(null);
  }
  return run(sent, sent.text, nullptr);
}

std::int64_t PostgresConnection::insert_returning_key(const std::string& sql,
                                                      const std::vector<SqlValue>& parameters,
                                                      const std::string& key_column) {
  QueryResult result = run_bound(sql + " RETURNING " + quote_identifier(key_column), parameters);
  if (result.rows.size() != 1 || result.rows[0].empty() || result.rows[0][0].is_null()) return 0;
  return static_cast<std::int64_t>(result.rows[0][0].to_double());
}

std::string PostgresConnection::integer_key(const std::string& database, const std::string& table) {
  QueryResult keys = run_bound(
      "SELECT a.attname, a.atttypid::int4 FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid "
      "AND a.attnum = ANY(i.indkey) WHERE i.indisprimary AND i.indrelid = "
      "(quote_ident(?1) || '.' || quote_ident(?2))::regclass",
      {database, table});
  if (keys.rows.size() != 1) return "";
  auto type = static_cast<Oid>(keys.rows[0][1].to_long());
  if (type != kInt2 && type != kInt4 && type != kInt8) return "";
  return keys.rows[0][0].to_string();
}

void PostgresConnection::run_script(const std::string& sql) {
  errors_.clear();
  require_open();
  ResultGuard guard{PQexec(conn_, sql.c_str())};
  ExecStatusType status = PQresultStatus(guard.result);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail_result(guard.result, sql);
}

void PostgresConnection::require_open() {
  if (!conn_) fail(kObjectClosed, "", "Operazione non consentita se la connessione è chiusa.");
  // A connection the server dropped is made again once before the statement runs.
  if (PQstatus(conn_) == CONNECTION_BAD) {
    PQreset(conn_);
    tables_.clear();
    session_action_.clear();
    drop_statements();
    if (PQstatus(conn_) == CONNECTION_OK) {
      ResultGuard settings{PQexec(conn_, session_settings().c_str())};
    }
  }
}

void PostgresConnection::fail(std::int32_t number, const std::string& sql_state,
                              const std::string& description) {
  errors_ = {host::ProviderError{sqlstate_number(sql_state), description, kProvider, sql_state}};
  throw runtime::Error(number, description, kSource);
}

void PostgresConnection::fail_result(const void* result_pointer, const std::string& sql) {
  const auto* result = static_cast<const PGresult*>(result_pointer);
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  const char* detail = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL) : nullptr;
  std::string message = primary ? primary : PQerrorMessage(conn_);
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  if (detail) message += std::string(" (") + detail + ")";
  std::string sql_state = state ? state : (PQstatus(conn_) == CONNECTION_BAD ? "08006" : "XX000");
  errors_ = {host::ProviderError{sqlstate_number(sql_state), message, kProvider, sql_state}};
  // A transaction that can no longer go on (the connection dropped, a savepoint that could not be
  // undone) is given up: the statements since the last commit are lost, as the server decided.
  if (in_rehearsal_ && PQtransactionStatus(conn_) != PQTRANS_INTRANS) {
    if (PQtransactionStatus(conn_) == PQTRANS_INERROR) ResultGuard rollback{PQexec(conn_, "ROLLBACK")};
    in_rehearsal_ = false;
    left_rehearsal();
  }
  throw runtime::Error(kCommandError, "Errore PostgreSQL: " + message + " [SQL: " + sql + "]", kSource);
}

const PostgresConnection::Table* PostgresConnection::table(unsigned oid) {
  if (auto it = tables_.find(oid); it != tables_.end()) return &it->second;
  std::string id = std::to_string(oid);
  const char* values[] = {id.c_str()};
  ResultGuard guard{
      PQexecParams(conn_,
                   "SELECT n.nspname, c.relname, a.attnum, a.attname FROM pg_class c "
                   "JOIN pg_namespace n ON n.oid = c.relnamespace JOIN pg_attribute a ON "
                   "a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped WHERE c.oid = $1",
                   1, nullptr, values, nullptr, nullptr, 0)};
  if (PQresultStatus(guard.result) != PGRES_TUPLES_OK || PQntuples(guard.result) == 0) return nullptr;
  Table t;
  t.schema = PQgetvalue(guard.result, 0, 0);
  t.name = PQgetvalue(guard.result, 0, 1);
  for (int r = 0; r < PQntuples(guard.result); ++r)
    t.columns[std::atoi(PQgetvalue(guard.result, r, 2))] = PQgetvalue(guard.result, r, 3);
  return &tables_.emplace(oid, std::move(t)).first->second;
}

void* PostgresConnection::send(const std::string& text, const Sent& sent, bool& unprepared) {
  unprepared = false;
  std::vector<const char*> values(sent.values.size(), nullptr);
  for (std::size_t i = 0; i < values.size(); ++i)
    if (!sent.nulls[i]) values[i] = sent.values[i].c_str();
  const int count = static_cast<int>(values.size());
  const Oid* types = sent.types.empty() ? nullptr : sent.types.data();
  // The types are part of the key: 5 and 5000000000 stand at the same place as an int4 and an int8.
  std::string key = text;
  for (unsigned type : sent.types) key += '\0' + std::to_string(type);
  // A long text is run once (a list of thousands of days), and one of the same text is never in use here:
  // each run ends before the next begins. Either runs unnamed, as without the cache.
  if (text.size() > KeptStatements<ServerStatement>::kLongestKept || statements_.capacity() == 0 ||
      statements_.in_use(key)) {
    return PQexecParams(conn_, text.c_str(), count, types, values.data(), nullptr, nullptr, 0);
  }
  auto prepare = [&](const std::string& name) {
    ResultGuard prepared{PQprepare(conn_, name.c_str(), text.c_str(), count, types)};
    if (PQresultStatus(prepared.result) == PGRES_COMMAND_OK) return static_cast<PGresult*>(nullptr);
    unprepared = true;
    return std::exchange(prepared.result, nullptr);
  };
  KeptStatements<ServerStatement>::Lease lease = statements_.take(key);
  bool fresh = !lease;
  if (fresh) {
    std::string name = "calendatt_" + std::to_string(++prepared_);
    if (PGresult* refused = prepare(name)) return refused;
    lease = statements_.keep(key, ServerStatement{this, name});
  }
  PGresult* result = PQexecPrepared(conn_, lease->name.c_str(), count, values.data(), nullptr, nullptr, 0);
  if (fresh || PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK)
    return result;
  // A kept statement refused after a change of the schema (its result columns changed, or its parameters
  // no longer fit the columns they are compared with) is prepared again and run once more.
  const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  std::string code = state ? state : "";
  if (code != "0A000" && code.rfind("42", 0) != 0) return result;
  PQclear(result);
  if (in_rehearsal_) ResultGuard back{PQexec(conn_, "ROLLBACK TO SAVEPOINT calendatt_statement")};
  std::string name = lease->name;
  deallocate(name);
  if (PGresult* refused = prepare(name)) {
    // The name is free again; the statement it stood for is gone.
    statements_.forget(key);
    return refused;
  }
  return PQexecPrepared(conn_, name.c_str(), count, values.data(), nullptr, nullptr, 0);
}

QueryResult PostgresConnection::run(const Sent& sent, const std::string& shown,
                                    const std::map<std::string, std::string>* spellings) {
  // The journal's triggers read the person's action from the session (journal.hpp).
  const Action* action = current_action();
  if ((action ? action->token : std::string()) != session_action_) {
    const char* values[] = {action ? action->token.c_str() : "", action ? action->words.c_str() : ""};
    ResultGuard set{PQexecParams(conn_,
                                 "SELECT set_config('calendatt.token', $1, false), "
                                 "set_config('calendatt.command', $2, false)",
                                 2, nullptr, values, nullptr, nullptr, 0)};
    if (PQresultStatus(set.result) == PGRES_TUPLES_OK) session_action_ = values[0];
  }
  // In a rehearsal the statement joins its transaction, in a savepoint of its own: an error aborts a
  // whole transaction on this server, and only the failed statement may be undone.
  if (rehearsing() && !in_rehearsal_) {
    control("BEGIN");
    in_rehearsal_ = true;
    joined_rehearsal();
  }
  // An observed write returns the rows it changes (statement_observer.hpp).
  StatementObserver* observer = statement_observer();
  ObservedStatement observed;
  if (observer && !write_kind(shown, observed.kind)) observer = nullptr;
  std::string returning = observer && observer->wants_rows() ? with_returning(sent.text) : std::string();
  ResultGuard guard;
  bool failed = false, unprepared = false;
  // Runs text with the values of sent, or plain text without values.
  auto execute = [&](const std::string& text, bool with_values) {
    if (in_rehearsal_) control("SAVEPOINT calendatt_statement");
    PQclear(guard.result);
    guard.result = with_values ? static_cast<PGresult*>(send(text, sent, unprepared))
                               : PQexecParams(conn_, text.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    ExecStatusType s = PQresultStatus(guard.result);
    failed = s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK;
    if (in_rehearsal_) {
      ResultGuard end{PQexec(conn_, failed ? "ROLLBACK TO SAVEPOINT calendatt_statement; "
                                             "RELEASE SAVEPOINT calendatt_statement"
                                           : "RELEASE SAVEPOINT calendatt_statement")};
      if (PQresultStatus(end.result) != PGRES_COMMAND_OK && !failed) fail_result(end.result, shown);
    }
  };
  if (!returning.empty()) {
    execute(returning, true);
    // Refused with the clause: the statement runs as it was written.
    if (failed) returning.clear();
  }
  if (returning.empty()) {
    execute(sent.text, true);
    // A lifted text the server cannot prepare (a value where only a literal may stand) runs as adapted.
    if (failed && unprepared && !sent.plain.empty()) execute(sent.plain, false);
  }
  PGresult* result = guard.result;
  if (failed) fail_result(result, shown);
  std::string command = PQcmdStatus(result);
  if (command.rfind("SELECT", 0) != 0 && *PQcmdTuples(result))
    rows_affected_ = std::atoll(PQcmdTuples(result));
  if (observer) {
    observed.text = shown;
    observed.rows_changed = *PQcmdTuples(result) ? std::atoll(PQcmdTuples(result)) : 0;
    if (!returning.empty()) {
      QueryResult changed = rows_of(result, nullptr);
      observed.rows_known = true;
      for (const auto& column : changed.columns) observed.columns.push_back(runtime::upper(column.name));
      observed.rows = std::move(changed.rows);
    }
    observer->statement_ran(observed);
    // The caller gets what the statement gives without the clause: nothing.
    if (!returning.empty()) return QueryResult{};
  }
  return rows_of(result, spellings);
}

QueryResult PostgresConnection::rows_of(const void* result_pointer,
                                        const std::map<std::string, std::string>* spellings) {
  auto* result = const_cast<PGresult*>(static_cast<const PGresult*>(result_pointer));
  ExecStatusType status = PQresultStatus(result);

  QueryResult out;
  if (status != PGRES_TUPLES_OK) return out;
  int count = PQnfields(result);
  std::vector<Oid> types(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    ResultColumn c;
    std::string name = PQfname(result, i);
    auto spelled = spellings ? spellings->find(name) : decltype(spellings->end()){};
    if (spellings && spelled != spellings->end()) {
      c.name = spelled->second;
    } else {
      c.name = name == lower(name) ? runtime::upper(name) : name;
    }
    types[static_cast<std::size_t>(i)] = PQftype(result, i);
    c.declared_type = type_name(PQftype(result, i));
    Oid table_oid = PQftable(result, i);
    if (table_oid != InvalidOid) {
      if (const Table* t = table(table_oid)) {
        auto column = t->columns.find(PQftablecol(result, i));
        if (column != t->columns.end()) {
          c.database = t->schema;
          c.table = t->name;
          c.origin = column->second;
        }
      }
    }
    // An expression has no declared type, as with SQLite: its texts that hold an ISO date read as dates.
    c.kind = c.table.empty() && c.declared_type == "TEXT" ? ColumnKind::None : column_kind(c.declared_type);
    out.columns.push_back(std::move(c));
  }
  int rows = PQntuples(result);
  out.rows.reserve(static_cast<std::size_t>(rows));
  for (int r = 0; r < rows; ++r) {
    std::vector<runtime::Variant> row;
    row.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      if (PQgetisnull(result, r, i)) {
        row.emplace_back(runtime::Variant::null());
        continue;
      }
      const ResultColumn& column = out.columns[static_cast<std::size_t>(i)];
      try {
        row.emplace_back(
            value_of(PQgetvalue(result, r, i), types[static_cast<std::size_t>(i)], column.kind, column.name));
      } catch (const runtime::Error& e) {
        errors_ = {host::ProviderError{e.number(), e.description(), kProvider, ""}};
        throw;
      }
    }
    out.rows.push_back(std::move(row));
  }
  return out;
}

}  // namespace database
