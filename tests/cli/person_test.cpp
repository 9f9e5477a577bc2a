// The command line as a person meets it: one language per run, a prompt in the question's language, help.
#include <cstdlib>
#include <fstream>
#include <regex>

#include "cli/cli_runner.hpp"
#include "database/demo.hpp"

namespace cli::testing {
namespace {

using database::demo::kLinkPlanned;

std::vector<std::string> own_lines(const CliResult& r) {
  std::vector<std::string> lines;
  for (const auto& l : r.err)
    if (l.rfind("calendatt: ", 0) == 0) lines.push_back(l);
  return lines;
}

std::vector<std::string> in(const std::string& language, std::vector<std::string> args) {
  args.insert(args.end(), {"--lang", language});
  return args;
}

// ---- One language at a time

class CliLanguage : public calendatt::testing::OnEngine<CliScenario, calendatt::testing::Engine::SQLite> {};

// Every line of the command line's own, the field's caption inside it and the calendar's message.
TEST_F(CliLanguage, EveryLineOfARunSpeaksItsLanguage) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> lines_it, lines_en;  // lines of our own
  };
  const std::vector<Case> cases = {
      {words("add-day --project PRJ001 --node N01 --activity ATT99 --day 2026-03-11 --hours 8"),
       1,
       {"calendatt: nulla aggiunto: il campo \"Codice Attività\" non è stato accettato"},
       {"calendatt: nothing added: the field \"Activity Code\" was not accepted"}},
      {att01("add-day --day 2026-03-02 --hours 7"),
       1,
       {"calendatt: nulla aggiunto: il campo \"Codice Attività\" non è stato accettato",
        "calendatt: per cambiare la durata di un giorno già pianificato: calendatt set-day con le stesse "
        "opzioni"},
       {"calendatt: nothing added: the field \"Activity Code\" was not accepted",
        "calendatt: to change the duration of a day already planned: calendatt set-day with the same "
        "options"}},
      {with({"list", "--called"}, words("--project PRJ001 --node N01 --activity ATT06")),
       1,
       {"calendatt: l'attività PRJ001 / N01 / ATT06 sta in 2 righe della WBS:",
        "calendatt:   1) --link 1006, periodo 2026-04-01 - 2026-04-30",
        "calendatt:   2) --link 1007, periodo 2026-04-01 - 2026-04-30",
        "calendatt: indicare quale con --link ID"},
       {"calendatt: the activity PRJ001 / N01 / ATT06 stands in 2 WBS rows:",
        "calendatt:   1) --link 1006, period 2026-04-01 - 2026-04-30",
        "calendatt:   2) --link 1007, period 2026-04-01 - 2026-04-30",
        "calendatt: say which one with --link ID"}},
      {att01("delete-range --from 2026-03-01 --to 2026-03-06 --every 1 --no"),
       1,
       {"calendatt: risposto No (--no)",
        "calendatt: nulla eliminato: la finestra di dialogo non ha concluso"},
       {"calendatt: answered No (--no)", "calendatt: nothing deleted: the dialog did not complete"}},
  };
  for (const auto& c : cases) {
    auto italian = run(in("it", c.args));
    auto english = run(in("en", c.args));
    EXPECT_EQ(own_lines(italian), c.lines_it) << italian.all_err();
    EXPECT_EQ(own_lines(english), c.lines_en) << english.all_err();
    EXPECT_TRUE(italian.out.empty() && english.out.empty()) << c.args.front();
    EXPECT_EQ(italian.status, c.status) << c.args.front();
    EXPECT_EQ(english.status, c.status) << c.args.front();
  }
  // Success lines and the calendar's own messages follow too.
  EXPECT_EQ(run(in("en", att01("delete-day --day 2026-03-03"))).out,
            "Deleted the day 2026-03-03 of PRJ001 / N01 / ATT01.\n");
  EXPECT_TRUE(run(in("en", att01("add-day --day 2026-03-02 --hours 7")))
                  .has_line("[77192] Planning already exists for the current date"));
  // The host's date form handed to the calendar's messages: ISO in English, day first in Italian.
  EXPECT_TRUE(run(in("en", att01("add-day --called --day 2026-04-02 --hours 1")))
                  .has_line("[77195] Dates later than 2026-03-31 are not allowed"));
  EXPECT_TRUE(run(in("it", att01("add-day --called --day 2026-04-02 --hours 1")))
                  .has_line("[77195] Non sono ammesse date superiori al 31/03/2026"));
}

