#include "database/dialect.hpp"

#include <gtest/gtest.h>

#include "database/postgres_dialect.hpp"
#include "support/engines.hpp"
#include "temp_database.hpp"

namespace database {
namespace {

using calendatt::testing::Engine;
using calendatt::testing::ScratchDatabase;

struct Case {
  const char* name;
  std::string in;
  std::string out;
};

// Each case through one adaptation; a second pass changes nothing: the connection may see text that was
// adapted already.
template <class Adapt>
void expect_adapted(const std::vector<Case>& cases, Adapt adapt) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string adapted = adapt(c.in);
    EXPECT_EQ(adapted, c.out);
    EXPECT_EQ(adapt(adapted), adapted);
  }
}

void expect_cases(const std::vector<Case>& cases) {
  expect_adapted(cases, [](const std::string& in) { return adapt_statement(in); });
}

// The lifted text of a PostgreSQL statement with each $n replaced by its value written as a literal.
std::string put_back(const PostgresStatement& s) {
  return testing::put_back(s.lifted, '$', [&](std::size_t n) {
    const PostgresParameter& p = s.parameters.at(n);
    return p.type != 0 ? p.value : testing::quoted(p.value);
  });
}

// Each case adapted, and lifted: the values put back give the adapted text.
void expect_postgres_cases(const std::vector<Case>& cases) {
  expect_adapted(cases, [](const std::string& in) {
    PostgresStatement adapted = adapt_postgres_statement(in);
    EXPECT_EQ(adapted.statements, 1);
    if (!adapted.lifted.empty()) {
      EXPECT_EQ(put_back(adapted), adapted.text);
    }
    return adapted.text;
  });
}

const std::string kSelectPart =
    " SELECT PD4G_CALENDATT.*, \r\n PD4G_IDDISBAPROG_PD0G AS PD4G_IDDISBAPROG_PD68, PD4G_IDDISBAPROG_PD0G AS "
    "PD4G_IDDISBAPROG_PD0C, PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_PD0D,  PD4G_IDLEGAME_PD0H AS "
    "PD4G_IDLEGAME_INI, "
    "PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_FIN  FROM PD4G_CALENDATT  WHERE PD4G_DITTA_CG18 = 1";

TEST(DatabaseDialect, ModuleStatements) {
  expect_cases({
      {"allocation check before deleting one day",
       "SELECT TOP 1 1 FROM PD4H_ALLRISPROG WHERE PD4H_IDCALENDARIO_PD4G = 12",
       "SELECT 1 FROM PD4H_ALLRISPROG WHERE PD4H_IDCALENDARIO_PD4G = 12 LIMIT 1"},
      {"allocation count of the deletion dialog",
       "SELECT COUNT(PD4H_IDCALENDARIO_PD4G) AS NRRIS \r\n FROM PD4H_ALLRISPROG WITH(NOLOCK) \r\n INNER JOIN "
       "PD4G_CALENDATT WITH(NOLOCK) \r\n ON PD4G_IDCALENDARIO = PD4H_IDCALENDARIO_PD4G \r\n WHERE "
       "PD4G_DITTA_CG18 = "
       "1 \r\n AND PD4G_IDDISBAPROG_PD0G = 101\r\n AND PD4G_IDLEGAME_PD0H = 1001\r\n AND PD4G_DATAATTIVITA = "
       "'2026-03-04'",
       "SELECT COUNT(PD4H_IDCALENDARIO_PD4G) AS NRRIS \r\n FROM PD4H_ALLRISPROG  \r\n INNER JOIN "
       "PD4G_CALENDATT  "
       "\r\n ON PD4G_IDCALENDARIO = PD4H_IDCALENDARIO_PD4G \r\n WHERE PD4G_DITTA_CG18 = 1 \r\n AND "
       "PD4G_IDDISBAPROG_PD0G = 101\r\n AND PD4G_IDLEGAME_PD0H = 1001\r\n AND PD4G_DATAATTIVITA = "
       "'2026-03-04'"},
      {"bulk update with the link id glued to AND",
       "UPDATE PD4G_CALENDATT SET   PD4G_ANNOATTIVITA=2026,  PD4G_MESEATTIVITA=3,  PD4G_GGATTIVITA=2,  "
       "PD4G_ORAINIZIO=0,  PD4G_MININIZIO=0,  PD4G_ORAFINE=6,  PD4G_MINFINE=0,  PD4G_DURATAORE=6,  "
       "PD4G_DURATAMINUTI=0 WHERE PD4G_DITTA_CG18  = 1  AND PD4G_IDDISBAPROG_PD0G = 101 AND "
       "PD4G_IDLEGAME_PD0H = "
       "1001AND PD4G_DATAATTIVITA = '2026-03-02'",
       "UPDATE PD4G_CALENDATT SET   PD4G_ANNOATTIVITA=2026,  PD4G_MESEATTIVITA=3,  PD4G_GGATTIVITA=2,  "
       "PD4G_ORAINIZIO=0,  PD4G_MININIZIO=0,  PD4G_ORAFINE=6,  PD4G_MINFINE=0,  PD4G_DURATAORE=6,  "
       "PD4G_DURATAMINUTI=0 WHERE PD4G_DITTA_CG18  = 1  AND PD4G_IDDISBAPROG_PD0G = 101 AND "
       "PD4G_IDLEGAME_PD0H = "
       "1001 AND PD4G_DATAATTIVITA = '2026-03-02'"},
      {"calendar query, every filter off", testing::calendar_query(1, "", "", "", "", ""),
       kSelectPart + " AND (1=1)  AND (1=1)  AND (1=1)  AND (1=1)  AND (1=1) "},
      {"calendar query, one day", testing::calendar_query(1, "2026-03-01", "", "", "", ""),
       kSelectPart + " AND (PD4G_DATAATTIVITA = '2026-03-01')  AND (1=1)  AND (1=1)  AND (1=1)  AND (1=1) "},
      {"calendar query, node, link and period",
       testing::calendar_query(1, "", "101", "1001", "2026-03-01", "2026-03-31"),
       kSelectPart + " AND (1=1)  AND (PD4G_IDDISBAPROG_PD0G = 101)  AND (PD4G_IDLEGAME_PD0H = 1001)  AND "
                     "(PD4G_DATAATTIVITA>= '2026-03-01')  AND (PD4G_DATAATTIVITA<= '2026-03-31') "},
  });
}

