#include "planner/ical.hpp"

#include <libical/ical.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "runtime/language.hpp"
#include "runtime/variant.hpp"

namespace planner {

namespace {

constexpr std::size_t kFoldAt = 75;  // octets of a line, the line break not counted
// A rule that gives more starts than this up to the end of a run is no list of holidays.
constexpr long kMostStarts = 100'000;

using runtime::say;

using runtime::upper;

std::string trimmed(const std::string& text) {
  std::size_t a = 0, b = text.size();
  while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
  return text.substr(a, b - a);
}

bool all_digits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string at_line(const std::string& lang, int line) {
  return say(lang, " (riga ", " (line ") + std::to_string(line) + ")";
}

// libical's objects, freed on every path.
template <typename T, void (*free)(T*)>
struct Free {
  void operator()(T* p) const { free(p); }
};
using Component = std::unique_ptr<icalcomponent, Free<icalcomponent, icalcomponent_free>>;
using Property = std::unique_ptr<icalproperty, Free<icalproperty, icalproperty_free>>;
using Iterator = std::unique_ptr<icalrecur_iterator, Free<icalrecur_iterator, icalrecur_iterator_free>>;

icaltimetype all_day(runtime::Date d) {
  icaltimetype t = icaltime_null_date();
  t.year = d.year();
  t.month = static_cast<int>(d.month());
  t.day = static_cast<int>(d.day());
  return t;
}

// A text as the file may hold it: a line break is LF (libical writes it \n), other control characters
// become blanks.
std::string plain_text(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += c == '\r' ? '\n' : (c < 0x20 && c != '\t' && c != '\n') || c == 0x7F ? ' ' : static_cast<char>(c);
  }
  return out;
}

// libical folds a long line early, at a blank; the file keeps every line folded at 75 octets instead.
std::string refolded(const std::string& text) {
  std::string out, line;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    line.append(text, at, end - at);
    at = end + 2;
    if (at < text.size() && text[at] == ' ') {
      ++at;
      continue;
    }
    out += folded(line);
    line.clear();
  }
  return out;
}

// ---- Reading

