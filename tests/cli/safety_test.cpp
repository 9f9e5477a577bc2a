// What the command line does with input meant to harm or simply mistyped: typed text never changes a
// statement, values a field cannot hold are refused before anything opens, files that are not calendar
// databases are left as they are, and the last line always agrees with the exit status.
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

// Bytes, paths and permissions are a file's: these run on a SQLite file.
class CliSafety : public calendatt::testing::OnEngine<CliScenario, calendatt::testing::Engine::SQLite> {
 protected:
  // The bytes of the database and of its journal. The fixture's own handle is closed first, so that the
  // program's connection is the last one and leaves everything it wrote in the database file.
  std::string bytes() {
    raw_.reset();
    std::string journal = db_->target() + "-wal";
    return read_file(db_->target()) + "|" + (fs::exists(journal) ? read_file(journal) : std::string());
  }
  void reopen() { raw_ = db_->raw(); }

  // Adds the activity L'ORTO to PRJ001 / N01, planned through March 2026, as link 1100.
  void add_activity_with_apostrophe() {
    raw_->exec(
        "INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, "
        "PD0H_DATAINIZPIAN, PD0H_DATAFINPIAN) VALUES (1100, 101, 'L''ORTO', '2026-03-01', '2026-03-31')");
    raw_->exec(
        "INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE) "
        "VALUES (1, 'L''ORTO', 'Orto dell''edificio')");
  }
};

// A real code with an apostrophe goes through every command: it is a value, not a piece of statement.
TEST_F(CliSafety, ACodeWithAnApostropheIsFoundByEveryCommand) {
  add_activity_with_apostrophe();
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

// Quotes, comment markers, conditions, long and foreign text, numbers a field cannot hold, fractions and
// dates that are no days: each is refused with a line that names it, and the file keeps every byte. A
// code crafted to close off the company's filter in the activity's resolution is one unknown activity:
// no row appears anywhere, least of all on another company's link.
TEST_F(CliSafety, HostileInputsLeaveTheDatabaseAsItWas) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string says;  // a piece of the standard error that names the problem
  };
  const std::string long_code(10 * 1024, 'A');
  auto add_day = [](std::vector<std::string> c, std::string hours = "8", std::string minutes = "0") {
    return with({"add-day", "--day", "2026-03-20", "--hours", hours, "--minutes", minutes}, c);
  };
  auto add_range = [](std::vector<std::string> c, std::string every) {
    return with({"add-range", "--from", "2026-03-10", "--to", "2026-03-20", "--every", every, "--hours", "8"},
                c);
  };
  const std::string unknown_activity = "Codice attività non trovato";
  const auto crafted = codes("PRJ001", "N01", "')OR PD0H_IDLEGAME=" + std::to_string(kLinkForeign) + "--");
  const std::vector<Case> cases = {
      {add_day(crafted), 1, "[77197] " + unknown_activity},
      {with(add_day(crafted), {"--called"}), 1, "nessuna attività WBS"},
      {add_day(codes("PRJ001", "N01", "ATT01'/*")), 1, unknown_activity},
      {add_day(codes("PRJ001'--", "N01", "ATT01")), 1, "Codice inesistente"},
      {add_day(codes("PRJ001", "N01/*", "ATT01")), 1, "Codice inesistente"},
      {add_day(codes("PRJ001", "N01", "ATTÌ01€")), 1, unknown_activity},
      {add_day(codes("PRJ001", "N01", long_code)), 2,
       "--activity deve essere un codice di al massimo 25 caratteri"},
      {add_day(codes("PRJ001", "N01", "ATT01\nX")), 2,
       "--activity non deve contenere caratteri di controllo"},
      {add_day(kAtt01, "123"), 2, "--hours deve essere un numero intero da 0 a 99, non \"123\""},
      {add_day(kAtt01, "8", "305"), 2, "--minutes deve essere un numero intero da 0 a 99, non \"305\""},
      {add_day(kAtt01, ".9", ".9"), 2, "--hours deve essere un numero intero da 0 a 99, non \".9\""},
      {add_day(kAtt01, "-1"), 2, "--hours deve essere un numero intero da 0 a 99, non \"-1\""},
      {add_day(kAtt01, "1e1"), 2, "--hours deve essere un numero intero"},
      {add_day(kAtt01, "25"), 1, "[77202] Ora errata !"},
      {with(words("set-day --day 2026-03-02 --hours 8 --minutes 0"),
            codes("PRJ001", "N01", "ATT01' OR 1=1 --")),
       1, "la griglia non mostra il giorno 2026-03-02"},
      {with({"delete-day", "--day", "2026-03-02"}, codes("PRJ001", "N01", "x'; DELETE FROM PD4G_CALENDATT")),
       2, "--activity deve essere un codice di al massimo 25 caratteri"},
      {add_range(codes("PRJ001", "N01", "ATT01'--"), "1"), 1, "[0] Codice inesistente: ATT01'--"},
      {add_range(kAtt01, "1000"), 2, "--every deve essere un numero intero da 1 a 999, non \"1000\""},
      {add_range(kAtt01, "0"), 2, "--every deve essere un numero intero da 1 a 999, non \"0\""},
      {with(words("delete-range --from 2026-03-01 --to 2026-03-31 --every 1 --yes"),
            codes("PRJ001", "N01", "ATT01' OR 1=1--")),
       1, "[0] Codice inesistente"},
      {with({"list", "--called"}, codes("PRJ001' OR 1=1--", "N01", "ATT01")), 1, "nessuna attività WBS"},
      {{"list", "--day", "2026-13-01"},
       2,
       "--day vuole un giorno vero scritto AAAA-MM-GG, non \"2026-13-01\""},
      {{"list", "--day", "0000-01-01"}, 2, "--day vuole un giorno vero"},
      {{"list", "--company", "99999"}, 2, "--company deve essere un numero intero da 1 a 32767"},
      {att01("add-day --day 2026-03-20 --hours ٣ --minutes 0"), 2, "--hours deve essere un numero intero"},
  };
  const std::string before = bytes();
  for (const auto& c : cases) {
    std::string shown;
    for (const auto& a : c.args) shown += (a.size() > 40 ? a.substr(0, 40) + "..." : a) + " ";
    auto r = run(c.args);
    EXPECT_EQ(r.status, c.status) << shown << "\n" << r.all_err();
    EXPECT_NE(r.all_err().find(c.says), std::string::npos) << shown << "\n" << r.all_err();
    if (c.status == 2) {
      EXPECT_EQ(r.err.front().rfind("calendatt: --", 0), 0u) << shown;
    }
    EXPECT_TRUE(r.out.empty()) << shown;
    EXPECT_EQ(bytes(), before) << shown;
  }
}

