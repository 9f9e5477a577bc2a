#pragma once
// Adaptation of the module's SQL text (written for a server engine) to SQLite. The tokenizer and the
// steps 1 to 5 are shared with the PostgreSQL adaptation (sql_tokens.hpp, postgres_dialect.hpp).
//
// adapt_statement() reads the text token by token: string literals ('...' with '' escapes), comments
// (-- to the end of the line, /* ... */) and quoted identifiers ("...", [...], `...`) are copied
// unchanged and never looked into. Outside them it makes these changes and nothing else:
//
//  1. `N'...'` becomes `'...'` (SQLite texts are already Unicode).
//  2. A number directly followed by a letter is split from it: `1001AND` becomes `1001 AND`. Exponents
//     (`1e5`, `1E+5`) and hexadecimal literals (`0x1F`) stay one number.
//  3. Locking table hints are removed: `WITH(NOLOCK)`, `WITH ( nolock )`, and the same with a comma list
//     of NOLOCK, READUNCOMMITTED, READCOMMITTED, REPEATABLEREAD, SERIALIZABLE, ROWLOCK, PAGLOCK,
//     TABLOCK, TABLOCKX, UPDLOCK, XLOCK, HOLDLOCK, READPAST, NOWAIT. SQLite has no such locks.
//  4. `SELECT [DISTINCT|ALL] TOP n` and `TOP (n)` lose the TOP clause and ` LIMIT n` is written after the
//     last token of that SELECT (before a ';' ending the statement, before the ')' closing a subquery,
//     and before trailing comments). `TOP n PERCENT` and `TOP n WITH TIES` are left as they are.
//  5. Constant folding, only in the conditions of WHERE, ON and HAVING: a comparison between two
//     literals of the same kind is evaluated — two texts with =, ==, <>, != (byte-wise without their
//     trailing blanks, as a server engine compares texts), two decimal numbers with those and <, >, <=, >= —
//     when it stands alone between boolean operators or parentheses (never next to an arithmetic
//     operator, COLLATE, IS, BETWEEN and the like). A folded comparison is written `1=1` or `1=0`, which
//     has the same value. Then, in each parenthesised group that is a whole boolean term (an operand of
//     AND, OR, NOT or of WHERE/ON/HAVING) and whose top level is a list of terms joined by OR, a term
//     that is a folded constant (or a group already reduced to one) is simplified: one true term makes
//     the group `(1=1)`, false terms are removed with their OR, and a group of only false terms becomes
//     `(1=0)`. Comparisons of a text with a number are left unchanged.
//  6. A column compared without its trailing blanks, `RTRIM(col) = 'x'` (=, <>, !=, <, <=, >, >=,
//     [NOT] IN, on either side; sql_tokens.hpp's trimmed_compared_columns), is written on the bare
//     column with the RTRIM collation, `col COLLATE RTRIM = 'x'`: the schema declares its code columns
//     and their indexes with that collation, so the comparison matches the same rows and an index on the
//     column serves it. Any other `RTRIM(x)` is given the collation, `RTRIM(x) COLLATE RTRIM`, unless a
//     COLLATE follows it already: compared with a text, trailing blanks on either side do not count, as
//     on a server engine.
//
// Apart from trailing blanks, the result set of the adapted text is the same as that of the original text
// run by SQLite; folding only lets SQLite see which column comparisons remain, so that it can use an index
// for them. For example the module's self-disabling filter ` AND (PD4G_DATAATTIVITA = '2026-03-01' OR
// '2026-03-01'='') ` becomes ` AND (PD4G_DATAATTIVITA = '2026-03-01') `, and ` AND (PD4G_IDLEGAME_PD0H =
// 0 OR 0=0) ` becomes ` AND (1=1) `.
//
// The function is pure: the same text always gives the same result, and a text with several statements
// is adapted statement by statement (refusing it is the connection's business).

//
// Reused statements. adapt_and_lift() adapts the text the same way and then lifts its literals into
// parameters, so that statements that differ only in their values share one text (the key of the
// connection's prepared statements, statement_cache.hpp). Lifted are the texts and the whole decimal
// numbers that fit 64 bits, in the statements that read or write rows (SELECT, INSERT, UPDATE, DELETE,
// REPLACE, WITH), where a bound value means exactly what the literal meant: in the conditions of WHERE, ON
// and HAVING, in the VALUES of an INSERT and in the SET of an UPDATE, never inside the length of a type
// name (`CAST(x AS VARCHAR(10))`). A literal of a result column stays (it names the column), in a subquery
// there too, as do those of ORDER BY and GROUP BY (a number there is a column's position), of LIMIT and
// OFFSET, reals and hexadecimal numbers and blobs (x'00ff'). The literal that stood at ?n is bound to it: a
// text as text (its trailing blanks kept; a column or RTRIM(x) with the RTRIM collation compares it as
// before), a number as a 64-bit integer. Put back in place of the ?n, the values give exactly
// adapt_statement()'s text.
//
// AdaptationMemo gives the result of adapt_and_lift() without running the steps again for a text whose
// shape it has seen: the same text with other literals, where every comparison of two literals that
// folding could evaluate has the same value. It holds a bounded number of shapes, and none of a text
// longer than 16 KiB (a list of thousands of days, run once).

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/column_values.hpp"

namespace database {

std::string adapt_statement(const std::string& sql);

struct LiftedStatement {
  std::string text;                  // the adapted text with ?1, ?2, ... where literals stood
  std::vector<SqlValue> parameters;  // the value of ?1, ?2, ...
};

LiftedStatement adapt_and_lift(const std::string& sql);

class AdaptationMemo {
 public:
  explicit AdaptationMemo(std::size_t capacity = 256) : capacity_(capacity) {}
  LiftedStatement adapt(const std::string& sql);
  // Number of adapted texts held.
  std::size_t size() const { return size_; }

 private:
  struct Template {
    std::string text;
    std::vector<int> parameters;  // for each ?n, the index of the literal's token in the original text
  };
  struct Shape {
    bool reusable = false;      // false: the steps run again for every text of this shape
    std::vector<int> verbatim;  // literals of the original text that stay in the adapted text
    std::unordered_map<std::string, Template> by_verbatim;  // keyed by the values of those literals
  };

  std::size_t capacity_;
  std::size_t size_ = 0;
  std::unordered_map<std::string, Shape> shapes_;
};

}  // namespace database
