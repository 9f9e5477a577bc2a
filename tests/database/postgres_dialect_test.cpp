#include "database/postgres_dialect.hpp"

#include <gtest/gtest.h>

namespace database {
namespace {

struct Case {
  const char* name;
  std::string in;
  std::string out;
};

void expect_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PostgresStatement adapted = adapt_postgres_statement(c.in);
    EXPECT_EQ(adapted.text, c.out);
    EXPECT_EQ(adapted.statements, 1);
    // A second pass changes nothing.
    EXPECT_EQ(adapt_postgres_statement(adapted.text).text, adapted.text);
  }
}

TEST(PostgresDialect, TheSharedStepsAsForSqlite) {
  expect_cases({
      {"TOP and a lock hint",
       "SELECT TOP 1 1 FROM PD4H_ALLRISPROG WITH(NOLOCK) WHERE PD4H_IDCALENDARIO_PD4G = 12",
       "SELECT 1 FROM PD4H_ALLRISPROG  WHERE PD4H_IDCALENDARIO_PD4G = 12 LIMIT 1"},
      {"a number glued to AND and a national text", "UPDATE T SET A=1 WHERE L = 1001AND D = N'2026-03-01'",
       "UPDATE T SET A=1 WHERE L = 1001 AND D = '2026-03-01'"},
      {"the self-disabling filters fold",
       "SELECT * FROM T WHERE C = 1 AND (D = '2026-03-01' OR '2026-03-01'='') AND (N = 0 OR 0=0)",
       "SELECT * FROM T WHERE C = 1 AND (D = '2026-03-01') AND (1=1)"},
  });
}

TEST(PostgresDialect, TextsCompareWithoutTrailingBlanks) {
  expect_cases({
      {"a folded comparison ignores trailing blanks",
       "SELECT * FROM T WHERE (C = 'A' OR 'A  '='A') AND (C = 'B' OR 'B'<>'B ')",
       "SELECT * FROM T WHERE (1=1) AND (C = 'B')"},
      {"a compared literal loses its trailing blanks, on either side",
       "SELECT * FROM T WHERE RTRIM(C) = 'PRJ001  ' AND 'N01 ' = D AND E <> 'x  ' AND F >= 'a '",
       "SELECT * FROM T WHERE RTRIM(C) = 'PRJ001' AND 'N01' = D AND E <> 'x' AND F >= 'a'"},
      {"items of an IN list", "DELETE FROM T WHERE D IN ('a ', 'b', 'c  ') AND E = 1",
       "DELETE FROM T WHERE D IN ('a', 'b', 'c') AND E = 1"},
      {"an only-blank literal becomes empty", "SELECT * FROM T WHERE C = '   '",
       "SELECT * FROM T WHERE C = ''"},
      {"assigned and inserted texts keep their blanks", "UPDATE T SET C = 'a  ', D = 'b ' WHERE K = 'k '",
       "UPDATE T SET C = 'a  ', D = 'b ' WHERE K = 'k'"},
      {"values", "INSERT INTO T (A, B) VALUES ('a ', ' b ')", "INSERT INTO T (A, B) VALUES ('a ', ' b ')"},
      {"a quote inside a trimmed literal", "SELECT * FROM T WHERE C = 'it''s '",
       "SELECT * FROM T WHERE C = 'it''s'"},
      {"LIKE is left alone", "SELECT * FROM T WHERE C LIKE 'a% '", "SELECT * FROM T WHERE C LIKE 'a% '"},
      {"a comparison in a CASE of the select list", "SELECT CASE WHEN C = 'a ' THEN 1 ELSE 0 END AS X FROM T",
       "SELECT CASE WHEN C = 'a' THEN 1 ELSE 0 END AS X FROM T"},
  });
}

TEST(PostgresDialect, NamesOperatorsAndCoalesce) {
  expect_cases({
      {"quoted identifiers are read without case", "SELECT [PD4G_Data], \"Key\", `V` FROM [T]",
       "SELECT \"pd4g_data\", \"key\", \"v\" FROM \"t\""},
      {"==", "SELECT * FROM T WHERE A == 1", "SELECT * FROM T WHERE A = 1"},
      {"COALESCE with a text reads the other arguments as text",
       "SELECT COALESCE(PD0H_DATAINIZPIAN, '') || ' - ' || COALESCE(MAX(D), X, '-') FROM T",
       "SELECT COALESCE(CAST(PD0H_DATAINIZPIAN AS TEXT), '') || ' - ' || COALESCE(CAST(MAX(D) AS TEXT), "
       "CAST(X AS TEXT), '-') FROM T"},
      {"COALESCE without a text is left alone", "SELECT COALESCE(A, 0) FROM T",
       "SELECT COALESCE(A, 0) FROM T"},
      {"literals and comments are never looked into",
       "SELECT 'WITH(NOLOCK) [X] == 1001AND' /* [Y] 'z ' */ FROM T -- TOP 5\n",
       "SELECT 'WITH(NOLOCK) [X] == 1001AND' /* [Y] 'z ' */ FROM T -- TOP 5\n"},
  });
}

TEST(PostgresDialect, CountsStatementsAndKeepsTheSpellingOfNames) {
  EXPECT_EQ(adapt_postgres_statement("SELECT 1;").statements, 1);
  EXPECT_EQ(adapt_postgres_statement("SELECT 1; -- done").statements, 1);
  EXPECT_EQ(adapt_postgres_statement("SELECT 1; DELETE FROM T").statements, 2);
  EXPECT_EQ(adapt_postgres_statement("SELECT 'a;b'").statements, 1);
  EXPECT_EQ(adapt_postgres_statement("  -- nothing\n").statements, 0);
  auto s = adapt_postgres_statement("SELECT PD4G_DataAttivita AS Giorno FROM PD4G_CALENDATT");
  EXPECT_EQ(s.spellings.at("pd4g_dataattivita"), "PD4G_DataAttivita");
  EXPECT_EQ(s.spellings.at("giorno"), "Giorno");
}

}  // namespace
}  // namespace database