// Every problem with a path is one line and exit 3, from every command, and the file keeps its bytes.
TEST_F(CliSafety, EveryPathProblemIsOneLineAndTheFileIsLeftAlone) {
  const fs::path dir = db_->dir();
  const std::string empty = (dir / "empty.db").string();
  const std::string text = (dir / "notes.db").string();
  const std::string foreign = (dir / "other.db").string();
  std::ofstream(empty).close();
  std::ofstream(text) << "not a database at all";
  struct Path {
    std::string path;
    std::string says;
  };
  // SQLite's own handle on a new file: a database of another program, with a table of its own.
  {
    auto c = database::open_or_create(foreign + ".tmp");
    c->Execute("CREATE TABLE NOTES (N TEXT)", 129);
    c->Close();
    fs::rename(foreign + ".tmp", foreign);
  }
  const std::vector<Path> paths = {
      {(dir / "missing.db").string(), "nessun database in "},
      {(dir / std::string(300, 'a')).string() + ".db", "il percorso del database è troppo lungo"},
      {dir.string(), "è una cartella, non un file di database"},
      {db_->target() + "/inside.db", "nessun database in "},
      {empty, "è un file vuoto, non un database del calendario"},
      {text, "non è un database del calendario (non è un file SQLite)"},
      {foreign, "è un database SQLite senza le tabelle del calendario"},
  };
  // contents checks the file itself; every window command goes through one check, shown by two of them.
  const std::vector<std::vector<std::string>> commands = {
      {"contents"}, {"list"}, att01("delete-range --from 2026-03-10 --to 2026-03-20 --every 1 --yes")};
  for (const auto& p : paths) {
    std::error_code ec;
    const bool existed = fs::exists(p.path, ec);
    const std::string before = existed && fs::is_regular_file(p.path, ec) ? read_file(p.path) : "";
    for (auto args : commands) {
      args.push_back("--db");
      args.push_back(p.path);
      auto r = run_program(args, dir.string());
      EXPECT_EQ(r.status, 3) << args.front() << " " << p.path.substr(0, 80) << "\n" << r.all_err();
      ASSERT_EQ(r.err.size(), 1u) << args.front() << " " << p.path.substr(0, 80) << "\n" << r.all_err();
      EXPECT_EQ(r.err.front().rfind("calendatt: ", 0), 0u);
      EXPECT_NE(r.err.front().find(p.says), std::string::npos) << r.err.front();
      EXPECT_TRUE(r.out.empty());
      EXPECT_EQ(fs::exists(p.path, ec), existed) << p.path;
      if (existed && fs::is_regular_file(p.path, ec)) {
        EXPECT_EQ(read_file(p.path), before) << p.path;
      }
    }
  }
  // init creates where nothing is, and refuses the files that are not databases.
  for (const auto& p : {paths[1], paths[2], paths[3], paths[4], paths[5]}) {
    std::error_code ec;
    const std::string before = fs::is_regular_file(p.path, ec) ? read_file(p.path) : "";
    auto r = run_program({"init", "--db", p.path, "--demo"}, dir.string());
    EXPECT_EQ(r.status, 3) << p.path.substr(0, 80) << "\n" << r.all_err();
    EXPECT_EQ(r.err.size(), 1u) << r.all_err();
    if (fs::is_regular_file(p.path, ec)) {
      EXPECT_EQ(read_file(p.path), before);
    }
  }
  auto created = run_program({"init", "--db", (dir / "new" / "calendar.db").string()}, dir.string());
  EXPECT_EQ(created.status, 0) << created.all_err();
}

