// The project, node and activity fields of the calendar window: validation of the completed triple, the
// several-rows question and its lookup, codes the decode does not find, the lookup's row, the clearing
// of lower codes, and the maintenance key.
#include <optional>

#include "window/window_host.hpp"

namespace calendatt::testing {
namespace {

using runtime::Variant;

class WindowCodeFields : public OnEachEngine<WindowScenario> {
 protected:
  HeadlessFormSite& open_new_row() {
    auto& s = open_main();
    new_row(s, "2026-04-10");
    return s;
  }
  void expect_codes_enabled(HeadlessFormSite& s, bool enabled) {
    for (const char* field : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
      EXPECT_EQ(s.code(field)->Enabled(), enabled) << field;
  }
};

// OK opens the lookup; closed without a choice it leaves the question for the next validation, where Cancel
// only cancels: no lookup, the focus stays, nothing is resolved. A row chosen in a later lookup is then
// accepted once as it is, and a later code is checked again.
TEST_P(WindowCodeFields, TheSeveralRowsQuestionItsLookupAndTheRowChosen) {
  auto& s = open_new_row();
  auto activity = s.code("TXT_CODATTIVITA");
  activity->set_lookup_chooser(
      [](standin::HeadlessCodeEdit&, const standin::LookupRequest&) { return Variant(); });
  responder_.push_answer(standin::box::kOk);
  EXPECT_FALSE(enter_codes(s, "PRJ001", "N01", "ATT06"));
  EXPECT_EQ(text(s, "TXT_DESATTIVITA"), "Verifica strutturale");  // from the decode, not the lookup
  responder_.push_answer(standin::box::kCancel);
  EXPECT_FALSE(activity->leave());
  EXPECT_EQ(message_numbers(), (std::vector<std::int32_t>{77199, 77199}));
  EXPECT_EQ(messages()[1].style, 1);
  EXPECT_EQ(activity->lookups_opened(), 1);
  EXPECT_EQ(s.focused_name(), "TXT_CODATTIVITA");
  EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, 0);
  expect_codes_enabled(s, true);

  activity->set_lookup_chooser(standin::pick_code("ATT06", 1));
  responder_.push_answer(standin::box::kOk);
  EXPECT_FALSE(activity->leave());
  ASSERT_EQ(activity->lookups_opened(), 2);
  // The activity lookup was filtered by the project and node and run on the window's connection.
  ASSERT_TRUE(activity->last_lookup());
  EXPECT_NE(activity->last_lookup()->text_a.find("'PRJ001'"), std::string::npos);
  EXPECT_NE(activity->last_lookup()->text_a.find("'N01'"), std::string::npos);
  EXPECT_EQ(activity->last_lookup()->connection, env_->settings().connection_string);
  EXPECT_EQ(MDLPD_CALENDATT::pIDDisBaProgWBS, database::demo::kNodeDesign);
  EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, database::demo::kLinkTwiceB);

  // The next validation takes the chosen row as it is: no new search, no further question.
  sql_->texts.clear();
  EXPECT_TRUE(activity->leave());
  EXPECT_EQ(messages().size(), 3u);
  EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, database::demo::kLinkTwiceB);
  EXPECT_EQ(sql_->count_containing("PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG"), 0u);

  ASSERT_TRUE(activity->type("ATT01"));
  EXPECT_TRUE(activity->leave());
  EXPECT_EQ(messages().size(), 3u);
  EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, database::demo::kLinkPlanned);
  expect_codes_enabled(s, false);
}

