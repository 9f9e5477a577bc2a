#include "database/schema.hpp"

#include <gtest/gtest.h>

#include "database/demo.hpp"
#include "support/engines.hpp"
#include "temp_database.hpp"

namespace database {
namespace {

using calendatt::testing::Engine;
using calendatt::testing::ScratchDatabase;

TEST(DatabaseSchema, EnsureSchemaTwiceKeepsEverything) {
  testing::TempDatabase db;
  auto c = db.create(true);
  testing::RawDatabase raw(db.path());
  const std::string objects =
      "SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master WHERE name NOT "
      "LIKE 'sqlite_%' ORDER BY name)";
  const std::string before = raw.value(objects);
  EXPECT_EQ(
      before,
      "CALENDATT_INFO CG99_MEDIA IX_PD0G_DISBAPROG_CODICI IX_PD0H_LEGDISBAPROG_NODO IX_PD4G_CALENDATT_DATA "
      "IX_PD4G_CALENDATT_GIORNO IX_PD4H_ALLRISPROG_GIORNO PD0C_NODI PD0D_ATTIVITA PD0G_DISBAPROG "
      "PD0H_LEGDISBAPROG PD4G_CALENDATT PD4H_ALLRISPROG PD68_PROGETTI");
  // A new database records its version; a second pass keeps what is there.
  EXPECT_EQ(raw.value("SELECT \"value\" FROM CALENDATT_INFO WHERE \"key\" = 'schema_version'"),
            std::to_string(kSchemaVersion));
  c->Execute("UPDATE CALENDATT_INFO SET \"value\" = 'kept' WHERE \"key\" = 'schema_version'", 129);

  ensure_schema(*c);
  EXPECT_EQ(raw.value(objects), before);
  EXPECT_EQ(raw.value("SELECT COUNT(*) FROM PD4G_CALENDATT"), std::to_string(demo::kDays.size()));
  EXPECT_EQ(raw.value("SELECT \"value\" FROM CALENDATT_INFO"), "kept");
}

TEST(DatabaseSchema, DemoDataIsInsertedOnce) {
  testing::TempDatabase db;
  auto c = db.create();
  EXPECT_TRUE(insert_demo_data(*c));
  testing::RawDatabase raw(db.path());
  const std::vector<std::pair<std::string, std::size_t>> counts = {
      {"PD68_PROGETTI", demo::kProjects.size()},      {"PD0C_NODI", demo::kNodeCodes.size()},
      {"PD0D_ATTIVITA", demo::kActivityCodes.size()}, {"PD0G_DISBAPROG", demo::kNodes.size()},
      {"PD0H_LEGDISBAPROG", demo::kLinks.size()},     {"PD4G_CALENDATT", demo::kDays.size()},
      {"PD4H_ALLRISPROG", demo::kAllocations.size()},
  };
  for (const auto& [table, count] : counts) {
    SCOPED_TRACE(table);
    EXPECT_EQ(raw.value("SELECT COUNT(*) FROM " + table), std::to_string(count));
  }
  // Every planned day keeps the module's invariants: date parts, start at 0:00, end equal to the duration.
  EXPECT_EQ(
      raw.value(
          "SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_ANNOATTIVITA <> CAST(strftime('%Y', "
          "PD4G_DATAATTIVITA) AS INTEGER) OR PD4G_MESEATTIVITA <> CAST(strftime('%m', PD4G_DATAATTIVITA) "
          "AS INTEGER) OR PD4G_GGATTIVITA <> CAST(strftime('%d', PD4G_DATAATTIVITA) AS INTEGER) OR "
          "PD4G_ORAINIZIO <> 0 OR PD4G_MININIZIO <> 0 OR PD4G_ORAFINE <> PD4G_DURATAORE OR PD4G_MINFINE "
          "<> PD4G_DURATAMINUTI"),
      "0");
  // Every code used by a node or link has its description in the master tables.
  EXPECT_EQ(
      raw.value(
          "SELECT COUNT(*) FROM PD0G_DISBAPROG WHERE NOT EXISTS (SELECT 1 FROM PD68_PROGETTI WHERE "
          "PD68_DITTA_CG18 = PD0G_DITTA_CG18 AND PD68_CODPROG = RTRIM(PD0G_CODPROG_PD68)) OR NOT EXISTS "
          "(SELECT 1 FROM PD0C_NODI WHERE PD0C_DITTA_CG18 = PD0G_DITTA_CG18 AND PD0C_CODNODO = "
          "RTRIM(PD0G_CODNODO_PD0C))"),
      "0");
  EXPECT_EQ(
      raw.value("SELECT COUNT(*) FROM PD0H_LEGDISBAPROG JOIN PD0G_DISBAPROG ON PD0G_IDDISBAPROG = "
                "PD0H_IDDISBAPROG_PD0G WHERE NOT EXISTS (SELECT 1 FROM PD0D_ATTIVITA WHERE PD0D_DITTA_CG18 = "
                "PD0G_DITTA_CG18 AND PD0D_CODATTIVITA = RTRIM(PD0H_CODATTIVITA_PD0D))"),
      "0");
}

TEST(DatabaseSchema, DemoDataLeavesAFilledDatabaseAlone) {
  testing::TempDatabase db;
  auto c = db.create();
  c->Execute("INSERT INTO PD0G_DISBAPROG VALUES (1, 7, 'P', 'N')", 129);
  EXPECT_FALSE(insert_demo_data(*c));
  EXPECT_EQ(testing::RawDatabase(db.path()).value("SELECT COUNT(*) FROM PD0H_LEGDISBAPROG"), "0");
}

// On each engine: a second pass of the schema and the demo adds nothing, and a day written without its
// key takes one past the demo's own.
class SchemaOnEachEngine : public ::testing::TestWithParam<Engine> {};

TEST_P(SchemaOnEachEngine, TheSchemaAndTheDemoAreWrittenOnce) {
  if (GetParam() == Engine::PostgreSQL) {
    ASSERT_FALSE(calendatt::testing::test_server().empty()) << calendatt::testing::kNoServer;
  }
  ScratchDatabase db(GetParam());
  auto c = db.create(true);
  auto value = [&](const std::string& sql) { return c->Execute(sql, 1)->Field("N").to_long(); };
  const std::string objects =
      GetParam() == Engine::SQLite
          ? "SELECT COUNT(*) AS N FROM sqlite_master"
          : "SELECT COUNT(*) AS N FROM pg_class WHERE relnamespace = 'public'::regnamespace";
  const std::int32_t before = value(objects);
  ensure_schema(*c);
  EXPECT_FALSE(insert_demo_data(*c));
  EXPECT_EQ(value(objects), before);
  EXPECT_EQ(value("SELECT COUNT(*) AS N FROM PD4G_CALENDATT"), static_cast<std::int32_t>(demo::kDays.size()));
  c->Execute("INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_DATAATTIVITA) VALUES (9, '2026-01-01')", 129);
  EXPECT_GT(value("SELECT PD4G_IDCALENDARIO AS N FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 9"),
            value("SELECT MAX(PD4G_IDCALENDARIO) AS N FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 <> 9"));
}

CALENDATT_ON_EACH_ENGINE(SchemaOnEachEngine);

}  // namespace
}  // namespace database
