#include "database/rehearsal.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace database {
namespace {

Rehearsal* rehearsal = nullptr;
int durable = -1;  // not yet decided: the environment decides

}  // namespace

RehearsalParticipant::~RehearsalParticipant() {
  left_rehearsal();
}

void RehearsalParticipant::joined_rehearsal() {
  if (rehearsal &&
      std::find(rehearsal->holders_.begin(), rehearsal->holders_.end(), this) == rehearsal->holders_.end())
    rehearsal->holders_.push_back(this);
}

void RehearsalParticipant::left_rehearsal() {
  if (rehearsal) std::erase(rehearsal->holders_, this);
}

Rehearsal::Rehearsal() {
  if (rehearsal) throw std::logic_error("a rehearsal is already running");
  rehearsal = this;
}

Rehearsal::~Rehearsal() {
  // Each rollback takes its connection off the list.
  while (!holders_.empty()) {
    RehearsalParticipant* participant = holders_.back();
    participant->rollback_rehearsal();
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

bool durable_commits() {
  if (durable < 0) {
    const char* text = std::getenv("CALENDATT_DURABLE");
    durable = text && std::strcmp(text, "1") == 0 ? 1 : 0;
  }
  return durable == 1;
}

void set_durable_commits(bool value) {
  durable = value ? 1 : 0;
}

}  // namespace database
