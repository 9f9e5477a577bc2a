#include "database/sql_tokens.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace database::sql {

namespace {

// ---------------------------------------------------------------------------------------------------
// Characters and words

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_hex(char c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool is_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_word_start(char c) {
  return is_letter(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool is_word_char(char c) {
  return is_word_start(c) || is_digit(c) || c == '$';
}

}  // namespace

bool equals_ci(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::uint64_t hash_ci(std::string_view text) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a over the upper-cased bytes
  for (char c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  return h;
}

bool is_significant(const Token& t) {
  return !t.deleted && t.kind != Kind::Space && t.kind != Kind::Comment;
}
bool is_word(const Token& t, std::string_view w) {
  return t.kind == Kind::Word && equals_ci(t.text, w);
}
bool is_punct(const Token& t, std::string_view p) {
  return t.kind == Kind::Punct && t.text == p;
}

bool is_any_word(const Token& t, std::initializer_list<std::string_view> words) {
  return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return is_word(t, w); });
}

// Keywords that end a WHERE/ON/HAVING condition at the same nesting level.
bool ends_condition(const Token& t) {
  return is_any_word(
      t, {"GROUP",  "ORDER", "LIMIT", "OFFSET", "UNION",  "EXCEPT", "INTERSECT", "WINDOW", "RETURNING",
          "JOIN",   "INNER", "LEFT",  "RIGHT",  "FULL",   "CROSS",  "NATURAL",   "OUTER",  "SET",
          "VALUES", "INTO",  "USING", "UPDATE", "DELETE", "INSERT", "WHERE"});
}

namespace {

bool is_lock_hint(const Token& t) {
  return is_any_word(
      t, {"NOLOCK", "READUNCOMMITTED", "READCOMMITTED", "REPEATABLEREAD", "SERIALIZABLE", "ROWLOCK",
          "PAGLOCK", "TABLOCK", "TABLOCKX", "UPDLOCK", "XLOCK", "HOLDLOCK", "READPAST", "NOWAIT"});
}

// ---------------------------------------------------------------------------------------------------
// Tokens

// End of a quoted run opened at s[i]; a doubled closing character is part of the run, except for ']'.
std::size_t quoted_end(std::string_view s, std::size_t i, char close) {
  std::size_t j = i + 1;
  while (j < s.size()) {
    if (s[j] == close) {
      if (close != ']' && j + 1 < s.size() && s[j + 1] == close) {
        j += 2;
        continue;
      }
      return j + 1;
    }
    ++j;
  }
  return s.size();
}

std::size_t number_end(std::string_view s, std::size_t i) {
  std::size_t n = s.size();
  if (s[i] == '0' && i + 2 < n && (s[i + 1] == 'x' || s[i + 1] == 'X') && is_hex(s[i + 2])) {
    std::size_t j = i + 2;
    while (j < n && is_hex(s[j])) ++j;
    return j;
  }
  std::size_t j = i;
  while (j < n && is_digit(s[j])) ++j;
  if (j < n && s[j] == '.') {
    ++j;
    while (j < n && is_digit(s[j])) ++j;
  }
  if (j < n && (s[j] == 'e' || s[j] == 'E')) {
    std::size_t k = j + 1;
    if (k < n && (s[k] == '+' || s[k] == '-')) ++k;
    if (k < n && is_digit(s[k])) {
      j = k;
      while (j < n && is_digit(s[j])) ++j;
    }
  }
  return j;
}

}  // namespace

std::vector<Lexeme> lex(std::string_view s) {
  static constexpr std::string_view kTwoCharOperators[] = {"<>", "!=", "<=", ">=", "==", "||", "<<", ">>"};
  std::vector<Lexeme> out;
  out.reserve(s.size() / 4 + 4);
  std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    char c = s[i];
    char next = i + 1 < n ? s[i + 1] : '\0';
    std::size_t j = i + 1;
    Kind kind = Kind::Punct;
    if (is_space(c)) {
      while (j < n && is_space(s[j])) ++j;
      kind = Kind::Space;
    } else if (c == '-' && next == '-') {
      j = s.find('\n', i);
      if (j == std::string_view::npos) j = n;
      kind = Kind::Comment;
    } else if (c == '/' && next == '*') {
      std::size_t e = s.find("*/", i + 2);
      j = e == std::string_view::npos ? n : e + 2;
      kind = Kind::Comment;
    } else if (c == '\'') {
      j = quoted_end(s, i, '\'');
      kind = Kind::String;
    } else if ((c == 'N' || c == 'n') && next == '\'') {
      // N'...' is a text literal: the prefix goes.
      j = quoted_end(s, i + 1, '\'');
      out.push_back({Kind::String, s.substr(i + 1, j - i - 1)});
      i = j;
      continue;
    } else if (c == '"' || c == '`') {
      j = quoted_end(s, i, c);
      kind = Kind::Quoted;
    } else if (c == '[') {
      j = quoted_end(s, i, ']');
      kind = Kind::Quoted;
    } else if (is_digit(c) || (c == '.' && is_digit(next))) {
      j = number_end(s, i);
      out.push_back({Kind::Number, s.substr(i, j - i)});
      // A number glued to a word ("1001AND") is two tokens.
      if (j < n && is_word_start(s[j])) out.push_back({Kind::Space, " "});
      i = j;
      continue;
    } else if (is_word_start(c) || ((c == '@' || c == '#' || c == '$' || c == ':') && is_word_char(next))) {
      while (j < n && is_word_char(s[j])) ++j;
      kind = Kind::Word;
    } else if (next != '\0') {
      for (std::string_view op : kTwoCharOperators) {
        if (c == op[0] && next == op[1]) j = i + 2;
      }
    }
    out.push_back({kind, s.substr(i, j - i)});
    i = j;
  }
  return out;
}

Tokens tokenize(const std::string& s) {
  std::vector<Lexeme> lexemes = lex(s);
  Tokens out;
  out.reserve(lexemes.size());
  for (const Lexeme& l : lexemes) out.push_back({l.kind, std::string(l.text)});
  return out;
}

std::string render(const Tokens& tokens) {
  std::string out;
  for (const Token& t : tokens)
    if (!t.deleted) out += t.text;
  return out;
}

void number_tokens(Tokens& tokens) {
  for (std::size_t i = 0; i < tokens.size(); ++i) tokens[i].origin = static_cast<int>(i);
}

Tokens compact(Tokens tokens) {
  std::erase_if(tokens, [](const Token& t) { return t.deleted; });
  return tokens;
}

std::size_t next_significant(const Tokens& t, std::size_t i) {
  for (std::size_t k = i + 1; k < t.size(); ++k)
    if (is_significant(t[k])) return k;
  return kNone;
}

std::size_t previous_significant(const Tokens& t, std::size_t i) {
  for (std::size_t k = i; k-- > 0;)
    if (is_significant(t[k])) return k;
  return kNone;
}

// ---------------------------------------------------------------------------------------------------
// Trimmed columns

namespace {

bool is_comparison_operator(const Token& t) {
  return t.kind == Kind::Punct && (t.text == "=" || t.text == "==" || t.text == "<>" || t.text == "!=" ||
                                   t.text == "<" || t.text == ">" || t.text == "<=" || t.text == ">=");
}

// A token beside the RTRIM(...) that leaves it a whole operand of the comparison.
bool bounds_operand(const Tokens& t, std::size_t i) {
  if (i == kNone) return true;
  const Token& tok = t[i];
  if (tok.kind == Kind::Punct)
    return tok.text == "(" || tok.text == ")" || tok.text == "," || tok.text == ";";
  return tok.kind == Kind::Word &&
         (is_any_word(tok, {"AND", "OR", "NOT", "ON", "HAVING", "WHEN", "THEN"}) || ends_condition(tok));
}

}  // namespace

std::vector<TrimmedColumn> trimmed_compared_columns(const Tokens& t) {
  std::vector<TrimmedColumn> out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!is_word(t[i], "RTRIM")) continue;
    std::size_t open = next_significant(t, i);
    if (open == kNone || !is_punct(t[open], "(")) continue;
    // A name, or names joined by dots.
    std::size_t k = next_significant(t, open);
    bool name = false;
    while (k != kNone && (t[k].kind == Kind::Word || t[k].kind == Kind::Quoted)) {
      name = true;
      k = next_significant(t, k);
      if (k == kNone || !is_punct(t[k], ".")) break;
      k = next_significant(t, k);
      name = false;
    }
    if (!name || k == kNone || !is_punct(t[k], ")")) continue;
    std::size_t before = previous_significant(t, i), after = next_significant(t, k);
    bool compared_after =
        after != kNone && (is_comparison_operator(t[after]) || is_word(t[after], "IN") ||
                           (is_word(t[after], "NOT") && next_significant(t, after) != kNone &&
                            is_word(t[next_significant(t, after)], "IN")));
    bool compared_before = before != kNone && is_comparison_operator(t[before]);
    if ((compared_after && (compared_before || bounds_operand(t, before))) ||
        (compared_before && bounds_operand(t, after)))
      out.push_back({i, open, k});
  }
  return out;
}

