#pragma once
// Weekdays and dates to leave out in the two range dialogs. The host adds a row to the dialog (its design
// is not touched): a box per weekday and a file of dates to skip (a date list or an iCalendar file, as the
// command line's --skip-dates reads it). While a pattern is chosen, the dialog's Conferma lists what the
// whole pattern would do (the Preview) and, when the person says so, carries it out in this program as the
// command line does: the runs split around the skipped dates (planner/range_runs.hpp), refusable runs
// first (planner/pattern_runs.hpp), the real dialog opened unshown once per run and typed into as the
// command line's person types (standin/person.hpp), all of it one action of the journal.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/preview_dialog.hpp"
#include "runtime/date.hpp"
#include "standin/person.hpp"

namespace standin {
class HostEnvironment;
}

namespace desktop {

class QtFormSite;

// The pattern the dialog's row holds: ISO weekdays (1 Monday ... 7 Sunday) and the file of dates to skip.
struct RangePattern {
  std::vector<int> weekdays;
  std::string skip_file;
  bool empty() const { return weekdays.empty() && skip_file.empty(); }
};
RangePattern pattern_of(QtFormSite& dialog);

// What the person asked the dialog for, with its pattern: what each run types into the dialog.
struct PatternOrder {
  bool insertion = true;
  standin::ActivityCodes codes;
  runtime::Date from, to;
  int every = 1;
  std::string hours, minutes;
  std::optional<std::int32_t> existing;  // the position the list of dates that exist showed
  RangePattern pattern;
};

// Adds the row to a range dialog (any other window is left as it is). `source` is asked for the preview
// when a pattern is confirmed; once the person said to carry it out, the dialog is left as its Annulla
// leaves it and `carry` is called with the order after the dialog's own loop has ended.
void add_pattern_row(QtFormSite& site, std::function<PreviewSource()> source,
                     std::function<void(const PatternOrder&)> carry);

class QtFormFactory;
class QtResponder;

// What carrying out a pattern works with: the calendar window whose toolbar opens the dialogs.
struct PatternHost {
  QtFormFactory* forms = nullptr;
  QtResponder* responder = nullptr;
  standin::HostEnvironment* env = nullptr;
  std::shared_ptr<QtFormSite> window;
  std::string db;
  std::int32_t company = 1;
  std::string language = "it";
};

// Carries out the order's runs one after the other, each the real dialog opened from the window's toolbar
// and typed into; a run that does not complete stops the rest. Returns the line that says what was
// written (for the status bar); what went wrong on the way has been shown to the person.
std::string carry_out_pattern(const PatternOrder& order, PatternHost& host);

}  // namespace desktop
