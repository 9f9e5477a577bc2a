// The `calendatt` program run as a user runs it: exit statuses, what it prints and the rows it leaves.
#include <filesystem>
#include <fstream>

#include "cli/cli_runner.hpp"
#include "database/demo.hpp"

namespace cli::testing {
namespace {

using database::demo::kLinkPlanned;
using Numbers = std::vector<int>;

// The demo days of PRJ001 / N01 / ATT01 (the ones of 4 and 5 March carry allocated resources).
const std::vector<std::string> kDemoDays = {"2026-03-02 8:0 (0:0-8:0)", "2026-03-03 8:0 (0:0-8:0)",
                                            "2026-03-04 8:0 (0:0-8:0)", "2026-03-05 8:0 (0:0-8:0)",
                                            "2026-03-06 8:0 (0:0-8:0)", "2026-03-09 4:30 (0:0-4:30)"};

// ---- Usage

class CliUsage : public calendatt::testing::OnEachEngine<CliScenario> {};
CALENDATT_ON_EACH_ENGINE(CliUsage);

TEST_P(CliUsage, WrongUsageExitsTwoAndTouchesNothing) {
  // Each mistake is told in Italian by default and in English with --lang en, wherever --lang stands.
  struct Case {
    std::vector<std::string> args;
    std::string italian;
    std::string english;
  };
  const std::string bad_ics = db_->dir().string() + "/bad.ics", folder = db_->dir().string();
  std::ofstream(bad_ics) << "BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART;VALUE=DATE:20260301\n"
                            "RRULE:FREQ=WEEKLY;BYDAY=MO,XY\nEND:VEVENT\nEND:VCALENDAR\n";
  const auto weeks = [](const std::string& more) {
    return att01("add-range --from 2026-03-01 --to 2026-03-28 --hours 1" + more);
  };
  const std::vector<Case> cases = {
      {{}, "nessun comando dato", "no command given"},
      {{"frobnicate"}, "comando sconosciuto frobnicate", "unknown command frobnicate"},
      {words("add-day --project PRJ001 --node N01 --activity ATT01 --day 2026-03-10 --minutes 7"),
       "add-day vuole --hours", "add-day needs --hours"},
      {att01("add-day --day 10/03/2026 --hours 7 --minutes 0"),
       "--day vuole un giorno vero scritto AAAA-MM-GG, non \"10/03/2026\"",
       "--day needs a real day written YYYY-MM-DD, got \"10/03/2026\""},
      // An empty duration is no duration: never a day of 0:00; the bounds are the calendar's.
      {with(att01("add-day --day 2026-03-10"), {"--hours", ""}),
       "--hours deve essere un numero intero da 0 a 24, non \"\"",
       "--hours must be a whole number from 0 to 24, got \"\""},
      {with(att01("set-day --day 2026-03-10"), {"--hours="}),
       "--hours deve essere un numero intero da 0 a 24, non \"\"",
       "--hours must be a whole number from 0 to 24, got \"\""},
      {with(att01("add-day --day 2026-03-10 --hours 8"), {"--minutes", ""}),
       "--minutes deve essere un numero intero da 0 a 59, non \"\"",
       "--minutes must be a whole number from 0 to 59, got \"\""},
      {att01("add-day --day 2026-03-10 --hours 25"),
       "--hours deve essere un numero intero da 0 a 24, non \"25\"",
       "--hours must be a whole number from 0 to 24, got \"25\""},
      {{"list", "--yes", "--no"}, "--yes e --no si escludono", "--yes and --no exclude each other"},
      {{"list", "--project", "PRJ001"},
       "list accetta --project, --node, --activity e --link solo con --called",
       "list takes --project, --node, --activity and --link only with --called"},
      {words("list --called --project PRJ001 --node N01"), "list --called vuole --activity",
       "list --called needs --activity"},
      {att01("list --called --day none"),
       "--day none vale solo per list senza --called: indicare un giorno AAAA-MM-GG",
       "--day none is for list without --called only: give a day as YYYY-MM-DD"},
      {att01("add-day --day none --hours 8"),
       "--day none vale solo per list senza --called: indicare un giorno AAAA-MM-GG", ""},
      {att01("delete-day --day 2026-03-06 --hours 3"), "delete-day non accetta --hours",
       "delete-day takes no --hours"},
      {att01("add-range --from 2026-03-01 --to 2026-03-02 --every 1 --hours 1 --minutes 0 --existing maybe"),
       "--existing accetta stop, skip o overwrite, non \"maybe\"",
       "--existing takes stop, skip or overwrite, not \"maybe\""},
      {{"list", "--format", "xml"},
       "--format accetta table, csv o json, non \"xml\"",
       "--format takes table, csv or json, not \"xml\""},
      {{"list", "--company", "one"},
       "--company deve essere un numero intero da 1 a 32767, non \"one\"",
       "--company must be a whole number from 1 to 32767, got \"one\""},
      {{"list", "--on-error"}, "--on-error vuole un valore", "--on-error needs a value"},
      {{"list", "--bogus"}, "opzione sconosciuta --bogus", "unknown option --bogus"},
      {att01("days --from 2026-03-09 --to 2026-03-01"), "--to non deve venire prima di --from",
       "--to must not come before --from"},
      // These are told in the default language only.
      {weeks(" --weekdays mon --every 7"), "--every e --weekdays si escludono", ""},
      {weeks(""), "add-range vuole --every o --weekdays", ""},
      {weeks(" --weekdays lun,martedi"),
       "--weekdays accetta lun, mar, mer, gio, ven, sab, dom (o mon, tue, wed, thu, fri, sat, sun), non "
       "\"martedi\"",
       ""},
      {weeks(" --weekdays mon --skip-dates " + bad_ics),
       "--skip-dates " + bad_ics +
           ": RRULE: il valore \"FREQ=WEEKLY;BYDAY=MO,XY\" non si può leggere (riga 4)",
       ""},
      {weeks(" --weekdays mon --skip-dates " + folder), "--skip-dates " + folder + ": non è un file", ""},
      // A read that fails is told with the system's reason, never taken for an empty list.
      {weeks(" --weekdays mon --skip-dates /proc/self/mem"),
       "--skip-dates /proc/self/mem: non si può leggere: Input/output error", ""},
  };
  for (const auto& c : cases) {
    const std::string command = c.args.empty() || c.args.front() == "frobnicate" ? "" : c.args.front() + " ";
    for (bool english : {false, !c.english.empty()}) {
      // --lang after the mistake: the language is known however early the mistake comes.
      const std::string& error = english ? c.english : c.italian;
      auto r = run(english ? with(c.args, {"--lang", "en"}) : c.args);
      EXPECT_EQ(r.status, 2) << error;
      // One line of cause and one that points to the help, never the help itself.
      EXPECT_EQ(r.err, (std::vector<std::string>{"calendatt: " + error,
                                                 std::string("calendatt: ") + (english ? "see" : "vedi") +
                                                     " 'calendatt " + command + "--help'"}));
      EXPECT_TRUE(r.out.empty()) << error;
    }
  }
  // Server parameters the client cannot read are refused as such, never taken for the name of a file.
  for (const std::string db : {"host=127.0.0.1 dbname='cal", "host=127.0.0.1 dbname=cal bogus=1"}) {
    for (const std::string command : {"init", "list"}) {
      auto r = run_program({command, "--db", db, "--lang", "en"}, folder);
      EXPECT_EQ(r.status, 2) << db;
      EXPECT_EQ(
          r.err.front().rfind("calendatt: --db looks like the parameters of a PostgreSQL server, but", 0), 0u)
          << r.all_err();
      EXPECT_FALSE(std::filesystem::exists(db)) << db;  // where the program runs
    }
  }
  // A language that is not there is told in the default one.
  EXPECT_EQ(run({"list", "--lang", "fr"}).err.front(), "calendatt: --lang accetta it o en, non \"fr\"");
  EXPECT_EQ(days_of(kLinkPlanned), kDemoDays);
}

// ---- list

class CliList : public calendatt::testing::OnEachEngine<CliScenario> {};
CALENDATT_ON_EACH_ENGINE(CliList);

// The table is for people: captions of the language, and the dates the options take.
TEST_P(CliList, ShowsTheGridOfTheChosenDayUnderTheCaptionsOfTheLanguage) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"list", "--day", "2026-03-02"},
       "Codice Progetto  Codice Nodo  Codice Attività  Data        Ore  Min  Inizio attività  Fine attività\n"
       "PRJ001           N01          ATT01            2026-03-02  8    0    2026-03-01       2026-03-31\n"
       "PRJ002           M01          MAN01            2026-03-02  2    0    2026-02-01       2026-12-31\n"},
      {words("list --lang en --day 2026-03-09"),
       "Project Code  Node Code  Activity Code  Date        Hours  Min  Activity start  Activity end\n"
       "PRJ001        N01        ATT01          2026-03-09  4      30   2026-03-01      2026-03-31\n"}};
  for (const auto& [args, table] : cases) {
    auto r = run(args);
    EXPECT_EQ(r.status, 0) << r.all_err();
    EXPECT_EQ(r.out, table);
  }
}

