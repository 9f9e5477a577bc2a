#include "planner/ical.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <vector>

#include "runtime/variant.hpp"

namespace planner {

namespace {

constexpr std::size_t kFoldAt = 75;  // octets of a line, the line break not counted

std::string compact_date(runtime::Date d) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d%02u%02u", d.year(), d.month(), d.day());
  return text;
}

// A code in a UID: letters, digits, '.', '_' and '~' as they are, any other octet as %XX, so that the
// parts of the UID can never run into each other.
std::string uid_part(const std::string& code) {
  return runtime::percent_encode(code, "._~");
}

std::string say(const std::string& language, std::string italian, std::string english) {
  return language == "en" ? std::move(english) : std::move(italian);
}

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

// ---- Reading

// One content line: its name, its parameters and its value.
struct ContentLine {
  std::string name;
  std::map<std::string, std::string> params;
  std::string value;
  int line = 0;  // where it starts in the file
};

bool parse_content_line(const std::string& text, int line, ContentLine& out, const std::string& lang,
                        std::string& error) {
  // The value starts after the first colon outside a quoted parameter value.
  bool quoted = false;
  std::size_t colon = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == ':' && !quoted) {
      colon = i;
      break;
    }
  }
  if (colon == std::string::npos) {
    error = say(lang, "la riga ", "line ") + std::to_string(line) +
            say(lang, " non è una riga di contenuto iCalendar (non ha i due punti)",
                " is no iCalendar content line (it has no colon)");
    return false;
  }
  out.line = line;
  out.value = text.substr(colon + 1);
  std::vector<std::string> parts;
  std::string part;
  quoted = false;
  for (std::size_t i = 0; i < colon; ++i) {
    char c = text[i];
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  out.name = upper(trimmed(parts.front()));
  for (std::size_t i = 1; i < parts.size(); ++i) {
    auto eq = parts[i].find('=');
    if (eq == std::string::npos) continue;
    std::string v = parts[i].substr(eq + 1);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    out.params[upper(trimmed(parts[i].substr(0, eq)))] = v;
  }
  return true;
}

// A DATE (YYYYMMDD) or DATE-TIME (YYYYMMDDTHHMMSS, with Z or a TZID) value: its day as written, and
// whether it carries a time of day (and at which second of the day).
struct When {
  runtime::Date day;
  bool timed = false;
  int second = 0;
};

std::optional<When> parse_when(const std::string& value) {
  std::string v = trimmed(value);
  if (v.size() < 8 || !all_digits(v.substr(0, 8))) return std::nullopt;
  auto day = runtime::parse_date(v.substr(0, 4) + "-" + v.substr(4, 2) + "-" + v.substr(6, 2));
  if (!day) return std::nullopt;
  When when{*day, false, 0};
  if (v.size() == 8) return when;
  std::string time = v.substr(8);
  if (!time.empty() && (time.back() == 'Z' || time.back() == 'z')) time.pop_back();
  if (time.size() != 7 || (time[0] != 'T' && time[0] != 't') || !all_digits(time.substr(1)))
    return std::nullopt;
  when.timed = true;
  when.second =
      std::stoi(time.substr(1, 2)) * 3600 + std::stoi(time.substr(3, 2)) * 60 + std::stoi(time.substr(5, 2));
  return when;
}

// The whole days of a DURATION value (P1D, P2W, P1DT12H, PT1H): nullopt when it is no duration.
std::optional<int> duration_days(const std::string& value) {
  std::string v = upper(trimmed(value));
  if (!v.empty() && (v[0] == '+')) v = v.substr(1);
  if (v.size() < 2 || v[0] != 'P') return std::nullopt;
  int days = 0;
  std::string number;
  bool in_time = false;
  for (std::size_t i = 1; i < v.size(); ++i) {
    char c = v[i];
    if (c >= '0' && c <= '9') {
      number += c;
      if (number.size() > 6) return std::nullopt;
      continue;
    }
    if (c == 'T' && number.empty()) {
      in_time = true;
      continue;
    }
    if (number.empty()) return std::nullopt;
    int n = std::stoi(number);
    number.clear();
    if (!in_time && c == 'W')
      days += 7 * n;
    else if (!in_time && c == 'D')
      days += n;
    else if (!(in_time && (c == 'H' || c == 'M' || c == 'S')))
      return std::nullopt;
  }
  if (!number.empty()) return std::nullopt;
  return days;
}

