// The calendar window's Requery on a database of a million calendar days: a day chosen in the calendar in
// free mode (no WBS selection), and the window called on the demo activity PRJ001 / N01 / ATT01 (planned
// in March 2026), the same day chosen in both. At the end, for each case, the query text as SQLite receives
// it (adapted by the database layer) and SQLite's plan for it.
//
//   bench_requery

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "database/dialect.hpp"
#include "million_days.hpp"

namespace calendatt::bench {
namespace {

std::unique_ptr<MillionDays> g_database;

// For each case: its name, the adapted query text and its plan.
struct PlanReport {
  std::string name, adapted, plan;
  std::int64_t rows = 0;
};
std::vector<PlanReport> g_plans;

void time_requery(benchmark::State& state, ModuleSession& session, const char* name) {
  FRMPD_CALENDATT& window = session.window();
  const std::string adapted = database::adapt_statement(window.query_text());
  const std::int64_t rows = g_database->raw().run(adapted);
  g_plans.push_back(PlanReport{name, adapted, g_database->raw().plan(adapted), rows});
  for (auto _ : state) window.Requery();
  session.expect_clean(name);
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_RequeryFreeMode(benchmark::State& state) {
  try {
    ModuleSession session(g_database->path());
    auto& main = session.open_main();
    if (!main.calendar("KVO_CALENDARIO")->choose(*runtime::parse_date("2026-03-02")))
      throw std::runtime_error("the calendar refused the day");
    time_requery(state, session, "free mode, day 2026-03-02");
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

void BM_RequeryCalledMode(benchmark::State& state) {
  try {
    ModuleSession session(g_database->path());
    session.call_for("PRJ001", "N01", "ATT01", database::demo::kNodeDesign, database::demo::kLinkPlanned,
                     iso_day(2026, 3, 1), iso_day(2026, 3, 31));
    auto& main = session.open_main();
    if (!main.calendar("KVO_CALENDARIO")->choose(*runtime::parse_date("2026-03-02")))
      throw std::runtime_error("the calendar refused the day");
    time_requery(state, session, "called mode, PRJ001 / N01 / ATT01, day 2026-03-02");
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

BENCHMARK(BM_RequeryFreeMode)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RequeryCalledMode)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calendatt::bench

int main(int argc, char** argv) {
  using namespace calendatt::bench;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  auto start = std::chrono::steady_clock::now();
  g_database = std::make_unique<MillionDays>();
  std::printf("database: demo + %d other days, built in %.1f s (%s)\n", kOtherLinks * kDaysPerLink,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              g_database->path().c_str());
  std::fflush(stdout);
  benchmark::RunSpecifiedBenchmarks();
  for (const PlanReport& p : g_plans) {
    std::printf("\n%s (%lld rows)\nadapted query:\n  %s\nEXPLAIN QUERY PLAN:\n%s", p.name.c_str(),
                static_cast<long long>(p.rows), p.adapted.c_str(), p.plan.c_str());
  }
  g_database.reset();
  benchmark::Shutdown();
  return 0;
}
