#include "database/schema.hpp"

#include <gtest/gtest.h>

#include "database/connection.hpp"
#include "database/demo.hpp"
#include "runtime/error.hpp"
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
      "CALENDATT_AZIONI CALENDATT_GIORNALE CALENDATT_INFO CG99_MEDIA "
      "IX_CALENDATT_GIORNALE_AZIONE IX_PD0G_DISBAPROG_CODICI "
      "IX_PD0H_LEGDISBAPROG_NODO IX_PD4G_CALENDATT_DATA IX_PD4G_CALENDATT_GIORNO IX_PD4H_ALLRISPROG_GIORNO "
      "PD0C_NODI PD0D_ATTIVITA PD0G_DISBAPROG PD0H_LEGDISBAPROG PD4G_CALENDATT PD4H_ALLRISPROG PD68_PROGETTI "
      "TR_PD4G_CALENDATT_RISORSE TR_PD4G_GIORNALE_D TR_PD4G_GIORNALE_I TR_PD4G_GIORNALE_U "
      "TR_PD4H_ALLRISPROG_CAMBIO TR_PD4H_ALLRISPROG_GIORNO");
  // A new database records its version; a second pass keeps what is there.
  EXPECT_EQ(schema_version(*c), kSchemaVersion);
  ensure_schema(*c);
  EXPECT_EQ(raw.value(objects), before);
  EXPECT_EQ(raw.value("SELECT COUNT(*) FROM PD4G_CALENDATT"), std::to_string(demo::kDays.size()));
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
  c->Execute(
      "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
      "PD4G_DATAATTIVITA) VALUES (9, 1, 1, '2026-01-01')",
      129);
  EXPECT_GT(value("SELECT PD4G_IDCALENDARIO AS N FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 9"),
            value("SELECT MAX(PD4G_IDCALENDARIO) AS N FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 <> 9"));
}

// A day as a statement of anyone's may write it: hours and minutes of start, end and duration.
std::string day_insert(const std::string& id, const std::string& date, const std::string& hours,
                       const std::string& minutes) {
  return "INSERT INTO PD4G_CALENDATT (PD4G_IDCALENDARIO, PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, "
         "PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA, PD4G_ORAINIZIO, PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE, "
         "PD4G_DURATAORE, PD4G_DURATAMINUTI) VALUES (" +
         id + ", 1, 7, 7, " + date + ", 0, 0, " + hours + ", " + minutes + ", " + hours + ", " + minutes +
         ")";
}

TEST_P(SchemaOnEachEngine, TheDatabaseRefusesWhatTheRulesForbidWhoeverWrites) {
  if (GetParam() == Engine::PostgreSQL) {
    ASSERT_FALSE(calendatt::testing::test_server().empty()) << calendatt::testing::kNoServer;
  }
  ScratchDatabase db(GetParam());
  db.create(true)->Close();
  // A session of its own, that does not ask the engine to enforce keys.
  auto raw = db.raw();
  raw->exec(day_insert("900", "'2030-01-01'", "24", "0"));
  raw->exec(
      "INSERT INTO PD4H_ALLRISPROG (PD4H_IDCALENDARIO_PD4G, PD4H_CODRISORSA, PD4H_ORE) VALUES (900, 'R', 1)");
  const std::string rows = "SELECT COUNT(*) FROM PD4G_CALENDATT";
  const std::string before = raw->value(rows);
  const std::vector<std::pair<const char*, std::string>> refused = {
      {"hours above 24", day_insert("901", "'2030-01-02'", "99", "0")},
      {"minutes below 0", day_insert("901", "'2030-01-02'", "8", "-5")},
      {"minutes above 59", day_insert("901", "'2030-01-02'", "8", "60")},
      {"past 24:00", day_insert("901", "'2030-01-02'", "24", "30")},
      {"no date", day_insert("901", "NULL", "8", "0")},
      {"a day with resources deleted", "DELETE FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = 900"},
      {"an allocation of no day",
       "INSERT INTO PD4H_ALLRISPROG (PD4H_IDCALENDARIO_PD4G, PD4H_CODRISORSA, PD4H_ORE) VALUES (999999, 'R', "
       "1)"},
  };
  for (const auto& [what, sql] : refused) {
    SCOPED_TRACE(what);
    EXPECT_ANY_THROW(raw->exec(sql));
  }
  EXPECT_EQ(raw->value(rows), before);
  // Through the layer's own connection the key holds for every write.
  auto c = new_connection();
  c->Open(db.connection_string(), "", "", -1);
  EXPECT_THROW(c->Execute(refused.back().second, 129), runtime::Error);
  EXPECT_THROW(c->Execute(refused[5].second, 129), runtime::Error);
  EXPECT_EQ(raw->value(rows), before);
}