// The period of an activity is its planned dates when either is set, else its forecast ones; a missing
// bound is the other one. The window shows it, and a new day must lie in it.
TEST_P(WindowCodeFields, ThePlanningPeriodIsCompletedFromTheDatesTheActivityHas) {
  struct Case {
    const char* activity;
    const char* start;
    const char* end;
  };
  const Case cases[] = {{"ATT01", "2026-03-01", "2026-03-31"},
                        {"ATT02", "2026-03-01", "2026-03-01"},   // planned start only
                        {"ATT03", "2026-03-15", "2026-03-15"},   // planned end only
                        {"ATT04", "2026-03-01", "2026-03-15"}};  // forecast dates only
  auto& s = open_main();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.activity);
    const runtime::Date start = day(c.start), end = day(c.end);
    std::vector<std::pair<runtime::Date, bool>> tries = {{start.add_days(-1), false}, {start, true}};
    if (end != start) tries.push_back({end, true});
    tries.push_back({end.add_days(1), false});
    for (const auto& [chosen, inside] : tries) {
      SCOPED_TRACE(chosen.iso());
      responder_.clear_record();
      new_row(s, chosen.iso());
      ASSERT_TRUE(enter_codes(s, "PRJ001", "N01", c.activity));
      EXPECT_EQ(s.date("TXT_DATAINIZ")->Text(), shown(c.start));
      EXPECT_EQ(s.date("TXT_DATAFIN")->Text(), shown(c.end));
      ASSERT_TRUE(enter_duration(s, "1", "00"));
      EXPECT_EQ(frame().Save(true, 0, true),
                inside ? standin::StandinRecordFrame::kSaved : standin::StandinRecordFrame::kSaveRefused);
      EXPECT_EQ(message_numbers(), inside ? std::vector<std::int32_t>{} : std::vector<std::int32_t>{77198});
      if (!inside) frame().CancelEdit();
    }
  }
}

TEST_P(WindowCodeFields, AProjectOrNodeTheDecodeDidNotFindIsRefusedByTheControlsNoticeAlone) {
  auto& s = open_new_row();
  ASSERT_TRUE(s.code("TXT_CODPROG")->type("PRJ999"));
  EXPECT_FALSE(s.code("TXT_CODPROG")->leave());
  EXPECT_EQ(s.focused_name(), "TXT_CODPROG");
  ASSERT_TRUE(s.code("TXT_CODPROG")->type("PRJ001"));
  ASSERT_TRUE(s.code("TXT_CODNODO")->type("N99"));
  EXPECT_FALSE(s.code("TXT_CODNODO")->leave());
  EXPECT_EQ(s.focused_name(), "TXT_CODNODO");
  // Only the controls' notices were shown: no message of the window's own.
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(message_numbers(), (std::vector<std::int32_t>{0, 0}));
  EXPECT_NE(messages()[0].text.find("PRJ999"), std::string::npos) << messages()[0].text;
  EXPECT_NE(messages()[1].text.find("N99"), std::string::npos) << messages()[1].text;
  EXPECT_EQ(sql_->count_containing("PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG ON"), 0u);
}

