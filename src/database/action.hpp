#pragma once
// The person's action: everything the system writes in answer to one event of the person (a click, a
// field left, a day chosen) is one transaction, which the host commits before it shows the person
// anything (a message box, a question, an error report, a lookup list), when the event ends, and in any
// case at least every half second while the event runs. So whenever the person sees something, the
// database holds what one commit per statement would hold, and a long generation pays the disk once.
//
// The host opens an ActionScope around each event it dispatches and calls commit_action() before it
// shows anything. The connections of this layer (SQLite and PostgreSQL) consult the action before each
// statement: outside an action every statement commits on its own, as before; inside one the statement
// joins the action's transaction. One connection at a time holds the transaction: a statement on
// another connection (the module opens one per window) first commits the one that holds it, so that it
// sees every row written before it and never waits for a lock of this same process. A failing statement
// undoes only itself (SQLite undoes a failed statement by itself; PostgreSQL runs each statement inside
// a savepoint), so Retry and Ignore act on one statement as before.
//
// A rehearsal (Rehearsal below) runs the person's actions without keeping anything: while it lasts no
// transaction commits (not before a message, not at the half second, not when its scope ends), every
// statement joins a transaction even outside an ActionScope, the connections that open share one
// engine per database (connection.cpp) so that each sees what the others wrote, and when it ends every
// transaction is rolled back. A preview runs the real dialogs so and reads what they would have done.
//
// The person's events run on one thread; so does this.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace database {

// A connection that may hold the action's transaction.
class ActionParticipant {
 public:
  virtual ~ActionParticipant();
  // Commits the transaction it holds for the action; nothing when it holds none. Throws runtime::Error
  // when the engine refuses the commit (the transaction is then rolled back).
  virtual void commit_action_work() = 0;
  // Rolls back the transaction it holds for the action; nothing when it holds none. Never throws.
  virtual void rollback_action_work() noexcept = 0;

 protected:
  // Called before each statement of this connection. Commits the transaction of another connection
  // when one holds it, and returns whether this statement runs inside the action.
  bool join_action();
  // This connection began the action's transaction, or ended it.
  void hold_action();
  void release_action();
  // True when the transaction this connection holds began at least half a second ago (never in a
  // rehearsal).
  bool action_work_is_old() const;
  // What ends the action's work when the connection closes or goes: a commit, or in a rehearsal a
  // rollback.
  void end_action_work();

 private:
  std::chrono::steady_clock::time_point began_{};
};

// Opens the person's action for its lifetime; commits it when it ends. Scopes nest (a modal window
// runs the person's events inside the event that opened it): the action stays open until the outer
// scope ends, and every scope commits when it ends.
class ActionScope {
 public:
  ActionScope();
  ~ActionScope();
  ActionScope(const ActionScope&) = delete;
  ActionScope& operator=(const ActionScope&) = delete;
};

// True while an ActionScope is open.
bool action_open();

// Commits the action's transaction, when a connection holds one. Called before anything is shown to the
// person. A commit the engine refuses is rolled back and written to the standard error: the person
// then sees the database as it was at the previous commit.
void commit_action() noexcept;

// Everything written while it lives is rolled back when it ends, on every engine (see above).
// Rehearsals do not nest. The connections opened inside it should be let go before it ends; one that
// lives on keeps its engine open until then, its transaction already rolled back.
class Rehearsal {
 public:
  Rehearsal();
  ~Rehearsal();
  Rehearsal(const Rehearsal&) = delete;
  Rehearsal& operator=(const Rehearsal&) = delete;

  // The object kept under `key` until the rehearsal ends, made by `make` the first time it is asked
  // for (the engine that the connections on one database share). Only while rehearsing.
  static std::shared_ptr<void> shared(const std::string& key,
                                      const std::function<std::shared_ptr<void>()>& make);

 private:
  std::map<std::string, std::shared_ptr<void>> kept_;
  std::vector<ActionParticipant*> holders_;  // every connection that began a transaction in it
  friend class ActionParticipant;
};

// True while a Rehearsal lives.
bool rehearsing();

// The half second after which a running action commits what it wrote so far.
inline constexpr std::chrono::milliseconds kActionCommitInterval{500};

// The interval in force: kActionCommitInterval, or a shorter one from CALENDATT_COMMIT_MS (a whole number
// of milliseconds from 1 to 500; anything else is ignored), for a site that wants other readers to see a
// long generation sooner, and for the test that interrupts one.
std::chrono::milliseconds action_commit_interval();

}  // namespace database
