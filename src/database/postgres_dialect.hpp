#pragma once
// Adaptation of the module's SQL text (written for a server engine with SQL Server's rules) to
// PostgreSQL. It shares the tokenizer and the first steps with the SQLite adaptation (sql_tokens.hpp):
// string literals, comments and quoted identifiers are never looked into, and outside them it makes
// these changes and nothing else:
//
//  1. `N'...'` becomes `'...'`.
//  2. A number directly followed by a letter is split from it: `1001AND` becomes `1001 AND`.
//  3. Locking table hints are removed: `WITH(NOLOCK)` and the other hints the SQLite adaptation removes.
//  4. `SELECT [DISTINCT|ALL] TOP n` and `TOP (n)` become ` LIMIT n` at the end of that SELECT, as for
//     SQLite.
//  5. Constant folding of comparisons between two literals in WHERE, ON and HAVING, and simplification
//     of the OR groups holding them, as for SQLite, except that two texts are compared without their
//     trailing blanks (`'a ' = 'a'` is true), as the module's server compares them.
//  6. A quoted identifier ("Name", [Name], `Name`) becomes "name": the module's server reads names
//     without regard to case, and the schema's names are unquoted, which PostgreSQL keeps in lower case.
//  7. `==` becomes `=`.
//  8. A text literal compared with something (an operand of =, <>, !=, <, >, <= or >= outside an UPDATE's
//     SET list, or an item of an IN list) loses its trailing blanks. With the schema's text columns,
//     which ignore trailing blanks when they compare (bpchar), this gives the server's rule on both
//     sides: `CODE = 'A  '` finds 'A' and 'A ' alike, `RTRIM(CODE) = 'A '` finds them too, and an index
//     on CODE still serves the comparison. A text literal assigned (SET X = 'a ', VALUES) keeps its
//     blanks: texts are stored as given.
//  9. In COALESCE(a, b, ...) holding a text literal among its arguments, every other argument is read as
//     text (`CAST(a AS TEXT)`), as the module's server converts a date to text there.
// 10. A column compared without its trailing blanks, `RTRIM(col) = 'x'` (=, <>, !=, <, <=, >, >=,
//     [NOT] IN, on either side; sql_tokens.hpp's trimmed_compared_columns), loses the RTRIM: `col = 'x'`.
//     The code columns are bpchar, whose comparisons already ignore trailing blanks, and only the bare
//     column can be served by an index on it.
//
// The function is pure, and a text with several statements is adapted statement by statement (the
// connection refuses it: `statements` says how many there are).
//
// Reused statements. The adapted text of one statement is also given with its literals lifted into
// parameters $1, $2, ... (the same places as for SQLite, sql_tokens.hpp: conditions, VALUES, SET), so
// that the texts that differ only in their values share one prepared statement. Each value is bound with
// the type the server gives the literal: a text untyped (0: the server infers it from where it stands,
// as it does for the literal: a date compared with a date column is a date, a code compared with a bpchar
// column a bpchar), already without the trailing blanks of step 8; a whole number as int4, int8 beyond 32
// bits, numeric beyond 64; a number with a point or an exponent as numeric, written as in the text. NULL
// and what is not lifted stay in the text. Put back in place of the $n, the values give `text`. A text over
// 16 KiB (a list of thousands of days, run once) is not lifted.

#include <map>
#include <string>
#include <vector>

namespace database {

struct PostgresParameter {
  std::string value;  // as the server reads it from the text of the literal
  unsigned type = 0;  // the server's oid of the type; 0 for a text
};

struct PostgresStatement {
  std::string text;
  int statements = 0;
  // The spelling of each word of the original text, by its lower-case form: the connection gives the
  // result columns the names the text wrote (PostgreSQL reports unquoted names in lower case).
  std::map<std::string, std::string> spellings;
  // For one statement, the text with $1, $2, ... where the lifted literals stood, and their values.
  std::string lifted;
  std::vector<PostgresParameter> parameters;
};

PostgresStatement adapt_postgres_statement(const std::string& sql);

}  // namespace database