TEST_P(WindowCodeFields, TheActivityLookupRowAndTheClearingOfLowerCodes) {
  auto& s = open_new_row();
  auto activity = s.code("TXT_CODATTIVITA");
  ASSERT_TRUE(s.code("TXT_CODPROG")->type("PRJ001"));

  // Without a node code the chosen row brings its node.
  activity->set_lookup_chooser(standin::pick_code("ATT02"));
  activity->OpenLookup();
  EXPECT_EQ(text(s, "TXT_CODATTIVITA"), "ATT02");
  EXPECT_EQ(text(s, "TXT_CODNODO"), "N01");
  EXPECT_EQ(text(s, "TXT_DESATTIVITA"), "Progetto esecutivo");
  EXPECT_EQ(MDLPD_CALENDATT::pIDDisBaProgWBS, database::demo::kNodeDesign);
  EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, database::demo::kLinkStartOnly);

  // With a node code the row's node is not taken.
  activity->set_lookup_chooser([](standin::HeadlessCodeEdit& edit, const standin::LookupRequest&) {
    edit.set_Text("ATT01");
    return standin::lookup_row({Variant("ATT01"), Variant("Rilievi"), Variant("N02"), Variant("PRJ001"),
                                Variant(""), Variant(102.0), Variant(1008.0)});
  });
  activity->OpenLookup();
  EXPECT_EQ(text(s, "TXT_CODNODO"), "N01");
  EXPECT_EQ(text(s, "TXT_DESATTIVITA"), "Rilievi");
  EXPECT_EQ(MDLPD_CALENDATT::pIDDisBaProgWBS, database::demo::kNodeBuild);
  EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, database::demo::kLinkBuild);

  // Emptying the project empties node and activity, not their descriptions.
  s.code("TXT_DESNODO")->set_Text("Progettazione");
  ASSERT_TRUE(s.code("TXT_CODPROG")->type(""));
  EXPECT_EQ(text(s, "TXT_CODNODO"), "");
  EXPECT_EQ(text(s, "TXT_CODATTIVITA"), "");
  EXPECT_EQ(text(s, "TXT_DESNODO"), "Progettazione");
  EXPECT_EQ(text(s, "TXT_DESATTIVITA"), "Rilievi");
  // Emptying the node (blanks count as empty) empties the activity and leaves the project.
  ASSERT_TRUE(s.code("TXT_CODPROG")->type("PRJ001"));
  ASSERT_TRUE(s.code("TXT_CODNODO")->type("N01"));
  s.code("TXT_CODATTIVITA")->set_Text("ATT02");
  ASSERT_TRUE(s.code("TXT_CODNODO")->type("  "));
  EXPECT_EQ(text(s, "TXT_CODATTIVITA"), "");
  EXPECT_EQ(text(s, "TXT_CODPROG"), "PRJ001");
  EXPECT_TRUE(messages().empty());
}

TEST_P(WindowCodeFields, TheMaintenanceKeyOpensTheProgramOfTheField) {
  std::vector<std::string> projects_opened;
  std::optional<std::string> chosen = "PRJ002";
  standin::MaintenancePrograms::instance().project = [&](const std::string& project) {
    projects_opened.push_back(project);
    return chosen;
  };
  std::vector<std::string> others_opened;
  standin::MaintenancePrograms::instance().node_or_activity =
      [&](const std::string& which, const std::string& project, const std::string& node,
          const std::string& act) {
        others_opened.push_back(which + ":" + project + "/" + node + "/" + act);
      };
  auto& s = open_new_row();
  auto project = s.code("TXT_CODPROG");
  ASSERT_TRUE(project->type("PRJ001"));

  EXPECT_FALSE(module_->Cinterface_IsActive());
  const auto released_before = env_->global()->released().size();
  project->press_key(Variant("Kgestione"));
  EXPECT_EQ(projects_opened, std::vector<std::string>{"PRJ001"});
  EXPECT_EQ(text(s, "TXT_CODPROG"), "PRJ002");  // sent back by the program
  EXPECT_TRUE(module_->Cinterface_IsActive());
  EXPECT_EQ(env_->global()->released().size(), released_before + 1);

  // A blank code sent back empties the field.
  chosen = "   ";
  project->press_key(Variant("Kgestione"));
  EXPECT_EQ(text(s, "TXT_CODPROG"), "");
  // Nothing sent back leaves it.
  project->set_Text("PRJ001");
  chosen.reset();
  project->press_key(Variant("Kgestione"));
  EXPECT_EQ(text(s, "TXT_CODPROG"), "PRJ001");

  s.code("TXT_CODNODO")->set_Text("N01");
  s.code("TXT_CODATTIVITA")->set_Text("ATT01");
  s.code("TXT_CODNODO")->press_key(Variant("Kgestione"));
  s.code("TXT_CODATTIVITA")->press_key(Variant("Kgestione"));
  s.code("TXT_CODATTIVITA")->press_key(Variant("gestione"));
  EXPECT_EQ(others_opened, (std::vector<std::string>{"node:PRJ001/N01/", "activity:PRJ001/N01/ATT01"}));
  EXPECT_TRUE(messages().empty());
  EXPECT_TRUE(responder_.reports().empty());
}

CALENDATT_ON_EACH_ENGINE(WindowCodeFields);

}  // namespace
}  // namespace calendatt::testing