// An activity code on two WBS rows of its node: a command lists the rows, each with the --link that picks
// it, and does nothing; with --link, or the row's number at a terminal, it works on that row alone.
TEST_F(CliLanguage, AnActivityCodeOnTwoRowsIsWorkedOnTheRowPicked) {
  const auto att06 = words("--project PRJ001 --node N01 --activity ATT06");
  for (const auto& command :
       {words("add-day --day 2026-04-02 --hours 3"),
        words("add-range --from 2026-04-08 --to 2026-04-09 --every 1 --hours 2 --dry-run"),
        words("add-range --from 2026-04-06 --to 2026-04-07 --every 1 --hours 2"), words("days"),
        words("export-ics"), words("list --called --day 2026-04-06")}) {
    auto listed = run(in("en", with(command, att06)));
    EXPECT_EQ(listed.status, 1) << listed.all_err();
    EXPECT_TRUE(listed.out.empty()) << listed.out;
    EXPECT_TRUE(listed.has_line("calendatt:   2) --link 1007, period 2026-04-01 - 2026-04-30"))
        << listed.all_err();
    auto picked = run(with(with(command, att06), {"--link", "1007"}));
    EXPECT_EQ(picked.status, 0) << command.front() << "\n" << picked.all_err();
    EXPECT_NE(picked.out.find("2026-04-0"), std::string::npos) << command.front() << "\n" << picked.out;
  }
  // The same day on both rows: set-day changes the one of --link, delete-day deletes the one picked at the
  // terminal; a --link that is no row of the codes is refused.
  ASSERT_EQ(run(with(words("add-day --day 2026-04-02 --hours 4 --link 1006"), att06)).status, 0);
  EXPECT_EQ(run(with(words("set-day --day 2026-04-02 --hours 5 --link 1007"), att06)).status, 0);
  auto deleted = run_on_terminal(with(words("delete-day --day 2026-04-06 --db " + db_->target()), att06),
                                 "Quale (1-2, Invio: nessuna)? ", {"2"});
  EXPECT_EQ(deleted.status, 0) << deleted.out;
  EXPECT_EQ(run(with(words("delete-day --day 2026-04-02 --link 1008"), att06)).status, 1);
  auto dates = [&](int link) {
    std::vector<std::string> out;
    for (const auto& d : days_of(link)) out.push_back(d.substr(0, d.find(" (")));
    return out;
  };
  EXPECT_EQ(dates(database::demo::kLinkTwiceA), std::vector<std::string>{"2026-04-02 4:0"});
  EXPECT_EQ(dates(database::demo::kLinkTwiceB),
            (std::vector<std::string>{"2026-04-02 5:0", "2026-04-07 2:0"}));
}

