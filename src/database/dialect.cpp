#include "database/dialect.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>
#include <utility>

#include "database/sql_tokens.hpp"

namespace database {

namespace {

using namespace sql;

// A server engine ignores trailing blanks when it compares texts; SQLite's RTRIM collation does the same.
// The schema declares its code columns with that collation, and their indexes have it, so a column
// compared as `RTRIM(code)='ATT01 '` is written on the bare column, `code COLLATE RTRIM='ATT01 '`, which
// matches the same rows and which the index on the column serves. Any other RTRIM(x) keeps its value and
// is given the collation, since a function's result has none: `RTRIM(x) COLLATE RTRIM`.
Tokens collate_trimmed(Tokens t) {
  // Most texts have no RTRIM: they are left as they are, without a copy.
  if (std::none_of(t.begin(), t.end(), [](const Token& tok) { return is_word(tok, "RTRIM"); })) return t;
  enum class Role { Keep, Drop, CloseBare };
  std::vector<Role> role(t.size(), Role::Keep);
  for (const TrimmedColumn& c : trimmed_compared_columns(t)) {
    for (std::size_t k = c.rtrim; k < c.close; ++k)
      if (k <= c.open || t[k].kind == Kind::Space) role[k] = Role::Drop;
    role[c.close] = Role::CloseBare;
  }
  auto add_collation = [](Tokens& out) {
    out.push_back({Kind::Space, " "});
    out.push_back({Kind::Word, "COLLATE"});
    out.push_back({Kind::Space, " "});
    out.push_back({Kind::Word, "RTRIM"});
  };
  Tokens out;
  out.reserve(t.size() + 16);
  std::vector<int> open_depths;  // nesting depth of each RTRIM( still open
  int depth = 0;
  bool after_rtrim = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (role[i] != Role::Keep) {
      if (role[i] == Role::CloseBare) {
        std::size_t next = next_significant(t, i);
        if (next == kNone || !is_word(t[next], "COLLATE")) add_collation(out);
      }
      continue;
    }
    out.push_back(t[i]);
    if (!is_significant(t[i])) continue;
    if (is_punct(t[i], "(")) {
      ++depth;
      if (after_rtrim) open_depths.push_back(depth);
    } else if (is_punct(t[i], ")")) {
      if (!open_depths.empty() && open_depths.back() == depth) {
        open_depths.pop_back();
        std::size_t next = next_significant(t, i);
        if (next == kNone || !is_word(t[next], "COLLATE")) add_collation(out);
      }
      --depth;
    }
    after_rtrim = is_word(t[i], "RTRIM");
  }
  return out;
}

// The steps of the adaptation, in order. compared receives the pairs of literals (their origins) that
// folding looks at: each three significant tokens literal, operator, literal.
Tokens adapted_tokens(Tokens tokens, std::vector<std::pair<int, int>>* compared);

bool is_literal(Kind kind) {
  return kind == Kind::String || kind == Kind::Number;
}

bool is_literal(const Token& t) {
  return is_literal(t.kind);
}

std::vector<std::pair<int, int>> literal_comparisons(const Tokens& t) {
  std::vector<std::pair<int, int>> out;
  std::size_t a = kNone, b = kNone;  // the two significant tokens before the current one
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!is_significant(t[i])) continue;
    if (a != kNone && is_literal(t[a]) && t[b].kind == Kind::Punct && is_literal(t[i]))
      out.emplace_back(t[a].origin, t[i].origin);
    a = b;
    b = i;
  }
  return out;
}

Tokens adapted_tokens(Tokens tokens, std::vector<std::pair<int, int>>* compared) {
  remove_table_hints(tokens);
  tokens = move_top_to_limit(compact(std::move(tokens)));
  if (compared) *compared = literal_comparisons(tokens);
  fold_comparisons(tokens, TextRule::IgnoreTrailingBlanks);
  tokens = compact(std::move(tokens));
  simplify_groups(tokens);
  return collate_trimmed(std::move(tokens));
}

// The value a literal binds: a text, or a whole decimal number that fits 64 bits; nullopt for the others.
std::optional<SqlValue> literal_value(Kind kind, std::string_view text) {
  if (kind == Kind::String) {
    std::optional<std::string> content = string_content(text);
    if (!content) return std::nullopt;
    return SqlValue{std::move(*content)};
  }
  if (kind != Kind::Number) return std::nullopt;
  std::int64_t v = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return SqlValue{v};
}

std::optional<SqlValue> literal_value(const Token& t) {
  return literal_value(t.kind, t.text);
}

bool liftable_literal(Kind kind, std::string_view text) {
  if (kind == Kind::String) return text.size() >= 2 && text.back() == '\'';
  return kind == Kind::Number && literal_value(kind, text).has_value();
}

bool liftable_literal(const Token& t) {
  return liftable_literal(t.kind, t.text);
}

constexpr std::size_t kMaxParameters = 999;
constexpr std::size_t kLongestMemoised = 16384;

struct Lifted {
  std::string text;
  std::vector<int> parameters;   // origin of the literal bound to each ?n
  std::vector<int> verbatim;     // origins of the liftable literals left in the text
  std::vector<SqlValue> values;  // the value of each ?n
};