TEST(DatabaseDialect, LiteralsCommentsAndQuotedNamesAreNeverChanged) {
  const std::string literal = "'TOP 1 WITH(NOLOCK) 5AND ''='' N''x'' 0=0'";
  expect_cases({
      {"select list literal", "SELECT " + literal + " AS T", "SELECT " + literal + " AS T"},
      {"condition literal", "SELECT 1 FROM T WHERE A = " + literal, "SELECT 1 FROM T WHERE A = " + literal},
      {"line comment", "SELECT 1 FROM T -- TOP 5AND WITH(NOLOCK) ''='' \nWHERE A = 1",
       "SELECT 1 FROM T -- TOP 5AND WITH(NOLOCK) ''='' \nWHERE A = 1"},
      {"block comment", "SELECT 1 /* SELECT TOP 1 0=0 */ FROM T", "SELECT 1 /* SELECT TOP 1 0=0 */ FROM T"},
      {"quoted names", "SELECT [5AND], \"N'x'\", `0=0` FROM [WITH(NOLOCK)]",
       "SELECT [5AND], \"N'x'\", `0=0` FROM [WITH(NOLOCK)]"},
      {"digits inside names", "SELECT PD4G_X1, T2.C3 FROM T2", "SELECT PD4G_X1, T2.C3 FROM T2"},
  });
}

TEST(DatabaseDialect, LexicalAdaptations) {
  expect_cases({
      {"unicode literal", "SELECT 1 FROM T WHERE C = N'caffè'", "SELECT 1 FROM T WHERE C = 'caffè'"},
      {"unicode literal with quotes, lower-case prefix", "SELECT n'l''orto'", "SELECT 'l''orto'"},
      {"number glued to AND", "WHERE A = 1001AND B = 2", "WHERE A = 1001 AND B = 2"},
      {"decimal glued to OR", "WHERE A = 5.5OR B = 2", "WHERE A = 5.5 OR B = 2"},
      {"exponent stays a number", "SELECT 1e5, 1E+5, 2.5e-3", "SELECT 1e5, 1E+5, 2.5e-3"},
      {"exponent glued to AND", "WHERE A = 1E+5AND B = 1", "WHERE A = 1E+5 AND B = 1"},
      {"E that is no exponent", "SELECT CASE WHEN A THEN 5END", "SELECT CASE WHEN A THEN 5 END"},
      {"hexadecimal", "SELECT 0x1F", "SELECT 0x1F"},
      {"hint with blanks, any case", "SELECT A FROM T with ( nolock ) WHERE A = 1",
       "SELECT A FROM T  WHERE A = 1"},
      {"hint list", "SELECT A FROM T WITH (NOLOCK, ROWLOCK)", "SELECT A FROM T "},
      {"other hint kept", "SELECT A FROM T WITH (INDEX(IX))", "SELECT A FROM T WITH (INDEX(IX))"},
      {"top after DISTINCT, before ORDER BY's end", "SELECT DISTINCT TOP 5 A FROM T ORDER BY A",
       "SELECT DISTINCT A FROM T ORDER BY A LIMIT 5"},
      {"top in parentheses, before ';'", "SELECT TOP (3) A FROM T;", "SELECT A FROM T LIMIT 3;"},
      {"top in a subquery", "SELECT A FROM T WHERE B IN (SELECT TOP 1 B FROM U ) AND C = 1",
       "SELECT A FROM T WHERE B IN (SELECT B FROM U LIMIT 1 ) AND C = 1"},
      {"top before a trailing comment", "SELECT TOP 1 A FROM T -- last", "SELECT A FROM T LIMIT 1 -- last"},
      {"top percent kept", "SELECT TOP 10 PERCENT A FROM T", "SELECT TOP 10 PERCENT A FROM T"},
      {"column named TOP", "SELECT TOP FROM T", "SELECT TOP FROM T"},
  });
}

