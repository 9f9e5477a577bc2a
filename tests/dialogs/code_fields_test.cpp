// The project, node and activity fields of both range dialogs: resolving the activity unlocks the range,
// a change clears the codes below it, the several-rows question, the decode check and the maintenance key.
#include "support/scenario_host.hpp"

namespace calendatt::testing {
namespace {

using runtime::Variant;

struct DialogCase {
  const char* name;
  const char* button;
  const char* caption;
  const char* frame;
  std::vector<const char*> range;
};

const DialogCase kInsert{"FRMPD_ADDCALENDATT",
                         "BTN_INSMULTIPLO",
                         "Inserimento multiplo calendario attività",
                         "FrameIntervallo",
                         {"TXT_DATAINIZIALE", "TXT_DATAFINALE", "TXT_RIPETIOGNI", "TXT_ORE", "TXT_MINUTI",
                          "CBO_VARPRESENTI", "BTN_CONFERMA"}};
const DialogCase kDelete{"FRMPD_DELCALENDATT",
                         "BTN_CANCMULTIPLA",
                         "Cancellazione multipla calendario attività",
                         nullptr,
                         {"TXT_DATAINIZIALE", "TXT_DATAFINALE", "TXT_CANCELLAOGNI", "BTN_CONFERMA"}};

// A chosen row of the activity lookup: description, node code, project, period, node id, link id.
Variant lookup_row(const std::string& description, const std::string& node, double node_id, double link_id) {
  auto row = std::make_shared<runtime::Array2D>(1, 1, 1, 7);
  row->at(1, 1) = Variant(description);
  row->at(1, 2) = Variant(node);
  row->at(1, 3) = Variant("PRJ001");
  row->at(1, 5) = Variant(node_id);
  row->at(1, 6) = Variant(link_id);
  return Variant(row);
}

class RangeCodeFields : public HostScenario,
                        public ::testing::WithParamInterface<std::tuple<DialogCase, Engine>> {
 protected:
  Engine engine() const override { return std::get<1>(GetParam()); }
  static const DialogCase& dialog() { return std::get<0>(GetParam()); }
  void TearDown() override {
    standin::MaintenancePrograms::instance() = {};
    HostScenario::TearDown();
  }
  void run(std::function<void(HeadlessFormSite&)> action) {
    auto& main = open_main();
    in_dialog(dialog().name, std::move(action));
    press(main, dialog().button);
    EXPECT_TRUE(failures().empty()) << failures().front();
  }
  // The insertion dialog's frame is switched on with the range, never off by the code fields.
  void expect_range(HeadlessFormSite& s, bool enabled, bool frame_enabled) {
    for (const char* name : dialog().range) EXPECT_EQ(s.control(name)->Enabled(), enabled) << name;
    EXPECT_TRUE(!dialog().frame || s.control(dialog().frame)->Enabled() == frame_enabled);
  }
};

TEST_P(RangeCodeFields, AResolvedActivityUnlocksTheRangeAndAnUnresolvedOneLocksIt) {
  run([&](HeadlessFormSite& s) {
    // Opened on no activity: the range is locked, the code fields are empty and usable.
    expect_range(s, false, false);
    for (const char* field : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"}) {
      EXPECT_TRUE(s.code(field)->Enabled()) << field;
      EXPECT_EQ(s.code(field)->Text(), "");
    }
    type(s, "TXT_CODPROG", "PRJ001");
    type(s, "TXT_CODNODO", "N01");
    type(s, "TXT_CODATTIVITA", "ATT01");
    ASSERT_TRUE(s.code("TXT_CODATTIVITA")->leave());
    expect_range(s, true, true);
    EXPECT_EQ(s.date("TXT_DATAINIZ")->Text(), "01/03/2026");
    EXPECT_EQ(s.date("TXT_DATAFIN")->Text(), "31/03/2026");
    EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, database::demo::kLinkPlanned);
    EXPECT_TRUE(s.code("TXT_CODPROG")->Enabled());  // the dialogs never lock a code they resolved

    // An activity of the project without any planning date does not resolve: the range locks silently.
    type_date(s, "TXT_DATAINIZIALE", "10/03/2026");
    type(s, "TXT_CODATTIVITA", "ATT05");
    EXPECT_TRUE(s.code("TXT_CODATTIVITA")->leave());
    expect_range(s, false, true);
    EXPECT_EQ(s.date("TXT_DATAINIZ")->Text(), "01/03/2026");
  });
  EXPECT_TRUE(messages().empty());
}

TEST_P(RangeCodeFields, AChangedCodeEmptiesTheCodesBelowAndItsDescription) {
  run([&](HeadlessFormSite& s) {
    type(s, "TXT_CODPROG", "PRJ001");
    type(s, "TXT_CODNODO", "N01");
    type(s, "TXT_CODATTIVITA", "ATT02");
    ASSERT_TRUE(leave(s));
    EXPECT_EQ(s.code("TXT_DESPROG")->Text(), "Ampliamento stabilimento");
    EXPECT_EQ(s.code("TXT_DESNODO")->Text(), "Progettazione");
    EXPECT_EQ(s.code("TXT_DESATTIVITA")->Text(), "Progetto esecutivo");
    type(s, "TXT_CODATTIVITA", "ATT03");
    EXPECT_EQ(s.code("TXT_DESATTIVITA")->Text(), "");
    EXPECT_EQ(s.code("TXT_DESNODO")->Text(), "Progettazione");
    // Leaving the activity decodes it; the node's change then empties the activity but not its description.
    type(s, "TXT_CODNODO", "N02");
    EXPECT_EQ(s.code("TXT_DESNODO")->Text(), "");
    EXPECT_EQ(s.code("TXT_CODATTIVITA")->Text(), "");
    EXPECT_EQ(s.code("TXT_DESATTIVITA")->Text(), "Computo metrico");
    EXPECT_EQ(s.code("TXT_DESPROG")->Text(), "Ampliamento stabilimento");
    // Any new project empties the node and the activity, whether or not it has them; the activity is
    // filled again first, so that the project's change alone must empty it.
    type(s, "TXT_CODNODO", "N01");
    type(s, "TXT_CODATTIVITA", "ATT01");
    type(s, "TXT_CODPROG", "PRJ002");
    EXPECT_EQ(s.code("TXT_DESPROG")->Text(), "");
    EXPECT_EQ(s.code("TXT_CODNODO")->Text(), "");
    EXPECT_EQ(s.code("TXT_CODATTIVITA")->Text(), "");
  });
  EXPECT_TRUE(messages().empty());
}

// An activity in several rows offers the lookup (Cancel refuses the field without one); the chosen row gives
// the description and the ids, and never a node code: the node field keeps its own, or stays empty.
TEST_P(RangeCodeFields, AnActivityInSeveralRowsOffersTheLookup) {
  responder_.push_answer(standin::box::kOk);
  responder_.push_answer(standin::box::kCancel);
  run([&](HeadlessFormSite& s) {
    auto activity = s.code("TXT_CODATTIVITA");
    activity->set_lookup_chooser([](standin::HeadlessCodeEdit&, const standin::LookupRequest&) {
      return lookup_row("Verifica strutturale", "N02", database::demo::kNodeDesign,
                        database::demo::kLinkTwiceB);
    });
    type(s, "TXT_CODPROG", "PRJ001");
    type(s, "TXT_CODNODO", "N01");
    type(s, "TXT_CODATTIVITA", "ATT06");
    EXPECT_FALSE(activity->leave());
    EXPECT_EQ(activity->lookups_opened(), 1);
    ASSERT_TRUE(activity->last_lookup());
    EXPECT_EQ(activity->last_lookup()->connection, env_->settings().connection_string);
    EXPECT_EQ(s.code("TXT_DESATTIVITA")->Text(), "Verifica strutturale");
    EXPECT_EQ(s.code("TXT_CODNODO")->Text(), "N01");
    EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, database::demo::kLinkTwiceB);
    EXPECT_FALSE(activity->leave());
    EXPECT_EQ(activity->lookups_opened(), 1);
    EXPECT_EQ(s.focused_name(), "TXT_CODATTIVITA");

    // Set as the code does: the field still holds the focus.
    s.code("TXT_CODPROG")->set_Text("PRJ002");
    s.code("TXT_CODNODO")->set_Text("");
    activity->set_lookup_chooser([](standin::HeadlessCodeEdit&, const standin::LookupRequest&) {
      return lookup_row("Manutenzione programmata", "M01", database::demo::kNodeElectrical,
                        database::demo::kLinkMaintenance);
    });
    activity->OpenLookup();
    EXPECT_EQ(s.code("TXT_CODNODO")->Text(), "");
    EXPECT_EQ(s.code("TXT_DESATTIVITA")->Text(), "Manutenzione programmata");
    EXPECT_EQ(MDLPD_CALENDATT::pIDDisBaProgWBS, database::demo::kNodeElectrical);
    EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, database::demo::kLinkMaintenance);
    // A lookup closed without a choice changes nothing.
    activity->set_lookup_chooser(
        [](standin::HeadlessCodeEdit&, const standin::LookupRequest&) { return Variant(); });
    activity->OpenLookup();
    EXPECT_EQ(s.code("TXT_DESATTIVITA")->Text(), "Manutenzione programmata");
  });
  ASSERT_EQ(message_numbers(), (std::vector<std::int32_t>{77199, 77199}));
  EXPECT_EQ(messages()[0].style, 1);
  EXPECT_EQ(messages()[0].title, dialog().caption);
}