TEST_F(CliLanguage, FileChecksInitAndContentsFollowTheLanguage) {
  const std::string dir = db_->dir().string(), missing = dir + "/missing.db", fresh = dir + "/fresh.db";
  auto it = run_program({"list", "--db", missing}, dir);
  auto en = run_program({"list", "--db", missing, "--lang", "en"}, dir);
  EXPECT_EQ(it.err, std::vector<std::string>{"calendatt: nessun database in " + missing +
                                             " (lo crea: calendatt init --db " + missing + " --demo)"});
  EXPECT_EQ(en.err,
            std::vector<std::string>{"calendatt: no database at " + missing +
                                     " (create it with: calendatt init --db " + missing + " --demo)"});
  auto created = run_program({"init", "--db", fresh, "--demo", "--lang", "en"}, dir);
  EXPECT_EQ(created.status, 0) << created.all_err();
  EXPECT_EQ(created.out, "Created " + fresh + "\nDemo data written, around 2026-03-02.\n");

  // contents: codes and descriptions under captions of the language, the link only where it tells rows
  // apart; the same rows for scripts under keys that never change.
  for (const auto& [language, lines] :
       {std::pair{"it", std::vector<std::string>{"Attività WBS (11)", "Giorni del calendario (9)"}},
        std::pair{"en", std::vector<std::string>{"WBS activities (11)", "Calendar days (9)"}}}) {
    const auto out = split_lines(run({"contents", "--lang", language}).out);
    EXPECT_EQ(out.at(0), lines[0]);
    EXPECT_NE(std::find(out.begin(), out.end(), lines[1]), out.end());
    EXPECT_TRUE(
        std::regex_search(run({"contents", "--lang", language}).out,
                          std::regex("\n1 +PRJ001 +Ampliamento stabilimento +N01 +Progettazione +ATT06 +"
                                     "Verifica strutturale +1007 +2026-04-01 - 2026-04-30\n")));
    EXPECT_TRUE(std::regex_search(run({"contents", "--lang", language}).out,
                                  std::regex("\n1 +PRJ001 +N01 +ATT01 +2026-03-02 +8 +0 +0\n")));
  }
  const auto csv = split_lines(run({"contents", "--format", "csv", "--lang", "en"}).out);
  EXPECT_EQ(
      csv.at(0),
      "row,company,project,project_description,node,node_description,activity,activity_description,link,"
      "planned_start,planned_end,forecast_start,forecast_end,day,hours,minutes,resources");
  EXPECT_NE(std::find(csv.begin(), csv.end(), "day,1,PRJ001,,N01,,ATT01,,1001,,,,,2026-03-02,8,0,0"),
            csv.end());
}

// ---- The prompt and the help

