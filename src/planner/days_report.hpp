#pragma once
// One activity's planned days as a planner reads them: the days in date order with their durations, and
// the totals per ISO week, per month and in all, with the planning period and the days that lie outside
// it (the rules keep new days inside the period, but older data may hold some outside). Toolkit-free:
// the command line prints it, the desktop shows it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/database.hpp"
#include "runtime/date.hpp"

namespace planner {

// The WBS activity the report is about, as the activity's resolution finds it.
struct Activity {
  std::int32_t company = 0;
  double node_id = 0;
  double link_id = 0;
  // The planning period; none when the activity has no dates.
  std::optional<runtime::Date> start, end;
};

struct PlannedDay {
  runtime::Date day;
  std::int32_t hours = 0;
  std::int32_t minutes = 0;
  bool outside_planning = false;
  std::int64_t total_minutes() const { return std::int64_t{hours} * 60 + minutes; }
};

// A number of days and their planned time, for one week, one month, all of them.
struct Subtotal {
  std::string period;  // "2026-W10", "2026-03", or empty for the totals
  std::int64_t days = 0;
  std::int64_t minutes = 0;
  std::int64_t whole_hours() const { return minutes / 60; }
  std::int64_t rest_minutes() const { return minutes % 60; }
};

struct DaysReport {
  std::optional<runtime::Date> planning_start, planning_end;
  std::vector<PlannedDay> days;  // in date order
  std::vector<Subtotal> weeks;   // ISO weeks, in order
  std::vector<Subtotal> months;  // in order
  Subtotal total;
  Subtotal outside;  // the days outside the planning period
};

// Runs a query text on the host's database and gives its rows.
using QueryRunner = std::function<std::shared_ptr<host::Recordset>(const std::string&)>;

// The days of the activity, from `from` to `to` when given (both inclusive), in date order.
std::vector<PlannedDay> read_days(const QueryRunner& query, const Activity& activity,
                                  std::optional<runtime::Date> from = std::nullopt,
                                  std::optional<runtime::Date> to = std::nullopt);

// The totals of the days (taken in date order) against the planning period.
DaysReport make_report(std::vector<PlannedDay> days, std::optional<runtime::Date> planning_start,
                       std::optional<runtime::Date> planning_end);

// The activity of a WBS node and link of the company, as the calendar resolves it: its codes as stored
// (trailing blanks trimmed) and its planning period (the planned dates when either is set, else the
// forecast ones; a missing bound is the other one). Nullopt when there is no such link.
struct FoundActivity {
  Activity activity;
  std::string project, node, code;
  std::string codes() const { return project + " / " + node + " / " + code; }
};
std::optional<FoundActivity> read_activity(const QueryRunner& query, std::int32_t company, double node_id,
                                           double link_id);

// read_days and make_report together.
DaysReport days_report(const QueryRunner& query, const Activity& activity,
                       std::optional<runtime::Date> from = std::nullopt,
                       std::optional<runtime::Date> to = std::nullopt);

// 1 for Monday to 7 for Sunday.
int iso_weekday(runtime::Date day);
// The ISO week the day belongs to, "YYYY-Www" (the year is the week's, which differs from the day's
// around New Year).
std::string iso_week(runtime::Date day);
// "YYYY-MM".
std::string month_of(runtime::Date day);
// A duration as "H:MM" (hours may exceed 24).
std::string duration_text(std::int64_t minutes);

}  // namespace planner
