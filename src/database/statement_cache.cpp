#include "database/statement_cache.hpp"

#include <sqlite3.h>

namespace database {

void SqliteStatement::reset() {
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
}

void SqliteStatement::finalize() {
  sqlite3_finalize(stmt);
  stmt = nullptr;
}

bool SqliteStatement::columns_changed() {
  int count = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
  if (count == prepared) return false;
  prepared = count;
  return true;
}

}  // namespace database
