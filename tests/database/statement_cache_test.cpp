// Reused statements: the literals lifted into parameters must give back exactly the adapted text, the memo
// of shapes must answer as the adaptation does, and a kept statement must run as a fresh one would.

#include <sqlite3.h>

#include <gtest/gtest.h>

#include "database/dialect.hpp"
#include "database/postgres_connection.hpp"
#include "database/postgres_dialect.hpp"
#include "database/rehearsal.hpp"
#include "database/statement_cache.hpp"
#include "runtime/error.hpp"
#include "support/engines.hpp"
#include "temp_database.hpp"

namespace database {
namespace {

// The lifted text with each ?n replaced by its value written as a literal.
std::string put_back(const LiftedStatement& lifted) {
  return testing::put_back(lifted.text, '?', [&](std::size_t n) {
    const SqlValue& v = lifted.parameters.at(n);
    return std::holds_alternative<std::string>(v) ? testing::quoted(std::get<std::string>(v))
                                                  : std::to_string(std::get<std::int64_t>(v));
  });
}

const std::vector<std::string>& texts() {
  static const std::vector<std::string> all = {
      testing::calendar_query(1, "", "", "", "", ""),
      testing::calendar_query(1, "2026-03-01", "", "", "", ""),
      testing::calendar_query(2, "", "103", "1032", "2026-02-01", "2026-02-28"),
      "SELECT TOP 1 1 FROM PD4H_ALLRISPROG WHERE PD4H_IDCALENDARIO_PD4G = 12",
      "SELECT COUNT(PD4H_IDCALENDARIO_PD4G) AS NRRIS FROM PD4H_ALLRISPROG WITH(NOLOCK) INNER JOIN "
      "PD4G_CALENDATT WITH(NOLOCK) ON PD4G_IDCALENDARIO = PD4H_IDCALENDARIO_PD4G WHERE PD4G_DITTA_CG18 = 1 "
      "AND "
      "PD4G_IDLEGAME_PD0H = 1001AND PD4G_DATAATTIVITA = N'2026-03-04'",
      "UPDATE PD4G_CALENDATT SET PD4G_DURATAORE=6, PD4G_DURATAMINUTI=30 WHERE PD4G_DITTA_CG18 = 1 AND "
      "PD4G_DATAATTIVITA IN ('2026-03-02', '2026-03-03')",
      "INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE) VALUES (1, 'ATT01 ', "
      "'l''ultima')",
      "SELECT 'x' AS K, 7, CAST(PD0D_CODATTIVITA AS VARCHAR(10)) AS C FROM PD0D_ATTIVITA WHERE "
      "CAST(PD0D_DITTA_CG18 AS DECIMAL(10, 2)) = 1 AND RTRIM(PD0D_CODATTIVITA) = 'ATT01 ' ORDER BY 2, 1 "
      "LIMIT 5",
      "DELETE FROM T WHERE B = x'00ff' AND N BETWEEN 1 AND 2.5 AND H = 0x1F",
      "SELECT A FROM T WHERE N = 99999999999999999999 OR N = -3 OR N = 1e3",
      "SELECT A FROM T WHERE (N = 5 OR 5 = 0) AND ('a' = 'a ' OR A = 'b')",
      "CREATE TABLE T2 (A TEXT DEFAULT 'x', N INTEGER DEFAULT 3)",
  };
  return all;
}

TEST(DatabaseLifting, ValuesPutBackGiveTheAdaptedTextAndTheMemoAnswersAsTheAdaptation) {
  AdaptationMemo memo(8);
  for (int pass = 0; pass < 3; ++pass) {
    for (const std::string& text : texts()) {
      SCOPED_TRACE(text);
      LiftedStatement lifted = adapt_and_lift(text);
      EXPECT_EQ(put_back(lifted), adapt_statement(text));
      LiftedStatement memoised = memo.adapt(text);
      EXPECT_EQ(memoised.text, lifted.text);
      EXPECT_EQ(memoised.parameters, lifted.parameters);
    }
  }
  EXPECT_LE(memo.size(), 8u);
}

TEST(DatabaseLifting, WhatIsLiftedAndHowItIsBound) {
  using Values = std::vector<SqlValue>;
  struct Case {
    const char* in;
    const char* text;
    Values parameters;
  };
  for (const Case& c : std::vector<Case>{
           // A text stays a text (its leading zero, its trailing blank), a whole number a 64-bit integer.
           {"SELECT 'x' AS K, N FROM T WHERE A = '0123' AND N = 42 AND CAST(A AS VARCHAR(10)) = 'ATT01 '",
            "SELECT 'x' AS K, N FROM T WHERE A = ?1 AND N = ?2 AND CAST(A AS VARCHAR(10)) = ?3",
            {std::string("0123"), std::int64_t{42}, std::string("ATT01 ")}},
           {"INSERT INTO T (A, N) VALUES ('it''s', 7)",
            "INSERT INTO T (A, N) VALUES (?1, ?2)",
            {std::string("it's"), std::int64_t{7}}},
           {"UPDATE T SET A = '', N = 1 WHERE N = 2",
            "UPDATE T SET A = ?1, N = ?2 WHERE N = ?3",
            {std::string(), std::int64_t{1}, std::int64_t{2}}},
           // A subquery among the result columns keeps its literals: an unnamed column is named after it.
           {"SELECT (SELECT COUNT(*) FROM T WHERE N = 1), A FROM T WHERE N IN (SELECT N FROM T WHERE A = "
            "'x')",
            "SELECT (SELECT COUNT(*) FROM T WHERE N = 1), A FROM T WHERE N IN (SELECT N FROM T WHERE A = ?1)",
            {std::string("x")}},
           // Nothing is lifted outside the statements on rows, nor from a TOP count.
           {"CREATE TABLE T (A TEXT DEFAULT 'x')", "CREATE TABLE T (A TEXT DEFAULT 'x')", {}},
           {"SELECT TOP 3 A FROM T WHERE N = 1", "SELECT A FROM T WHERE N = ?1 LIMIT 3", {std::int64_t{1}}},
       }) {
    SCOPED_TRACE(c.in);
    LiftedStatement s = adapt_and_lift(c.in);
    EXPECT_EQ(s.text, c.text);
    EXPECT_EQ(s.parameters, c.parameters);
  }
}

TEST(DatabaseLifting, TheMemoTellsApartTextsThatFoldDifferently) {
  AdaptationMemo memo;
  auto filter = [](const std::string& day) {
    return "SELECT A FROM T WHERE N = 1 AND (D = '" + day + "' OR '" + day + "'='') AND (N = 0 OR 0=0)";
  };
  for (const char* day : {"2026-03-01", "", "2026-03-02", " ", ""}) {
    SCOPED_TRACE(day);
    LiftedStatement expected = adapt_and_lift(filter(day));
    LiftedStatement got = memo.adapt(filter(day));
    EXPECT_EQ(got.text, expected.text);
    EXPECT_EQ(got.parameters, expected.parameters);
  }
  EXPECT_EQ(memo.adapt(filter("")).text, "SELECT A FROM T WHERE N = ?1 AND (1=1) AND (1=1)");
  EXPECT_EQ(memo.adapt(filter("2026-03-09")).text, "SELECT A FROM T WHERE N = ?1 AND (D = ?2) AND (1=1)");
  // A TOP count stays in the text: two counts are two texts.
  EXPECT_EQ(memo.adapt("SELECT TOP 2 A FROM T WHERE N = 1").text, "SELECT A FROM T WHERE N = ?1 LIMIT 2");
  EXPECT_EQ(memo.adapt("SELECT TOP 5 A FROM T WHERE N = 1").text, "SELECT A FROM T WHERE N = ?1 LIMIT 5");
}

class DatabaseKeptStatements : public ::testing::Test {
 protected:
  void SetUp() override {
    connection_ = db_.create();
    run("CREATE TABLE T (A TEXT COLLATE RTRIM UNIQUE, N INTEGER)");
    run("INSERT INTO T (A, N) VALUES ('0123', 123)");
    run("INSERT INTO T (A, N) VALUES ('ATT01', 1)");
    run("INSERT INTO T (A, N) VALUES ('5', 5)");
  }

