#pragma once
// What the database layer needs from an engine beyond the host's connection: the rows of a query with
// the description of their columns, statements of the layer's own text with bound parameters, and the
// integer key of a table. The recordset (engine_recordset.hpp) and the schema work on any engine through
// this interface; SqliteConnection and PostgresConnection implement it, and Connection (connection.hpp)
// forwards it to the engine its connection string chose.

#include <cstdint>
#include <string>
#include <vector>

#include "database/column_values.hpp"
#include "host/database.hpp"

namespace database {

// Number of the error thrown for a statement that the engine refused or that failed while running.
inline constexpr std::int32_t kCommandError = -2147217900;
// Number of the error thrown when the database cannot be opened.
inline constexpr std::int32_t kOpenError = -2147467259;
inline constexpr std::int32_t kObjectClosed = 3704;
inline constexpr std::int32_t kObjectOpen = 3705;

// One column of a query's result as the engine describes it. database (SQLite's schema name, the
// PostgreSQL namespace), table and origin are empty for an expression; origin differs from name for an
// alias.
struct ResultColumn {
  std::string name;
  std::string declared_type;
  std::string database;
  std::string table;
  std::string origin;
  ColumnKind kind = ColumnKind::None;
};

struct QueryResult {
  std::vector<ResultColumn> columns;
  std::vector<std::vector<runtime::Variant>> rows;
};

enum class Dialect { SQLite, PostgreSQL };

class EngineConnection : public host::Connection {
 public:
  virtual Dialect dialect() const = 0;
  // The connection that runs the statements: itself, or the engine a Connection chose.
  virtual EngineConnection& engine() { return *this; }
  // Runs one statement of the module's text (adapted to the engine) and returns every row.
  virtual QueryResult query(const std::string& sql) = 0;
  // Runs one statement of the layer's own text, not adapted, with its parameters bound to ?1, ?2, ...
  virtual QueryResult run_bound(const std::string& sql, const std::vector<SqlValue>& parameters) = 0;
  // Runs an INSERT of the layer's own text (as run_bound) and returns the value of the table's integer
  // key column for the new row.
  virtual std::int64_t insert_returning_key(const std::string& sql, const std::vector<SqlValue>& parameters,
                                            const std::string& key_column) = 0;
  // The name of the table's single-column integer primary key, or "" when it has none.
  virtual std::string integer_key(const std::string& database, const std::string& table) = 0;
};

// The dialect of a connection of this layer (SQLite for any other connection).
inline Dialect dialect_of(host::Connection& connection) {
  auto* engine = dynamic_cast<EngineConnection*>(&connection);
  return engine ? engine->dialect() : Dialect::SQLite;
}

}  // namespace database
