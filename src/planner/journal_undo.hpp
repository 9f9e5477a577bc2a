#pragma once
// What the journal (database/journal.hpp) tells a planner, and putting one action back: the company's
// actions newest first with their counts, one action's days as they were and are, and undoing it. Shared
// by the command line's `history` and `undo` and the desktop's History and "Undo last action".

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database/engine.hpp"
#include "runtime/date.hpp"
#include "runtime/variant.hpp"

namespace planner {

// The three codes of an activity; all empty for every activity of the company.
struct ActivityCodes {
  std::string project, node, activity;
  bool empty() const { return project.empty(); }
};

// The company's actions, newest first, each row: id, when (UTC, "YYYY-MM-DD HH:MM:SS"), who, the host's
// words, and the days it added, changed and deleted; only those that touched the activity when codes are
// given, only those from `since` on when given.
std::vector<std::vector<runtime::Variant>> journal_actions(database::EngineConnection& c,
                                                           std::int32_t company,
                                                           const ActivityCodes& activity,
                                                           const std::optional<runtime::Date>& since);

// The action's journal rows in the company, in order: row id, operation (I, U, D), day id, date, hours and
// minutes before, hours and minutes after.
std::vector<std::vector<runtime::Variant>> action_changes(database::EngineConnection& c, std::int32_t company,
                                                          std::int64_t action);

// Removes the company's journal rows older than `before` (never a day of the calendar) and the actions
// left without rows; returns how many journal rows went.
std::int64_t prune_journal(database::EngineConnection& c, std::int32_t company, const runtime::Date& before);

// The newest action that changed a day of the company; none when the journal holds none.
std::optional<std::int64_t> last_action(database::EngineConnection& c, std::int32_t company);

// What putting one day back does.
enum class PutBack {
  kRemove,    // the action added it: it goes
  kReinsert,  // the action deleted it: it comes back with its own key
  kRestore,   // the action changed it: its values come back
};

// The effect's word in the language ("en" English, else Italian).
std::string put_back_text(PutBack effect, const std::string& language);

// One day the action changed: what putting it back does, the action's first journal row of it (whose
// "before" columns hold the day as it was), and the day now and as it was.
struct UndoneDay {
  std::int64_t day = 0;
  std::int64_t first = 0;
  PutBack effect = PutBack::kRestore;
  runtime::Variant date, was_hours, was_minutes, hours, minutes;
};

// A day another action changed after this one, with those actions' ids ("12, 14").
struct LaterChange {
  std::string day;
  std::string actions;
};

struct UndoPlan {
  std::int64_t action = 0;
  std::vector<UndoneDay> days;         // by date; empty when the company has no such action
  std::vector<LaterChange> conflicts;  // when not empty, nothing may be undone
};

// What undoing the action would do, read from the journal.
UndoPlan plan_undo(database::EngineConnection& c, std::int32_t company, std::int64_t action);

// The plan's days as rows of the preview: date, effect, hours and minutes now, hours and minutes after.
std::vector<std::vector<runtime::Variant>> undo_rows(const UndoPlan& plan, const std::string& language);

// Puts the plan's days back in one transaction, as an action of its own ("undo N"), so it can be undone
// too; on a failure nothing is put back and the error is thrown again. The plan must have no conflicts.
void put_back(database::EngineConnection& c, const UndoPlan& plan);

}  // namespace planner
