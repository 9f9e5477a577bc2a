// The calendar window's load through the host, when the host database cannot be opened: the error report
// offers Abort, Retry and Ignore for the failing step.
#include <filesystem>

#include "support/scenario_host.hpp"

namespace calendatt::testing {
namespace {

class WindowLoad : public OnEngine<HostScenario, Engine::SQLite> {
 protected:
  // Points the host at a database file that is not there yet.
  std::string missing_database() {
    std::string path = db_->target() + ".later.db";
    standin::HostSettings settings = env_->settings();
    settings.connection_string = "Provider=SQLite;Data Source=" + path;
    env_->apply_settings(settings);
    return path;
  }
};

TEST_F(WindowLoad, AbortUnloadsTheWindowThatCouldNotOpenItsDatabase) {
  missing_database();
  responder_.push_answer(runtime::kAbort);
  module_->Cinterface_ShowForm();
  ASSERT_EQ(responder_.reports().size(), 1u);
  const auto& report = responder_.reports()[0];
  EXPECT_EQ(report.routine, "Form_Load");
  EXPECT_EQ(report.application, "MERIDAL");
  EXPECT_EQ(report.style, 4370);
  EXPECT_EQ(report.error.number, database::kOpenError);
  // The window unloaded itself: its contract reference is gone and the host sees it closed.
  EXPECT_EQ(class_->window()->ActiveInterface, nullptr);
  EXPECT_TRUE(module_->Cinterface_CloseForm().to_bool());
}

TEST_F(WindowLoad, RetryRunsTheFailingStepAgain) {
  std::string path = missing_database();
  // While the report is shown, the database file is put in place; Retry then opens it.
  responder_.push_answer(runtime::kRetry, [&] { std::filesystem::copy_file(db_->target(), path); });
  module_->Cinterface_ShowForm();
  ASSERT_EQ(responder_.reports().size(), 1u);
  EXPECT_NE(class_->window()->ActiveInterface, nullptr);
  EXPECT_EQ(class_->window()->connection()->State(), host::kAdStateOpen);
  auto site = env_->forms()->site("FRMPD_CALENDATT");
  ASSERT_TRUE(site->calendar("KVO_CALENDARIO")->choose(runtime::Date::from_ymd(2026, 3, 2)));
  EXPECT_EQ(site->grid("GRID_CALENDATT")->row_count(), 2);
}

TEST_F(WindowLoad, IgnoreGoesOnWithoutData) {
  missing_database();
  // Opening fails (Ignore), then every step that needs the database reports too; all are ignored.
  for (int i = 0; i < 20; ++i) responder_.push_answer(runtime::kIgnore);
  module_->Cinterface_ShowForm();
  ASSERT_FALSE(responder_.reports().empty());
  EXPECT_EQ(responder_.reports()[0].routine, "Form_Load");
  auto site = env_->forms()->site("FRMPD_CALENDATT");
  ASSERT_NE(site, nullptr);
  EXPECT_FALSE(site->closed());
  EXPECT_EQ(site->grid("GRID_CALENDATT")->row_count(), 0);
  EXPECT_EQ(class_->window()->connection()->State(), host::kAdStateClosed);
}

}  // namespace
}  // namespace calendatt::testing