// ---------------------------------------------------------------------------------------------------
// Table hints

void remove_table_hints(Tokens& t) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!is_word(t[i], "WITH")) continue;
    std::size_t k = next_significant(t, i);
    if (k == kNone || !is_punct(t[k], "(")) continue;
    std::size_t close = kNone;
    while (true) {
      k = next_significant(t, k);
      if (k == kNone || !is_lock_hint(t[k])) break;
      k = next_significant(t, k);
      if (k == kNone) break;
      if (is_punct(t[k], ")")) {
        close = k;
        break;
      }
      if (!is_punct(t[k], ",")) break;
    }
    if (close == kNone) continue;
    for (std::size_t d = i; d <= close; ++d) t[d].deleted = true;
    i = close;
  }
}

namespace {

// ---------------------------------------------------------------------------------------------------
// TOP n -> LIMIT n

bool is_whole_number(const Token& t) {
  return t.kind == Kind::Number && std::all_of(t.text.begin(), t.text.end(), is_digit);
}

}  // namespace

Tokens move_top_to_limit(Tokens t) {
  std::map<std::size_t, Tokens> inserts;  // tokens to write before index (t.size() = at the end)
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!is_word(t[i], "SELECT")) continue;
    std::size_t top = next_significant(t, i);
    if (top != kNone && is_any_word(t[top], {"DISTINCT", "ALL"})) top = next_significant(t, top);
    if (top == kNone || !is_word(t[top], "TOP")) continue;
    std::size_t count = next_significant(t, top);
    if (count == kNone) continue;
    std::size_t last = count;
    if (is_punct(t[count], "(")) {
      count = next_significant(t, count);
      if (count == kNone || !is_whole_number(t[count])) continue;
      last = next_significant(t, count);
      if (last == kNone || !is_punct(t[last], ")")) continue;
    } else if (!is_whole_number(t[count])) {
      continue;
    }
    std::size_t after = next_significant(t, last);
    if (after != kNone && is_word(t[after], "PERCENT")) continue;
    if (after != kNone && is_word(t[after], "WITH")) {
      std::size_t ties = next_significant(t, after);
      if (ties != kNone && is_word(t[ties], "TIES")) continue;
    }
    // The end of this SELECT: the ')' closing its level, a ';' at its level, or the end of the text.
    std::size_t stop = last + 1;
    for (int depth = 0; stop < t.size(); ++stop) {
      if (t[stop].deleted) continue;
      if (is_punct(t[stop], "(")) {
        ++depth;
      } else if (is_punct(t[stop], ")")) {
        if (depth == 0) break;
        --depth;
      } else if (is_punct(t[stop], ";") && depth == 0) {
        break;
      }
    }
    std::size_t end = previous_significant(t, stop);
    std::size_t at = end == kNone || end <= last ? stop : end + 1;
    Tokens& limit = inserts[at];
    limit.push_back({Kind::Space, " "});
    limit.push_back({Kind::Word, "LIMIT"});
    limit.push_back({Kind::Space, " "});
    limit.push_back(t[count]);  // the count, with its origin
    for (std::size_t d = top; d <= last; ++d) t[d].deleted = true;
    if (last + 1 < t.size() && t[last + 1].kind == Kind::Space) t[last + 1].deleted = true;
  }
  if (inserts.empty()) return t;
  Tokens out;
  out.reserve(t.size() + 4 * inserts.size());
  for (std::size_t i = 0; i <= t.size(); ++i) {
    if (auto it = inserts.find(i); it != inserts.end())
      out.insert(out.end(), it->second.begin(), it->second.end());
    if (i < t.size() && !t[i].deleted) out.push_back(t[i]);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------------

std::vector<Place> places(const Tokens& t) {
  struct Frame {
    bool is_case = false;
    Clause clause = Clause::Other;
    bool between_pending = false;
  };
  std::vector<Place> out(t.size());
  std::vector<Frame> stack(1);
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!is_significant(t[i])) continue;
    out[i].clause = stack.back().clause;
    const Token& tok = t[i];
    if (is_punct(tok, "(")) {
      Clause inherited = stack.back().clause;
      stack.push_back({false, inherited, false});
    } else if (is_punct(tok, ")")) {
      while (stack.size() > 1 && stack.back().is_case) stack.pop_back();
      if (stack.size() > 1) stack.pop_back();
    } else if (is_punct(tok, ";")) {
      stack.assign(1, Frame{});
    } else if (tok.kind == Kind::Word) {
      Frame& top = stack.back();
      if (is_word(tok, "CASE")) {
        Clause inherited = top.clause;
        stack.push_back({true, inherited, false});
      } else if (is_word(tok, "END")) {
        if (top.is_case) stack.pop_back();
      } else if (is_word(tok, "SELECT")) {
        top.clause = Clause::Select;
      } else if (is_word(tok, "FROM")) {
        top.clause = Clause::From;
      } else if (is_any_word(tok, {"WHERE", "ON", "HAVING"})) {
        top.clause = Clause::Condition;
      } else if (ends_condition(tok)) {
        top.clause = Clause::Other;
      } else if (is_word(tok, "BETWEEN")) {
        top.between_pending = true;
      } else if (is_word(tok, "AND")) {
        if (top.between_pending) {
          top.between_pending = false;
        } else {
          out[i].logical_and = true;
        }
      }
    }
  }
  return out;
}

