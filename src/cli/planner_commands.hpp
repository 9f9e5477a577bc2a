#pragma once
// The planner's commands, which read one activity's days without opening the calendar window: days (the
// days with their totals) and export-ics (the days as an iCalendar file).

#include <istream>
#include <ostream>

#include "cli/options.hpp"

namespace cli {

// Runs `days` or `export-ics` and returns the exit status; the report goes to `out`, messages to `err`.
// `terminal` is where the person picks one of several WBS rows of the codes (null when there is none).
int run_planner_command(const Options& options, std::ostream& out, std::ostream& err, std::istream* terminal);

}  // namespace cli
