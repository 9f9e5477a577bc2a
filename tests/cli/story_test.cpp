// What a run says is what its own statements did: with another person writing at the same time, after a
// failure in the middle, and in a preview nobody answers. A day that carries resources survives any race,
// and a database of another schema version is refused with a line that says what to do.
#include <atomic>
#include <chrono>
#include <thread>

#include "cli/cli_runner.hpp"

namespace cli::testing {
namespace {

class CliStory : public calendatt::testing::OnEachEngine<CliScenario> {
 protected:
  void SetUp() override {
    CliScenario::SetUp();
    if (!HasFatalFailure()) add_long_activity("2030-12-31");
  }
  bool file() const { return engine() == Engine::SQLite; }
  static std::string day(const std::string& date) {
    return "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
           "PD4G_DATAATTIVITA, PD4G_ORAINIZIO, PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE, PD4G_DURATAORE, "
           "PD4G_DURATAMINUTI) VALUES (1, 201, 1999, '" +
           date + "', 0, 0, 5, 0, 5, 0)";
  }
  int long_days(const std::string& where = "") const {
    return count("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999" + where);
  }
};

TEST_P(CliStory, TheSummaryCountsOnlyWhatTheRunsOwnStatementsWrote) {
  // Another person holds the calendar's write lock while the run starts, and plans 4 of its 11 days.
  auto other = db_->raw();
  other->exec(file() ? "BEGIN IMMEDIATE" : "BEGIN; LOCK TABLE PD4G_CALENDATT IN EXCLUSIVE MODE");
  CliResult r;
  std::thread running([&] {
    r =
        run(long1("add-range --from 2027-01-01 --to 2027-01-11 --every 1 --hours 2 --existing skip --yes "
                  "--lang en"));
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  for (const char* date : {"2027-01-03", "2027-01-05", "2027-01-07", "2027-01-09"}) other->exec(day(date));
  other->exec("COMMIT");
  running.join();
  EXPECT_EQ(r.status, 0) << r.all_err();
  EXPECT_NE(r.out.find(": 7 added, 0 overwritten, 4 skipped."), std::string::npos) << r.out << r.all_err();
  EXPECT_EQ(long_days(), 11);
  EXPECT_EQ(long_days(" AND PD4G_DURATAORE = 5"), 4);
}

TEST_P(CliStory, AFailureInTheMiddleKeepsTheDaysBeforeItAndTheLastLineCountsThem) {
  const auto args = long1(
      "add-range --from 2027-01-01 --to 2029-09-26 --every 1 --hours 2 --existing stop "
      "--yes --lang en");
  std::thread stopper;
  if (file()) {
    // A statement that makes the engine give up its whole transaction, on the sixth day.
    raw_->exec(
        "CREATE TRIGGER refuse_one BEFORE INSERT ON PD4G_CALENDATT WHEN NEW.PD4G_DATAATTIVITA = '2027-01-06' "
        "BEGIN SELECT RAISE(ROLLBACK, 'refused on this day'); END");
  } else {
    // The server ends the run's sessions once some days are there.
    stopper = std::thread([&] {
      auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      while (long_days() < 50 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      raw_->exec(
          "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database() AND pid "
          "<> pg_backend_pid()");
    });
  }
  auto r = run(args);
  if (stopper.joinable()) stopper.join();
  EXPECT_EQ(r.status, 3) << r.all_err();
  const int stored = long_days();
  if (file()) {
    EXPECT_EQ(stored, 5);
  }
  EXPECT_GT(stored, 0);
  EXPECT_LT(stored, 1000);
  ASSERT_FALSE(r.err.empty());
  EXPECT_EQ(r.err.back(), "calendatt: stopped after an error: " + std::to_string(stored) +
                              " added before it, nothing after");
  // What is stored is the run's first days, with no gap.
  EXPECT_EQ(long_days(" AND PD4G_DATAATTIVITA < '2027-01-01'"), 0);
  EXPECT_EQ(raw_->value("SELECT MAX(PD4G_DATAATTIVITA) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999")
                .substr(0, 10),
            raw_->value(file() ? "SELECT date('2027-01-01', '+" + std::to_string(stored - 1) + " days')"
                               : "SELECT (DATE '2027-01-01' + " + std::to_string(stored - 1) + ")::text"));
}

TEST_P(CliStory, APreviewOfADeletionRunsToItsEndWithoutAnAnswerAndChangesNothing) {
  ASSERT_EQ(run(long1("add-range --from 2027-01-01 --to 2027-01-10 --every 1 --hours 2 --yes")).status, 0);
  // The days of the engine's journal moved into the file first: a connection that closes last does it too,
  // which changes the bytes and nothing else.
  if (file()) raw_->exec("PRAGMA wal_checkpoint(TRUNCATE)");
  const std::string rows = raw_->value("SELECT COUNT(*) FROM PD4G_CALENDATT");
  const std::string bytes = file() ? read_file(db_->target()) : "";
  // No --yes, and no terminal to ask on.
  auto r = run(long1("delete-range --from 2027-01-01 --to 2027-01-10 --every 1 --dry-run --format csv"));
  EXPECT_EQ(r.status, 0) << r.all_err();
  EXPECT_EQ(split_lines(r.out).size(), 11u) << r.out;  // the header, then each date
  EXPECT_NE(r.out.find("2027-01-10,delete"), std::string::npos) << r.out;
  EXPECT_FALSE(r.has_line("[42123] Operazione completata"));
  if (file()) {
    EXPECT_TRUE(read_file(db_->target()) == bytes) << "the preview changed the file";
  }
  EXPECT_EQ(raw_->value("SELECT COUNT(*) FROM PD4G_CALENDATT"), rows);
}

TEST_P(CliStory, ADeletionRacingAnAllocationNeverLeavesItPointingAtNothing) {
  ASSERT_EQ(run(long1("add-range --from 2027-01-01 --to 2027-06-30 --every 1 --hours 2 --yes")).status, 0);
  std::vector<std::string> ids;
  for (const auto& row :
       raw_->rows("SELECT PD4G_IDCALENDARIO FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999 "
                  "ORDER BY PD4G_DATAATTIVITA"))
    ids.push_back(row.substr(row.find(':') + 1, row.size() - row.find(':') - 2));
  // Allocations land day after day, from the first, all the while the deletion walks and deletes: some on
  // days it has already found free.
  auto other = db_->raw();
  std::atomic<bool> done{false};
  std::thread allocating([&] {
    for (std::size_t i = 0; i < ids.size() && !done; ++i) {
      try {
        other->exec(
            "INSERT INTO PD4H_ALLRISPROG (PD4H_IDCALENDARIO_PD4G, PD4H_CODRISORSA, PD4H_ORE) VALUES (" +
            ids[i] + ", 'R', 1)");
      } catch (const std::exception&) {
        // The day is already gone: the database refused the allocation.
      }
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  });
  auto r = run(long1("delete-range --from 2027-01-01 --to 2027-06-30 --every 1 --yes"));
  done = true;
  allocating.join();
  EXPECT_EQ(count("SELECT COUNT(*) FROM PD4H_ALLRISPROG WHERE NOT EXISTS (SELECT 1 FROM PD4G_CALENDATT WHERE "
                  "PD4G_IDCALENDARIO = PD4H_IDCALENDARIO_PD4G)"),
            0);
  // Either the deletion went through before the allocations, or it failed as a whole.
  if (r.status != 0) {
    EXPECT_EQ(long_days(), 181) << r.all_err();
  }
}

TEST_P(CliStory, ADatabaseOfAnotherSchemaVersionIsRefusedUntilInitUpgradesIt) {
  const std::string version = "UPDATE CALENDATT_INFO SET \"value\" = '%' WHERE \"key\" = 'schema_version'";
  raw_->exec(runtime::replace_all(version, "%", "1"));
  auto old = run({"list", "--lang", "en"});
  EXPECT_EQ(old.status, 3);
  ASSERT_FALSE(old.err.empty());
  EXPECT_NE(
      old.err.back().find("has schema version 1 and this program uses 4: upgrade it, keeping every row, "
                          "with calendatt init --db "),
      std::string::npos)
      << old.all_err();
  const int days = calendar_rows();
  auto init = run({"init", "--lang", "en"});
  EXPECT_EQ(init.status, 0) << init.all_err();
  EXPECT_EQ(init.out.rfind("Schema upgraded from version 1 to 4, every row kept, in ", 0), 0u) << init.out;
  EXPECT_EQ(calendar_rows(), days);
  EXPECT_EQ(run({"list"}).status, 0);
  raw_->exec(runtime::replace_all(version, "%", "5"));
  for (const char* command : {"list", "init"}) {
    auto newer = run({command, "--lang", "en"});
    EXPECT_EQ(newer.status, 3) << command;
    EXPECT_NE(newer.all_err().find("newer"), std::string::npos) << newer.all_err();
  }
}

CALENDATT_ON_EACH_ENGINE(CliStory);

}  // namespace
}  // namespace cli::testing