TEST(DatabaseDialect, Folding) {
  expect_cases({
      {"false term first", "SELECT 1 FROM T WHERE ('2026-03-01'='' OR A = 1)",
       "SELECT 1 FROM T WHERE (A = 1)"},
      {"false term in the middle", "SELECT 1 FROM T WHERE (A = 1 OR 2<1 OR B = 2)",
       "SELECT 1 FROM T WHERE (A = 1 OR B = 2)"},
      {"two false terms at the end", "SELECT 1 FROM T WHERE (A = 1 OR 5=0 OR 'a'<>'a')",
       "SELECT 1 FROM T WHERE (A = 1)"},
      {"true term", "SELECT 1 FROM T WHERE (A = 1 OR ''='')", "SELECT 1 FROM T WHERE (1=1)"},
      {"only false terms", "SELECT 1 FROM T WHERE ('x'='' OR 0<>0)", "SELECT 1 FROM T WHERE (1=0)"},
      {"numbers compare as numbers", "SELECT 1 FROM T WHERE (10>9) AND (1.0=1) AND (2>=10)",
       "SELECT 1 FROM T WHERE (1=1) AND (1=1) AND (1=0)"},
      {"texts only with equality", "SELECT 1 FROM T WHERE ('10'>'9')", "SELECT 1 FROM T WHERE ('10'>'9')"},
      {"text against number kept", "SELECT 1 FROM T WHERE (A = 1 OR '0'=0)",
       "SELECT 1 FROM T WHERE (A = 1 OR '0'=0)"},
      {"standing alone", "SELECT 1 FROM T WHERE A = 1 AND 0=0 OR 5=0",
       "SELECT 1 FROM T WHERE A = 1 AND 1=1 OR 1=0"},
      {"inner group reduced first", "SELECT 1 FROM T WHERE ((A = 1 OR 0=1) OR ''='x')",
       "SELECT 1 FROM T WHERE ((A = 1))"},
      {"true inner group", "SELECT 1 FROM T WHERE (B = 2 OR (A = 1 OR 0=0))", "SELECT 1 FROM T WHERE (1=1)"},
      {"join condition", "SELECT 1 FROM T JOIN U ON (T.A = U.A OR 1=0) WHERE 1",
       "SELECT 1 FROM T JOIN U ON (T.A = U.A) WHERE 1"},
      {"subquery condition", "SELECT 1 FROM T WHERE A IN (SELECT B FROM U WHERE (C = 1 OR 1=0))",
       "SELECT 1 FROM T WHERE A IN (SELECT B FROM U WHERE (C = 1))"},
      {"OR inside CASE is not a term", "SELECT 1 FROM T WHERE (CASE WHEN A OR 0=1 THEN 1 END = 1 OR 0=1)",
       "SELECT 1 FROM T WHERE (CASE WHEN A OR 1=0 THEN 1 END = 1)"},
      // Places where folding would change the meaning or the column names.
      {"group compared to a value", "SELECT 1 FROM T WHERE (A OR 0=1) = 1",
       "SELECT 1 FROM T WHERE (A OR 1=0) = 1"},
      {"arithmetic before", "SELECT 1 FROM T WHERE A = 5+0=0", "SELECT 1 FROM T WHERE A = 5+0=0"},
      {"collation after", "SELECT 1 FROM T WHERE 'a'='A' COLLATE NOCASE",
       "SELECT 1 FROM T WHERE 'a'='A' COLLATE NOCASE"},
      {"BETWEEN's AND", "SELECT 1 FROM T WHERE A BETWEEN 1 AND 0=0",
       "SELECT 1 FROM T WHERE A BETWEEN 1 AND 0=0"},
      {"select list", "SELECT 'a'='', CASE WHEN 0=0 THEN 1 END FROM T",
       "SELECT 'a'='', CASE WHEN 0=0 THEN 1 END FROM T"},
      {"function arguments", "SELECT 1 FROM T WHERE F((A OR 1=0))", "SELECT 1 FROM T WHERE F((A OR 1=0))"},
      {"trailing blanks do not count", "SELECT 1 FROM T WHERE (A = 1 OR 'x  '='x') AND ('  '<>'' OR B = 2)",
       "SELECT 1 FROM T WHERE (1=1) AND (B = 2)"},
  });
}