// A day of a time value when it is a real one (libical takes 20260230 and 25 o'clock).
std::optional<runtime::Date> day_of(const icaltimetype& t) {
  std::chrono::year_month_day ymd{std::chrono::year(t.year),
                                  std::chrono::month(static_cast<unsigned>(t.month)),
                                  std::chrono::day(static_cast<unsigned>(t.day))};
  if (!ymd.ok() || t.year < 100 || t.year > 9999 || t.hour > 23 || t.minute > 59 || t.second > 60)
    return std::nullopt;
  return runtime::Date::from_ymd(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
}

// The properties the days come from, checked a line at a time by libical so that a refusal names the line:
// their values must read, and every date in them must be a real day.
bool check_property(const std::string& name, const std::string& text, const std::string& value, int line,
                    const std::string& lang, std::string& error) {
  const bool dates = name == "DTSTART" || name == "DTEND" || name == "RDATE" || name == "EXDATE";
  if (!dates && name != "DURATION" && name != "RRULE" && name != "EXRULE") return true;
  Property property(icalproperty_new_from_string(text.c_str()));
  bool good = property != nullptr;
  if (good && dates) {
    // Each value of a list, the start of a period.
    for (std::size_t at = 0; good && at <= value.size();) {
      std::size_t comma = std::min(value.find(',', at), value.size());
      std::string item = trimmed(value.substr(at, comma - at));
      item = item.substr(0, item.find('/'));
      good = item.size() >= 8 && all_digits(item.substr(0, 8)) && day_of(icaltime_from_string(item.c_str()));
      at = comma + 1;
    }
  } else if (good && name != "DURATION") {
    icalrecurrencetype rule = icalproperty_get_rrule(property.get());
    good = icaltime_is_null_time(rule.until) || day_of(rule.until);
    good = good && Iterator(icalrecur_iterator_new(rule, icaltime_from_string("20000101T000000"))) != nullptr;
  }
  if (good) return true;
  error = name + say(lang, ": il valore \"", " value \"") + trimmed(value).substr(0, 30) +
          (dates ? say(lang, "\" non è una data", "\" is no date")
                 : say(lang, "\" non si può leggere", "\" cannot be read")) +
          at_line(lang, line);
  return false;
}

// Unfolds the lines and checks what makes a file iCalendar at all: content lines with a colon,
// components that open and close in order inside one VCALENDAR. Gives the line of each event's BEGIN, in
// the order of the file.
bool check_structure(const std::vector<std::string>& physical, std::vector<int>& events,
                     const std::string& lang, std::string& error) {
  std::vector<std::pair<std::string, int>> lines;
  for (std::size_t i = 0; i < physical.size(); ++i) {
    const std::string& l = physical[i];
    if (!l.empty() && (l[0] == ' ' || l[0] == '\t') && !lines.empty())
      lines.back().first += l.substr(1);
    else if (!trimmed(l).empty())
      lines.emplace_back(l, static_cast<int>(i) + 1);
  }
  std::vector<std::string> open;  // the components we are in
  bool any_calendar = false;
  for (const auto& [text, number] : lines) {
    // The value starts after the first colon outside a quoted parameter value.
    bool quoted = false;
    std::size_t colon = std::string::npos;
    for (std::size_t i = 0; i < text.size() && colon == std::string::npos; ++i) {
      if (text[i] == '"') quoted = !quoted;
      if (text[i] == ':' && !quoted) colon = i;
    }
    if (colon == std::string::npos) {
      error = say(lang, "la riga ", "line ") + std::to_string(number) +
              say(lang, " non è una riga di contenuto iCalendar (non ha i due punti)",
                  " is no iCalendar content line (it has no colon)");
      return false;
    }
    const std::string name = upper(trimmed(text.substr(0, std::min(text.find(';'), colon))));
    const std::string value = upper(trimmed(text.substr(colon + 1)));
    if (name == "BEGIN") {
      if (open.empty() && value != "VCALENDAR") {
        error = say(lang, "il file non inizia con BEGIN:VCALENDAR",
                    "the file does not start with BEGIN:VCALENDAR") +
                at_line(lang, number);
        return false;
      }
      any_calendar = any_calendar || value == "VCALENDAR";
      open.push_back(value);
      if (value == "VEVENT" && open.size() == 2) events.push_back(number);
    } else if (name == "END") {
      if (open.empty() || open.back() != value) {
        error = "END:" + value.substr(0, 20) +
                say(lang, " non chiude un componente aperto", " closes no open component") +
                at_line(lang, number);
        return false;
      }
      open.pop_back();
    } else if (open.empty()) {
      error = say(lang, "la riga ", "line ") + std::to_string(number) +
              say(lang, " sta fuori da BEGIN:VCALENDAR e END:VCALENDAR",
                  " stands outside BEGIN:VCALENDAR and END:VCALENDAR");
      return false;
    } else if (open.back() == "VEVENT" &&
               !check_property(name, text, text.substr(colon + 1), number, lang, error)) {
      return false;
    }
  }
  if (!open.empty() || !any_calendar) {
    error = say(lang, "il calendario finisce prima di END:", "the calendar ends before END:") +
            (open.empty() ? std::string("VCALENDAR") : open.back());
    return false;
  }
  return true;
}

// A time of the event in the zone of its start: the day a holiday falls on is the day it starts where it
// is held.
icaltimetype in_zone_of(icaltimetype t, const icaltimetype& start) {
  if (!t.is_date && t.zone && start.zone && t.zone != start.zone)
    t = icaltime_convert_to_zone(t, const_cast<icaltimezone*>(start.zone));
  return t;
}

// The zone a TZID parameter names: a VTIMEZONE of the file, else one libical knows; none for UTC and
// floating times.
icaltimezone* zone_of(icalproperty* p, icalcomponent* event) {
  icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
  if (!tzid) return nullptr;
  const char* id = icalparameter_get_tzid(tzid);
  for (icalcomponent* c = icalcomponent_get_parent(event); c; c = icalcomponent_get_parent(c))
    if (icaltimezone* zone = icalcomponent_get_timezone(c, id)) return zone;
  return icaltimezone_get_builtin_timezone(id);
}

// The occurrences: each start (its day, and its time of day or -1 for a date, to match EXDATE and EXRULE
// by) with the days it covers.
using Start = std::pair<runtime::Date, int>;
void add_start(std::map<Start, int>& starts, const icaltimetype& t, int span) {
  if (auto day = day_of(t))
    starts.emplace(Start{*day, t.is_date ? -1 : t.hour * 3600 + t.minute * 60 + t.second}, span);
}

// The days an occurrence covers from `start` to `end` (in the same zone): an all-day end is the first day
// after it, a time of day ends on its own day unless it is midnight; at least one day.
int span_days(const icaltimetype& start, const icaltimetype& end) {
  auto a = day_of(start), b = day_of(end);
  if (!a || !b) return 1;
  long days = static_cast<long>(b->serial - a->serial);
  if (!end.is_date && (end.hour || end.minute || end.second)) ++days;
  return static_cast<int>(std::clamp<long>(days, 1, 366));
}

// The starts a rule gives from `start` up to `until`, beginning at `from` when the rule allows a jump (a
// rule without COUNT, which also skips to the next day once a day has a start). kNoRule when libical
// cannot expand it from this start.
enum class Expanded { kDone, kNoRule, kTooMany };
Expanded rule_starts(const icalrecurrencetype& rule, const icaltimetype& start, const icaltimetype& from,
                     const icaltimetype& until, std::map<Start, int>& out, int span) {
  Iterator it(icalrecur_iterator_new(rule, start));
  if (!it) return Expanded::kNoRule;
  const bool jumps = rule.count == 0;
  if (jumps && icaltime_compare(from, start) > 0) icalrecur_iterator_set_start(it.get(), from);
  for (long n = 0;; ++n) {
    icaltimetype t = icalrecur_iterator_next(it.get());
    if (icaltime_is_null_time(t) || icaltime_compare(t, until) > 0) return Expanded::kDone;
    if (n == kMostStarts) return Expanded::kTooMany;
    add_start(out, t, span);
    if (jumps && rule.freq < ICAL_DAILY_RECURRENCE) {
      t.hour = t.minute = t.second = 0;
      icaltime_adjust(&t, 1, 0, 0, 0);
      icalrecur_iterator_set_start(it.get(), t);
    }
  }
}

bool event_days(icalcomponent* event, int line, runtime::Date first, runtime::Date last,
                std::set<runtime::Date>& dates, const std::string& lang, std::string& error) {
  if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED) return true;
  if (!icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY)) {
    error = say(lang, "un evento non ha DTSTART", "an event has no DTSTART") + at_line(lang, line);
    return false;
  }
  const icaltimetype start = icalcomponent_get_dtstart(event);
  int span = 1;
  if (icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY))
    span = span_days(start, in_zone_of(icalcomponent_get_dtend(event), start));
  else if (icalproperty* d = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY))
    span = span_days(start, icaltime_add(start, icalproperty_get_duration(d)));
  // Only the starts whose days can reach the range; the rule's times are compared in its own zone.
  icaltimetype from = all_day(first.add_days(-span)), until = all_day(last.add_days(1));
  if (!start.is_date) {
    from.is_date = until.is_date = false;
    from.zone = until.zone = start.zone;
  }
  std::map<Start, int> starts, excluded;  // each start with the days it covers
  auto refused = [&](Expanded why) {
    error = why == Expanded::kTooMany
                ? say(lang, "una regola dà più di 100000 inizi fino all'ultimo giorno del comando",
                      "a rule gives more than 100000 starts up to the last day of the command")
                : say(lang, "una regola non si può applicare al DTSTART dell'evento",
                      "a rule cannot be applied to the event's DTSTART");
    error += at_line(lang, line);
    return false;
  };
  if (!icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY)) add_start(starts, start, span);
  for (auto kind : {ICAL_RRULE_PROPERTY, ICAL_EXRULE_PROPERTY})
    for (icalproperty* p = icalcomponent_get_first_property(event, kind); p;
         p = icalcomponent_get_next_property(event, kind))
      if (auto why = rule_starts(icalproperty_get_rrule(p), start, from, until,
                                 kind == ICAL_RRULE_PROPERTY ? starts : excluded, span);
          why != Expanded::kDone)
        return refused(why);
  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
    icaldatetimeperiodtype r = icalproperty_get_rdate(p);
    icaltimezone* zone = zone_of(p, event);
    if (icaltime_is_null_time(r.time)) {
      // A period covers its own days.
      icaltimetype a = r.period.start, b = r.period.end;
      if (!a.zone) a.zone = b.zone = zone;
      if (icaltime_is_null_time(b)) b = icaltime_add(a, r.period.duration);
      a = in_zone_of(a, start);
      add_start(starts, a, span_days(a, in_zone_of(b, start)));
    } else {
      if (!r.time.zone) r.time.zone = zone;
      add_start(starts, in_zone_of(r.time, start), span);
    }
  }
  std::set<runtime::Date> excluded_days;
  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
    icaltimetype t = icalproperty_get_exdate(p);
    if (!t.zone) t.zone = zone_of(p, event);
    t = in_zone_of(t, start);
    if (t.is_date && day_of(t)) excluded_days.insert(*day_of(t));
    add_start(excluded, t, 0);
  }
  for (const auto& [s, days] : starts) {
    if (excluded.count(s) || excluded_days.count(s.first)) continue;
    for (int i = 0; i < days; ++i) dates.insert(s.first.add_days(i));
  }
  return true;
}

