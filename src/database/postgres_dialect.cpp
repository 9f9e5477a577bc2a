#include "database/postgres_dialect.hpp"

#include <charconv>
#include <cstdint>
#include <limits>
#include <vector>

#include "database/sql_tokens.hpp"

namespace database {
namespace {

using namespace sql;

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string quote_text(const std::string& content) {
  std::string out = "'";
  for (char c : content) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

// "Name", [Name] or `Name` as "name".
std::string lower_identifier(const std::string& quoted) {
  char open = quoted.front();
  char close = open == '[' ? ']' : open;
  std::string inner;
  std::size_t end = quoted.size() >= 2 && quoted.back() == close ? quoted.size() - 1 : quoted.size();
  for (std::size_t i = 1; i < end; ++i) {
    inner += quoted[i];
    if (close != ']' && quoted[i] == close && i + 1 < end && quoted[i + 1] == close) ++i;
  }
  std::string out = "\"";
  for (char c : lower(inner)) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

bool is_comparison(const Token& t) {
  if (t.kind != Kind::Punct) return false;
  return t.text == "=" || t.text == "<>" || t.text == "!=" || t.text == "<" || t.text == ">" ||
         t.text == "<=" || t.text == ">=";
}

// Trailing blanks of the text literals that are compared (change 8).
void trim_compared_literals(Tokens& t) {
  std::vector<Place> p = places(t);
  std::vector<bool> in_list_stack;  // per open parenthesis: whether it opens an IN list
  bool in_set = false;              // between SET and WHERE of an UPDATE
  std::size_t previous = kNone;
  auto assignment = [&](std::size_t op) {
    return t[op].text == "=" && (in_set || p[op].clause == Clause::Other);
  };
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!is_significant(t[i])) continue;
    const Token& tok = t[i];
    if (is_word(tok, "SET")) in_set = true;
    if (is_any_word(tok, {"WHERE", "FROM", "SELECT"}) || is_punct(tok, ";")) in_set = false;
    if (is_punct(tok, "(")) {
      in_list_stack.push_back(previous != kNone && is_word(t[previous], "IN"));
    } else if (is_punct(tok, ")")) {
      if (!in_list_stack.empty()) in_list_stack.pop_back();
    } else if (tok.kind == Kind::String) {
      bool compared = false;
      if (previous != kNone && is_comparison(t[previous]) && !assignment(previous)) compared = true;
      std::size_t next = next_significant(t, i);
      if (next != kNone && is_comparison(t[next]) && !assignment(next)) compared = true;
      if (previous != kNone && !in_list_stack.empty() && in_list_stack.back() &&
          (is_punct(t[previous], "(") || is_punct(t[previous], ",")))
        compared = true;
      if (compared) {
        if (auto content = string_content(tok.text)) {
          std::size_t keep = content->find_last_not_of(' ');
          content->erase(keep == std::string::npos ? 0 : keep + 1);
          t[i].text = quote_text(*content);
        }
      }
    }
    previous = i;
  }
}

// COALESCE with a text literal reads its other arguments as text (change 9).
Tokens coalesce_as_text(const Tokens& t) {
  std::vector<std::vector<Token>> before(t.size() + 1), after(t.size() + 1);
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!is_word(t[i], "COALESCE")) continue;
    std::size_t open = next_significant(t, i);
    if (open == kNone || !is_punct(t[open], "(")) continue;
    struct Argument {
      std::size_t first = kNone, last = kNone;
      std::size_t count = 0;
    };
    std::vector<Argument> arguments(1);
    int depth = 0;
    std::size_t close = kNone;
    for (std::size_t k = open + 1; k < t.size(); ++k) {
      if (!is_significant(t[k])) continue;
      if (is_punct(t[k], "(")) ++depth;
      if (is_punct(t[k], ")")) {
        if (depth == 0) {
          close = k;
          break;
        }
        --depth;
      }
      if (depth == 0 && is_punct(t[k], ",")) {
        arguments.emplace_back();
        continue;
      }
      Argument& a = arguments.back();
      if (a.first == kNone) a.first = k;
      a.last = k;
      ++a.count;
    }
    if (close == kNone) continue;
    auto is_text = [&](const Argument& a) { return a.count == 1 && t[a.first].kind == Kind::String; };
    bool any_text = false;
    for (const Argument& a : arguments) any_text = any_text || is_text(a);
    if (!any_text) continue;
    auto is_text_cast = [&](const Argument& a) {
      std::size_t before_last = previous_significant(t, a.last);
      return is_word(t[a.first], "CAST") && is_punct(t[a.last], ")") && before_last != kNone &&
             is_word(t[before_last], "TEXT");
    };
    for (const Argument& a : arguments) {
      if (a.count == 0 || is_text(a) || is_text_cast(a)) continue;
      before[a.first].push_back({Kind::Word, "CAST("});
      after[a.last].push_back({Kind::Word, " AS TEXT)"});
    }
  }
  Tokens out;
  out.reserve(t.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    out.insert(out.end(), before[i].begin(), before[i].end());
    out.push_back(t[i]);
    // Closing in reverse order of opening is not needed: each argument gets one pair at most per call,
    // and nested calls close inside their argument.
    out.insert(out.end(), after[i].rbegin(), after[i].rend());
  }
  return out;
}

