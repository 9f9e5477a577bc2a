// The calendar files: what the export writes (lines, folding, escaping, stable UIDs) and which dates a
// list or an iCalendar file of holidays names, or why it cannot be read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

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
  std::string calendar =
      "BEGIN:VCALENDAR|VERSION:2.0|PRODID:-//test//holidays//EN|BEGIN:VTIMEZONE|TZID:America/New_York|"
      "BEGIN:STANDARD|DTSTART:19701101T020000|RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU|"
      "TZOFFSETFROM:-0400|TZOFFSETTO:-0500|END:STANDARD|BEGIN:DAYLIGHT|DTSTART:19700308T020000|"
      "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU|TZOFFSETFROM:-0500|TZOFFSETTO:-0400|END:DAYLIGHT|"
      "END:VTIMEZONE|";
  for (const std::string event :
       {// Christmas since 2000 but not in 2027, the last Sunday of each month, Thanksgiving evening in
        // New York (the next day in UTC), the last weekday of five months, Saturdays of February at nine.
        "DTSTART;VALUE=DATE:20001225|DTEND;VALUE=DATE:20001226|RRULE:FREQ=YEARLY;BYMONTH=12;BYMONTHDAY=25|"
        "EXDATE;VALUE=DATE:20271225",
        "DTSTART;VALUE=DATE:20260125|RRULE:FREQ=MONTHLY;BYDAY=-1SU",
        "DTSTART;TZID=America/New_York:20201126T210000|DURATION:PT2H|RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=4TH",
        "DTSTART;VALUE=DATE:20260130|RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1;COUNT=5",
        "DTSTART:20240203T090000|RRULE:FREQ=HOURLY;BYHOUR=9;BYMONTH=2;BYDAY=SA",
        // Days listed on two lines, five days to an end, three by duration, a cancelled one.
        "DTSTART;VALUE=DATE:20260406|RDATE;VALUE=DATE:20260602,20260815|RDATE;VALUE=DATE:20261208",
        "DTSTART;VALUE=DATE:20260810|DTEND;VALUE=DATE:20260815", "DTSTART;VALUE=DATE:20261228|DURATION:P3D",
        "DTSTART;VALUE=DATE:20260601|STATUS:CANCELLED",
        // Every other Friday up to a day, two days every third week starting on Sunday, three days
        // across a year, a weekly evening into the next day less one, weeks 10 and 20, the 100th day.
        "DTSTART;VALUE=DATE:20260102|RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=FR;UNTIL=20260320",
        "DTSTART;VALUE=DATE:20260906|RRULE:FREQ=WEEKLY;INTERVAL=3;BYDAY=SU,TU;WKST=SU;COUNT=6",
        "DTSTART;VALUE=DATE:20271230|RRULE:FREQ=DAILY;COUNT=3",
        "DTSTART;TZID=America/New_York:20260701T233000|DTEND;TZID=America/New_York:20260702T003000|"
        "RRULE:FREQ=WEEKLY;COUNT=4|EXDATE;TZID=America/New_York:20260708T233000",
        "DTSTART;VALUE=DATE:20260302|RRULE:FREQ=YEARLY;BYWEEKNO=10,20;BYDAY=MO",
        "DTSTART;VALUE=DATE:20260410|RRULE:FREQ=YEARLY;BYYEARDAY=100"})
    calendar += "BEGIN:VEVENT|" + event + "|END:VEVENT|";
  calendar += "END:VCALENDAR|";
  for (auto at = calendar.find('|'); at != std::string::npos; at = calendar.find('|', at))
    calendar.replace(at, 1, "\r\n");
  const runtime::Date first = day("2026-01-01"), last = day("2028-02-29");
  std::string error;
  auto dates = read_date_file(calendar, first, last, "en", error);
  ASSERT_TRUE(dates) << error;
  std::string ours;
  for (const auto& d : *dates)
    if (first <= d && d <= last) ours += d.iso() + "\n";

  const std::string dir = ::testing::TempDir();
  std::ofstream(dir + "holidays.ics", std::ios::binary) << calendar;
  std::ofstream(dir + "expand.py") << R"(import sys, datetime as dt
from icalendar import Calendar
from dateutil.rrule import rruleset, rrulestr
first, last = (dt.date.fromisoformat(a) for a in sys.argv[2:])
at = lambda d: d if isinstance(d, dt.datetime) else dt.datetime.combine(d, dt.time())
every = lambda e, name: (lambda v: v if isinstance(v, list) else [v])(e.get(name, []))
days = set()
events = Calendar.from_ical(open(sys.argv[1], 'rb').read()).walk('VEVENT')
for e in (e for e in events if e.get('status') != 'CANCELLED'):
    start = at(e.decoded('dtstart'))
    end = at(e.decoded('dtend')) if 'dtend' in e else start + e.decoded('duration', dt.timedelta(0))
    zoned = lambda d: d.astimezone(start.tzinfo) if start.tzinfo else d
    span = max((zoned(end).date() - start.date()).days + (zoned(end).time() != dt.time()), 1)
    rules = rruleset()
    for r in every(e, 'rrule'):
        rules.rrule(rrulestr(r.to_ical().decode(), dtstart=start))
    if 'rrule' not in e:
        rules.rdate(start)
    for name, add in (('rdate', rules.rdate), ('exdate', rules.exdate)):
        for d in (at(x.dt) for v in every(e, name) for x in v.dts):
            add(zoned(d))
    for o in rules:
        if o.date() > last:
            break
        days.update(o.date() + dt.timedelta(i) for i in range(span))
print(''.join(d.isoformat() + '\n' for d in sorted(days) if first <= d <= last), end='')
)";
  ;
  const std::string command = "/usr/bin/python3 " + dir + "expand.py " + dir + "holidays.ics " + first.iso() +
                              " " + last.iso() + " > " + dir + "expanded.txt";
  ASSERT_EQ(std::system(command.c_str()), 0) << "python3-icalendar and python3-dateutil are needed";
  EXPECT_EQ(ours,
            std::string(std::istreambuf_iterator<char>(std::ifstream(dir + "expanded.txt").rdbuf()), {}));
  // Where a reader goes wrong: a time zone, a day excluded, the end of an event, the turn of a year.
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
