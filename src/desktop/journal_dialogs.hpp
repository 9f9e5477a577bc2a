#pragma once
// The journal's windows of the desktop: what undoing the company's last action puts back, asked before it
// is done, and the History of the activity being browsed. Both read the journal through the planner
// (planner/journal_undo.hpp), as the command line's `undo` and `history` do, on a connection of their own.

#include <cstdint>
#include <optional>
#include <string>

#include "planner/journal_undo.hpp"

class QWidget;

namespace desktop {

// Shows the days the company's last action changed and what putting each back does, and asks; on Yes
// puts them back as an action of its own. Returns the status bar's line when something was undone;
// nothing when the person left it, there was nothing to undo, or a later change refused it (each said in
// a message box). A database error is thrown.
std::optional<std::string> undo_last_action(QWidget* parent, const std::string& db, std::int32_t company,
                                            const std::string& language);

// The actions that changed the activity's days, newest first: when, who, what, added, changed, deleted.
void show_history(QWidget* parent, const std::string& db, std::int32_t company,
                  const planner::ActivityCodes& activity, const std::string& language);

}  // namespace desktop
