// The preview's reading of runs: on both engines, a command of several runs (as a weekday pattern makes)
// is previewed run by run, each run seeing what the earlier ones wrote, and nothing is left in the
// database; the classification tells a conflict from a run given up, and looks only at the run's own
// link and dates.
#include "planner/preview.hpp"

#include <gtest/gtest.h>

#include "database/connection.hpp"
#include "support/engines.hpp"

namespace calendatt::testing {
namespace {

using planner::Effect;
using runtime::Date;

constexpr std::int32_t kCompany = 1;
constexpr std::int32_t kLink = 7;

Date march(unsigned day) {
  return Date::from_ymd(2026, 3, day);
}

std::vector<Effect> effects_of(const std::vector<planner::DateEffect>& dated) {
  std::vector<Effect> out;
  for (const auto& d : dated) out.push_back(d.effect);
  return out;
}

class PreviewRuns : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    if (GetParam() == Engine::PostgreSQL) {
      ASSERT_FALSE(test_server().empty()) << kNoServer;
    }
    db_ = std::make_unique<ScratchDatabase>(GetParam());
    db_->create()->Close();
    raw_ = db_->raw();
  }

  // What a dialog does, on a connection of its own as the module's dialogs have.
  void write(const std::string& sql) {
    auto c = database::new_connection();
    c->Open(db_->connection_string(), "", "", -1);
    c->Execute(sql, host::kAdCmdText | host::kAdExecuteNoRecords);
    c->Close();
  }
  void insert_day(std::int32_t link, unsigned day, int hours) {
    write(
        "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
        "PD4G_DATAATTIVITA, PD4G_DURATAORE, PD4G_DURATAMINUTI) VALUES (1, 3, " +
        std::to_string(link) + ", '" + march(day).iso() + "', " + std::to_string(hours) + ", 0)");
  }

  std::unique_ptr<ScratchDatabase> db_;
  std::unique_ptr<RawAccess> raw_;
};

TEST_P(PreviewRuns, EachRunOfACommandSeesTheEarlierOnesAndNothingStays) {
  insert_day(kLink, 2, 8);
  {
    planner::Preview preview(db_->target());
    ASSERT_EQ(planner::Preview::current(), &preview);
    // First run: 2 and 3 March; 2 exists and is overwritten with the same duration, 3 is added, and a
    // day of another link written on the way is not the run's.
    preview.begin_run(planner::RunKind::kInsertion, kCompany, 3, kLink, {march(2), march(3)});
    write("UPDATE PD4G_CALENDATT SET PD4G_DURATAORE = 8 WHERE PD4G_IDLEGAME_PD0H = 7");
    insert_day(kLink, 3, 4);
    insert_day(kLink + 1, 2, 1);
    preview.end_run(planner::RunEnd::kDone);
    // Second run: 3 March, added by the first run, is skipped; 4 is added.
    preview.begin_run(planner::RunKind::kInsertion, kCompany, 3, kLink, {march(3), march(4)});
    insert_day(kLink, 4, 2);
    preview.end_run(planner::RunEnd::kDone);
    // Third run: a deletion of 2 to 5 March.
    preview.begin_run(planner::RunKind::kDeletion, kCompany, 3, kLink, {march(2), march(3), march(4), march(5)});
    write("DELETE FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 7 AND PD4G_DATAATTIVITA <> '" +
          march(3).iso() + "'");
    preview.end_run(planner::RunEnd::kDone);
    preview.finish();
    EXPECT_EQ(planner::Preview::current(), nullptr);

    EXPECT_EQ(effects_of(preview.effects()),
              (std::vector<Effect>{Effect::kOverwrite, Effect::kAdd, Effect::kSkip, Effect::kAdd,
                                   Effect::kDelete, Effect::kSpared, Effect::kDelete, Effect::kAbsent}));
    const auto& skipped = preview.effects()[2];
    ASSERT_TRUE(skipped.before && skipped.after);
    EXPECT_EQ(skipped.before->hours, 4);
    EXPECT_EQ(preview.totals().add, 2);
    EXPECT_EQ(preview.totals().deleted, 2);
  }
  EXPECT_EQ(raw_->rows("SELECT PD4G_IDLEGAME_PD0H, PD4G_DURATAORE FROM PD4G_CALENDATT"),
            (std::vector<std::string>{"1:7|1:8|"}));
}

CALENDATT_ON_EACH_ENGINE(PreviewRuns);

TEST(PreviewClassification, AConflictStopsOnTheDaysThatExistAndARunGivenUpWritesNothing) {
  const std::vector<Date> dates = {march(1), march(2), march(3)};
  const std::vector<std::pair<std::string, planner::Duration>> existing = {{march(2).iso(), {8, 0}}};
  using planner::RunEnd;
  using planner::RunKind;
  EXPECT_EQ(effects_of(planner::classify(RunKind::kInsertion, RunEnd::kConflict, kCompany, kLink, dates,
                                         existing, existing, {})),
            (std::vector<Effect>{Effect::kNotWritten, Effect::kStopHere, Effect::kNotWritten}));
  EXPECT_EQ(effects_of(planner::classify(RunKind::kInsertion, RunEnd::kGaveUp, kCompany, kLink, dates,
                                         existing, existing, {})),
            (std::vector<Effect>(3, Effect::kNotWritten)));
  // A deletion declined keeps the day, for want of an answer rather than for its resources.
  EXPECT_EQ(effects_of(planner::classify(RunKind::kDeletion, RunEnd::kGaveUp, kCompany, kLink, dates,
                                         existing, existing, {})),
            (std::vector<Effect>{Effect::kAbsent, Effect::kNotWritten, Effect::kAbsent}));
}

TEST(PreviewClassification, OnlyTheRowsOfTheRunsCompanyAndLinkCount) {
  database::ObservedStatement statement;
  statement.kind = database::ObservedStatement::Kind::kInsert;
  statement.rows_known = true;
  statement.columns = {"PD4G_DITTA_CG18", "PD4G_IDLEGAME_PD0H", "PD4G_DATAATTIVITA", "PD4G_DURATAORE"};
  statement.rows = {
      {runtime::Variant(2), runtime::Variant(kLink), runtime::Variant(march(1)), runtime::Variant(8)},
      {runtime::Variant(kCompany), runtime::Variant(kLink + 1), runtime::Variant(march(1)),
       runtime::Variant(8)},
      {runtime::Variant(kCompany), runtime::Variant(kLink), runtime::Variant("2026-03-02"),
       runtime::Variant(8)}};
  const std::vector<std::pair<std::string, planner::Duration>> after = {{march(2).iso(), {8, 0}}};
  auto dated = planner::classify(planner::RunKind::kInsertion, planner::RunEnd::kDone, kCompany, kLink,
                                 {march(1), march(2)}, {}, after, {statement});
  EXPECT_EQ(effects_of(dated), (std::vector<Effect>{Effect::kNotWritten, Effect::kAdd}));
}

}  // namespace
}  // namespace calendatt::testing
