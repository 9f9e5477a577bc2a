#include "runtime/error.hpp"

#include "runtime/ref.hpp"

#include <exception>

namespace runtime {

Error::Error(std::int32_t number, std::string description, std::string source)
    : std::runtime_error(std::to_string(number) + " - " + description),
      number_(number),
      description_(std::move(description)),
      source_(std::move(source)) {}

[[noreturn]] void throw_object_not_set() {
  throw Error(91, "Object variable or With block variable not set", "runtime");
}

ErrorInfo& pending_error() {
  static thread_local ErrorInfo info;
  return info;
}

void clear_pending_error() {
  pending_error() = ErrorInfo{};
}

void set_pending_error_from_current_exception() {
  try {
    throw;
  } catch (const Error& e) {
    pending_error() = ErrorInfo{e.number(), e.description(), e.source()};
  } catch (const std::bad_alloc&) {
    pending_error() = ErrorInfo{7, "Out of memory", "runtime"};
  } catch (const std::exception& e) {
    pending_error() = ErrorInfo{440, e.what(), "runtime"};
  }
}

bool suppressed(const std::function<void()>& step) {
  bool ok = true;
  try {
    step();
  } catch (...) {
    ok = false;
  }
  clear_pending_error();
  return ok;
}

ErrorTrap::~ErrorTrap() = default;

bool ErrorTrap::step(const std::function<void()>& body) {
  while (!left_) {
    try {
      body();
      return true;
    } catch (...) {
      set_pending_error_from_current_exception();
    }
    std::int32_t answer = reporter_->VisualizzaErrore(routine_);
    clear_pending_error();
    if (answer == kRetry) continue;
    if (answer == kIgnore) {
      skipped_ = true;
      return true;
    }
    left_ = true;
    leaving_answer_ = answer;
  }
  return false;
}

}  // namespace runtime
