#pragma once
// Who wants to know what the statements wrote: a preview reads, from the real statements of a run that
// will be rolled back (rehearsal.hpp), which rows each of them inserted, updated or deleted.
//
// While an observer is set, both engines run each INSERT, UPDATE and DELETE that has no RETURNING clause
// of its own with "RETURNING *" added, hand the statement's text, the number of rows it changed and those
// rows to the observer, and give the caller the result it would have had without the clause (no rows).
// The rows are the new ones of an INSERT or UPDATE (an UPDATE that writes the values a row already held
// counts too) and the old ones of a DELETE. A statement that the engine refuses with the clause runs
// again as it was written, and reaches the observer without rows. Statements that only read, and those
// that fail, are not reported.

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/variant.hpp"

namespace database {

struct ObservedStatement {
  enum class Kind { kInsert, kUpdate, kDelete };
  Kind kind = Kind::kInsert;
  std::string text;  // as the engine ran it, without the clause the observation added
  std::int64_t rows_changed = 0;
  bool rows_known = false;           // the rows below are those the statement changed
  std::vector<std::string> columns;  // the rows' column names, upper case
  std::vector<std::vector<runtime::Variant>> rows;
};

class StatementObserver {
 public:
  virtual ~StatementObserver();
  virtual void statement_ran(const ObservedStatement& statement) = 0;
  // Whether the observer needs the rows (the engines then add the clause); else only the kind, the text
  // and the number of rows changed are reported, and the statement runs as written.
  virtual bool wants_rows() const { return true; }
};

// Sets the observer (nullptr: none) and returns the one it replaces. One thread, as the person's action.
StatementObserver* observe_statements(StatementObserver* observer);
StatementObserver* statement_observer();

// The kind of write of a statement's text, by its first word; false for anything else.
bool write_kind(const std::string& sql, ObservedStatement::Kind& kind);

// The table a write names (INSERT INTO t, UPDATE t, DELETE FROM t), upper case; "" when none.
std::string written_table(const std::string& sql);

// The text with " RETURNING *" added (after trailing blanks and a final ';' are taken off); "" when the
// text already has a RETURNING clause outside its literals.
std::string with_returning(const std::string& sql);

}  // namespace database
