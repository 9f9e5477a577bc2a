#include "database/dialect.hpp"

#include "database/sql_tokens.hpp"

namespace database {

namespace {

using namespace sql;

// A server engine ignores trailing blanks when it compares texts; SQLite's RTRIM collation does the same.
// A column keeps the collation it was declared with, but a function's result has none, so the module's
// `RTRIM(code)='ATT01 '` is given it explicitly: `RTRIM(code) COLLATE RTRIM='ATT01 '`.
Tokens collate_trimmed(const Tokens& t) {
  Tokens out;
  std::vector<int> open_depths;  // nesting depth of each RTRIM( still open
  int depth = 0;
  bool after_rtrim = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    out.push_back(t[i]);
    if (!is_significant(t[i])) continue;
    if (is_punct(t[i], "(")) {
      ++depth;
      if (after_rtrim) open_depths.push_back(depth);
    } else if (is_punct(t[i], ")")) {
      if (!open_depths.empty() && open_depths.back() == depth) {
        open_depths.pop_back();
        std::size_t next = next_significant(t, i);
        if (next == kNone || !is_word(t[next], "COLLATE")) {
          out.push_back({Kind::Space, " "});
          out.push_back({Kind::Word, "COLLATE"});
          out.push_back({Kind::Space, " "});
          out.push_back({Kind::Word, "RTRIM"});
        }
      }
      --depth;
    }
    after_rtrim = is_word(t[i], "RTRIM");
  }
  return out;
}

}  // namespace

std::string adapt_statement(const std::string& sql) {
  Tokens tokens = tokenize(sql);
  remove_table_hints(tokens);
  tokens = move_top_to_limit(compact(std::move(tokens)));
  fold_comparisons(tokens, TextRule::IgnoreTrailingBlanks);
  tokens = compact(std::move(tokens));
  simplify_groups(tokens);
  return render(collate_trimmed(tokens));
}

}  // namespace database
