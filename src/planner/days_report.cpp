#include "planner/days_report.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "runtime/variant.hpp"

namespace planner {

namespace {

std::int32_t whole(const runtime::Variant& v) {
  return runtime::is_blank(v) ? 0 : static_cast<std::int32_t>(v.to_double());
}

void add_to(std::vector<Subtotal>& totals, const std::string& period, const PlannedDay& day) {
  if (totals.empty() || totals.back().period != period) totals.push_back(Subtotal{period, 0, 0});
  ++totals.back().days;
  totals.back().minutes += day.total_minutes();
}

}  // namespace

int iso_weekday(runtime::Date day) {
  return static_cast<int>(std::chrono::weekday(std::chrono::sys_days(day.ymd())).iso_encoding());
}

std::string iso_week(runtime::Date day) {
  // The week belongs to the year of its Thursday.
  const runtime::Date thursday = day.add_days(4 - iso_weekday(day));
  const runtime::Date new_year = runtime::Date::from_ymd(thursday.year(), 1, 1);
  const int week = static_cast<int>(thursday.serial - new_year.serial) / 7 + 1;
  char text[48];
  std::snprintf(text, sizeof text, "%04d-W%02d", thursday.year(), week);
  return text;
}

std::string month_of(runtime::Date day) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02u", day.year(), day.month());
  return text;
}

std::string duration_text(std::int64_t minutes) {
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(minutes / 60),
                static_cast<long long>(minutes % 60));
  return text;
}

std::vector<PlannedDay> read_days(const QueryRunner& query, const Activity& activity,
                                  std::optional<runtime::Date> from, std::optional<runtime::Date> to) {
  // Only whole numbers and ISO dates of our own reach the text.
  std::string sql =
      "SELECT PD4G_DATAATTIVITA AS GIORNO, PD4G_DURATAORE AS ORE, PD4G_DURATAMINUTI AS MINUTI "
      "FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = " +
      std::to_string(activity.company) +
      " AND PD4G_IDDISBAPROG_PD0G = " + runtime::number_text(activity.node_id) +
      " AND PD4G_IDLEGAME_PD0H = " + runtime::number_text(activity.link_id);
  if (from) sql += " AND PD4G_DATAATTIVITA >= '" + from->iso() + "'";
  if (to) sql += " AND PD4G_DATAATTIVITA < '" + to->add_days(1).iso() + "'";
  sql += " ORDER BY PD4G_DATAATTIVITA, PD4G_IDCALENDARIO";
  std::vector<PlannedDay> days;
  auto rs = query(sql);
  for (; !rs->Eof(); rs->MoveNext()) {
    runtime::Variant day = rs->Field("GIORNO");
    if (runtime::is_blank(day)) continue;
    days.push_back(PlannedDay{runtime::Date{std::floor(day.to_date().serial)}, whole(rs->Field("ORE")),
                              whole(rs->Field("MINUTI")), false});
  }
  rs->Close();
  return days;
}

std::optional<FoundActivity> read_activity(const QueryRunner& query, std::int32_t company, double node_id,
                                           double link_id) {
  const std::string sql =
      "SELECT RTRIM(PD0G_CODPROG_PD68) AS P, RTRIM(PD0G_CODNODO_PD0C) AS N, RTRIM(PD0H_CODATTIVITA_PD0D) AS "
      "A, "
      "PD0H_DATAINIZPIAN AS IP, PD0H_DATAFINPIAN AS FP, PD0H_DATAINIZPREV AS IV, PD0H_DATAFINPREV AS FV "
      "FROM PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG ON PD0H_IDDISBAPROG_PD0G = PD0G_IDDISBAPROG "
      "WHERE PD0G_DITTA_CG18 = " +
      std::to_string(company) + " AND PD0G_IDDISBAPROG = " + runtime::number_text(node_id) +
      " AND PD0H_IDLEGAME = " + runtime::number_text(link_id);
  std::optional<FoundActivity> found;
  auto rs = query(sql);
  if (!rs->Eof()) {
    auto text = [&](const char* name) {
      runtime::Variant v = rs->Field(name);
      return runtime::is_blank(v) ? std::string() : runtime::rtrim(v.to_string());
    };
    auto date = [&](const char* name) -> std::optional<runtime::Date> {
      runtime::Variant v = rs->Field(name);
      if (runtime::is_blank(v) || v.to_date().is_zero()) return std::nullopt;
      return runtime::Date{std::floor(v.to_date().serial)};
    };
    FoundActivity a{Activity{company, node_id, link_id, date("IP"), date("FP")}, text("P"), text("N"),
                    text("A")};
    if (!a.activity.start && !a.activity.end) {
      a.activity.start = date("IV");
      a.activity.end = date("FV");
    }
    if (!a.activity.end) a.activity.end = a.activity.start;
    if (!a.activity.start) a.activity.start = a.activity.end;
    found = std::move(a);
  }
  rs->Close();
  return found;
}

DaysReport make_report(std::vector<PlannedDay> days, std::optional<runtime::Date> planning_start,
                       std::optional<runtime::Date> planning_end) {
  DaysReport report;
  report.planning_start = planning_start;
  report.planning_end = planning_end;
  std::stable_sort(days.begin(), days.end(),
                   [](const PlannedDay& a, const PlannedDay& b) { return a.day < b.day; });
  // In date order the days of a week, and of a month, follow one another.
  for (auto& day : days) {
    day.outside_planning =
        (planning_start && day.day < *planning_start) || (planning_end && day.day > *planning_end);
    ++report.total.days;
    report.total.minutes += day.total_minutes();
    if (day.outside_planning) {
      ++report.outside.days;
      report.outside.minutes += day.total_minutes();
    }
    add_to(report.weeks, iso_week(day.day), day);
    add_to(report.months, month_of(day.day), day);
  }
  report.days = std::move(days);
  return report;
}

DaysReport days_report(const QueryRunner& query, const Activity& activity, std::optional<runtime::Date> from,
                       std::optional<runtime::Date> to) {
  return make_report(read_days(query, activity, from, to), activity.start, activity.end);
}

}  // namespace planner
