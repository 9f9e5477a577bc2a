#include "database/statement_guard.hpp"

namespace database {

bool comment_outside_literals(std::string_view sql) {
  std::size_t i = 0;
  const std::size_t n = sql.size();
  while (i < n) {
    char c = sql[i];
    char close = c == '\'' ? '\'' : c == '"' ? '"' : c == '[' ? ']' : c == '`' ? '`' : '\0';
    if (close) {
      ++i;
      for (;;) {
        if (i >= n) return true;
        if (sql[i] == close) {
          // A doubled closing character stands for itself inside the literal.
          if (close != ']' && i + 1 < n && sql[i + 1] == close) {
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
      continue;
    }
    if (i + 1 < n && ((c == '-' && sql[i + 1] == '-') || (c == '/' && sql[i + 1] == '*'))) return true;
    ++i;
  }
  return false;
}

}  // namespace database
