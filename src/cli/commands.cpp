#include "cli/commands.hpp"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "cli/activity_choice.hpp"
#include "cli/cli_responder.hpp"
#include "cli/grid_output.hpp"
#include "cli/host_session.hpp"
#include "cli/language.hpp"
#include "cli/preview_output.hpp"
#include "cli/roles.hpp"
#include "database/connection.hpp"
#include "database/file_check.hpp"
#include "database/journal.hpp"
#include "database/postgres_connection.hpp"
#include "database/schema.hpp"
#include "host/controls.hpp"
#include "planner/pattern_runs.hpp"
#include "planner/preview.hpp"
#include "planner/range_runs.hpp"
#include "planner/stored_days.hpp"
#include "planner/write_tally.hpp"
#include "runtime/error.hpp"
#include "standin/headless_controls.hpp"
#include "standin/media.hpp"
#include "standin/person.hpp"

namespace cli {

namespace {

using standin::Person;

enum class Outcome { kDone, kRefused, kFailed };

constexpr const char* kCalendar = "KVO_CALENDARIO";
constexpr const char* kGrid = "GRID_CALENDATT";
constexpr const char* kInsertDialog = "FRMPD_ADDCALENDATT";
constexpr const char* kDeleteDialog = "FRMPD_DELCALENDATT";
// "Sono presenti date in conflitto. Operazione annullata."
constexpr std::int32_t kConflictMessage = 77201;
// "Altre %1 date non saranno eliminate perchè per esse esistono risorse allocate."
constexpr std::int32_t kSparedMessage = 77208;

// What one command needs while it runs.
struct Run {
  const Options& options;
  HostSession& session;
  CliResponder& responder;
  const planner::WriteTally& tally;
  std::ostream& out;
  // The line that tells the person the command was carried out; written only when nothing went wrong
  // on the way, so that the last line and the exit status tell one story.
  std::string success;
  // The WBS row the window was opened for (called mode), when it was.
  std::optional<CalledActivity> called;

  // The run's language for the lines of the command line's own.
  std::string say(std::string italian, std::string english) const {
    return cli::say(options.language, std::move(italian), std::move(english));
  }

  // What did not happen when a run stops: `nothing` when this command wrote nothing so far; otherwise only
  // that it stopped, since the last line of the run tells what was written.
  std::string not_done(std::string italian_nothing, std::string english_nothing) const {
    return tally.rows().any() ? say("interrotto", "stopped")
                              : say(std::move(italian_nothing), std::move(english_nothing));
  }

