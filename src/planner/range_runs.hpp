#pragma once
// Patterns of days planned or deleted through the range dialogs, which know one step of N days: "Monday,
// Wednesday and Friday" is one run per weekday with a step of 7 from the first such weekday, and dates to
// leave out (holidays) split a run into the runs around them. The runs cover disjoint dates, so the order
// in which they are carried out changes nothing but what is already written when one of them is refused.

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runtime/date.hpp"

namespace planner {

// One run of a range dialog: from `from` to `to`, every `every` days.
struct RangeRun {
  runtime::Date from, to;
  int every = 1;
  // The dates the dialog generates: from, from + every, ... up to `to`.
  std::vector<runtime::Date> dates() const;
  bool operator==(const RangeRun&) const = default;
};

// Weekday names, as ISO numbers 1 (Monday) to 7 (Sunday), from a comma-separated list of English (mon,
// tue, ...) or Italian (lun, mar, ...) three-letter names in any case; the list's order is kept. Nullopt
// with a message in `language` ("it" or "en") for an unknown or repeated name or an empty list.
std::optional<std::vector<int>> parse_weekdays(const std::string& text, const std::string& language,
                                               std::string& error);
// The three-letter name of an ISO weekday: "mon" ... in English, "lun" ... in Italian ("it").
std::string weekday_name(int iso_weekday, const std::string& language);
// The stable name (English) used by the machine formats.
inline std::string weekday_key(int iso_weekday) {
  return weekday_name(iso_weekday, "en");
}

// The runs of a range. With weekdays, one run per weekday (in the order given) from its first to its last
// occurrence between `from` and `to`, every 7 days; else one run every `every` days, which keeps `to` as
// given unless it is split. Dates in `skip` are left out by splitting the runs around them: each piece
// runs from its first to its last remaining date. Empty when no date remains.
std::vector<RangeRun> plan_runs(runtime::Date from, runtime::Date to, int every,
                                const std::vector<int>& weekdays, const std::set<runtime::Date>& skip);

// Every date of the runs, in date order.
std::vector<runtime::Date> run_dates(const std::vector<RangeRun>& runs);

// The runs in the order to carry them out: first those that `refusable` says a rule may refuse (a date
// already planned, a date outside the planning period), so that a refusal comes before anything is
// written; within each group in the order given.
template <class Refusable>
std::vector<RangeRun> refusable_first(const std::vector<RangeRun>& runs, Refusable refusable) {
  std::vector<RangeRun> first, rest;
  for (const auto& run : runs) (refusable(run) ? first : rest).push_back(run);
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

}  // namespace planner
