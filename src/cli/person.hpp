#pragma once
// What the person at the command line does in a window: moves into a field and types, leaves it, picks
// a day or a list entry, clicks a button. Each action answers whether the person could go on; when not,
// the reason is kept (a disabled field, a field whose check kept the focus, a question nobody answered)
// and every later action does nothing, as a person who gave up.

#include <cstdint>
#include <string>

#include "cli/cli_responder.hpp"
#include "cli/options.hpp"
#include "runtime/date.hpp"
#include "standin/headless_forms.hpp"

namespace cli {

class Person {
 public:
  // A lookup list that a field opens is closed without a choice: the command line cannot show it.
  Person(standin::HeadlessFormSite& site, CliResponder& responder);

  bool gave_up() const { return !reason_.empty(); }
  // Why the person could not go on; empty while they can.
  const std::string& reason() const { return reason_; }

  // Moves into the field (leaving the one that has the focus) and types the text.
  bool type(const std::string& field, const std::string& text);
  // Leaves the field that has the focus, when it is this one.
  bool leave(const std::string& field);
  // Picks the day in the calendar; the window may put the calendar back, which counts as a refusal.
  bool choose_day(const std::string& calendar, runtime::Date day);
  // Clears the calendar's day.
  bool clear_day(const std::string& calendar);
  bool choose_entry(const std::string& combo, std::int32_t position);
  // The position of the entry the list shows (-1 for none).
  std::int32_t list_index(const std::string& combo) const;
  bool click(const std::string& button);

  // Types the three codes into the code fields that are enabled (those that are not were filled for
  // the person) and leaves the last one typed.
  bool enter_codes(const ActivityCodes& codes);
  // Types the hours and the minutes, in the order that lets the window accept them whatever the fields
  // held before, and leaves the one typed last.
  bool enter_duration(const std::string& hours, const std::string& minutes);

  // Gives up for a reason of the caller's.
  void give_up(const std::string& reason);

 private:
  // The caption of a control as the person reads it (its name when it has none).
  std::string caption(const std::string& control) const;
  // "the field ... was not accepted", in the run's language.
  std::string not_accepted(const std::string& field) const;
  // Checks after a step: a question that went unanswered ends the person's work.
  bool go_on();

  standin::HeadlessFormSite* site_;
  CliResponder* responder_;
  std::string reason_;
};

}  // namespace cli
