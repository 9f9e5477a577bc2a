#pragma once
// The calendar files of the planner: the days of one activity written as an iCalendar file (RFC 5545)
// that calendar programs open, and the dates to leave out of a pattern read from a list of ISO dates or
// from an iCalendar file of holidays.

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "planner/days_report.hpp"
#include "runtime/date.hpp"

namespace planner {

// What names the activity in the file: its company, codes and description.
struct CalendarSubject {
  std::int32_t company = 0;
  std::string project, node, activity;
  std::string description;
};

// The iCalendar text of the report's days: one all-day event per day, the codes, the description and the
// duration in the summary (a calendar program shows only that) and in the description, with a UID made of the
// date, the company and the codes, so that a second export of the same days updates the events a calendar
// program holds instead of adding them again. Lines end with CR LF and are folded at 75 octets; texts are
// escaped. `stamp` is the UTC time of the export written YYYYMMDDTHHMMSSZ; `language` chooses the words of
// the texts ("it" or "en").
std::string days_calendar(const DaysReport& report, const CalendarSubject& subject, const std::string& stamp,
                          const std::string& language, const std::string& version);

// The UID of a day's event.
std::string day_uid(const CalendarSubject& subject, runtime::Date day, int repeat = 1);

// A content line folded as RFC 5545 asks: no line longer than 75 octets, a multi-octet UTF-8 character
// never cut, continuation lines starting with a blank; each line ends with CR LF.
std::string folded(const std::string& line);

// The dates a file names: either one ISO date YYYY-MM-DD a line (blank lines and lines starting with #
// are left alone), or an iCalendar file read by libical, whose events give every day they cover, each
// on the calendar date where it starts in its own time zone: all-day or timed, with DTEND or DURATION,
// repeated by any RRULE, RDATE (periods too), less EXDATE and EXRULE; cancelled events give none. A
// recurring event is expanded only over `first`..`last` (a holiday calendar's rules never end). Nullopt
// with the reason (in `language`, "it" or "en", naming the line) for what is not iCalendar or a value
// that does not read.
std::optional<std::set<runtime::Date>> read_date_file(const std::string& text, runtime::Date first,
                                                      runtime::Date last, const std::string& language,
                                                      std::string& error);

}  // namespace planner