namespace {

// A word that takes whole boolean operands: WHERE, ON, HAVING, OR, NOT, and the logical AND.
bool is_boolean_operator(const Tokens& t, const std::vector<Place>& p, std::size_t i) {
  return is_any_word(t[i], {"WHERE", "ON", "HAVING", "OR", "NOT"}) || p[i].logical_and;
}

bool is_and_or(const Tokens& t, const std::vector<Place>& p, std::size_t i) {
  return is_word(t[i], "OR") || p[i].logical_and;
}

// ---------------------------------------------------------------------------------------------------
// Folding of literal comparisons

struct Number {
  bool integer = false;
  std::int64_t i = 0;
  double d = 0.0;
};

std::optional<Number> number_value(const std::string& text) {
  if (text.size() > 1 && (text[1] == 'x' || text[1] == 'X')) return std::nullopt;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (text.find_first_of(".eE") == std::string::npos) {
    std::int64_t v = 0;
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec == std::errc() && ptr == last) return Number{true, v, 0.0};
  }
  // Non-integers, and integers too large for 64 bits, are reals (as SQLite reads them).
  return Number{false, 0, std::strtod(text.c_str(), nullptr)};
}

std::optional<double> exact_double(const Number& n) {
  if (!n.integer) return n.d;
  constexpr std::int64_t kExact = std::int64_t{1} << 53;
  if (n.i > kExact || n.i < -kExact) return std::nullopt;
  return static_cast<double>(n.i);
}