// The date `months` calendar months after `day`, on the same day of the month; nullopt when that month
// has no such day (the occurrence does not happen, as RFC 5545 says).
std::optional<runtime::Date> months_later(runtime::Date day, long months) {
  long index = static_cast<long>(day.year()) * 12 + static_cast<long>(day.month()) - 1 + months;
  int year = static_cast<int>(index / 12);
  unsigned month = static_cast<unsigned>(index % 12) + 1;
  std::chrono::year_month_day ymd{std::chrono::year(year), std::chrono::month(month),
                                  std::chrono::day(day.day())};
  if (!ymd.ok()) return std::nullopt;
  return runtime::Date::from_ymd(year, month, day.day());
}

struct Event {
  int line = 0;
  std::optional<ContentLine> start, end, duration, rule;
  std::vector<ContentLine> exdates, rdates;
  bool cancelled = false;
};

std::string at_line(const std::string& lang, int line) {
  return say(lang, " (riga ", " (line ") + std::to_string(line) + ")";
}

// The dates of a list value (EXDATE, RDATE): comma-separated DATE or DATE-TIME values.
bool list_dates(const ContentLine& line, std::vector<When>& out, const std::string& lang,
                std::string& error) {
  if (line.params.count("VALUE") && upper(line.params.at("VALUE")) == "PERIOD") {
    error = line.name + say(lang, " con periodi non si può leggere", " with periods cannot be read") +
            at_line(lang, line.line);
    return false;
  }
  std::size_t start = 0;
  while (start <= line.value.size()) {
    std::size_t comma = line.value.find(',', start);
    std::string item =
        line.value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    auto when = parse_when(item);
    if (!when) {
      error = line.name + say(lang, ": il valore \"", " value \"") + trimmed(item).substr(0, 30) +
              say(lang, "\" non è una data", "\" is no date") + at_line(lang, line.line);
      return false;
    }
    out.push_back(*when);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return true;
}

bool event_dates(const Event& event, runtime::Date last, std::set<runtime::Date>& dates,
                 const std::string& lang, std::string& error) {
  if (event.cancelled) return true;
  if (!event.start) {
    error = say(lang, "un evento non ha DTSTART", "an event has no DTSTART") + at_line(lang, event.line);
    return false;
  }
  auto start = parse_when(event.start->value);
  if (!start) {
    error = say(lang, "DTSTART: il valore \"", "DTSTART value \"") +
            trimmed(event.start->value).substr(0, 30) + say(lang, "\" non è una data", "\" is no date") +
            at_line(lang, event.start->line);
    return false;
  }
  // How many days each occurrence covers.
  int span = 1;
  if (event.end) {
    auto end = parse_when(event.end->value);
    if (!end) {
      error = say(lang, "DTEND: il valore \"", "DTEND value \"") + trimmed(event.end->value).substr(0, 30) +
              say(lang, "\" non è una data", "\" is no date") + at_line(lang, event.end->line);
      return false;
    }
    // An all-day end is the first day after the event; a time of day ends on its own day, unless it is
    // midnight.
    long days = static_cast<long>(end->day.serial - start->day.serial);
    if (end->timed && end->second > 0) ++days;
    if (!start->timed || !end->timed) days = std::max<long>(days, 1);
    if (days < 1) days = 1;
    span = static_cast<int>(std::min<long>(days, 366));
  } else if (event.duration) {
    auto days = duration_days(event.duration->value);
    if (!days) {
      error = say(lang, "DURATION: il valore \"", "DURATION value \"") +
              trimmed(event.duration->value).substr(0, 30) +
              say(lang, "\" non si può leggere", "\" cannot be read") + at_line(lang, event.duration->line);
      return false;
    }
    span = std::clamp(*days, 1, 366);
  }
  // The starts of the occurrences.
  std::set<runtime::Date> starts;
  if (!event.rule) {
    starts.insert(start->day);
  } else {
    std::string freq, until_text;
    long interval = 1, count = -1;
    std::string rule = event.rule->value;
    std::size_t at = 0;
    while (at <= rule.size()) {
      std::size_t semi = rule.find(';', at);
      std::string part = trimmed(rule.substr(at, semi == std::string::npos ? std::string::npos : semi - at));
      at = semi == std::string::npos ? rule.size() + 1 : semi + 1;
      if (part.empty()) continue;
      auto eq = part.find('=');
      std::string key = upper(part.substr(0, eq)), value = eq == std::string::npos ? "" : part.substr(eq + 1);
      if (key == "FREQ") {
        freq = upper(value);
      } else if (key == "INTERVAL" && all_digits(value) && value.size() < 5 && std::stol(value) > 0) {
        interval = std::stol(value);
      } else if (key == "COUNT" && all_digits(value) && value.size() < 6) {
        count = std::stol(value);
      } else if (key == "UNTIL") {
        until_text = value;
      } else if (key == "WKST") {
        // The week's first day changes nothing without BYDAY.
      } else {
        error = say(lang, "RRULE: la parte ", "RRULE part ") + part.substr(0, 30) +
                say(lang, " non si può leggere", " cannot be read") + at_line(lang, event.rule->line) +
                say(lang, ": scrivere quelle date una per una", ": write those dates one by one");
        return false;
      }
    }
    std::optional<runtime::Date> until;
    if (!until_text.empty()) {
      auto u = parse_when(until_text);
      if (!u) {
        error = say(lang, "RRULE: il valore UNTIL \"", "RRULE UNTIL value \"") + until_text.substr(0, 30) +
                say(lang, "\" non è una data", "\" is no date") + at_line(lang, event.rule->line);
        return false;
      }
      until = u->day;
    }
    if (freq != "DAILY" && freq != "WEEKLY" && freq != "MONTHLY" && freq != "YEARLY") {
      error =
          "RRULE FREQ=" + freq.substr(0, 20) + say(lang, " non si può leggere", " cannot be read") +
          at_line(lang, event.rule->line) +
          say(lang, ": solo DAILY, WEEKLY, MONTHLY e YEARLY", ": only DAILY, WEEKLY, MONTHLY and YEARLY can");
      return false;
    }
    const runtime::Date stop = until && *until < last ? *until : last;
    long made = 0;
    for (long k = 0; count < 0 || made < count; ++k) {
      std::optional<runtime::Date> d;
      if (freq == "DAILY")
        d = start->day.add_days(static_cast<int>(k * interval));
      else if (freq == "WEEKLY")
        d = start->day.add_days(static_cast<int>(k * interval * 7));
      else if (freq == "MONTHLY")
        d = months_later(start->day, k * interval);
      else
        d = months_later(start->day, k * interval * 12);
      if (d && *d > stop) break;
      if (k > 400000) break;  // a rule of every day for a thousand years: enough
      if (!d) continue;
      starts.insert(*d);
      ++made;
    }
  }
  std::vector<When> more;
  for (const auto& line : event.rdates)
    if (!list_dates(line, more, lang, error)) return false;
  for (const auto& w : more) starts.insert(w.day);
  std::vector<When> excluded;
  for (const auto& line : event.exdates)
    if (!list_dates(line, excluded, lang, error)) return false;
  for (const auto& w : excluded) starts.erase(w.day);
  for (runtime::Date s : starts)
    for (int i = 0; i < span; ++i) dates.insert(s.add_days(i));
  return true;
}

std::optional<std::set<runtime::Date>> read_calendar(const std::vector<std::string>& physical,
                                                     runtime::Date last, const std::string& lang,
                                                     std::string& error) {
  // Unfolding: a line that starts with a blank or a tab continues the one before it.
  std::vector<std::pair<std::string, int>> lines;
  for (std::size_t i = 0; i < physical.size(); ++i) {
    const std::string& l = physical[i];
    if (!l.empty() && (l[0] == ' ' || l[0] == '\t') && !lines.empty())
      lines.back().first += l.substr(1);
    else if (!trimmed(l).empty())
      lines.emplace_back(l, static_cast<int>(i) + 1);
  }
  std::set<runtime::Date> dates;
  std::vector<std::string> open;  // the components we are in
  std::optional<Event> event;
  bool any_calendar = false;
  for (const auto& [text, number] : lines) {
    ContentLine line;
    if (!parse_content_line(text, number, line, lang, error)) return std::nullopt;
    const std::string value = upper(trimmed(line.value));
    if (line.name == "BEGIN") {
      if (open.empty() && value != "VCALENDAR") {
        error = say(lang, "il file non inizia con BEGIN:VCALENDAR",
                    "the file does not start with BEGIN:VCALENDAR") +
                at_line(lang, number);
        return std::nullopt;
      }
      if (value == "VCALENDAR") any_calendar = true;
      open.push_back(value);
      if (value == "VEVENT" && open.size() == 2) event = Event{number, {}, {}, {}, {}, {}, {}, false};
      continue;
    }
    if (line.name == "END") {
      if (open.empty() || open.back() != value) {
        error = "END:" + value.substr(0, 20) +
                say(lang, " non chiude un componente aperto", " closes no open component") +
                at_line(lang, number);
        return std::nullopt;
      }
      if (value == "VEVENT" && open.size() == 2 && event) {
        if (!event_dates(*event, last, dates, lang, error)) return std::nullopt;
        event.reset();
      }
      open.pop_back();
      continue;
    }
    if (open.empty()) {
      error = say(lang, "la riga ", "line ") + std::to_string(number) +
              say(lang, " sta fuori da BEGIN:VCALENDAR e END:VCALENDAR",
                  " stands outside BEGIN:VCALENDAR and END:VCALENDAR");
      return std::nullopt;
    }
    // Only the event's own properties count, not those of an alarm inside it.
    if (!event || open.size() != 2) continue;
    if (line.name == "DTSTART")
      event->start = line;
    else if (line.name == "DTEND")
      event->end = line;
    else if (line.name == "DURATION")
      event->duration = line;
    else if (line.name == "RRULE") {
      if (event->rule) {
        error = say(lang, "un evento con due righe RRULE non si può leggere",
                    "an event with two RRULE lines cannot be read") +
                at_line(lang, number);
        return std::nullopt;
      }
      event->rule = line;
    } else if (line.name == "EXRULE") {
      error = say(lang, "EXRULE non si può leggere", "EXRULE cannot be read") + at_line(lang, number) +
              say(lang, ": elencare le date con EXDATE", ": list the dates with EXDATE");
      return std::nullopt;
    } else if (line.name == "EXDATE")
      event->exdates.push_back(line);
    else if (line.name == "RDATE")
      event->rdates.push_back(line);
    else if (line.name == "STATUS" && value == "CANCELLED")
      event->cancelled = true;
  }
  if (!open.empty() || !any_calendar) {
    error = say(lang, "il calendario finisce prima di END:", "the calendar ends before END:") +
            (open.empty() ? std::string("VCALENDAR") : open.back());
    return std::nullopt;
  }
  return dates;
}

}  // namespace

