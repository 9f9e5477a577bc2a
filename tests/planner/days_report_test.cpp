// The totals of one activity's days: ISO weeks across New Year and across months, months, the whole, and
// the days outside the planning period.
#include <gtest/gtest.h>

#include "planner/days_report.hpp"

namespace planner {
namespace {

runtime::Date day(const char* iso) {
  return *runtime::parse_date(iso);
}

PlannedDay planned(const char* iso, int hours, int minutes) {
  return PlannedDay{day(iso), hours, minutes, false};
}

TEST(IsoCalendar, WeeksBelongToTheYearOfTheirThursday) {
  struct Case {
    const char* day;
    const char* week;
    int weekday;
  };
  for (const auto& c : {Case{"2026-03-02", "2026-W10", 1}, Case{"2026-03-08", "2026-W10", 7},
                        Case{"2021-01-03", "2020-W53", 7}, Case{"2024-12-30", "2025-W01", 1},
                        Case{"2027-01-01", "2026-W53", 5}, Case{"2026-01-01", "2026-W01", 4},
                        Case{"2023-01-01", "2022-W52", 7}}) {
    EXPECT_EQ(iso_week(day(c.day)), c.week) << c.day;
    EXPECT_EQ(iso_weekday(day(c.day)), c.weekday) << c.day;
  }
  EXPECT_EQ(month_of(day("2026-03-02")), "2026-03");
  EXPECT_EQ(duration_text(0), "0:00");
  EXPECT_EQ(duration_text(2670), "44:30");
}

TEST(DaysReport, TotalsPerWeekPerMonthAndInAllAddUpToTheDays) {
  // Given out of order: the report puts them in date order. The week of 30 March runs into April.
  auto report =
      make_report({planned("2026-04-02", 1, 15), planned("2026-03-02", 8, 0), planned("2026-03-30", 2, 50),
                   planned("2026-03-03", 7, 30), planned("2026-02-27", 4, 0)},
                  day("2026-03-01"), day("2026-03-31"));
  ASSERT_EQ(report.days.size(), 5u);
  EXPECT_EQ(report.days.front().day, day("2026-02-27"));
  EXPECT_EQ(report.days.back().day, day("2026-04-02"));

  auto lines = [](const std::vector<Subtotal>& totals) {
    std::vector<std::string> out;
    for (const auto& t : totals)
      out.push_back(t.period + " " + std::to_string(t.days) + " " + std::to_string(t.minutes));
    return out;
  };
  EXPECT_EQ(lines(report.weeks),
            (std::vector<std::string>{"2026-W09 1 240", "2026-W10 2 930", "2026-W14 2 245"}));
  EXPECT_EQ(lines(report.months),
            (std::vector<std::string>{"2026-02 1 240", "2026-03 3 1100", "2026-04 1 75"}));
  EXPECT_EQ(lines({report.total, report.outside}), (std::vector<std::string>{" 5 1415", " 2 315"}));
  EXPECT_EQ(report.total.whole_hours(), 23);
  EXPECT_EQ(report.total.rest_minutes(), 35);
  // 27 February and 2 April lie outside March.
  EXPECT_TRUE(report.days.front().outside_planning);
  EXPECT_FALSE(report.days[1].outside_planning);
  EXPECT_TRUE(report.days.back().outside_planning);
}

TEST(DaysReport, BoundsOfThePeriodAreInsideAndNoPeriodMeansNothingOutside) {
  EXPECT_EQ(make_report({planned("2026-03-01", 1, 0), planned("2026-03-31", 1, 0)}, day("2026-03-01"),
                        day("2026-03-31"))
                .outside.days,
            0);
  EXPECT_EQ(make_report({planned("1999-03-01", 1, 0)}, std::nullopt, std::nullopt).outside.days, 0);
  auto empty = make_report({}, day("2026-03-01"), day("2026-03-31"));
  EXPECT_TRUE(empty.weeks.empty());
  EXPECT_EQ(empty.total.days, 0);
}

}  // namespace
}  // namespace planner
