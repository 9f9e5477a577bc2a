#include "database/postgres_schema.hpp"

#include <string>

#include "database/engine.hpp"
#include "database/journal.hpp"
#include "database/postgres_connection.hpp"
#include "database/postgres_roles.hpp"
#include "database/schema.hpp"
#include "runtime/error.hpp"

namespace database {
namespace {

constexpr const char* kText = "BPCHAR COLLATE \"C\"";

const std::string kTables =
    std::string() +
    "CREATE TABLE IF NOT EXISTS PD4G_CALENDATT ("
    " PD4G_IDCALENDARIO BIGINT PRIMARY KEY,"
    " PD4G_DITTA_CG18 BIGINT NOT NULL,"
    " PD4G_IDDISBAPROG_PD0G BIGINT NOT NULL,"
    " PD4G_IDLEGAME_PD0H BIGINT NOT NULL,"
    " PD4G_DATAATTIVITA DATE NOT NULL,"
    " PD4G_ANNOATTIVITA BIGINT,"
    " PD4G_MESEATTIVITA BIGINT,"
    " PD4G_GGATTIVITA BIGINT,"
    " PD4G_ORAINIZIO BIGINT,"
    " PD4G_MININIZIO BIGINT,"
    " PD4G_ORAFINE BIGINT,"
    " PD4G_MINFINE BIGINT,"
    " PD4G_DURATAORE BIGINT,"
    " PD4G_DURATAMINUTI BIGINT,"
    " PD06_IDMEDIA_CG99 BIGINT," +
    day_checks("") +
    ");"
    "CREATE TABLE IF NOT EXISTS PD4H_ALLRISPROG ("
    " PD4H_IDALLRIS BIGINT PRIMARY KEY,"
    " PD4H_IDCALENDARIO_PD4G BIGINT NOT NULL"
    " CONSTRAINT FK_PD4H_PD4G REFERENCES PD4G_CALENDATT (PD4G_IDCALENDARIO) ON DELETE RESTRICT,"
    " PD4H_CODRISORSA " +
    kText +
    ","
    " PD4H_ORE BIGINT);"
    "CREATE TABLE IF NOT EXISTS PD0G_DISBAPROG ("
    " PD0G_IDDISBAPROG BIGINT PRIMARY KEY,"
    " PD0G_DITTA_CG18 BIGINT NOT NULL,"
    " PD0G_CODPROG_PD68 " +
    kText +
    " NOT NULL,"
    " PD0G_CODNODO_PD0C " +
    kText +
    " NOT NULL);"
    "CREATE TABLE IF NOT EXISTS PD0H_LEGDISBAPROG ("
    " PD0H_IDLEGAME BIGINT PRIMARY KEY,"
    " PD0H_IDDISBAPROG_PD0G BIGINT NOT NULL,"
    " PD0H_CODATTIVITA_PD0D " +
    kText +
    " NOT NULL,"
    " PD0H_DATAINIZPIAN DATE,"
    " PD0H_DATAFINPIAN DATE,"
    " PD0H_DATAINIZPREV DATE,"
    " PD0H_DATAFINPREV DATE);"
    "CREATE TABLE IF NOT EXISTS PD68_PROGETTI ("
    " PD68_DITTA_CG18 BIGINT NOT NULL,"
    " PD68_CODPROG " +
    kText +
    " NOT NULL,"
    " PD68_DESCRIZIONE " +
    kText +
    ","
    " PRIMARY KEY (PD68_DITTA_CG18, PD68_CODPROG));"
    "CREATE TABLE IF NOT EXISTS PD0C_NODI ("
    " PD0C_DITTA_CG18 BIGINT NOT NULL,"
    " PD0C_CODNODO " +
    kText +
    " NOT NULL,"
    " PD0C_DESCRIZIONE " +
    kText +
    ","
    " PRIMARY KEY (PD0C_DITTA_CG18, PD0C_CODNODO));"
    "CREATE TABLE IF NOT EXISTS PD0D_ATTIVITA ("
    " PD0D_DITTA_CG18 BIGINT NOT NULL,"
    " PD0D_CODATTIVITA " +
    kText +
    " NOT NULL,"
    " PD0D_DESCRIZIONE " +
    kText +
    ","
    " PRIMARY KEY (PD0D_DITTA_CG18, PD0D_CODATTIVITA));"
    "CREATE TABLE IF NOT EXISTS CG99_MEDIA ("
    " CG99_IDMEDIA BIGINT PRIMARY KEY,"
    " CG99_DITTA_CG18 BIGINT,"
    " CG99_PERCORSO " +
    kText +
    ","
    " CG99_NOTE " +
    kText +
    ");"
    "CREATE TABLE IF NOT EXISTS CALENDATT_INFO (\"key\" " +
    kText + " PRIMARY KEY, \"value\" " + kText +
    ");"
    // One day per company, node, link and date: the day check, the bulk existence queries and updates.
    "CREATE UNIQUE INDEX IF NOT EXISTS IX_PD4G_CALENDATT_GIORNO ON PD4G_CALENDATT"
    " (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA);"
    // The calendar query of one day without a WBS selection.
    "CREATE INDEX IF NOT EXISTS IX_PD4G_CALENDATT_DATA ON PD4G_CALENDATT (PD4G_DITTA_CG18, "
    "PD4G_DATAATTIVITA);"
    // The allocation checks before deleting days.
    "CREATE INDEX IF NOT EXISTS IX_PD4H_ALLRISPROG_GIORNO ON PD4H_ALLRISPROG (PD4H_IDCALENDARIO_PD4G);"
    // Activity resolution: node by company, project and node code; link by node and activity code.
    "CREATE INDEX IF NOT EXISTS IX_PD0G_DISBAPROG_CODICI ON PD0G_DISBAPROG"
    " (PD0G_DITTA_CG18, PD0G_CODPROG_PD68, PD0G_CODNODO_PD0C);"
    "CREATE INDEX IF NOT EXISTS IX_PD0H_LEGDISBAPROG_NODO ON PD0H_LEGDISBAPROG"
    " (PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D);";

struct NumberedTable {
  const char* table;
  const char* key;
};

constexpr NumberedTable kNumbered[] = {
    {"PD4G_CALENDATT", "PD4G_IDCALENDARIO"}, {"PD4H_ALLRISPROG", "PD4H_IDALLRIS"},
    {"PD0G_DISBAPROG", "PD0G_IDDISBAPROG"},  {"PD0H_LEGDISBAPROG", "PD0H_IDLEGAME"},
    {"CG99_MEDIA", "CG99_IDMEDIA"},
};

// The key of a new row: the sequence's next number, or the row's own number, which the sequence then
// passes (as SQLite's rowid does).
std::string numbering(const NumberedTable& n) {
  std::string t = n.table, k = n.key, seq = t + "_KEY";
  return "CREATE SEQUENCE IF NOT EXISTS " + seq + ";" + "CREATE OR REPLACE FUNCTION " + seq +
         "() RETURNS trigger LANGUAGE plpgsql AS $f$ BEGIN "
         "IF NEW." +
         k + " IS NULL THEN NEW." + k + " := nextval('" + seq +
         "'); "
         "ELSIF NEW." +
         k + " >= (SELECT CASE WHEN is_called THEN last_value + 1 ELSE last_value END FROM " + seq +
         ") THEN PERFORM setval('" + seq + "', NEW." + k + "); END IF; RETURN NEW; END $f$;" +
         "CREATE OR REPLACE TRIGGER " + seq + " BEFORE INSERT ON " + t + " FOR EACH ROW EXECUTE FUNCTION " +
         seq + "();";
}

}  // namespace

// What version 2 adds to the two tables of an older database (the rows were checked first).
std::string upgrade_to_2() {
  // Added afresh, so that a database marked older that has some of them already upgrades all the same.
  std::string drops;
  for (const DayCheck& check : kDayChecks)
    drops += std::string(drops.empty() ? " " : ", ") + "DROP CONSTRAINT IF EXISTS " + check.name;
  return "ALTER TABLE PD4G_CALENDATT" + drops +
         ";"
         "ALTER TABLE PD4H_ALLRISPROG DROP CONSTRAINT IF EXISTS FK_PD4H_PD4G;"
         "ALTER TABLE PD4G_CALENDATT ALTER COLUMN PD4G_IDDISBAPROG_PD0G SET NOT NULL,"
         " ALTER COLUMN PD4G_IDLEGAME_PD0H SET NOT NULL, ALTER COLUMN PD4G_DATAATTIVITA SET NOT NULL," +
         day_checks("ADD ") +
         ";"
         "ALTER TABLE PD4H_ALLRISPROG ADD CONSTRAINT FK_PD4H_PD4G FOREIGN KEY (PD4H_IDCALENDARIO_PD4G)"
         " REFERENCES PD4G_CALENDATT (PD4G_IDCALENDARIO) ON DELETE RESTRICT;";
}

void ensure_postgres_schema(host::Connection& connection, int version) {
  auto* engine = dynamic_cast<EngineConnection*>(&connection);
  auto* pg = engine ? dynamic_cast<PostgresConnection*>(&engine->engine()) : nullptr;
  if (!pg) throw runtime::Error(kCommandError, "Connessione PostgreSQL richiesta.", "PostgreSQL provider");
  const bool before_2 = version > 0 && version < 2;
  if (before_2) refuse_rows_breaking_rules(connection);
  std::string script = "BEGIN; SELECT pg_advisory_xact_lock(74201); " + kTables;
  for (const NumberedTable& n : kNumbered) script += numbering(n);
  if (before_2) {
    script += upgrade_to_2();
    // Rows an older version wrote without the numbering: new ones are numbered past them.
    for (const NumberedTable& n : kNumbered)
      script += std::string("SELECT setval('") + n.table + "_KEY', GREATEST((SELECT COALESCE(MAX(" + n.key +
                "), 0) FROM " + n.table + "), (SELECT last_value FROM " + n.table + "_KEY)));";
  }
  for (const std::string& statement : journal_schema(Dialect::PostgreSQL)) script += statement + ";";
  // Version 3: each role keeps to its companies. Made again on every run, so it holds as written here.
  for (const std::string& statement : roles_schema()) script += statement + ";";
  script += "INSERT INTO CALENDATT_INFO (\"key\", \"value\") VALUES ('schema_version', '" +
            std::to_string(kSchemaVersion) +
            "') ON CONFLICT (\"key\") DO UPDATE SET \"value\" = EXCLUDED.\"value\"; COMMIT;";
  try {
    pg->run_script(script);
  } catch (...) {
    runtime::suppressed([&] { pg->run_script("ROLLBACK"); });
    throw;
  }
}

}  // namespace database
