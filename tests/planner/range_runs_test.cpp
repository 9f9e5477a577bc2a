// Weekday patterns as runs of the range dialogs: one run per weekday every 7 days, split around the dates
// left out, and the order that puts the runs a rule may refuse first.
#include <gtest/gtest.h>

#include "planner/range_runs.hpp"

namespace planner {
namespace {

runtime::Date day(const char* iso) {
  return *runtime::parse_date(iso);
}

std::vector<std::string> isos(const std::vector<runtime::Date>& dates) {
  std::vector<std::string> out;
  for (const auto& d : dates) out.push_back(d.iso());
  return out;
}

TEST(Weekdays, EnglishAndItalianNamesInAnyCaseKeepTheirOrder) {
  std::string error;
  EXPECT_EQ(parse_weekdays("mon,wed,fri", "en", error), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(parse_weekdays("VEN, lun ,Mar", "en", error), (std::vector<int>{5, 1, 2}));
  EXPECT_EQ(parse_weekdays("sab,dom,sun", "en", error), std::nullopt);
  EXPECT_EQ(error, "--weekdays names sun twice");
  EXPECT_EQ(parse_weekdays("mon,,fri", "en", error), std::nullopt);
  EXPECT_EQ(parse_weekdays("monday", "en", error), std::nullopt);
  EXPECT_NE(error.find("not \"monday\""), std::string::npos) << error;
  EXPECT_EQ(parse_weekdays("", "en", error), std::nullopt);
  EXPECT_EQ(parse_weekdays("lun,lun", "it", error), std::nullopt);
  EXPECT_EQ(error, "--weekdays nomina due volte lun");
  EXPECT_EQ(weekday_name(3, "it"), "mer");
  EXPECT_EQ(weekday_name(7, "en"), "sun");
}

TEST(Runs, MondayWednesdayFridayOverFourWeeksIsThreeRunsOfFourDays) {
  // 1 March 2026 is a Sunday.
  auto runs = plan_runs(day("2026-03-01"), day("2026-03-28"), 0, {1, 3, 5}, {});
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0], (RangeRun{day("2026-03-02"), day("2026-03-23"), 7}));
  EXPECT_EQ(runs[2], (RangeRun{day("2026-03-06"), day("2026-03-27"), 7}));
  EXPECT_EQ(isos(runs[0].dates()),
            (std::vector<std::string>{"2026-03-02", "2026-03-09", "2026-03-16", "2026-03-23"}));
  EXPECT_EQ(run_dates(runs).size(), 12u);
  // A weekday that does not occur in the range makes no run.
  EXPECT_EQ(plan_runs(day("2026-03-02"), day("2026-03-03"), 0, {1, 3}, {}).size(), 1u);
}

TEST(Runs, DatesLeftOutSplitTheRunsAroundThem) {
  // Monday 9 March and the last Friday are holidays; a date that no run holds changes nothing.
  std::set<runtime::Date> skip = {day("2026-03-09"), day("2026-03-27"), day("2026-03-10")};
  auto runs = plan_runs(day("2026-03-01"), day("2026-03-28"), 0, {1, 5}, skip);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0], (RangeRun{day("2026-03-02"), day("2026-03-02"), 7}));
  EXPECT_EQ(runs[1], (RangeRun{day("2026-03-16"), day("2026-03-23"), 7}));
  EXPECT_EQ(runs[2], (RangeRun{day("2026-03-06"), day("2026-03-20"), 7}));
  EXPECT_EQ(run_dates(runs).size(), 6u);

  // A plain step is split the same way; every date left out leaves nothing.
  auto plain = plan_runs(day("2026-03-01"), day("2026-03-10"), 3, {}, {day("2026-03-04")});
  EXPECT_EQ(plain, (std::vector<RangeRun>{{day("2026-03-01"), day("2026-03-01"), 3},
                                          {day("2026-03-07"), day("2026-03-10"), 3}}));
  EXPECT_TRUE(plan_runs(day("2026-03-02"), day("2026-03-02"), 0, {1}, {day("2026-03-02")}).empty());
}

TEST(Runs, TheRunsARuleMayRefuseComeFirstInTheirOrder) {
  std::vector<RangeRun> runs = {{day("2026-03-02"), day("2026-03-30"), 7},
                                {day("2026-03-04"), day("2026-04-01"), 7},
                                {day("2026-03-06"), day("2026-03-27"), 7},
                                {day("2026-03-07"), day("2026-04-04"), 7}};
  auto ordered =
      refusable_first(runs, [](const RangeRun& r) { return r.dates().back() > day("2026-03-31"); });
  EXPECT_EQ(ordered, (std::vector<RangeRun>{runs[1], runs[3], runs[0], runs[2]}));
}

}  // namespace
}  // namespace planner