std::string escaped_text(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\' || c == ';' || c == ',') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      out += "\\n";
    } else if (c == '\n') {
      out += "\\n";
    } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
      out += ' ';
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

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
  std::string uid = compact_date(day) + "-" + std::to_string(subject.company) + "-" +
                    uid_part(subject.project) + "-" + uid_part(subject.node) + "-" +
                    uid_part(subject.activity);
  if (repeat > 1) uid += "-" + std::to_string(repeat);
  return uid + "@calendatt";
}

std::string days_calendar(const DaysReport& report, const CalendarSubject& subject, const std::string& stamp,
                          const std::string& language, const std::string& version) {
  const std::string codes = subject.project + " / " + subject.node + " / " + subject.activity;
  std::string out;
  auto line = [&](const std::string& text) { out += folded(text); };
  line("BEGIN:VCALENDAR");
  line("VERSION:2.0");
  line("PRODID:-//calendatt//Calendario attivita WBS " + version + "//" + (language == "en" ? "EN" : "IT"));
  line("CALSCALE:GREGORIAN");
  line("METHOD:PUBLISH");
  std::string period;
  if (report.planning_start && report.planning_end)
    period = say(language, "\nPeriodo di pianificazione: ", "\nPlanning period: ") +
             report.planning_start->iso() + " - " + report.planning_end->iso();
  runtime::Date previous{-1};
  int repeat = 1;
  for (const auto& day : report.days) {
    repeat = day.day == previous ? repeat + 1 : 1;
    previous = day.day;
    const std::string duration = duration_text(day.total_minutes());
    line("BEGIN:VEVENT");
    line("UID:" + day_uid(subject, day.day, repeat));
    line("DTSTAMP:" + stamp);
    line("DTSTART;VALUE=DATE:" + compact_date(day.day));
    line("DTEND;VALUE=DATE:" + compact_date(day.day.add_days(1)));
    line("SUMMARY:" + escaped_text(codes + " (" + duration + ")"));
    line("DESCRIPTION:" +
         escaped_text(say(language, "Attività ", "Activity ") + codes +
                      say(language, ", ditta ", ", company ") + std::to_string(subject.company) +
                      say(language, "\nDurata pianificata: ", "\nPlanned duration: ") +
                      std::to_string(day.hours) + say(language, " ore ", " hours ") +
                      std::to_string(day.minutes) + say(language, " minuti", " minutes") + period));
    line("TRANSP:TRANSPARENT");
    line("END:VEVENT");
  }
  line("END:VCALENDAR");
  return out;
}

std::optional<std::set<runtime::Date>> read_date_file(const std::string& text, runtime::Date last,
                                                      const std::string& language, std::string& error) {
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
    if (upper(t) == "BEGIN:VCALENDAR") return read_calendar(lines, last, language, error);
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
