#pragma once
// Weekdays and dates to leave out in the two range dialogs. The host adds a row to the dialog (its design
// is not touched): a box per weekday and a file of dates to skip (a date list or an iCalendar file, as the
// command line's --skip-dates reads it). While a pattern is chosen, the dialog's Conferma carries it out
// as the command line does, with the command line itself: the real dialog once per weekday, the runs split
// around the skipped dates (planner/range_runs.hpp), refusable runs first. What it would do is listed
// first (the Preview of the whole pattern) and carried out only when the person says so.

#include <functional>
#include <string>
#include <vector>

#include "desktop/preview_dialog.hpp"

namespace desktop {

class QtFormSite;

// The pattern the dialog's row holds: ISO weekdays (1 Monday ... 7 Sunday) and the file of dates to skip.
struct RangePattern {
  std::vector<int> weekdays;
  std::string skip_file;
  bool empty() const { return weekdays.empty() && skip_file.empty(); }
};
RangePattern pattern_of(QtFormSite& dialog);

// Adds the row to a range dialog (any other window is left as it is). `source` is asked when a pattern is
// carried out; `done` is told the command line's summary once it went through and the dialog closed.
void add_pattern_row(QtFormSite& site, std::function<PreviewSource()> source,
                     std::function<void(const std::string& summary)> done);

}  // namespace desktop