  // The person gave up: says why and counts as refused.
  Outcome refused(const std::string& reason) {
    responder.note(reason);
    return Outcome::kRefused;
  }
  Outcome gave_up(const Person& person, const std::string& what) {
    return refused(what + ": " + person.reason());
  }
};

std::string upper_code(const std::string& code) {
  return runtime::rtrim(standin::utf8_upper(code));
}

// A window whose loading was aborted lacks what the aborted step was to make (its data, its frame): the
// command stops there instead of meeting the same failure again at every step.
Outcome opened_whole(Run& run) {
  if (!run.responder.aborted()) return Outcome::kDone;
  run.responder.note(run.say("nulla fatto: l'apertura della finestra è stata interrotta",
                             "nothing done: opening the window was aborted"));
  return Outcome::kFailed;
}

// The WBS row the window is to open for, as the calling program hands it over: with --called; and, for
// a command that names an activity, when its codes stand in several rows or --link names one. The
// window's own lookup of such an activity cannot serve: the row chosen there keeps no planning period,
// so no day of it is accepted, and the range dialogs ask again at every check. Nullopt with `refused`
// set when nobody said which row.
std::optional<CalledActivity> called_row(Run& run, bool& refused) {
  const Options& o = run.options;
  if (!o.called && o.command == "list") return std::nullopt;
  auto found = run.session.find_activity(o.codes);
  if (!o.called && found.size() <= 1 && !o.link) return std::nullopt;
  auto chosen = pick_activity(found, o, run.responder);
  refused = !chosen;
  return chosen;
}

// Opens the window, in called mode for the row of called_row.
Outcome open_window(Run& run) {
  bool refused = false;
  run.called = called_row(run, refused);
  if (refused) return Outcome::kRefused;
  if (!run.session.open_window(run.called ? &*run.called : nullptr)) {
    run.responder.note(
        run.say("la finestra del calendario non si è aperta", "the calendar window did not open"));
    return Outcome::kFailed;
  }
  return opened_whole(run);
}

std::string day_of(const Options& o) {
  return o.day ? o.day->iso() : std::string();
}

Outcome list(Run& run) {
  Person person(run.session.window(), run.responder);
  if (run.options.day) person.choose_day(kCalendar, *run.options.day);
  if (run.options.no_day) person.clear_day(kCalendar);
  if (person.gave_up()) return run.gave_up(person, run.say("nessun elenco", "nothing listed"));
  auto grid = run.session.window().grid(kGrid);
  std::vector<std::string> keys;
  for (const auto& column : grid->columns()) keys.push_back(standin::grid_column_key(column.field));
  if (run.options.format == Format::kTable) {
    write_grid(GridView{keys, grid->captions(), grid->shown_values()}, run.options.format, run.out);
  } else {
    RowWriter writer(keys, run.options.format, run.out);
    grid->for_each_shown_row([&](const std::vector<runtime::Variant>& row) { writer.row(row); });
    writer.finish();
  }
  return Outcome::kDone;
}

// The grid row of the activity on the day, as the person finds it by reading the grid; -1 when the
// person gives up.
std::int32_t find_row(Run& run, Person& person) {
  auto grid = run.session.window().grid(kGrid);
  const char* fields[] = {"PD4G_IDDISBAPROG_PD68", "PD4G_IDDISBAPROG_PD0C", "PD4G_IDLEGAME_PD0D",
                          "PD4G_DATAATTIVITA"};
  std::vector<std::size_t> at;
  for (const char* field : fields) {
    const auto& columns = grid->columns();
    std::size_t i = 0;
    while (i < columns.size() && runtime::upper(columns[i].field) != field) ++i;
    if (i == columns.size()) {
      person.give_up(run.say("la griglia non ha la colonna ", "the grid has no column ") + field);
      return -1;
    }
    at.push_back(i);
  }
  const auto& c = run.options.codes;
  const std::string wanted[] = {upper_code(c.project), upper_code(c.node), upper_code(c.activity)};
  std::vector<std::int32_t> matches;
  auto rows = grid->shown_values();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const auto& row = rows[r];
    auto text = [&](std::size_t k) {
      const auto& v = row[at[k]];
      return runtime::is_blank(v) ? std::string() : upper_code(v.to_string());
    };
    const auto& day = row[at[3]];
    bool same_day = day.type() == runtime::VarType::Date && day.to_date() == *run.options.day;
    if (same_day && text(0) == wanted[0] && text(1) == wanted[1] && text(2) == wanted[2])
      matches.push_back(static_cast<std::int32_t>(r));
  }
  if (matches.empty()) {
    person.give_up(run.say("la griglia non mostra il giorno " + day_of(run.options) + " di " + c.text(),
                           "the grid shows no day " + day_of(run.options) + " of " + c.text()));
    return -1;
  }
  if (matches.size() > 1) {
    person.give_up(run.say("la griglia mostra " + std::to_string(matches.size()) + " righe di " + c.text() +
                               " il " + day_of(run.options) + ", che non si distinguono",
                           "the grid shows " + std::to_string(matches.size()) + " rows of " + c.text() +
                               " on " + day_of(run.options) + ", which cannot be told apart"));
    return -1;
  }
  if (!grid->select_row(matches.front())) {
    person.give_up(
        run.say("la riga della griglia non si è potuta selezionare", "the grid row could not be selected"));
    return -1;
  }
  return matches.front();
}

Outcome add_day_steps(Run& run) {
  const Options& o = run.options;
  const std::string nothing = run.say("nulla aggiunto", "nothing added");
  Person person(run.session.window(), run.responder);
  if (!person.choose_day(kCalendar, *o.day)) return run.gave_up(person, nothing);
  auto frame = run.session.frame();
  if (!frame)
    return run.refused(nothing +
                       run.say(": la finestra non ha un frame", ": the window has no record frame"));
  frame->NewRow();
  if (frame->Status() != host::RecordFrame::kStatusNew) {
    person.give_up(
        run.say("il frame non ha iniziato una riga nuova", "the record frame did not start a new row"));
    return run.gave_up(person, nothing);
  }
  if (!person.enter_codes(o.codes) || !person.enter_duration(o.hours, o.minutes))
    return run.gave_up(person, nothing);
  frame->Update();
  if (!run.session.data_changed())
    return run.refused(nothing + run.say(": la riga non è stata salvata", ": the row was not saved"));
  run.success = run.say("Aggiunto il giorno " + o.day->iso() + " di " + o.codes.text() + ".",
                        "Added the day " + o.day->iso() + " of " + o.codes.text() + ".");
  return Outcome::kDone;
}

// "Pianificazione già esistente per la data corrente": the day is there already, and set-day changes it.
Outcome add_day(Run& run) {
  constexpr std::int32_t kDayExists = 77192;
  const Outcome outcome = add_day_steps(run);
  const auto& shown = run.responder.numbers();
  if (outcome != Outcome::kDone && std::count(shown.begin(), shown.end(), kDayExists))
    run.responder.note(run.say(
        "per cambiare la durata di un giorno già pianificato: calendatt set-day con le stesse opzioni",
        "to change the duration of a day already planned: calendatt set-day with the same options"));
  return outcome;
}

Outcome set_day(Run& run) {
  const Options& o = run.options;
  const std::string nothing = run.say("nulla cambiato", "nothing changed");
  Person person(run.session.window(), run.responder);
  if (!person.choose_day(kCalendar, *o.day) || find_row(run, person) < 0 ||
      !person.enter_duration(o.hours, o.minutes))
    return run.gave_up(person, nothing);
  auto frame = run.session.frame();
  if (!frame)
    return run.refused(nothing +
                       run.say(": la finestra non ha un frame", ": the window has no record frame"));
  if (frame->Status() == host::RecordFrame::kStatusStored) {
    run.success =
        run.say("Il giorno " + o.day->iso() + " di " + o.codes.text() + " ha già questa durata.",
                "The day " + o.day->iso() + " of " + o.codes.text() + " already has that duration.");
    return Outcome::kDone;
  }
  frame->Update();
  if (!run.session.data_changed())
    return run.refused(nothing + run.say(": la riga non è stata salvata", ": the row was not saved"));
  run.success = run.say("Cambiato il giorno " + o.day->iso() + " di " + o.codes.text() + ".",
                        "Changed the day " + o.day->iso() + " of " + o.codes.text() + ".");
  return Outcome::kDone;
}

Outcome delete_day(Run& run) {
  const Options& o = run.options;
  const std::string nothing = run.say("nulla eliminato", "nothing deleted");
  Person person(run.session.window(), run.responder);
  if (!person.choose_day(kCalendar, *o.day) || find_row(run, person) < 0) return run.gave_up(person, nothing);
  auto frame = run.session.frame();
  if (!frame)
    return run.refused(nothing +
                       run.say(": la finestra non ha un frame", ": the window has no record frame"));
  frame->DeleteRow();
  if (!run.session.data_changed())
    return run.refused(nothing + run.say(": la riga non è stata eliminata", ": the row was not deleted"));
  run.success = run.say("Eliminato il giorno " + o.day->iso() + " di " + o.codes.text() + ".",
                        "Deleted the day " + o.day->iso() + " of " + o.codes.text() + ".");
  return Outcome::kDone;
}

// What happened in a range dialog while the person worked in it.
struct DialogWork {
  CliResponder* responder = nullptr;
  std::string language;
  bool opened = false;
  std::string reason;  // why the person gave up
};

// Opens a range dialog from the toolbar; the person does `work` in it. The dialog closes itself when
// it did its work; otherwise the person closes it.
Outcome range_dialog(Run& run, const char* button, const char* dialog, const std::string& nothing_it,
                     const std::string& nothing_en, std::function<void(Person&)> work) {
  auto state = std::make_shared<DialogWork>();
  state->responder = &run.responder;
  state->language = run.options.language;
  run.session.forms().script(dialog, [state, work](standin::HeadlessFormSite& site) {
    state->opened = true;
    Person person(site, *state->responder);
    work(person);
    if (!person.gave_up() && !site.closed())
      person.give_up(
          say(state->language, "la finestra di dialogo non ha concluso", "the dialog did not complete"));
    state->reason = person.reason();
  });
  Person person(run.session.window(), run.responder);
  person.click(button);
  const std::string what_not_done = run.not_done(nothing_it, nothing_en);
  // What the host saw go wrong with the dialog itself (it refused to close, an action threw).
  if (!run.session.forms().failures().empty()) {
    for (const auto& failure : run.session.forms().failures()) run.responder.note(failure);
    return Outcome::kFailed;
  }
  if (person.gave_up()) return run.gave_up(person, what_not_done);
  if (!state->opened)
    return run.refused(what_not_done +
                       run.say(": la finestra di dialogo non si è aperta", ": the dialog did not open"));
  // The dialog completed when the person saw it through; the module's flag says data changed at all, which
  // an earlier run of a pattern may already have done.
  if (!state->reason.empty() || !run.session.data_changed())
    return run.refused(what_not_done + ": " +
                       (state->reason.empty()
                            ? run.say("la finestra di dialogo non ha concluso", "the dialog did not complete")
                            : state->reason));
  return Outcome::kDone;
}

// The days of the activity on the dates, as stored now; nullopt when the activity is not one WBS row of
// the company (the dialog then resolves the codes itself and says what it finds) or the file cannot be
// read.
using planner::StoredDays;

// The WBS row the command works on: the one the window was opened for, else the only row of the codes.
std::optional<CalledActivity> activity_row(Run& run) {
  if (run.called) return run.called;
  auto found = run.session.find_activity(run.options.codes);
  return found.size() == 1 ? std::optional<CalledActivity>(found.front()) : std::nullopt;
}

std::optional<StoredDays> range_days(Run& run, const std::vector<runtime::Date>& dates) {
  const Options& o = run.options;
  const auto row = activity_row(run);
  if (!row) return std::nullopt;
  return planner::stored_days(o.db, o.company, row->node_id, row->link_id, dates);
}

std::string date_list(const StoredDays& days) {
  std::string out;
  for (const auto& entry : days) out += (out.empty() ? "" : ", ") + entry.first;
  return out;
}

// With --dry-run, the preview learns the dates of each run of a range dialog and how the run ended
// (planner/preview.hpp).
void preview_begins(Run& run, planner::RunKind kind, const planner::RangeRun& r) {
  planner::Preview* preview = planner::Preview::current();
  if (!preview) return;
  const auto row = activity_row(run);
  if (!row) return;
  preview->begin_run(kind, run.options.company, row->node_id, static_cast<std::int32_t>(row->link_id),
                     r.dates());
}

// A pattern that stopped before some of its runs: the preview lists their dates too, as not written.
void preview_not_started(Run& run, planner::RunKind kind, const std::vector<planner::RangeRun>& runs,
                         std::size_t from) {
  if (!planner::Preview::current()) return;
  for (std::size_t i = from; i < runs.size(); ++i) {
    preview_begins(run, kind, runs[i]);
    planner::Preview::current()->end_run(planner::RunEnd::kGaveUp);
  }
}

void preview_ends(Run& run, Outcome outcome, std::size_t numbers_before) {
  planner::Preview* preview = planner::Preview::current();
  if (!preview) return;
  const auto& numbers = run.responder.numbers();
  bool conflict = std::find(numbers.begin() + static_cast<std::ptrdiff_t>(numbers_before), numbers.end(),
                            kConflictMessage) != numbers.end();
  preview->end_run(outcome == Outcome::kDone ? planner::RunEnd::kDone
                   : conflict                ? planner::RunEnd::kConflict
                                             : planner::RunEnd::kGaveUp);
}

bool is_pattern(const Options& o) {
  return !o.weekdays.empty() || !o.skip_dates_file.empty();
}

// The runs of the dialog that the command asks for: the range as given, or the runs of a pattern.
std::vector<planner::RangeRun> runs_of(const Options& o) {
  if (!is_pattern(o)) return {planner::RangeRun{*o.from, *o.to, std::stoi(o.every)}};
  return planner::plan_runs(*o.from, *o.to, o.weekdays.empty() ? std::stoi(o.every) : 7, o.weekdays,
                            o.skip_dates);
}

using planner::days_on;

// The runs of a pattern in the order to carry them out (planner/pattern_runs.hpp), within the activity's
// planning period.
std::vector<planner::RangeRun> in_order(Run& run, const std::vector<planner::RangeRun>& runs,
                                        const std::optional<StoredDays>& before, bool insertion) {
  const auto row = activity_row(run);
  std::optional<runtime::Date> start, end;
  if (row) start = row->start, end = row->end;
  return insertion ? planner::insertion_order(runs, before, start, end)
                   : planner::deletion_order(runs, before, start, end);
}

// "lun, mer, ven" or "every 7 days", as the pattern was asked for.
std::string pattern_text(const Run& run, std::size_t runs) {
  const Options& o = run.options;
  std::string days;
  for (int w : o.weekdays) days += (days.empty() ? "" : ", ") + planner::weekday_name(w, o.language);
  if (days.empty()) days = run.say("ogni " + o.every + " giorni", "every " + o.every + " days");
  if (!o.skip_dates_file.empty())
    days += run.say(", senza le date di ", ", without the dates of ") + o.skip_dates_file;
  return " (" + days +
         run.say("; " + std::to_string(runs) + " serie)", "; " + std::to_string(runs) + " runs)");
}

// A pattern that stopped after some of its runs were carried out says so: those days stay as written.
void note_runs_done(Run& run, std::size_t done, std::size_t all) {
  if (done == 0) return;
  run.responder.note(
      run.say("la serie " + std::to_string(done + 1) + " di " + std::to_string(all) +
                  " si è fermata; le serie prima di essa (" + std::to_string(done) + ") restano eseguite",
              "run " + std::to_string(done + 1) + " of " + std::to_string(all) +
                  " stopped; the runs before it (" + std::to_string(done) + ") stay carried out"));
}

// One run of the insertion dialog.
Outcome insert_run(Run& run, const planner::RangeRun& r, std::shared_ptr<std::int32_t> treatment,
                   const std::string& conflicts) {
  const Options o = run.options;
  CliResponder* responder = &run.responder;
  preview_begins(run, planner::RunKind::kInsertion, r);
  const std::size_t numbers_before = run.responder.numbers().size();
  Outcome outcome = range_dialog(
      run, "BTN_INSMULTIPLO", kInsertDialog, "nulla pianificato", "nothing planned",
      [o, r, treatment, responder, conflicts](Person& p) {
        const auto existing =
            o.existing ? std::optional<std::int32_t>(static_cast<std::int32_t>(*o.existing)) : std::nullopt;
        if (!standin::fill_insertion_run(p, o.codes, r.from, r.to, r.every, o.hours, o.minutes, existing))
          return;
        *treatment = p.list_index("CBO_VARPRESENTI");
        std::size_t shown = responder->numbers().size();
        p.click("BTN_CONFERMA");
        // The conflict message names no date: the command line names them on a line of its own.
        const auto& numbers = responder->numbers();
        if (!conflicts.empty() && std::find(numbers.begin() + static_cast<std::ptrdiff_t>(shown),
                                            numbers.end(), kConflictMessage) != numbers.end())
          responder->note(conflicts);
      });
  preview_ends(run, outcome, numbers_before);
  return outcome;
}

// Plans the range, or the runs of a pattern one after the other; a run that does not complete stops the
// rest.
Outcome add_range(Run& run) {
  const Options o = run.options;
  auto runs = runs_of(o);
  if (runs.empty())
    return run.refused(run.say("nulla pianificato: nessuna data dell'intervallo resta da pianificare",
                               "nothing planned: no date of the range is left to plan"));
  // The days there already: to name those in conflict when the run may stop on them, and to take first
  // the runs of a pattern that a rule may refuse. A run that skips or overwrites them needs neither.
  const bool may_stop = !o.existing || *o.existing == Existing::kStop;
  const auto before =
      may_stop || is_pattern(o) ? range_days(run, planner::run_dates(runs)) : std::optional<StoredDays>();
  if (is_pattern(o)) runs = in_order(run, runs, before, true);
  // The treatment of the dates that already exist, as the list shows it when the person confirms.
  auto treatment = std::make_shared<std::int32_t>(-1);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto conflicting = before ? days_on(*before, runs[i]) : StoredDays{};
    const std::string conflicts =
        conflicting.empty()
            ? std::string()
            : run.say("date in conflitto: " + date_list(conflicting) +
                          " (--existing skip pianifica le altre date, --existing overwrite le sovrascrive)",
                      "conflicting dates: " + date_list(conflicting) +
                          " (--existing skip plans the other dates, --existing overwrite replaces these)");
    Outcome outcome = insert_run(run, runs[i], treatment, conflicts);
    if (outcome != Outcome::kDone) {
      note_runs_done(run, i, runs.size());
      preview_not_started(run, planner::RunKind::kInsertion, runs, i + 1);
      return outcome;
    }
  }
  // What this run's own statements wrote; every other date of the runs was left as it was.
  const planner::WrittenRows& w = run.tally.rows();
  const std::int64_t dates = static_cast<std::int64_t>(planner::run_dates(runs).size());
  const std::int64_t skipped = std::max<std::int64_t>(0, dates - w.added - w.changed);
  const std::string counts = run.say(": aggiunti " + std::to_string(w.added) + ", sovrascritti " +
                                         std::to_string(w.changed) + ", saltati " + std::to_string(skipped),
                                     ": " + std::to_string(w.added) + " added, " + std::to_string(w.changed) +
                                         " overwritten, " + std::to_string(skipped) + " skipped");
  const std::string pattern = is_pattern(o) ? pattern_text(run, runs.size()) : std::string();
  run.success = run.say("Pianificati i giorni di " + o.codes.text() + " dal " + o.from->iso() + " al " +
                            o.to->iso() + pattern + counts + ".",
                        "Planned the days of " + o.codes.text() + " from " + o.from->iso() + " to " +
                            o.to->iso() + pattern + counts + ".");
  return Outcome::kDone;
}

