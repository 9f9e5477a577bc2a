// The calendar files: what the export writes (lines, folding, escaping, stable UIDs) and which dates a
// list or an iCalendar file of holidays names, or why it cannot be read.
#include <gtest/gtest.h>

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
  EXPECT_EQ(escaped_text("a,b;c\\d\ne\r\nf"), "a\\,b\\;c\\\\d\\ne\\nf");
}

TEST(CalendarExport, OneAllDayEventPerDayWithAStableUid) {
  auto report = make_report({{day("2026-03-02"), 8, 0, false}, {day("2026-03-09"), 4, 30, false}},
                            day("2026-03-01"), day("2026-03-31"));
  CalendarSubject subject{1, "PRJ 1", "N-01", "ATT,01"};
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
  EXPECT_NE(day_uid(CalendarSubject{1, "A-B", "C", "D"}, day("2026-03-09")),
            day_uid(CalendarSubject{1, "A", "B-C", "D"}, day("2026-03-09")));
  EXPECT_NE(text.find("UID:" + day_uid(subject, day("2026-03-09"))), std::string::npos);
  EXPECT_EQ(days_calendar(report, subject, "20260301T120000Z", "en", "0.1"), text);
}

TEST(DateFile, OneIsoDateALineWithCommentsAndBlankLines) {
  std::string error;
  auto dates = read_date_file("\xEF\xBB\xBF# holidays\n2026-03-19\r\n\n  2026-04-06  \n2026-03-19\n",
                              day("2026-12-31"), "en", error);
  ASSERT_TRUE(dates) << error;
  EXPECT_EQ(isos(*dates), (std::vector<std::string>{"2026-03-19", "2026-04-06"}));

  for (std::string bad : {"19/03/2026", "2026-02-30"}) {
    EXPECT_FALSE(read_date_file("2026-03-19\n" + bad + "\n", day("2026-12-31"), "en", error));
    EXPECT_EQ(error.rfind("line 2 holds \"" + bad + "\"", 0), 0u) << error;
  }
  EXPECT_TRUE(read_date_file("", day("2026-12-31"), "en", error)->empty());
}

TEST(DateFile, TheDaysOfAnICalendarFileOfHolidays) {
  const std::string calendar =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//holidays//EN\r\n"
      "BEGIN:VTIMEZONE\r\nTZID:Europe/Rome\r\nBEGIN:STANDARD\r\nDTSTART:19701025T030000\r\nEND:STANDARD\r\n"
      "END:VTIMEZONE\r\n"
      // Three days, the end being the first day after.
      "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20260406\r\nDTEND;VALUE=DATE:20260409\r\nEND:VEVENT\r\n"
      // Two days by duration, with a folded summary and an alarm whose own start does not count.
      "BEGIN:VEVENT\r\nUID:b\r\nSUMMARY:Ponte di\r\n  "
      "primavera\r\nDTSTART;VALUE=DATE:20260501\r\nDURATION:P2D\r\n"
      "BEGIN:VALARM\r\nDTSTART:20260101T000000\r\nACTION:DISPLAY\r\nEND:VALARM\r\nEND:VEVENT\r\n"
      // A timed event on one day, in a time zone.
      "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;TZID=Europe/Rome:20260319T090000\r\nDTEND;TZID=Europe/Rome:20260319T"
      "180000\r\nEND:VEVENT\r\n"
      // Every year, but not in 2027, up to the end of the range.
      "BEGIN:VEVENT\r\nUID:d\r\nDTSTART;VALUE=DATE:20251225\r\nRRULE:FREQ=YEARLY\r\nEXDATE;VALUE=DATE:"
      "20271225\r\n"
      "END:VEVENT\r\n"
      // Cancelled: no day.
      "BEGIN:VEVENT\r\nUID:e\r\nDTSTART;VALUE=DATE:20260601\r\nSTATUS:CANCELLED\r\nEND:VEVENT\r\n"
      // Every two weeks, three times.
      "BEGIN:VEVENT\r\nUID:f\r\nDTSTART;VALUE=DATE:20260701\r\nRRULE:FREQ=WEEKLY;INTERVAL=2;COUNT=3\r\nEND:"
      "VEVENT\r\n"
      // The 31st of every month until October: only the months that have one.
      "BEGIN:VEVENT\r\nUID:g\r\nDTSTART;VALUE=DATE:20260731\r\nRRULE:FREQ=MONTHLY;UNTIL=20261031\r\nEND:"
      "VEVENT\r\n"
      "END:VCALENDAR\r\n";
  std::string error;
  auto dates = read_date_file(calendar, day("2028-12-31"), "en", error);
  ASSERT_TRUE(dates) << error;
  EXPECT_EQ(isos(*dates),
            (std::vector<std::string>{"2025-12-25", "2026-03-19", "2026-04-06", "2026-04-07", "2026-04-08",
                                      "2026-05-01", "2026-05-02", "2026-07-01", "2026-07-15", "2026-07-29",
                                      "2026-07-31", "2026-08-31", "2026-10-31", "2026-12-25", "2028-12-25"}));
}

TEST(DateFile, WhatCannotBeReadIsRefusedNamingTheLine) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::string begin = "BEGIN:VCALENDAR\nBEGIN:VEVENT\n";
  const std::vector<Case> cases = {
      {begin + "DTSTART;VALUE=DATE:20260101\nRRULE:FREQ=MONTHLY;BYDAY=1MO\nEND:VEVENT\nEND:VCALENDAR\n",
       "RRULE part BYDAY=1MO cannot be read (line 4): write those dates one by one"},
      {begin + "DTSTART;VALUE=DATE:20260101\nRRULE:FREQ=HOURLY\nEND:VEVENT\nEND:VCALENDAR\n",
       "RRULE FREQ=HOURLY cannot be read (line 4): only DAILY, WEEKLY, MONTHLY and YEARLY can"},
      {begin + "SUMMARY:no start\nEND:VEVENT\nEND:VCALENDAR\n", "an event has no DTSTART (line 2)"},
      {begin + "DTSTART:tomorrow\nEND:VEVENT\nEND:VCALENDAR\n",
       "DTSTART value \"tomorrow\" is no date (line 3)"},
      {begin + "DTSTART;VALUE=DATE:20260101\n", "the calendar ends before END:VEVENT"},
      {begin + "just text\n", "line 3 is no iCalendar content line (it has no colon)"},
      {begin + "DTSTART;VALUE=DATE:20260101\nRDATE;VALUE=PERIOD:20260101T000000Z/"
               "PT1H\nEND:VEVENT\nEND:VCALENDAR\n",
       "RDATE with periods cannot be read (line 4)"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(read_date_file(c.text, day("2026-12-31"), "en", error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
  // In the run's language.
  std::string error;
  EXPECT_FALSE(read_date_file(begin + "just text\n", day("2026-12-31"), "it", error));
  EXPECT_EQ(error, "la riga 3 non è una riga di contenuto iCalendar (non ha i due punti)");
}

}  // namespace
}  // namespace planner