TEST(DatabaseDialect, TrimmedTextsTakeTheTrimmingCollation) {
  expect_cases({
      {"the resolution's codes, compared bare",
       "WHERE (RTRIM(PD0G_CODPROG_PD68)='PRJ001 ' AND rtrim( C )<>'x')",
       "WHERE (PD0G_CODPROG_PD68 COLLATE RTRIM='PRJ001 ' AND C COLLATE RTRIM<>'x')"},
      {"a join of two codes, qualified", "SELECT 1 FROM A JOIN B ON RTRIM(A.X) = RTRIM(B.Y) WHERE K = 1",
       "SELECT 1 FROM A JOIN B ON A.X COLLATE RTRIM = B.Y COLLATE RTRIM WHERE K = 1"},
      {"IN and NOT IN", "SELECT 1 FROM T WHERE RTRIM(A) IN ('a') OR RTRIM(B) NOT IN ('b')",
       "SELECT 1 FROM T WHERE A COLLATE RTRIM IN ('a') OR B COLLATE RTRIM NOT IN ('b')"},
      {"a trimmed value in an expression keeps its RTRIM", "SELECT 1 FROM T WHERE 'x' || RTRIM(A) = 'xa'",
       "SELECT 1 FROM T WHERE 'x' || RTRIM(A) COLLATE RTRIM = 'xa'"},
      {"nested calls", "SELECT RTRIM(LTRIM(A)) AS C FROM T ORDER BY RTRIM(B)",
       "SELECT RTRIM(LTRIM(A)) COLLATE RTRIM AS C FROM T ORDER BY RTRIM(B) COLLATE RTRIM"},
      {"a collation of its own kept", "SELECT 1 FROM T WHERE RTRIM(A) COLLATE NOCASE = 'a'",
       "SELECT 1 FROM T WHERE RTRIM(A) COLLATE NOCASE = 'a'"},
      {"not a call", "SELECT RTRIM FROM T", "SELECT RTRIM FROM T"},
  });
}

// Texts compare as on a server engine: trailing blanks on either side never count, for =, <>, IN and the
// trimmed codes of the activity resolution, on stored codes with and without trailing blanks; case counts,
// and a code reads as it is stored.
class TextComparisons : public ::testing::TestWithParam<Engine> {};

TEST_P(TextComparisons, IgnoreTrailingBlanks) {
  if (GetParam() == Engine::PostgreSQL) {
    ASSERT_FALSE(calendatt::testing::test_server().empty()) << calendatt::testing::kNoServer;
  }
  ScratchDatabase db(GetParam());
  auto connection = db.create(true);
  auto count = [&](const std::string& where) {
    auto rs = connection->Execute(
        "SELECT COUNT(*) AS N FROM PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG ON PD0H_IDDISBAPROG_PD0G = "
        "PD0G_IDDISBAPROG WHERE PD0G_DITTA_CG18 = 1 AND " +
            where,
        host::kAdCmdText);
    return rs->Field("N").to_long();
  };
  // Node 102 is stored as "PRJ001  " / "N02" with activity "ATT01   ".
  EXPECT_EQ(count("RTRIM(PD0H_CODATTIVITA_PD0D)='ATT01 ' AND RTRIM(PD0G_CODNODO_PD0C)='N02  '"), 1);
  EXPECT_EQ(count("PD0H_CODATTIVITA_PD0D='ATT01' AND PD0G_CODNODO_PD0C='N02 '"), 1);
  EXPECT_EQ(count("PD0G_CODPROG_PD68 = 'PRJ001 ' AND PD0G_CODNODO_PD0C IN ('N01 ', 'N02')"), 8);
  EXPECT_EQ(count("PD0G_CODPROG_PD68 <> 'PRJ001   '"), 1);
  EXPECT_EQ(count("RTRIM(PD0H_CODATTIVITA_PD0D)='ATT0'"), 0);
  EXPECT_EQ(count("PD0G_CODPROG_PD68 = 'prj001'"), 0);
  auto stored = connection->Execute(
      "SELECT PD0G_CODPROG_PD68 FROM PD0G_DISBAPROG WHERE PD0G_CODNODO_PD0C = 'N02' AND PD0G_DITTA_CG18 = 1",
      host::kAdCmdText);
  ASSERT_EQ(stored->RecordCount(), 1);
  EXPECT_EQ(stored->Field("PD0G_CODPROG_PD68").to_string(), "PRJ001  ");
}

