#pragma once
// What answers the message boxes and error reports of the host. The headless host answers from a script
// and keeps a record of everything shown; the command line and the desktop put a person in its place.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/database.hpp"
#include "runtime/error.hpp"

namespace standin {

// Message-box styles and answers, the usual ones.
namespace box {
inline constexpr std::int32_t kButtonsMask = 7;
inline constexpr std::int32_t kOkOnly = 0;
inline constexpr std::int32_t kOkCancel = 1;
inline constexpr std::int32_t kAbortRetryIgnore = 2;
inline constexpr std::int32_t kYesNoCancel = 3;
inline constexpr std::int32_t kYesNo = 4;
inline constexpr std::int32_t kRetryCancel = 5;

inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAbort = 3;
inline constexpr int kRetry = 4;
inline constexpr int kIgnore = 5;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;

// The answers a box of that style can give, in the order of its buttons.
std::vector<int> buttons(std::int32_t style);
// "OK", "Cancel", ... for an answer; "?" for anything else.
const char* answer_name(int answer);
}  // namespace box

// A message box as the user saw it.
struct ShownMessage {
  std::int32_t number = 0;  // the dictionary number; 0 when a text was shown as it is
  std::string text;         // exactly as shown
  std::int32_t style = 0;
  std::string title;
};

// An error report as the user saw it.
struct ErrorReport {
  runtime::ErrorInfo error;
  std::vector<host::ProviderError> provider_errors;
  std::string application;
  std::string caption;
  std::string routine;
  std::int32_t style = 0;

  // The report's wording: where it happened, the error, then the provider's errors one per line.
  std::string text() const;
};

class MessageResponder {
 public:
  virtual ~MessageResponder() = default;
  // Returns the button pressed (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No).
  virtual int answer_message(const ShownMessage& message) = 0;
  virtual int answer_report(const ErrorReport& report) = 0;

  // The dictionary translated message `number` with these parameters (a piece of a text the module
  // shows later). The last parameters of each number are kept until taken: a host reads the counts a
  // dialog told the person, e.g. the days a deletion spares.
  void translated(std::int32_t number, const runtime::ParamList& params) { translated_[number] = params; }
  std::optional<runtime::ParamList> take_translated(std::int32_t number) {
    auto it = translated_.find(number);
    if (it == translated_.end()) return std::nullopt;
    runtime::ParamList params = std::move(it->second);
    translated_.erase(it);
    return params;
  }

 private:
  std::map<std::int32_t, runtime::ParamList> translated_;
};

// Answers from a queue of scripted answers and records everything shown.
//
// A box with only an OK button is answered 1 without using the queue. Any other box, and every error
// report, takes the next scripted answer. When there is none, or the answer is not one of the box's
// buttons, the box is answered 0 (nothing could be shown) and recorded in unanswered(): a test that
// leaves a question unanswered has failed, it has not chosen a default.
class ScriptedResponder : public MessageResponder {
 public:
  void push_answer(int answer) { answers_.push_back(answer); }
  // The person does something (e.g. fixes what failed) while the next box or report is shown, then
  // answers.
  void push_answer(int answer, std::function<void()> while_shown) {
    answers_.push_back(answer);
    actions_[answers_.size() - 1 + taken_] = std::move(while_shown);
  }
  std::size_t pending_answers() const { return answers_.size(); }

  int answer_message(const ShownMessage& message) override;
  int answer_report(const ErrorReport& report) override;

  const std::vector<ShownMessage>& messages() const { return messages_; }
  const std::vector<ErrorReport>& reports() const { return reports_; }
  // One line per box or report that got no fitting answer, saying what was shown.
  const std::vector<std::string>& unanswered() const { return unanswered_; }

  // Forgets the record (not the scripted answers).
  void clear_record();

 private:
  int take_answer(std::int32_t style, const std::string& what);

  std::deque<int> answers_;
  std::map<std::size_t, std::function<void()>> actions_;  // by the answer's overall index
  std::size_t taken_ = 0;
  std::vector<ShownMessage> messages_;
  std::vector<ErrorReport> reports_;
  std::vector<std::string> unanswered_;
};

}  // namespace standin
