#include "database/action.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "runtime/error.hpp"

namespace database {
namespace {

int depth = 0;
ActionParticipant* holder = nullptr;
Rehearsal* rehearsal = nullptr;

}  // namespace

ActionParticipant::~ActionParticipant() {
  if (holder == this) holder = nullptr;
  if (rehearsal) std::erase(rehearsal->holders_, this);
}

bool ActionParticipant::join_action() {
  // In a rehearsal every connection keeps its transaction until the end, and every statement joins one.
  if (rehearsal) return true;
  if (holder && holder != this) {
    ActionParticipant* other = holder;
    other->commit_action_work();
    if (holder == other) holder = nullptr;
  }
  return depth > 0;
}

void ActionParticipant::hold_action() {
  began_ = std::chrono::steady_clock::now();
  if (rehearsal) {
    if (std::find(rehearsal->holders_.begin(), rehearsal->holders_.end(), this) == rehearsal->holders_.end())
      rehearsal->holders_.push_back(this);
    return;
  }
  holder = this;
}

void ActionParticipant::release_action() {
  if (holder == this) holder = nullptr;
  if (rehearsal) std::erase(rehearsal->holders_, this);
}

std::chrono::milliseconds action_commit_interval() {
  static const std::chrono::milliseconds interval = [] {
    const char* text = std::getenv("CALENDATT_COMMIT_MS");
    if (!text || !*text || std::strlen(text) > 3) return kActionCommitInterval;
    for (const char* c = text; *c; ++c)
      if (*c < '0' || *c > '9') return kActionCommitInterval;
    const int ms = std::atoi(text);
    return ms >= 1 && ms <= kActionCommitInterval.count() ? std::chrono::milliseconds(ms)
                                                          : kActionCommitInterval;
  }();
  return interval;
}

bool ActionParticipant::action_work_is_old() const {
  if (rehearsal) return false;
  return std::chrono::steady_clock::now() - began_ >= action_commit_interval();
}

void ActionParticipant::end_action_work() {
  if (rehearsal)
    rollback_action_work();
  else
    commit_action_work();
}

Rehearsal::Rehearsal() {
  if (rehearsal) throw std::logic_error("a rehearsal is already running");
  // What an action wrote before is the database's: the rehearsal starts from it.
  commit_action();
  rehearsal = this;
}

Rehearsal::~Rehearsal() {
  // Each rollback takes its connection off the list.
  while (!holders_.empty()) {
    ActionParticipant* participant = holders_.back();
    participant->rollback_action_work();
    std::erase(holders_, participant);
  }
  rehearsal = nullptr;
  kept_.clear();
}

std::shared_ptr<void> Rehearsal::shared(const std::string& key,
                                        const std::function<std::shared_ptr<void>()>& make) {
  if (!rehearsal) return make();
  auto it = rehearsal->kept_.find(key);
  if (it != rehearsal->kept_.end()) return it->second;
  std::shared_ptr<void> made = make();
  rehearsal->kept_.emplace(key, made);
  return made;
}

bool rehearsing() {
  return rehearsal != nullptr;
}

ActionScope::ActionScope() {
  ++depth;
}

ActionScope::~ActionScope() {
  commit_action();
  --depth;
}

bool action_open() {
  return depth > 0;
}

void commit_action() noexcept {
  if (rehearsal) return;
  ActionParticipant* current = holder;
  if (!current) return;
  try {
    current->commit_action_work();
  } catch (const runtime::Error& e) {
    std::cerr << "commit: " << e.description() << '\n';
  } catch (const std::exception& e) {
    std::cerr << "commit: " << e.what() << '\n';
  }
  if (holder == current) holder = nullptr;
}

}  // namespace database