CALENDATT_ON_EACH_ENGINE(TextComparisons);

TEST(PostgresDialect, TheSharedStepsAsForSqlite) {
  expect_postgres_cases({
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
  expect_postgres_cases({
      {"a folded comparison ignores trailing blanks",
       "SELECT * FROM T WHERE (C = 'A' OR 'A  '='A') AND (C = 'B' OR 'B'<>'B ')",
       "SELECT * FROM T WHERE (1=1) AND (C = 'B')"},
      {"a compared literal loses its trailing blanks, on either side",
       "SELECT * FROM T WHERE RTRIM(C) = 'PRJ001  ' AND 'N01 ' = D AND E <> 'x  ' AND F >= 'a '",
       "SELECT * FROM T WHERE C = 'PRJ001' AND 'N01' = D AND E <> 'x' AND F >= 'a'"},
      {"a compared code is compared bare, an index serves it",
       "SELECT RTRIM(A) AS A FROM T JOIN U ON RTRIM(U.B) = RTRIM(T.B) WHERE 'x' = RTRIM(C) AND RTRIM(D) || "
       "'y' = 'z'",
       "SELECT RTRIM(A) AS A FROM T JOIN U ON U.B = T.B WHERE 'x' = C AND RTRIM(D) || 'y' = 'z'"},
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
  expect_postgres_cases({
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

// The values lifted out of the statements on rows, each with the type the server gives its literal.
TEST(PostgresDialect, LiftsTheValuesWithTheTypesOfTheirLiterals) {
  PostgresStatement s = adapt_postgres_statement(
      "SELECT 'x' AS K, N FROM T WHERE A = 'ab  ' AND N = 5 AND B = 5000000000 AND C = 99999999999999999999 "
      "AND R = 2.50 AND E > 1e-3 AND D = '2026-03-01'AND Z IS NULL AND 7 / 2 = 3 ORDER BY 2");
  EXPECT_EQ(s.lifted,
            "SELECT 'x' AS K, N FROM T WHERE A = $1 AND N = $2 AND B = $3 AND C = $4 AND R = $5 AND E > $6 "
            "AND D = $7 AND Z IS NULL AND $8 / $9 = $10 ORDER BY 2");
  std::vector<std::pair<std::string, unsigned>> got;
  for (const PostgresParameter& p : s.parameters) got.emplace_back(p.value, p.type);
  EXPECT_EQ(got, (std::vector<std::pair<std::string, unsigned>>{{"ab", 0},
                                                                {"5", 23},
                                                                {"5000000000", 20},
                                                                {"99999999999999999999", 1700},
                                                                {"2.50", 1700},
                                                                {"1e-3", 1700},
                                                                {"2026-03-01", 0},
                                                                {"7", 23},
                                                                {"2", 23},
                                                                {"3", 23}}));
  PostgresStatement insert = adapt_postgres_statement("INSERT INTO T (A, N, D) VALUES ('ab  ', NULL, E'x')");
  EXPECT_EQ(insert.lifted, "INSERT INTO T (A, N, D) VALUES ($1, NULL, E'x')");
  ASSERT_EQ(insert.parameters.size(), 1u);
  EXPECT_EQ(insert.parameters[0].value, "ab  ");
  // Statements that are not on rows are sent as they are.
  EXPECT_EQ(adapt_postgres_statement("CREATE TABLE T (A TEXT DEFAULT 'x')").lifted, "");
  EXPECT_EQ(adapt_postgres_statement("SELECT 1; SELECT 2").lifted, "");
  // Nor is a text of thousands of days, which runs once.
  std::string days = "DELETE FROM T WHERE D IN ('2026-01-01'";
  for (int i = 0; i < 2000; ++i) days += ", '2026-01-01'";
  EXPECT_EQ(adapt_postgres_statement(days + ")").lifted, "");
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