std::optional<std::set<runtime::Date>> read_calendar(const std::string& text,
                                                     const std::vector<std::string>& lines,
                                                     runtime::Date first, runtime::Date last,
                                                     const std::string& lang, std::string& error) {
  std::vector<int> event_lines;
  if (!check_structure(lines, event_lines, lang, error)) return std::nullopt;
  icalerror_set_errors_are_fatal(0);  // what libical cannot read is told, never the end of the program
  Component root(icalparser_parse_string(text.c_str()));
  std::vector<icalcomponent*> calendars;
  if (root && icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) calendars.push_back(root.get());
  for (icalcomponent* c = root ? icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT)
                               : nullptr;
       c; c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
    calendars.push_back(c);
  std::set<runtime::Date> dates;
  std::size_t index = 0;  // the events come in the order of the file
  for (icalcomponent* calendar : calendars)
    for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT), ++index)
      if (!event_days(e, index < event_lines.size() ? event_lines[index] : 0, first, last, dates, lang,
                      error))
        return std::nullopt;
  return dates;
}

}  // namespace

std::string folded(const std::string& line) {
  std::string out;
  std::size_t used = 0;  // octets on the current physical line
  std::size_t i = 0;
  while (i < line.size()) {
    // The octets of the next character: a UTF-8 lead octet and its continuation octets.
    std::size_t n = 1;
    while (i + n < line.size() && (static_cast<unsigned char>(line[i + n]) & 0xC0) == 0x80) ++n;
    if (used + n > kFoldAt) {
      out += "\r\n ";
      used = 1;
    }
    out.append(line, i, n);
    used += n;
    i += n;
  }
  return out + "\r\n";
}

