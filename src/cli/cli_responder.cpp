#include "cli/cli_responder.hpp"

#include <algorithm>
#include <cctype>

#include "runtime/variant.hpp"

namespace cli {

namespace box = standin::box;

std::vector<std::string> text_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  lines.push_back(line);
  return lines;
}

namespace {

bool has(const std::vector<int>& buttons, int b) {
  return std::find(buttons.begin(), buttons.end(), b) != buttons.end();
}

int first_of(const std::vector<int>& buttons, std::initializer_list<int> wanted) {
  for (int b : wanted)
    if (has(buttons, b)) return b;
  return buttons.empty() ? box::kOk : buttons.front();
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

int affirmative_button(const std::vector<int>& buttons) {
  return first_of(buttons, {box::kYes, box::kOk, box::kRetry});
}

int negative_button(const std::vector<int>& buttons) {
  return first_of(buttons, {box::kNo, box::kCancel, box::kAbort});
}

int typed_button(const std::string& typed, const std::vector<int>& buttons) {
  std::string t = lower(runtime::trim(typed));
  if (t.empty()) return 0;
  for (int b : buttons) {
    std::string name = lower(box::answer_name(b));
    if (t == name || (t.size() == 1 && t[0] == name[0])) return b;
  }
  if (t == "y" || t == "yes") return affirmative_button(buttons);
  if (t == "n" || t == "no") return negative_button(buttons);
  return 0;
}

CliResponder::CliResponder(std::ostream& err, std::optional<bool> answer, OnError on_error,
                           std::istream* terminal)
    : err_(err), answer_(answer), on_error_(on_error), terminal_(terminal) {}

void CliResponder::print(const std::string& prefix, const std::string& text) {
  for (const auto& line : text_lines(text)) err_ << prefix << line << "\n";
  err_.flush();
}

void CliResponder::note(const std::string& text) {
  err_ << "calendatt: " << text << "\n";
  err_.flush();
}

int CliResponder::ask(const std::vector<int>& buttons) {
  std::string choices;
  for (int b : buttons) choices += std::string(choices.empty() ? "" : "/") + box::answer_name(b);
  while (true) {
    err_ << "calendatt: " << choices << "? ";
    err_.flush();
    std::string line;
    if (!std::getline(*terminal_, line)) {
      err_ << "\n";
      return 0;
    }
    if (int b = typed_button(line, buttons)) return b;
  }
}

int CliResponder::answer_message(const standin::ShownMessage& message) {
  ++messages_shown_;
  numbers_.push_back(message.number);
  print("[" + std::to_string(message.number) + "] ", message.text);
  auto buttons = box::buttons(message.style);
  if (buttons.size() <= 1) return buttons.empty() ? box::kOk : buttons.front();

  if (answer_) {
    int b = *answer_ ? affirmative_button(buttons) : negative_button(buttons);
    note(std::string("answered ") + box::answer_name(b) + (*answer_ ? " (--yes)" : " (--no)"));
    return b;
  }
  if (terminal_) {
    if (int b = ask(buttons)) return b;
  }
  unanswered_ = true;
  int b = negative_button(buttons);
  note(std::string("this question needs an answer and there is no terminal to ask it on: give --yes or --no "
                   "(answered ") +
       box::answer_name(b) + ")");
  return b;
}

int CliResponder::answer_report(const standin::ErrorReport& report) {
  ++reports_shown_;
  print("[error] ", "routine " + report.routine + ": error " + std::to_string(report.error.number) + ": " +
                        report.error.description);
  for (const auto& e : report.provider_errors) {
    std::string line = "  database: " + std::to_string(e.number) + " - " + e.description;
    if (!e.source.empty()) line += " [" + e.source + "]";
    if (!e.sql_state.empty()) line += " (SQLSTATE " + e.sql_state + ")";
    print("[error] ", line);
  }
  auto buttons = box::buttons(report.style);
  int wanted = box::kAbort;
  if (on_error_ == OnError::kRetry) {
    std::string key =
        report.routine + "\n" + std::to_string(report.error.number) + "\n" + report.error.description;
    if (key != retried_report_) {
      retried_report_ = key;
      retries_ = 0;
    }
    if (retries_ < kMostRetries) {
      wanted = box::kRetry;
      ++retries_;
    } else {
      note("still failing after " + std::to_string(kMostRetries) + " retries");
    }
  } else if (on_error_ == OnError::kIgnore) {
    wanted = box::kIgnore;
  }
  int b = has(buttons, wanted) ? wanted : (buttons.empty() ? box::kOk : buttons.front());
  note(std::string("answered ") + box::answer_name(b));
  return b;
}

}  // namespace cli
