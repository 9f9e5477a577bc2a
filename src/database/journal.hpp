#pragma once
// The journal of the calendar: every INSERT, UPDATE and DELETE on PD4G_CALENDATT, by this program or by
// anyone's SQL, leaves a row in CALENDATT_GIORNALE with the whole day before and after, when, who and the
// action it belongs to. The database writes it, with triggers on both engines: nothing of the program
// writes a journal row, so the journal cannot disagree with the table.
//
// An action (CALENDATT_AZIONI) is one action of a person: one run of the command line that writes. The
// host begins it (ActionInProgress) with its words; every connection of this layer then hands it to the
// triggers with each write that changes a day: PostgreSQL through the session settings calendatt.token
// and calendatt.command, SQLite by running the write in a transaction of its own with the action in
// CALENDATT_AZIONE_IN_CORSO, a row no other writer can see (SQLite lets one writer at a time in) and that
// is gone before the commit. The triggers write the action's row with its first change, so an action that
// changes nothing leaves nothing behind. A write made without an action, by the program or by anyone
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

// The operating system's user the program runs as.
std::string system_user();

}  // namespace database
