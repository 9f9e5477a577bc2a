// The headless controls and windows: what a person does, and the scripted user of modal windows.
#include <gtest/gtest.h>

#include "runtime/error.hpp"
#include "standin/headless_forms.hpp"
#include "test_support.hpp"

namespace standin {
namespace {

using runtime::Variant;
using testing::TestWindow;

host::FormDesign test_design() {
  return {
      "FRM_TEST",
      "Prova",
      {
          {host::kind::kCodeEdit,
           "TXT_CODICE",
           "Codice",
           {{"case", "Maiuscolo"}, {"maxchar", std::int32_t{8}}, {"obbligatorio", true}}},
          {host::kind::kCodeEdit, "TXT_NOTE", "Note", {}},
          {host::kind::kDateEdit, "TXT_DATA", "Data", {{"obbligatorio", true}}},
          {host::kind::kDateEdit, "TXT_DATA2", "Data facoltativa", {}},
          {host::kind::kNumericEdit, "TXT_OGNI", "Ogni", {{"obbligatorio", true}, {"min", 1}, {"max", 999}}},
          {host::kind::kCombo, "CBO_SCELTA", "", {}},
          {host::kind::kToolbarButton, "BTN_OK", "&Conferma", {}},
          {host::kind::kToolbarButton, "BTN_SPENTO", "Spento", {{"enabled", false}}},
          {host::kind::kMdiContainer, "MDIActiveX1", "", {}},
          {host::kind::kResize, "KVO_RESIZEFORM1", "", {}},
      }};
}

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessFormFactory factory;
  TestWindow window;
  std::shared_ptr<HeadlessFormSite> site;

