// The calendar window's life as the host drives it: opening, first and later activations, the frame
// that the contract offers, and closing, which the record frame or the host's script object may refuse.
#include <algorithm>

#include "runtime/system.hpp"
#include "window/window_host.hpp"

namespace calendatt::testing {
namespace {

using runtime::Variant;

class WindowLifecycle : public OnEachEngine<WindowScenario> {
 protected:
  void SetUp() override {
    WindowScenario::SetUp();
    listener_ = runtime::add_debug_listener([this](const std::string& line) { trace_.push_back(line); });
  }
  void TearDown() override {
    runtime::remove_debug_listener(listener_);
    WindowScenario::TearDown();
  }
  std::size_t trace_count(const std::string& line) const {
    return static_cast<std::size_t>(std::count(trace_.begin(), trace_.end(), line));
  }
  int navigator_calls(const std::string& call) const {
    const auto& calls = env_->navigator()->calls();
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
  }

  int listener_ = 0;
  std::vector<std::string> trace_;
};

TEST_P(WindowLifecycle, ShowFormOpensTheWindowAndCloseFormReleasesItsHostObjects) {
  auto site = open_kept();
  auto& s = *site;
  const std::string id = window().IdentificativoIstanza().to_string();
  const std::string ini = "ZVRK:|" + id + "|INI|MERIDAL|FRMPD_CALENDATT";
  const std::string ter = "ZVRK:|" + id + "|TER|MERIDAL|FRMPD_CALENDATT";
  EXPECT_EQ(trace_count(ini), 1u);

  EXPECT_TRUE(s.Visible());
  EXPECT_FALSE(s.modal());
  EXPECT_EQ(s.Caption(), kCaption);
  ASSERT_TRUE(window().connection());
  EXPECT_EQ(window().connection()->State(), host::kAdStateOpen);
  EXPECT_EQ(module_->Cinterface_Connection(), window().connection());
  EXPECT_EQ(window().company(), database::demo::kCompany);
  EXPECT_EQ(window().ActiveInterface, module_);
  EXPECT_EQ(window().GobjThisClass, class_);
  EXPECT_EQ(env_->global()->Interface(1), module_);
  EXPECT_EQ(navigator_calls("Activate"), 1);
  EXPECT_EQ(navigator_calls("OpenProgram"), 1);
  // The active frame is the window's unless the host sets one.
  auto own = window().frame();
  EXPECT_EQ(module_->Cinterface_ActiveFrame(), own);
  auto host_frame = std::make_shared<standin::StandinRecordFrame>();
  module_->set_Cinterface_ActiveFrame(host_frame);
  EXPECT_EQ(module_->Cinterface_ActiveFrame(), host_frame);
  module_->set_Cinterface_ActiveFrame(nullptr);
  EXPECT_EQ(module_->Cinterface_ActiveFrame(), own);

  auto connection = window().connection();
  auto grid = s.grid("GRID_CALENDATT");
  EXPECT_EQ(module_->Cinterface_CloseForm(), Variant(true));
  EXPECT_TRUE(s.closed());
  EXPECT_EQ(window().ActiveInterface, nullptr);
  EXPECT_EQ(window().GobjThisClass, nullptr);
  EXPECT_EQ(connection->State(), host::kAdStateClosed);
  EXPECT_EQ(module_->Cinterface_Connection(), nullptr);
  EXPECT_EQ(module_->Cinterface_ActiveFrame(), nullptr);
  EXPECT_EQ(module_->Cinterface_ClsGlobal(), nullptr);
  EXPECT_EQ(env_->global()->Interface(1), nullptr);
  EXPECT_EQ(env_->navigator()->Interface(), nullptr);
  EXPECT_TRUE(grid->closed());
  EXPECT_TRUE(failures().empty());
  // The module keeps the closed window until the host lets the module go.
  EXPECT_EQ(trace_count(ter), 0u);
  class_.reset();
  module_.reset();
  EXPECT_EQ(trace_count(ter), 1u);
}

TEST_P(WindowLifecycle, CloseFormReportsFalseWhileARowCannotBeSaved) {
  auto site = open_kept();
  auto& s = *site;
  new_row(s, "2026-04-10");
  ASSERT_EQ(frame().Status(), host::RecordFrame::kStatusNew);
  // The closing saves the row first; without its codes the save is refused and the window stays.
  EXPECT_EQ(module_->Cinterface_CloseForm(), Variant(false));
  EXPECT_FALSE(s.closed());
  EXPECT_EQ(window().ActiveInterface, module_);
  EXPECT_EQ(message_numbers(), std::vector<std::int32_t>{77196});
  EXPECT_EQ(rows_where("PD4G_DATAATTIVITA = '2026-04-10'"), 0);

  frame().CancelEdit();
  EXPECT_EQ(module_->Cinterface_CloseForm(), Variant(true));
  EXPECT_TRUE(s.closed());
}

TEST_P(WindowLifecycle, TheHostsScriptObjectMayForbidClosing) {
  auto site = open_kept();
  auto& s = *site;
  auto script = std::make_shared<standin::StandinScriptObject>();
  script->set_query_close(true);
  env_->navigator()->set_ClsScript(script);

  EXPECT_EQ(module_->Cinterface_CloseForm(), Variant(false));
  EXPECT_FALSE(s.closed());
  EXPECT_EQ(script->close_queries(), 1);
  ASSERT_EQ(script->notifications().size(), 1u);
  EXPECT_EQ(script->notifications()[0].name, kMainName);
  EXPECT_FALSE(script->notifications()[0].open);

  script->set_query_close(false);
  EXPECT_EQ(module_->Cinterface_CloseForm(), Variant(true));
  EXPECT_TRUE(s.closed());
  EXPECT_EQ(script->closed_programs(), std::vector<std::string>{kCaption});
  EXPECT_EQ(env_->navigator()->ClsScript(), nullptr);
}

TEST_P(WindowLifecycle, FirstActivationInFreeModeUsesTodayAndLeavesTheCodesUsable) {
  class_->set_pDataInizioWBS(shown("2026-03-01"));  // not called: the planning start does not count
  auto& s = open_main();
  const auto today = runtime::Date::today();
  EXPECT_EQ(window().current_day().to_date(), today);
  EXPECT_EQ(s.calendar("KVO_CALENDARIO")->Value().to_date(), today);
  for (const char* field : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
    EXPECT_TRUE(s.code(field)->Enabled()) << field;
  EXPECT_FALSE(class_->ModificatoDati());
  EXPECT_EQ(calendar_queries(), 1u);
}

TEST_P(WindowLifecycle, FirstActivationInCalledModeStartsOnThePlanningStartWithThePresetCodesLocked) {
  call_for("PRJ001", "  ", "", database::demo::kNodeDesign, database::demo::kLinkPlanned, "2026-03-01",
           "2026-03-31");
  auto& s = open_main();
  EXPECT_EQ(window().current_day().to_date(), day("2026-03-01"));
  EXPECT_EQ(s.calendar("KVO_CALENDARIO")->Value().to_date(), day("2026-03-01"));
  EXPECT_FALSE(s.code("TXT_CODPROG")->Enabled());
  EXPECT_FALSE(s.code("TXT_CODNODO")->Enabled());  // a code of blanks was still handed over
  EXPECT_TRUE(s.code("TXT_CODATTIVITA")->Enabled());
  // The grid is narrowed to the activity and its period from the start.
  const auto& q = window().query_text();
  EXPECT_NE(q.find(" AND (PD4G_DATAATTIVITA = '2026-03-01' OR '2026-03-01'='') "), std::string::npos) << q;
  EXPECT_NE(q.find(" AND (PD4G_IDDISBAPROG_PD0G = 101 OR 101=0) "), std::string::npos) << q;
  EXPECT_NE(q.find(" AND (PD4G_IDLEGAME_PD0H = 1001 OR 1001=0) "), std::string::npos) << q;
  EXPECT_NE(q.find(" AND (PD4G_DATAATTIVITA>= '2026-03-01' OR '2026-03-01'='') "), std::string::npos) << q;
  EXPECT_NE(q.find(" AND (PD4G_DATAATTIVITA<= '2026-03-31' OR '2026-03-31'='') "), std::string::npos) << q;
}

TEST_P(WindowLifecycle, CalledModeWithoutAPlanningStartUsesToday) {
  call_for_planned_activity();
  class_->set_pDataInizioWBS("   ");
  open_main();
  EXPECT_EQ(window().current_day().to_date(), runtime::Date::today());
}

TEST_P(WindowLifecycle, ReactivationOnlyRefreshesTheNavigator) {
  auto& s = open_main();
  choose(s, "2026-03-02");
  s.code("TXT_ORE")->set_Text("changed");
  const int refreshes = navigator_calls("Refresh");
  sql_->texts.clear();
  s.activate();
  EXPECT_EQ(navigator_calls("Refresh"), refreshes + 1);
  EXPECT_EQ(navigator_calls("Activate"), 1);
  EXPECT_EQ(navigator_calls("OpenProgram"), 1);
  EXPECT_TRUE(sql_->texts.empty());
  EXPECT_EQ(window().current_day().to_date(), day("2026-03-02"));
  EXPECT_EQ(text(s, "TXT_ORE"), "changed");
}

CALENDATT_ON_EACH_ENGINE(WindowLifecycle);

}  // namespace
}  // namespace calendatt::testing
