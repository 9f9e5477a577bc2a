// The window's calendar query with its self-disabling filters on a million calendar days: the text as the
// module writes it, run by SQLite unchanged, against the adapted text (adaptation included in the time),
// and the whole layer path (adaptation, run, rows into a recordset).
//
//   bench_calendar_query --benchmark_min_time=0.01

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "database/dialect.hpp"
#include "database/schema.hpp"
#include "database/sqlite_connection.hpp"

namespace {

constexpr int kRows = 1'000'000;

// The module's calendar query; an empty placeholder takes its default ('' or 0).
std::string calendar_query(const std::string& day, const std::string& node, const std::string& link,
                           const std::string& start, const std::string& end) {
  auto date = [](const std::string& iso) { return iso.empty() ? std::string("''") : "'" + iso + "'"; };
  auto id = [](const std::string& n) { return n.empty() ? std::string("0") : n; };
  std::string d = date(day), n = id(node), l = id(link), s = date(start), e = date(end);
  return std::string(" SELECT PD4G_CALENDATT.*, \r\n") +
         " PD4G_IDDISBAPROG_PD0G AS PD4G_IDDISBAPROG_PD68, PD4G_IDDISBAPROG_PD0G AS PD4G_IDDISBAPROG_PD0C, "
         "PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_PD0D, " +
         " PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_INI, PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_FIN " +
         " FROM PD4G_CALENDATT " + " WHERE PD4G_DITTA_CG18 = 1" + " AND (PD4G_DATAATTIVITA = " + d + " OR " +
         d + "='') " + " AND (PD4G_IDDISBAPROG_PD0G = " + n + " OR " + n + "=0) " +
         " AND (PD4G_IDLEGAME_PD0H = " + l + " OR " + l + "=0) " + " AND (PD4G_DATAATTIVITA>= " + s + " OR " +
         s + "='') " + " AND (PD4G_DATAATTIVITA<= " + e + " OR " + e + "='') ";
}

void check(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) throw std::runtime_error(sqlite3_errmsg(db));
}

// A database of a million days, built on first use in a directory removed at exit.
class Fixture {
 public:
  static Fixture& get() {
    static Fixture fixture;
    return fixture;
  }
  ~Fixture() {
    connection_.reset();
    sqlite3_close_v2(raw_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  sqlite3* raw() const { return raw_; }
  host::Connection& connection() const { return *connection_; }

 private:
  Fixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "calendatt-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    dir_ = pattern;
    std::string path = (dir_ / "calendar.db").string();
    connection_ = database::open_or_create(path);
    database::ensure_schema(*connection_);
    check(sqlite3_open_v2(path.c_str(), &raw_, SQLITE_OPEN_READWRITE, nullptr), raw_);
    check(sqlite3_exec(raw_, "BEGIN", nullptr, nullptr, nullptr), raw_);
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(
              raw_,
              "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
              "PD4G_DATAATTIVITA, PD4G_DURATAORE, PD4G_DURATAMINUTI) VALUES (?1, ?2, ?3, "
              "date('2025-01-01', '+' || ?4 || ' days'), 8, 0)",
              -1, &insert, nullptr),
          raw_);
    // Two companies, 100 nodes with 10 links each, 1000 days.
    for (int i = 0; i < kRows; ++i) {
      int node = 1 + (i / 2) % 100;
      sqlite3_bind_int(insert, 1, 1 + i % 2);
      sqlite3_bind_int(insert, 2, node);
      sqlite3_bind_int(insert, 3, node * 100 + (i / 200) % 5);
      sqlite3_bind_int(insert, 4, i / 1000);
      check(sqlite3_step(insert), raw_);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(raw_, "COMMIT", nullptr, nullptr, nullptr), raw_);
  }

  std::filesystem::path dir_;
  std::shared_ptr<host::Connection> connection_;
  sqlite3* raw_ = nullptr;
};

std::string query_for(int filter) {
  switch (filter) {
    case 0:  // one day, no WBS selection (free mode)
      return calendar_query("2025-06-01", "", "", "", "");
    default:  // one activity within its period (called mode)
      return calendar_query("2025-06-01", "51", "5102", "2025-03-01", "2025-09-30");
  }
}

std::int64_t run_raw(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  check(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), db);
  std::int64_t rows = 0;
  int rc = SQLITE_OK;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) ++rows;
  sqlite3_finalize(stmt);
  check(rc, db);
  return rows;
}

void BM_RawText(benchmark::State& state) {
  const std::string sql = query_for(static_cast<int>(state.range(0)));
  sqlite3* db = Fixture::get().raw();
  for (auto _ : state) benchmark::DoNotOptimize(run_raw(db, sql));
}

void BM_AdaptedText(benchmark::State& state) {
  const std::string sql = query_for(static_cast<int>(state.range(0)));
  sqlite3* db = Fixture::get().raw();
  for (auto _ : state) benchmark::DoNotOptimize(run_raw(db, database::adapt_statement(sql)));
}

void BM_LayerRecordset(benchmark::State& state) {
  const std::string sql = query_for(static_cast<int>(state.range(0)));
  host::Connection& connection = Fixture::get().connection();
  for (auto _ : state) benchmark::DoNotOptimize(connection.Execute(sql, host::kAdCmdText)->RecordCount());
}

BENCHMARK(BM_RawText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AdaptedText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerRecordset)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
