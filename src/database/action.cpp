#include "database/action.hpp"

#include <iostream>

#include "runtime/error.hpp"

namespace database {
namespace {

int depth = 0;
ActionParticipant* holder = nullptr;

}  // namespace

ActionParticipant::~ActionParticipant() {
  if (holder == this) holder = nullptr;
}

bool ActionParticipant::join_action() {
  if (holder && holder != this) {
    ActionParticipant* other = holder;
    other->commit_action_work();
    if (holder == other) holder = nullptr;
  }
  return depth > 0;
}

void ActionParticipant::hold_action() {
  holder = this;
  began_ = std::chrono::steady_clock::now();
}

void ActionParticipant::release_action() {
  if (holder == this) holder = nullptr;
}

bool ActionParticipant::action_work_is_old() const {
  return std::chrono::steady_clock::now() - began_ >= kActionCommitInterval;
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