  void run(const std::string& sql) { connection_->Execute(sql, host::kAdExecuteNoRecords); }

  // The values of column A of the rows of sql, in order.
  std::vector<std::string> column_a(const std::string& sql) {
    std::vector<std::string> out;
    auto rs = connection_->Execute(sql, host::kAdCmdText);
    for (; !rs->Eof(); rs->MoveNext()) out.push_back(rs->Field("A").to_string());
    return out;
  }

  testing::TempDatabase db_;
  std::shared_ptr<SqliteConnection> connection_;
};

TEST_F(DatabaseKeptStatements, EachRunIsBoundWithItsOwnValuesOfTheirOwnType) {
  using Rows = std::vector<std::string>;
  const std::vector<std::pair<std::string, Rows>> cases = {
      // A text is bound as text: '0123' is not the number 123, typeof sees a text.
      {"SELECT A FROM T WHERE A = '0123'", {"0123"}},
      {"SELECT A FROM T WHERE A = '123'", {}},
      {"SELECT A FROM T WHERE typeof('5') = 'text' AND N = 5", {"5"}},
      // The integer column converts a text as it converted the literal.
      {"SELECT A FROM T WHERE N = '123'", {"0123"}},
      // Trailing blanks do not count, on the column and on RTRIM(x), as before.
      {"SELECT A FROM T WHERE A = 'ATT01   '", {"ATT01"}},
      {"SELECT A FROM T WHERE RTRIM(A) = 'ATT01 '", {"ATT01"}},
      {"SELECT A FROM T WHERE RTRIM(A) = ' ATT01'", {}},
      // Texts of one shape, one after the other, each with its own values.
      {"SELECT A FROM T WHERE A = '5' AND N >= 0", {"5"}},
      {"SELECT A FROM T WHERE A = 'ATT01' AND N >= 0", {"ATT01"}},
      {"SELECT A FROM T WHERE A = 'none' AND N >= 0", {}},
      {"SELECT A FROM T WHERE A = '0123' AND N >= 0", {"0123"}},
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& [sql, rows] : cases) EXPECT_EQ(column_a(sql), rows) << sql;
  }
}

TEST_F(DatabaseKeptStatements, AFailedRunLeavesTheStatementReadyAndShowsItsValues) {
  // A second '5' breaks the unique key; the same shape with another value then runs.
  runtime::Error error(0, "");
  try {
    run("INSERT INTO T (A, N) VALUES ('5', 6)");
    ADD_FAILURE() << "no error";
  } catch (const runtime::Error& e) {
    error = e;
  }
  EXPECT_NE(error.description().find("VALUES ('5', 6)"), std::string::npos) << error.description();
  EXPECT_EQ(connection_->Errors().at(0).number, SQLITE_CONSTRAINT_UNIQUE);
  run("INSERT INTO T (A, N) VALUES ('6', 6)");
  EXPECT_EQ(column_a("SELECT A FROM T WHERE N = 6"), std::vector<std::string>{"6"});

  // A statement left after its rows holds no read transaction: another connection's write is seen.
  EXPECT_EQ(column_a("SELECT A FROM T WHERE N = 7"), std::vector<std::string>{});
  auto other = db_.connect();
  other->Execute("INSERT INTO T (A, N) VALUES ('7', 7)", host::kAdExecuteNoRecords);
  EXPECT_EQ(column_a("SELECT A FROM T WHERE N = 7"), std::vector<std::string>{"7"});
  // Another connection can change the schema: no statement of this one is still reading.
  other->Execute("CREATE INDEX T_N ON T (N)", host::kAdExecuteNoRecords);
}

TEST_F(DatabaseKeptStatements, AChangeOfTheSchemaIsSeenByAKeptStatement) {
  auto names = [&] {
    return connection_->Execute("SELECT * FROM T WHERE N = 1", host::kAdCmdText)->FieldNames();
  };
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "N"}));
  run("ALTER TABLE T ADD COLUMN EXTRA TEXT DEFAULT 'e'");
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "N", "EXTRA"}));
  auto rs = connection_->Execute("SELECT * FROM T WHERE N = 1", host::kAdCmdText);
  EXPECT_EQ(rs->Field("EXTRA").to_string(), "e");
  run("DROP TABLE T");
  run("CREATE TABLE T (N INTEGER, B TEXT)");
  run("INSERT INTO T (N, B) VALUES (1, 'b')");
  EXPECT_EQ(names(), (std::vector<std::string>{"N", "B"}));
  EXPECT_EQ(connection_->Execute("SELECT * FROM T WHERE N = 1", host::kAdCmdText)->Field("B").to_string(),
            "b");
  // Closing finalizes the kept statements; the reopened connection prepares its own.
  connection_->Close();
  connection_->Open("", "", "", -1);
  EXPECT_EQ(names(), (std::vector<std::string>{"N", "B"}));
}