// Three-way comparison of two number literals; nullopt when it cannot be decided exactly.
std::optional<int> compare_numbers(const std::string& a, const std::string& b) {
  auto x = number_value(a), y = number_value(b);
  if (!x || !y) return std::nullopt;
  if (x->integer && y->integer) return (x->i > y->i) - (x->i < y->i);
  auto dx = exact_double(*x), dy = exact_double(*y);
  if (!dx || !dy || std::isnan(*dx) || std::isnan(*dy)) return std::nullopt;
  return (*dx > *dy) - (*dx < *dy);
}

}  // namespace

std::optional<std::string> string_content(std::string_view literal) {
  if (literal.size() < 2 || literal.front() != '\'' || literal.back() != '\'') return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
    out += literal[i];
    if (literal[i] == '\'') ++i;  // '' stands for one quote
  }
  return out;
}

std::optional<bool> compare_literals(const Token& left, const Token& op, const Token& right, TextRule rule) {
  if (op.kind != Kind::Punct) return std::nullopt;
  const std::string& o = op.text;
  bool equality = o == "=" || o == "==";
  bool inequality = o == "<>" || o == "!=";
  if (left.kind == Kind::String && right.kind == Kind::String) {
    if (!equality && !inequality) return std::nullopt;
    auto a = string_content(left.text), b = string_content(right.text);
    if (!a || !b) return std::nullopt;
    if (rule == TextRule::IgnoreTrailingBlanks) {
      a->erase(a->find_last_not_of(' ') + 1);
      b->erase(b->find_last_not_of(' ') + 1);
    }
    return equality == (*a == *b);
  }
  if (left.kind == Kind::Number && right.kind == Kind::Number) {
    auto c = compare_numbers(left.text, right.text);
    if (!c) return std::nullopt;
    if (equality) return *c == 0;
    if (inequality) return *c != 0;
    if (o == "<") return *c < 0;
    if (o == ">") return *c > 0;
    if (o == "<=") return *c <= 0;
    if (o == ">=") return *c >= 0;
  }
  return std::nullopt;
}

