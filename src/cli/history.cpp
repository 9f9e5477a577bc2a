#include "cli/history.hpp"

#include "cli/cli_responder.hpp"
#include "cli/commands.hpp"
#include "cli/grid_output.hpp"
#include "cli/language.hpp"
#include "database/connection.hpp"
#include "database/file_check.hpp"
#include "database/postgres_connection.hpp"
#include "planner/journal_undo.hpp"
#include "runtime/error.hpp"

namespace cli {
namespace {

GridView actions(database::EngineConnection& c, const Options& o) {
  const planner::ActivityCodes activity{o.codes.project, o.codes.node, o.codes.activity};
  return GridView{{"action", "when", "who", "command", "added", "changed", "deleted"},
                  {say(o.language, "Azione", "Action"), say(o.language, "Quando (UTC)", "When (UTC)"),
                   say(o.language, "Chi", "Who"), say(o.language, "Comando", "Command"),
                   say(o.language, "Aggiunti", "Added"), say(o.language, "Cambiati", "Changed"),
                   say(o.language, "Eliminati", "Deleted")},
                  planner::journal_actions(c, o.company, activity, o.since)};
}

GridView changes(database::EngineConnection& c, const Options& o) {
  auto rows = planner::action_changes(c, o.company, *o.action);
  for (auto& row : rows) {
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
      std::move(rows)};
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
    const std::int64_t pruned = planner::prune_journal(engine, options.company, *options.prune_before);
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

int run_undo(const Options& options, std::ostream& out, std::ostream& err) {
  CliResponder responder(err, options.answer, options.on_error, nullptr);
  responder.set_language(options.language);
  auto said = [&](std::string italian, std::string english) {
    return say(options.language, std::move(italian), std::move(english));
  };
  if (!usable_database(options, responder)) return kExitFailure;
  auto connection = database::open_target(options.db, false);
  auto& c = dynamic_cast<database::EngineConnection&>(*connection);
  const planner::UndoPlan plan = planner::plan_undo(c, options.company, *options.action);
  if (plan.days.empty()) return no_such_action(options, responder);
  // A day that another action changed since is not this action's to put back: nothing is undone.
  if (!plan.conflicts.empty()) {
    // One line a day, with every action that changed it since.
    for (const auto& later : plan.conflicts)
      responder.note(said("il giorno " + later.day + " è stato cambiato dopo, dall'azione ",
                          "the day " + later.day + " was changed since, by action ") +
                     later.actions);
    responder.note(said("nulla annullato", "nothing undone"));
    return kExitRefused;
  }
  GridView view{{"date", "effect", "was_hours", "was_minutes", "hours", "minutes"},
                {said("Data", "Date"), said("Effetto", "Effect"), said("Ore ora", "Hours now"),
                 said("Minuti ora", "Minutes now"), said("Ore dopo", "Hours after"),
                 said("Minuti dopo", "Minutes after")},
                planner::undo_rows(plan, options.language)};
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
  try {
    planner::put_back(c, plan);
  } catch (const runtime::Error& e) {
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
