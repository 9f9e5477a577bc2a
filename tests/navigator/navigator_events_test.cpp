// The host navigator's events as the host raises them: company change, multimedia button, export and the
// script and layout object models.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "standin/media.hpp"
#include "support/scenario_host.hpp"

namespace calendatt::testing {
namespace {

using runtime::Date;
using runtime::Variant;
namespace demo = database::demo;

class NavigatorEvents : public OnEachEngine<HostScenario> {
 protected:
  void TearDown() override {
    standin::MediaManagerProgram::instance().create = nullptr;
    HostScenario::TearDown();
  }

  // Opens the window on a day; the site is kept alive here, since an unloaded window lets it go.
  HeadlessFormSite& open_on(Date day) {
    open_main();
    site_ = env_->forms()->site("FRMPD_CALENDATT");
    EXPECT_TRUE(site_->calendar("KVO_CALENDARIO")->choose(day));
    return *site_;
  }
  std::shared_ptr<HeadlessFormSite> site_;
  // Activity code and day of each row the grid shows.
  std::vector<std::string> grid_days(HeadlessFormSite& s) {
    std::vector<std::string> out;
    auto grid = s.grid("GRID_CALENDATT");
    for (const auto& row : grid->shown_rows()) out.push_back(row[2] + " " + row[3]);
    return out;
  }
  std::shared_ptr<host::RecordFrame> frame() { return class_->window()->frame(); }
};

TEST_P(NavigatorEvents, CompanyChangeWhileInactiveAsksNothingAndShowsTheNewCompany) {
  HeadlessFormSite& s = open_on(Date::from_ymd(2026, 3, 2));
  EXPECT_EQ(grid_days(s), (std::vector<std::string>{"ATT01 02/03/2026", "MAN01 02/03/2026"}));
  EXPECT_TRUE(env_->navigator()->change_company(demo::kOtherCompany, *env_->global()));
  EXPECT_TRUE(messages().empty());
  // The other company's day of its activity ATT01 (link 1901).
  EXPECT_EQ(grid_days(s), (std::vector<std::string>{"ATT01 02/03/2026"}));
  EXPECT_EQ(s.grid("GRID_CALENDATT")->shown_rows()[0][6], "01/03/2026");
  EXPECT_FALSE(s.closed());
}

TEST_P(NavigatorEvents, CompanyChangeWhileActiveAsksAndNoKeepsWindowAndCompany) {
  HeadlessFormSite& s = open_on(Date::from_ymd(2026, 3, 2));
  module_->let_Cinterface_IsActive(true);
  responder_.push_answer(7);
  EXPECT_FALSE(env_->navigator()->change_company(demo::kOtherCompany, *env_->global()));
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].number, 30182);
  EXPECT_EQ(messages()[0].text, "Il cambio ditta comporta la chiusura del programma, proseguo ?");
  EXPECT_EQ(messages()[0].style, 4);
  EXPECT_EQ(messages()[0].title, "Calendario attività WBS");
  EXPECT_EQ(env_->global()->Company().to_long(), demo::kCompany);
  EXPECT_FALSE(s.closed());

  responder_.push_answer(6);
  EXPECT_TRUE(env_->navigator()->change_company(demo::kOtherCompany, *env_->global()));
  EXPECT_TRUE(s.closed());
  EXPECT_EQ(class_->window()->ActiveInterface, nullptr);
  EXPECT_EQ(env_->global()->Company().to_long(), demo::kOtherCompany);
}

TEST_P(NavigatorEvents, MultimediaButtonOnANewRowOnlyTellsWhy) {
  open_on(Date::from_ymd(2026, 3, 10));
  module_->let_Cinterface_IsActive(true);
  frame()->NewRow();
  ASSERT_EQ(frame()->Status(), host::RecordFrame::kStatusNew);
  env_->navigator()->press_button(standin::StandinNavigator::kMultimediaButton);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].number, 30288);
  EXPECT_EQ(messages()[0].style, 64);
  EXPECT_EQ(class_->hypermedia(), nullptr);
}