namespace {

Token constant(bool value, bool parenthesised) {
  std::string text = value ? "1=1" : "1=0";
  return {Kind::Constant, parenthesised ? "(" + text + ")" : text, value};
}

}  // namespace

void fold_comparisons(Tokens& t, TextRule rule) {
  std::vector<Place> p = places(t);
  std::vector<std::size_t> sig;
  for (std::size_t i = 0; i < t.size(); ++i)
    if (is_significant(t[i])) sig.push_back(i);
  auto fits_before = [&](std::size_t k) {
    if (k == 0) return false;
    std::size_t i = sig[k - 1];
    return is_punct(t[i], "(") || is_boolean_operator(t, p, i) || is_any_word(t[i], {"WHEN", "THEN", "ELSE"});
  };
  auto fits_after = [&](std::size_t k) {
    if (k >= sig.size()) return true;
    std::size_t i = sig[k];
    return is_punct(t[i], ")") || is_punct(t[i], ";") || is_and_or(t, p, i) ||
           is_any_word(t[i], {"THEN", "ELSE", "END", "WHEN"}) || ends_condition(t[i]);
  };
  for (std::size_t k = 0; k + 2 < sig.size(); ++k) {
    std::size_t a = sig[k], b = sig[k + 2];
    if (p[a].clause != Clause::Condition) continue;
    auto truth = compare_literals(t[a], t[sig[k + 1]], t[b], rule);
    if (!truth || !fits_before(k) || !fits_after(k + 3)) continue;
    t[a] = constant(*truth, false);
    for (std::size_t d = a + 1; d <= b; ++d) t[d].deleted = true;
    k += 2;
  }
}

