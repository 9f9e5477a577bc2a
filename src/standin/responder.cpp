#include "standin/responder.hpp"

#include <algorithm>


namespace standin {

namespace box {

std::vector<int> buttons(std::int32_t style) {
  switch (style & kButtonsMask) {
    case kOkOnly:
      return {kOk};
    case kOkCancel:
      return {kOk, kCancel};
    case kAbortRetryIgnore:
      return {kAbort, kRetry, kIgnore};
    case kYesNoCancel:
      return {kYes, kNo, kCancel};
    case kYesNo:
      return {kYes, kNo};
    case kRetryCancel:
      return {kRetry, kCancel};
    default:
      return {};
  }
}

const char* answer_name(int answer) {
  switch (answer) {
    case kOk:
      return "OK";
    case kCancel:
      return "Cancel";
    case kAbort:
      return "Abort";
    case kRetry:
      return "Retry";
    case kIgnore:
      return "Ignore";
    case kYes:
      return "Yes";
    case kNo:
      return "No";
    default:
      return "?";
  }
}

}  // namespace box

std::string ErrorReport::text() const {
  std::string out = application;
  if (!caption.empty()) out += " - " + caption;
  out += "\r\nErrore nella routine " + routine;
  out += "\r\nNumero: " + std::to_string(error.number);
  out += "\r\nDescrizione: " + error.description;
  if (!error.source.empty()) out += "\r\nOrigine: " + error.source;
  if (!provider_errors.empty()) {
    out += "\r\nErrori del database:";
    for (const auto& e : provider_errors) {
      out += "\r\n  " + std::to_string(e.number) + " - " + e.description;
      if (!e.source.empty()) out += " [" + e.source + "]";
      if (!e.sql_state.empty()) out += " (SQLSTATE " + e.sql_state + ")";
    }
  }
  return out;
}

int ScriptedResponder::take_answer(std::int32_t style, const std::string& what) {
  auto allowed = box::buttons(style);
  if (answers_.empty()) {
    unanswered_.push_back(what + ": no scripted answer");
    return 0;
  }
  int answer = answers_.front();
  answers_.pop_front();
  if (auto action = actions_.extract(taken_++)) action.mapped()();
  if (std::find(allowed.begin(), allowed.end(), answer) == allowed.end()) {
    unanswered_.push_back(what + ": scripted answer " + std::to_string(answer) +
                          " is not one of its buttons");
    return 0;
  }
  return answer;
}

int ScriptedResponder::answer_message(const ShownMessage& message) {
  messages_.push_back(message);
  if ((message.style & box::kButtonsMask) == box::kOkOnly) return box::kOk;
  return take_answer(message.style, "message " + std::to_string(message.number) + " \"" + message.text +
                                        "\" (style " + std::to_string(message.style) + ")");
}

int ScriptedResponder::answer_report(const ErrorReport& report) {
  reports_.push_back(report);
  return take_answer(report.style, "error report of " + report.routine + ": " +
                                       std::to_string(report.error.number) + " " + report.error.description);
}

void ScriptedResponder::clear_record() {
  messages_.clear();
  reports_.clear();
  unanswered_.clear();
}

}  // namespace standin
