// On a database of a few thousand links in three companies, no statement of the commands walks a whole
// table of nodes, links, days or allocations: SQLite plans without statistics, PostgreSQL with sequential
// scans discouraged (one then shows only where no index can serve the statement).
#include <cstdlib>
#include <regex>

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
      // A scan of one of the tables that no condition of an index serves walks all of it: SQLite says
      // SCAN; PostgreSQL, with sequential scans discouraged, walks a whole index with a Filter only. Its
      // plan in JSON lists each node's own keys before the nodes under it. The codes are indexed with
      // the key they belong to: one compared in a Filter walks every row of that key (of the company).
      if (sqlite) {
        // SQLite names the columns an index serves: every code the statement compares is one of them.
        std::string plan;
        for (const auto& step : raw_->rows("EXPLAIN QUERY PLAN " + statement)) {
          plan += step;
          for (const char* table :
               {"PD0G_DISBAPROG", "PD0H_LEGDISBAPROG", "PD4G_CALENDATT", "PD4H_ALLRISPROG"})
            EXPECT_EQ(step.find("SCAN " + std::string(table)), std::string::npos) << statement << step;
        }
        for (const char* code : {"PD0G_CODPROG_PD68", "PD0G_CODNODO_PD0C", "PD0H_CODATTIVITA_PD0D"}) {
          const bool compared =
              std::regex_search(statement, std::regex(std::string(code) + R"(\)?( COLLATE RTRIM)? ?=)"));
          EXPECT_TRUE(!compared || plan.find(std::string(code) + "=?") != std::string::npos)
              << statement << plan;
        }
      } else {
        const std::string plan = raw_->value("EXPLAIN (FORMAT JSON) " + statement);
        for (std::size_t at = plan.find("\"Node Type\""); at != std::string::npos;) {
          const std::size_t next = plan.find("\"Node Type\"", at + 1);
          const std::string node = plan.substr(at, next == std::string::npos ? next : next - at);
          for (const char* table :
               {"pd0g_disbaprog", "pd0h_legdisbaprog", "pd4g_calendatt", "pd4h_allrisprog"})
            if (node.substr(0, node.find('\n')).find("Scan") != std::string::npos &&
                node.find("\"Relation Name\": \"" + std::string(table) + "\"") != std::string::npos) {
              EXPECT_TRUE(node.find("\"Index Cond\"") != std::string::npos ||
                          node.find("\"Recheck Cond\"") != std::string::npos)
                  << statement << node;
              const std::size_t filter = node.find("\"Filter\"");
              const std::string filtered =
                  filter == std::string::npos ? "" : node.substr(filter, node.find('\n', filter) - filter);
              for (const char* code : {"codprog_pd68", "codnodo_pd0c", "codattivita_pd0d"})
                EXPECT_EQ(filtered.find(code), std::string::npos) << statement << node;
            }
          at = next;
        }
      }
    }
    statement.clear();
  }
  EXPECT_GT(explained, 20);
}

}  // namespace
}  // namespace cli::testing