TEST_P(NavigatorEvents, MultimediaButtonLinksCreatedMediaToTheStoredRowAtOnce) {
  HeadlessFormSite& s = open_on(Date::from_ymd(2026, 3, 9));
  module_->let_Cinterface_IsActive(true);
  env_->global()->set_MediaValue(1, Variant(std::int32_t{1}));
  env_->global()->set_MediaValue(2, Variant("CALENDARIO"));
  env_->global()->set_MainInterface(module_);
  module_->let_Cinterface_hwndParent(4242);
  ASSERT_EQ(s.grid("GRID_CALENDATT")->row_count(), 1);
  standin::MediaManagerProgram::instance().create = [&](const Variant&) {
    return std::optional<standin::MediaRecord>(
        standin::MediaRecord{"/tmp/rilievo.pdf", "Rilievo del 9 marzo"});
  };

  env_->navigator()->press_button(standin::StandinNavigator::kMultimediaButton);
  auto media = std::dynamic_pointer_cast<standin::StandinHyperMedia>(class_->hypermedia());
  ASSERT_NE(media, nullptr);
  ASSERT_EQ(media->calls().size(), 1u);
  const auto& call = media->calls()[0];
  // The host's media values, the database, no media yet, the parent window, and the two flags.
  EXPECT_EQ(call.value1.to_string() + " " + call.value2.to_string() + " " + call.hwnd_parent.to_string() +
                " " + std::to_string(call.a) + std::to_string(call.b),
            "1 CALENDARIO 4242 10");
  EXPECT_EQ(call.connection_string, env_->settings().connection_string);
  EXPECT_TRUE(call.media_id.is_null());
  std::string id = raw_->value("SELECT CG99_IDMEDIA FROM CG99_MEDIA WHERE CG99_NOTE = 'Rilievo del 9 marzo'");
  EXPECT_EQ(
      raw_->value("SELECT PD06_IDMEDIA_CG99 FROM PD4G_CALENDATT WHERE PD4G_DATAATTIVITA = '2026-03-09'"), id);
  EXPECT_EQ(s.icon(), env_->global()->ImageList1()->Picture("KProgrammaMM"));

  // A second request reuses the object and hands over the row's media id.
  env_->navigator()->press_button(standin::StandinNavigator::kMultimediaButton);
  EXPECT_EQ(class_->hypermedia(), media);
  ASSERT_EQ(media->calls().size(), 2u);
  EXPECT_EQ(media->calls()[1].media_id.to_string(), id);

  // Any other button does nothing.
  env_->navigator()->press_button(24);
  EXPECT_EQ(media->calls().size(), 2u);
  EXPECT_TRUE(messages().empty());
}

TEST_P(NavigatorEvents, ExportWritesTheGridUnderTheTranslatedTitle) {
  HeadlessFormSite& s = open_on(Date::from_ymd(2026, 3, 2));
  module_->let_Cinterface_IsActive(true);
  std::string path = (db_->dir() / "grid.csv").string();
  ASSERT_TRUE(standin::export_grid_csv(*env_->navigator(), *s.grid("GRID_CALENDATT"), path));
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_EQ(text.str(),
            "\xEF\xBB\xBF"
            "Calendario attività WBS\r\n"
            "Codice Progetto;Codice Nodo;Codice Attività;Data;Ore;Min;Inizio attività;Fine attività\r\n"
            "PRJ001;N01;ATT01;02/03/2026;8;0;01/03/2026;31/03/2026\r\n"
            "PRJ002;M01;MAN01;02/03/2026;2;0;01/02/2026;31/12/2026\r\n");
  std::filesystem::remove(path);
}

TEST_P(NavigatorEvents, ScriptAndLayoutModelsReceiveTheWindowAndTheFrame) {
  HeadlessFormSite& s = open_on(Date::from_ymd(2026, 3, 2));
  auto script = std::make_shared<standin::StandinScriptObject>();
  auto layout = std::make_shared<standin::StandinLayoutObject>();
  // Inactive: nothing is registered.
  env_->navigator()->initialize_script_model(script);
  EXPECT_TRUE(script->registrations().empty());

  module_->let_Cinterface_IsActive(true);
  env_->navigator()->initialize_script_model(script);
  env_->navigator()->initialize_layout_model(layout);
  std::vector<std::string> registered;
  for (const auto& r : script->registrations())
    registered.push_back(r.name + " " + std::to_string(r.kind) + " " + r.description);
  EXPECT_EQ(registered,
            (std::vector<std::string>{"FRMPD_CALENDATT 0 Calendario attività WBS", "FME_DIPE 3 FME_DIPE"}));
  EXPECT_EQ(frame()->Name(), "FME_DIPE");
  ASSERT_EQ(layout->registrations().size(), 1u);

  // A host script requeries the window: a day written meanwhile appears.
  raw_->exec(
      "UPDATE PD4G_CALENDATT SET PD4G_DURATAORE = 6 WHERE PD4G_IDLEGAME_PD0H = 1001 AND "
      "PD4G_DATAATTIVITA = '2026-03-02'");
  script->call("FRMPD_CALENDATT", "Requery");
  EXPECT_EQ(s.grid("GRID_CALENDATT")->shown_rows()[0][4], "6");
  EXPECT_THROW(script->call("FRMPD_CALENDATT", "Explode"), runtime::Error);
}

CALENDATT_ON_EACH_ENGINE(NavigatorEvents);

}  // namespace
}  // namespace calendatt::testing
