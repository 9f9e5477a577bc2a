#include "database/journal.hpp"

#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "runtime/error.hpp"
#include "runtime/variant.hpp"

namespace database {
namespace {

const Action* action_in_progress = nullptr;

const char* type_of(const std::string& column, Dialect dialect) {
  if (column == "PD4G_DATAATTIVITA") return "DATE";
  return dialect == Dialect::PostgreSQL ? "BIGINT" : "INTEGER";
}

// "B_C1, B_C2, ..." or "OLD.C1, OLD.C2, ...".
std::string listed(const std::string& prefix) {
  std::string out;
  for (const auto& c : kJournaledColumns) out += (out.empty() ? "" : ", ") + prefix + c;
  return out;
}

std::string journal_table(Dialect dialect) {
  const bool server = dialect == Dialect::PostgreSQL;
  std::string sql = std::string("CREATE TABLE IF NOT EXISTS CALENDATT_GIORNALE (GI_ID ") +
                    (server ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY AUTOINCREMENT") +
                    ", GI_AZIONE " + (server ? "BIGINT" : "INTEGER") +
                    " NOT NULL REFERENCES CALENDATT_AZIONI (AZ_ID), GI_QUANDO TEXT NOT NULL, GI_CHI TEXT, "
                    "GI_OPERAZIONE TEXT NOT NULL, GI_IDCALENDARIO " +
                    (server ? "BIGINT" : "INTEGER") + " NOT NULL";
  for (const char* prefix : {"B_", "A_"})
    for (const auto& c : kJournaledColumns) sql += std::string(", ") + prefix + c + " " + type_of(c, dialect);
  return sql + ")";
}

// The time of a change, UTC, to the millisecond, the same text on both engines.
constexpr const char* kNowSqlite = "strftime('%Y-%m-%d %H:%M:%f', 'now')";
constexpr const char* kNowServer =
    "to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS.MS')";

// SQLite: the action in progress on the writing connection, one part at a time (-1 its token, -2 who, -3
// its words), NULL on any other connection (journal.hpp).
std::string marked(int part) {
  return "sqlite_compileoption_get(" + std::to_string(part) + ")";
}

// SQLite: one trigger per kind of change. The action is the one in progress, written with its first
// change, or one of its own.
std::string sqlite_trigger(const char* name, const char* event, const char* operation, bool before,
                           bool after) {
  const std::string id = std::string(after ? "NEW" : "OLD") + ".PD4G_IDCALENDARIO";
  const std::string token = marked(-1);
  std::string columns = "GI_AZIONE, GI_QUANDO, GI_OPERAZIONE, GI_IDCALENDARIO";
  std::string values = "COALESCE((SELECT AZ_ID FROM CALENDATT_AZIONI WHERE AZ_TOKEN = " + token +
                       "), (SELECT MAX(AZ_ID) FROM CALENDATT_AZIONI)), " + kNowSqlite + ", '" + operation +
                       "', " + id;
  if (before) columns += ", " + listed("B_"), values += ", " + listed("OLD.");
  if (after) columns += ", " + listed("A_"), values += ", " + listed("NEW.");
  return std::string("CREATE TRIGGER IF NOT EXISTS ") + name + " AFTER " + event +
         " ON PD4G_CALENDATT BEGIN "
         "INSERT INTO CALENDATT_AZIONI (AZ_QUANDO, AZ_CHI, AZ_COMANDO, AZ_TOKEN) SELECT " +
         kNowSqlite + ", " + marked(-2) + ", " + marked(-3) + ", " + token + " WHERE " + token +
         " IS NOT NULL AND NOT EXISTS (SELECT 1 FROM CALENDATT_AZIONI WHERE AZ_TOKEN = " + token +
         "); INSERT INTO CALENDATT_AZIONI (AZ_QUANDO, AZ_COMANDO) SELECT " + kNowSqlite + ", 'SQL' WHERE " +
         token + " IS NULL; INSERT INTO CALENDATT_GIORNALE (" + columns + ") VALUES (" + values + "); END";
}

std::string server_function() {
  return std::string(
             "CREATE OR REPLACE FUNCTION CALENDATT_GIORNALE_SCRIVI() RETURNS trigger LANGUAGE plpgsql AS $f$ "
             "DECLARE az BIGINT; chi TEXT; tok TEXT; BEGIN "
             "chi := current_user || COALESCE(' (' || NULLIF(current_setting('application_name', true), '') "
             "|| ')', "
             "''); "
             "tok := NULLIF(current_setting('calendatt.token', true), ''); "
             "IF tok IS NOT NULL THEN "
             "SELECT AZ_ID INTO az FROM CALENDATT_AZIONI WHERE AZ_TOKEN = tok; "
             "IF az IS NULL THEN INSERT INTO CALENDATT_AZIONI (AZ_QUANDO, AZ_CHI, AZ_COMANDO, AZ_TOKEN) "
             "VALUES (") +
         kNowServer +
         ", chi, current_setting('calendatt.command', true), tok) RETURNING AZ_ID INTO az; END IF; "
         "ELSE "
         "SELECT AZ_ID INTO az FROM CALENDATT_AZIONI WHERE AZ_TXID = txid_current(); "
         "IF az IS NULL THEN INSERT INTO CALENDATT_AZIONI (AZ_QUANDO, AZ_CHI, AZ_COMANDO, AZ_TXID) VALUES (" +
         kNowServer +
         ", chi, 'SQL', txid_current()) RETURNING AZ_ID INTO az; END IF; END IF; "
         "INSERT INTO CALENDATT_GIORNALE (GI_AZIONE, GI_QUANDO, GI_CHI, GI_OPERAZIONE, GI_IDCALENDARIO, " +
         listed("B_") + ", " + listed("A_") + ") VALUES (az, " + kNowServer +
         ", chi, left(TG_OP, 1), COALESCE(NEW.PD4G_IDCALENDARIO, OLD.PD4G_IDCALENDARIO), " + listed("OLD.") +
         ", " + listed("NEW.") + "); RETURN NULL; END $f$";
}

}  // namespace

const std::vector<std::string> kJournaledColumns = {
    "PD4G_DITTA_CG18",   "PD4G_IDDISBAPROG_PD0G", "PD4G_IDLEGAME_PD0H", "PD4G_DATAATTIVITA",
    "PD4G_ANNOATTIVITA", "PD4G_MESEATTIVITA",     "PD4G_GGATTIVITA",    "PD4G_ORAINIZIO",
    "PD4G_MININIZIO",    "PD4G_ORAFINE",          "PD4G_MINFINE",       "PD4G_DURATAORE",
    "PD4G_DURATAMINUTI", "PD06_IDMEDIA_CG99"};

std::vector<std::string> journal_schema(Dialect dialect) {
  if (dialect == Dialect::PostgreSQL) {
    return {
        "CREATE TABLE IF NOT EXISTS CALENDATT_AZIONI (AZ_ID BIGSERIAL PRIMARY KEY, AZ_QUANDO TEXT NOT NULL, "
        "AZ_CHI TEXT, AZ_COMANDO TEXT NOT NULL, AZ_TOKEN TEXT UNIQUE, AZ_TXID BIGINT)",
        journal_table(dialect),
        "CREATE INDEX IF NOT EXISTS IX_CALENDATT_AZIONI_TXID ON CALENDATT_AZIONI (AZ_TXID)",
        "CREATE INDEX IF NOT EXISTS IX_CALENDATT_GIORNALE_AZIONE ON CALENDATT_GIORNALE (GI_AZIONE)",
        server_function(),
        "CREATE OR REPLACE TRIGGER TR_PD4G_GIORNALE AFTER INSERT OR UPDATE OR DELETE ON PD4G_CALENDATT FOR "
        "EACH ROW "
        "EXECUTE FUNCTION CALENDATT_GIORNALE_SCRIVI()",
    };
  }
  return {
      "CREATE TABLE IF NOT EXISTS CALENDATT_AZIONI (AZ_ID INTEGER PRIMARY KEY AUTOINCREMENT, AZ_QUANDO TEXT "
      "NOT "
      "NULL, AZ_CHI TEXT, AZ_COMANDO TEXT NOT NULL, AZ_TOKEN TEXT UNIQUE)",
      journal_table(dialect),
      "CREATE INDEX IF NOT EXISTS IX_CALENDATT_GIORNALE_AZIONE ON CALENDATT_GIORNALE (GI_AZIONE)",
      sqlite_trigger("TR_PD4G_GIORNALE_I", "INSERT", "I", false, true),
      sqlite_trigger("TR_PD4G_GIORNALE_U", "UPDATE", "U", true, true),
      sqlite_trigger("TR_PD4G_GIORNALE_D", "DELETE", "D", true, false),
  };
}

const Action* current_action() {
  return action_in_progress;
}

ActionInProgress::ActionInProgress(const std::string& words) : previous_(action_in_progress) {
  // A token no other action of any process has: the time, the process and random bits.
  std::random_device random;
  const auto now = std::chrono::system_clock::now().time_since_epoch().count();
  action_.token = std::to_string(now) + "-" + std::to_string(getpid()) + "-" + std::to_string(random()) +
                  std::to_string(random());
  action_.words = words;
  action_.who = system_user();
  action_in_progress = &action_;
}

ActionInProgress::~ActionInProgress() {
  action_in_progress = previous_;
}

std::vector<std::string> journal_upgrade_to_3() {
  std::vector<std::string> statements = {
      "DROP TRIGGER IF EXISTS TR_PD4G_GIORNALE_I", "DROP TRIGGER IF EXISTS TR_PD4G_GIORNALE_U",
      "DROP TRIGGER IF EXISTS TR_PD4G_GIORNALE_D", "DROP TABLE IF EXISTS CALENDATT_AZIONE_IN_CORSO",
      "DROP INDEX IF EXISTS IX_CALENDATT_GIORNALE_GIORNO"};
  for (std::string& s : journal_schema(Dialect::SQLite)) statements.push_back(std::move(s));
  return statements;
}

std::string system_user() {
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return pw->pw_name;
  return "uid " + std::to_string(geteuid());
}

}  // namespace database
