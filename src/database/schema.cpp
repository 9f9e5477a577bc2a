#include "database/schema.hpp"

#include <cmath>
#include <string>
#include <string_view>

#include "database/demo.hpp"
#include "database/engine.hpp"
#include "database/journal.hpp"
#include "database/postgres_schema.hpp"
#include "runtime/error.hpp"

namespace database {
namespace {

constexpr std::int32_t kNoRecords = host::kAdCmdText | host::kAdExecuteNoRecords;

// Codes and descriptions compare as on a server engine, where trailing blanks never count: `=`, `<>` and
// `IN` on these columns use SQLite's RTRIM collation, and so do their indexes.
// The calendar days of the module, and the resources allocated to them, under `name`s of their own while
// an older database is upgraded.
std::string days_table(const std::string& name) {
  return "CREATE TABLE IF NOT EXISTS " + name +
         " ("
         " PD4G_IDCALENDARIO INTEGER PRIMARY KEY AUTOINCREMENT,"
         " PD4G_DITTA_CG18 INTEGER NOT NULL,"
         " PD4G_IDDISBAPROG_PD0G INTEGER NOT NULL,"
         " PD4G_IDLEGAME_PD0H INTEGER NOT NULL,"
         " PD4G_DATAATTIVITA DATE NOT NULL,"
         " PD4G_ANNOATTIVITA INTEGER,"
         " PD4G_MESEATTIVITA INTEGER,"
         " PD4G_GGATTIVITA INTEGER,"
         " PD4G_ORAINIZIO INTEGER,"
         " PD4G_MININIZIO INTEGER,"
         " PD4G_ORAFINE INTEGER,"
         " PD4G_MINFINE INTEGER,"
         " PD4G_DURATAORE INTEGER,"
         " PD4G_DURATAMINUTI INTEGER,"
         " PD06_IDMEDIA_CG99 INTEGER," +
         day_checks("") + ")";
}
std::string allocations_table(const std::string& name) {
  return "CREATE TABLE IF NOT EXISTS " + name +
         " ("
         " PD4H_IDALLRIS INTEGER PRIMARY KEY AUTOINCREMENT,"
         " PD4H_IDCALENDARIO_PD4G INTEGER NOT NULL"
         " REFERENCES PD4G_CALENDATT (PD4G_IDCALENDARIO) ON DELETE RESTRICT,"
         " PD4H_CODRISORSA TEXT COLLATE RTRIM,"
         " PD4H_ORE INTEGER)";
}
constexpr const char* kDayColumns =
    "PD4G_IDCALENDARIO, PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA, "
    "PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO, PD4G_MININIZIO, PD4G_ORAFINE, "
    "PD4G_MINFINE, PD4G_DURATAORE, PD4G_DURATAMINUTI, PD06_IDMEDIA_CG99";
constexpr const char* kAllocationColumns = "PD4H_IDALLRIS, PD4H_IDCALENDARIO_PD4G, PD4H_CODRISORSA, PD4H_ORE";

constexpr const char* kStatements[] = {
    // WBS nodes of the projects and the activities linked to them.
    "CREATE TABLE IF NOT EXISTS PD0G_DISBAPROG ("
    " PD0G_IDDISBAPROG INTEGER PRIMARY KEY,"
    " PD0G_DITTA_CG18 INTEGER NOT NULL,"
    " PD0G_CODPROG_PD68 TEXT COLLATE RTRIM NOT NULL,"
    " PD0G_CODNODO_PD0C TEXT COLLATE RTRIM NOT NULL)",
    "CREATE TABLE IF NOT EXISTS PD0H_LEGDISBAPROG ("
    " PD0H_IDLEGAME INTEGER PRIMARY KEY,"
    " PD0H_IDDISBAPROG_PD0G INTEGER NOT NULL,"
    " PD0H_CODATTIVITA_PD0D TEXT COLLATE RTRIM NOT NULL,"
    " PD0H_DATAINIZPIAN DATE,"
    " PD0H_DATAFINPIAN DATE,"
    " PD0H_DATAINIZPREV DATE,"
    " PD0H_DATAFINPREV DATE)",
    // The host's master tables of codes, read by the lookup and decode services.
    "CREATE TABLE IF NOT EXISTS PD68_PROGETTI ("
    " PD68_DITTA_CG18 INTEGER NOT NULL,"
    " PD68_CODPROG TEXT COLLATE RTRIM NOT NULL,"
    " PD68_DESCRIZIONE TEXT COLLATE RTRIM,"
    " PRIMARY KEY (PD68_DITTA_CG18, PD68_CODPROG))",
    "CREATE TABLE IF NOT EXISTS PD0C_NODI ("
    " PD0C_DITTA_CG18 INTEGER NOT NULL,"
    " PD0C_CODNODO TEXT COLLATE RTRIM NOT NULL,"
    " PD0C_DESCRIZIONE TEXT COLLATE RTRIM,"
    " PRIMARY KEY (PD0C_DITTA_CG18, PD0C_CODNODO))",
    "CREATE TABLE IF NOT EXISTS PD0D_ATTIVITA ("
    " PD0D_DITTA_CG18 INTEGER NOT NULL,"
    " PD0D_CODATTIVITA TEXT COLLATE RTRIM NOT NULL,"
    " PD0D_DESCRIZIONE TEXT COLLATE RTRIM,"
    " PRIMARY KEY (PD0D_DITTA_CG18, PD0D_CODATTIVITA))",
    // Media records linked to calendar days (PD06_IDMEDIA_CG99).
    "CREATE TABLE IF NOT EXISTS CG99_MEDIA ("
    " CG99_IDMEDIA INTEGER PRIMARY KEY AUTOINCREMENT,"
    " CG99_DITTA_CG18 INTEGER,"
    " CG99_PERCORSO TEXT,"
    " CG99_NOTE TEXT)",
    "CREATE TABLE IF NOT EXISTS CALENDATT_INFO (\"key\" TEXT PRIMARY KEY, \"value\" TEXT)",
    // One day per company, node, link and date: the day check, the bulk existence queries and updates.
    "CREATE UNIQUE INDEX IF NOT EXISTS IX_PD4G_CALENDATT_GIORNO ON PD4G_CALENDATT"
    " (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA)",
    // The calendar query of one day without a WBS selection.
    "CREATE INDEX IF NOT EXISTS IX_PD4G_CALENDATT_DATA ON PD4G_CALENDATT (PD4G_DITTA_CG18, "
    "PD4G_DATAATTIVITA)",
    // A day that carries allocated resources is never deleted, whatever connection deletes it: the key
    // of PD4H_ALLRISPROG holds only where a connection enforces keys, these triggers on every one.
    "CREATE TRIGGER IF NOT EXISTS TR_PD4G_CALENDATT_RISORSE BEFORE DELETE ON PD4G_CALENDATT"
    " WHEN EXISTS (SELECT 1 FROM PD4H_ALLRISPROG WHERE PD4H_IDCALENDARIO_PD4G = OLD.PD4G_IDCALENDARIO)"
    " BEGIN SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: the day carries allocated resources'); END",
    // Nor is an allocation written for a day that does not exist.
    "CREATE TRIGGER IF NOT EXISTS TR_PD4H_ALLRISPROG_GIORNO BEFORE INSERT ON PD4H_ALLRISPROG"
    " WHEN NOT EXISTS (SELECT 1 FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = NEW.PD4H_IDCALENDARIO_PD4G)"
    " BEGIN SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: no such day'); END",
    "CREATE TRIGGER IF NOT EXISTS TR_PD4H_ALLRISPROG_CAMBIO BEFORE UPDATE OF PD4H_IDCALENDARIO_PD4G ON"
    " PD4H_ALLRISPROG"
    " WHEN NOT EXISTS (SELECT 1 FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = NEW.PD4H_IDCALENDARIO_PD4G)"
    " BEGIN SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: no such day'); END",
    // The allocation checks before deleting days.
    "CREATE INDEX IF NOT EXISTS IX_PD4H_ALLRISPROG_GIORNO ON PD4H_ALLRISPROG (PD4H_IDCALENDARIO_PD4G)",
    // Activity resolution: node by company, project and node code; link by node and activity code.
    "CREATE INDEX IF NOT EXISTS IX_PD0G_DISBAPROG_CODICI ON PD0G_DISBAPROG"
    " (PD0G_DITTA_CG18, PD0G_CODPROG_PD68, PD0G_CODNODO_PD0C)",
    "CREATE INDEX IF NOT EXISTS IX_PD0H_LEGDISBAPROG_NODO ON PD0H_LEGDISBAPROG"
    " (PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D)",
};

std::string text(std::string_view s) {
  return "'" + runtime::replace_all(std::string(s), "'", "''") + "'";
}
// A date of demo.hpp moved by `shift` days, as ISO text.
std::string shifted(std::string_view iso, int shift) {
  auto date = runtime::parse_date(std::string(iso));
  if (!date) throw runtime::Error(runtime::err::kInvalidArgument, "Not a date: " + std::string(iso), "demo");
  return date->add_days(shift).iso();
}
std::string date_or_null(std::string_view iso, int shift) {
  return iso.empty() ? "NULL" : text(shifted(iso, shift));
}
std::string number(std::int32_t n) {
  return std::to_string(n);
}

void run(host::Connection& connection, const std::string& sql) {
  connection.Execute(sql, kNoRecords);
}

void insert_demo_rows(host::Connection& c, int shift) {
  using namespace demo;
  for (const Project& p : kProjects) {
    run(c, "INSERT INTO PD68_PROGETTI (PD68_DITTA_CG18, PD68_CODPROG, PD68_DESCRIZIONE) VALUES (" +
               number(p.company) + ", " + text(p.code) + ", " + text(p.description) + ")");
  }
  for (const NodeCode& n : kNodeCodes) {
    run(c, "INSERT INTO PD0C_NODI (PD0C_DITTA_CG18, PD0C_CODNODO, PD0C_DESCRIZIONE) VALUES (" +
               number(n.company) + ", " + text(n.code) + ", " + text(n.description) + ")");
  }
  for (const ActivityCode& a : kActivityCodes) {
    run(c, "INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE) VALUES (" +
               number(a.company) + ", " + text(a.code) + ", " + text(a.description) + ")");
  }
  for (const Node& n : kNodes) {
    run(c,
        "INSERT INTO PD0G_DISBAPROG (PD0G_IDDISBAPROG, PD0G_DITTA_CG18, PD0G_CODPROG_PD68, "
        "PD0G_CODNODO_PD0C) VALUES (" +
            number(n.id) + ", " + number(n.company) + ", " + text(n.project) + ", " + text(n.code) + ")");
  }
  for (const Link& l : kLinks) {
    run(c,
        "INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, "
        "PD0H_DATAINIZPIAN, PD0H_DATAFINPIAN, PD0H_DATAINIZPREV, PD0H_DATAFINPREV) VALUES (" +
            number(l.id) + ", " + number(l.node) + ", " + text(l.activity) + ", " +
            date_or_null(l.planned_start, shift) + ", " + date_or_null(l.planned_end, shift) + ", " +
            date_or_null(l.forecast_start, shift) + ", " + date_or_null(l.forecast_end, shift) + ")");
  }
  for (const Day& d : kDays) {
    // The date parts come from the ISO text: YYYY-MM-DD.
    const std::string date = shifted(d.date, shift);
    int year = std::stoi(date.substr(0, 4));
    int month = std::stoi(date.substr(5, 2));
    int day = std::stoi(date.substr(8, 2));
    run(c,
        "INSERT INTO PD4G_CALENDATT (PD4G_IDCALENDARIO, PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, "
        "PD4G_IDLEGAME_PD0H, "
        "PD4G_DATAATTIVITA, PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO, "
        "PD4G_MININIZIO, "
        "PD4G_ORAFINE, PD4G_MINFINE, PD4G_DURATAORE, PD4G_DURATAMINUTI) VALUES (" +
            number(d.id) + ", " + number(d.company) + ", " + number(d.node) + ", " + number(d.link) + ", " +
            text(date) + ", " + number(year) + ", " + number(month) + ", " + number(day) + ", 0, 0, " +
            number(d.hours) + ", " + number(d.minutes) + ", " + number(d.hours) + ", " + number(d.minutes) +
            ")");
  }
  for (const Allocation& a : kAllocations) {
    run(c, "INSERT INTO PD4H_ALLRISPROG (PD4H_IDCALENDARIO_PD4G, PD4H_CODRISORSA, PD4H_ORE) VALUES (" +
               number(a.day) + ", " + text(a.resource) + ", " + number(a.hours) + ")");
  }
}

// SQLite cannot add a key or a check to a table: the two tables are written anew with them, every row
// copied with its own key, in one transaction with the keys not enforced until it ends, and the numbering
// of new rows goes on where it was.
void upgrade_sqlite(host::Connection& connection) {
  refuse_rows_breaking_rules(connection);
  run(connection, "PRAGMA foreign_keys=OFF");
  run(connection, "BEGIN IMMEDIATE");
  try {
    // The triggers name the tables being replaced: they are made again with the tables.
    for (const char* trigger :
         {"TR_PD4G_CALENDATT_RISORSE", "TR_PD4H_ALLRISPROG_GIORNO", "TR_PD4H_ALLRISPROG_CAMBIO"})
      run(connection, std::string("DROP TRIGGER IF EXISTS ") + trigger);
    struct Rebuilt {
      const char* table;
      std::string created;
      const char* columns;
    };
    const Rebuilt rebuilt[] = {
        {"PD4G_CALENDATT", days_table("PD4G_CALENDATT_V2"), kDayColumns},
        {"PD4H_ALLRISPROG", allocations_table("PD4H_ALLRISPROG_V2"), kAllocationColumns}};
    for (const Rebuilt& r : rebuilt) {
      const std::string table = r.table, columns = r.columns;
      auto seq = connection.Execute(
          "SELECT COALESCE((SELECT seq FROM sqlite_sequence WHERE name = '" + table + "'), 0) AS N",
          host::kAdCmdText);
      const std::string next = runtime::number_text(seq->Field("N").to_double());
      seq->Close();
      run(connection, r.created);
      run(connection, "INSERT INTO " + table + "_V2 (" + columns + ") SELECT " + columns + " FROM " + table);
      run(connection, "DROP TABLE " + table);
      run(connection, "ALTER TABLE " + table + "_V2 RENAME TO " + table);
      run(connection, "UPDATE sqlite_sequence SET seq = MAX(seq, " + next + ") WHERE name = '" + table + "'");
    }
    for (const char* statement : kStatements) run(connection, statement);
    for (const std::string& statement : journal_schema(Dialect::SQLite)) run(connection, statement);
    auto broken = connection.Execute("SELECT COUNT(*) AS N FROM pragma_foreign_key_check", host::kAdCmdText);
    const bool keys_hold = broken->Field("N").to_long() == 0;
    broken->Close();
    if (!keys_hold)
      throw runtime::Error(kCommandError,
                           "Allocazioni che puntano a giorni inesistenti: aggiornamento annullato.",
                           "SQLite provider");
    run(connection, "INSERT OR REPLACE INTO CALENDATT_INFO (\"key\", \"value\") VALUES ('schema_version', '" +
                        std::to_string(kSchemaVersion) + "')");
    run(connection, "COMMIT");
  } catch (...) {
    runtime::suppressed([&] { run(connection, "ROLLBACK"); });
    runtime::suppressed([&] { run(connection, "PRAGMA foreign_keys=ON"); });
    throw;
  }
  run(connection, "PRAGMA foreign_keys=ON");
}

// Version 2 to 3 changes only the journal's triggers: the tables stay as they are.
void upgrade_sqlite_journal(host::Connection& connection) {
  run(connection, "BEGIN IMMEDIATE");
  try {
    for (const std::string& statement : journal_upgrade_to_3()) run(connection, statement);
    run(connection, "UPDATE CALENDATT_INFO SET \"value\" = '" + std::to_string(kSchemaVersion) +
                        "' WHERE \"key\" = 'schema_version'");
    run(connection, "COMMIT");
  } catch (...) {
    runtime::suppressed([&] { run(connection, "ROLLBACK"); });
    throw;
  }
}

[[noreturn]] void refuse_newer(int version) {
  throw runtime::Error(kCommandError,
                       "Il database ha la versione " + std::to_string(version) +
                           " dello schema, più recente di quella di questo programma (" +
                           std::to_string(kSchemaVersion) + "): non è stato cambiato.",
                       "calendatt");
}

}  // namespace

const DayCheck kDayChecks[3] = {
    {"CK_PD4G_ORE",
     "PD4G_ORAINIZIO BETWEEN 0 AND 24 AND PD4G_ORAFINE BETWEEN 0 AND 24 AND PD4G_DURATAORE BETWEEN 0 AND 24"},
    {"CK_PD4G_MINUTI",
     "PD4G_MININIZIO BETWEEN 0 AND 59 AND PD4G_MINFINE BETWEEN 0 AND 59 AND PD4G_DURATAMINUTI BETWEEN 0 AND "
     "59"},
    {"CK_PD4G_24ORE",
     "PD4G_ORAINIZIO * 60 + PD4G_MININIZIO <= 1440 AND PD4G_ORAFINE * 60 + PD4G_MINFINE <= 1440 AND "
     "PD4G_DURATAORE * 60 + PD4G_DURATAMINUTI <= 1440"},
};

std::string day_checks(const std::string& lead) {
  std::string out;
  for (const DayCheck& check : kDayChecks)
    out += std::string(out.empty() ? " " : ", ") + lead + "CONSTRAINT " + check.name + " CHECK (" +
           check.rule + ")";
  return out;
}

int schema_version(host::Connection& connection) {
  const bool server = dialect_of(connection) == Dialect::PostgreSQL;
  auto tables = connection.Execute(
      server
          ? "SELECT COUNT(*) AS N FROM information_schema.tables WHERE table_schema = current_schema() AND "
            "table_name IN ('pd4g_calendatt', 'calendatt_info')"
          : "SELECT COUNT(*) AS N FROM sqlite_master WHERE type = 'table' AND name IN ('PD4G_CALENDATT', "
            "'CALENDATT_INFO')",
      host::kAdCmdText);
  const long found = tables->Field("N").to_long();
  tables->Close();
  if (found == 0) return 0;
  if (found == 1) return 1;
  auto info = connection.Execute("SELECT \"value\" AS V FROM CALENDATT_INFO WHERE \"key\" = 'schema_version'",
                                 host::kAdCmdText);
  int version = 1;
  if (!info->Eof() && !runtime::is_blank(info->Field("V")))
    version = static_cast<int>(info->Field("V").to_double());
  info->Close();
  return version;
}

void refuse_rows_breaking_rules(host::Connection& connection) {
  // Rows an older version let in that the new rules refuse: named, at most ten of each, and nothing is
  // changed until someone has put them right.
  std::string found;
  auto list = [&](const std::string& sql, const std::string& what) {
    auto rs = connection.Execute(sql, host::kAdCmdText);
    std::string ids;
    int n = 0;
    for (; !rs->Eof(); rs->MoveNext(), ++n)
      if (n < 10) ids += (ids.empty() ? "" : ", ") + runtime::number_text(rs->Field("ID").to_double());
    rs->Close();
    if (n > 0)
      found += (found.empty() ? "" : "; ") + what + " (" + std::to_string(n) + "): " + ids +
               (n > 10 ? ", ..." : "");
  };
  std::string rules;
  for (const DayCheck& check : kDayChecks) rules += std::string(" OR NOT (") + check.rule + ")";
  list(
      "SELECT PD4G_IDCALENDARIO AS ID FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 IS NULL OR "
      "PD4G_IDDISBAPROG_PD0G IS NULL OR PD4G_IDLEGAME_PD0H IS NULL OR PD4G_DATAATTIVITA IS NULL" +
          rules + " ORDER BY 1",
      "giorni PD4G_IDCALENDARIO senza ditta, nodo, legame o data, o con ore e minuti fuori dalle regole");
  list(
      "SELECT PD4H_IDALLRIS AS ID FROM PD4H_ALLRISPROG WHERE NOT EXISTS (SELECT 1 FROM PD4G_CALENDATT "
      "WHERE PD4G_IDCALENDARIO = PD4H_IDCALENDARIO_PD4G) ORDER BY 1",
      "allocazioni PD4H_IDALLRIS di giorni inesistenti");
  if (!found.empty())
    throw runtime::Error(kCommandError,
                         "Il database contiene righe che la versione 2 dello schema non ammette e non è "
                         "stato cambiato: " +
                             found + ".",
                         "calendatt");
}

void ensure_schema(host::Connection& connection) {
  const int version = schema_version(connection);
  if (version > kSchemaVersion) refuse_newer(version);
  if (dialect_of(connection) == Dialect::PostgreSQL) return ensure_postgres_schema(connection, version);
  if (version == 1) return upgrade_sqlite(connection);
  if (version == 2) return upgrade_sqlite_journal(connection);
  run(connection, days_table("PD4G_CALENDATT"));
  run(connection, allocations_table("PD4H_ALLRISPROG"));
  for (const char* statement : kStatements) run(connection, statement);
  for (const std::string& statement : journal_schema(Dialect::SQLite)) run(connection, statement);
  run(connection, "INSERT OR REPLACE INTO CALENDATT_INFO (\"key\", \"value\") VALUES ('schema_version', '" +
                      std::to_string(kSchemaVersion) + "')");
}

bool insert_demo_data(host::Connection& connection) {
  return insert_demo_data(connection, *runtime::parse_date(std::string(demo::kBaseDay)));
}

bool insert_demo_data(host::Connection& connection, runtime::Date base) {
  const auto fixed = runtime::parse_date(std::string(demo::kBaseDay));
  const int shift = static_cast<int>(std::floor(base.serial) - fixed->serial);
  bool server = dialect_of(connection) == Dialect::PostgreSQL;
  run(connection, server ? "BEGIN" : "BEGIN IMMEDIATE");
  try {
    // Another run of this on the server waits here until this one has committed.
    if (server) run(connection, "LOCK TABLE PD0G_DISBAPROG IN SHARE ROW EXCLUSIVE MODE");
    auto count = connection.Execute("SELECT COUNT(*) AS N FROM PD0G_DISBAPROG", host::kAdCmdText);
    bool empty = count->Field("N").to_long() == 0;
    count->Close();
    if (empty) insert_demo_rows(connection, shift);
    run(connection, "COMMIT");
    return empty;
  } catch (...) {
    runtime::suppressed([&] { run(connection, "ROLLBACK"); });
    throw;
  }
}

}  // namespace database