TEST_F(DatabaseKeptStatements, ShapesBeyondTheBoundAreEvictedAndStillGiveTheirOwnRows) {
  for (int i = 0; i < 3 * static_cast<int>(SqliteConnection::kKeptStatements); ++i) {
    // A different column list makes a different shape each time.
    std::string sql = "SELECT A" + std::string(static_cast<std::size_t>(i % 200), ' ') + ", N + " +
                      std::to_string(i) + " AS M FROM T WHERE N = 5";
    auto rs = connection_->Execute(sql, host::kAdCmdText);
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Field("M").to_long(), 5 + i);
  }
}

// The prepared statements of a PostgreSQL connection: the values bound with the types of their literals
// give the rows of the adapted text, the server holds no more statements than the bound, and a kept
// statement follows the schema, inside the person's action and outside it.
class PostgresKeptStatements : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(calendatt::testing::test_server().empty()) << calendatt::testing::kNoServer;
    server_ = std::make_unique<calendatt::testing::ScratchDatabase>(calendatt::testing::Engine::PostgreSQL);
    raw_ = server_->raw();
    raw_->exec(
        "CREATE TABLE T (A VARCHAR(10), C CHAR(6), N INTEGER, B BIGINT, R NUMERIC(10, 3), D DATE, S "
        "TIMESTAMP)");
  }

  // A connection of its own that keeps at most kept statements.
  std::shared_ptr<PostgresConnection> open(std::size_t kept = PostgresConnection::kKeptStatements) {
    auto c = std::make_shared<PostgresConnection>(kept);
    c->Open(server_->target(), "", "", -1);
    return c;
  }
  static void run(host::Connection& c, const std::string& sql) { c.Execute(sql, host::kAdExecuteNoRecords); }
  static std::string value(host::Connection& c, const std::string& sql) {
    auto rs = c.Execute(sql, host::kAdCmdText);
    return rs->Eof() ? "" : rs->Field(rs->FieldNames().at(0)).to_string();
  }
  // How many statements the server holds prepared for c.
  static long on_server(host::Connection& c) {
    return c.Execute("SELECT COUNT(*) AS N FROM pg_prepared_statements", host::kAdCmdText)
        ->Field("N")
        .to_long();
  }

  // How many statements of the lifted text of sql the server holds prepared for c.
  static std::string prepared(host::Connection& c, const std::string& sql) {
    return value(c, "SELECT COUNT(*) AS K FROM pg_prepared_statements WHERE statement = '" +
                        runtime::replace_all(adapt_postgres_statement(sql).lifted, "'", "''") + "'");
  }

  std::unique_ptr<calendatt::testing::ScratchDatabase> server_;
  std::unique_ptr<calendatt::testing::RawAccess> raw_;
};

