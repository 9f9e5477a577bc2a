// calendatt: the command-line host of the WBS activity calendar.
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.hpp"
#include "cli/contents.hpp"
#include "cli/grid_output.hpp"
#include "cli/history.hpp"
#include "cli/language.hpp"
#include "cli/options.hpp"
#include "cli/planner_commands.hpp"
#include "cli/roles.hpp"
#include "cli/skip_dates.hpp"
#include "database/connection.hpp"
#include "database/file_check.hpp"
#include "database/journal.hpp"
#include "database/postgres_connection.hpp"
#include "database/rehearsal.hpp"
#include "database/schema.hpp"
#include "runtime/error.hpp"

namespace {

std::string say_in(const cli::Options& options, std::string italian, std::string english) {
  return cli::say(options.language, std::move(italian), std::move(english));
}

// The day the demo's first planned day falls on: today, or the ISO day of CALENDATT_DEMO_BASE (kept for
// tests and screenshots, which need the same dates on every day they run).
std::optional<runtime::Date> demo_base() {
  const char* fixed = std::getenv("CALENDATT_DEMO_BASE");
  if (!fixed || !*fixed) return runtime::Date::today();
  return cli::parse_iso_date(fixed);
}

// The system's own words from an error that names the database: what follows "'<path>': ".
std::string reason_of(const runtime::Error& e) {
  const std::string& text = e.description();
  auto at = text.find("': ");
  return at == std::string::npos ? text : text.substr(at + 3);
}

// Creates the tables (and the demo data) in a new file, or adds what is missing to a calendar database.
// Any other file is left exactly as it is.
int run_init(const cli::Options& options) {
  auto say = [&](std::string italian, std::string english) {
    return say_in(options, std::move(italian), std::move(english));
  };
  const bool server = database::is_postgres_target(options.db);
  database::FileCheck check;
  if (!server) check = database::check_calendar_file(options.db);
  bool existed = server || check.state != database::FileState::kMissing;
  if (!server && check.state != database::FileState::kMissing &&
      check.state != database::FileState::kCalendar && check.state != database::FileState::kNoTables &&
      check.state != database::FileState::kOlder) {
    std::cerr << "calendatt: " << database::describe(check, options.language) << "\n";
    return cli::kExitFailure;
  }
  if (!server && existed && check.read_only) {
    std::cerr << "calendatt: "
              << say("il database " + options.db + " qui è di sola lettura: nulla è stato cambiato",
                     "the database " + options.db + " is read-only here: nothing was changed")
              << "\n";
    return cli::kExitFailure;
  }
  std::optional<runtime::Date> base = demo_base();
  if (options.demo && !base) {
    std::cerr << "calendatt: "
              << say("CALENDATT_DEMO_BASE deve essere un giorno scritto AAAA-MM-GG",
                     "CALENDATT_DEMO_BASE must be a day written YYYY-MM-DD")
              << "\n";
    return cli::kExitUsage;
  }
  if (!existed) {
    std::error_code ec;
    auto folder = std::filesystem::path(options.db).parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
      std::filesystem::create_directories(folder, ec);
      if (ec) {
        std::cerr << "calendatt: " << say("impossibile creare la cartella ", "cannot create the folder ")
                  << folder.string() << ": " << ec.message() << "\n";
        return cli::kExitFailure;
      }
    }
  }
  std::shared_ptr<host::Connection> connection;
  try {
    connection = database::open_target(options.db, true);
  } catch (const runtime::Error& e) {
    std::cerr << "calendatt: "
              << say("impossibile aprire o creare il database ", "cannot open or create the database ")
              << database::describe_target(options.db) << ": "
              << cli::engine_text(reason_of(e), options.language) << "\n";
    return cli::kExitFailure;
  }
  const int version = database::schema_version(*connection);
  if (version > database::kSchemaVersion) {
    std::cerr << "calendatt: "
              << database::describe_version(version, database::describe_target(options.db), options.language)
              << "\n";
    return cli::kExitFailure;
  }
  try {
    database::ensure_schema(*connection);
  } catch (const runtime::Error& e) {
    // The server's words, never the schema's script.
    std::string words = cli::server_error_words("", e.description(), options.language);
    if (words.empty())
      words = cli::engine_text(e.description().substr(0, e.description().find(" [SQL: ")), options.language);
    std::cerr << "calendatt: " << say("schema non aggiornato: ", "schema not upgraded: ") << words << "\n";
    return cli::kExitFailure;
  }
  bool demo_written = false;
  if (options.demo) {
    // The demo's days are one action of the journal.
    database::ActionInProgress action("init --demo");
    demo_written = database::insert_demo_data(*connection, *base);
  }
  connection->Close();
  const bool upgraded = version > 0 && version < database::kSchemaVersion;
  std::cout << (upgraded  ? say("Schema aggiornato dalla versione " + std::to_string(version) + " alla " +
                                    std::to_string(database::kSchemaVersion) + ", ogni riga conservata, in ",
                                "Schema upgraded from version " + std::to_string(version) + " to " +
                                    std::to_string(database::kSchemaVersion) + ", every row kept, in ")
                : existed ? say("Schema verificato in ", "Schema checked in ")
                          : say("Creato ", "Created "))
            << database::describe_target(options.db) << "\n";
  if (options.demo)
    std::cout << (demo_written ? say("Dati dimostrativi scritti, intorno al " + base->iso() + ".\n",
                                     "Demo data written, around " + base->iso() + ".\n")
                               : say("Dati dimostrativi non scritti: il database contiene già dati WBS.\n",
                                     "Demo data not written: the database already holds WBS data.\n"));
  return cli::kExitDone;
}

