#pragma once
// Which WBS row the person means when an activity code stands in several rows of its node: the row that
// --link names, or the one the person picks by its number at the terminal. Otherwise the rows are listed,
// each with the --link that picks it, and nothing is done.

#include <optional>
#include <vector>

#include "cli/cli_responder.hpp"
#include "cli/options.hpp"
#include "standin/calling_program.hpp"

namespace cli {

// The row of `rows` (the WBS rows of the codes, in link order) to work on: the only one, unless --link
// names another; the one --link names; or the one picked at the terminal. Nullopt, after the lines that
// say why and what to give, when there is none or nobody said which.
std::optional<standin::CalledActivity> pick_activity(const std::vector<standin::CalledActivity>& rows,
                                                     const Options& options, CliResponder& responder);

}  // namespace cli
