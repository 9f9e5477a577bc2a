// A generation killed without warning (SIGKILL, as a power cut or `kill -9`) leaves an intact SQLite file
// holding every day written before the kill, each one whole.
#include <signal.h>

#include <filesystem>
#include <thread>

#include "cli/cli_runner.hpp"

namespace cli::testing {
namespace {

// The activity is planned over ninety years; a generation asks for about 30,000 days.
constexpr int kDaysAsked = 30680;  // 2027-01-01 .. 2110-12-31

class CliCrash : public calendatt::testing::OnEngine<CliScenario, Engine::SQLite> {
 protected:
  void SetUp() override {
    CliScenario::SetUp();
    if (!HasFatalFailure()) add_long_activity("2116-12-31");
  }

  int generated() const {
    return count("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = " +
                 std::to_string(kLongLink));
  }
};

TEST_F(CliCrash, AGenerationKilledMidRunLeavesAnIntactFileOfWholeDays) {
  // Every statement commits on its own: the generation is killed between two of them.
  pid_t pid = start_program(with(long1("add-range --from 2027-01-01 --to 2110-12-31 --every 1 --hours 3 "
                                       "--minutes 45 --existing stop --yes"),
                                 {"--db", db_->target()}),
                            db_->dir().string());
  ASSERT_GT(pid, 0);
  // Killed once its first commit is visible, long before its end.
  bool ended = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (generated() == 0 && std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      ended = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_FALSE(ended) << "the generation ended before it could be killed";
  ASSERT_EQ(kill(pid, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the generation ended on its own";

  // A fresh connection recovers the file from its journal.
  raw_ = db_->raw();
  EXPECT_EQ(raw_->value("PRAGMA integrity_check"), "ok");
  int days = generated();
  EXPECT_GT(days, 0);
  EXPECT_LT(days, kDaysAsked);
  // The first `days` days of the range, with no gap.
  EXPECT_EQ(raw_->value("SELECT MAX(PD4G_DATAATTIVITA) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999"),
            raw_->value("SELECT date('2027-01-01', '+" + std::to_string(days - 1) + " days')"));
  // Each one whole: every column of the row as the generation writes it.
  EXPECT_EQ(count("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999 AND NOT COALESCE("
                  "PD4G_DITTA_CG18 = 1 AND PD4G_IDDISBAPROG_PD0G = 201 "
                  "AND PD4G_ANNOATTIVITA = CAST(strftime('%Y', PD4G_DATAATTIVITA) AS INTEGER) "
                  "AND PD4G_MESEATTIVITA = CAST(strftime('%m', PD4G_DATAATTIVITA) AS INTEGER) "
                  "AND PD4G_GGATTIVITA = CAST(strftime('%d', PD4G_DATAATTIVITA) AS INTEGER) "
                  "AND PD4G_ORAINIZIO = 0 AND PD4G_MININIZIO = 0 AND PD4G_ORAFINE = 3 AND PD4G_MINFINE = 45 "
                  "AND PD4G_DURATAORE = 3 AND PD4G_DURATAMINUTI = 45, 0)"),
            0);

  // The journal and the table agree: every stored day has its journal row, and no row journals a day
  // that is not there.
  EXPECT_EQ(
      count("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999 AND NOT EXISTS (SELECT 1 "
            "FROM CALENDATT_GIORNALE WHERE GI_IDCALENDARIO = PD4G_IDCALENDARIO AND GI_OPERAZIONE = 'I')"),
      0);
  EXPECT_EQ(count("SELECT COUNT(*) FROM CALENDATT_GIORNALE WHERE A_PD4G_IDLEGAME_PD0H = 1999 AND NOT EXISTS "
                  "(SELECT 1 FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = GI_IDCALENDARIO)"),
            0);

  // The person runs it again, skipping the days already there: the range is completed.
  auto again = run(long1(
      "add-range --from 2027-01-01 --to 2110-12-31 --every 1 --hours 3 --minutes 45 --existing skip --yes"));
  EXPECT_EQ(again.status, 0) << again.all_err();
  EXPECT_EQ(generated(), kDaysAsked);
  EXPECT_EQ(raw_->value("PRAGMA integrity_check"), "ok");
}

}  // namespace
}  // namespace cli::testing
