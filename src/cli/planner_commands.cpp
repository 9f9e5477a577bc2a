#include "cli/planner_commands.hpp"

#include <ctime>
#include <exception>

#include "cli/activity_choice.hpp"
#include "cli/cli_responder.hpp"
#include "cli/commands.hpp"
#include "cli/grid_output.hpp"
#include "cli/host_session.hpp"
#include "cli/language.hpp"
#include "database/connection.hpp"
#include "database/file_check.hpp"
#include "database/postgres_connection.hpp"
#include "planner/days_report.hpp"
#include "planner/ical.hpp"
#include "planner/range_runs.hpp"
#include "runtime/error.hpp"
#include "standin/calling_program.hpp"
#include "standin/host_setup.hpp"
#include "standin/media.hpp"

#ifndef CALENDATT_VERSION
#define CALENDATT_VERSION "0"
#endif

namespace cli {

namespace {

using runtime::Variant;

Variant date_or_empty(const std::optional<runtime::Date>& d) {
  return d ? Variant(*d) : Variant();
}

Variant number(std::int64_t n) {
  return Variant(static_cast<double>(n));
}

// The report as rows under keys that never change: one row per day, per week, per month, the days outside
// the planning period and the totals. The keys the calendar's grid also has come from its table.
GridView machine_view(const planner::DaysReport& report) {
  GridView view;
  view.keys = {"row",
               "period",
               standin::grid_column_key("PD4G_DATAATTIVITA"),
               "weekday",
               "days",
               standin::grid_column_key("PD4G_DURATAORE"),
               standin::grid_column_key("PD4G_DURATAMINUTI"),
               "total_minutes",
               standin::grid_column_key("PD4G_IDLEGAME_INI"),
               standin::grid_column_key("PD4G_IDLEGAME_FIN"),
               "outside_planning"};
  view.captions = view.keys;
  const Variant start = date_or_empty(report.planning_start), end = date_or_empty(report.planning_end);
  for (const auto& day : report.days)
    view.rows.push_back({Variant("day"), Variant(), Variant(day.day),
                         Variant(planner::weekday_key(planner::iso_weekday(day.day))), number(1),
                         number(day.hours), number(day.minutes), number(day.total_minutes()), start, end,
                         Variant(day.outside_planning)});
  auto subtotal = [&](const char* kind, const planner::Subtotal& s) {
    view.rows.push_back({Variant(kind), s.period.empty() ? Variant() : Variant(s.period), Variant(),
                         Variant(), number(s.days), number(s.whole_hours()), number(s.rest_minutes()),
                         number(s.minutes), start, end, Variant()});
  };
  for (const auto& w : report.weeks) subtotal("week", w);
  for (const auto& m : report.months) subtotal("month", m);
  subtotal("outside_planning", report.outside);
  subtotal("total", report.total);
  return view;
}

void write_table(const planner::DaysReport& report, const Options& o, std::ostream& out) {
  auto say = [&](std::string italian, std::string english) {
    return cli::say(o.language, std::move(italian), std::move(english));
  };
  auto days_text = [&](std::int64_t n) {
    return n == 1 ? say("1 giorno", "1 day") : std::to_string(n) + say(" giorni", " days");
  };
  out << o.codes.text() << say(", ditta ", ", company ") << o.company << "\n";
  out << say("Periodo di pianificazione: ", "Planning period: ")
      << (report.planning_start && report.planning_end
              ? report.planning_start->iso() + " - " + report.planning_end->iso()
              : say("nessuno", "none"))
      << "\n";
  if (o.from || o.to)
    out << say("Giorni considerati: ", "Days shown: ") << (o.from ? say("dal ", "from ") + o.from->iso() : "")
        << (o.from && o.to ? " " : "") << (o.to ? say("al ", "to ") + o.to->iso() : "") << "\n";
  out << "\n";
  if (report.days.empty()) {
    out << say("Nessun giorno pianificato.\n", "No day planned.\n");
    return;
  }
  GridView days{
      {}, {say("Data", "Date"), say("Giorno", "Weekday"), say("Ore", "Hours"), say("Min", "Min"), ""}, {}};
  for (const auto& d : report.days)
    days.rows.push_back({Variant(d.day),
                         Variant(planner::weekday_name(planner::iso_weekday(d.day), o.language)),
                         number(d.hours), number(d.minutes),
                         Variant(d.outside_planning ? say("fuori dal periodo", "outside the period") : "")});
  write_grid(days, Format::kTable, out);
  auto totals = [&](const std::string& caption, const std::vector<planner::Subtotal>& list) {
    GridView view{{}, {caption, say("Giorni", "Days"), say("Durata", "Time")}, {}};
    for (const auto& s : list)
      view.rows.push_back({Variant(s.period), number(s.days), Variant(planner::duration_text(s.minutes))});
    out << "\n";
    write_grid(view, Format::kTable, out);
  };
  totals(say("Settimana", "Week"), report.weeks);
  totals(say("Mese", "Month"), report.months);
  out << "\n"
      << say("Totale: ", "Total: ") << days_text(report.total.days) << ", "
      << planner::duration_text(report.total.minutes) << "\n";
  out << say("Fuori dal periodo di pianificazione: ", "Outside the planning period: ");
  if (report.outside.days == 0) {
    out << say("nessun giorno", "no day") << "\n";
    return;
  }
  std::string dates;
  for (const auto& d : report.days)
    if (d.outside_planning) dates += (dates.empty() ? "" : ", ") + d.day.iso();
  out << days_text(report.outside.days) << ", " << planner::duration_text(report.outside.minutes) << " ("
      << dates << ")\n";
}

std::string utc_stamp() {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
  return text;
}

}  // namespace

int run_planner_command(const Options& options, std::ostream& out, std::ostream& err,
                        std::istream* terminal) {
  CliResponder responder(err, options.answer, options.on_error, terminal);
  responder.set_language(options.language);
  auto say = [&](std::string italian, std::string english) {
    return cli::say(options.language, std::move(italian), std::move(english));
  };
  if (!usable_database(options, responder)) return kExitFailure;
  try {
    standin::HostEnvironment env(host_settings(options), responder);
    const auto& c = options.codes;
    const auto row = pick_activity(
        standin::find_activities(env, options.company, c.project, c.node, c.activity), options, responder);
    if (!row) return kExitRefused;
    const auto& a = *row;
    planner::Activity activity{options.company, a.node_id, a.link_id, a.start, a.end};
    auto report = planner::days_report([&](const std::string& sql) { return env.run_query(sql); }, activity,
                                       options.from, options.to);
    if (options.command == "export-ics") {
      // A calendar must hold at least one event: an activity without days gives no file.
      if (report.days.empty()) {
        responder.note(say("nessun giorno pianificato di " + c.text() + ": nessun calendario scritto",
                           "no day planned for " + c.text() + ": no calendar written"));
        return kExitRefused;
      }
      planner::CalendarSubject subject{options.company, a.project, a.node, a.activity, a.description};
      out << planner::days_calendar(report, subject, utc_stamp(), options.language, CALENDATT_VERSION);
    } else if (options.format == Format::kTable) {
      write_table(report, options, out);
    } else {
      write_grid(machine_view(report), options.format, out);
    }
    out.flush();
    return kExitDone;
  } catch (const runtime::Error& e) {
    responder.note(say("errore: ", "failure: ") + engine_text(e.description(), options.language) +
                   say(" (errore ", " (error ") + std::to_string(e.number()) + ")");
  } catch (const std::exception& e) {
    responder.note(say("errore: ", "failure: ") + e.what());
  }
  return kExitFailure;
}

}  // namespace cli
