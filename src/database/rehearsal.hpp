#pragma once
// How statements take effect. Outside a rehearsal every statement commits on its own, as the module
// expects: others see a day as soon as its statement returns, and a failing statement undoes only
// itself. The commits are made cheap instead of being gathered: SQLite runs in WAL with
// synchronous=NORMAL, PostgreSQL with synchronous_commit = off for the session. Both engines promise
// for this that a crash of the program loses nothing, and that a power cut or a crash of the operating
// system may lose the last fraction of a second of commits but never leaves a torn or inconsistent
// database. With durable commits (set_durable_commits(), or CALENDATT_DURABLE=1 in the environment)
// every commit waits for the disk instead.
//
// A rehearsal (Rehearsal below) runs the person's actions without keeping anything: while it lasts
// every statement of a connection joins one transaction of that connection (PostgreSQL puts each
// statement in a savepoint of its own, so that a failing one undoes only itself), the connections that
// open share one engine per database (connection.cpp) so that each sees what the others wrote, and when
// it ends every transaction is rolled back. A preview runs the real dialogs so and reads what they would
// have done. A rehearsal must never wait for a person: the hosts answer its questions themselves, so
// it holds the database only as long as its statements take.
//
// The person's events run on one thread; so does this.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace database {

// A connection that may hold a rehearsal's transaction.
class RehearsalParticipant {
 public:
  virtual ~RehearsalParticipant();
  // Rolls back the transaction it holds for the rehearsal; nothing when it holds none. Never throws.
  virtual void rollback_rehearsal() noexcept = 0;

 protected:
  // This connection began a transaction for the running rehearsal, or ended it.
  void joined_rehearsal();
  void left_rehearsal();
};

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
  std::vector<RehearsalParticipant*> holders_;  // every connection that began a transaction in it
  friend class RehearsalParticipant;
};

// True while a Rehearsal lives.
bool rehearsing();

// Whether every commit waits for the disk: set_durable_commits(true), or CALENDATT_DURABLE=1. Read by a
// connection when it opens.
bool durable_commits();
void set_durable_commits(bool durable);

}  // namespace database
