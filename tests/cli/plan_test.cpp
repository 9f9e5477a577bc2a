// On a database of a few thousand links in three companies, no statement of the commands walks a whole
// table of nodes, links, days or allocations: SQLite plans without statistics, PostgreSQL with sequential
// scans discouraged (one then shows only where no index can serve the statement).
#include <cstdlib>

#include "cli/cli_runner.hpp"

namespace cli::testing {
namespace {

class CliPlans : public calendatt::testing::OnEachEngine<CliScenario> {};
CALENDATT_ON_EACH_ENGINE(CliPlans);

TEST_P(CliPlans, NoCommandWalksAWholeTable) {
  raw_->exec(
      "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 299) INSERT INTO "
      "PD0G_DISBAPROG "
      "(PD0G_IDDISBAPROG, PD0G_DITTA_CG18, PD0G_CODPROG_PD68, PD0G_CODNODO_PD0C) SELECT 10000 + i, 1 + i % "
      "3, "
      "'P' || (i % 7), 'N' || i FROM n");
  raw_->exec(
      "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2999) INSERT INTO "
      "PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D) SELECT 100000 + i, "
      "10000 + i / 10, 'A' || (i % 10) FROM n");
  for (std::string day : {"2026-03-02", "2026-03-03", "2026-03-20"})
    raw_->exec(
        "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
        "PD4G_DATAATTIVITA, PD4G_DURATAORE, PD4G_DURATAMINUTI) SELECT PD0G_DITTA_CG18, PD0G_IDDISBAPROG, "
        "PD0H_IDLEGAME, '" +
        day +
        "', 8, 0 FROM PD0H_LEGDISBAPROG JOIN PD0G_DISBAPROG ON PD0G_IDDISBAPROG = PD0H_IDDISBAPROG_PD0G "
        "WHERE PD0H_IDLEGAME >= 100000");
  const std::string trace = db_->dir().string() + "/statements.sql";
  ::setenv("CALENDATT_SQL_TRACE", trace.c_str(), 1);
  for (const auto& command :
       {words("list --day 2026-03-02 --format csv"), att01("add-day --day 2026-03-20 --hours 4 --yes"),
        att01("set-day --day 2026-03-20 --hours 5 --yes"),
        att01("add-range --from 2026-03-10 --to 2026-03-16 --every 1 --hours 2 --yes"),
        att01("delete-range --from 2026-03-10 --to 2026-03-16 --every 1 --yes"), att01("days --format csv"),
        att01("export-ics")})
    EXPECT_EQ(run(command).status, 0);
  ::unsetenv("CALENDATT_SQL_TRACE");
  const bool sqlite = engine() == Engine::SQLite;
  raw_->exec(sqlite ? "DROP TABLE IF EXISTS sqlite_stat1" : "SET enable_seqscan = off");
  int explained = 0;
  std::string statement;
  for (const auto& line : split_lines(read_file(trace))) {
    if (line != ";") {
      statement += line + "\n";
      continue;
    }
    if (statement.starts_with("SELECT") || statement.starts_with("UPDATE") ||
        statement.starts_with("DELETE")) {
      ++explained;
      for (const auto& step : raw_->rows((sqlite ? "EXPLAIN QUERY PLAN " : "EXPLAIN ") + statement))
        for (const char* table : {"PD0G_DISBAPROG", "PD0H_LEGDISBAPROG", "PD4G_CALENDATT", "PD4H_ALLRISPROG",
                                  "pd0g_disbaprog", "pd0h_legdisbaprog", "pd4g_calendatt", "pd4h_allrisprog"})
          EXPECT_EQ(step.find((sqlite ? "SCAN " : "Seq Scan on ") + std::string(table)), std::string::npos)
              << statement << step;
    }
    statement.clear();
  }
  EXPECT_GT(explained, 20);
}

}  // namespace
}  // namespace cli::testing
