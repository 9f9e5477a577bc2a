#include "database/sqlite_connection.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "database/demo.hpp"
#include "runtime/error.hpp"
#include "temp_database.hpp"

namespace database {
namespace {

// Runs f, expects a runtime::Error and returns it.
template <class F>
runtime::Error error_of(F&& f) {
  try {
    f();
  } catch (const runtime::Error& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return runtime::Error(0, "");
}

std::string count_days(host::Connection& c) {
  return c.Execute("SELECT COUNT(*) AS N FROM PD4G_CALENDATT", host::kAdCmdText)->Field("N").to_string();
}

TEST(DatabaseConnection, ConnectionStringForms) {
  testing::TempDatabase db;
  db.create();
  const std::string p = db.path();
  for (const std::string& text :
       {"Provider=SQLite;Data Source=" + p, " data source = " + p + " ; PROVIDER=sqlite ",
        "Data Source=\"" + p + "\";Persist Security Info=False", p}) {
    SCOPED_TRACE(text);
    auto c = new_connection();
    c->SetConnectionString(text);
    c->Open("", "", "", -1);
    EXPECT_EQ(c->State(), host::kAdStateOpen);
    EXPECT_TRUE(c->Errors().empty());
    c->Close();
    EXPECT_EQ(c->State(), host::kAdStateClosed);
  }
}

TEST(DatabaseConnection, OpenRefusesWhatItCannotOpenAndNeverCreates) {
  testing::TempDatabase db;
  const std::string missing = (db.dir() / "missing.db").string();
  struct Case {
    const char* name;
    std::string text;
    std::string in_description;
  };
  for (const Case& c :
       std::vector<Case>{{"missing file", "Data Source=" + missing, missing},
                         {"other provider", "Provider=ServerEngine;Data Source=" + missing, "ServerEngine"},
                         {"no data source", "Provider=SQLite", "Data Source"}}) {
    SCOPED_TRACE(c.name);
    auto connection = new_connection();
    runtime::Error e = error_of([&] { connection->Open(c.text, "", "", -1); });
    EXPECT_EQ(e.number(), kOpenError);
    EXPECT_NE(e.description().find(c.in_description), std::string::npos) << e.description();
    EXPECT_EQ(connection->State(), host::kAdStateClosed);
    ASSERT_EQ(connection->Errors().size(), 1u);
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(DatabaseConnection, OpensInWalModeWithFullSyncAndABusyTimeout) {
  testing::TempDatabase db;
  db.create();
  auto c = db.connect();
  EXPECT_EQ(c->Execute("PRAGMA journal_mode", host::kAdCmdText)->Field("journal_mode"),
            runtime::Variant("wal"));
  EXPECT_EQ(c->Execute("PRAGMA synchronous", host::kAdCmdText)->Field("synchronous"), runtime::Variant(2));
  // A second user's lock is waited for, not failed on: the write goes through once it is released.
  testing::RawDatabase other(db.path());
  other.exec("BEGIN IMMEDIATE");
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    other.exec("COMMIT");
  });
  EXPECT_NO_THROW(c->Execute("DELETE FROM PD4G_CALENDATT", host::kAdCmdText | host::kAdExecuteNoRecords));
  release.join();
}

TEST(DatabaseConnection, RunsOneStatementOnly) {
  testing::TempDatabase db;
  auto c = db.create(true);
  const std::string before = count_days(*c);
  for (const char* sql : {"SELECT 1; DELETE FROM PD4G_CALENDATT", "DELETE FROM PD4G_CALENDATT;; SELECT 1",
                          "SELECT 1 -- note\n; DELETE FROM PD4G_CALENDATT"}) {
    SCOPED_TRACE(sql);
    runtime::Error e = error_of([&] { c->Execute(sql, 129); });
    EXPECT_EQ(e.number(), kCommandError);
    EXPECT_EQ(c->Errors().size(), 1u);
    EXPECT_EQ(count_days(*c), before);
  }
  // A single ';' and blanks after the statement are fine.
  for (const char* sql : {"SELECT 1;", "SELECT 1 ; \r\n"}) {
    SCOPED_TRACE(sql);
    EXPECT_EQ(c->Execute(sql, host::kAdCmdText)->RecordCount(), 1);
  }
}

// The calendar never writes a comment: one outside a literal can only come from a value that left its
// quotes, so the whole text is refused before it runs. Inside literals and quoted names it is a value.
TEST(DatabaseConnection, RefusesACommentOrAnOpenLiteralOutsideTheValues) {
  testing::TempDatabase db;
  auto c = db.create(true);
  const std::string before = count_days(*c);
  for (const char* sql : {"DELETE FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 1 -- AND 1=0",
                          "DELETE FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 1 /* AND 1=0 */",
                          "DELETE FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 1 AND 'x' = 'it''s",
                          "SELECT 1 ; -- end", "SELECT 1 /* a */"}) {
    SCOPED_TRACE(sql);
    runtime::Error e = error_of([&] { c->Execute(sql, 129); });
    EXPECT_EQ(e.number(), kCommandError);
    EXPECT_NE(e.description().find("commento"), std::string::npos) << e.description();
    ASSERT_EQ(c->Errors().size(), 1u);
    EXPECT_EQ(count_days(*c), before);
  }
  for (const char* sql : {"SELECT '--' AS x", "SELECT '/*' AS \"a--b\"", "SELECT 'l''orto -- x' AS [c/*]"}) {
    SCOPED_TRACE(sql);
    EXPECT_EQ(c->Execute(sql, host::kAdCmdText)->RecordCount(), 1);
  }
}

TEST(DatabaseConnection, ProviderErrorsOfTheLastFailedCall) {
  testing::TempDatabase db;
  auto c = db.create(true);
  runtime::Error e = error_of([&] { c->Execute("SELECT * FROM NO_SUCH_TABLE", host::kAdCmdText); });
  EXPECT_EQ(e.number(), kCommandError);
  EXPECT_EQ(e.source(), "SQLite provider");
  EXPECT_NE(e.description().find("no such table: NO_SUCH_TABLE"), std::string::npos) << e.description();
  ASSERT_EQ(c->Errors().size(), 1u);
  EXPECT_EQ(c->Errors()[0].number, SQLITE_ERROR);
  EXPECT_EQ(c->Errors()[0].description, "no such table: NO_SUCH_TABLE");
  EXPECT_EQ(c->Errors()[0].source, "SQLite");

  // A duplicate day reports the extended code of the unique index.
  error_of([&] {
    c->Execute(
        "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
        "PD4G_DATAATTIVITA) VALUES (1, 101, 1001, '2026-03-02')",
        129);
  });
  ASSERT_EQ(c->Errors().size(), 1u);
  EXPECT_EQ(c->Errors()[0].number, SQLITE_CONSTRAINT_UNIQUE);

  c->Execute("SELECT 1", 129);
  EXPECT_TRUE(c->Errors().empty());

  c->Close();
  EXPECT_EQ(error_of([&] { c->Execute("SELECT 1", 129); }).number(), kObjectClosed);
}

TEST(DatabaseConnection, RunsTheModuleStatements) {
  testing::TempDatabase db;
  auto c = db.create(true);
  // The bulk update with the link id glued to AND changes exactly its day.
  EXPECT_EQ(
      c->Execute(
          "UPDATE PD4G_CALENDATT SET   PD4G_ANNOATTIVITA=2026,  PD4G_MESEATTIVITA=3,  PD4G_GGATTIVITA=2,  "
          "PD4G_ORAINIZIO=0,  PD4G_MININIZIO=0,  PD4G_ORAFINE=6,  PD4G_MINFINE=0,  PD4G_DURATAORE=6,  "
          "PD4G_DURATAMINUTI=0 WHERE PD4G_DITTA_CG18  = 1  AND PD4G_IDDISBAPROG_PD0G = 101 AND "
          "PD4G_IDLEGAME_PD0H = 1001AND PD4G_DATAATTIVITA = '2026-03-02'",
          129),
      nullptr);
  EXPECT_EQ(c->RowsAffected(), 1);
  // Without the no-records option a statement that returns no columns gives a closed recordset.
  EXPECT_EQ(c->Execute("UPDATE PD4G_CALENDATT SET PD4G_MINFINE = 0 WHERE PD4G_IDCALENDARIO = 1", 1)->State(),
            host::kAdStateClosed);
  testing::RawDatabase raw(db.path());
  EXPECT_EQ(raw.value("SELECT PD4G_DURATAORE FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = 1"), "6");

  auto allocations = c->Execute(
      "SELECT COUNT(PD4H_IDCALENDARIO_PD4G) AS NRRIS \r\n FROM PD4H_ALLRISPROG WITH(NOLOCK) \r\n INNER JOIN "
      "PD4G_CALENDATT WITH(NOLOCK) \r\n ON PD4G_IDCALENDARIO = PD4H_IDCALENDARIO_PD4G \r\n WHERE "
      "PD4G_DITTA_CG18 = 1 "
      "\r\n AND PD4G_IDDISBAPROG_PD0G = 101\r\n AND PD4G_IDLEGAME_PD0H = 1001\r\n AND PD4G_DATAATTIVITA = "
      "'2026-03-04'",
      host::kAdCmdText);
  EXPECT_EQ(allocations->Field("NRRIS"), runtime::Variant(2));

  auto top =
      c->Execute("SELECT TOP 1 1 FROM PD4H_ALLRISPROG WHERE PD4H_IDCALENDARIO_PD4G = 4", host::kAdCmdText);
  EXPECT_EQ(top->RecordCount(), 1);
  EXPECT_TRUE(
      c->Execute("SELECT TOP 1 1 FROM PD4H_ALLRISPROG WHERE PD4H_IDCALENDARIO_PD4G = 1", host::kAdCmdText)
          ->Eof());

  // Activity resolution: the stored codes of node 102 carry trailing blanks.
  auto resolve = [&](const char* project, const char* node, const char* activity) {
    return c->Execute(
        std::string("SELECT * FROM PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG ON PD0H_IDDISBAPROG_PD0G "
                    "= PD0G_IDDISBAPROG \r\nWHERE PD0G_DITTA_CG18 = 1 \r\nAND "
                    "(RTRIM(PD0G_CODPROG_PD68)='") +
            project + "'       AND RTRIM(PD0G_CODNODO_PD0C)='" + node +
            "'       AND RTRIM(PD0H_CODATTIVITA_PD0D)='" + activity + "')",
        host::kAdCmdText);
  };
  auto build = resolve("PRJ001", "N02", "ATT01");
  ASSERT_EQ(build->RecordCount(), 1);
  EXPECT_EQ(build->Field("PD0H_IDLEGAME"), runtime::Variant(demo::kLinkBuild));
  EXPECT_EQ(build->Field("PD0H_DATAINIZPIAN"), runtime::Variant(runtime::Date::from_ymd(2026, 5, 1)));
  EXPECT_EQ(resolve("PRJ001", "N01", "ATT06")->RecordCount(), 2);
  EXPECT_EQ(resolve("PRJ001", "N01", "ATT99")->RecordCount(), 0);
}

TEST(DatabaseConnection, TwoConnectionsSeeEachOthersWrites) {
  testing::TempDatabase db;
  auto first = db.create(true);
  auto second = db.connect();
  first->Execute("DELETE FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 2", 129);
  EXPECT_EQ(first->RowsAffected(), 2);
  EXPECT_EQ(count_days(*second), std::to_string(demo::kDays.size() - 2));
}

}  // namespace
}  // namespace database
