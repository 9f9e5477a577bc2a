#pragma once
// The commands that open the calendar window and act on it: list, add-day, set-day, delete-day,
// add-range and delete-range.

#include <istream>
#include <ostream>

#include "cli/options.hpp"

namespace cli {

// Runs the command of `options` and returns its exit status. `terminal` is where questions are asked
// when no answer was given in advance (null when there is no terminal).
int run_window_command(const Options& options, std::ostream& out, std::ostream& err, std::istream* terminal);

}  // namespace cli
