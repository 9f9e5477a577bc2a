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
       {"calendatt: l'attività PRJ001 / N01 / ATT06 sta in 2 righe della WBS (legami 1006, 1007): il "
        "calendario si apre per una sola attività"},
       {"calendatt: the activity PRJ001 / N01 / ATT06 stands in 2 WBS rows (links 1006, 1007): the calendar "
        "is "
        "called for one activity"}},
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

  // contents: titles in the language, dates ISO in both.
  for (const auto& [language, title] :
       {std::pair{"it", "Attività WBS ("}, std::pair{"en", "WBS activities ("}}) {
    const std::string out = run({"contents", "--lang", language}).out;
    EXPECT_EQ(out.rfind(title, 0), 0u) << out;
    EXPECT_NE(out.find("\t2026-03-02\t8\t0\t0"), std::string::npos) << out;
  }
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

}  // namespace
}  // namespace cli::testing
