#include "cli/cli_responder.hpp"

#include <algorithm>
#include <cctype>

#include "cli/language.hpp"
#include "cli/roles.hpp"
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

int default_button(std::int32_t style, const std::vector<int>& buttons) {
  auto index = static_cast<std::size_t>((style >> 8) & 3);
  if (buttons.empty()) return box::kOk;
  return index < buttons.size() ? buttons[index] : buttons.front();
}

std::string button_name(int button, const std::string& language) {
  if (language != "it") return box::answer_name(button);
  switch (button) {
    case box::kCancel:
      return "Annulla";
    case box::kAbort:
      return "Interrompi";
    case box::kRetry:
      return "Riprova";
    case box::kIgnore:
      return "Ignora";
    case box::kYes:
      return "Sì";
    default:
      return box::answer_name(button);
  }
}

int typed_button(const std::string& typed, const std::vector<int>& buttons, const std::string& language) {
  // Lower case, with the accented i of "sì" read as a plain i.
  auto plain = [](const std::string& text) {
    std::string out = lower(runtime::trim(text));
    for (const char* accented : {"\xc3\xac", "\xc3\x8c", "\xc3\xad", "\xc3\x8d"})
      out = runtime::replace_all(out, accented, "i");
    return out;
  };
  std::string t = plain(typed);
  if (t.empty()) return 0;
  for (int b : buttons)
    if (t == plain(button_name(b, language))) return b;
  if (t.size() == 1) {
    int named = 0;
    int starting = 0;
    for (int b : buttons) {
      if (plain(button_name(b, language))[0] == t[0]) {
        named = b;
        ++starting;
      }
    }
    if (starting == 1) return named;
  }
  bool italian = language == "it";
  if (t == "y" || t == "yes" || (italian && (t == "s" || t == "si"))) return affirmative_button(buttons);
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

int CliResponder::ask(const std::vector<int>& buttons, int default_choice) {
  std::string choices;
  for (int b : buttons) choices += std::string(choices.empty() ? "" : "/") + button_name(b, language_);
  const std::string prompt =
      choices + " (" + say(language_, "Invio: ", "Enter: ") + button_name(default_choice, language_) + ")? ";
  while (true) {
    // The end of the input gives no answer.
    auto line = prompted_line(prompt);
    if (!line) return 0;
    if (line->empty()) return default_choice;
    if (int b = typed_button(*line, buttons, language_)) return b;
  }
}

std::optional<std::string> CliResponder::prompted_line(const std::string& prompt) {
  err_ << "calendatt: " << prompt;
  err_.flush();
  std::string line;
  if (!std::getline(*terminal_, line)) {
    err_ << "\n";
    return std::nullopt;
  }
  return runtime::trim(line);
}

std::optional<std::size_t> CliResponder::choose(const std::vector<std::string>& entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) note("  " + std::to_string(i + 1) + ") " + entries[i]);
  if (!terminal_ || entries.empty()) return std::nullopt;
  const std::string prompt = say(language_, "Quale (1-", "Which one (1-") + std::to_string(entries.size()) +
                             say(language_, ", Invio: nessuna)? ", ", Enter: none)? ");
  while (true) {
    auto line = prompted_line(prompt);
    if (!line || line->empty()) return std::nullopt;
    if (line->size() <= 3 &&
        std::all_of(line->begin(), line->end(), [](char c) { return c >= '0' && c <= '9'; })) {
      std::size_t n = std::stoul(*line);
      if (n >= 1 && n <= entries.size()) return n - 1;
    }
  }
}

int CliResponder::answer_message(const standin::ShownMessage& message) {
  ++messages_shown_;
  numbers_.push_back(message.number);
  // "Operazione completata": a preview completed nothing.
  constexpr std::int32_t kCompleted = 42123;
  if (!(preview_ && message.number == kCompleted))
    print("[" + std::to_string(message.number) + "] ", message.text);
  auto buttons = box::buttons(message.style);
  if (buttons.size() <= 1) return buttons.empty() ? box::kOk : buttons.front();

  if (answer_) {
    int b = *answer_ ? affirmative_button(buttons) : negative_button(buttons);
    note(say(language_, "risposto ", "answered ") + button_name(b, language_) +
         (answered_for_preview_ ? say(language_, " (anteprima; --no mostra la risposta No)",
                                      " (preview; --no previews the answer No)")
          : *answer_            ? " (--yes)"
                                : " (--no)"));
    return b;
  }
  if (terminal_) {
    if (int typed = ask(buttons, default_button(message.style, buttons))) return typed;
  }
  // Nobody answered: the negative button, and the run counts as failed.
  unanswered_ = true;
  int b = negative_button(buttons);
  if (terminal_) {
    note(say(language_, "nessuna risposta data (risposto ", "no answer given (answered ") +
         button_name(b, language_) + ")");
    return b;
  }
  note(say(language_,
           "questa domanda chiede una risposta e non c'è un terminale su cui porla: indicare --yes o --no "
           "(risposto ",
           "this question needs an answer and there is no terminal to ask it on: give --yes or --no "
           "(answered ") +
       button_name(b, language_) + ")");
  return b;
}

int CliResponder::answer_report(const standin::ErrorReport& report) {
  // "Object variable or With block variable not set" after an Abort only says that the object the aborted
  // step was to make is not there: it is answered Abort as the step was, without a second report.
  constexpr std::int32_t kObjectNotSet = 91;
  if (aborted_ && report.error.number == kObjectNotSet) {
    auto buttons = box::buttons(report.style);
    return has(buttons, box::kAbort) ? box::kAbort : (buttons.empty() ? box::kOk : buttons.front());
  }
  ++reports_shown_;
  // A refusal of the server the person can act on is told in their words; its text follows in full.
  std::string words;
  for (const auto& e : report.provider_errors)
    if (words.empty()) words = server_error_words(e.sql_state, e.description, language_);
  print("[error] ", "routine " + report.routine + ": error " + std::to_string(report.error.number) + ": " +
                        (words.empty() ? engine_text(report.error.description, language_) : words));
  for (const auto& e : report.provider_errors) {
    std::string line =
        "  database: " + std::to_string(e.number) + " - " + engine_text(e.description, language_);
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
      note(say(language_, "ancora in errore dopo " + std::to_string(kMostRetries) + " tentativi",
               "still failing after " + std::to_string(kMostRetries) + " retries"));
    }
  } else if (on_error_ == OnError::kIgnore) {
    wanted = box::kIgnore;
  }
  int b = has(buttons, wanted) ? wanted : (buttons.empty() ? box::kOk : buttons.front());
  aborted_ = aborted_ || b == box::kAbort;
  note(say(language_, "risposto ", "answered ") + button_name(b, language_));
  return b;
}

}  // namespace cli
