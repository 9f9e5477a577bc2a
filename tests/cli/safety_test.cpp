// Input meant to harm or simply mistyped: typed text never changes a statement, and what is refused
// leaves every file as it was.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_runner.hpp"
#include "database/demo.hpp"

namespace cli::testing {
namespace {

namespace fs = std::filesystem;
using database::demo::kLinkForeign;

std::vector<std::string> codes(const std::string& project, const std::string& node,
                               const std::string& activity) {
  return {"--project", project, "--node", node, "--activity", activity};
}

class CliSafety : public calendatt::testing::OnEngine<CliScenario, calendatt::testing::Engine::SQLite> {
 protected:
  // The bytes of the database and of its journal, the fixture's own handle closed first.
  std::string bytes() {
    raw_.reset();
    std::string journal = db_->target() + "-wal";
    return read_file(db_->target()) + "|" + (fs::exists(journal) ? read_file(journal) : std::string());
  }
};

// A real code with an apostrophe goes through every command: it is a value, not a piece of statement.
TEST_F(CliSafety, ACodeWithAnApostropheIsFoundByEveryCommand) {
  // The activity L'ORTO of PRJ001 / N01, planned through March 2026, as link 1100.
  raw_->exec(
      "INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, "
      "PD0H_DATAINIZPIAN, PD0H_DATAFINPIAN) VALUES (1100, 101, 'L''ORTO', '2026-03-01', '2026-03-31')");
  raw_->exec(
      "INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE) "
      "VALUES (1, 'L''ORTO', 'Orto dell''edificio')");
  struct Step {
    std::vector<std::string> args;
    std::string out;     // a piece of the standard output
    std::string stored;  // the activity's days afterwards, as "day hours" in date order
  };
  const std::vector<Step> steps = {
      {words("add-day --day 2026-03-10 --hours 7 --minutes 30"),
       "Aggiunto il giorno 2026-03-10 di PRJ001 / N01 / L'ORTO.", "2026-03-10 7"},
      {words("set-day --day 2026-03-10 --hours 6 --minutes 0"), "L'ORTO", "2026-03-10 6"},
      {words("add-range --from 2026-03-11 --to 2026-03-13 --every 1 --hours 2 --minutes 0"), "L'ORTO",
       "2026-03-10 6,2026-03-11 2,2026-03-12 2,2026-03-13 2"},
      {words("list --called --day 2026-03-12 --format csv"), "PRJ001,N01,L'ORTO,2026-03-12",
       "2026-03-10 6,2026-03-11 2,2026-03-12 2,2026-03-13 2"},
      {{"delete-day", "--day", "2026-03-10"}, "L'ORTO", "2026-03-11 2,2026-03-12 2,2026-03-13 2"},
      {words("delete-range --from 2026-03-11 --to 2026-03-13 --every 1 --yes"), "L'ORTO", ""},
  };
  for (const auto& step : steps) {
    auto r = run(with(step.args, codes("PRJ001", "N01", "L'ORTO")));
    ASSERT_EQ(r.status, 0) << step.args.front() << "\n" << r.all_err();
    EXPECT_NE(r.out.find(step.out), std::string::npos) << r.out;
    EXPECT_EQ(
        raw_->value("SELECT COALESCE(GROUP_CONCAT(D, ','), '') FROM (SELECT PD4G_DATAATTIVITA || ' ' || "
                    "PD4G_DURATAORE AS D FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1100 ORDER BY 1)"),
        step.stored)
        << step.args.front();
  }
}

// A code crafted to close off the company's filter in the activity's resolution is one unknown activity:
// no row appears anywhere, least of all on another company's link.
TEST_F(CliSafety, HostileInputsLeaveTheDatabaseAsItWas) {
  const std::string long_code(10 * 1024, 'A');
  auto add_day = [](std::vector<std::string> c, std::string hours = "8", std::string minutes = "0") {
    return with({"add-day", "--day", "2026-03-20", "--hours", hours, "--minutes", minutes}, c);
  };
  const std::string unknown_activity = "Codice attività non trovato",
                    not_whole = "deve essere un numero intero";
  const auto crafted = codes("PRJ001", "N01", "')OR PD0H_IDLEGAME=" + std::to_string(kLinkForeign) + "--");
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
      {add_day(crafted), 1, "[77197] " + unknown_activity},
      {with(add_day(crafted), {"--called"}), 1, "nessuna attività WBS"},
      {add_day(codes("PRJ001", "N01", "ATT01'/*")), 1, unknown_activity},
      {add_day(codes("PRJ001", "N01", long_code)), 2,
       "--activity deve essere un codice di al massimo 25 caratteri"},
      {add_day(codes("PRJ001", "N01", "ATT01\nX")), 2,
       "--activity non deve contenere caratteri di controllo"},
      {add_day(kAtt01, "8", "305"), 2, "--minutes " + not_whole + " da 0 a 59, non \"305\""},
      {add_day(kAtt01, ".9", ".9"), 2, "--hours " + not_whole + " da 0 a 24, non \".9\""},
      {add_day(kAtt01, "٣"), 2, "--hours " + not_whole},
      {with(words("set-day --day 2026-03-02 --hours 8 --minutes 0"),
            codes("PRJ001", "N01", "ATT01' OR 1=1 --")),
       1, "la griglia non mostra il giorno 2026-03-02"},
      {with(words("add-range --from 2026-03-10 --to 2026-03-20 --every 1 --hours 8"),
            codes("PRJ001", "N01", "ATT01'--")),
       1, "[0] Codice inesistente: ATT01'--"},
      {att01("add-range --from 2026-03-10 --to 2026-03-20 --hours 8 --every 1000"), 2,
       "--every " + not_whole + " da 1 a 999, non \"1000\""},
      {with(words("delete-range --from 2026-03-01 --to 2026-03-31 --every 1 --yes"),
            codes("PRJ001", "N01", "ATT01' OR 1=1--")),
       1, "[0] Codice inesistente"},
      {with({"list", "--called"}, codes("PRJ001' OR 1=1--", "N01", "ATT01")), 1, "nessuna attività WBS"},
  };
  const std::string before = bytes();
  for (const auto& [args, status, says] : cases) {
    std::string shown;
    for (const auto& a : args) shown += a.substr(0, 40) + " ";
    auto r = run(args);
    EXPECT_EQ(r.status, status) << shown << "\n" << r.all_err();
    EXPECT_NE(r.all_err().find(says), std::string::npos) << shown << "\n" << r.all_err();
    if (status == 2) {
      EXPECT_EQ(r.err.front().rfind("calendatt: --", 0), 0u) << shown;
    }
    EXPECT_TRUE(r.out.empty()) << shown;
    EXPECT_EQ(bytes(), before) << shown;
  }
}

// Every problem with a path is one line and exit 3, from every command, and the file keeps its bytes.
TEST_F(CliSafety, EveryPathProblemIsOneLineAndTheFileIsLeftAlone) {
  const fs::path dir = db_->dir();
  const std::string empty = (dir / "empty.db").string(), text = (dir / "notes.db").string(),
                    foreign = (dir / "other.db").string();
  std::ofstream(empty).close();
  std::ofstream(text) << "not a database at all";
  fs::create_symlink(dir / "nowhere" / "calendar.db", dir / "dangling.db");
  {
    auto c = database::open_or_create(foreign + ".tmp");
    c->Execute("CREATE TABLE NOTES (N TEXT)", 129);
    c->Close();
    fs::rename(foreign + ".tmp", foreign);
  }
  // contents checks the file itself, the window commands one check; init refuses what is no database.
  const std::tuple<std::string, std::string, bool> paths[] = {
      {(dir / "missing.db").string(), "nessun database in ", false},
      {(dir / std::string(300, 'a')).string() + ".db", "il percorso del database è troppo lungo", true},
      {dir.string(), "è una cartella, non un file di database", true},
      {empty, "è un file vuoto, non un database del calendario", true},
      {text, "non è un database del calendario (non è un file SQLite)", true},
      {foreign, "è un database SQLite senza le tabelle del calendario", false},
      {(dir / "dangling.db").string(), "è un collegamento simbolico a " + (dir / "nowhere").string(), true},
  };
  for (const auto& [path, says, init] : paths) {
    std::vector<std::vector<std::string>> commands = {
        {"contents"}, {"list"}, att01("delete-range --from 2026-03-10 --to 2026-03-20 --every 1 --yes")};
    if (init) commands.push_back({"init", "--demo"});
    std::error_code ec;
    const bool existed = fs::exists(path, ec), file = fs::is_regular_file(path, ec);
    const std::string before = file ? read_file(path) : "";
    for (auto args : commands) {
      auto r = run_program(with(args, {"--db", path}), dir.string());
      EXPECT_EQ(r.status, 3) << args.front() << " " << path.substr(0, 80) << "\n" << r.all_err();
      ASSERT_EQ(r.err.size(), 1u) << args.front() << " " << path.substr(0, 80) << "\n" << r.all_err();
      EXPECT_EQ(r.err.front().rfind("calendatt: ", 0), 0u);
      EXPECT_NE(r.err.front().find(says), std::string::npos) << r.err.front();
      EXPECT_TRUE(r.out.empty());
      EXPECT_EQ(fs::exists(path, ec), existed) << path;
      EXPECT_EQ(file ? read_file(path) : "", before) << path;
    }
  }
  auto created = run_program({"init", "--db", (dir / "new" / "calendar.db").string()}, dir.string());
  EXPECT_EQ(created.status, 0) << created.all_err();
  // A link to a calendar database is that database, named on the line or in CALENDATT_DB.
  fs::create_symlink(db_->target(), dir / "link.db");
  EXPECT_EQ(run_program(words("list --day 2026-03-02 --format csv --db " + (dir / "link.db").string()),
                        dir.string())
                .status,
            0);
  setenv("CALENDATT_DB", (dir / "link.db").c_str(), 1);
  auto linked = run_program(att01("add-day --day 2026-03-20 --hours 8"), dir.string());
  unsetenv("CALENDATT_DB");
  EXPECT_EQ(linked.status, 0) << linked.all_err();
  EXPECT_EQ(raw_->value("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_DATAATTIVITA = '2026-03-20'"), "1");
}

// A database in a read-only folder is listed, and a change is refused before the window opens.
TEST_F(CliSafety, AReadOnlyDatabaseIsListedAndNeverWritten) {
  const fs::path dir = db_->dir();
  const std::string target = db_->target();
  raw_.reset();
  chmod(target.c_str(), 0444);
  chmod(dir.c_str(), 0555);
  const std::string before = read_file(target);
  // Output goes to a folder the program's user may write.
  database::testing::TempDatabase scratch;
  chmod(scratch.dir().c_str(), 0777);
  const auto as_user = [&](const std::vector<std::string>& args) {
    return run_program(with(args, {"--db", target}), scratch.dir().string(), true);
  };
  auto listed = as_user(words("list --day 2026-03-02 --format csv"));
  EXPECT_EQ(listed.status, 0) << listed.all_err();
  EXPECT_NE(listed.out.find("ATT01"), std::string::npos) << listed.out;
  auto added = as_user(att01("add-day --day 2026-03-20 --hours 8 --minutes 0"));
  EXPECT_EQ(added.status, 3) << added.all_err();
  EXPECT_EQ(added.err, std::vector<std::string>{"calendatt: il database " + target +
                                                " qui è di sola lettura: nulla può essere cambiato (list e "
                                                "contents funzionano)"});
  EXPECT_EQ(read_file(target), before);
  EXPECT_FALSE(fs::exists(target + "-wal"));

  chmod(dir.c_str(), 0755);
  chmod(target.c_str(), 0000);
  auto unreadable = as_user({"contents", "--lang", "en"});
  EXPECT_EQ(unreadable.status, 3);
  EXPECT_EQ(unreadable.err, std::vector<std::string>{"calendatt: the database " + target +
                                                     " cannot be read: permission denied"});
  chmod(target.c_str(), 0644);
}

// An error report answered Abort is the last word: no line says the work was done.
TEST_F(CliSafety, AnAbortedErrorReportIsNeverFollowedByASuccessLine) {
  raw_->exec("ALTER TABLE PD4G_CALENDATT RENAME COLUMN PD4G_ORAFINE TO PD4G_ORA");
  auto r = run(att01("add-day --day 2026-03-20 --hours 8 --minutes 0"));
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(r.has_line_starting("[error] routine FME_CALENDATT_BeforeUpdate: error 3265")) << r.all_err();
  ASSERT_FALSE(r.err.empty());
  EXPECT_EQ(
      r.err.back(),
      "calendatt: è stata mostrata 1 segnalazione d'errore: il comando non è stato eseguito come richiesto");
}

// A stored code with a line break or an escape sequence stays on its row of the table.
TEST_F(CliSafety, TheTableShowsControlCharactersEscaped) {
  raw_->exec(
      "UPDATE PD0G_DISBAPROG SET PD0G_CODNODO_PD0C = 'N0' || char(10) || '1' || char(27) || '[2J' "
      "WHERE PD0G_IDDISBAPROG = 101");
  for (const std::string& out : {run({"list", "--day", "2026-03-02"}).out, run({"contents"}).out}) {
    EXPECT_EQ(out.find('\x1b'), std::string::npos) << out;
    EXPECT_NE(out.find("N0\\n1\\x1b[2J"), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace cli::testing
