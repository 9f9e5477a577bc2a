#pragma once
// Errors of the runtime. A failing host object, database call or conversion throws runtime::Error; the
// error trap and the suppressing helper are the only places that catch it. The pending error (the
// original's error object) is what the error report reads.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace runtime {

// Numbers used by the runtime itself.
namespace err {
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kSubscript = 9;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kInvalidUse = 94;  // invalid use of Null
inline constexpr std::int32_t kObjectRequired = 424;
inline constexpr std::int32_t kInvalidArgument = 5;
}  // namespace err

class Error : public std::runtime_error {
 public:
  Error(std::int32_t number, std::string description, std::string source = {});
  std::int32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }

 private:
  std::int32_t number_;
  std::string description_;
  std::string source_;
};

// The pending error: number 0 means none.
struct ErrorInfo {
  std::int32_t number = 0;
  std::string description;
  std::string source;
};

// The pending error of the current thread (everything runs on the user-interface thread).
ErrorInfo& pending_error();
void clear_pending_error();
// Records any exception as the pending error; non-runtime exceptions get number 440 (automation error).
void set_pending_error_from_current_exception();

// Runs one step with errors ignored; the pending error is cleared afterwards.
// Returns true when the step completed.
bool suppressed(const std::function<void()>& step);

// Answers of the error report.
enum ReportAnswer : std::int32_t { kAbort = 3, kRetry = 4, kIgnore = 5 };

// Anything that shows the error report for a routine and returns the button pressed.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  virtual std::int32_t VisualizzaErrore(const std::string& SubOrFunctionName) = 0;
};

// The error trap of a routine: each numbered step runs through step(); on a failure the routine's
// reporter is asked, and 4 runs the step again, 5 goes on with the next step, 3 or any other answer
// leaves the routine (step() returns false and every later step() does nothing).
class ErrorTrap {
 public:
  ErrorTrap(ErrorReporter& reporter, std::string routine)
      : reporter_(&reporter), routine_(std::move(routine)) {}
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;
  ~ErrorTrap();

  bool step(const std::function<void()>& body);
  bool left() const { return left_; }
  // Whether a step did not run to its end: the routine was left, or went on past it (Ignore).
  bool incomplete() const { return left_ || skipped_; }
  // The answer that made the routine leave (3 for Abort), 0 while it runs.
  std::int32_t leaving_answer() const { return leaving_answer_; }

 private:
  ErrorReporter* reporter_;
  std::string routine_;
  bool left_ = false;
  bool skipped_ = false;
  std::int32_t leaving_answer_ = 0;
};

}  // namespace runtime