TEST_P(CliList, WithoutADayEveryDayOfTheCompanyInCsvWithIsoDates) {
  auto r = run(words("list --day none --format csv"));
  EXPECT_EQ(r.status, 0) << r.all_err();
  EXPECT_EQ(split_lines(r.out).size(), 8u) << r.out;  // none of them another company's
  EXPECT_EQ(r.out.rfind("project,node,activity,day,hours,minutes,planning_start,planning_end\n", 0), 0u);
  EXPECT_NE(r.out.find("\nPRJ001,N01,ATT01,2026-03-09,4,30,2026-03-01,2026-03-31\n"), std::string::npos);
  // Keys and dates are for scripts: the same in every language.
  EXPECT_EQ(run(words("list --day none --format csv --lang en")).out, r.out);
  // A code stored with trailing blanks is the code: scripts get it without them.
  raw_->exec("UPDATE PD0G_DISBAPROG SET PD0G_CODPROG_PD68 = 'PRJ002  ' WHERE PD0G_CODPROG_PD68 = 'PRJ002'");
  EXPECT_NE(run(words("list --day none --format csv")).out.find("\nPRJ002,M01,"), std::string::npos);
  EXPECT_NE(run(words("list --day none --format json")).out.find("\"PRJ002\""), std::string::npos);
}

