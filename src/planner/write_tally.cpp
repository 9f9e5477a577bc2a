#include "planner/write_tally.hpp"

namespace planner {

WriteTally::WriteTally() : previous_(database::observe_statements(this)) {}

WriteTally::~WriteTally() {
  database::observe_statements(previous_);
}

bool WriteTally::wants_rows() const {
  return previous_ && previous_->wants_rows();
}

void WriteTally::statement_ran(const database::ObservedStatement& statement) {
  if (database::written_table(statement.text) == "PD4G_CALENDATT") {
    switch (statement.kind) {
      case database::ObservedStatement::Kind::kInsert:
        rows_.added += statement.rows_changed;
        break;
      case database::ObservedStatement::Kind::kUpdate:
        rows_.changed += statement.rows_changed;
        break;
      case database::ObservedStatement::Kind::kDelete:
        rows_.deleted += statement.rows_changed;
        break;
    }
  }
  if (previous_) previous_->statement_ran(statement);
}

}  // namespace planner
