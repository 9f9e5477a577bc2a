// The calendar files: what the export writes (lines, folding, escaping, stable UIDs) and which dates a
// list or an iCalendar file of holidays names, or why it cannot be read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "planner/ical.hpp"

namespace planner {
namespace {

runtime::Date day(const char* iso) {
  return *runtime::parse_date(iso);
}

std::vector<std::string> isos(const std::set<runtime::Date>& dates) {
  std::vector<std::string> out;
  for (const auto& d : dates) out.push_back(d.iso());
  return out;
}

std::vector<std::string> crlf_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    auto end = text.find("\r\n", at);
    EXPECT_NE(end, std::string::npos) << "a line without CR LF at the end";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

TEST(CalendarExport, FoldsAtSeventyFiveOctetsWithoutCuttingACharacter) {
  const std::string line = "SUMMARY:" + std::string(66, 'a') + "\xC3\xA0\xC3\xA0" + std::string(80, 'b');
  auto lines = crlf_lines(folded(line));
  ASSERT_EQ(lines.size(), 3u);
  // The two-octet character that would cross the 75th octet moves whole to the next line.
  EXPECT_EQ(lines[0].size(), 74u);
  std::string joined = lines[0];
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_LE(lines[i].size(), 75u);
    EXPECT_EQ(lines[i][0], ' ');
    joined += lines[i].substr(1);
  }
  EXPECT_EQ(joined, line);
}

TEST(CalendarExport, OneAllDayEventPerDayWithAStableUid) {
  auto report = make_report({{day("2026-03-02"), 8, 0, false}, {day("2026-03-09"), 4, 30, false}},
                            day("2026-03-01"), day("2026-03-31"));
  CalendarSubject subject{1, "PRJ 1", "N-01", "ATT,01", ""};
  const std::string text = days_calendar(report, subject, "20260301T120000Z", "en", "0.1");
  auto lines = crlf_lines(text);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "BEGIN:VCALENDAR");
  EXPECT_EQ(lines.back(), "END:VCALENDAR");
  int events = 0;
  for (const auto& l : lines) {
    EXPECT_LE(l.size(), 75u) << l;
    if (l == "BEGIN:VEVENT") ++events;
  }
  EXPECT_EQ(events, 2);
  EXPECT_NE(text.find("\r\nDTSTART;VALUE=DATE:20260309\r\nDTEND;VALUE=DATE:20260310\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nSUMMARY:PRJ 1 / N-01 / ATT\\,01 (4:30)\r\n"), std::string::npos) << text;
  // The codes cannot run into each other in the UID, and the same day gives the same UID every time.
  EXPECT_EQ(day_uid(subject, day("2026-03-09")), "20260309-1-PRJ%201-N%2D01-ATT%2C01@calendatt");
  EXPECT_NE(day_uid(CalendarSubject{1, "A-B", "C", "D", ""}, day("2026-03-09")),
            day_uid(CalendarSubject{1, "A", "B-C", "D", ""}, day("2026-03-09")));
  EXPECT_NE(text.find("UID:" + day_uid(subject, day("2026-03-09"))), std::string::npos);
  EXPECT_EQ(days_calendar(report, subject, "20260301T120000Z", "en", "0.1"), text);
  // The description goes into the summary too, its control characters as blanks and line breaks.
  subject.description = "Tests;\x01one\rtwo";
  EXPECT_NE(days_calendar(report, subject, "20260301T120000Z", "en", "0.1")
                .find("\r\nSUMMARY:PRJ 1 / N-01 / ATT\\,01 - Tests\\; one\\ntwo (4:30)\r\n"),
            std::string::npos);
}

TEST(DateFile, OneIsoDateALineWithCommentsAndBlankLines) {
  std::string error;
  auto dates = read_date_file("\xEF\xBB\xBF# holidays\n2026-03-19\r\n\n  2026-04-06  \n2026-03-19\n",
                              day("2026-01-01"), day("2026-12-31"), "en", error);
  ASSERT_TRUE(dates) << error;
  EXPECT_EQ(isos(*dates), (std::vector<std::string>{"2026-03-19", "2026-04-06"}));

  for (std::string bad : {"19/03/2026", "2026-02-30"}) {
    EXPECT_FALSE(
        read_date_file("2026-03-19\n" + bad + "\n", day("2026-01-01"), day("2026-12-31"), "en", error));
    EXPECT_EQ(error.rfind("line 2 holds \"" + bad + "\"", 0), 0u) << error;
  }
  EXPECT_TRUE(read_date_file("", day("2026-01-01"), day("2026-12-31"), "en", error)->empty());
}

