#include "planner/write_tally.hpp"

namespace planner {

std::string written_words(const WrittenRows& rows, const std::string& language, bool overwrite) {
  const bool it = language == "it";
  std::string out;
  auto part = [&](std::int64_t n, const char* italian, const char* english) {
    if (n != 0) out += (out.empty() ? "" : ", ") + std::to_string(n) + " " + (it ? italian : english);
  };
  part(rows.added, "aggiunti", "added");
  part(rows.changed, overwrite ? "sovrascritti" : "cambiati", overwrite ? "overwritten" : "changed");
  part(rows.deleted, "eliminati", "deleted");
  return out;
}

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