// One run of the deletion dialog; `spared` grows by the days its question said it would spare, once it
// deleted.
Outcome delete_run(Run& run, const planner::RangeRun& r, std::int64_t& spared) {
  const Options o = run.options;
  preview_begins(run, planner::RunKind::kDeletion, r);
  const std::size_t numbers_before = run.responder.numbers().size();
  Outcome outcome = range_dialog(run, "BTN_CANCMULTIPLA", kDeleteDialog, "nulla eliminato", "nothing deleted",
                                 [o, r](Person& p) {
                                   if (!standin::fill_deletion_run(p, o.codes, r.from, r.to, r.every)) return;
                                   p.click("BTN_CONFERMA");
                                 });
  preview_ends(run, outcome, numbers_before);
  auto told = run.responder.take_translated(kSparedMessage);
  if (outcome == Outcome::kDone && told && !told->empty()) spared += told->front().to_long();
  return outcome;
}

// Deletes the days of the range, or of the runs of a pattern one after the other. In a pattern, a run on
// whose dates no day is stored is left out (the dialog would only say that it finds nothing to delete),
// unless no run has one.
Outcome delete_range(Run& run) {
  const Options o = run.options;
  auto runs = runs_of(o);
  if (runs.empty())
    return run.refused(run.say("nulla eliminato: nessuna data dell'intervallo resta da eliminare",
                               "nothing deleted: no date of the range is left to delete"));
  // The days there already, for a pattern: its runs without a day are left out.
  const auto before = is_pattern(o) ? range_days(run, planner::run_dates(runs)) : std::optional<StoredDays>();
  if (is_pattern(o) && before) runs = in_order(run, runs, before, false);
  std::int64_t spared = 0;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    Outcome outcome = delete_run(run, runs[i], spared);
    if (outcome != Outcome::kDone) {
      note_runs_done(run, i, runs.size());
      preview_not_started(run, planner::RunKind::kDeletion, runs, i + 1);
      return outcome;
    }
  }
  // The rows this run's own statement deleted, and the days its question said it spares.
  const std::int64_t deleted = run.tally.rows().deleted;
  const std::string counts = run.say(": eliminati " + std::to_string(deleted) + ", risparmiati " +
                                         std::to_string(spared) + " (con risorse allocate)",
                                     ": " + std::to_string(deleted) + " deleted, " + std::to_string(spared) +
                                         " spared (resources allocated)");
  const std::string pattern = is_pattern(o) ? pattern_text(run, runs.size()) : std::string();
  run.success = run.say("Eliminati i giorni di " + o.codes.text() + " dal " + o.from->iso() + " al " +
                            o.to->iso() + pattern + counts + ".",
                        "Deleted the days of " + o.codes.text() + " from " + o.from->iso() + " to " +
                            o.to->iso() + pattern + counts + ".");
  return Outcome::kDone;
}