// Type oids of the literals the server reads.
constexpr unsigned kInt4 = 23, kInt8 = 20, kNumeric = 1700;
// The protocol numbers the parameters with 16 bits.
constexpr std::size_t kMaxParameters = 65535;
// A longer text (a list of thousands of days) runs once: lifting it would only cost time and memory.
constexpr std::size_t kLongestLifted = 16384;

// A decimal number: digits with at most one point, then an optional exponent (1, 2.5, .5, 1e3, 1.5E-2).
bool is_decimal(std::string_view s) {
  std::size_t i = 0, digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponent = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == exponent) return false;
  }
  return i == s.size();
}

bool bindable(const Token& t) {
  if (t.kind == Kind::String) return t.text.size() >= 2 && t.text.front() == '\'' && t.text.back() == '\'';
  return t.kind == Kind::Number && is_decimal(t.text);
}

PostgresParameter parameter_of(const Token& t) {
  if (t.kind == Kind::String) return {*string_content(t.text), 0};
  std::int64_t v = 0;
  const char* end = t.text.data() + t.text.size();
  auto [ptr, ec] = std::from_chars(t.text.data(), end, v);
  unsigned type = kNumeric;
  if (ec == std::errc() && ptr == end) type = v <= std::numeric_limits<std::int32_t>::max() ? kInt4 : kInt8;
  return {t.text, type};
}

}  // namespace

PostgresStatement adapt_postgres_statement(const std::string& text) {
  PostgresStatement out;
  Tokens tokens = tokenize(text);
  number_tokens(tokens);
  for (const Token& tok : tokens)
    if (tok.kind == Kind::Word) out.spellings.emplace(lower(tok.text), tok.text);
  remove_table_hints(tokens);
  tokens = move_top_to_limit(compact(std::move(tokens)));
  fold_comparisons(tokens, TextRule::IgnoreTrailingBlanks);
  tokens = compact(std::move(tokens));
  simplify_groups(tokens);
  // A column compared without its trailing blanks is compared bare (change 10).
  for (const TrimmedColumn& c : trimmed_compared_columns(tokens)) {
    for (std::size_t k = c.rtrim; k <= c.close; ++k)
      if (k <= c.open || k == c.close || tokens[k].kind == Kind::Space) tokens[k].deleted = true;
  }
  tokens = compact(std::move(tokens));
  bool open_statement = false;
  for (Token& tok : tokens) {
    if (tok.kind == Kind::Quoted) tok.text = lower_identifier(tok.text);
    if (tok.kind == Kind::Punct && tok.text == "==") tok.text = "=";
    if (!is_significant(tok)) continue;
    if (tok.kind == Kind::Punct && tok.text == ";") {
      open_statement = false;
    } else if (!open_statement) {
      open_statement = true;
      ++out.statements;
    }
  }
  trim_compared_literals(tokens);
  tokens = coalesce_as_text(tokens);
  out.text = render(tokens);
  // Only the statements on rows are worth preparing: the others run once, as they are.
  std::size_t first = 0;
  while (first < tokens.size() && !is_significant(tokens[first])) ++first;
  bool on_rows =
      first < tokens.size() && is_any_word(tokens[first], {"SELECT", "INSERT", "UPDATE", "DELETE", "WITH"});
  if (out.statements == 1 && on_rows && out.text.size() <= kLongestLifted) {
    LiftedLiterals lifted = lift_literals(tokens, '$', kMaxParameters, bindable);
    out.lifted = std::move(lifted.text);
    out.parameters.reserve(lifted.bound.size());
    for (std::size_t i : lifted.bound) out.parameters.push_back(parameter_of(tokens[i]));
  }
  return out;
}

}  // namespace database