TEST_F(PostgresKeptStatements, EachValueIsBoundWithTheTypeOfItsLiteralAndGivesTheRowsOfTheAdaptedText) {
  auto c = open();
  const std::string insert = "INSERT INTO T (A, C, N, B, R, D, S) VALUES (";
  run(*c, insert + "'ab  ', 'C1 ', 5, 5000000000, 2.5, '2026-03-01', '2026-03-01 08:30:00')");
  run(*c, insert + "'0123', 'C2', 7, 7, 0.3, '2026-03-02', '2026-03-02 00:00:00')");
  run(*c, insert + "NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
  // Stored as given: a text keeps its blanks and its leading zero, NULL is NULL.
  EXPECT_EQ(value(*c, "SELECT A FROM T WHERE N = 5"), "ab  ");
  EXPECT_EQ(value(*c, "SELECT A FROM T WHERE B = 7"), "0123");
  EXPECT_EQ(value(*c, "SELECT COUNT(*) AS K FROM T WHERE A IS NULL AND D IS NULL"), "1");
  const std::string count = "SELECT COUNT(*) AS K FROM T WHERE ";
  for (const char* where :
       {"A = 'ab  '", "A = '0123'", "A = '123'", "C = 'C1'", "C = 'C2   '", "RTRIM(C) = 'C1 '", "N = 5",
        "N = '7'", "B = 5000000000", "B > 2147483647", "B = 99999999999999999999", "R = 2.5", "R = 2.50",
        "R > 1e-1", "R = 0.3",
        // Integer division of two int4, exact sums of numerics: as the literals compute.
        "N / 2 = 2", "7 / 2 = 3 AND N = 5", "0.1 + 0.2 = 0.3", "2147483648 / 2 = 1073741824",
        "D = '2026-03-01'", "D >= '2026-03-02'", "S >= '2026-03-01 08:30'", "S < '2026-03-02'",
        "D = '2026-03-01'AND N = 5", "(D = '2026-03-02' OR '2026-03-02'='') AND (N = 0 OR 0=0)"}) {
    SCOPED_TRACE(where);
    std::string adapted = adapt_postgres_statement(count + where).text;
    const std::string expected = raw_->value(adapted);
    EXPECT_EQ(value(*c, count + where), expected);
    // Again through the kept statement, which the server holds (one per list of types: N = 5 and N = '7'
    // are two): its values' types let it be prepared.
    EXPECT_EQ(value(*c, count + where), expected);
    EXPECT_NE(prepared(*c, count + where), "0");
  }
  // A literal where a value cannot stand (a typed literal) runs as it was adapted, unprepared.
  EXPECT_EQ(value(*c, count + "D < DATE '2026-03-02'"), "1");
  EXPECT_EQ(prepared(*c, count + "D < DATE '2026-03-02'"), "0");
}

TEST_F(PostgresKeptStatements, BeyondTheBoundStatementsAreDeallocatedAndANestedRunKeepsItsRows) {
  auto c = open(2);
  run(*c, "INSERT INTO T (N) VALUES (1), (2), (3)");
  const std::string numbers = "SELECT N FROM T WHERE N >= ";
  auto outer = c->Execute(numbers + "2 ORDER BY N", host::kAdCmdText);
  std::vector<std::string> seen;
  for (; !outer->Eof(); outer->MoveNext()) {
    seen.push_back(outer->Field("N").to_string());
    // The same text with another value, and other shapes that push it out of the cache.
    EXPECT_EQ(c->Execute(numbers + "3 ORDER BY N", host::kAdCmdText)->RecordCount(), 1);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(value(*c, "SELECT N + " + std::to_string(i) + " AS M FROM T WHERE N = 1"),
                std::to_string(1 + i));
    EXPECT_LE(on_server(*c), 2);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(c->kept_statements(), 2u);
  // A connection that keeps none prepares nothing.
  auto none = open(0);
  EXPECT_EQ(value(*none, numbers + "3"), "3");
  EXPECT_EQ(on_server(*none), 0);
}

TEST_F(PostgresKeptStatements, AKeptStatementFollowsAChangeOfTheSchema) {
  auto c = open();
  run(*c, "INSERT INTO T (A, N) VALUES ('7', 1)");
  auto names = [&] { return c->Execute("SELECT * FROM T WHERE N = 1", host::kAdCmdText)->FieldNames(); };
  auto found = [&] { return value(*c, "SELECT N FROM T WHERE A = '7'"); };
  EXPECT_EQ(names().size(), 7u);
  EXPECT_EQ(found(), "1");
  for (bool in_action : {false, true}) {
    SCOPED_TRACE(in_action ? "in a rehearsal" : "alone");
    std::unique_ptr<Rehearsal> action = in_action ? std::make_unique<Rehearsal>() : nullptr;
    // Its result gains a column: "cached plan must not change result type", then prepared again.
    run(*c, in_action ? "ALTER TABLE T DROP COLUMN E" : "ALTER TABLE T ADD COLUMN E TEXT DEFAULT 'e'");
    EXPECT_EQ(names().size(), in_action ? 7u : 8u);
    // The column its value is compared with changes type: the value's inferred type no longer fits.
    run(*c, in_action ? "ALTER TABLE T ALTER COLUMN A TYPE VARCHAR(10)"
                      : "ALTER TABLE T ALTER COLUMN A TYPE INTEGER USING A::INTEGER");
    EXPECT_EQ(found(), "1");
    run(*c, "INSERT INTO T (A, N) VALUES ('7', 2)");
    // Each was prepared again under its name: the server holds exactly the kept statements.
    EXPECT_NE(prepared(*c, "SELECT * FROM T WHERE N = 1"), "0");
    long held = on_server(*c);
    EXPECT_EQ(held, static_cast<long>(c->kept_statements()));
  }
  // The rehearsal's changes were rolled back: only the first round's row stays.
  EXPECT_EQ(raw_->value("SELECT COUNT(*) FROM T WHERE A = '7'"), "2");
}

TEST_F(PostgresKeptStatements, AFailedStatementInARehearsalLeavesTheSameTextReadyToRun) {
  auto c = open();
  raw_->exec("CREATE UNIQUE INDEX T_N ON T (N)");
  {
    Rehearsal action;
    run(*c, "INSERT INTO T (N, A) VALUES (1, 'first')");
    // The first run of a shape fails at its preparation (no such table), then at its run (the key exists):
    // the action goes on, and the same texts run once the cause is gone.
    const std::string later = "SELECT COUNT(*) AS K FROM LATER WHERE N = 1";
    EXPECT_THROW(value(*c, later), runtime::Error);
    EXPECT_THROW(run(*c, "INSERT INTO T (N) VALUES (1)"), runtime::Error);
    runtime::Error shown(0, "");
    try {
      run(*c, "INSERT INTO T (N) VALUES (1)");
    } catch (const runtime::Error& e) {
      shown = e;
    }
    EXPECT_NE(shown.description().find("VALUES (1)"), std::string::npos) << shown.description();
    EXPECT_EQ(c->Errors().at(0).sql_state, "23505");
    run(*c, "CREATE TABLE LATER (N INTEGER)");
    EXPECT_EQ(value(*c, later), "0");
    // Its kept statement fails once its table is gone, and runs again once it is back.
    run(*c, "DROP TABLE LATER");
    EXPECT_THROW(value(*c, later), runtime::Error);
    run(*c, "CREATE TABLE LATER (N INTEGER)");
    EXPECT_EQ(value(*c, later), "0");
    run(*c, "INSERT INTO T (N) VALUES (2)");
    EXPECT_EQ(value(*c, "SELECT COUNT(*) AS K FROM T WHERE N IN (1, 2)"), "2");
  }
  EXPECT_EQ(raw_->rows("SELECT N FROM T"), (std::vector<std::string>{}));
}

// The cache itself, on a plain handle.
class DatabaseStatementCache : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    exec("CREATE TABLE T (N INTEGER)");
    exec("INSERT INTO T VALUES (1), (2), (3)");
  }
  void TearDown() override { sqlite3_close_v2(db_); }

  void exec(const char* sql) { ASSERT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), SQLITE_OK); }
  sqlite3_stmt* prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK);
    return stmt;
  }
  StatementCache::Lease lease(StatementCache& cache, const std::string& sql) {
    StatementCache::Lease l = cache.take(sql);
    return l ? std::move(l) : cache.keep(sql, prepare(sql));
  }

  sqlite3* db_ = nullptr;
};

