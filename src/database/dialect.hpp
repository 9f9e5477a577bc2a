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
//  6. `RTRIM(x)` is given the RTRIM collation, `RTRIM(x) COLLATE RTRIM`, unless a COLLATE follows it
//     already: compared with a text, trailing blanks on either side do not count, as on a server engine.
//     The schema declares its code columns with that collation, so comparisons on the bare columns
//     behave the same way.
//
// Apart from trailing blanks, the result set of the adapted text is the same as that of the original text
// run by SQLite; folding only lets SQLite see which column comparisons remain, so that it can use an index
// for them. For example the module's self-disabling filter ` AND (PD4G_DATAATTIVITA = '2026-03-01' OR
// '2026-03-01'='') ` becomes ` AND (PD4G_DATAATTIVITA = '2026-03-01') `, and ` AND (PD4G_IDLEGAME_PD0H =
// 0 OR 0=0) ` becomes ` AND (1=1) `.
//
// The function is pure: the same text always gives the same result, and a text with several statements
// is adapted statement by statement (refusing it is the connection's business).

#include <string>

namespace database {

std::string adapt_statement(const std::string& sql);

}  // namespace database
