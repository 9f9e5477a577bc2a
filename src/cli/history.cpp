#include "cli/history.hpp"

#include "cli/cli_responder.hpp"
#include "cli/commands.hpp"
#include "cli/grid_output.hpp"
#include "cli/language.hpp"
#include "database/connection.hpp"
#include "database/file_check.hpp"
#include "database/journal.hpp"
#include "database/postgres_connection.hpp"
#include "runtime/error.hpp"

namespace cli {
namespace {

// The journal's rows of one company: the company a day had after the change, or before it when it went.
constexpr const char* kCompany = "COALESCE(g.A_PD4G_DITTA_CG18, g.B_PD4G_DITTA_CG18) = ?1";

// The links of the activity named by the three codes in the company; the codes are bound values, and
// both engines compare them without regard to trailing blanks.
constexpr const char* kActivity =
    " AND COALESCE(g.A_PD4G_IDLEGAME_PD0H, g.B_PD4G_IDLEGAME_PD0H) IN (SELECT PD0H_IDLEGAME FROM "
    "PD0H_LEGDISBAPROG "
    "INNER JOIN PD0G_DISBAPROG ON PD0G_IDDISBAPROG = PD0H_IDDISBAPROG_PD0G WHERE PD0G_DITTA_CG18 = ?1 AND "
    "PD0G_CODPROG_PD68 = ?2 AND PD0G_CODNODO_PD0C = ?3 AND PD0H_CODATTIVITA_PD0D = ?4)";

std::string upper(const std::string& code) {
  return runtime::rtrim(runtime::upper(code));
}

GridView actions(database::EngineConnection& c, const Options& o) {
  std::vector<database::SqlValue> values{std::int64_t{o.company}};
  std::string where = kCompany;
  if (!o.codes.project.empty()) {
    where += kActivity;
    for (const auto* code : {&o.codes.project, &o.codes.node, &o.codes.activity})
      values.emplace_back(upper(*code));
  }
  if (o.since) {
    values.emplace_back(o.since->iso());
    where += " AND a.AZ_QUANDO >= ?" + std::to_string(values.size());
  }
  auto rows = c.run_bound(
      "SELECT a.AZ_ID, substr(a.AZ_QUANDO, 1, 19), a.AZ_CHI, a.AZ_COMANDO, "
      "SUM(CASE WHEN g.GI_OPERAZIONE = 'I' THEN 1 ELSE 0 END), SUM(CASE WHEN g.GI_OPERAZIONE = 'U' THEN 1 "
      "ELSE 0 "
      "END), SUM(CASE WHEN g.GI_OPERAZIONE = 'D' THEN 1 ELSE 0 END) FROM CALENDATT_AZIONI a INNER JOIN "
      "CALENDATT_GIORNALE g ON g.GI_AZIONE = a.AZ_ID WHERE " +
          where + " GROUP BY a.AZ_ID, a.AZ_QUANDO, a.AZ_CHI, a.AZ_COMANDO ORDER BY a.AZ_ID DESC",
      values);
  return GridView{{"action", "when", "who", "command", "added", "changed", "deleted"},
                  {say(o.language, "Azione", "Action"), say(o.language, "Quando (UTC)", "When (UTC)"),
                   say(o.language, "Chi", "Who"), say(o.language, "Comando", "Command"),
                   say(o.language, "Aggiunti", "Added"), say(o.language, "Cambiati", "Changed"),
                   say(o.language, "Eliminati", "Deleted")},
                  std::move(rows.rows)};
}

GridView changes(database::EngineConnection& c, const Options& o) {
  auto rows = c.run_bound(
      "SELECT g.GI_ID, g.GI_OPERAZIONE, g.GI_IDCALENDARIO, COALESCE(g.A_PD4G_DATAATTIVITA, "
      "g.B_PD4G_DATAATTIVITA), "
      "g.B_PD4G_DURATAORE, g.B_PD4G_DURATAMINUTI, g.A_PD4G_DURATAORE, g.A_PD4G_DURATAMINUTI FROM "
      "CALENDATT_GIORNALE g "
      "WHERE " +
          std::string(kCompany) + " AND g.GI_AZIONE = ?2 ORDER BY g.GI_ID",
      {std::int64_t{o.company}, *o.action});
  for (auto& row : rows.rows) {
    const std::string op = row[1].to_string();
    row[1] = runtime::Variant(op == "I"   ? say(o.language, "aggiunto", "added")
                              : op == "U" ? say(o.language, "cambiato", "changed")
                                          : say(o.language, "eliminato", "deleted"));
  }
  return GridView{
      {"row", "change", "day_id", "date", "was_hours", "was_minutes", "hours", "minutes"},
      {say(o.language, "Riga", "Row"), say(o.language, "Modifica", "Change"),
       say(o.language, "Giorno", "Day"), say(o.language, "Data", "Date"),
       say(o.language, "Ore prima", "Hours before"), say(o.language, "Minuti prima", "Minutes before"),
       say(o.language, "Ore", "Hours"), say(o.language, "Minuti", "Minutes")},
      std::move(rows.rows)};
}

int no_such_action(const Options& o, CliResponder& responder) {
  responder.note(say(o.language, "nessuna azione " + std::to_string(*o.action) + " nella ditta ",
                     "no action " + std::to_string(*o.action) + " in company ") +
                 std::to_string(o.company));
  return kExitRefused;
}

}  // namespace

int run_history(const Options& options, std::ostream& out, std::ostream& err) {
  CliResponder responder(err, options.answer, options.on_error, nullptr);
  responder.set_language(options.language);
  const auto& c = options.codes;
  const int codes = !c.project.empty() + !c.node.empty() + !c.activity.empty();
  if (codes != 0 && codes != 3) {
    responder.note(say(options.language,
                       "history vuole tutti e tre i codici --project, --node e --activity, o nessuno",
                       "history takes all three codes --project, --node and --activity, or none"));
    return kExitUsage;
  }
  if (!usable_database(options, responder)) return kExitFailure;
  auto connection = database::open_target(options.db, false);
  auto& engine = dynamic_cast<database::EngineConnection&>(*connection);
  if (options.prune_before) {
    // Only the journal: the calendar's days stay, and so do the actions that keep any row.
    const std::string before = options.prune_before->iso();
    engine.run_bound(std::string("DELETE FROM CALENDATT_GIORNALE WHERE GI_QUANDO < ?2 AND ") +
                         runtime::replace_all(kCompany, "g.", ""),
                     {std::int64_t{options.company}, before});
    const std::int64_t pruned = connection->RowsAffected();
    engine.run_bound(
        "DELETE FROM CALENDATT_AZIONI WHERE AZ_QUANDO < ?1 AND NOT EXISTS (SELECT 1 FROM CALENDATT_GIORNALE "
        "WHERE "
        "GI_AZIONE = AZ_ID)",
        {before});
    connection->Close();
    out << say(options.language,
               "Tolte " + std::to_string(pruned) + " righe del giornale prima del " + before +
                   "; i giorni del calendario restano.",
               "Removed " + std::to_string(pruned) + " journal rows before " + before +
                   "; the calendar's days stay.")
        << "\n";
    return kExitDone;
  }
  const GridView view = options.action ? changes(engine, options) : actions(engine, options);
  connection->Close();
  if (options.action && view.rows.empty()) return no_such_action(options, responder);
  write_grid(view, options.format, out);
  return kExitDone;
}

namespace {

// What putting one day back does, from the first and last of the action's journal rows for it.
enum class PutBack {
  kRemove,    // the action added it: it goes
  kReinsert,  // the action deleted it: it comes back with its own key
  kRestore,   // the action changed it: its values come back
};

// One day the action changed: what putting it back does, the action's first journal row of it (whose
// "before" columns hold the day as it was), and the day now and as it was.
struct Undone {
  std::int64_t day = 0;
  std::int64_t first = 0;
  PutBack effect = PutBack::kRestore;
  runtime::Variant date, was_hours, was_minutes, hours, minutes;
};

// The days the action changed in the company, by date; a day it added and deleted again is left out:
// there is nothing to put back.
std::vector<Undone> days_of_action(database::EngineConnection& c, const Options& o) {
  auto rows = c.run_bound(
      "SELECT g.GI_IDCALENDARIO, f.GI_ID, f.GI_OPERAZIONE, l.GI_OPERAZIONE, "
      "COALESCE(l.A_PD4G_DATAATTIVITA, f.B_PD4G_DATAATTIVITA), f.B_PD4G_DURATAORE, f.B_PD4G_DURATAMINUTI, "
      "l.A_PD4G_DURATAORE, l.A_PD4G_DURATAMINUTI FROM (SELECT GI_IDCALENDARIO, MIN(GI_ID) AS F, MAX(GI_ID) "
      "AS L FROM CALENDATT_GIORNALE g WHERE " +
          std::string(kCompany) +
          " AND g.GI_AZIONE = ?2 GROUP BY GI_IDCALENDARIO) g INNER JOIN CALENDATT_GIORNALE f ON f.GI_ID = "
          "g.F INNER JOIN CALENDATT_GIORNALE l ON l.GI_ID = g.L ORDER BY 5, 1",
      {std::int64_t{o.company}, *o.action});
  std::vector<Undone> out;
  for (const auto& r : rows.rows) {
    const bool added = r[2].to_string() == "I", gone = r[3].to_string() == "D";
    if (added && gone) continue;
    auto whole = [](const runtime::Variant& v) { return static_cast<std::int64_t>(v.to_double()); };
    out.push_back(Undone{whole(r[0]), whole(r[1]),
                         added  ? PutBack::kRemove
                         : gone ? PutBack::kReinsert
                                : PutBack::kRestore,
                         r[4], r[5], r[6], r[7], r[8]});
  }
  return out;
}

}  // namespace

int run_undo(const Options& options, std::ostream& out, std::ostream& err) {
  CliResponder responder(err, options.answer, options.on_error, nullptr);
  responder.set_language(options.language);
  auto said = [&](std::string italian, std::string english) {
    return say(options.language, std::move(italian), std::move(english));
  };
  if (!usable_database(options, responder)) return kExitFailure;
  auto connection = database::open_target(options.db, false);
  auto& c = dynamic_cast<database::EngineConnection&>(*connection);
  const std::vector<Undone> days = days_of_action(c, options);
  if (days.empty()) return no_such_action(options, responder);
  // A day that another action changed since is not this action's to put back: nothing is undone.
  auto later = c.run_bound(
      "SELECT COALESCE(l.A_PD4G_DATAATTIVITA, l.B_PD4G_DATAATTIVITA), l.GI_AZIONE FROM CALENDATT_GIORNALE g "
      "INNER JOIN CALENDATT_GIORNALE l ON l.GI_IDCALENDARIO = g.GI_IDCALENDARIO AND l.GI_ID > g.GI_ID AND "
      "l.GI_AZIONE <> g.GI_AZIONE WHERE " +
          std::string(kCompany) + " AND g.GI_AZIONE = ?2 GROUP BY 1, 2 ORDER BY 1, 2",
      {std::int64_t{options.company}, *options.action});
  if (!later.rows.empty()) {
    // One line a day, with every action that changed it since.
    for (std::size_t i = 0; i < later.rows.size();) {
      const std::string day = machine_text(later.rows[i][0]);
      std::string by;
      for (; i < later.rows.size() && machine_text(later.rows[i][0]) == day; ++i)
        by += (by.empty() ? "" : ", ") + machine_text(later.rows[i][1]);
      responder.note(said("il giorno " + day + " è stato cambiato dopo, dall'azione ",
                          "the day " + day + " was changed since, by action ") +
                     by);
    }
    responder.note(said("nulla annullato", "nothing undone"));
    return kExitRefused;
  }
  GridView view{{"date", "effect", "was_hours", "was_minutes", "hours", "minutes"},
                {said("Data", "Date"), said("Effetto", "Effect"), said("Ore ora", "Hours now"),
                 said("Minuti ora", "Minutes now"), said("Ore dopo", "Hours after"),
                 said("Minuti dopo", "Minutes after")},
                {}};
  for (const auto& d : days) {
    const bool removed = d.effect == PutBack::kRemove, reinserted = d.effect == PutBack::kReinsert;
    const std::string effect = removed      ? said("tolto", "removed")
                               : reinserted ? said("rimesso", "put back")
                                            : said("ripristinato", "restored");
    const runtime::Variant none = runtime::Variant::null();
    view.rows.push_back({d.date, runtime::Variant(effect), reinserted ? none : d.hours,
                         reinserted ? none : d.minutes, removed ? none : d.was_hours,
                         removed ? none : d.was_minutes});
  }
  write_grid(view, options.format, out);
  if (options.dry_run) {
    responder.note(said("Anteprima: nulla è stato scritto.", "Preview: nothing was written."));
    return kExitDone;
  }
  if (!options.answer || !*options.answer) {
    responder.note(said("nulla annullato: --yes rimette quanto elencato, --dry-run lo mostra soltanto",
                        "nothing undone: --yes puts back what is listed, --dry-run only shows it"));
    return kExitRefused;
  }
  // The undo is an action of its own, so it can be undone; its statements are one change, all or none.
  database::ActionInProgress action("undo " + std::to_string(*options.action));
  const bool server = c.dialect() == database::Dialect::PostgreSQL;
  std::string columns, before;
  for (const auto& col : database::kJournaledColumns) {
    columns += (columns.empty() ? "" : ", ") + col;
    before += (before.empty() ? "" : ", ") + ("B_" + col);
  }
  try {
    c.run_bound(server ? "BEGIN" : "BEGIN IMMEDIATE", {});
    for (const auto& d : days) {
      switch (d.effect) {
        case PutBack::kRemove:
          c.run_bound("DELETE FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = ?1", {d.day});
          break;
        case PutBack::kReinsert:
          c.run_bound("INSERT INTO PD4G_CALENDATT (PD4G_IDCALENDARIO, " + columns +
                          ") SELECT GI_IDCALENDARIO, " + before + " FROM CALENDATT_GIORNALE WHERE GI_ID = ?1",
                      {d.first});
          break;
        case PutBack::kRestore:
          c.run_bound("UPDATE PD4G_CALENDATT SET (" + columns + ") = (SELECT " + before +
                          " FROM CALENDATT_GIORNALE WHERE GI_ID = ?1) WHERE PD4G_IDCALENDARIO = ?2",
                      {d.first, d.day});
          break;
      }
    }
    c.run_bound("COMMIT", {});
  } catch (const runtime::Error& e) {
    runtime::suppressed([&] { c.run_bound("ROLLBACK", {}); });
    responder.note(said("nulla annullato: ", "nothing undone: ") + e.description());
    return kExitFailure;
  }
  connection->Close();
  out << said("Annullata l'azione " + std::to_string(*options.action) + ".",
              "Undid action " + std::to_string(*options.action) + ".")
      << "\n";
  return kExitDone;
}

}  // namespace cli
