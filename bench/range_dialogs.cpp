// The two range dialogs on a database of a million calendar days: 32767 days generated through the
// insertion dialog and deleted through the deletion dialog (opened from the calendar window's toolbar, the
// person's input scripted), against the same statements sent straight to SQLite on a plain handle with
// the layer's settings (WAL journal, synchronous=FULL, one autocommitted statement at a time). The raw
// side runs the texts the layer hands to SQLite (already adapted), so the difference is the module, the
// host and the database layer. The module's figure includes the calendar window's refresh after the
// dialog closes (after a generation the module's row also reports that refresh alone, refresh_s).
//
//   bench_range_dialogs
//
// At the end a summary line per operation gives both times and their ratio (module / raw).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "database/dialect.hpp"
#include "million_days.hpp"

namespace calendatt::bench {
namespace {

// An activity planned over a century on the demo node PRJ002 / M01, so that the dialogs take the
// largest range they can count (32767 dates).
constexpr int kBenchLink = 1100;
constexpr int kBenchNode = database::demo::kNodeElectrical;
constexpr int kRangeDays = 32767;
const Day kPlanStart = iso_day(1950, 1, 1);
const Day kPlanEnd = iso_day(2049, 12, 31);
const Day kFirst = kPlanStart;
const Day kLast = kPlanStart + std::chrono::days{kRangeDays - 1};

std::unique_ptr<MillionDays> g_database;

// Mean seconds per iteration, for the summary.
struct Figures {
  double module_generate = 0, raw_generate = 0, module_delete = 0, raw_delete = 0;
} g_figures;

const RawHandle& raw() {
  return g_database->raw();
}

void add_bench_activity() {
  raw().exec(
      "INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE) VALUES (1, "
      "'BENCH', 'Attività di misura')");
  raw().exec(
      "INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, "
      "PD0H_DATAINIZPIAN, PD0H_DATAFINPIAN) VALUES (" +
      std::to_string(kBenchLink) + ", " + std::to_string(kBenchNode) + ", 'BENCH', '" + iso_text(kPlanStart) +
      "', '" + iso_text(kPlanEnd) + "')");
}

std::string bench_key_condition() {
  return "PD4G_DITTA_CG18 = 1 AND PD4G_IDDISBAPROG_PD0G = " + std::to_string(kBenchNode) +
         " AND PD4G_IDLEGAME_PD0H = " + std::to_string(kBenchLink);
}

std::int64_t bench_days() {
  return raw().number("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE " + bench_key_condition());
}

void clear_bench_days() {
  raw().exec("DELETE FROM PD4G_CALENDATT WHERE " + bench_key_condition());
}

// The range's days as the insertion dialog writes them, in one transaction.
void fill_bench_days() {
  clear_bench_days();
  raw().exec("BEGIN");
  for (int i = 0; i < kRangeDays; ++i) {
    const Day d = kFirst + std::chrono::days{i};
    const std::chrono::year_month_day ymd{d};
    raw().exec(
        "INSERT INTO PD4G_CALENDATT (PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA, "
        "PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO, PD4G_MININIZIO, "
        "PD4G_ORAFINE, PD4G_MINFINE, PD4G_DURATAORE, PD4G_DURATAMINUTI, PD4G_DITTA_CG18) VALUES (" +
        std::to_string(kBenchNode) + ", " + std::to_string(kBenchLink) + ", '" + iso_text(d) + "', " +
        std::to_string(static_cast<int>(ymd.year())) + ", " +
        std::to_string(static_cast<unsigned>(ymd.month())) + ", " +
        std::to_string(static_cast<unsigned>(ymd.day())) + ", 0, 0, 8, 0, 8, 0, 1)");
  }
  raw().exec("COMMIT");
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---- The texts the dialogs send for the bench activity (company 1, node 201, link 1100).

const std::string kNode = std::to_string(kBenchNode);
const std::string kLink = std::to_string(kBenchLink);

std::string literal(Day d) {
  return "'" + iso_text(d) + "'";
}

std::string generation_existence(Day d) {
  return std::string(" SELECT PD4G_CALENDATT.* ") + " FROM PD4G_CALENDATT " +
         " WHERE PD4G_DITTA_CG18 = 1 \r\n" + " AND PD4G_IDDISBAPROG_PD0G = " + kNode +
         " AND PD4G_IDLEGAME_PD0H = " + kLink + " AND PD4G_DATAATTIVITA = " + literal(d);
}

std::string generation_insert(Day d) {
  const std::chrono::year_month_day ymd{d};
  return std::string("INSERT INTO PD4G_CALENDATT (") + " PD4G_IDDISBAPROG_PD0G, " + " PD4G_IDLEGAME_PD0H, " +
         " PD4G_DATAATTIVITA, " + " PD4G_ANNOATTIVITA, " + " PD4G_MESEATTIVITA, " + " PD4G_GGATTIVITA, " +
         " PD4G_ORAINIZIO, " + " PD4G_MININIZIO, " + " PD4G_ORAFINE, " + " PD4G_MINFINE, " +
         " PD4G_DURATAORE, " + " PD4G_DURATAMINUTI, " + " PD4G_DITTA_CG18 " + ") " + " VALUES (" + kNode +
         ", " + kLink + ", " + literal(d) + ", " + std::to_string(static_cast<int>(ymd.year())) + ", " +
         std::to_string(static_cast<unsigned>(ymd.month())) + ", " +
         std::to_string(static_cast<unsigned>(ymd.day())) + ", 0, 0, 08, 00, 08, 00, 1)";
}

std::string deletion_allocations(Day d) {
  return std::string("SELECT COUNT(PD4H_IDCALENDARIO_PD4G) AS NRRIS \r\n") +
         " FROM PD4H_ALLRISPROG WITH(NOLOCK) \r\n INNER JOIN PD4G_CALENDATT WITH(NOLOCK) \r\n" +
         " ON PD4G_IDCALENDARIO = PD4H_IDCALENDARIO_PD4G \r\n WHERE PD4G_DITTA_CG18 = 1 \r\n" +
         " AND PD4G_IDDISBAPROG_PD0G = " + kNode + "\r\n AND PD4G_IDLEGAME_PD0H = " + kLink +
         "\r\n AND PD4G_DATAATTIVITA = " + literal(d);
}

std::string in_list(const std::vector<Day>& days) {
  std::string list;
  for (const Day& d : days) list += literal(d) + ", ";
  list.resize(list.size() - 2);
  return list;
}

std::string deletion_existence(const std::string& dates) {
  return " SELECT PD4G_CALENDATT.*  FROM PD4G_CALENDATT  WHERE PD4G_DITTA_CG18 = 1  AND "
         "PD4G_IDDISBAPROG_PD0G = " +
         kNode + " AND PD4G_IDLEGAME_PD0H = " + kLink + " AND PD4G_DATAATTIVITA IN (" + dates + ")";
}

std::string deletion_statement(const std::string& dates) {
  return "DELETE FROM PD4G_CALENDATT  WHERE PD4G_DITTA_CG18 = 1  AND PD4G_IDDISBAPROG_PD0G = " + kNode +
         " AND PD4G_IDLEGAME_PD0H = " + kLink + " AND PD4G_DATAATTIVITA IN (" + dates + ")";
}

// ---- The module's path.

ModuleSession& open_on_bench_activity(std::unique_ptr<ModuleSession>& session) {
  session = std::make_unique<ModuleSession>(g_database->path());
  session->call_for("PRJ002", "M01", "BENCH", kBenchNode, kBenchLink, kPlanStart, kPlanEnd);
  session->open_main();
  session->expect_clean("opening the calendar window");
  return *session;
}

void BM_ModuleGenerate(benchmark::State& state) {
  try {
    std::unique_ptr<ModuleSession> holder;
    ModuleSession& session = open_on_bench_activity(holder);
    double total = 0;
    for (auto _ : state) {
      clear_bench_days();
      bool typed = true;
      session.in_dialog("FRMPD_ADDCALENDATT", [&](standin::HeadlessFormSite& s) {
        try {
          type_into(s, "TXT_DATAINIZIALE", typed_text(kFirst), 'd');
          type_into(s, "TXT_DATAFINALE", typed_text(kLast), 'd');
          type_into(s, "TXT_RIPETIOGNI", "1", 'n');
          type_into(s, "TXT_ORE", "8", 'c');
          type_into(s, "TXT_MINUTI", "0", 'c');
          if (!s.combo("CBO_VARPRESENTI")->choose(1)) typed = false;  // Tralascia
        } catch (const std::exception&) {
          typed = false;
        }
        if (typed) s.button("BTN_CONFERMA")->click();
      });
      auto start = std::chrono::steady_clock::now();
      session.press("BTN_INSMULTIPLO");
      double elapsed = seconds_since(start);
      state.SetIterationTime(elapsed);
      total += elapsed;
      if (!typed) throw std::runtime_error("the insertion dialog refused the input");
      session.expect_clean("generation");
      if (bench_days() != kRangeDays) throw std::runtime_error("the generation did not write every day");
      // The window's refresh alone, as the dialog's close ran it (its query lists the chosen day).
      auto refresh = std::chrono::steady_clock::now();
      session.window().Requery();
      state.counters["refresh_s"] = seconds_since(refresh);
    }
    g_figures.module_generate = total / static_cast<double>(state.iterations());
    state.counters["days"] = kRangeDays;
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

void BM_ModuleDelete(benchmark::State& state) {
  try {
    std::unique_ptr<ModuleSession> holder;
    ModuleSession& session = open_on_bench_activity(holder);
    double total = 0;
    for (auto _ : state) {
      fill_bench_days();
      session.responder().push_answer(standin::box::kYes);
      bool typed = true;
      session.in_dialog("FRMPD_DELCALENDATT", [&](standin::HeadlessFormSite& s) {
        try {
          type_into(s, "TXT_DATAINIZIALE", typed_text(kFirst), 'd');
          type_into(s, "TXT_DATAFINALE", typed_text(kLast), 'd');
          type_into(s, "TXT_CANCELLAOGNI", "1", 'n');
        } catch (const std::exception&) {
          typed = false;
        }
        if (typed) s.button("BTN_CONFERMA")->click();
      });
      auto start = std::chrono::steady_clock::now();
      session.press("BTN_CANCMULTIPLA");
      double elapsed = seconds_since(start);
      state.SetIterationTime(elapsed);
      total += elapsed;
      if (!typed) throw std::runtime_error("the deletion dialog refused the input");
      session.expect_clean("deletion");
      if (bench_days() != 0) throw std::runtime_error("the deletion left days behind");
    }
    g_figures.module_delete = total / static_cast<double>(state.iterations());
    state.counters["days"] = kRangeDays;
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

// ---- The same statements on a plain handle.

void BM_RawGenerate(benchmark::State& state) {
  try {
    std::vector<std::string> existence, inserts;
    for (int i = 0; i < kRangeDays; ++i) {
      const Day d = kFirst + std::chrono::days{i};
      existence.push_back(database::adapt_statement(generation_existence(d)));
      inserts.push_back(database::adapt_statement(generation_insert(d)));
    }
    RawHandle handle(g_database->path());
    double total = 0;
    for (auto _ : state) {
      clear_bench_days();
      auto start = std::chrono::steady_clock::now();
      for (std::size_t i = 0; i < existence.size(); ++i) {
        if (handle.run(existence[i]) == 0) handle.run(inserts[i]);
      }
      double elapsed = seconds_since(start);
      state.SetIterationTime(elapsed);
      total += elapsed;
      if (bench_days() != kRangeDays) throw std::runtime_error("the generation did not write every day");
    }
    g_figures.raw_generate = total / static_cast<double>(state.iterations());
    state.counters["days"] = kRangeDays;
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

void BM_RawDelete(benchmark::State& state) {
  try {
    std::vector<std::string> allocations;
    std::vector<Day> range;
    for (int i = 0; i < kRangeDays; ++i) {
      range.push_back(kFirst + std::chrono::days{i});
      allocations.push_back(database::adapt_statement(deletion_allocations(range.back())));
    }
    // No day of the range carries allocations: every date is listed.
    const std::string dates = in_list(range);
    const std::string existence = database::adapt_statement(deletion_existence(dates));
    const std::string deletion = database::adapt_statement(deletion_statement(dates));
    RawHandle handle(g_database->path());
    double total = 0;
    for (auto _ : state) {
      fill_bench_days();
      auto start = std::chrono::steady_clock::now();
      std::int64_t spared = 0;
      for (const std::string& sql : allocations)
        if (handle.number(sql) > 0) ++spared;
      std::int64_t found = handle.run(existence);
      if (found != 0) handle.run(deletion);
      double elapsed = seconds_since(start);
      state.SetIterationTime(elapsed);
      total += elapsed;
      if (spared != 0 || found != kRangeDays || bench_days() != 0)
        throw std::runtime_error("the raw deletion did not match the range");
    }
    g_figures.raw_delete = total / static_cast<double>(state.iterations());
    state.counters["days"] = kRangeDays;
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

// A generation commits (synchronously) once per day, so the generations run once; the deletions, one
// write in all, three times.
BENCHMARK(BM_ModuleGenerate)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_RawGenerate)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ModuleDelete)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawDelete)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void print_ratio(const char* what, double module, double raw_seconds) {
  if (module <= 0 || raw_seconds <= 0) {
    std::printf("%s: not measured\n", what);
    return;
  }
  std::printf("%-34s module %9.3f s   raw %9.3f s   module/raw %6.2f\n", what, module, raw_seconds,
              module / raw_seconds);
}

}  // namespace
}  // namespace calendatt::bench

int main(int argc, char** argv) {
  using namespace calendatt::bench;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  auto start = std::chrono::steady_clock::now();
  g_database = std::make_unique<MillionDays>();
  add_bench_activity();
  std::printf("database: demo + %d other days, built in %.1f s (%s)\n", kOtherLinks * kDaysPerLink,
              seconds_since(start), g_database->path().c_str());
  std::fflush(stdout);
  benchmark::RunSpecifiedBenchmarks();
  std::printf("\nRange of %d days (%s..%s), every day, 8:00:\n", kRangeDays, iso_text(kFirst).c_str(),
              iso_text(kLast).c_str());
  print_ratio("generation (insertion dialog)", g_figures.module_generate, g_figures.raw_generate);
  print_ratio("deletion (deletion dialog)", g_figures.module_delete, g_figures.raw_delete);
  g_database.reset();
  benchmark::Shutdown();
  return 0;
}