std::string day_uid(const CalendarSubject& subject, runtime::Date day, int repeat) {
  char date[16];
  std::snprintf(date, sizeof date, "%04d%02u%02u", day.year(), day.month(), day.day());
  // Codes with letters, digits, '.', '_' and '~' as they are, any other octet as %XX, so that the parts of
  // the UID can never run into each other.
  std::string uid = date + ("-" + std::to_string(subject.company));
  for (const auto* code : {&subject.project, &subject.node, &subject.activity})
    uid += "-" + runtime::percent_encode(*code, "._~");
  if (repeat > 1) uid += "-" + std::to_string(repeat);
  return uid + "@calendatt";
}

std::string days_calendar(const DaysReport& report, const CalendarSubject& subject, const std::string& stamp,
                          const std::string& language, const std::string& version) {
  const std::string codes = subject.project + " / " + subject.node + " / " + subject.activity;
  const std::string named = subject.description.empty() ? codes : codes + " - " + subject.description;
  const std::string prodid =
      "-//calendatt//Calendario attivita WBS " + version + "//" + (language == "en" ? "EN" : "IT");
  Component calendar(icalcomponent_vanew(
      ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"), icalproperty_new_prodid(prodid.c_str()),
      icalproperty_new_calscale("GREGORIAN"), icalproperty_new_method(ICAL_METHOD_PUBLISH), nullptr));
  std::string period;
  if (report.planning_start && report.planning_end)
    period = say(language, "\nPeriodo di pianificazione: ", "\nPlanning period: ") +
             report.planning_start->iso() + " - " + report.planning_end->iso();
  runtime::Date previous{-1};
  int repeat = 1;
  for (const auto& day : report.days) {
    repeat = day.day == previous ? repeat + 1 : 1;
    previous = day.day;
    const std::string summary = plain_text(named + " (" + duration_text(day.total_minutes()) + ")");
    const std::string description = plain_text(
        say(language, "Attività ", "Activity ") + named + say(language, ", ditta ", ", company ") +
        std::to_string(subject.company) + say(language, "\nDurata pianificata: ", "\nPlanned duration: ") +
        std::to_string(day.hours) + say(language, " ore ", " hours ") + std::to_string(day.minutes) +
        say(language, " minuti", " minutes") + period);
    icalcomponent_add_component(
        calendar.get(),
        icalcomponent_vanew(
            ICAL_VEVENT_COMPONENT, icalproperty_new_uid(day_uid(subject, day.day, repeat).c_str()),
            icalproperty_new_dtstamp(icaltime_from_string(stamp.c_str())),
            icalproperty_new_dtstart(all_day(day.day)), icalproperty_new_dtend(all_day(day.day.add_days(1))),
            icalproperty_new_summary(summary.c_str()), icalproperty_new_description(description.c_str()),
            icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT), nullptr));
  }
  char* text = icalcomponent_as_ical_string_r(calendar.get());
  std::string out = refolded(text);
  icalmemory_free_buffer(text);
  return out;
}