// Permissions are the system's: a file that cannot be read is one line; a database in a read-only folder
// is listed, and a change is refused before the window opens, leaving no journal behind.
TEST_F(CliSafety, AReadOnlyDatabaseIsListedAndNeverWritten) {
  const fs::path dir = db_->dir();
  raw_.reset();
  chmod(dir.c_str(), 0755);
  chmod(db_->target().c_str(), 0444);
  chmod(dir.c_str(), 0555);
  const std::string before = read_file(db_->target());
  // Output goes to a folder the program's user may write.
  database::testing::TempDatabase scratch;
  chmod(scratch.dir().c_str(), 0777);

  auto listed = run_program({"list", "--db", db_->target(), "--day", "2026-03-02", "--format", "csv"},
                            scratch.dir().string(), true);
  EXPECT_EQ(listed.status, 0) << listed.all_err();
  EXPECT_NE(listed.out.find("ATT01"), std::string::npos) << listed.out;

  auto added =
      run_program(with(att01("add-day --day 2026-03-20 --hours 8 --minutes 0"), {"--db", db_->target()}),
                  scratch.dir().string(), true);
  EXPECT_EQ(added.status, 3) << added.all_err();
  EXPECT_EQ(added.err, std::vector<std::string>{"calendatt: il database " + db_->target() +
                                                " qui è di sola lettura: nulla può essere cambiato (list e "
                                                "contents funzionano)"});
  EXPECT_EQ(read_file(db_->target()), before);
  EXPECT_FALSE(fs::exists(db_->target() + "-wal"));

  chmod(dir.c_str(), 0755);
  chmod(db_->target().c_str(), 0000);
  auto unreadable =
      run_program({"contents", "--db", db_->target(), "--lang", "en"}, scratch.dir().string(), true);
  EXPECT_EQ(unreadable.status, 3);
  EXPECT_EQ(unreadable.err, std::vector<std::string>{"calendatt: the database " + db_->target() +
                                                     " cannot be read: permission denied"});
  chmod(db_->target().c_str(), 0644);
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
  auto r = run({"list", "--day", "2026-03-02"});
  ASSERT_EQ(r.status, 0) << r.all_err();
  auto lines = split_lines(r.out);
  ASSERT_EQ(lines.size(), 3u) << r.out;  // the captions and the day's two rows
  EXPECT_NE(lines[1].find("N0\\n1\\x1b[2J"), std::string::npos) << lines[1];
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
  auto contents = run({"contents"});
  EXPECT_EQ(contents.out.find('\x1b'), std::string::npos);
  EXPECT_NE(contents.out.find("N0\\n1\\x1b[2J"), std::string::npos);
}

}  // namespace
}  // namespace cli::testing
