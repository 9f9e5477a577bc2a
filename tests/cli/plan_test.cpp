// What every command asks of the database is served by the indexes: run on a database of a few thousand
// links in three companies, no statement of theirs walks a whole table of nodes, links, days or
// allocations. The engines' own plans are read (SQLite without statistics; PostgreSQL with sequential
// scans discouraged, so that one shows only where no index can serve the statement).
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "cli/cli_runner.hpp"

namespace cli::testing {
namespace {

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

class CliPlans : public calendatt::testing::OnEachEngine<CliScenario> {
 protected:
  void SetUp() override {
    CliScenario::SetUp();
    if (HasFatalFailure()) return;
    // 300 nodes and 3,000 links of companies 1 to 3, three days each.
    raw_->exec(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 299) INSERT INTO "
        "PD0G_DISBAPROG (PD0G_IDDISBAPROG, PD0G_DITTA_CG18, PD0G_CODPROG_PD68, PD0G_CODNODO_PD0C) SELECT "
        "10000 + i, 1 + i % 3, 'P' || (i % 7), 'N' || i FROM n");
    raw_->exec(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2999) INSERT INTO "
        "PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, PD0H_DATAINIZPIAN, "
        "PD0H_DATAFINPIAN) SELECT 100000 + i, 10000 + i / 10, 'A' || (i % 10), '2026-01-01', '2026-12-31' "
        "FROM n");
    for (const char* day : {"2026-03-02", "2026-03-03", "2026-03-20"})
      raw_->exec(
          "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
          "PD4G_DATAATTIVITA, PD4G_DURATAORE, PD4G_DURATAMINUTI) SELECT PD0G_DITTA_CG18, PD0G_IDDISBAPROG, "
          "PD0H_IDLEGAME, '" +
          std::string(day) +
          "', 8, 0 FROM PD0H_LEGDISBAPROG INNER JOIN PD0G_DISBAPROG ON PD0G_IDDISBAPROG = "
          "PD0H_IDDISBAPROG_PD0G "
          "WHERE PD0H_IDLEGAME >= 100000");
  }

  // The statements of each run, as the engine ran them (values in place).
  std::vector<std::string> traced(const std::vector<std::vector<std::string>>& commands) {
    const std::string trace = db_->dir().string() + "/statements.sql";
    ::setenv("CALENDATT_SQL_TRACE", trace.c_str(), 1);
    for (const auto& command : commands) {
      CliResult r = run(command);
      EXPECT_EQ(r.status, 0) << r.all_err();
    }
    ::unsetenv("CALENDATT_SQL_TRACE");
    std::vector<std::string> out;
    std::string text = read_file(trace), statement;
    for (const auto& line : split_lines(text)) {
      if (line != ";") {
        statement += (statement.empty() ? "" : "\n") + line;
        continue;
      }
      std::string head = upper(statement.substr(0, 7));
      if (head.starts_with("SELECT") || head.starts_with("UPDATE") || head.starts_with("DELETE") ||
          head.starts_with("WITH"))
        out.push_back(statement);
      statement.clear();
    }
    return out;
  }

  // The lines of the plan that walk a whole large table.
  std::string scans_of(const std::string& statement) {
    std::string found;
    bool sqlite = engine() == Engine::SQLite;
    for (const auto& line : raw_->rows((sqlite ? "EXPLAIN QUERY PLAN " : "EXPLAIN ") + statement)) {
      std::string shown = upper(line);
      for (const char* table : {"PD0G_DISBAPROG", "PD0H_LEGDISBAPROG", "PD4G_CALENDATT", "PD4H_ALLRISPROG"}) {
        std::string scan = std::string(sqlite ? "SCAN " : "SEQ SCAN ON ") + table;
        if (shown.find(scan) != std::string::npos) found += line + "\n";
      }
    }
    return found;
  }
};
CALENDATT_ON_EACH_ENGINE(CliPlans);

TEST_P(CliPlans, NoCommandWalksAWholeTable) {
  auto statements = traced({
      words("list --day 2026-03-02 --format csv"),
      att01("add-day --day 2026-03-20 --hours 4 --yes"),
      att01("set-day --day 2026-03-20 --hours 5 --yes"),
      att01("add-range --from 2026-03-10 --to 2026-03-16 --every 1 --hours 2 --yes"),
      att01("delete-range --from 2026-03-10 --to 2026-03-16 --every 1 --yes"),
      att01("days --format csv"),
      att01("export-ics"),
  });
  ASSERT_GT(statements.size(), 20u);
  if (engine() == Engine::SQLite) {
    raw_->exec("DROP TABLE IF EXISTS sqlite_stat1");
    raw_->exec("DROP TABLE IF EXISTS sqlite_stat4");
  } else {
    raw_->exec("SET enable_seqscan = off");
  }
  for (const auto& statement : statements) EXPECT_EQ(scans_of(statement), "") << statement;
}

}  // namespace
}  // namespace cli::testing