// A holiday calendar as calendar programs write it, expanded over a range by a second reader: Python's
// icalendar with dateutil's rules. The days must be the same.
TEST(DateFile, TheDaysOfAHolidayCalendarAreThoseASecondReaderExpands) {
  const std::string calendar =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//holidays//EN\r\n"
      "BEGIN:VTIMEZONE\r\nTZID:America/New_York\r\n"
      "BEGIN:STANDARD\r\nDTSTART:19701101T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\n"
      "TZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nEND:STANDARD\r\n"
      "BEGIN:DAYLIGHT\r\nDTSTART:19700308T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\r\n"
      "TZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n"
      // Christmas since 2000, never ending; not in 2027.
      "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20001225\r\nDTEND;VALUE=DATE:20001226\r\n"
      "RRULE:FREQ=YEARLY;BYMONTH=12;BYMONTHDAY=25\r\nEXDATE;VALUE=DATE:20271225\r\nEND:VEVENT\r\n"
      // The last Sunday of the month, the fourth Thursday of November in New York's evening (the next
      // day in UTC), the last weekday of five months.
      "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20260125\r\nRRULE:FREQ=MONTHLY;BYDAY=-1SU\r\nEND:"
      "VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;TZID=America/New_York:20201126T210000\r\n"
      "DURATION:PT2H\r\nRRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=4TH\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:d\r\nDTSTART;VALUE=DATE:20260130\r\n"
      "RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1;COUNT=5\r\nEND:VEVENT\r\n"
      // Days listed, on two lines, one all-day event of five days and one of three by duration.
      "BEGIN:VEVENT\r\nUID:e\r\nDTSTART;VALUE=DATE:20260406\r\nRDATE;VALUE=DATE:20260602,20260815\r\n"
      "RDATE;VALUE=DATE:20261208\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:f\r\nDTSTART;VALUE=DATE:20260810\r\nDTEND;VALUE=DATE:20260815\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:g\r\nDTSTART;VALUE=DATE:20261228\r\nDURATION:P3D\r\nEND:VEVENT\r\n"
      // Every other Friday up to a day, weekly on two days with a week starting on Sunday, daily for
      // three days across a year, and a timed weekly meeting less one of its times.
      "BEGIN:VEVENT\r\nUID:h\r\nDTSTART;VALUE=DATE:20260102\r\n"
      "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=FR;UNTIL=20260320\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:i\r\nDTSTART;VALUE=DATE:20260906\r\n"
      "RRULE:FREQ=WEEKLY;INTERVAL=3;BYDAY=SU,TU;WKST=SU;COUNT=6\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:j\r\nDTSTART;VALUE=DATE:20271230\r\nRRULE:FREQ=DAILY;COUNT=3\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:k\r\nDTSTART;TZID=America/New_York:20260701T233000\r\n"
      "DTEND;TZID=America/New_York:20260702T003000\r\nRRULE:FREQ=WEEKLY;COUNT=4\r\n"
      "EXDATE;TZID=America/New_York:20260708T233000\r\nEND:VEVENT\r\n"
      // The Mondays of each year's weeks 10 and 20, the 100th day of the year, and a cancelled day.
      "BEGIN:VEVENT\r\nUID:l\r\nDTSTART;VALUE=DATE:20260302\r\n"
      "RRULE:FREQ=YEARLY;BYWEEKNO=10,20;BYDAY=MO\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:m\r\nDTSTART;VALUE=DATE:20260410\r\nRRULE:FREQ=YEARLY;BYYEARDAY=100\r\nEND:"
      "VEVENT\r\n"
      // Saturdays of February at nine, an hourly rule.
      "BEGIN:VEVENT\r\nUID:o\r\nDTSTART:20240203T090000\r\nRRULE:FREQ=HOURLY;BYHOUR=9;BYMONTH=2;BYDAY=SA\r\n"
      "END:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:n\r\nDTSTART;VALUE=DATE:20260601\r\nSTATUS:CANCELLED\r\nEND:VEVENT\r\n"
      "END:VCALENDAR\r\n";
  const runtime::Date first = day("2026-01-01"), last = day("2028-02-29");
  std::string error;
  auto dates = read_date_file(calendar, first, last, "en", error);
  ASSERT_TRUE(dates) << error;
  std::string ours;
  for (const auto& d : *dates)
    if (first <= d && d <= last) ours += d.iso() + "\n";

  const auto dir = std::filesystem::path(::testing::TempDir());
  std::ofstream(dir / "holidays.ics", std::ios::binary) << calendar;
  std::ofstream(dir / "expand.py") << R"(import sys, datetime
from icalendar import Calendar
from dateutil.rrule import rruleset, rrulestr
first, last = (datetime.date.fromisoformat(a) for a in sys.argv[2:4])
def every(event, name):
    value = event.get(name, [])
    return value if isinstance(value, list) else [value]
def listed(event, name):
    return [d.dt for v in every(event, name) for d in v.dts]
def moment(d):
    return d if isinstance(d, datetime.datetime) else datetime.datetime.combine(d, datetime.time())
days = set()
for event in Calendar.from_ical(open(sys.argv[1], 'rb').read()).walk('VEVENT'):
    if event.get('status') == 'CANCELLED':
        continue
    start = event.decoded('dtstart')
    end = event.decoded('dtend') if 'dtend' in event else start + event.decoded('duration', datetime.timedelta(0))
    timed = isinstance(start, datetime.datetime)
    if timed:
        end = end.astimezone(start.tzinfo)
    span = (moment(end).date() - moment(start).date()).days
    if timed and end.time() != datetime.time():
        span += 1
    span = max(span, 1)
    rules = rruleset()
    for rule in every(event, 'rrule'):
        rules.rrule(rrulestr(rule.to_ical().decode(), dtstart=moment(start)))
    if 'rrule' not in event:
        rules.rdate(moment(start))
    for d in listed(event, 'rdate'):
        rules.rdate(moment(d).astimezone(start.tzinfo) if timed else moment(d))
    for d in listed(event, 'exdate'):
        rules.exdate(moment(d).astimezone(start.tzinfo) if timed else moment(d))
    for occurrence in rules:
        if occurrence.date() > last:
            break
        for i in range(span):
            days.add(occurrence.date() + datetime.timedelta(days=i))
print(''.join(d.isoformat() + '\n' for d in sorted(days) if first <= d <= last), end='')
)";
  const std::string command = "/usr/bin/python3 " + (dir / "expand.py").string() + " " +
                              (dir / "holidays.ics").string() + " " + first.iso() + " " + last.iso() + " > " +
                              (dir / "expanded.txt").string() + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "python3-icalendar and python3-dateutil are needed";
  std::stringstream theirs;
  theirs << std::ifstream(dir / "expanded.txt").rdbuf();
  EXPECT_EQ(ours, theirs.str());
  // The range holds the cases that are easy to get wrong.
  for (const char* holiday : {"2026-11-26", "2027-12-31", "2028-01-01", "2026-08-14", "2026-12-30"})
    EXPECT_NE(ours.find(holiday), std::string::npos) << holiday;
  for (const char* not_one : {"2027-12-25", "2026-08-16", "2026-12-31", "2026-07-08", "2026-06-01"})
    EXPECT_EQ(ours.find(not_one), std::string::npos) << not_one;
}

