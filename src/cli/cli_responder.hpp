#pragma once
// The person at the command line in front of the message boxes and error reports: every message goes
// to standard error, one line per message line prefixed with its number; a question is answered from
// --yes/--no, else at the terminal's prompt, else it is left unanswered (the negative button is pressed
// and the run counts as failed); an error report is printed and answered as --on-error says.

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/options.hpp"
#include "standin/responder.hpp"

namespace cli {

class CliResponder : public standin::MessageResponder, public standin::PersonSide {
 public:
  // Retry is answered at most this many times to one error report; then Abort. A report that comes
  // again after a Retry (same routine, same error) is the same report; any other one counts afresh.
  static constexpr int kMostRetries = 3;

  // `terminal` is where a question is asked when no answer was given in advance; null when there is no
  // terminal. The streams must outlive the responder.
  CliResponder(std::ostream& err, std::optional<bool> answer, OnError on_error, std::istream* terminal);

  int answer_message(const standin::ShownMessage& message) override;
  int answer_report(const standin::ErrorReport& report) override;

  // A preview (--dry-run): "Operazione completata" is not printed, since nothing was completed; without
  // --yes or --no a question is answered Yes, since nothing is kept.
  void set_preview() {
    preview_ = true;
    if (!answer_) {
      answer_ = true;
      answered_for_preview_ = true;
    }
  }

  // A line of the command line's own, on standard error: "calendatt: <text>".
  void note(const std::string& text) override;

  // The entries, numbered from 1, each on a line of the command line's own; then, at the terminal, the
  // person picks one by its number. Nullopt when there is no terminal or the person picked none.
  std::optional<std::size_t> choose(const std::vector<std::string>& entries);

  // The language of the prompt and of the lines of the command line's own ("it" or "en").
  void set_language(const std::string& language) { language_ = language; }
  const std::string& language() const override { return language_; }

  int messages_shown() const { return messages_shown_; }
  int reports_shown() const { return reports_shown_; }
  // An error report was answered Abort: the run goes no further than it must.
  bool aborted() const { return aborted_; }
  // A question came that nobody could answer.
  bool unanswered() const override { return unanswered_; }
  // The numbers of the messages shown, in order.
  const std::vector<std::int32_t>& numbers() const { return numbers_; }

 private:
  void print(const std::string& prefix, const std::string& text);
  int ask(const std::vector<int>& buttons, int default_button);
  // Writes the prompt and reads the person's line, trimmed; nullopt at the end of the input.
  std::optional<std::string> prompted_line(const std::string& prompt);

  std::ostream& err_;
  std::optional<bool> answer_;
  OnError on_error_;
  std::istream* terminal_;
  int messages_shown_ = 0;
  int reports_shown_ = 0;
  int retries_ = 0;
  std::string retried_report_;
  bool unanswered_ = false;
  bool aborted_ = false;
  bool preview_ = false;
  bool answered_for_preview_ = false;
  std::vector<std::int32_t> numbers_;
  std::string language_ = "it";
};

// The lines of a text: split at CR LF, LF or CR; an empty text is one empty line.
std::vector<std::string> text_lines(const std::string& text);

// The button that says yes to a box with these buttons (Yes, OK or Retry), and the one that says no (No,
// Cancel or Abort); the first button when the box has none of them.
int affirmative_button(const std::vector<int>& buttons);
int negative_button(const std::vector<int>& buttons);

// The button a box's style makes the default (the first, second or third button), as Enter presses it.
int default_button(std::int32_t style, const std::vector<int>& buttons);

// A button's name in the language ("it": Sì, No, Annulla, ...; else OK, Cancel, Yes, ...).
std::string button_name(int button, const std::string& language);

// The button a typed answer names in the language: the button's name, or its first letter when no other
// button of the box starts with it, in any case. Yes and no are also s, si, sì in Italian and y, yes, n,
// no in both languages. 0 when it names none of the box's buttons.
int typed_button(const std::string& typed, const std::vector<int>& buttons, const std::string& language);

}  // namespace cli