TEST_P(SchemaOnEachEngine, AnOlderDatabaseIsUpgradedInPlaceOrLeftAsItWas) {
  if (GetParam() == Engine::PostgreSQL) {
    ASSERT_FALSE(calendatt::testing::test_server().empty()) << calendatt::testing::kNoServer;
  }
  ScratchDatabase db(GetParam());
  const bool file = GetParam() == Engine::SQLite;
  if (file) open_or_create(db.target())->Close();
  auto raw = db.raw();
  // The two tables as the first version made them: no checks, no key between them, no version row.
  raw->exec(std::string("CREATE TABLE PD4G_CALENDATT (PD4G_IDCALENDARIO ") +
            (file ? "INTEGER PRIMARY KEY AUTOINCREMENT" : "BIGINT PRIMARY KEY") +
            ", PD4G_DITTA_CG18 INTEGER NOT NULL, PD4G_IDDISBAPROG_PD0G INTEGER, PD4G_IDLEGAME_PD0H INTEGER, "
            "PD4G_DATAATTIVITA DATE, PD4G_ANNOATTIVITA INTEGER, PD4G_MESEATTIVITA INTEGER, PD4G_GGATTIVITA "
            "INTEGER, PD4G_ORAINIZIO INTEGER, PD4G_MININIZIO INTEGER, PD4G_ORAFINE INTEGER, PD4G_MINFINE "
            "INTEGER, PD4G_DURATAORE INTEGER, PD4G_DURATAMINUTI INTEGER, PD06_IDMEDIA_CG99 INTEGER)");
  raw->exec(std::string("CREATE TABLE PD4H_ALLRISPROG (PD4H_IDALLRIS ") +
            (file ? "INTEGER PRIMARY KEY AUTOINCREMENT" : "BIGINT PRIMARY KEY") +
            ", PD4H_IDCALENDARIO_PD4G INTEGER NOT NULL, PD4H_CODRISORSA TEXT, PD4H_ORE INTEGER)");
  raw->exec(day_insert("5", "'2030-01-01'", "8", "0"));
  raw->exec(day_insert("6", "'2030-01-02'", "99", "0"));
  raw->exec("INSERT INTO PD4H_ALLRISPROG VALUES (1, 5, 'R', 1)");
  raw->exec("INSERT INTO PD4H_ALLRISPROG VALUES (2, 77, 'R', 1)");
  auto c = new_connection();
  c->Open(db.connection_string(), "", "", -1);
  EXPECT_EQ(schema_version(*c), 1);
  // Rows the new rules refuse are named, and nothing changes.
  try {
    ensure_schema(*c);
    ADD_FAILURE() << "upgraded over rows the rules refuse";
  } catch (const runtime::Error& e) {
    EXPECT_NE(e.description().find("regole (1): 6"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("PD4H_IDALLRIS di giorni inesistenti (1): 2"), std::string::npos)
        << e.description();
  }
  EXPECT_EQ(schema_version(*c), 1);
  raw->exec("DELETE FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = 5");  // still allowed: no key yet
  raw->exec(day_insert("5", "'2030-01-01'", "8", "0"));
  raw->exec("UPDATE PD4G_CALENDATT SET PD4G_DURATAORE = 9, PD4G_ORAFINE = 9 WHERE PD4G_IDCALENDARIO = 6");
  raw->exec("DELETE FROM PD4H_ALLRISPROG WHERE PD4H_IDALLRIS = 2");
  ensure_schema(*c);
  EXPECT_EQ(schema_version(*c), kSchemaVersion);
  // Every row kept with its own key; the new rules hold; a new day is numbered past the old ones.
  EXPECT_EQ(raw->value("SELECT SUM(PD4G_IDCALENDARIO * 100 + PD4G_DURATAORE) FROM PD4G_CALENDATT"), "1117");
  EXPECT_ANY_THROW(raw->exec("DELETE FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = 5"));
  EXPECT_ANY_THROW(raw->exec(day_insert("NULL", "'2030-01-03'", "25", "0")));
  c->Execute(day_insert("NULL", "'2030-01-03'", "1", "0"), 129);
  EXPECT_EQ(raw->value("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO > 6"), "1");
  if (file) {
    // Version 2 kept the journal's action in a table of its own: the upgrade replaces its triggers.
    raw->exec("UPDATE CALENDATT_INFO SET \"value\" = '2' WHERE \"key\" = 'schema_version'");
    raw->exec("CREATE TABLE CALENDATT_AZIONE_IN_CORSO (AZ_TOKEN TEXT)");
    raw->exec("DROP TRIGGER TR_PD4G_GIORNALE_D");
    raw->exec("CREATE TRIGGER TR_PD4G_GIORNALE_D AFTER DELETE ON PD4G_CALENDATT BEGIN SELECT 1; END");
    ensure_schema(*c);
    EXPECT_EQ(schema_version(*c), kSchemaVersion);
    EXPECT_EQ(raw->value("SELECT COUNT(*) FROM sqlite_master WHERE name = 'CALENDATT_AZIONE_IN_CORSO' OR "
                         "sql LIKE '%sqlite_compileoption_get(-3)%'"),
              "3");
  }
  // A database of a newer version is refused.
  c->Execute("UPDATE CALENDATT_INFO SET \"value\" = '" + std::to_string(kSchemaVersion + 1) +
                 "' WHERE \"key\" = 'schema_version'",
             129);
  EXPECT_THROW(ensure_schema(*c), runtime::Error);
}

CALENDATT_ON_EACH_ENGINE(SchemaOnEachEngine);

}  // namespace
}  // namespace database
