#pragma once
// The preview of a bulk run (--dry-run) written out: each date of the run with what the run does to it
// and the day's duration after it and before it, then the totals. The table speaks the run's language;
// CSV and JSON use keys and effect names that never change with it (date, effect, hours, minutes,
// was_hours, was_minutes; add, overwrite, skip, stop here, not written, delete, spared: allocated
// resources, absent). JSON holds {"dates": [...], "totals": {...}}; CSV holds the dates, its totals go
// to standard error.

#include <ostream>

#include "cli/cli_responder.hpp"
#include "cli/options.hpp"
#include "planner/preview.hpp"

namespace cli {

void write_preview(const planner::Preview& preview, const Options& options, std::ostream& out,
                   CliResponder& responder);

}  // namespace cli
