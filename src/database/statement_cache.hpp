#pragma once
// The prepared statements of one SQLite connection, kept by their text for reuse: a statement whose text
// was seen is only reset and bound again instead of being prepared afresh. The cache is bounded: beyond
// its capacity the statement used least recently is finalized, never one that is in use.
//
// A statement is in use from take() or keep() until its Lease ends; the lease then resets it and clears its
// bindings, so a kept statement never holds a read transaction open nor a value of an earlier run. A text
// whose statement is in use (a statement run while another of the same text is still stepping) gets none
// from take(); the connection prepares another, which keep() gives back as a lease of its own and
// finalizes at its end. clear() finalizes the statements not in use and those in use at the end of their
// lease; the connection clears the cache before it closes. A text longer than kLongestKept is not kept.
//
// The engine prepares a kept statement again by itself after a change of the schema (a new column, a
// dropped index); columns() tells when that happened, so that the description of its result columns is
// read again.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/engine.hpp"

struct sqlite3_stmt;

namespace database {

class StatementCache {
  struct Slot {
    sqlite3_stmt* stmt = nullptr;
    bool in_use = false;
    bool cached = true;  // false: finalized when its lease ends
    int prepared = -1;   // the engine's count of re-preparations when the columns were described
    std::vector<ResultColumn> columns;
  };

 public:
  class Lease {
   public:
    Lease() = default;
    explicit Lease(std::shared_ptr<Slot> slot) : slot_(std::move(slot)) {}
    ~Lease();
    Lease(Lease&& other) noexcept = default;
    Lease& operator=(Lease&& other) noexcept;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    explicit operator bool() const { return slot_ != nullptr; }
    sqlite3_stmt* get() const { return slot_ ? slot_->stmt : nullptr; }
    // True once after the statement was prepared (or prepared again by the engine): its result columns
    // are to be described.
    bool columns_changed();
    // The description of the statement's result columns, as last described.
    std::vector<ResultColumn>& columns() { return slot_->columns; }

   private:
    void release();
    std::shared_ptr<Slot> slot_;
  };

  // A longer text (a list of thousands of days) is rare: its statement is finalized after its run.
  static constexpr std::size_t kLongestKept = 16384;

  explicit StatementCache(std::size_t capacity) : capacity_(capacity) {}
  ~StatementCache() { clear(); }
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  // The kept statement of this text, now in use; an empty lease when there is none or it is in use.
  Lease take(const std::string& text);
  // Keeps a statement just prepared from text (in use until the lease ends); when another of the same text
  // is kept already, the lease finalizes this one at its end.
  Lease keep(const std::string& text, sqlite3_stmt* stmt);
  void clear();

  std::size_t size() const { return slots_.size(); }
  std::size_t capacity() const { return capacity_; }

 private:
  using Entries = std::list<std::pair<std::string, std::shared_ptr<Slot>>>;

  std::size_t capacity_;
  Entries slots_;  // most recently used first
  std::unordered_map<std::string, Entries::iterator> index_;
};

}  // namespace database
