#include "cli/contents.hpp"

#include <map>
#include <tuple>

#include "cli/grid_output.hpp"
#include "cli/language.hpp"
#include "database/connection.hpp"
#include "database/file_check.hpp"
#include "database/postgres_connection.hpp"
#include "host/database.hpp"

namespace cli {

namespace {

using runtime::Variant;

// Every link of every company with its codes, their descriptions from the host's master tables, and the
// planned and forecast periods as stored.
constexpr const char* kActivities =
    "SELECT PD0G_DITTA_CG18 AS C0, RTRIM(PD0G_CODPROG_PD68) AS C1, PD68_DESCRIZIONE AS C2, "
    "RTRIM(PD0G_CODNODO_PD0C) AS C3, PD0C_DESCRIZIONE AS C4, RTRIM(PD0H_CODATTIVITA_PD0D) AS C5, "
    "PD0D_DESCRIZIONE AS C6, PD0H_IDLEGAME AS C7, PD0H_DATAINIZPIAN AS C8, PD0H_DATAFINPIAN AS C9, "
    "PD0H_DATAINIZPREV AS C10, PD0H_DATAFINPREV AS C11 "
    "FROM PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG ON PD0H_IDDISBAPROG_PD0G = PD0G_IDDISBAPROG "
    "LEFT JOIN PD68_PROGETTI ON PD68_DITTA_CG18 = PD0G_DITTA_CG18 "
    "AND RTRIM(PD68_CODPROG) = RTRIM(PD0G_CODPROG_PD68) "
    "LEFT JOIN PD0C_NODI ON PD0C_DITTA_CG18 = PD0G_DITTA_CG18 AND RTRIM(PD0C_CODNODO) = "
    "RTRIM(PD0G_CODNODO_PD0C) "
    "LEFT JOIN PD0D_ATTIVITA ON PD0D_DITTA_CG18 = PD0G_DITTA_CG18 "
    "AND RTRIM(PD0D_CODATTIVITA) = RTRIM(PD0H_CODATTIVITA_PD0D) ORDER BY 1, 2, 4, 6, 8";

// Every calendar day with the codes of its link (none for a day whose link is gone) and the number of
// its allocated resources.
constexpr const char* kDays =
    "SELECT PD4G_DITTA_CG18 AS C0, RTRIM(PD0G_CODPROG_PD68) AS C1, RTRIM(PD0G_CODNODO_PD0C) AS C2, "
    "RTRIM(PD0H_CODATTIVITA_PD0D) AS C3, PD4G_IDLEGAME_PD0H AS C4, PD4G_DATAATTIVITA AS C5, "
    "PD4G_DURATAORE AS C6, PD4G_DURATAMINUTI AS C7, "
    "(SELECT COUNT(*) FROM PD4H_ALLRISPROG WHERE PD4H_IDCALENDARIO_PD4G = PD4G_IDCALENDARIO) AS C8 "
    "FROM PD4G_CALENDATT LEFT JOIN PD0H_LEGDISBAPROG ON PD0H_IDLEGAME = PD4G_IDLEGAME_PD0H "
    "LEFT JOIN PD0G_DISBAPROG ON PD0G_IDDISBAPROG = PD4G_IDDISBAPROG_PD0G ORDER BY 1, 2, 3, 4, 5, 6";

std::vector<std::vector<Variant>> rows_of(host::Connection& connection, const char* sql) {
  auto rs = connection.Execute(sql, host::kAdCmdText);
  const auto names = rs->FieldNames();
  std::vector<std::vector<Variant>> rows;
  for (; !rs->Eof(); rs->MoveNext()) {
    rows.emplace_back();
    for (const auto& name : names) rows.back().push_back(rs->Field(name));
  }
  rs->Close();
  return rows;
}

// "start - end" of a stored period; empty when neither date is set.
Variant period(const Variant& start, const Variant& end) {
  if (runtime::is_blank(start) && runtime::is_blank(end)) return Variant();
  auto text = [](const Variant& v) { return runtime::is_blank(v) ? std::string("?") : machine_text(v); };
  return Variant(text(start) + " - " + text(end));
}

}  // namespace

int run_contents(const Options& o, std::ostream& out, std::ostream& err) {
  auto say = [&](std::string italian, std::string english) {
    return cli::say(o.language, std::move(italian), std::move(english));
  };
  if (!database::is_postgres_target(o.db)) {
    const auto check = database::check_calendar_file(o.db);
    if (check.state != database::FileState::kCalendar) {
      err << "calendatt: " << database::describe(check, o.language) << "\n";
      return kExitFailure;
    }
  }
  auto connection = database::open_target(o.db, false);
  const auto activities = rows_of(*connection, kActivities);
  const auto days = rows_of(*connection, kDays);
  connection->Close();

  if (o.format != Format::kTable) {
    // One list for scripts: a row per activity, then a row per day, each key in every row.
    GridView all;
    all.keys = {"row",          "company",
                "project",      "project_description",
                "node",         "node_description",
                "activity",     "activity_description",
                "link",         "planned_start",
                "planned_end",  "forecast_start",
                "forecast_end", "day",
                "hours",        "minutes",
                "resources"};
    all.captions = all.keys;
    for (const auto& a : activities) {
      all.rows.push_back({Variant("activity")});
      all.rows.back().insert(all.rows.back().end(), a.begin(), a.end());
      all.rows.back().resize(all.keys.size());
    }
    for (const auto& d : days)
      all.rows.push_back({Variant("day"), d[0], d[1], Variant(), d[2], Variant(), d[3], Variant(), d[4],
                          Variant(), Variant(), Variant(), Variant(), d[5], d[6], d[7], d[8]});
    write_grid(all, o.format, out);
    return kExitDone;
  }

  // The link is shown where it tells rows apart: an activity code that stands in several rows of a node.
  std::map<std::tuple<std::string, std::string, std::string, std::string>, int> rows_of_codes;
  auto codes = [](const Variant& company, const Variant& p, const Variant& n, const Variant& a) {
    return std::tuple{machine_text(company), machine_text(p), machine_text(n), machine_text(a)};
  };
  for (const auto& a : activities) ++rows_of_codes[codes(a[0], a[1], a[3], a[5])];
  auto link_if_needed = [&](const Variant& company, const Variant& p, const Variant& n, const Variant& a,
                            const Variant& link) {
    return rows_of_codes[codes(company, p, n, a)] > 1 || runtime::is_blank(p) ? link : Variant();
  };

  GridView table{{},
                 {say("Ditta", "Company"), say("Progetto", "Project"), say("Descrizione", "Description"),
                  say("Nodo", "Node"), say("Descrizione", "Description"), say("Attività", "Activity"),
                  say("Descrizione", "Description"), "--link", say("Pianificata", "Planned"),
                  say("Prevista", "Forecast")},
                 {}};
  for (const auto& a : activities)
    table.rows.push_back({a[0], a[1], a[2], a[3], a[4], a[5], a[6],
                          link_if_needed(a[0], a[1], a[3], a[5], a[7]), period(a[8], a[9]),
                          period(a[10], a[11])});
  out << say("Attività WBS (", "WBS activities (") << activities.size() << ")\n";
  write_grid(table, Format::kTable, out);

  table = GridView{
      {},
      {say("Ditta", "Company"), say("Progetto", "Project"), say("Nodo", "Node"), say("Attività", "Activity"),
       "--link", say("Data", "Date"), say("Ore", "Hours"), say("Min", "Min"), say("Risorse", "Resources")},
      {}};
  for (const auto& d : days)
    table.rows.push_back(
        {d[0], d[1], d[2], d[3], link_if_needed(d[0], d[1], d[2], d[3], d[4]), d[5], d[6], d[7], d[8]});
  out << "\n" << say("Giorni del calendario (", "Calendar days (") << days.size() << ")\n";
  write_grid(table, Format::kTable, out);
  return kExitDone;
}

}  // namespace cli
