#pragma once
// The commands that open the calendar window and act on it: list, add-day, set-day, delete-day,
// add-range and delete-range.

#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "cli/cli_responder.hpp"
#include "cli/options.hpp"
#include "database/file_check.hpp"

namespace cli {

// Runs the command of `options` and returns its exit status. `terminal` is where questions are asked
// when no answer was given in advance (null when there is no terminal).
int run_window_command(const Options& options, std::ostream& out, std::ostream& err, std::istream* terminal);

// The database of --db when the calendar can use it: a SQLite calendar file of this program's schema
// (its check, with whether it is read-only) or a server database of this schema; otherwise nullopt, after
// the one line that says why.
std::optional<database::FileCheck> usable_database(const Options& options, CliResponder& responder);

// The line for a PostgreSQL database (--db) whose schema version is not this program's, or whose company
// (--company) the session's role may not use as the command needs (roles.hpp); empty when neither, or
// when the server cannot be reached (opening it then says why).
std::string server_schema_problem(const Options& options);

}  // namespace cli
