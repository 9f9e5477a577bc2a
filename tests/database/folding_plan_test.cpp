// Folding the module's self-disabling filters must not change any result set, and must let SQLite use an
// index where the raw text makes it walk every row of the company.

#include <gtest/gtest.h>

#include <algorithm>

#include "database/dialect.hpp"
#include "temp_database.hpp"

namespace database {
namespace {

class DatabaseFolding : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    db_ = new testing::TempDatabase;
    db_->create();
    testing::RawDatabase raw(db_->path());
    raw.exec("BEGIN");
    // 20,000 days: two companies, ten nodes, five links per node, 200 dates; some rows with no node or link
    // (0).
    for (int i = 0; i < 20000; ++i) {
      int company = 1 + i % 2;
      int node = 101 + (i / 2) % 10;
      int link = node * 10 + (i / 20) % 5;
      int day = i / 100;
      std::string n = i % 997 == 0 ? "0" : std::to_string(node);
      std::string l = i % 991 == 0 ? "0" : std::to_string(link);
      raw.exec(
          "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
          "PD4G_DATAATTIVITA, PD4G_DURATAORE, PD4G_DURATAMINUTI) VALUES (" +
          std::to_string(company) + ", " + n + ", " + l + ", date('2026-01-01', '+" + std::to_string(day) +
          " days'), " + std::to_string(i % 9) + ", 0)");
    }
    raw.exec("COMMIT");
  }
  static void TearDownTestSuite() {
    delete db_;
    db_ = nullptr;
  }

  static testing::TempDatabase* db_;
};

testing::TempDatabase* DatabaseFolding::db_ = nullptr;

struct Filter {
  const char* name;
  int company;
  std::string day, node, link, start, end;
  bool indexed_by_date;  // the adapted plan constrains the date through an index
};

TEST_F(DatabaseFolding, SameRowsAndAnIndexedPlan) {
  const std::vector<Filter> filters = {
      {"every filter off", 1, "", "", "", "", "", false},
      {"one day", 1, "2026-03-01", "", "", "", "", true},
      {"one day of the other company", 2, "2026-03-01", "", "", "", "", true},
      {"node only", 1, "", "104", "", "", "", false},
      {"node and link", 1, "", "103", "1032", "", "", false},
      {"node, link and period", 1, "", "103", "1032", "2026-02-01", "2026-02-28", true},
      {"day, node and link (the day check)", 1, "2026-01-10", "105", "1051", "", "", true},
      {"period only", 1, "", "", "", "2026-03-10", "2026-03-20", true},
      {"day outside the period", 1, "2026-05-01", "", "", "2026-03-10", "2026-03-20", true},
      {"node that matches nothing", 1, "", "999", "", "", "", false},
  };
  testing::RawDatabase raw(db_->path());
  auto connection = db_->connect();
  for (const Filter& f : filters) {
    SCOPED_TRACE(f.name);
    std::string original = testing::calendar_query(f.company, f.day, f.node, f.link, f.start, f.end);
    std::string adapted = adapt_statement(original);
    std::vector<std::string> expected = raw.rows(original);
    EXPECT_EQ(raw.rows(adapted), expected);
    // The layer returns the same rows, through its kept statement of this shape (the filters differ only
    // in their values, so every one after the first is bound to a statement prepared before).
    auto recordset = connection->Execute(original, host::kAdCmdText);
    EXPECT_EQ(recordset->RecordCount(), static_cast<std::int32_t>(expected.size()));
    std::vector<std::string> ids;
    for (; !recordset->Eof(); recordset->MoveNext())
      ids.push_back("1:" + recordset->Field("PD4G_IDCALENDARIO").to_string() + "|");
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, raw.rows("SELECT PD4G_IDCALENDARIO FROM (" + original + ")"));
    // The kept statement reaches the indexes the raw text never could (it narrows only by company):
    // its filters are folded and its values are parameters now.
    LiftedStatement lifted = adapt_and_lift(original);
    EXPECT_FALSE(lifted.parameters.empty());
    std::string lifted_plan = raw.plan(lifted.text);
    if (f.indexed_by_date) {
      EXPECT_NE(lifted_plan.find("INDEX"), std::string::npos) << lifted_plan;
      EXPECT_NE(lifted_plan.find("PD4G_DATAATTIVITA"), std::string::npos) << lifted_plan;
    }
    if (!f.node.empty()) {
      EXPECT_NE(lifted_plan.find("PD4G_IDDISBAPROG_PD0G=?"), std::string::npos) << lifted_plan;
    }
  }
}

}  // namespace
}  // namespace database
