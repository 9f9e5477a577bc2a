#pragma once
// `contents`: the WBS activities and the calendar days stored in the database, read without opening the
// calendar window. The table names each activity by its codes and descriptions, in the words of the run's
// language; CSV and JSON give one row per activity and per day under keys that never change.

#include <ostream>

#include "cli/options.hpp"

namespace cli {

// Writes the contents of --db to `out` (a line that says why to `err` when it is no calendar database)
// and returns the exit status.
int run_contents(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace cli