// The server's client library and the thirty it needs are loaded for a server only.
TEST_P(CliList, TheServerClientIsLoadedForAServerOnly) {
  const std::string log = db_->dir().string() + "/loader";
  setenv("LD_DEBUG", "libs", 1);
  setenv("LD_DEBUG_OUTPUT", log.c_str(), 1);
  auto r = run({"list", "--day", "2026-03-02"});
  unsetenv("LD_DEBUG");
  unsetenv("LD_DEBUG_OUTPUT");
  EXPECT_EQ(r.status, 0) << r.all_err();
  std::string loaded;
  for (const auto& entry : std::filesystem::directory_iterator(db_->dir()))
    if (entry.path().filename().string().rfind("loader.", 0) == 0) loaded += read_file(entry.path().string());
  ASSERT_FALSE(loaded.empty()) << "the loader wrote nothing";
  EXPECT_EQ(loaded.find("libpq.so") != std::string::npos, engine() == Engine::PostgreSQL);
}

// ---- Single days

class CliDays : public calendatt::testing::OnEachEngine<CliScenario> {};
CALENDATT_ON_EACH_ENGINE(CliDays);

// --company is the company every statement of the run is for.
TEST_P(CliDays, TheSameCodesInAnotherCompanyAreAnotherActivity) {
  // Company 2 has its own PRJ001 / N01 / ATT01, planned in June.
  const std::string other =
      "SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 2 AND PD4G_IDLEGAME_PD0H = " +
      std::to_string(database::demo::kLinkOtherDesign);
  for (bool called : {false, true}) {
    auto march = att01("add-day --company 2 --day 2026-03-10 --hours 8 --minutes 0");
    if (called) march.push_back("--called");
    auto r = run(march);
    EXPECT_EQ(r.status, 1) << called << "\n" << r.all_err();
    EXPECT_EQ(r.numbers(), called ? Numbers{77194} : Numbers{77198}) << r.all_err();
  }
  EXPECT_EQ(count(other), 0);
  auto june = run(att01("add-day --company 2 --day 2026-06-10 --hours 8 --minutes 0"));
  EXPECT_EQ(june.status, 0) << june.all_err();
  EXPECT_EQ(count(other), 1);
  EXPECT_EQ(days_of(kLinkPlanned), kDemoDays);
}