TEST_F(DatabaseStatementCache, AStatementInUseIsNeitherEvictedNorSharedNorLostToClear) {
  StatementCache cache(2);
  const std::string reading = "SELECT N FROM T ORDER BY N";
  {
    StatementCache::Lease first = lease(cache, reading);
    ASSERT_EQ(sqlite3_step(first->stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(first->stmt, 0), 1);
    // The same text while the first is stepping: another statement, not the one in use.
    EXPECT_FALSE(cache.take(reading));
    StatementCache::Lease second = cache.keep(reading, prepare(reading));
    EXPECT_NE(second->stmt, first->stmt);
    ASSERT_EQ(sqlite3_step(second->stmt), SQLITE_ROW);
    // Three more shapes fill a cache of two: the statement in use stays and keeps stepping.
    for (int i = 0; i < 3; ++i) {
      StatementCache::Lease other = lease(cache, "SELECT N + " + std::to_string(i) + " FROM T");
      ASSERT_EQ(sqlite3_step(other->stmt), SQLITE_ROW);
    }
    EXPECT_LE(cache.size(), 3u);
    ASSERT_EQ(sqlite3_step(first->stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(first->stmt, 0), 2);
  }
  // Back in the cache, reset: it starts again from the first row.
  {
    StatementCache::Lease again = cache.take(reading);
    ASSERT_TRUE(again);
    ASSERT_EQ(sqlite3_step(again->stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(again->stmt, 0), 1);
    // Cleared while in use: it finishes its rows and is finalized after.
    cache.clear();
    EXPECT_EQ(cache.size(), 0u);
    ASSERT_EQ(sqlite3_step(again->stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(again->stmt, 0), 2);
  }
  EXPECT_FALSE(cache.take(reading));
  // Every statement is finalized: none is left on the handle.
  EXPECT_EQ(sqlite3_next_stmt(db_, nullptr), nullptr);
}

TEST_F(DatabaseStatementCache, TheLeaseClearsTheBindingsAndTheLeastRecentlyUsedGoesFirst) {
  StatementCache cache(2);
  {
    StatementCache::Lease l = lease(cache, "SELECT ?1");
    sqlite3_bind_int(l->stmt, 1, 7);
    ASSERT_EQ(sqlite3_step(l->stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(l->stmt, 0), 7);
  }
  {
    StatementCache::Lease l = cache.take("SELECT ?1");
    ASSERT_TRUE(l);
    ASSERT_EQ(sqlite3_step(l->stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_type(l->stmt, 0), SQLITE_NULL);
  }
  { StatementCache::Lease b = lease(cache, "SELECT 2"); }
  { StatementCache::Lease a = cache.take("SELECT ?1"); }  // used again: "SELECT 2" is now the oldest
  { StatementCache::Lease c = lease(cache, "SELECT 3"); }
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_TRUE(cache.take("SELECT ?1"));
  EXPECT_FALSE(cache.take("SELECT 2"));
  EXPECT_TRUE(cache.take("SELECT 3"));
}

}  // namespace
}  // namespace database
