#include "database/statement_cache.hpp"

#include <sqlite3.h>

namespace database {

StatementCache::Lease::~Lease() {
  release();
}

StatementCache::Lease& StatementCache::Lease::operator=(Lease&& other) noexcept {
  if (this != &other) {
    release();
    slot_ = std::move(other.slot_);
  }
  return *this;
}

void StatementCache::Lease::release() {
  if (!slot_) return;
  if (slot_->cached) {
    sqlite3_reset(slot_->stmt);
    sqlite3_clear_bindings(slot_->stmt);
    slot_->in_use = false;
  } else {
    sqlite3_finalize(slot_->stmt);
    slot_->stmt = nullptr;
  }
  slot_.reset();
}

bool StatementCache::Lease::columns_changed() {
  int prepared = sqlite3_stmt_status(slot_->stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
  if (prepared == slot_->prepared) return false;
  slot_->prepared = prepared;
  return true;
}

StatementCache::Lease StatementCache::take(const std::string& text) {
  auto found = index_.find(text);
  if (found == index_.end()) return Lease();
  std::shared_ptr<Slot> slot = found->second->second;
  if (slot->in_use) return Lease();
  slots_.splice(slots_.begin(), slots_, found->second);
  slot->in_use = true;
  return Lease(std::move(slot));
}

StatementCache::Lease StatementCache::keep(const std::string& text, sqlite3_stmt* stmt) {
  auto slot = std::make_shared<Slot>();
  slot->stmt = stmt;
  slot->in_use = true;
  if (capacity_ == 0 || text.size() > kLongestKept || index_.count(text) != 0) {
    slot->cached = false;
    return Lease(std::move(slot));
  }
  // Room for it: the least recently used statements not in use go.
  for (auto it = slots_.end(); slots_.size() >= capacity_ && it != slots_.begin();) {
    --it;
    if (it->second->in_use) continue;
    sqlite3_finalize(it->second->stmt);
    it->second->stmt = nullptr;
    index_.erase(it->first);
    it = slots_.erase(it);
  }
  slots_.emplace_front(text, slot);
  index_.emplace(text, slots_.begin());
  return Lease(std::move(slot));
}

void StatementCache::clear() {
  for (auto& [text, slot] : slots_) {
    if (slot->in_use) {
      slot->cached = false;
    } else {
      sqlite3_finalize(slot->stmt);
      slot->stmt = nullptr;
    }
  }
  slots_.clear();
  index_.clear();
}

}  // namespace database
