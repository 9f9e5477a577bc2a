#pragma once
// The tokenizer of the module's SQL text and the rewriting steps that the dialect adaptations share
// (dialect.hpp for SQLite, postgres_dialect.hpp for PostgreSQL). Each adaptation composes these steps
// and adds its own; the header comment of each adaptation lists every change it makes.
//
// tokenize() reads the text into tokens: string literals ('...' with '' escapes; the N of N'...' is
// dropped), comments (-- to the end of the line, /* ... */), quoted identifiers ("...", [...], `...`),
// numbers (a number glued to a word, as in `1001AND`, is followed by a blank token), words and
// punctuation (two-character operators are one token). render() writes the tokens back: text that no
// step changed is copied exactly.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace database::sql {

enum class Kind { Space, Comment, String, Number, Word, Quoted, Punct, Constant };

struct Token {
  Kind kind = Kind::Punct;
  std::string text;
  bool value = false;    // truth of a Constant
  bool deleted = false;  // dropped from the output
  int origin = -1;       // index of the token of the original text it was copied from (see number_tokens)
};

using Tokens = std::vector<Token>;

constexpr std::size_t kNone = std::string::npos;

bool equals_ci(std::string_view a, std::string_view b);
// A hash of the text that equals_ci() texts share.
std::uint64_t hash_ci(std::string_view text);
bool is_significant(const Token& t);
bool is_word(const Token& t, std::string_view w);
bool is_punct(const Token& t, std::string_view p);
bool is_any_word(const Token& t, std::initializer_list<std::string_view> words);
// Keywords that end a WHERE/ON/HAVING condition at the same nesting level.
bool ends_condition(const Token& t);

// A token as it stands in the text (the blank after a number glued to a word is " ").
struct Lexeme {
  Kind kind = Kind::Punct;
  std::string_view text;
};

// The tokens of s, without copying their text; tokenize() gives the same tokens, one for each lexeme.
std::vector<Lexeme> lex(std::string_view s);
Tokens tokenize(const std::string& s);
std::string render(const Tokens& tokens);
// Gives each token its own index as origin: a step that copies or moves a token keeps it, a token that a
// step writes anew has none.
void number_tokens(Tokens& tokens);
// The tokens without the deleted ones.
Tokens compact(Tokens tokens);
// Index of the next or previous significant token (not blank, comment or deleted), or kNone.
std::size_t next_significant(const Tokens& t, std::size_t i);
std::size_t previous_significant(const Tokens& t, std::size_t i);
// The text of a string literal without its quotes, '' read as one quote.
std::optional<std::string> string_content(std::string_view literal);

// Where each token stands: in which clause, and whether an AND is the logical one (not BETWEEN's).
enum class Clause { Other, Select, From, Condition };

struct Place {
  Clause clause = Clause::Other;
  bool logical_and = false;
};

std::vector<Place> places(const Tokens& t);

// Locking table hints (WITH(NOLOCK) and the like) are deleted.
void remove_table_hints(Tokens& t);
// SELECT TOP n and TOP (n) become ... LIMIT n at the end of that SELECT.
Tokens move_top_to_limit(Tokens t);

// How two text literals compare when a comparison of them is folded: byte by byte, or byte by byte
// after removing the trailing blanks of both.
enum class TextRule { Exact, IgnoreTrailingBlanks };

// The value of the comparison `left op right` of two literals under rule, or nullopt when folding leaves
// it as it is (other operators, a text with a number, numbers that do not compare exactly).
std::optional<bool> compare_literals(const Token& left, const Token& op, const Token& right, TextRule rule);

// A column compared without its trailing blanks: `RTRIM(col) = ...`, `... = RTRIM(col)` with =, <>, !=,
// <, <=, >, >= or [NOT] IN, where the other side of the RTRIM is no operator that would take the trimmed
// value into an expression (||, +, COLLATE, ...). col is a name, qualified or not. Both engines compare
// their code columns without regard to trailing blanks, so such a comparison can be written on the bare
// column, which an index on it serves. The indexes of RTRIM, its parentheses and the column's tokens.
struct TrimmedColumn {
  std::size_t rtrim = kNone;
  std::size_t open = kNone;
  std::size_t close = kNone;
};
std::vector<TrimmedColumn> trimmed_compared_columns(const Tokens& t);

// Comparisons of two literals in WHERE/ON/HAVING conditions become the constant 1=1 or 1=0.
void fold_comparisons(Tokens& t, TextRule rule);
// OR groups holding folded constants are simplified.
void simplify_groups(Tokens& t);

// The literals of a statement on rows (SELECT, INSERT, UPDATE, DELETE, REPLACE, WITH) that a bound value
// can stand for, lifted out of the text: those of the conditions of WHERE, ON and HAVING, of an INSERT's
// VALUES and of an UPDATE's SET, outside the result columns (a subquery among them included), the length
// of a type name (`AS VARCHAR(10)`) and prefixed texts (x'00ff', E'...'). Only literals of the original
// text (number_tokens) that `bindable` accepts are lifted, at most max_parameters of them; each is written
// as placeholder followed by its number (?1 or $1, ...).
struct LiftedLiterals {
  std::string text;
  std::vector<std::size_t> bound;  // index in the tokens of the literal that stood at each placeholder
  std::vector<int> verbatim;       // origins of the bindable literals left in the text
};

LiftedLiterals lift_literals(const Tokens& t, char placeholder, std::size_t max_parameters,
                             bool (*bindable)(const Token&));

}  // namespace database::sql
