#include "database/postgres_roles.hpp"

#include <string_view>
#include <tuple>

#include "database/postgres_connection.hpp"
#include "runtime/error.hpp"

namespace database {
namespace {

// A table under the policies, and the company of one of its rows as an expression on the row.
struct Guarded {
  const char* table;
  const char* company;
};

// Rows with a company of their own, and rows that belong to another row's company (an allocation to its
// day's, a link to its node's): those are visible when that row is.
constexpr Guarded kRead[] = {
    {"PD4G_CALENDATT", "PD4G_DITTA_CG18"},
    {"PD0G_DISBAPROG", "PD0G_DITTA_CG18"},
    {"PD68_PROGETTI", "PD68_DITTA_CG18"},
    {"PD0C_NODI", "PD0C_DITTA_CG18"},
    {"PD0D_ATTIVITA", "PD0D_DITTA_CG18"},
    {"CG99_MEDIA", "CG99_DITTA_CG18"},
    {"CALENDATT_GIORNALE", "COALESCE(A_PD4G_DITTA_CG18, B_PD4G_DITTA_CG18)"},
};
constexpr const char* kAllocationsSeen =
    "EXISTS (SELECT 1 FROM PD4G_CALENDATT d WHERE d.PD4G_IDCALENDARIO = PD4H_IDCALENDARIO_PD4G)";
constexpr const char* kLinksSeen =
    "EXISTS (SELECT 1 FROM PD0G_DISBAPROG n WHERE n.PD0G_IDDISBAPROG = PD0H_IDDISBAPROG_PD0G)";

// What every role with a grant reads, and what a role that writes also writes.
constexpr const char* kReadTables =
    "PD4G_CALENDATT, PD4H_ALLRISPROG, PD0G_DISBAPROG, PD0H_LEGDISBAPROG, PD68_PROGETTI, PD0C_NODI, "
    "PD0D_ATTIVITA, CG99_MEDIA, CALENDATT_AZIONI, CALENDATT_GIORNALE";
constexpr const char* kWriteSequences =
    "PD4G_CALENDATT_KEY, CALENDATT_AZIONI_AZ_ID_SEQ, CALENDATT_GIORNALE_GI_ID_SEQ";

std::string may(const std::string& company, bool write) {
  return "CALENDATT_ACCESSO(" + company + ", " + (write ? "true" : "false") + ")";
}

std::string policy(const char* name, const std::string& table, const std::string& rule) {
  return std::string("DROP POLICY IF EXISTS ") + name + " ON " + table + "; CREATE POLICY " + name + " ON " +
         table + " " + rule;
}

std::string identifier(std::string_view text) {
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

PostgresConnection& server(EngineConnection& connection) {
  auto* pg = dynamic_cast<PostgresConnection*>(&connection.engine());
  if (!pg) throw runtime::Error(kCommandError, "Connessione PostgreSQL richiesta.", "PostgreSQL provider");
  return *pg;
}

bool has_grants_table(EngineConnection& connection) {
  if (connection.dialect() != Dialect::PostgreSQL) return false;
  auto r = connection.run_bound("SELECT to_regclass('calendatt_permessi') IS NOT NULL", {});
  return !r.rows.empty() && r.rows[0][0].to_long() != 0;
}

// The session's role and whether it owns the tables.
std::pair<std::string, bool> session_role(EngineConnection& connection) {
  auto r = connection.run_bound(
      "SELECT current_user::text, pg_has_role(current_user, c.relowner, 'MEMBER') FROM pg_class c WHERE "
      "c.oid = 'calendatt_permessi'::regclass",
      {});
  return {r.rows.at(0)[0].to_string(), r.rows.at(0)[1].to_long() != 0};
}

Access access_of(const runtime::Variant& text) {
  if (text.is_null()) return Access::kNone;
  return text.to_string() == "write" ? Access::kWrite : Access::kRead;
}

// The table rights that the role's strongest grant needs, and none beyond.
std::string rights_for(const std::string& role, Access strongest) {
  const std::string to = " TO " + identifier(role) + ";", from = " FROM " + identifier(role) + ";";
  if (strongest == Access::kNone)
    return std::string("REVOKE ALL ON ") + kReadTables + from + "REVOKE ALL ON SEQUENCE " + kWriteSequences +
           from;
  std::string out = std::string("GRANT SELECT ON ") + kReadTables + to;
  if (strongest == Access::kWrite)
    return out + "GRANT INSERT, UPDATE, DELETE ON PD4G_CALENDATT" + to +
           "GRANT INSERT, DELETE ON CALENDATT_AZIONI, CALENDATT_GIORNALE" + to +
           "GRANT USAGE, SELECT, UPDATE ON SEQUENCE " + kWriteSequences + to;
  return out + "REVOKE INSERT, UPDATE, DELETE ON PD4G_CALENDATT" + from +
         "REVOKE INSERT, DELETE ON CALENDATT_AZIONI, CALENDATT_GIORNALE" + from + "REVOKE ALL ON SEQUENCE " +
         kWriteSequences + from;
}

// Changes the role's grants with `change` (a statement of the layer's own text, ?1 the role, ?2 the
// company) and settles its table rights, in one transaction; returns the rows the change touched.
std::int64_t change_grants(EngineConnection& connection, const std::string& change, const std::string& role,
                           std::int64_t company) {
  PostgresConnection& pg = server(connection);
  pg.run_script("BEGIN");
  try {
    connection.run_bound(change, {role, company});
    const std::int64_t touched = connection.RowsAffected();
    auto strongest =
        connection.run_bound("SELECT MAX(PE_ACCESSO) FROM CALENDATT_PERMESSI WHERE PE_RUOLO = ?1", {role});
    pg.run_script(rights_for(role, access_of(strongest.rows.at(0)[0])) + "COMMIT");
    return touched;
  } catch (...) {
    runtime::suppressed([&] { pg.run_script("ROLLBACK"); });
    throw;
  }
}

}  // namespace

std::vector<std::string> roles_schema() {
  std::vector<std::string> out = {
      "CREATE TABLE IF NOT EXISTS CALENDATT_PERMESSI (PE_RUOLO TEXT NOT NULL, PE_DITTA BIGINT NOT NULL, "
      "PE_ACCESSO TEXT NOT NULL CONSTRAINT CK_PE_ACCESSO CHECK (PE_ACCESSO IN ('read', 'write')), "
      "PRIMARY KEY (PE_RUOLO, PE_DITTA))",
      // Every role reads its own grants, and the schema's version, whatever it was granted.
      "ALTER TABLE CALENDATT_PERMESSI ENABLE ROW LEVEL SECURITY",
      policy("CALENDATT_LETTURA", "CALENDATT_PERMESSI", "FOR SELECT USING (PE_RUOLO = current_user)"),
      "GRANT SELECT ON CALENDATT_PERMESSI, CALENDATT_INFO TO PUBLIC",
      // Whether the session's role may read (or write) a company: the tables' owner always may.
      "CREATE OR REPLACE FUNCTION CALENDATT_ACCESSO(ditta BIGINT, scrittura BOOLEAN) RETURNS BOOLEAN "
      "LANGUAGE sql STABLE AS $f$ SELECT pg_has_role(current_user, (SELECT relowner FROM pg_class WHERE oid "
      "= 'calendatt_permessi'::regclass), 'MEMBER') OR EXISTS (SELECT 1 FROM CALENDATT_PERMESSI WHERE "
      "PE_RUOLO = current_user AND PE_DITTA = ditta AND (PE_ACCESSO = 'write' OR NOT scrittura)) $f$",
      // A policy would skip a stored day of a company the role may only read; the trigger refuses it.
      "CREATE OR REPLACE FUNCTION CALENDATT_DITTA_IN_SCRITTURA() RETURNS trigger LANGUAGE plpgsql AS $f$ "
      "BEGIN IF NOT CALENDATT_ACCESSO(OLD.PD4G_DITTA_CG18, true) THEN RAISE EXCEPTION "
      "'the role % may not write company %', current_user, OLD.PD4G_DITTA_CG18 USING ERRCODE = "
      "'insufficient_privilege'; END IF; IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $f$",
      "CREATE OR REPLACE TRIGGER TR_PD4G_DITTA BEFORE UPDATE OR DELETE ON PD4G_CALENDATT FOR EACH ROW "
      "EXECUTE FUNCTION CALENDATT_DITTA_IN_SCRITTURA()",
      // An action of the journal goes only when no row of any company keeps it.
      "CREATE OR REPLACE FUNCTION CALENDATT_AZIONE_VUOTA(az BIGINT) RETURNS BOOLEAN LANGUAGE sql STABLE "
      "SECURITY DEFINER SET search_path FROM CURRENT AS $f$ SELECT NOT EXISTS (SELECT 1 FROM "
      "CALENDATT_GIORNALE WHERE GI_AZIONE = az) $f$",
  };
  auto guard = [&](const std::string& table, const std::string& read) {
    out.push_back("ALTER TABLE " + table + " ENABLE ROW LEVEL SECURITY");
    out.push_back(policy("CALENDATT_LETTURA", table, "FOR SELECT USING (" + read + ")"));
  };
  for (const Guarded& g : kRead) guard(g.table, may(g.company, false));
  guard("PD4H_ALLRISPROG", kAllocationsSeen);
  guard("PD0H_LEGDISBAPROG", kLinksSeen);
  const std::string day = may("PD4G_DITTA_CG18", true);
  out.push_back(policy("CALENDATT_INSERIMENTO", "PD4G_CALENDATT", "FOR INSERT WITH CHECK (" + day + ")"));
  out.push_back(policy("CALENDATT_MODIFICA", "PD4G_CALENDATT",
                       "FOR UPDATE USING (" + may("PD4G_DITTA_CG18", false) + ") WITH CHECK (" + day + ")"));
  out.push_back(policy("CALENDATT_CANCELLAZIONE", "PD4G_CALENDATT",
                       "FOR DELETE USING (" + may("PD4G_DITTA_CG18", false) + ")"));
  const std::string journal = may("COALESCE(A_PD4G_DITTA_CG18, B_PD4G_DITTA_CG18)", true);
  out.push_back(
      policy("CALENDATT_INSERIMENTO", "CALENDATT_GIORNALE", "FOR INSERT WITH CHECK (" + journal + ")"));
  out.push_back(
      policy("CALENDATT_CANCELLAZIONE", "CALENDATT_GIORNALE", "FOR DELETE USING (" + journal + ")"));
  out.push_back("ALTER TABLE CALENDATT_AZIONI ENABLE ROW LEVEL SECURITY");
  out.push_back(policy("CALENDATT_LETTURA", "CALENDATT_AZIONI", "FOR SELECT USING (true)"));
  out.push_back(policy("CALENDATT_INSERIMENTO", "CALENDATT_AZIONI", "FOR INSERT WITH CHECK (true)"));
  out.push_back(policy("CALENDATT_CANCELLAZIONE", "CALENDATT_AZIONI",
                       "FOR DELETE USING (CALENDATT_AZIONE_VUOTA(AZ_ID))"));
  return out;
}

CompanyAccess company_access(EngineConnection& connection, std::int64_t company) {
  CompanyAccess out;
  if (!has_grants_table(connection)) {
    out.owner = true;
    out.access = Access::kWrite;
    return out;
  }
  std::tie(out.role, out.owner) = session_role(connection);
  if (out.owner) {
    out.access = Access::kWrite;
    return out;
  }
  auto r = connection.run_bound(
      "SELECT PE_ACCESSO FROM CALENDATT_PERMESSI WHERE PE_RUOLO = current_user AND PE_DITTA = ?1", {company});
  out.access = r.rows.empty() ? Access::kNone : access_of(r.rows[0][0]);
  return out;
}

std::vector<std::pair<std::int64_t, Access>> usable_companies(EngineConnection& connection) {
  const bool owner = !has_grants_table(connection) || session_role(connection).second;
  auto r = connection.run_bound(
      owner ? "SELECT DISTINCT PD0G_DITTA_CG18, 'write' FROM PD0G_DISBAPROG ORDER BY 1"
            : "SELECT PE_DITTA, PE_ACCESSO FROM CALENDATT_PERMESSI WHERE PE_RUOLO = current_user ORDER BY 1",
      {});
  std::vector<std::pair<std::int64_t, Access>> out;
  for (const auto& row : r.rows)
    out.emplace_back(static_cast<std::int64_t>(row[0].to_double()), access_of(row[1]));
  return out;
}

std::vector<Grant> list_grants(EngineConnection& connection) {
  auto r = connection.run_bound(
      "SELECT PE_RUOLO, PE_DITTA, PE_ACCESSO FROM CALENDATT_PERMESSI ORDER BY PE_RUOLO, PE_DITTA", {});
  std::vector<Grant> out;
  for (const auto& row : r.rows)
    out.push_back({row[0].to_string(), static_cast<std::int64_t>(row[1].to_double()), access_of(row[2])});
  return out;
}

std::string grants_problem(EngineConnection& connection, const std::string& language) {
  const bool it = language != "en";
  if (!has_grants_table(connection))
    return it ? "il database non ha la tabella dei permessi: eseguire calendatt init come proprietario"
              : "the database has no table of grants: run calendatt init as its owner";
  const auto [role, owner] = session_role(connection);
  if (owner) return {};
  auto r = connection.run_bound(
      "SELECT pg_get_userbyid(relowner)::text FROM pg_class WHERE oid = 'calendatt_permessi'::regclass", {});
  const std::string by = r.rows.at(0)[0].to_string();
  return it ? "solo il proprietario delle tabelle (il ruolo " + by +
                  ") concede e revoca i permessi; il ruolo " + role + " no"
            : "only the tables' owner (the role " + by + ") grants and revokes access; the role " + role +
                  " may not";
}

bool role_exists(EngineConnection& connection, const std::string& role) {
  return !connection.run_bound("SELECT 1 FROM pg_roles WHERE rolname = ?1", {role}).rows.empty();
}

void grant_access(EngineConnection& connection, const std::string& role, std::int64_t company,
                  Access access) {
  change_grants(
      connection,
      std::string("INSERT INTO CALENDATT_PERMESSI (PE_RUOLO, PE_DITTA, PE_ACCESSO) VALUES (?1, ?2, ") +
          (access == Access::kWrite ? "'write'" : "'read'") +
          ") ON CONFLICT (PE_RUOLO, PE_DITTA) DO UPDATE SET PE_ACCESSO = EXCLUDED.PE_ACCESSO",
      role, company);
}

bool revoke_access(EngineConnection& connection, const std::string& role, std::int64_t company) {
  return change_grants(connection, "DELETE FROM CALENDATT_PERMESSI WHERE PE_RUOLO = ?1 AND PE_DITTA = ?2",
                       role, company) > 0;
}

}  // namespace database