// Writes the adapted tokens with the literals that can be bound replaced by ?1, ?2, ...
Lifted lift(const Tokens& t) {
  LiftedLiterals lifted = lift_literals(t, '?', kMaxParameters, liftable_literal);
  Lifted out{std::move(lifted.text), {}, std::move(lifted.verbatim), {}};
  out.parameters.reserve(lifted.bound.size());
  out.values.reserve(lifted.bound.size());
  for (std::size_t i : lifted.bound) {
    out.parameters.push_back(t[i].origin);
    out.values.push_back(*literal_value(t[i]));
  }
  return out;
}

LiftedStatement bind(std::string text, const std::vector<int>& parameters,
                     const std::vector<Lexeme>& original) {
  LiftedStatement out{std::move(text), {}};
  out.parameters.reserve(parameters.size());
  for (int origin : parameters) {
    const Lexeme& l = original[static_cast<std::size_t>(origin)];
    out.parameters.push_back(*literal_value(l.kind, l.text));
  }
  return out;
}

// The values of the literals that stay in the adapted text, as one key.
std::string verbatim_key(const std::vector<Lexeme>& original, const std::vector<int>& verbatim) {
  std::string key;
  for (int origin : verbatim) {
    std::string_view text = original[static_cast<std::size_t>(origin)].text;
    key += std::to_string(text.size());
    key += ':';
    key += text;
  }
  return key;
}

}  // namespace

std::string adapt_statement(const std::string& sql) {
  return render(adapted_tokens(tokenize(sql), nullptr));
}

LiftedStatement adapt_and_lift(const std::string& sql) {
  Tokens tokens = tokenize(sql);
  number_tokens(tokens);
  Lifted lifted = lift(adapted_tokens(std::move(tokens), nullptr));
  return {std::move(lifted.text), std::move(lifted.values)};
}

LiftedStatement AdaptationMemo::adapt(const std::string& sql) {
  // The shape marks the literals with bytes of their own; a text holding one of them is not memoised.
  if (sql.find_first_of("\x01\x02\x03") != std::string::npos) return adapt_and_lift(sql);
  // A long text (a list of thousands of days) is rare and would hold much memory for nothing.
  if (sql.size() > kLongestMemoised) return adapt_and_lift(sql);
  // The lexemes only: a text whose shape was seen needs no tokens.
  std::vector<Lexeme> original = lex(sql);
  // The text with its liftable literals marked, then the value of each comparison of two literals.
  std::string key;
  key.reserve(sql.size() + 8);
  for (const Lexeme& l : original) {
    if (liftable_literal(l.kind, l.text)) {
      key += l.kind == Kind::String ? '\x01' : '\x02';
    } else {
      key += l.text;
    }
  }
  key += '\x03';
  std::vector<std::pair<int, int>> compared_here;
  std::size_t a = kNone, b = kNone;  // the two significant lexemes before the current one
  for (std::size_t i = 0; i < original.size(); ++i) {
    Kind kind = original[i].kind;
    if (kind == Kind::Space || kind == Kind::Comment) continue;
    if (a != kNone && is_literal(original[a].kind) && original[b].kind == Kind::Punct && is_literal(kind)) {
      compared_here.emplace_back(static_cast<int>(a), static_cast<int>(i));
      Token left{original[a].kind, std::string(original[a].text)};
      Token op{Kind::Punct, std::string(original[b].text)};
      Token right{kind, std::string(original[i].text)};
      std::optional<bool> value = compare_literals(left, op, right, TextRule::IgnoreTrailingBlanks);
      key += !value ? 'u' : *value ? 't' : 'f';
    }
    a = b;
    b = i;
  }

  auto found = shapes_.find(key);
  if (found != shapes_.end()) {
    Shape& shape = found->second;
    if (!shape.reusable) return adapt_and_lift(sql);
    auto hit = shape.by_verbatim.find(verbatim_key(original, shape.verbatim));
    if (hit != shape.by_verbatim.end()) return bind(hit->second.text, hit->second.parameters, original);
  }

  Tokens tokens = tokenize(sql);
  number_tokens(tokens);
  std::vector<std::pair<int, int>> compared;
  Lifted lifted = lift(adapted_tokens(std::move(tokens), &compared));
  if (size_ >= capacity_) {
    shapes_.clear();
    size_ = 0;
  }
  auto [it, inserted] = shapes_.try_emplace(std::move(key));
  Shape& shape = it->second;
  if (inserted) {
    // Reusable when folding compares exactly the literals compared in the original text (a removed table
    // hint or TOP clause could bring two literals together).
    shape.reusable = compared == compared_here;
    shape.verbatim = lifted.verbatim;
    ++size_;
  }
  if (shape.reusable && shape.verbatim == lifted.verbatim) {
    shape.by_verbatim.try_emplace(verbatim_key(original, lifted.verbatim),
                                  Template{lifted.text, lifted.parameters});
    ++size_;
  }
  return {std::move(lifted.text), std::move(lifted.values)};
}

}  // namespace database
