#pragma once
// What the statements of a run wrote into the calendar: the rows that each INSERT, UPDATE and DELETE
// of PD4G_CALENDATT changed, as the engine reported them for that very statement. A run's summary says
// this and nothing else: what others wrote meanwhile is not counted, and a failure leaves the count of
// what was written before it.
//
// The tally observes the statements while it lives (database/statement_observer.hpp), after the
// observer that was set when it began, which still sees every statement.

#include <cstdint>
#include <string>

#include "database/statement_observer.hpp"

namespace planner {

struct WrittenRows {
  std::int64_t added = 0;
  std::int64_t changed = 0;
  std::int64_t deleted = 0;
  bool any() const { return added + changed + deleted > 0; }
  WrittenRows operator-(const WrittenRows& earlier) const {
    return {added - earlier.added, changed - earlier.changed, deleted - earlier.deleted};
  }
};

// "703 added, 2 overwritten" in `language` ("it" or "en"): the non-zero counts, an UPDATE called
// overwritten (`overwrite`) or changed; empty when nothing was written.
std::string written_words(const WrittenRows& rows, const std::string& language, bool overwrite);

class WriteTally : private database::StatementObserver {
 public:
  WriteTally();
  ~WriteTally() override;
  WriteTally(const WriteTally&) = delete;
  WriteTally& operator=(const WriteTally&) = delete;

  const WrittenRows& rows() const { return rows_; }

 private:
  void statement_ran(const database::ObservedStatement& statement) override;
  bool wants_rows() const override;

  database::StatementObserver* previous_ = nullptr;
  WrittenRows rows_;
};

}  // namespace planner