TEST_P(RangeCodeFields, ACodeTheDecodeDidNotFindKeepsTheFocusSilently) {
  run([&](HeadlessFormSite& s) {
    type(s, "TXT_CODPROG", "PRJ777");
    EXPECT_FALSE(leave(s));
    type(s, "TXT_CODPROG", "PRJ001");
    EXPECT_TRUE(leave(s));
    type(s, "TXT_CODNODO", "N77");
    EXPECT_FALSE(leave(s));
    EXPECT_EQ(s.focused_name(), "TXT_CODNODO");
  });
  // Only the controls said that the codes do not exist; the dialog adds nothing of its own.
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[0].text, "Codice inesistente: PRJ777");
  EXPECT_EQ(messages()[1].text, "Codice inesistente: N77");
}

TEST_P(RangeCodeFields, TheMaintenanceKeyOpensTheProgramsWithTheirCodes) {
  std::vector<std::string> opened;
  standin::MaintenancePrograms::instance().node_or_activity =
      [&](const std::string& which, const std::string& project, const std::string& node,
          const std::string& activity) {
        opened.push_back(which + " " + project + "/" + node + "/" + activity);
      };
  standin::MaintenancePrograms::instance().project = [&](const std::string& project) {
    opened.push_back("project " + project);
    return std::optional<std::string>("PRJ002");
  };
  run([&](HeadlessFormSite& s) {
    type(s, "TXT_CODPROG", "PRJ001");
    type(s, "TXT_CODNODO", "N01");
    type(s, "TXT_CODATTIVITA", "ATT01");
    s.code("TXT_CODATTIVITA")->press_key(Variant("Kgestione"));
    s.code("TXT_CODNODO")->press_key(Variant("Kgestione"));
    s.code("TXT_CODNODO")->press_key(Variant("Kaltro"));
    s.code("TXT_CODPROG")->press_key(Variant("Kgestione"));
    // The project chosen in its maintenance program comes back into the field.
    EXPECT_EQ(s.code("TXT_CODPROG")->Text(), "PRJ002");
  });
  // The node maintenance of a dialog is not given the project code.
  EXPECT_EQ(opened, (std::vector<std::string>{"activity PRJ001/N01/ATT01", "node /N01/", "project PRJ001"}));
  EXPECT_TRUE(module_->Cinterface_IsActive());
  EXPECT_EQ(env_->global()->released().size(), 3u);
  EXPECT_TRUE(responder_.reports().empty());
}

INSTANTIATE_TEST_SUITE_P(BothDialogs, RangeCodeFields,
                         ::testing::Combine(::testing::Values(kInsert, kDelete),
                                            ::testing::Values(Engine::SQLite, Engine::PostgreSQL)),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).name).substr(6) + "_" +
                                  engine_name({std::get<1>(p.param), p.index});
                         });

}  // namespace
}  // namespace calendatt::testing
