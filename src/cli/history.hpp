#pragma once
// `calendatt history`: the person's actions that changed the company's days, newest first, with who,
// when, the command and how many days each added, changed and deleted (read from the journal the
// database keeps, database/journal.hpp); with --action, the days that action changed, before and after.

#include <ostream>

#include "cli/options.hpp"

namespace cli {

int run_history(const Options& options, std::ostream& out, std::ostream& err);

// `calendatt undo --action ID`: puts back exactly what that action changed in the company's days (deleted
// days come back with their own key, changed days get their hours back, added days go), refused as a
// whole when another action changed one of those days since. The undo is an action of its own.
int run_undo(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace cli
