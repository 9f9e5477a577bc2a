#pragma once
// The connection on a PostgreSQL database, through libpq.
//
// Connection string: a libpq URI (`postgresql://user@host:port/dbname?...`) or libpq's key=value
// parameters (`host=... port=... dbname=... user=...`). A password given there or in Open is used and
// never shown: messages describe the database by name, host, port and user only (describe_target()).
//
// Execute takes the module's text, adapts it (postgres_dialect.hpp) and runs exactly one statement: a
// text holding a second statement is refused and nothing runs. The layer opens no transaction: each
// statement commits on its own, so a failing statement never undoes the ones before it; the session
// commits with synchronous_commit = off (on with durable commits, rehearsal.hpp). In a rehearsal the
// statements join one transaction, each in a savepoint of its own. A session waits at most ten seconds
// for another user's lock. Every failure fills Errors() with the server's error
// (source "PostgreSQL", sql_state the SQLSTATE, number the SQLSTATE packed as the server packs it
// internally, description the server's message and detail) and throws runtime::Error(-2147217900,
// ..., "PostgreSQL provider"); misuse throws the numbers of the SQLite connection (3704, 3705,
// -2147467259 for a database that cannot be opened).
//
// Statements on rows are prepared on the server once per shape: the adapted text's literals are lifted
// into parameters (postgres_dialect.hpp), and the lifted text with the types of its values keys a named
// prepared statement in a bounded LRU cache per connection (statement_cache.hpp, kKeptStatements); the
// layer's own texts (run_bound) are kept the same way. A statement that leaves the cache is deallocated on
// the server. A prepared statement outlives the rollback of the transaction it was prepared in, so the
// savepoint of a failed statement leaves the cache true. A kept statement that the server refuses after a
// change of the schema ("cached plan must not change result type", or its parameters no longer fitting)
// is prepared again and run once more; a lifted text that cannot be prepared at all runs as the adapted
// text, with its values in place, as it would without the cache. A failure shows the adapted text with
// its values in place.
//
// Values read are those the SQLite connection gives for the same row (column_values.hpp): integers of
// every width as Long (Double above 32 bits, overflow above 2^53), reals as Double, numerics as whole
// numbers when whole, dates and timestamps as Date, texts as stored, NULL as Null. Result columns are
// named as the statement's text spells them (PostgreSQL reports unquoted names in lower case); a
// column of a table that the text does not name (SELECT *) gets its name in upper case, the schema's
// spelling.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "database/engine.hpp"
#include "database/rehearsal.hpp"
#include "database/statement_cache.hpp"

struct pg_conn;

namespace database {

class PostgresConnection : public EngineConnection,
                           public RehearsalParticipant,
                           public std::enable_shared_from_this<PostgresConnection> {
 public:
  static constexpr std::size_t kKeptStatements = 64;

  // kept: how many prepared statements the connection keeps on the server.
  explicit PostgresConnection(std::size_t kept = kKeptStatements) : statements_(kept) {}
  ~PostgresConnection() override;
  PostgresConnection(const PostgresConnection&) = delete;
  PostgresConnection& operator=(const PostgresConnection&) = delete;

  std::string ConnectionString() const override { return connection_string_; }
  void SetConnectionString(const std::string& text) override;
  // A user and a password given here override those of the connection string.
  void Open(const std::string& text, const std::string& user, const std::string& password,
            std::int32_t options) override;
  void Close() override;
  std::int32_t State() const override;
  std::shared_ptr<host::Recordset> Execute(const std::string& sql, std::int32_t options) override;
  std::vector<host::ProviderError> Errors() const override { return errors_; }
  std::int64_t RowsAffected() const override { return rows_affected_; }

  Dialect dialect() const override { return Dialect::PostgreSQL; }
  QueryResult query(const std::string& sql) override;
  QueryResult run_bound(const std::string& sql, const std::vector<SqlValue>& parameters) override;
  std::int64_t insert_returning_key(const std::string& sql, const std::vector<SqlValue>& parameters,
                                    const std::string& key_column) override;
  std::string integer_key(const std::string& database, const std::string& table) override;

  // Runs the layer's own text as it is, several statements allowed (the schema's script).
  void run_script(const std::string& sql);

  void rollback_rehearsal() noexcept override;

  // Number of prepared statements kept.
  std::size_t kept_statements() const { return statements_.size(); }

 private:
  // A statement this connection prepared on the server, by its name.
  struct ServerStatement {
    PostgresConnection* owner = nullptr;
    std::string name;
    void reset() {}
    void finalize();
  };

  // A statement as sent: its text with $1, $2, ..., the values (null: NULL) and their types (none: the
  // server infers every one), and the same statement with its values in place ("" for the layer's own).
  struct Sent {
    std::string text;
    std::vector<std::string> values;
    std::vector<bool> nulls;
    std::vector<unsigned> types;
    std::string plain;
  };

  struct Table {
    std::string schema;
    std::string name;
    std::map<int, std::string> columns;  // by attribute number
  };

  void require_open();
  // Runs one statement; shown is the text a failure shows.
  QueryResult run(const Sent& sent, const std::string& shown,
                  const std::map<std::string, std::string>* spellings);
  // Sends text with the values of sent through its prepared statement (prepared now when it is not kept);
  // unprepared tells that the server refused to prepare it.
  void* send(const std::string& text, const Sent& sent, bool& unprepared);
  void deallocate(const std::string& name);
  // Forgets the kept statements without deallocating them: the session that held them is gone.
  void drop_statements();
  // The rows and columns of a result (a PGresult).
  QueryResult rows_of(const void* result, const std::map<std::string, std::string>* spellings);
  const Table* table(unsigned oid);
  // Runs a statement of the layer's own control (BEGIN, SAVEPOINT, ...); throws as a failed statement.
  void control(const char* sql);
  [[noreturn]] void fail(std::int32_t number, const std::string& sql_state, const std::string& description);
  [[noreturn]] void fail_result(const void* result, const std::string& sql);

  std::string connection_string_;
  pg_conn* conn_ = nullptr;
  std::vector<host::ProviderError> errors_;
  std::int64_t rows_affected_ = 0;
  std::map<unsigned, Table> tables_;
  bool in_rehearsal_ = false;   // holds the rehearsal's transaction
  std::string session_action_;  // the token of the action the session hands to the journal's triggers
  KeptStatements<ServerStatement> statements_;
  std::uint64_t prepared_ = 0;  // statements prepared so far: the next one's name
  bool dropping_ = false;       // the kept statements are forgotten, not deallocated
};

// True when the text names a PostgreSQL database: a postgresql:// or postgres:// URI, or libpq key=value
// parameters (host=... dbname=...). Anything else is a SQLite file or connection string.
bool is_postgres_target(const std::string& text);

// For a text that opens like the server's key=value parameters ("host=...", "dbname=...") but that the
// client cannot read, or that no client is here to read: one line in `language` ("it" or else English)
// saying so, the client's reason included, and never the text itself (it may hold a password). Empty
// for anything else, which is a server's database or a file.
std::string server_parameters_problem(const std::string& text, const std::string& language);

// True when the text names a server's database with a password in it (password=... or user:pw@ of a URI).
bool names_password(const std::string& text);

// The text to show for a database in messages: the file of SQLite, or "PostgreSQL 'name' on
// host:port as user" for a server. Never holds a password.
std::string describe_target(const std::string& text);

}  // namespace database