TEST_P(CliDays, EachCommandSaysWhatItDidToTheRowOfTheDay) {
  struct Step {
    std::vector<std::string> args;
    std::string out;
    std::string day;  // the row afterwards, or a date alone when the row is gone
  };
  const std::vector<Step> steps = {
      {att01("add-day --day 2026-03-10 --hours 7 --minutes 30"),
       "Aggiunto il giorno 2026-03-10 di PRJ001 / N01 / ATT01.\n", "2026-03-10 7:30 (0:0-7:30)"},
      // Codes as typed in lower case find the stored ones.
      {words("add-day --called --project prj001 --node n01 --activity att01 --day 2026-03-12 --hours 3 "
             "--minutes 15"),
       "Aggiunto il giorno 2026-03-12 di prj001 / n01 / att01.\n", "2026-03-12 3:15 (0:0-3:15)"},
      {att01("set-day --day 2026-03-09 --hours 6 --minutes 15"),
       "Cambiato il giorno 2026-03-09 di PRJ001 / N01 / ATT01.\n", "2026-03-09 6:15 (0:0-6:15)"},
      {att01("set-day --day 2026-03-09 --hours 6 --minutes 15"),
       "Il giorno 2026-03-09 di PRJ001 / N01 / ATT01 ha già questa durata.\n", "2026-03-09 6:15 (0:0-6:15)"},
      {att01("delete-day --day 2026-03-06"), "Eliminato il giorno 2026-03-06 di PRJ001 / N01 / ATT01.\n",
       "2026-03-06"},
  };
  for (const auto& step : steps) {
    auto r = run(step.args);
    EXPECT_EQ(r.status, 0) << r.all_err();
    EXPECT_TRUE(r.err.empty()) << r.all_err();
    EXPECT_EQ(r.out, step.out);
    const auto days = days_of(kLinkPlanned);
    const bool gone = step.day.size() == 10;
    EXPECT_EQ(
        std::count_if(days.begin(), days.end(), [&](const auto& d) { return d.rfind(step.day, 0) == 0; }),
        gone ? 0 : 1)
        << step.day;
  }
  EXPECT_EQ(days_of(kLinkPlanned).size(), kDemoDays.size() + 1);
}

TEST_P(CliDays, SetDayReachesEveryValidDurationWhateverTheDayHeld) {
  // 7:05 to 24:00 needs the minutes cleared before the hours; 24:00 to 7:30 the hours before the minutes.
  auto added = run(att01("add-day --day 2026-03-10 --hours 7 --minutes 5"));
  ASSERT_EQ(added.status, 0) << added.all_err();
  const std::pair<const char*, const char*> durations[] = {
      {"24", "0"}, {"7", "30"}, {"24", "0"}, {"0", "59"}};
  for (const auto& [hours, minutes] : durations) {
    auto r = run(with({"set-day", "--day", "2026-03-10", "--hours", hours, "--minutes", minutes}, kAtt01));
    EXPECT_EQ(r.status, 0) << hours << ":" << minutes << "\n" << r.all_err();
    const std::string h = hours, m = minutes;
    const auto days = days_of(kLinkPlanned);
    EXPECT_NE(std::find(days.begin(), days.end(), "2026-03-10 " + h + ":" + m + " (0:0-" + h + ":" + m + ")"),
              days.end())
        << hours << ":" << minutes;
  }
}

// ---- Ranges

class CliRanges : public calendatt::testing::OnEachEngine<CliScenario> {
 protected:
  // Every third day from 1 to 10 March (1, 4, 7, 10), 5:15 each.
  std::vector<std::string> add_range(const std::string& existing) {
    return att01("add-range --from 2026-03-01 --to 2026-03-10 --every 3 --hours 5 --minutes 15 --existing " +
                 existing);
  }
  std::vector<std::string> delete_range(const std::string& to) {
    return att01("delete-range --from 2026-03-01 --to " + to + " --every 1");
  }
};

CALENDATT_ON_EACH_ENGINE(CliRanges);