TEST(DateFile, WhatCannotBeReadIsRefusedNamingTheLine) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::string begin = "BEGIN:VCALENDAR\nBEGIN:VEVENT\n";
  const std::vector<Case> cases = {
      {begin + "DTSTART;VALUE=DATE:20260101\nRRULE:FREQ=FORTNIGHTLY\nEND:VEVENT\nEND:VCALENDAR\n",
       "RRULE value \"FREQ=FORTNIGHTLY\" cannot be read (line 4)"},
      {begin + "DTSTART;VALUE=DATE:20260101\nRRULE:FREQ=YEARLY;BYMONTH=13\nEND:VEVENT\nEND:VCALENDAR\n",
       "RRULE value \"FREQ=YEARLY;BYMONTH=13\" cannot be read (line 4)"},
      {begin +
           "DTSTART;VALUE=DATE:20260101\nEXDATE;VALUE=DATE:20260102,\n 20260230\nEND:VEVENT\nEND:VCALENDAR\n",
       "EXDATE value \"20260102,20260230\" is no date (line 4)"},
      {begin + "DTSTART:19000101T000000\nRRULE:FREQ=SECONDLY;COUNT=900000000\nEND:VEVENT\nEND:VCALENDAR\n",
       "a rule gives more than 100000 starts up to the last day of the command (line 2)"},
      {begin + "SUMMARY:no start\nEND:VEVENT\nEND:VCALENDAR\n", "an event has no DTSTART (line 2)"},
      {begin + "DTSTART:tomorrow\nEND:VEVENT\nEND:VCALENDAR\n",
       "DTSTART value \"tomorrow\" is no date (line 3)"},
      {begin + "DTSTART;VALUE=DATE:20260101\n", "the calendar ends before END:VEVENT"},
      {begin + "just text\n", "line 3 is no iCalendar content line (it has no colon)"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(read_date_file(c.text, day("2026-01-01"), day("2026-12-31"), "en", error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
  // In the run's language.
  std::string error;
  EXPECT_FALSE(read_date_file(begin + "just text\n", day("2026-01-01"), day("2026-12-31"), "it", error));
  EXPECT_EQ(error, "la riga 3 non è una riga di contenuto iCalendar (non ha i due punti)");
}

}  // namespace
}  // namespace planner