// Enter presses the default button, as in the box; the end of input is no answer, and nothing is written.
TEST_F(CliLanguage, ThePromptTakesTheAnswersOfItsLanguage) {
  struct Case {
    std::string language;
    std::vector<std::string> answers;
    int status;
    std::size_t days_left;  // of the six the demo plans in the week
    std::string line;       // a line of the run ("" for none)
  };
  const std::vector<Case> cases = {
      // "si" is not English: the prompt comes again, and No answers it.
      {"en", {"si", "no"}, 1, 6, "Yes/No (Enter: Yes)? si\r\ncalendatt: Yes/No (Enter: Yes)? "},
      {"en", {""}, 0, 3, "[0] Continue?"},
      {"it", {"SI"}, 0, 3, ""},
      {"it", {"y"}, 0, 3, ""},
      // Ctrl+D at the start of a line ends the terminal's input.
      {"en", {"\x04"}, 3, 6, "calendatt: no answer given (answered No)"},
  };
  for (const auto& c : cases) {
    raw_.reset();
    std::filesystem::remove(db_->target());
    ASSERT_EQ(run_program({"init", "--db", db_->target(), "--demo"}, db_->dir().string()).status, 0);
    raw_ = db_->raw();
    auto r = run_on_terminal(
        with(att01("delete-range --from 2026-03-01 --to 2026-03-06 --every 1 --lang " + c.language),
             {"--db", db_->target()}),
        c.language == "it" ? "Sì/No (Invio: Sì)? " : "Yes/No (Enter: Yes)? ", c.answers);
    EXPECT_EQ(r.status, c.status) << c.answers.front() << "\n" << r.out;
    EXPECT_EQ(days_of(kLinkPlanned).size(), c.days_left) << c.answers.front();
    EXPECT_EQ(r.out.find("terminal"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(c.line), std::string::npos) << r.out;
  }
}

// Each command's help: its own options first, then two examples, then the common options.
TEST_F(CliLanguage, ACommandsHelpShowsItsOwnOptionsFirstAndTwoExamplesInEitherLanguage) {
  for (const std::string& command :
       words("init contents list add-day set-day delete-day add-range delete-range days export-ics")) {
    auto r = run({command, "--help", "--lang", "en"});
    EXPECT_EQ(r.status, 0);
    const std::string& out = r.out;
    EXPECT_EQ(out.rfind("Usage: calendatt " + command, 0), 0u) << out;
    const auto options = out.find("\nOptions:\n"), examples = out.find("\nExamples:\n");
    EXPECT_LT(options, examples) << out;
    EXPECT_LT(examples, std::min(out.find("Common options:"), out.size())) << out;
    std::size_t shown = 0;
    for (const auto& line : split_lines(out.substr(examples)))
      shown += line == "  calendatt " + command || line.rfind("  calendatt " + command + " ", 0) == 0;
    EXPECT_EQ(shown, 2u) << out;
    // The demo's days lie around the day it was written: no example names a fixed day, and every help
    // says that --db may name a server.
    EXPECT_FALSE(std::regex_search(out, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}"))) << out;
    EXPECT_NE(out.find("a PostgreSQL server"), std::string::npos) << command;

    const std::string italian = run({command, "--help"}).out;
    EXPECT_EQ(italian.rfind("Uso: calendatt " + command, 0), 0u) << italian;
    EXPECT_NE(italian.find("\nEsempi:\n  calendatt " + command), std::string::npos) << italian;
    // No line of the English help but the synopsis, the options' names and the examples is in the Italian.
    for (const auto& line : split_lines(out)) {
      const auto text = line.find_first_not_of(' ');
      const bool ours = text != std::string::npos && line.find("calendatt") == std::string::npos &&
                        line.compare(text, 2, "--") != 0 && line[text] != '[';
      EXPECT_FALSE(ours && italian.find(line) != std::string::npos)
          << command << ": \"" << line << "\" is not translated";
    }
  }
  EXPECT_NE(run({"--help"}).out.find("delete-range  cancella i giorni di un intervallo"), std::string::npos);
  EXPECT_NE(run({"--help", "--lang", "en"}).out.find("delete-range  delete the days of a range"),
            std::string::npos);
  auto version = run_program({"--version"}, db_->dir().string());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(split_lines(version.out),
            std::vector<std::string>{version.out.substr(0, version.out.size() - 1)});
  EXPECT_EQ(version.out.rfind("calendatt ", 0), 0u) << version.out;
}

// scripts/run.sh on a machine without a display: every line in the language of --lang, a failing exit, and
// nothing installed or built first.
TEST_F(CliLanguage, TheRunScriptWithoutADisplaySaysSoInItsLanguageAndFails) {
  const std::string cache = read_file(std::string(CALENDATT_BINARY_DIR) + "/CMakeCache.txt");
  const std::string key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
  const auto at = cache.find(key);
  ASSERT_NE(at, std::string::npos);
  const std::string script =
      cache.substr(at + key.size(), cache.find('\n', at) - at - key.size()) + "/scripts/run.sh";
  for (const auto& [language, first] : {std::pair{"en", "run.sh: there is no display here"},
                                        std::pair{"it", "run.sh: qui non c'è uno schermo"}}) {
    const std::string dir = db_->dir().string();
    const int status =
        std::system(("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM bash '" + script + "' --lang " +
                     language + " >" + dir + "/stdout.txt 2>" + dir + "/stderr.txt")
                        .c_str());
    CliResult r{WEXITSTATUS(status), read_file(dir + "/stdout.txt"),
                split_lines(read_file(dir + "/stderr.txt"))};
    EXPECT_EQ(r.status, 3) << r.all_err();
    EXPECT_TRUE(r.out.empty()) << r.out;
    ASSERT_EQ(r.err.size(), 2u) << r.all_err();
    EXPECT_EQ(r.err[0].rfind(first, 0), 0u) << r.all_err();
  }
}

}  // namespace
}  // namespace cli::testing
