#pragma once
// The planner's commands, which read one activity's days without opening the calendar window: days (the
// days with their totals) and export-ics (the days as an iCalendar file).

#include <ostream>

#include "cli/options.hpp"

namespace cli {

// Runs `days` or `export-ics` and returns the exit status; the report goes to `out`, messages to `err`.
int run_planner_command(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace cli
