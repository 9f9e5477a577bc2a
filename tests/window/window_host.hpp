#pragma once
// The calendar window's scenarios: the host scenario with what a person does in the window itself.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "standin/code_lookup.hpp"
#include "standin/navigator.hpp"
#include "standin/record_frame.hpp"
#include "standin/wbs_services.hpp"
#include "support/scenario_host.hpp"

namespace calendatt::testing {

class WindowScenario : public HostScenario {
 protected:
  static constexpr const char* kMainName = "FRMPD_CALENDATT";
  static constexpr const char* kCaption = "Calendario attività WBS";

  void TearDown() override {
    standin::MaintenancePrograms::instance() = {};
    HostScenario::TearDown();
  }

  // Shows the calendar window and keeps its site, which a close would otherwise let go.
  std::shared_ptr<HeadlessFormSite> open_kept() {
    open_main();
    return env_->forms()->site(kMainName);
  }

  FRMPD_CALENDATT& window() { return *class_->window(); }
  standin::StandinRecordFrame& frame() {
    return dynamic_cast<standin::StandinRecordFrame&>(*window().frame());
  }

  static runtime::Date day(const std::string& iso) { return *runtime::parse_date(iso); }
  // A day as the window's fields show it.
  static std::string shown(const std::string& iso) { return runtime::date_text(day(iso)); }

  static void choose(HeadlessFormSite& s, const std::string& iso) {
    ASSERT_TRUE(s.calendar("KVO_CALENDARIO")->choose(day(iso)));
  }
  void new_row(HeadlessFormSite& s, const std::string& iso) {
    choose(s, iso);
    frame().NewRow();
  }

  // The person types the three codes in order and leaves the activity field; false when a validation
  // kept the focus.
  static bool enter_codes(HeadlessFormSite& s, const std::string& project, const std::string& node,
                          const std::string& activity) {
    if (!s.code("TXT_CODPROG")->type(project)) return false;
    if (!s.code("TXT_CODNODO")->type(node)) return false;
    if (!s.code("TXT_CODATTIVITA")->type(activity)) return false;
    return s.code("TXT_CODATTIVITA")->leave();
  }

  // The person types hours and minutes and leaves the minutes; false when a check kept the focus.
  static bool enter_duration(HeadlessFormSite& s, const std::string& hours, const std::string& minutes) {
    if (!s.code("TXT_ORE")->type(hours)) return false;
    if (!s.code("TXT_MINUTI")->type(minutes)) return false;
    return s.code("TXT_MINUTI")->leave();
  }

  static std::string text(HeadlessFormSite& s, const char* field) { return s.code(field)->Text(); }

  std::size_t calendar_queries() const { return sql_->starting_with(" SELECT PD4G_CALENDATT.*, ").size(); }

  int rows_where(const std::string& condition) const {
    return count("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE " + condition);
  }
};

}  // namespace calendatt::testing
