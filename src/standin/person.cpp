#include "standin/person.hpp"

#include "runtime/language.hpp"
#include "runtime/variant.hpp"
#include "standin/dictionary.hpp"
#include "standin/headless_controls.hpp"

namespace standin {

namespace {

using runtime::say;

}  // namespace

Person::Person(HeadlessFormSite& site, PersonSide& responder) : site_(&site), responder_(&responder) {
  for (const auto& control : site.controls()) {
    auto code = std::dynamic_pointer_cast<HeadlessCodeEdit>(control);
    if (!code) continue;
    std::string name = caption(code->name());
    code->set_lookup_chooser([&responder, name](HeadlessCodeEdit&, const LookupRequest&) {
      responder.note(
          say(responder.language(),
              "l'elenco di ricerca di " + name + " non può essere mostrato qui: è chiuso senza scelta",
              "the lookup list of " + name + " cannot be shown here: it is closed without a choice"));
      return runtime::Variant();
    });
  }
}

std::string Person::caption(const std::string& control) const {
  auto input = site_->get<HeadlessInput>(control);
  std::string text =
      runtime::replace_all(translate_caption(input->design().caption, responder_->language()), "&", "");
  return text.empty() ? control : "\"" + text + "\"";
}

std::string Person::not_accepted(const std::string& field) const {
  return say(responder_->language(), "il campo " + caption(field) + " non è stato accettato",
             "the field " + caption(field) + " was not accepted");
}

void Person::give_up(const std::string& reason) {
  if (reason_.empty()) reason_ = reason;
}

bool Person::go_on() {
  if (responder_->unanswered())
    give_up(say(responder_->language(), "una domanda è rimasta senza risposta",
                "a question was left unanswered"));
  return !gave_up();
}

bool Person::type(const std::string& field, const std::string& text) {
  if (gave_up()) return false;
  auto input = site_->get<HeadlessInput>(field);
  if (!input->enabled()) {
    give_up(say(responder_->language(), "il campo " + caption(field) + " è disabilitato",
                "the field " + caption(field) + " is disabled"));
    return false;
  }
  std::string focused = site_->focused_name();
  bool typed = false;
  if (auto code = std::dynamic_pointer_cast<HeadlessCodeEdit>(input)) {
    typed = code->type(text);
  } else if (auto date = std::dynamic_pointer_cast<HeadlessDateEdit>(input)) {
    typed = date->type(text);
  } else if (auto number = std::dynamic_pointer_cast<HeadlessNumericEdit>(input)) {
    typed = number->type(text);
  } else {
    give_up(say(responder_->language(), "nel controllo " + caption(field) + " non si scrive",
                "the control " + caption(field) + " takes no typing"));
    return false;
  }
  if (!typed) {
    if (!go_on()) return false;
    if (!focused.empty() && site_->focused_name() == focused)
      give_up(not_accepted(focused));
    else
      give_up(say(responder_->language(), "impossibile entrare nel campo " + caption(field),
                  "could not move into the field " + caption(field)));
    return false;
  }
  return go_on();
}

bool Person::leave(const std::string& field) {
  if (gave_up()) return false;
  auto input = site_->get<HeadlessInput>(field);
  if (!input->leave()) {
    if (go_on()) give_up(not_accepted(field));
    return false;
  }
  return go_on();
}

bool Person::choose_day(const std::string& calendar, runtime::Date day) {
  if (gave_up()) return false;
  auto control = site_->calendar(calendar);
  std::string focused = site_->focused_name();
  if (!control->choose(day)) {
    if (!go_on()) return false;
    if (!control->enabled())
      give_up(say(responder_->language(), "il calendario è disabilitato", "the calendar is disabled"));
    else
      give_up(not_accepted(focused));
    return false;
  }
  if (!go_on()) return false;
  runtime::Variant value = control->Value();
  if (value.type() != runtime::VarType::Date || value.to_date() != day) {
    give_up(say(responder_->language(), "il calendario non ha preso il giorno " + day.iso(),
                "the calendar did not take the day " + day.iso()));
    return false;
  }
  return true;
}

bool Person::clear_day(const std::string& calendar) {
  if (gave_up()) return false;
  auto control = site_->calendar(calendar);
  if (!control->clear()) {
    if (go_on())
      give_up(say(responder_->language(), "il giorno del calendario non si è potuto togliere",
                  "the calendar's day could not be cleared"));
    return false;
  }
  if (!go_on()) return false;
  if (!runtime::is_blank(control->Value())) {
    give_up(
        say(responder_->language(), "il calendario ha tenuto il suo giorno", "the calendar kept its day"));
    return false;
  }
  return true;
}

bool Person::choose_entry(const std::string& combo, std::int32_t position) {
  if (gave_up()) return false;
  auto control = site_->combo(combo);
  if (!control->enabled()) {
    give_up(say(responder_->language(), "l'elenco " + caption(combo) + " è disabilitato",
                "the list " + caption(combo) + " is disabled"));
    return false;
  }
  std::string focused = site_->focused_name();
  if (!control->choose(position)) {
    if (!go_on()) return false;
    if (!focused.empty() && site_->focused_name() == focused)
      give_up(not_accepted(focused));
    else
      give_up(say(responder_->language(),
                  "l'elenco " + caption(combo) + " non ha la voce " + std::to_string(position),
                  "the list " + caption(combo) + " has no entry " + std::to_string(position)));
    return false;
  }
  return go_on();
}

std::int32_t Person::list_index(const std::string& combo) const {
  return site_->combo(combo)->ListIndex();
}

bool Person::click(const std::string& button) {
  if (gave_up()) return false;
  auto control = site_->button(button);
  if (!control->click()) {
    give_up(say(responder_->language(), "il pulsante " + caption(button) + " è disabilitato",
                "the button " + caption(button) + " is disabled"));
    return false;
  }
  return go_on();
}

bool Person::enter_codes(const ActivityCodes& codes) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"TXT_CODPROG", &codes.project}, {"TXT_CODNODO", &codes.node}, {"TXT_CODATTIVITA", &codes.activity}};
  std::string last;
  for (const auto& [field, code] : fields) {
    if (!site_->get<HeadlessInput>(field)->enabled()) continue;
    if (!type(field, *code)) return false;
    last = field;
  }
  return last.empty() ? !gave_up() : leave(last);
}