Outcome dispatch(Run& run) {
  const std::string& c = run.options.command;
  if (c == "list") return list(run);
  if (c == "add-day") return add_day(run);
  if (c == "set-day") return set_day(run);
  if (c == "delete-day") return delete_day(run);
  if (c == "add-range") return add_range(run);
  if (c == "delete-range") return delete_range(run);
  run.responder.note(run.say("comando sconosciuto ", "unknown command ") + c);
  return Outcome::kFailed;
}

// The host's words for the person's action, as the journal keeps them: the command and what it was asked
// to do.
std::string action_words(const Options& o) {
  std::string words = o.command + " " + o.codes.text();
  if (o.day) words += " " + o.day->iso();
  if (o.from && o.to) words += " " + o.from->iso() + ".." + o.to->iso();
  if (!o.weekdays.empty()) {
    words += " ";
    for (std::size_t i = 0; i < o.weekdays.size(); ++i)
      words += (i ? "," : "") + planner::weekday_name(o.weekdays[i], "en");
  } else if (o.command == "add-range" || o.command == "delete-range") {
    words += " every " + o.every;
  }
  if (!o.hours.empty())
    words +=
        " " + o.hours + ":" + std::string(o.minutes.size() < 2 ? 2 - o.minutes.size() : 0, '0') + o.minutes;
  if (o.existing) {
    static const char* const names[] = {"stop", "skip", "overwrite"};
    words += std::string(", ") + names[static_cast<int>(*o.existing)];
  }
  return words;
}

}  // namespace

