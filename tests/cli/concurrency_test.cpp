// Several people at once on one database, each running the `calendatt` program: the unique day key keeps
// one row per day whoever wins, and a reader during a generation sees whole days only.
#include <filesystem>
#include <set>
#include <thread>

#include "cli/cli_runner.hpp"

namespace cli::testing {
namespace {

class CliConcurrency : public calendatt::testing::OnEachEngine<CliScenario> {
 protected:
  void SetUp() override {
    CliScenario::SetUp();
    if (!HasFatalFailure()) add_long_activity("2030-12-31");
  }

  // Runs every command at the same time, each with its own output folder, and waits for all.
  std::vector<CliResult> together(const std::vector<std::vector<std::string>>& commands) {
    std::vector<CliResult> results(commands.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < commands.size(); ++i) {
      std::string dir = (db_->dir() / ("run" + std::to_string(i))).string();
      std::filesystem::create_directories(dir);
      std::vector<std::string> args = commands[i];
      args.insert(args.end(), {"--db", db_->target()});
      threads.emplace_back([&results, i, args, dir] { results[i] = run_program(args, dir); });
    }
    for (auto& t : threads) t.join();
    return results;
  }

  int rows_of(int link, const std::string& date = "") const {
    return count("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = " + std::to_string(link) +
                 (date.empty() ? "" : " AND PD4G_DATAATTIVITA = '" + date + "'"));
  }
};

TEST_P(CliConcurrency, EightPeopleAddingTheSameDayStoreOneRow) {
  std::vector<std::vector<std::string>> commands(8, att01("add-day --day 2026-03-20 --hours 2 --minutes 0"));
  auto results = together(commands);
  EXPECT_EQ(rows_of(1001, "2026-03-20"), 1);
  int added = 0;
  for (const CliResult& r : results) {
    if (r.status == 0) {
      ++added;
      continue;
    }
    // The others are told: the day exists (77192), or the database refused the second row of the day.
    bool told = std::find(r.numbers().begin(), r.numbers().end(), 77192) != r.numbers().end() ||
                r.has_line_starting("[error]");
    EXPECT_TRUE(told) << r.status << "\n" << r.all_err();
    EXPECT_NE(r.status, 2) << r.all_err();
  }
  EXPECT_EQ(added, 1);
}

TEST_P(CliConcurrency, TwoGenerationsSkippingExistingDaysStoreEachDayOnceAndEachCountsItsOwn) {
  // 1,000 days from 1 January 2027.
  auto generation = long1(
      "add-range --from 2027-01-01 --to 2029-09-26 --every 1 --hours 1 --minutes 0 --existing skip --yes "
      "--on-error ignore --lang en");
  auto results = together({generation, generation});
  EXPECT_EQ(rows_of(kLongLink), 1000);
  EXPECT_EQ(
      count("SELECT COUNT(DISTINCT PD4G_DATAATTIVITA) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999"),
      1000);
  // A day the other run wrote between a run's check and its insert is refused by the day key, reported
  // and ignored; nothing else fails. Each run counts the days its own statements added: together, every
  // day once.
  int added = 0;
  for (const CliResult& r : results) {
    EXPECT_TRUE(r.status == 0 || r.status == 3) << r.all_err();
    for (const std::string& line : r.err) {
      if (line.rfind("[error]   database: ", 0) != 0) continue;
      EXPECT_TRUE(line.find("23505") != std::string::npos ||
                  line.find("UNIQUE constraint") != std::string::npos)
          << line;
    }
    const std::string said = r.status == 0 ? r.out : r.all_err();
    const std::string mark = r.status == 0 ? "ATT: " : "written despite the errors: ";
    std::size_t at = r.status == 0 ? said.find(" added, ") : said.find(mark);
    if (at == std::string::npos) {
      EXPECT_TRUE(r.status == 0 && said.find(": 0 added") != std::string::npos) << said;
      continue;
    }
    if (r.status == 0) {
      std::size_t start = said.rfind(": ", at) + 2;
      added += std::stoi(said.substr(start, at - start));
    } else {
      added += std::stoi(said.substr(at + mark.size()));
    }
  }
  EXPECT_EQ(added, 1000);
}

TEST_P(CliConcurrency, AReaderDuringAGenerationSeesWholeDays) {
  auto generation = long1(
      "add-range --from 2027-01-01 --to 2027-12-31 --every 1 --hours 3 --minutes 45 --existing stop --yes");
  std::size_t previous = 0;
  std::thread writer([&] { together({generation}); });
  for (int i = 0; i < 6; ++i) {
    auto r =
        run_program({"list", "--day", "none", "--format", "csv", "--db", db_->target()}, db_->dir().string());
    EXPECT_EQ(r.status, 0) << r.all_err();
    auto lines = split_lines(r.out);
    // Every day of the generation listed is whole, with its activity and duration; the list only grows.
    std::size_t generated = 0;
    for (const std::string& line : lines) {
      if (line.find("LONG1") == std::string::npos) continue;
      ++generated;
      EXPECT_EQ(line.rfind("PRJ002,M01,LONG1,2027-", 0), 0u) << line;
      EXPECT_NE(line.find(",3,45,2027-01-01,2030-12-31"), std::string::npos) << line;
    }
    EXPECT_GE(generated, previous);
    previous = generated;
  }
  writer.join();
  EXPECT_EQ(rows_of(kLongLink), 365);
}

CALENDATT_ON_EACH_ENGINE(CliConcurrency);

}  // namespace
}  // namespace cli::testing