// Standard input when it is a terminal, where the person answers.
std::istream* terminal() {
  return isatty(STDIN_FILENO) ? &std::cin : nullptr;
}

// What the run reads before it opens anything: the file of --skip-dates, and a --db that reads like a
// server's parameters but is none (a file of that name must never be created instead).
bool usable_inputs(cli::Options& options, std::string& error) {
  if (options.help || options.version) return true;
  if (!cli::read_skip_dates(options, error)) return false;
  error = database::server_parameters_problem(options.db, options.language);
  return error.empty();
}

}  // namespace

int main(int argc, char** argv) {
  cli::Options options;
  std::string error;
  if (!cli::parse_arguments(std::vector<std::string>(argv + 1, argv + argc), options, error) ||
      !usable_inputs(options, error)) {
    std::cerr << "calendatt: " << error << "\n"
              << "calendatt: " << cli::usage_hint(options.command, options.language) << "\n";
    return cli::kExitUsage;
  }
  if (options.version) {
    std::cout << "calendatt " << CALENDATT_VERSION << "\n";
    return cli::kExitDone;
  }
  if (options.help) {
    std::cout << cli::usage(options.command, options.language);
    return cli::kExitDone;
  }
  if (options.durable) database::set_durable_commits(true);
  if (std::string warning = cli::password_warning(options); !warning.empty())
    std::cerr << "calendatt: " << warning << "\n";
  if (options.command == "grant" || options.command == "revoke" || options.command == "grants")
    return cli::run_roles_command(options, std::cout, std::cerr);
  try {
    if (options.command == "init") return run_init(options);
    if (options.command == "contents") return cli::run_contents(options, std::cout, std::cerr);
    if (options.command == "history") return cli::run_history(options, std::cout, std::cerr);
    if (options.command == "undo") return cli::run_undo(options, std::cout, std::cerr);
    if (options.command == "days" || options.command == "export-ics")
      return cli::run_planner_command(options, std::cout, std::cerr, terminal());
  } catch (const runtime::Error& e) {
    if (std::string words = cli::server_error_words("", e.description(), options.language); !words.empty())
      std::cerr << "calendatt: " << words << "\n";
    else
      std::cerr << "calendatt: " << cli::engine_text(e.description(), options.language)
                << say_in(options, " (errore ", " (error ") << e.number() << ")\n";
    return cli::kExitFailure;
  } catch (const std::exception& e) {
    std::cerr << "calendatt: " << e.what() << "\n";
    return cli::kExitFailure;
  }
  return cli::run_window_command(options, std::cout, std::cerr, terminal());
}
