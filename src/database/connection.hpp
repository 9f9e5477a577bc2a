#pragma once
// The connection the hosts create (new_connection()): its connection string chooses the engine when it
// opens. A PostgreSQL URI or key=value parameters (postgres_connection.hpp) open a PostgresConnection;
// anything else is a SQLite connection string or file (sqlite_connection.hpp). Every call goes to the
// chosen engine; before the first Open the connection is closed and has no errors. In a rehearsal
// (rehearsal.hpp) the connections opened on one database share one engine until the rehearsal ends.

#include <memory>
#include <string>
#include <vector>

#include "database/engine.hpp"

namespace database {

class Connection : public EngineConnection {
 public:
  std::string ConnectionString() const override;
  void SetConnectionString(const std::string& text) override;
  void Open(const std::string& text, const std::string& user, const std::string& password,
            std::int32_t options) override;
  void Close() override;
  std::int32_t State() const override;
  std::shared_ptr<host::Recordset> Execute(const std::string& sql, std::int32_t options) override;
  std::vector<host::ProviderError> Errors() const override;
  std::int64_t RowsAffected() const override;

  Dialect dialect() const override;
  EngineConnection& engine() override;
  QueryResult query(const std::string& sql) override;
  QueryResult run_bound(const std::string& sql, const std::vector<SqlValue>& parameters) override;
  std::int64_t insert_returning_key(const std::string& sql, const std::vector<SqlValue>& parameters,
                                    const std::string& key_column) override;
  std::string integer_key(const std::string& database, const std::string& table) override;

 private:
  EngineConnection& opened();

  std::string connection_string_;
  std::shared_ptr<EngineConnection> engine_;
  bool shared_ = false;  // the engine is the rehearsal's
};

// The connection string of a database named on a command line or in the settings (--db): the text
// itself for PostgreSQL, "Provider=SQLite;Data Source=<path>" for a SQLite file.
std::string connection_string_for(const std::string& target);

// Opens the database named by `target` (as for --db). A SQLite file that does not exist is created when
// `create` is true; a PostgreSQL database must exist (createdb).
std::shared_ptr<host::Connection> open_target(const std::string& target, bool create);

}  // namespace database
