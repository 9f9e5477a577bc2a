#pragma once
// The prepared statements of one connection, kept by their text for reuse: a statement whose text was
// seen is only bound and run again instead of being prepared afresh. The cache is bounded: beyond its
// capacity the statement used least recently is finalized, never one that is in use.
//
// KeptStatements is the same for every engine; its Statement is the engine's prepared statement, a value
// with reset() (its run ended: it is kept for the next one) and finalize() (it goes). SQLite's is
// SqliteStatement below; PostgreSQL's names a statement prepared on the server (postgres_connection.cpp).
//
// A statement is in use from take() or keep() until its Lease ends; the lease then resets it, so a kept
// statement never holds a read transaction open nor a value of an earlier run. A text whose statement is
// in use (a statement run while another of the same text is still stepping) gets none from take(); the
// connection prepares another, which keep() gives back as a lease of its own and finalizes at its end.
// clear() finalizes the statements not in use and those in use at the end of their lease; the connection
// clears the cache before it closes. A text longer than kLongestKept is not kept.

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "database/engine.hpp"

struct sqlite3_stmt;

namespace database {

template <class Statement>
class KeptStatements {
  struct Slot {
    Statement statement;
    bool in_use = false;
    bool cached = true;      // false: finalized when its lease ends
    bool forgotten = false;  // the engine no longer has it: nothing is done when its lease ends
  };

 public:
  class Lease {
   public:
    Lease() = default;
    explicit Lease(std::shared_ptr<Slot> slot) : slot_(std::move(slot)) {}
    ~Lease() { release(); }
    Lease(Lease&& other) noexcept = default;
    Lease& operator=(Lease&& other) noexcept {
      if (this != &other) {
        release();
        slot_ = std::move(other.slot_);
      }
      return *this;
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    explicit operator bool() const { return slot_ != nullptr; }
    Statement& operator*() const { return slot_->statement; }
    Statement* operator->() const { return &slot_->statement; }

   private:
    void release() {
      if (!slot_) return;
      if (slot_->forgotten) {
        // Nothing left to reset or finalize.
      } else if (slot_->cached) {
        slot_->statement.reset();
        slot_->in_use = false;
      } else {
        slot_->statement.finalize();
      }
      slot_.reset();
    }
    std::shared_ptr<Slot> slot_;
  };

  // A longer text (a list of thousands of days) is rare: its statement is finalized after its run.
  static constexpr std::size_t kLongestKept = 16384;

  explicit KeptStatements(std::size_t capacity) : capacity_(capacity) {}
  ~KeptStatements() { clear(); }
  KeptStatements(const KeptStatements&) = delete;
  KeptStatements& operator=(const KeptStatements&) = delete;

  // The kept statement of this text, now in use; an empty lease when there is none or it is in use.
  Lease take(const std::string& text) {
    auto found = index_.find(text);
    if (found == index_.end()) return Lease();
    std::shared_ptr<Slot> slot = found->second->second;
    if (slot->in_use) return Lease();
    slots_.splice(slots_.begin(), slots_, found->second);
    slot->in_use = true;
    return Lease(std::move(slot));
  }

  // Whether the kept statement of this text is in use.
  bool in_use(const std::string& text) const {
    auto found = index_.find(text);
    return found != index_.end() && found->second->second->in_use;
  }

  // Keeps a statement just prepared from text (in use until the lease ends); when another of the same text
  // is kept already, the lease finalizes this one at its end.
  Lease keep(const std::string& text, Statement statement) {
    auto slot = std::make_shared<Slot>();
    slot->statement = std::move(statement);
    slot->in_use = true;
    if (capacity_ == 0 || text.size() > kLongestKept || index_.count(text) != 0) {
      slot->cached = false;
      return Lease(std::move(slot));
    }
    // Room for it: the least recently used statements not in use go.
    for (auto it = slots_.end(); slots_.size() >= capacity_ && it != slots_.begin();) {
      --it;
      if (it->second->in_use) continue;
      it->second->statement.finalize();
      index_.erase(it->first);
      it = slots_.erase(it);
    }
    slots_.emplace_front(text, slot);
    index_.emplace(text, slots_.begin());
    return Lease(std::move(slot));
  }

  // Forgets the statement of this text, which the engine no longer has (it is not finalized); a lease of
  // it still ends as usual.
  void forget(const std::string& text) {
    auto found = index_.find(text);
    if (found == index_.end()) return;
    found->second->second->forgotten = true;
    slots_.erase(found->second);
    index_.erase(found);
  }

  void clear() {
    for (auto& [text, slot] : slots_) {
      if (slot->in_use) {
        slot->cached = false;
      } else {
        slot->statement.finalize();
      }
    }
    slots_.clear();
    index_.clear();
  }

  std::size_t size() const { return slots_.size(); }
  std::size_t capacity() const { return capacity_; }

 private:
  using Entries = std::list<std::pair<std::string, std::shared_ptr<Slot>>>;

  std::size_t capacity_;
  Entries slots_;  // most recently used first
  std::unordered_map<std::string, typename Entries::iterator> index_;
};

// A prepared statement of SQLite. reset() also clears its bindings. The engine prepares a kept statement
// again by itself after a change of the schema (a new column, a dropped index); columns_changed() tells
// when that happened, so that the description of its result columns is read again.
struct SqliteStatement {
  SqliteStatement() = default;
  SqliteStatement(sqlite3_stmt* s) : stmt(s) {}  // NOLINT: a prepared handle is the statement

  void reset();
  void finalize();
  // True once after the statement was prepared (or prepared again by the engine): its result columns
  // are to be described.
  bool columns_changed();

  sqlite3_stmt* stmt = nullptr;
  int prepared = -1;                  // the engine's count of re-preparations when the columns were described
  std::vector<ResultColumn> columns;  // as last described
};

using StatementCache = KeptStatements<SqliteStatement>;

}  // namespace database
