#include "database/connection.hpp"

#include "database/postgres_connection.hpp"
#include "database/rehearsal.hpp"
#include "database/sqlite_connection.hpp"
#include "runtime/error.hpp"

namespace database {

std::string Connection::ConnectionString() const {
  return connection_string_;
}

void Connection::SetConnectionString(const std::string& text) {
  if (engine_ && engine_->State() == host::kAdStateOpen) {
    engine_->SetConnectionString(text);  // refused by the engine while open
  }
  connection_string_ = text;
}

void Connection::Open(const std::string& text, const std::string& user, const std::string& password,
                      std::int32_t options) {
  if (engine_ && engine_->State() == host::kAdStateOpen) {
    engine_->Open(text, user, password, options);  // refused by the engine while open
  }
  if (!text.empty()) connection_string_ = text;
  auto open_engine = [&] {
    std::shared_ptr<EngineConnection> engine;
    if (is_postgres_target(connection_string_)) {
      engine = std::make_shared<PostgresConnection>();
    } else {
      engine = std::make_shared<SqliteConnection>();
    }
    engine_ = engine;
    engine->Open(connection_string_, user, password, options);
    return engine;
  };
  shared_ = rehearsing();
  if (!shared_) {
    open_engine();
    return;
  }
  // In a rehearsal the connections on one database share its engine, so that each sees what the
  // others wrote in the transaction that will be rolled back (rehearsal.hpp).
  engine_ = std::static_pointer_cast<EngineConnection>(
      Rehearsal::shared("connection\n" + connection_string_ + "\n" + user, [&] { return open_engine(); }));
}

EngineConnection& Connection::opened() {
  if (!engine_) {
    throw runtime::Error(kObjectClosed, "Operazione non consentita se la connessione è chiusa.",
                         "Database provider");
  }
  return *engine_;
}

void Connection::Close() {
  EngineConnection& engine = opened();
  if (!shared_) {
    engine.Close();
    return;
  }
  // The shared engine stays open for the others until the rehearsal ends.
  if (engine.State() != host::kAdStateOpen) engine.Close();  // refused as on a closed connection
  engine_.reset();
  shared_ = false;
}

std::int32_t Connection::State() const {
  return engine_ ? engine_->State() : host::kAdStateClosed;
}

std::shared_ptr<host::Recordset> Connection::Execute(const std::string& sql, std::int32_t options) {
  return opened().Execute(sql, options);
}

std::vector<host::ProviderError> Connection::Errors() const {
  return engine_ ? engine_->Errors() : std::vector<host::ProviderError>{};
}

std::int64_t Connection::RowsAffected() const {
  return engine_ ? engine_->RowsAffected() : 0;
}

Dialect Connection::dialect() const {
  if (engine_) return engine_->dialect();
  return is_postgres_target(connection_string_) ? Dialect::PostgreSQL : Dialect::SQLite;
}

EngineConnection& Connection::engine() {
  return opened();
}

QueryResult Connection::query(const std::string& sql) {
  return opened().query(sql);
}

QueryResult Connection::run_bound(const std::string& sql, const std::vector<SqlValue>& parameters) {
  return opened().run_bound(sql, parameters);
}

std::int64_t Connection::insert_returning_key(const std::string& sql, const std::vector<SqlValue>& parameters,
                                              const std::string& key_column) {
  return opened().insert_returning_key(sql, parameters, key_column);
}

std::string Connection::integer_key(const std::string& database, const std::string& table) {
  return opened().integer_key(database, table);
}

std::shared_ptr<host::Connection> new_connection() {
  return std::make_shared<Connection>();
}

std::string connection_string_for(const std::string& target) {
  if (is_postgres_target(target)) return target;
  return "Provider=SQLite;Data Source=" + target;
}

std::shared_ptr<host::Connection> open_target(const std::string& target, bool create) {
  if (!is_postgres_target(target)) {
    if (create) return open_or_create(target);
  }
  auto connection = std::make_shared<Connection>();
  connection->Open(connection_string_for(target), "", "", -1);
  return connection;
}

}  // namespace database
