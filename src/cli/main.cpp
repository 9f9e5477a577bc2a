// calendatt: the command-line host of the WBS activity calendar.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "database/schema.hpp"
#include "database/sqlite_connection.hpp"
#include "runtime/error.hpp"

namespace {

const char* kUsage =
    "Usage: calendatt <command> [options]\n"
    "\n"
    "The WBS activity calendar from scripts and terminals.\n"
    "\n"
    "Commands:\n"
    "  init --db FILE [--demo]   Create the calendar's tables in a SQLite file (a new file is created).\n"
    "                            On an existing file only what is missing is added; nothing is deleted.\n"
    "                            --demo also writes the demo projects, activities and days when the\n"
    "                            file holds no WBS data yet.\n"
    "  contents --db FILE        List the WBS activities and the calendar days stored in the file.\n"
    "\n"
    "Options:\n"
    "  --db FILE      the database file (default: demo/calendatt-demo.db)\n"
    "  -h, --help     this text\n";

struct Options {
  std::string command;
  std::string db = "demo/calendatt-demo.db";
  bool demo = false;
};

// Exit statuses: 0 done, 1 refused by a rule or declined, 2 wrong usage, 3 failure.
constexpr int kUsageError = 2;
constexpr int kFailure = 3;

bool parse(int argc, char** argv, Options& options, std::string& error) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help") {
      options.command = "help";
      return true;
    }
    if (a == "--db") {
      if (i + 1 >= args.size()) {
        error = "--db needs a file name";
        return false;
      }
      options.db = args[++i];
    } else if (a.rfind("--db=", 0) == 0) {
      options.db = a.substr(5);
    } else if (a == "--demo") {
      options.demo = true;
    } else if (!a.empty() && a[0] == '-') {
      error = "unknown option " + a;
      return false;
    } else if (options.command.empty()) {
      options.command = a;
    } else {
      error = "unexpected argument " + a;
      return false;
    }
  }
  return true;
}

int run_init(const Options& options) {
  bool existed = std::filesystem::exists(options.db);
  auto connection = database::open_or_create(options.db);
  database::ensure_schema(*connection);
  bool demo_written = options.demo && database::insert_demo_data(*connection);
  connection->Close();
  std::cout << (existed ? "Schema checked in " : "Created ") << options.db << "\n";
  if (options.demo)
    std::cout << (demo_written ? "Demo data written.\n" : "Demo data not written: the file already holds WBS data.\n");
  return 0;
}

int run_contents(const Options& options) {
  if (!std::filesystem::exists(options.db)) {
    std::cerr << "calendatt: no database at " << options.db << " (create it with: calendatt init --db "
              << options.db << " --demo)\n";
    return kFailure;
  }
  auto connection = database::new_connection();
  connection->SetConnectionString("Data Source=" + options.db);
  connection->Open("", "", "", -1);
  auto print = [&](const std::string& title, const std::string& sql) {
    auto rs = connection->Execute(sql, host::kAdCmdText);
    std::cout << title << " (" << rs->RecordCount() << ")\n";
    auto names = rs->FieldNames();
    for (std::size_t i = 0; i < names.size(); ++i) std::cout << (i ? "\t" : "  ") << names[i];
    std::cout << "\n";
    for (; !rs->Eof(); rs->MoveNext()) {
      for (std::size_t i = 0; i < names.size(); ++i) {
        runtime::Variant v = rs->Field(names[i]);
        std::cout << (i ? "\t" : "  ") << (v.is_null() ? std::string("-") : v.to_string());
      }
      std::cout << "\n";
    }
    std::cout << "\n";
  };
  print("WBS activities",
        "SELECT PD0G_DITTA_CG18 AS DITTA, RTRIM(PD0G_CODPROG_PD68) AS PROGETTO, RTRIM(PD0G_CODNODO_PD0C) AS NODO, "
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
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!parse(argc, argv, options, error)) {
    std::cerr << "calendatt: " << error << "\n\n" << kUsage;
    return kUsageError;
  }
  if (options.command == "help") {
    std::cout << kUsage;
    return 0;
  }
  try {
    if (options.command == "init") return run_init(options);
    if (options.command == "contents") return run_contents(options);
  } catch (const runtime::Error& e) {
    std::cerr << "calendatt: " << e.description() << " (error " << e.number() << ")\n";
    return kFailure;
  }
  std::cerr << "calendatt: " << (options.command.empty() ? "no command given" : "unknown command " + options.command)
            << "\n\n"
            << kUsage;
  return kUsageError;
}