TEST_P(CliRanges, AddRangeStopWritesEveryDayWhenNoneExistsInCalledMode) {
  auto r =
      run(att01("add-range --called --from 2026-03-20 --to 2026-03-22 --every 1 --hours 1 --minutes 45 "
                "--existing stop"));
  EXPECT_EQ(r.status, 0) << r.all_err();
  EXPECT_EQ(r.numbers(), Numbers{42123});
  EXPECT_EQ(r.out,
            "Pianificati i giorni di PRJ001 / N01 / ATT01 dal 2026-03-20 al 2026-03-22: aggiunti 3, "
            "sovrascritti 0, saltati 0.\n");
  auto days = days_of(kLinkPlanned);
  ASSERT_EQ(days.size(), kDemoDays.size() + 3);
  EXPECT_EQ(std::vector<std::string>(days.end() - 3, days.end()),
            (std::vector<std::string>{"2026-03-20 1:45 (0:0-1:45)", "2026-03-21 1:45 (0:0-1:45)",
                                      "2026-03-22 1:45 (0:0-1:45)"}));
}

TEST_P(CliRanges, AddRangeSkipKeepsAndOverwriteReplacesTheDaysThatExistAndSaysHowMany) {
  auto skip = run(add_range("skip"));
  EXPECT_EQ(skip.status, 0) << skip.all_err();
  EXPECT_EQ(skip.numbers(), Numbers{42123});
  EXPECT_EQ(skip.out,
            "Pianificati i giorni di PRJ001 / N01 / ATT01 dal 2026-03-01 al 2026-03-10: aggiunti 3, "
            "sovrascritti 0, saltati 1.\n");
  auto days = days_of(kLinkPlanned);
  for (const char* day : {"2026-03-01 5:15 (0:0-5:15)", "2026-03-04 8:0 (0:0-8:0)",
                          "2026-03-07 5:15 (0:0-5:15)", "2026-03-10 5:15 (0:0-5:15)"})
    EXPECT_NE(std::find(days.begin(), days.end(), day), days.end()) << day;
  EXPECT_EQ(days.size(), kDemoDays.size() + 3);

  auto overwrite = run(with(add_range("overwrite"), {"--lang", "en"}));
  EXPECT_EQ(overwrite.status, 0) << overwrite.all_err();
  EXPECT_EQ(overwrite.out,
            "Planned the days of PRJ001 / N01 / ATT01 from 2026-03-01 to 2026-03-10: 0 added, 4 overwritten, "
            "0 skipped.\n");
  days = days_of(kLinkPlanned);
  EXPECT_NE(std::find(days.begin(), days.end(), "2026-03-04 5:15 (0:0-5:15)"), days.end());
  EXPECT_EQ(days.size(), kDemoDays.size() + 3);

  // 1, 2, 3, 6, 7, 9 and 10 March go; 4 and 5 March carry allocated resources.
  auto deleted = run(with(delete_range("2026-03-10"), {"--yes", "--lang", "en"}));
  EXPECT_EQ(deleted.status, 0) << deleted.all_err();
  EXPECT_EQ(deleted.out,
            "Deleted the days of PRJ001 / N01 / ATT01 from 2026-03-01 to 2026-03-10: 7 deleted, 2 spared "
            "(resources allocated).\n");
  EXPECT_EQ(days_of(kLinkPlanned).size(), 2u);
}

TEST_P(CliRanges, DeleteRangeAnsweredYesDeletesTheDaysWithoutAllocations) {
  auto r = run(with(delete_range("2026-03-06"), {"--yes"}));
  EXPECT_EQ(r.status, 0) << r.all_err();
  EXPECT_EQ(r.numbers(), (Numbers{0, 0, 0, 42123}));
  // The question, handed over already translated, one line of its text each.
  ASSERT_GE(r.err.size(), 3u) << r.all_err();
  EXPECT_EQ(std::vector<std::string>(r.err.begin(), r.err.begin() + 3),
            (std::vector<std::string>{
                "[0] Saranno eliminate 3 date. ",
                "[0] Altre 2 date non saranno eliminate perchè per esse esistono risorse allocate.",
                "[0] Proseguire?"}));
  EXPECT_EQ(
      r.out,
      "Eliminati i giorni di PRJ001 / N01 / ATT01 dal 2026-03-01 al 2026-03-06: eliminati 3, risparmiati 2 "
      "(con risorse allocate).\n");
  EXPECT_EQ(days_of(kLinkPlanned),
            (std::vector<std::string>{"2026-03-04 8:0 (0:0-8:0)", "2026-03-05 8:0 (0:0-8:0)",
                                      "2026-03-09 4:30 (0:0-4:30)"}));
}