bool Person::enter_duration(const std::string& hours, const std::string& minutes) {
  // Leaving either field checks the pair, so the field typed first must make a valid pair with what the
  // other still holds. 24 hours allow no minutes: then the minutes go first (0 or blank, or the pair is
  // wrong anyway). Below 24 hours any minutes the fields hold are valid with the new hours.
  if (runtime::leading_number(hours) == 24)
    return type("TXT_MINUTI", minutes) && type("TXT_ORE", hours) && leave("TXT_ORE");
  return type("TXT_ORE", hours) && type("TXT_MINUTI", minutes) && leave("TXT_MINUTI");
}

bool fill_insertion_run(Person& person, const ActivityCodes& codes, runtime::Date from, runtime::Date to,
                        int every, const std::string& hours, const std::string& minutes,
                        std::optional<std::int32_t> existing) {
  if (!person.enter_codes(codes) || !person.type("TXT_DATAINIZIALE", runtime::date_text(from)) ||
      !person.type("TXT_DATAFINALE", runtime::date_text(to)) ||
      !person.type("TXT_RIPETIOGNI", std::to_string(every)) || !person.type("TXT_ORE", hours) ||
      !person.type("TXT_MINUTI", minutes))
    return false;
  return existing ? person.choose_entry("CBO_VARPRESENTI", *existing) : person.leave("TXT_MINUTI");
}

bool fill_deletion_run(Person& person, const ActivityCodes& codes, runtime::Date from, runtime::Date to,
                       int every) {
  return person.enter_codes(codes) && person.type("TXT_DATAINIZIALE", runtime::date_text(from)) &&
         person.type("TXT_DATAFINALE", runtime::date_text(to)) &&
         person.type("TXT_CANCELLAOGNI", std::to_string(every)) && person.leave("TXT_CANCELLAOGNI");
}

}  // namespace standin