// ---------------------------------------------------------------------------------------------------
// Simplification of OR groups holding constants

void simplify_groups(Tokens& t) {
  std::vector<Place> p = places(t);
  struct Group {
    std::size_t open = kNone, close = kNone;
    int parent = -1;
    bool boolean = false;
  };
  std::vector<Group> groups;
  std::vector<int> open_stack;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!is_significant(t[i])) continue;
    if (is_punct(t[i], "(")) {
      groups.push_back({i, kNone, open_stack.empty() ? -1 : open_stack.back(), false});
      open_stack.push_back(static_cast<int>(groups.size() - 1));
    } else if (is_punct(t[i], ")") && !open_stack.empty()) {
      groups[static_cast<std::size_t>(open_stack.back())].close = i;
      open_stack.pop_back();
    }
  }
  // Whether each group is a whole boolean term (parents come before their children).
  for (Group& g : groups) {
    if (g.close == kNone || p[g.open].clause != Clause::Condition) continue;
    std::size_t first = next_significant(t, g.open);
    if (first == kNone || is_any_word(t[first], {"SELECT", "WITH", "VALUES"})) continue;
    const Group* parent = g.parent >= 0 ? &groups[static_cast<std::size_t>(g.parent)] : nullptr;
    std::size_t before = previous_significant(t, g.open);
    std::size_t after = next_significant(t, g.close);
    bool in_parent_parens = parent && before == parent->open && after == parent->close;
    bool before_ok =
        before != kNone && (is_boolean_operator(t, p, before) || (parent && before == parent->open));
    bool after_ok = after == kNone || is_punct(t[after], ";") || is_and_or(t, p, after) ||
                    ends_condition(t[after]) || (parent && after == parent->close);
    bool operand = (before != kNone && is_boolean_operator(t, p, before)) ||
                   (after != kNone && is_and_or(t, p, after)) || (in_parent_parens && parent->boolean);
    g.boolean = before_ok && after_ok && operand;
  }
  std::vector<const Group*> order;
  for (const Group& g : groups)
    if (g.boolean) order.push_back(&g);
  std::sort(order.begin(), order.end(), [](const Group* a, const Group* b) { return a->close < b->close; });

  struct Term {
    std::size_t first = kNone, last = kNone;
    std::size_t count = 0;  // significant tokens
  };
  for (const Group* g : order) {
    std::vector<Term> terms(1);
    int depth = 0;
    for (std::size_t i = g->open + 1; i < g->close; ++i) {
      if (!is_significant(t[i])) continue;
      if (is_punct(t[i], "(") || is_word(t[i], "CASE")) ++depth;
      if (is_punct(t[i], ")") || is_word(t[i], "END")) --depth;
      if (depth == 0 && is_word(t[i], "OR")) {
        terms.emplace_back();
        continue;
      }
      Term& term = terms.back();
      if (term.first == kNone) term.first = i;
      term.last = i;
      ++term.count;
    }
    auto is_constant = [&](const Term& term) {
      return term.count == 1 && t[term.first].kind == Kind::Constant;
    };
    if (std::any_of(terms.begin(), terms.end(), [](const Term& term) { return term.count == 0; })) continue;
    bool any_constant = false, any_true = false;
    std::size_t first_kept = kNone;
    for (std::size_t k = 0; k < terms.size(); ++k) {
      if (is_constant(terms[k])) {
        any_constant = true;
        any_true = any_true || t[terms[k].first].value;
      } else if (first_kept == kNone) {
        first_kept = k;
      }
    }
    if (!any_constant) continue;
    if (any_true || first_kept == kNone) {
      t[g->open] = constant(any_true, true);
      for (std::size_t d = g->open + 1; d <= g->close; ++d) t[d].deleted = true;
      continue;
    }
    // Drop the false terms with their OR: those before the first kept term up to its start, the later
    // ones from the end of the term before them.
    for (std::size_t d = terms[0].first; d < terms[first_kept].first; ++d) t[d].deleted = true;
    for (std::size_t k = first_kept + 1; k < terms.size(); ++k) {
      if (!is_constant(terms[k])) continue;
      for (std::size_t d = terms[k - 1].last + 1; d <= terms[k].last; ++d) t[d].deleted = true;
    }
  }
}