TEST_P(CliRanges, AQuestionWithNoTerminalAndNoAnswerFailsAndWritesNothing) {
  auto r = run(delete_range("2026-03-06"));
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(r.has_line_starting("calendatt: questa domanda chiede una risposta e non c'è un terminale"))
      << r.all_err();
  EXPECT_TRUE(r.out.empty());
  EXPECT_EQ(days_of(kLinkPlanned), kDemoDays);
}

// ---- Failures

class CliFailures : public calendatt::testing::OnEachEngine<CliScenario> {};
CALENDATT_ON_EACH_ENGINE(CliFailures);

class CliServerFailures : public calendatt::testing::OnEngine<CliScenario, Engine::PostgreSQL> {};

TEST_F(CliServerFailures, ADatabaseThatCannotBeOpenedIsAFailureThatNeverShowsThePassword) {
  const std::string target =
      calendatt::testing::server_database("calendatt_none") + " password='Secret-Word-42'";
  for (const std::string command : {"list", "init"}) {
    auto r = run_program({command, "--db", target}, db_->dir().string());
    EXPECT_EQ(r.status, 3) << command;
    EXPECT_NE(r.all_err().find("calendatt_none"), std::string::npos) << r.all_err();
    EXPECT_EQ((r.out + r.all_err()).find("Secret-Word-42"), std::string::npos) << r.out << r.all_err();
    auto english = run_program({command, "--db", target, "--lang", "en"}, db_->dir().string());
    EXPECT_EQ(english.all_err().find("Impossibile"), std::string::npos) << english.all_err();
  }
}

TEST_P(CliFailures, AnErrorReportIsAnsweredAsAskedInTheLanguageAndStillFails) {
  raw_->exec("ALTER TABLE PD4G_CALENDATT RENAME COLUMN PD4G_DITTA_CG18 TO PD4G_DITTA");
  auto ignored = run(words("list --day 2026-03-02 --on-error ignore"));
  EXPECT_EQ(ignored.status, 3);
  EXPECT_TRUE(ignored.has_line_starting("[error] routine InizializzaVirtualFrame: ")) << ignored.all_err();
  EXPECT_TRUE(ignored.has_line("calendatt: risposto Ignora")) << ignored.all_err();
  EXPECT_EQ(ignored.err.back(),
            "calendatt: sono state mostrate 2 segnalazioni d'errore: il comando non è stato eseguito come "
            "richiesto");

  // Retry is given three times to a report, then Abort; the window's loading stops there: no report of
  // the object that step was to make, and no further step meets the same failure again.
  auto retried = run(words("list --day 2026-03-02 --on-error retry --lang en"));
  EXPECT_EQ(retried.status, 3);
  std::vector<std::string> answers;
  for (const auto& line : retried.err)
    if (line.rfind("calendatt: answered ", 0) == 0) answers.push_back(line.substr(20));
  const std::vector<std::string> retried_thrice = {"Retry", "Retry", "Retry", "Abort"};
  EXPECT_EQ(answers, retried_thrice) << retried.all_err();
  EXPECT_EQ(retried.all_err().find("error 91"), std::string::npos) << retried.all_err();
  EXPECT_TRUE(retried.out.empty()) << retried.out;
  // The engine's error opens in the run's language; the Italian run keeps the report's own words.
  const std::string name = engine() == Engine::SQLite ? "SQLite" : "PostgreSQL";
  EXPECT_NE(retried.all_err().find(": " + name + " error: "), std::string::npos) << retried.all_err();
  EXPECT_EQ(retried.all_err().find("Errore"), std::string::npos) << retried.all_err();
  EXPECT_NE(ignored.all_err().find(": Errore " + name + ": "), std::string::npos) << ignored.all_err();
  EXPECT_EQ(retried.err.back(),
            "calendatt: 4 error reports were shown: the command did not complete as asked");
  // Without --on-error a report is answered Abort.
  EXPECT_TRUE(run(words("list --day 2026-03-02 --lang en")).has_line("calendatt: answered Abort"));
}

}  // namespace
}  // namespace cli::testing