std::optional<database::FileCheck> usable_database(const Options& options, CliResponder& responder) {
  database::FileCheck check;
  if (!database::is_postgres_target(options.db)) {
    check = database::check_calendar_file(options.db);
    if (check.state != database::FileState::kCalendar) {
      responder.note(database::describe(check, options.language));
      return std::nullopt;
    }
  } else if (std::string problem = server_schema_problem(options); !problem.empty()) {
    responder.note(problem);
    return std::nullopt;
  }
  return check;
}

std::string server_schema_problem(const Options& options) {
  // One connection answers both: the schema's version, then what the role may do with the company. A
  // server that cannot be asked is left to the command, which says what is wrong.
  try {
    auto connection = database::open_target(options.db, false);
    const int version = database::schema_version(*connection);
    if (version != database::kSchemaVersion)
      return database::describe_version(version, database::describe_target(options.db), options.language);
    return company_refusal(options, dynamic_cast<database::EngineConnection&>(*connection));
  } catch (const runtime::Error&) {
    return {};
  }
}

int run_window_command(const Options& options, std::ostream& out, std::ostream& err, std::istream* terminal) {
  // A preview never waits for a person: it answers the deletion question itself (yes, since nothing is
  // kept; --no previews the declined path), so it holds the database only while its statements run.
  CliResponder responder(err, options.answer, options.on_error, options.dry_run ? nullptr : terminal);
  if (options.dry_run) responder.set_preview();
  responder.set_language(options.language);
  auto say = [&](std::string italian, std::string english) {
    return cli::say(options.language, std::move(italian), std::move(english));
  };
  const auto usable = usable_database(options, responder);
  if (!usable) return kExitFailure;
  const database::FileCheck& check = *usable;
  if (check.read_only && options.command != "list") {
    responder.note(say("il database " + options.db +
                           " qui è di sola lettura: nulla può essere cambiato (list e contents funzionano)",
                       "the database " + options.db +
                           " is read-only here: nothing can be changed (list and contents still work)"));
    return kExitFailure;
  }
  // A command that writes is one action of the person, for the journal; a preview keeps nothing.
  std::optional<database::ActionInProgress> action;
  if (options.command != "list" && !options.dry_run) action.emplace(action_words(options));
  // --dry-run: the whole command is rehearsed, and rolled back once the window has closed.
  std::optional<planner::Preview> preview;
  if (options.dry_run) preview.emplace(options.db);
  planner::WriteTally tally;
  Outcome outcome = Outcome::kFailed;
  std::string success;
  try {
    HostSession session(options, responder);
    Run run{options, session, responder, tally, out, {}, {}};
    outcome = open_window(run);
    if (outcome == Outcome::kDone) outcome = dispatch(run);
    success = run.success;
    if (!session.close_window())
      responder.note(say("la finestra del calendario non si è chiusa", "the calendar window did not close"));
  } catch (const runtime::Error& e) {
    responder.note(say("errore: ", "failure: ") + engine_text(e.description(), options.language) +
                   say(" (errore ", " (error ") + std::to_string(e.number()) + ")");
    outcome = Outcome::kFailed;
  } catch (const std::exception& e) {
    responder.note(say("errore: ", "failure: ") + e.what());
    outcome = Outcome::kFailed;
  }
  if (preview) {
    preview->finish();
    // A table without a run (nothing got as far as a dialog) would only be its captions.
    if (preview->any_run() || options.format != Format::kTable)
      write_preview(*preview, options, out, responder);
    // Instead of what the real run would have said: nothing of it was written.
    const std::string nothing = say("Anteprima: nulla è stato scritto.", "Preview: nothing was written.");
    success = options.format == Format::kTable ? nothing : std::string();
    if (!success.empty() && !preview->any_run()) success.clear();
    if (options.format != Format::kTable) responder.note(nothing);
  }
  out.flush();
  // A run that did not complete ends with what its own statements wrote before it stopped: those days
  // stay written. A preview kept nothing, and its list says what it did.
  const std::string written =
      preview ? std::string()
              : planner::written_words(tally.rows(), options.language, options.command == "add-range");
  const bool completed = outcome == Outcome::kDone && !responder.unanswered();
  if (int shown = responder.reports_shown(); shown > 0) {
    responder.note(shown == 1
                       ? say("è stata mostrata 1 segnalazione d'errore: il comando non è stato eseguito "
                             "come richiesto",
                             "1 error report was shown: the command did not complete as asked")
                       : say("sono state mostrate " + std::to_string(shown) +
                                 " segnalazioni d'errore: il comando non è stato eseguito come richiesto",
                             std::to_string(shown) +
                                 " error reports were shown: the command did not complete as asked"));
    // What the run's own statements wrote stays written: the last line says so.
    if (!written.empty())
      responder.note(completed
                         ? say("scritto nonostante gli errori: ", "written despite the errors: ") + written
                         : say("fermato dopo un errore: " + written + " prima di esso, nulla dopo",
                               "stopped after an error: " + written + " before it, nothing after"));
    return kExitFailure;
  }
  if (!completed && !written.empty())
    responder.note(say("fermato: " + written + " prima, nulla dopo",
                       "stopped: " + written + " before it, nothing after"));
  if (outcome == Outcome::kFailed || responder.unanswered()) return kExitFailure;
  if (outcome != Outcome::kDone) return kExitRefused;
  if (!success.empty()) out << success << "\n";
  return kExitDone;
}

}  // namespace cli
