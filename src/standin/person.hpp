#pragma once
// What a person working through the arguments of a run does in a window (the command line's person, and
// the desktop's runs of a weekday pattern): moves into a field and types, leaves it, picks
// a day or a list entry, clicks a button. Each action answers whether the person could go on; when not,
// the reason is kept (a disabled field, a field whose check kept the focus, a question nobody answered)
// and every later action does nothing, as a person who gave up.

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/date.hpp"
#include "standin/headless_forms.hpp"

namespace standin {

// The three codes of an activity as a person types them.
struct ActivityCodes {
  std::string project;
  std::string node;
  std::string activity;
  std::string text() const { return project + " / " + node + " / " + activity; }
};

// Who the person reports to: the language of the reasons, the lines said on the way, and whether a
// question went unanswered (which ends the person's work).
class PersonSide {
 public:
  virtual ~PersonSide() = default;
  virtual const std::string& language() const = 0;
  virtual void note(const std::string& text) = 0;
  virtual bool unanswered() const = 0;
};

class Person {
 public:
  // A lookup list that a field opens is closed without a choice: the command line cannot show it.
  Person(HeadlessFormSite& site, PersonSide& responder);

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

  HeadlessFormSite* site_;
  PersonSide* responder_;
  std::string reason_;
};

// The fields of one run of the insertion dialog (FRMPD_ADDCALENDATT) typed as a person types them, up to
// its Conferma: the codes, the dates, the step, the duration, and the treatment of the dates that exist
// (the list's position; none leaves the list as the dialog opens it).
bool fill_insertion_run(Person& person, const ActivityCodes& codes, runtime::Date from, runtime::Date to,
                        int every, const std::string& hours, const std::string& minutes,
                        std::optional<std::int32_t> existing);
// The same for the deletion dialog (FRMPD_DELCALENDATT).
bool fill_deletion_run(Person& person, const ActivityCodes& codes, runtime::Date from, runtime::Date to,
                       int every);

}  // namespace standin