LiftedLiterals lift_literals(const Tokens& t, char placeholder, std::size_t max_parameters,
                             bool (*bindable)(const Token&)) {
  LiftedLiterals out;
  std::size_t first = 0;
  while (first < t.size() && !is_significant(t[first])) ++first;
  bool rows_statement =
      first < t.size() && is_any_word(t[first], {"SELECT", "INSERT", "UPDATE", "DELETE", "REPLACE", "WITH"});
  bool insert = rows_statement && is_any_word(t[first], {"INSERT", "REPLACE"});
  bool update = rows_statement && is_word(t[first], "UPDATE");
  std::vector<Place> p = places(t);
  int depth = 0;
  std::vector<int> type_depths;  // depths of the parentheses of a type name (AS VARCHAR(10))
  // For each open parenthesis, whether it stands in a list of result columns: an unnamed column of a
  // subquery there is named after its text, literals included.
  std::vector<bool> in_columns;
  bool in_values = false, in_set = false;
  std::size_t before = kNone, before_that = kNone;  // the two significant tokens before
  for (std::size_t i = 0; i < t.size(); ++i) {
    const Token& tok = t[i];
    if (tok.deleted) continue;
    if (!is_significant(tok)) {
      out.text += tok.text;
      continue;
    }
    if (is_punct(tok, "(")) {
      ++depth;
      in_columns.push_back(p[i].clause == Clause::Select || (!in_columns.empty() && in_columns.back()));
      if (before != kNone && before_that != kNone && t[before].kind == Kind::Word &&
          is_word(t[before_that], "AS"))
        type_depths.push_back(depth);
    } else if (is_punct(tok, ")")) {
      if (!type_depths.empty() && type_depths.back() == depth) type_depths.pop_back();
      if (!in_columns.empty()) in_columns.pop_back();
      --depth;
    } else if (depth == 0 && insert && is_word(tok, "VALUES")) {
      in_values = true;
    } else if (depth == 0 && update && is_word(tok, "SET")) {
      in_set = true;
    } else if (depth == 0 && update && is_any_word(tok, {"WHERE", "FROM"})) {
      in_set = false;
    }
    before_that = before;
    before = i;
    bool from_original =
        tok.origin >= 0 && (tok.kind == Kind::String || tok.kind == Kind::Number) && bindable(tok);
    if (!from_original) {
      out.text += tok.text;
      continue;
    }
    // x'00ff' is a blob, E'a\n' a text with escapes: the quoted part is not a text of its own.
    bool prefixed = tok.kind == Kind::String && i > 0 && t[i - 1].kind == Kind::Word && !t[i - 1].deleted;
    bool in_a_column = !in_columns.empty() && in_columns.back();
    bool lifted = rows_statement && !prefixed && !in_a_column && type_depths.empty() &&
                  out.bound.size() < max_parameters &&
                  (p[i].clause == Clause::Condition || in_values || in_set);
    if (lifted) {
      out.bound.push_back(i);
      out.text += placeholder;
      out.text += std::to_string(out.bound.size());
      // PostgreSQL reads $1AND as a parameter with trailing junk: a word glued to the value is set apart.
      if (placeholder == '$' && i + 1 < t.size() && !t[i + 1].deleted &&
          (t[i + 1].kind == Kind::Word || t[i + 1].kind == Kind::Number || t[i + 1].kind == Kind::Quoted))
        out.text += ' ';
    } else {
      out.verbatim.push_back(tok.origin);
      out.text += tok.text;
    }
  }
  return out;
}

}  // namespace database::sql