  void SetUp() override {
    window.site = factory.CreateForm(test_design(), &window);
    site = std::dynamic_pointer_cast<HeadlessFormSite>(window.site);
    ASSERT_TRUE(site);
  }
};

TEST_F(HeadlessTest, TypingFollowsTheDesign) {
  auto code = site->code("TXT_CODICE");
  std::vector<std::string> events;
  code->TextChange = [&](Variant&) { events.push_back("TextChange " + code->Text()); };
  code->CodeChange = [&] { events.push_back("CodeChange"); };
  // A text longer than the field (eight characters, not eight bytes) is refused as a whole.
  EXPECT_FALSE(code->type("attività wbs"));
  EXPECT_EQ(code->Text(), "");
  EXPECT_TRUE(events.empty());
  ASSERT_TRUE(code->type("attività"));
  EXPECT_EQ(code->Text(), "ATTIVITÀ");  // accented letters too
  EXPECT_EQ(events, (std::vector<std::string>{"TextChange ATTIVITÀ", "CodeChange"}));
  EXPECT_TRUE(code->IsModified());
  // The same text again changes nothing.
  code->type("ATTIVITÀ");
  EXPECT_EQ(events.size(), 2u);
  // A text set by the module's code is taken as it is, raises nothing and is no longer a user's change.
  code->set_Text("p1 lungo codice");
  EXPECT_EQ(code->Text(), "p1 lungo codice");
  EXPECT_FALSE(code->IsModified());
  EXPECT_EQ(events.size(), 2u);
  // Another code typed needs a new decode.
  code->set_decode_ok(true);
  code->type("P2");
  EXPECT_FALSE(code->DecodeOk());
}

// Text a field cannot take is refused as it is typed; a number outside the bounds and a text that is no
// date are refused when the field is left, with a notice that says why, and the focus stays.
TEST_F(HeadlessTest, FieldsRefuseWhatTheyCannotHoldAndSayWhy) {
  std::vector<std::string> notices;
  factory.set_notice([&](const std::string& text, const std::string&) { notices.push_back(text); });
  auto every = site->numeric("TXT_OGNI");
  EXPECT_FALSE(every->type("12a"));
  EXPECT_FALSE(every->type("-1"));  // the bounds take no negative number
  EXPECT_FALSE(every->type("1.5"));
  EXPECT_EQ(every->Text(), "");
  ASSERT_TRUE(every->type("1000"));
  EXPECT_FALSE(every->leave());
  EXPECT_EQ(site->focused_name(), "TXT_OGNI");
  ASSERT_TRUE(every->type("999"));
  EXPECT_TRUE(every->leave());

  auto day = site->date("TXT_DATA2");
  EXPECT_FALSE(day->type("ieri"));
  EXPECT_FALSE(day->type("2026-03-01 10"));
  // A text that is no date is refused when left, as the insertion dialog's date fields show.
  ASSERT_TRUE(day->type("1/3/2026"));
  EXPECT_TRUE(day->leave());
  EXPECT_EQ(day->Text(), "01/03/2026");  // written back in the short date form
  EXPECT_EQ(notices, std::vector<std::string>{"Valore ammesso da 1 a 999"});
}

// A refused Validate, or a PostValidate refusing after an accepted one, keeps the focus: the next field
// cannot be typed into.
TEST_F(HeadlessTest, RefusedValidationKeepsTheFocus) {
  auto code = site->code("TXT_CODICE");
  auto note = site->code("TXT_NOTE");
  std::vector<std::string> events;
  bool refuse_after = false;
  code->Validate = [&](bool& cancel) {
    events.push_back("Validate");
    cancel = code->Text() != "OK";
  };
  code->PostValidate = [&](bool& cancel) {
    events.push_back("PostValidate");
    cancel = refuse_after;
  };
  code->type("ko");
  EXPECT_FALSE(note->type("altro"));
  EXPECT_EQ(site->focused_name(), "TXT_CODICE");
  EXPECT_EQ(note->Text(), "");
  code->type("ok");
  refuse_after = true;
  EXPECT_FALSE(code->leave());
  EXPECT_TRUE(code->HasFocus());
  refuse_after = false;
  EXPECT_TRUE(note->type("altro"));
  EXPECT_EQ(site->focused_name(), "TXT_NOTE");
  EXPECT_EQ(events,
            (std::vector<std::string>{"Validate", "Validate", "PostValidate", "Validate", "PostValidate"}));
}

TEST_F(HeadlessTest, DisabledControlsIgnoreThePerson) {
  int clicks = 0;
  auto off = site->button("BTN_SPENTO");
  off->ButtonClick = [&] { ++clicks; };
  EXPECT_FALSE(off->click());
  off->set_Enabled(true);
  EXPECT_TRUE(off->click());
  EXPECT_EQ(clicks, 1);
  site->code("TXT_NOTE")->set_Enabled(false);
  EXPECT_FALSE(site->code("TXT_NOTE")->type("x"));
}

TEST_F(HeadlessTest, DateAndNumberValidity) {
  auto mandatory = site->date("TXT_DATA");
  auto optional = site->date("TXT_DATA2");
  struct Case {
    const char* text;
    bool date_valid, mandatory_valid, optional_valid;
  } cases[] = {
      {"", false, false, true},         {"   ", false, false, true},         {"01/03/2026", true, true, true},
      {"2026-03-01", true, true, true}, {"31/04/2026", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    mandatory->set_Text(c.text);
    optional->set_Text(c.text);
    EXPECT_EQ(mandatory->IsDateValid(), c.date_valid);
    EXPECT_EQ(mandatory->IsValid(), c.mandatory_valid);
    EXPECT_EQ(optional->IsValid(), c.optional_valid);
  }
  auto every = site->numeric("TXT_OGNI");
  const std::pair<const char*, bool> numbers[] = {{"1", true},  {"999", true},   {" 7 ", true},
                                                  {"0", false}, {"1000", false}, {"2.5", false},
                                                  {"", false},  {"3x", false}};
  for (auto [text, valid] : numbers) {
    every->set_Text(text);
    EXPECT_EQ(every->IsValid(), valid) << '"' << text << '"';
  }
}

TEST_F(HeadlessTest, ComboReportsThePosition) {
  auto combo = site->combo("CBO_SCELTA");
  combo->set_Sorted(false);
  for (const char* item : {"Annulla operazione", "Tralascia", "Sovrascrivi"}) combo->AddItem(item);
  EXPECT_EQ(combo->Value(), "");
  combo->set_ListIndex(0);
  EXPECT_EQ(combo->Value(), "0");
  EXPECT_TRUE(combo->choose(2));
  EXPECT_EQ(combo->Value(), "2");
  EXPECT_EQ(combo->ItemText(2), "Sovrascrivi");
  EXPECT_FALSE(combo->choose(3));
  EXPECT_THROW(combo->set_ListIndex(3), runtime::Error);
  combo->Clear();
  combo->set_Sorted(true);
  for (const char* item : {"b", "C", "a"}) combo->AddItem(item);
  EXPECT_EQ(combo->ItemText(0), "a");
  EXPECT_EQ(combo->ItemText(2), "C");
}

// The lookup's query and connection come from StartLookup, the chosen row goes to CloseLookup (both
// through the module in the code field tests); a cancelled start shows no lookup.
TEST_F(HeadlessTest, ACancelledStartShowsNoLookup) {
  auto code = site->code("TXT_CODICE");
  int closed = 0;
  code->StartLookup = [](bool& cancel, std::string&, Variant&, std::string&, std::string&) { cancel = true; };
  code->CloseLookup = [&](const Variant&) { ++closed; };
  code->set_lookup_chooser([](HeadlessCodeEdit&, const LookupRequest&) { return Variant("row"); });
  code->OpenLookup();
  EXPECT_EQ(closed, 0);
  EXPECT_FALSE(code->last_lookup());
}

TEST_F(HeadlessTest, FirstShowLoadsResizesThenActivates) {
  site->get<HeadlessMdiContainer>("MDIActiveX1")->FormLoad = [&] { window.events.push_back("FormLoad"); };
  site->get<HeadlessResizeControl>("KVO_RESIZEFORM1")->Resize = [&] { window.events.push_back("Resize"); };
  site->Show(false);
  site->Show(false);
  EXPECT_TRUE(site->Visible());
  EXPECT_EQ(window.events,
            (std::vector<std::string>{"FormLoad", "Resized", "Resize", "Activated", "Activated"}));
  EXPECT_THROW(site->code("BTN_OK"), runtime::Error);
}

// A modal show runs the window's scripted actions in order and ends when one closes the window; the rest
// waits for the next show. (A script that leaves the window open ends with the close box: the insertion
// dialog's opening test.)
TEST_F(HeadlessTest, ModalShowRunsTheScriptUntilTheWindowCloses) {
  std::vector<std::string> done;
  factory.script("FRM_TEST", [&](HeadlessFormSite& s) {
    s.code("TXT_CODICE")->type("p1");
    done.push_back("typed");
  });
  factory.script("FRM_TEST", [&](HeadlessFormSite& s) { EXPECT_TRUE(s.request_close()); });
  factory.script("FRM_TEST", [&](HeadlessFormSite&) { done.push_back("next show"); });
  factory.script("ALTRA", [&](HeadlessFormSite&) { done.push_back("other window"); });
  site->Show(true);
  EXPECT_EQ(done, std::vector<std::string>{"typed"});
  EXPECT_TRUE(site->closed());
  EXPECT_FALSE(site->Visible());
  EXPECT_EQ(window.events.back(), "CloseRequested");
  EXPECT_EQ(factory.pending_actions("FRM_TEST"), 1u);
  EXPECT_EQ(factory.pending_actions("ALTRA"), 1u);
  EXPECT_TRUE(factory.failures().empty());
  EXPECT_THROW(site->Show(false), runtime::Error);
}

// A refused close and a failing action are failures, never a loop; after a failing action the window closes
// and the rest of the script is not run.
TEST_F(HeadlessTest, RefusedCloseAndFailingActionsAreRecordedFailures) {
  window.refuse_close = true;
  factory.script("FRM_TEST", [](HeadlessFormSite& s) { s.button("BTN_OK")->click(); });
  site->Show(true);
  EXPECT_FALSE(site->closed());
  window.refuse_close = false;
  factory.script("FRM_TEST", [](HeadlessFormSite& s) { s.code("NON_ESISTE"); });
  factory.script("FRM_TEST", [](HeadlessFormSite&) { ADD_FAILURE() << "runs after a failed action"; });
  site->Show(true);
  EXPECT_TRUE(site->closed());
  ASSERT_EQ(factory.failures().size(), 2u);
  EXPECT_NE(factory.failures()[0].find("refused to close"), std::string::npos);
  EXPECT_NE(factory.failures()[1].find("NON_ESISTE"), std::string::npos);
}

}  // namespace
}  // namespace standin
