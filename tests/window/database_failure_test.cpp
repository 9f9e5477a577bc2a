// A database call that fails inside the window's routines reaches the error report under the routine's
// name, and the person's answer acts on exactly the failing step.
#include "window/window_host.hpp"

namespace calendatt::testing {
namespace {

class DatabaseFailure : public OnEachEngine<WindowScenario> {
 protected:
  std::vector<std::string> report_routines() const {
    std::vector<std::string> out;
    for (const auto& r : responder_.reports()) out.push_back(r.routine);
    return out;
  }
};

constexpr const char* kCalendarQuery = " SELECT PD4G_CALENDATT.*, ";
constexpr const char* kDayCheck =
    " SELECT PD4G_CALENDATT.*  FROM PD4G_CALENDATT  WHERE PD4G_DITTA_CG18 = 1 AND";

TEST_P(DatabaseFailure, TheCalendarQueryFailingOnceIsRetriedOrLeftOut) {
  auto s = open_kept();
  choose(*s, "2026-03-02");
  ASSERT_EQ(s->grid("GRID_CALENDATT")->row_count(), 2);

  fail_next(kCalendarQuery);
  responder_.push_answer(runtime::kRetry);
  window().Requery();
  ASSERT_EQ(report_routines(), (std::vector<std::string>{"InizializzaVirtualFrame"}));
  EXPECT_EQ(responder_.reports()[0].error.description, "Errore simulato del database");
  EXPECT_EQ(s->grid("GRID_CALENDATT")->row_count(), 2);

  // Ignore: the frame is still built and bound, on a recordset that could not be opened; the grid is empty.
  responder_.clear_record();
  fail_next(kCalendarQuery);
  responder_.push_answer(runtime::kIgnore);
  window().Requery();
  EXPECT_EQ(report_routines(), (std::vector<std::string>{"InizializzaVirtualFrame"}));
  EXPECT_EQ(s->grid("GRID_CALENDATT")->row_count(), 0);
  EXPECT_NE(window().frame(), nullptr);

  responder_.clear_record();
  window().Requery();
  EXPECT_TRUE(responder_.reports().empty());
  EXPECT_EQ(s->grid("GRID_CALENDATT")->row_count(), 2);
}

// The day check of a validation fails once. Retry runs it again and the resolved triple is locked. Ignore
// leaves the check's recordset unopened, so reading its count fails too; ignored as well, the validation
// ends without locking the codes and without a message of its own, and the next validation checks again.
TEST_P(DatabaseFailure, TheDayCheckOfAValidationFailingOnceIsRetriedOrLeftOut) {
  auto s = open_kept();
  for (int answer : {runtime::kRetry, runtime::kIgnore}) {
    SCOPED_TRACE(answer);
    responder_.clear_record();
    sql_->texts.clear();
    new_row(*s, answer == runtime::kRetry ? "2026-03-10" : "2026-03-11");
    fail_next(kDayCheck);
    responder_.push_answer(answer);
    if (answer == runtime::kIgnore) responder_.push_answer(answer);
    EXPECT_TRUE(enter_codes(*s, "PRJ001", "N01", "ATT01"));
    EXPECT_EQ(report_routines(),
              std::vector<std::string>(answer == runtime::kRetry ? 1 : 2, "TXT_CODATTIVITA_Validate"));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(s->code("TXT_CODPROG")->Enabled(), answer == runtime::kIgnore);
    EXPECT_EQ(sql_->count_containing(kDayCheck), answer == runtime::kRetry ? 2u : 1u);
    if (answer == runtime::kIgnore) {
      ASSERT_TRUE(s->code("TXT_CODATTIVITA")->click_into());
      EXPECT_TRUE(s->code("TXT_CODATTIVITA")->leave());
      EXPECT_EQ(sql_->count_containing(kDayCheck), 2u);
      EXPECT_FALSE(s->code("TXT_CODPROG")->Enabled());
    }
    frame().CancelEdit();
  }
}

CALENDATT_ON_EACH_ENGINE(DatabaseFailure);

}  // namespace
}  // namespace calendatt::testing
