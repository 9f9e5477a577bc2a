#pragma once
// What both hosts do before they carry out a pattern of the range dialogs (range_runs.hpp): read the file
// of dates to skip, and put the runs in the order to carry them out from the days stored already.

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "planner/range_runs.hpp"
#include "planner/stored_days.hpp"

namespace planner {

// The dates a file of dates to skip names (read_date_file in ical.hpp), recurring holidays expanded over
// `first`..`last` only. A device, a file over 4 MiB or one that cannot be read is refused before it is
// parsed. Nullopt with the reason in `language`.
std::optional<std::set<runtime::Date>> read_skip_file(const std::string& path, runtime::Date first,
                                                      runtime::Date last, const std::string& language,
                                                      std::string& error);

// The stored days on the dates of a run.
StoredDays days_on(const StoredDays& days, const RangeRun& run);

// The runs of an insertion pattern in the order to carry them out: those that a rule may refuse (a day
// stored already on one of their dates, a date outside the planning period `start`..`end`) first.
std::vector<RangeRun> insertion_order(const std::vector<RangeRun>& runs,
                                      const std::optional<StoredDays>& stored,
                                      std::optional<runtime::Date> start, std::optional<runtime::Date> end);

// The runs of a deletion pattern to carry out: those on whose dates a day is stored (all of them when
// none has one, so that the dialog says it finds nothing), refusable ones (outside the period) first.
std::vector<RangeRun> deletion_order(const std::vector<RangeRun>& runs,
                                     const std::optional<StoredDays>& stored,
                                     std::optional<runtime::Date> start, std::optional<runtime::Date> end);

}  // namespace planner
