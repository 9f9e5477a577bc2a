#include "database/dialect.hpp"

#include "database/sql_tokens.hpp"

namespace database {

std::string adapt_statement(const std::string& sql) {
  using namespace sql;
  Tokens tokens = tokenize(sql);
  remove_table_hints(tokens);
  tokens = move_top_to_limit(compact(std::move(tokens)));
  fold_comparisons(tokens, TextRule::Exact);
  tokens = compact(std::move(tokens));
  simplify_groups(tokens);
  return render(tokens);
}

}  // namespace database
