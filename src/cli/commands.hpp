#pragma once
// The commands that open the calendar window and act on it: list, add-day, set-day, delete-day,
// add-range and delete-range.

#include <istream>
#include <ostream>
#include <string>

#include "cli/options.hpp"

namespace cli {

// Runs the command of `options` and returns its exit status. `terminal` is where questions are asked
// when no answer was given in advance (null when there is no terminal).
int run_window_command(const Options& options, std::ostream& out, std::ostream& err, std::istream* terminal);

// The line for a PostgreSQL database (--db) whose schema version is not this program's; empty when it is,
// or when the server cannot be reached (opening it then says why).
std::string server_schema_problem(const Options& options);

}  // namespace cli
