#pragma once
// The connection on a SQLite file.
//
// Connection string: "Provider=SQLite;Data Source=/path/file.db" (keys in any case, Provider optional,
// values may be quoted), or a bare path without '='. Open never creates a file; open_or_create() does.
// Open never writes into a file that is not a SQLite database (an empty file included), and opens
// read-only a database that this user may not write or whose folder is read-only.
// An open database runs in WAL mode with synchronous=NORMAL (FULL with durable commits, rehearsal.hpp),
// enforces its foreign keys, and waits up to five seconds for another user's lock instead of failing. A
// connection that wrote asks the engine to keep its statistics up to date when it closes (PRAGMA
// optimize). With the environment variable
// CALENDATT_SQL_TRACE naming a file, every statement run is appended to it (the benchmarks replay them).
//
// Execute takes the module's text, adapts it (dialect.hpp) and runs exactly one statement: a text
// holding a second statement, or a comment outside its literals (statement_guard.hpp), is refused and
// nothing runs. Each statement commits on its own; in a rehearsal (rehearsal.hpp) the first one begins the
// rehearsal's transaction (BEGIN IMMEDIATE when it writes), and a statement that fails is undone alone by
// the engine. The adapted text's literals are lifted into parameters (dialect.hpp) and its prepared
// statement is kept by the lifted text in a bounded cache (statement_cache.hpp): a text that differs from
// an earlier one only in its values is bound and run again, not prepared afresh; the layer's own texts
// (run_bound) are kept the same way. Every failure fills Errors() with the provider's error (number = SQLite
// extended result code, source "SQLite") and throws runtime::Error(-2147217900, ..., "SQLite provider") for a
// statement the engine rejected, or the number of the original provider for misuse (3704 closed, 3705
// already open, -2147467259 database not found).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/column_values.hpp"
#include "database/dialect.hpp"
#include "database/engine.hpp"
#include "database/journal.hpp"
#include "database/rehearsal.hpp"
#include "database/statement_cache.hpp"
#include "host/database.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace database {

class SqliteConnection : public EngineConnection,
                         public RehearsalParticipant,
                         public std::enable_shared_from_this<SqliteConnection> {
 public:
  SqliteConnection() = default;
  ~SqliteConnection() override;
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  std::string ConnectionString() const override { return connection_string_; }
  void SetConnectionString(const std::string& text) override;
  void Open(const std::string& text, const std::string& user, const std::string& password,
            std::int32_t options) override;
  void Close() override;
  std::int32_t State() const override;
  // Options with 128 (no records) run the statement and return nullptr; otherwise the result is an open
  // recordset on the statement's rows (closed when the statement returns no columns, e.g. an UPDATE).
  std::shared_ptr<host::Recordset> Execute(const std::string& sql, std::int32_t options) override;
  std::vector<host::ProviderError> Errors() const override { return errors_; }
  std::int64_t RowsAffected() const override { return rows_affected_; }

  Dialect dialect() const override { return Dialect::SQLite; }
  QueryResult query(const std::string& sql) override;
  QueryResult run_bound(const std::string& sql, const std::vector<SqlValue>& parameters) override;
  // The row id of the new row.
  std::int64_t insert_returning_key(const std::string& sql, const std::vector<SqlValue>& parameters,
                                    const std::string& key_column) override;
  std::int64_t last_insert_id() const;
  // The name of the table's INTEGER PRIMARY KEY column (its row id), or "" when it has none.
  std::string integer_key(const std::string& database, const std::string& table) override;
  // The file of the open database ("" when closed).
  const std::string& path() const { return path_; }

  void rollback_rehearsal() noexcept override;

 private:
  friend std::shared_ptr<host::Connection> open_or_create(const std::string& path);

  void open_file(bool create);
  void require_open();
  // Refuses, before anything runs, a text with a comment outside its literals (statement_guard.hpp).
  void refuse_comments(const std::string& sql);
  // Runs one statement. module_text, when given, is the module's text that sql was adapted from: a failure
  // shows it adapted, with its values in place.
  QueryResult run(const std::string& sql, const std::vector<SqlValue>& parameters, bool want_rows,
                  const std::string* module_text = nullptr);
  // The prepared statement of sql, from the cache or prepared now.
  StatementCache::Lease prepare(const std::string& sql, const std::string* module_text);
  [[noreturn]] void fail(std::int32_t number, std::int32_t provider_number, const std::string& description);
  // Throws the engine's error of the statement that failed, after `cleanup` (which may run statements
  // of its own) has run.
  [[noreturn]] void fail_engine(const std::string& sql, const std::function<void()>& cleanup = {});
  // Closes the engine's connection (after PRAGMA optimize when it wrote).
  void close_engine() noexcept;
  // Begins the rehearsal's transaction before a statement.
  void begin_rehearsal(const std::string& sql, bool writes);

  std::string connection_string_;
  std::string path_;
  sqlite3* db_ = nullptr;
  std::vector<host::ProviderError> errors_;
  std::int64_t rows_affected_ = 0;
  bool in_rehearsal_ = false;  // holds the rehearsal's transaction
  bool wrote_ = false;         // a statement changed the database
  AdaptationMemo adaptations_;
  StatementCache statements_{kKeptStatements};

 public:
  static constexpr std::size_t kKeptStatements = 64;
};

// A new, unopened connection (the host's connection factory): a Connection (connection.hpp), whose
// connection string chooses SQLite or PostgreSQL when it opens.
std::shared_ptr<host::Connection> new_connection();

// Opens the SQLite file at path, creating an empty database when the file does not exist.
std::shared_ptr<host::Connection> open_or_create(const std::string& path);

}  // namespace database
