// The headless grid over a real database: current row, plain and lookup columns.
#include <gtest/gtest.h>

#include "database/engine_recordset.hpp"
#include "database/sqlite_connection.hpp"
#include "database/temp_database.hpp"
#include "runtime/error.hpp"
#include "standin/headless_forms.hpp"
#include "test_support.hpp"

namespace standin {
namespace {

using runtime::Variant;

constexpr const char* kProjectLookup = "SELECT P_ID, P_CODE FROM PROJECTS WHERE P_COMPANY=1";
constexpr const char* kStartLookup =
    "SELECT L_ID, \r\n CASE WHEN L_PLANNED IS NOT NULL THEN L_PLANNED ELSE L_FORESEEN END AS L_START \r\n "
    "FROM LINKS ";

class GridTest : public ::testing::Test {
 protected:
  database::testing::TempDatabase scratch;
  std::shared_ptr<host::Connection> connection;
  HeadlessFormFactory factory;
  testing::TestWindow window;
  std::shared_ptr<HeadlessGrid> grid;
  std::vector<std::string> queries;
  int row_changes = 0;

  void SetUp() override {
    connection = database::open_or_create(scratch.path());
    for (const char* sql : {
             "CREATE TABLE PROJECTS (P_ID INTEGER PRIMARY KEY, P_COMPANY INTEGER, P_CODE TEXT)",
             "CREATE TABLE LINKS (L_ID INTEGER PRIMARY KEY, L_PLANNED DATE, L_FORESEEN DATE)",
             "CREATE TABLE DAYS (D_ID INTEGER PRIMARY KEY, D_PROJECT INTEGER, D_LINK INTEGER, D_HOURS "
             "INTEGER)",
             "INSERT INTO PROJECTS VALUES (10, 1, 'P-UNO'), (11, 1, 'P-DUE'), (12, 2, 'ALTRA DITTA')",
             "INSERT INTO LINKS VALUES (5, '2026-03-02', NULL), (6, NULL, '2026-04-01')",
             "INSERT INTO DAYS VALUES (1, 10, 5, 8), (2, 11, 6, 4), (3, 12, 5, 2), (4, NULL, 7, 1)",
         })
      connection->Execute(sql, host::kAdCmdText | host::kAdExecuteNoRecords);
    factory.set_query_runner([this](const std::string& sql) {
      queries.push_back(sql);
      auto rs = std::make_shared<database::EngineRecordset>();
      rs->Open(sql, connection, -1, -1, host::kAdCmdText);
      return rs;
    });
    host::FormDesign design{"FRM_GRID", "", {{host::kind::kGrid, "GRID", "", {}}}};
    window.site = factory.CreateForm(design, &window);
    grid = std::dynamic_pointer_cast<HeadlessFormSite>(window.site)->grid("GRID");
    grid->RowChange = [this] { ++row_changes; };
    grid->BeginDefinition();
    grid->AddLookupColumn("PROJECT_CODE", kProjectLookup, "Codice Progetto", 2000, true);
    grid->AddLookupColumn("LINK_START", kStartLookup, "Inizio attività", 1200, true);
    grid->AddColumn("D_HOURS", "Ore", 1, 500, true);
    grid->EndColumns();
    grid->set_ColumnOption("D_HOURS", 1);
    grid->Finalize();
  }

  std::shared_ptr<host::Recordset> open_days() {
    auto rs = std::make_shared<database::EngineRecordset>();
    rs->Open("SELECT DAYS.*, D_PROJECT AS PROJECT_CODE, D_LINK AS LINK_START FROM DAYS ORDER BY D_ID",
             connection, -1, -1, host::kAdCmdText);
    return rs;
  }
};

TEST_F(GridTest, LookupColumnsShowTheLookedUpValue) {
  grid->AttachRecordset(open_days());
  EXPECT_EQ(row_changes, 1);
  EXPECT_EQ(grid->CurrentValue("PROJECT_CODE"), Variant("P-UNO"));
  EXPECT_EQ(grid->CurrentValue("link_start"), Variant(runtime::Date::from_ymd(2026, 3, 2)));
  EXPECT_EQ(grid->CurrentValue("D_HOURS"), Variant(std::int32_t{8}));
  // A field that is not a column reads from the row.
  EXPECT_EQ(grid->CurrentValue("D_ID"), Variant(std::int32_t{1}));

  ASSERT_TRUE(grid->select_row(1));
  EXPECT_EQ(row_changes, 2);
  EXPECT_EQ(grid->CurrentValue("PROJECT_CODE"), Variant("P-DUE"));
  EXPECT_EQ(grid->CurrentValue("LINK_START"), Variant(runtime::Date::from_ymd(2026, 4, 1)));
  // The lookup query's own filter decides: project 12 is another company's.
  ASSERT_TRUE(grid->select_row(2));
  EXPECT_TRUE(grid->CurrentValue("PROJECT_CODE").is_null());
  // No id in the row, or an id the lookup does not know.
  ASSERT_TRUE(grid->select_row(3));
  EXPECT_TRUE(grid->CurrentValue("PROJECT_CODE").is_null());
  EXPECT_TRUE(grid->CurrentValue("LINK_START").is_null());
  EXPECT_FALSE(grid->select_row(4));
  EXPECT_THROW(grid->CurrentValue("NON_ESISTE"), runtime::Error);
  // The definition is closed: a column twice, or an option of no column, is refused.
  EXPECT_THROW(grid->AddColumn("D_HOURS", "Ore", 1, 500, true), runtime::Error);
  EXPECT_THROW(grid->set_ColumnOption("NESSUNA", 1), runtime::Error);
}

TEST_F(GridTest, EachLookupRunsOncePerAttach) {
  grid->AttachRecordset(open_days());
  for (int row = 0; row < 4; ++row) {
    grid->select_row(row);
    grid->CurrentValue("PROJECT_CODE");
    grid->CurrentValue("LINK_START");
  }
  // Each reads only the rows of the ids the grid holds.
  ASSERT_EQ(queries.size(), 2u);
  EXPECT_TRUE(
      queries[0].starts_with("SELECT * FROM (" + std::string(kProjectLookup) + ") AS LOOKUP_ROWS WHERE "))
      << queries[0];
  EXPECT_TRUE(
      queries[1].starts_with("SELECT * FROM (" + std::string(kStartLookup) + ") AS LOOKUP_ROWS WHERE "))
      << queries[1];
  // New rows in the master table show after the next attach, not before.
  connection->Execute("UPDATE PROJECTS SET P_CODE = 'P-UNO-BIS' WHERE P_ID = 10", 129);
  grid->select_row(0);
  EXPECT_EQ(grid->CurrentValue("PROJECT_CODE"), Variant("P-UNO"));
  grid->DetachRecordset();
  EXPECT_TRUE(grid->CurrentValue("PROJECT_CODE").is_empty());
  grid->AttachRecordset(open_days());
  EXPECT_EQ(grid->CurrentValue("PROJECT_CODE"), Variant("P-UNO-BIS"));
  EXPECT_EQ(queries.size(), 3u);
}

}  // namespace
}  // namespace standin
