#pragma once
// The journal of the calendar: every INSERT, UPDATE and DELETE on PD4G_CALENDATT, by this program or by
// anyone's SQL, leaves a row in CALENDATT_GIORNALE with the whole day before and after, when, who and the
// action it belongs to. The database writes it, with triggers on both engines: nothing of the program
// writes a journal row, so the journal cannot disagree with the table.
//
// An action (CALENDATT_AZIONI) is one action of a person: one run of the command line that writes. The
// host begins it (ActionInProgress) with its words; every connection of this layer then hands it to the
// triggers with each write that changes a day: PostgreSQL through the session settings calendatt.token
// and calendatt.command; SQLite through a function that the writing connection defines for itself:
// SQLite's own sqlite_compileoption_get, which answers NULL for a negative number on every connection,
// answers on this one the action's token (-1), who (-2) and words (-3), and the engine's own answer for
// any other number. The writes commit on their own, as they would without the journal, and another
// program's write finds no action. The triggers write the action's row with its first change, so an action
// that changes nothing leaves nothing behind. A write made without an action, by the program or by anyone
// else, is an action of its own ('SQL').

#include <cstdint>
#include <string>
#include <vector>

#include "database/engine.hpp"
#include "host/database.hpp"

namespace database {

// The day's columns the journal keeps, before (B_ prefix) and after (A_ prefix) each change.
extern const std::vector<std::string> kJournaledColumns;

// The statements that create the journal's tables, indexes and triggers, for the engine; each may run on
// a database that has them already.
std::vector<std::string> journal_schema(Dialect dialect);

// An action of the person: a token no other action has, the host's words for it, and who runs it (the
// operating system's user; PostgreSQL names the database's user instead).
struct Action {
  std::string token;
  std::string words;
  std::string who;
};

// The action in progress, or null. One thread, as the person's events.
const Action* current_action();

// The action in progress while it lives.
class ActionInProgress {
 public:
  explicit ActionInProgress(const std::string& words);
  ~ActionInProgress();
  ActionInProgress(const ActionInProgress&) = delete;
  ActionInProgress& operator=(const ActionInProgress&) = delete;

 private:
  Action action_;
  const Action* previous_;
};

// SQLite, version 2 to 3: the triggers that found the action in a table written around each statement
// give way to those that ask the connection (above).
std::vector<std::string> journal_upgrade_to_3();

// The operating system's user the program runs as.
std::string system_user();

}  // namespace database
