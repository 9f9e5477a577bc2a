#include "cli/roles.hpp"

#include <set>

#include "cli/language.hpp"
#include "database/connection.hpp"
#include "database/postgres_connection.hpp"
#include "database/postgres_roles.hpp"
#include "database/schema.hpp"
#include "runtime/error.hpp"

namespace cli {
namespace {

using database::Access;

bool contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

std::string access_words(Access access, const std::string& language) {
  return access == Access::kWrite ? say(language, "scrittura", "write") : say(language, "lettura", "read");
}

// Whether the command writes the company's rows (a preview rehearses its writes), reads them, or
// neither (init, contents and the grants name no company).
std::optional<Access> access_needed(const Options& o) {
  static const std::set<std::string> kWriting = {"add-day", "set-day", "delete-day", "add-range",
                                                 "delete-range"};
  static const std::set<std::string> kReading = {"list", "days", "export-ics", "history", "undo"};
  if (kWriting.count(o.command)) return Access::kWrite;
  if (o.command == "history" && o.prune_before) return Access::kWrite;
  if (o.command == "undo" && o.answer.value_or(false) && !o.dry_run) return Access::kWrite;
  if (kReading.count(o.command)) return Access::kRead;
  return std::nullopt;
}

int grants_listing(database::EngineConnection& c, const Options& o, std::ostream& out) {
  const auto grants = database::list_grants(c);
  if (grants.empty()) {
    out << say(o.language, "Nessun permesso concesso: solo il proprietario usa il database.",
               "No grants: only the owner uses the database.")
        << "\n";
    return kExitDone;
  }
  out << say(o.language, "RUOLO\tDITTA\tACCESSO", "ROLE\tCOMPANY\tACCESS") << "\n";
  for (const auto& g : grants)
    out << g.role << "\t" << g.company << "\t" << access_words(g.access, o.language) << "\n";
  return kExitDone;
}

}  // namespace

int run_roles_command(const Options& o, std::ostream& out, std::ostream& err) {
  auto line = [&](std::string italian, std::string english) {
    err << "calendatt: " << say(o.language, std::move(italian), std::move(english)) << "\n";
  };
  if (!database::is_postgres_target(o.db)) {
    line("su un file SQLite decidono i permessi del file stesso chi può leggerlo o scriverlo: " + o.command +
             " vale per un database PostgreSQL",
         "on a SQLite file the file's own permissions decide who may read or write it: " + o.command +
             " is for a PostgreSQL database");
    return kExitUsage;
  }
  try {
    auto connection = database::open_target(o.db, false);
    auto& c = dynamic_cast<database::EngineConnection&>(*connection);
    if (std::string problem = database::grants_problem(c, o.language); !problem.empty()) {
      err << "calendatt: " << problem << "\n";
      return kExitFailure;
    }
    if (o.command == "grants") return grants_listing(c, o, out);
    const std::string company = std::to_string(o.company);
    if (o.command == "revoke") {
      if (!database::revoke_access(c, o.role, o.company)) {
        line("il ruolo " + o.role + " non aveva permessi sulla ditta " + company + ": nulla è cambiato",
             "the role " + o.role + " had no grant on company " + company + ": nothing changed");
        return kExitRefused;
      }
      out << say(o.language, "Il ruolo " + o.role + " non usa più la ditta " + company + ".",
                 "The role " + o.role + " no longer uses company " + company + ".")
          << "\n";
      return kExitDone;
    }
    if (!database::role_exists(c, o.role)) {
      line("il server non ha il ruolo " + o.role + ": crearlo prima (CREATE ROLE " + o.role + " LOGIN)",
           "the server has no role " + o.role + ": create it first (CREATE ROLE " + o.role + " LOGIN)");
      return kExitRefused;
    }
    const Access access = o.access == "write" ? Access::kWrite : Access::kRead;
    database::grant_access(c, o.role, o.company, access);
    out << (access == Access::kWrite
                ? say(o.language, "Il ruolo " + o.role + " ora legge e scrive la ditta " + company + ".",
                      "The role " + o.role + " now reads and writes company " + company + ".")
                : say(o.language,
                      "Il ruolo " + o.role + " ora legge la ditta " + company + ", senza scriverla.",
                      "The role " + o.role + " now reads company " + company + ", without writing it."))
        << "\n";
    return kExitDone;
  } catch (const runtime::Error& e) {
    std::string words = server_error_words("", e.description(), o.language);
    err << "calendatt: " << (words.empty() ? engine_text(e.description(), o.language) : words) << "\n";
    return kExitFailure;
  }
}

std::string company_refusal(const Options& o, database::EngineConnection& connection) {
  const auto needed = access_needed(o);
  if (!needed) return {};
  const auto access = database::company_access(connection, o.company);
  if (access.access >= *needed) return {};
  const std::string company = std::to_string(o.company);
  if (access.access == Access::kNone)
    return say(o.language, "il ruolo " + access.role + " non può leggere la ditta " + company,
               "the role " + access.role + " may not read company " + company);
  return say(o.language,
             "il ruolo " + access.role + " non può scrivere la ditta " + company +
                 ", solo leggerla: nulla è stato scritto (il proprietario del database può concederlo con "
                 "calendatt grant)",
             "the role " + access.role + " may not write company " + company +
                 ", only read it: nothing was written (the database's owner may grant it with calendatt "
                 "grant)");
}

std::string server_error_words(const std::string& sql_state, const std::string& full_text,
                               const std::string& language) {
  // The server's words, not those of the statement that follows them.
  const std::string text = full_text.substr(0, full_text.find(" [SQL: "));
  auto state = [&](const char* code, const char* words) {
    return sql_state == code || (sql_state.empty() && contains(text, words));
  };
  if (contains(text, "row-level security") || contains(text, "may not write company"))
    return say(
        language,
        "il database ha rifiutato righe di una ditta che questo ruolo non può scrivere, e nulla di esse è "
        "stato scritto: usare una ditta concessa (--company) o chiedere il permesso al proprietario "
        "del database",
        "the database refused rows of a company this role may not write, and none of them was written: "
        "use a granted company (--company) or ask the database's owner for write access");
  if (state("42501", "permission denied") || contains(text, "must be owner"))
    return say(language,
               "il database ha negato a questo ruolo il permesso di farlo: chiedere al proprietario del "
               "database di concederlo (calendatt grant), o eseguire il comando come proprietario",
               "the database denied this role the right to do that: ask the database's owner to grant it "
               "(calendatt grant), or run the command as the owner");
  if (state("55P03", "lock timeout"))
    return say(language,
               "un'altra persona tiene le stesse righe da più di 10 secondi: riprovare tra poco (--on-error "
               "retry riprova da sé)",
               "someone else has held the same rows for more than 10 seconds: try again in a moment "
               "(--on-error retry tries again by itself)");
  // 08001 is a connection that never opened: its own line says why.
  if ((sql_state.rfind("08", 0) == 0 && sql_state != "08001") || sql_state.rfind("57P0", 0) == 0 ||
      contains(text, "server closed the connection") || contains(text, "no connection to the server") ||
      contains(text, "terminating connection"))
    return say(language,
               "la connessione al server PostgreSQL si è interrotta: controllare la rete e il server, poi "
               "ripetere il comando (quanto già confermato resta scritto)",
               "the connection to the PostgreSQL server was lost: check the network and the server, then run "
               "the command again (what was already committed stays written)");
  return {};
}

std::string password_warning(const Options& o) {
  if (!o.given.count("--db") || !database::names_password(o.db)) return {};
  return say(o.language,
             "la password scritta in --db è visibile agli altri utenti di questa macchina (ps, cronologia "
             "della shell): metterla in ~/.pgpass (o nel file di PGPASSFILE)",
             "the password written in --db is visible to other users of this machine (ps, shell history): "
             "put it in ~/.pgpass (or the file PGPASSFILE names)");
}

}  // namespace cli