std::optional<std::set<runtime::Date>> read_date_file(const std::string& text, runtime::Date first,
                                                      runtime::Date last, const std::string& language,
                                                      std::string& error) {
  std::string body = text;
  if (body.rfind("\xEF\xBB\xBF", 0) == 0) body = body.substr(3);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < body.size()) {
    std::size_t end = body.find('\n', start);
    std::string l = body.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  for (const auto& l : lines) {
    std::string t = trimmed(l);
    if (t.empty()) continue;
    if (upper(t) == "BEGIN:VCALENDAR") return read_calendar(body, lines, first, last, language, error);
    break;
  }
  std::set<runtime::Date> dates;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string t = trimmed(lines[i]);
    if (t.empty() || t[0] == '#') continue;
    std::optional<runtime::Date> day;
    if (t.size() == 10 && t[4] == '-' && t[7] == '-' && all_digits(t.substr(0, 4)) &&
        all_digits(t.substr(5, 2)) && all_digits(t.substr(8, 2)))
      day = runtime::parse_date(t);
    if (!day) {
      error = say(language, "la riga ", "line ") + std::to_string(i + 1) +
              say(language, " contiene \"", " holds \"") + t.substr(0, 30) +
              say(language, "\", non un giorno scritto AAAA-MM-GG (né il file inizia con BEGIN:VCALENDAR)",
                  "\", not a day written YYYY-MM-DD (nor does the file start with BEGIN:VCALENDAR)");
      return std::nullopt;
    }
    dates.insert(*day);
  }
  return dates;
}

}  // namespace planner
