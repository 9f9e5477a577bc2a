// calendatt: the command-line host of the WBS activity calendar.
#include <unistd.h>

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.hpp"
#include "cli/grid_output.hpp"
#include "cli/options.hpp"
#include "database/connection.hpp"
#include "database/file_check.hpp"
#include "database/postgres_connection.hpp"
#include "database/schema.hpp"
#include "runtime/error.hpp"

namespace {

// Creates the tables (and the demo data) in a new file, or adds what is missing to a calendar database.
// Any other file is left exactly as it is.
int run_init(const cli::Options& options) {
  const bool server = database::is_postgres_target(options.db);
  database::FileCheck check;
  if (!server) check = database::check_calendar_file(options.db);
  bool existed = server || check.state != database::FileState::kMissing;
  if (!server && check.state != database::FileState::kMissing &&
      check.state != database::FileState::kCalendar && check.state != database::FileState::kNoTables) {
    std::cerr << "calendatt: " << check.message << "\n";
    return cli::kExitFailure;
  }
  if (!server && existed && check.read_only) {
    std::cerr << "calendatt: the database " << options.db << " is read-only here: nothing was changed\n";
    return cli::kExitFailure;
  }
  if (!existed) {
    std::error_code ec;
    auto folder = std::filesystem::path(options.db).parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
      std::filesystem::create_directories(folder, ec);
      if (ec) {
        std::cerr << "calendatt: cannot create the folder " << folder.string() << ": " << ec.message()
                  << "\n";
        return cli::kExitFailure;
      }
    }
  }
  auto connection = database::open_target(options.db, true);
  database::ensure_schema(*connection);
  bool demo_written = options.demo && database::insert_demo_data(*connection);
  connection->Close();
  std::cout << (existed ? "Schema checked in " : "Created ") << database::describe_target(options.db) << "\n";
  if (options.demo)
    std::cout << (demo_written ? "Demo data written.\n"
                               : "Demo data not written: the database already holds WBS data.\n");
  return cli::kExitDone;
}

int run_contents(const cli::Options& options) {
  database::FileCheck check;
  if (!database::is_postgres_target(options.db)) check = database::check_calendar_file(options.db);
  if (!database::is_postgres_target(options.db) && check.state != database::FileState::kCalendar) {
    std::cerr << "calendatt: " << check.message << "\n";
    return cli::kExitFailure;
  }
  auto connection = database::open_target(options.db, false);
  auto print = [&](const std::string& title, const std::string& sql) {
    auto rs = connection->Execute(sql, host::kAdCmdText);
    std::cout << title << " (" << rs->RecordCount() << ")\n";
    auto names = rs->FieldNames();
    for (std::size_t i = 0; i < names.size(); ++i) std::cout << (i ? "\t" : "  ") << names[i];
    std::cout << "\n";
    for (; !rs->Eof(); rs->MoveNext()) {
      for (std::size_t i = 0; i < names.size(); ++i) {
        runtime::Variant v = rs->Field(names[i]);
        std::cout << (i ? "\t" : "  ")
                  << (v.is_null() ? std::string("-") : cli::escape_control(v.to_string()));
      }
      std::cout << "\n";
    }
    std::cout << "\n";
  };
  print("WBS activities",
        "SELECT PD0G_DITTA_CG18 AS DITTA, RTRIM(PD0G_CODPROG_PD68) AS PROGETTO, RTRIM(PD0G_CODNODO_PD0C) AS "
        "NODO, "
        "RTRIM(PD0H_CODATTIVITA_PD0D) AS ATTIVITA, PD0G_IDDISBAPROG AS IDNODO, PD0H_IDLEGAME AS IDLEGAME, "
        "PD0H_DATAINIZPIAN AS INIZIO_PIAN, PD0H_DATAFINPIAN AS FINE_PIAN, PD0H_DATAINIZPREV AS INIZIO_PREV, "
        "PD0H_DATAFINPREV AS FINE_PREV FROM PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG "
        "ON PD0H_IDDISBAPROG_PD0G = PD0G_IDDISBAPROG ORDER BY 1, 2, 3, 4, 6");
  print("Calendar days",
        "SELECT PD4G_DITTA_CG18 AS DITTA, PD4G_IDDISBAPROG_PD0G AS IDNODO, PD4G_IDLEGAME_PD0H AS IDLEGAME, "
        "PD4G_DATAATTIVITA AS DATA, PD4G_DURATAORE AS ORE, PD4G_DURATAMINUTI AS MINUTI, "
        "(SELECT COUNT(*) FROM PD4H_ALLRISPROG WHERE PD4H_IDCALENDARIO_PD4G = PD4G_IDCALENDARIO) AS RISORSE "
        "FROM PD4G_CALENDATT ORDER BY 1, 2, 3, 4");
  connection->Close();
  return cli::kExitDone;
}

}  // namespace

int main(int argc, char** argv) {
  cli::Options options;
  std::string error;
  if (!cli::parse_arguments(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::cerr << "calendatt: " << error << "\n\n"
              << cli::usage(cli::known_command(options.command) ? options.command : "");
    return cli::kExitUsage;
  }
  if (options.help) {
    std::cout << cli::usage(options.command);
    return cli::kExitDone;
  }
  try {
    if (options.command == "init") return run_init(options);
    if (options.command == "contents") return run_contents(options);
  } catch (const runtime::Error& e) {
    std::cerr << "calendatt: " << e.description() << " (error " << e.number() << ")\n";
    return cli::kExitFailure;
  } catch (const std::exception& e) {
    std::cerr << "calendatt: " << e.what() << "\n";
    return cli::kExitFailure;
  }
  return cli::run_window_command(options, std::cout, std::cerr, isatty(STDIN_FILENO) ? &std::cin : nullptr);
}
