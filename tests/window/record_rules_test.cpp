// Single calendar days added, changed and deleted through the record frame of the calendar window, under
// the rules the window checks in the frame's events. With the host's contract a message's text is the
// dictionary's, so the cases check its number, style and title; the module's own texts are checked in
// handed_texts_test.cpp.
#include <optional>

#include "window/window_host.hpp"

namespace calendatt::testing {
namespace {

using database::demo::kLinkPlanned;

class WindowRecordRules : public OnEachEngine<WindowScenario> {
 protected:
  std::optional<StoredDay> stored(const std::string& iso) const {
    for (const auto& d : days_of(kLinkPlanned))
      if (d.date == iso) return d;
    return std::nullopt;
  }
};

TEST_P(WindowRecordRules, ANewDayIsWrittenWithEveryColumn) {
  // Another activity's day of the same date, listed until the save reads the grid again for the saved
  // activity alone.
  raw_->exec(
      "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
      "PD4G_DATAATTIVITA, PD4G_DURATAORE, PD4G_DURATAMINUTI) VALUES (1, 101, 1002, '2026-03-10', 1, 0)");
  auto& s = open_main();
  choose(s, "2026-03-10");
  ASSERT_EQ(s.grid("GRID_CALENDATT")->row_count(), 1);
  frame().NewRow();
  ASSERT_EQ(frame().Status(), host::RecordFrame::kStatusNew);
  ASSERT_TRUE(enter_codes(s, "PRJ001", "N01", "ATT01"));
  for (const char* field : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
    EXPECT_FALSE(s.code(field)->Enabled()) << field;
  EXPECT_EQ(s.date("TXT_DATAINIZ")->Text(), shown("2026-03-01"));
  EXPECT_EQ(s.date("TXT_DATAFIN")->Text(), shown("2026-03-31"));
  ASSERT_TRUE(enter_duration(s, "7", "30"));
  EXPECT_FALSE(class_->ModificatoDati());

  EXPECT_EQ(frame().Save(true, 0, true), standin::StandinRecordFrame::kSaved);
  EXPECT_TRUE(messages().empty());
  EXPECT_TRUE(class_->ModificatoDati());
  EXPECT_EQ(rows_where("PD4G_IDDISBAPROG_PD0G = 101 AND PD4G_DATAATTIVITA = '2026-03-10'"), 2);
  EXPECT_EQ(stored("2026-03-10"), (StoredDay{"2026-03-10", 2026, 3, 10, 0, 0, 7, 30, 7, 30}));
  // The grid is requeried: it shows the new day only.
  EXPECT_EQ(s.grid("GRID_CALENDATT")->row_count(), 1);
  EXPECT_EQ(s.grid("GRID_CALENDATT")->CurrentValue("PD4G_IDLEGAME_PD0H").to_long(), kLinkPlanned);
}

TEST_P(WindowRecordRules, ADayAlreadyPlannedIsRefusedWhenTheCodesAreValidated) {
  auto& s = open_main();
  new_row(s, "2026-03-02");
  EXPECT_FALSE(enter_codes(s, "PRJ001", "N01", "ATT01"));
  ASSERT_EQ(message_numbers(), std::vector<std::int32_t>{77192});
  EXPECT_EQ(messages()[0].style, 48);
  EXPECT_EQ(messages()[0].title, kCaption);
  EXPECT_EQ(s.focused_name(), "TXT_CODATTIVITA");
  for (const char* field : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
    EXPECT_TRUE(s.code(field)->Enabled()) << field;
}

// The save of a new day is refused by each rule with its message; the row stays in the window.
TEST_P(WindowRecordRules, ANewDayIsRefusedByEachRuleOfTheSave) {
  struct Case {
    const char* rule;
    const char* day;
    const char* activity;  // null: no codes typed
    std::int32_t number, style;
  };
  const Case cases[] = {{"three codes needed", "2026-03-10", nullptr, 77196, 16},
                        {"codes that do not resolve", "2026-03-10", "ATT99", 77197, 16},
                        {"an activity without planning dates", "2026-03-10", "ATT05", 77198, 64},
                        {"outside the planning period", "2026-04-01", "ATT01", 77198, 64}};
  auto& s = open_main();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    new_row(s, c.day);
    // Codes that do not resolve keep the focus in the activity field: the save follows at once.
    if (!c.activity || enter_codes(s, "PRJ001", "N01", c.activity)) {
      ASSERT_TRUE(enter_duration(s, "8", "00"));
    }
    responder_.clear_record();
    EXPECT_EQ(frame().Save(true, 0, true), standin::StandinRecordFrame::kSaveRefused);
    ASSERT_EQ(message_numbers(), std::vector<std::int32_t>{c.number});
    EXPECT_EQ(messages()[0].style, c.style);
    EXPECT_EQ(frame().Status(), host::RecordFrame::kStatusNew);
    EXPECT_FALSE(class_->ModificatoDati());
    EXPECT_EQ(rows_where(std::string("PD4G_DATAATTIVITA = '") + c.day + "'"), 0);
    frame().CancelEdit();
  }
}

TEST_P(WindowRecordRules, ADayWithAllocatedResourcesIsNotDeleted) {
  auto& s = open_main();
  choose(s, "2026-03-05");
  ASSERT_EQ(s.grid("GRID_CALENDATT")->row_count(), 1);
  frame().DeleteRow();
  ASSERT_EQ(message_numbers(), std::vector<std::int32_t>{77193});
  EXPECT_EQ(messages()[0].style, 64);
  EXPECT_EQ(rows_where("PD4G_IDCALENDARIO = 4"), 1);
  EXPECT_FALSE(class_->ModificatoDati());

  choose(s, "2026-03-06");
  frame().DeleteRow();
  EXPECT_EQ(messages().size(), 1u);
  EXPECT_EQ(rows_where("PD4G_IDCALENDARIO = 5"), 0);
  EXPECT_TRUE(class_->ModificatoDati());
}

TEST_P(WindowRecordRules, ChangingTheHoursOfAStoredDayKeepsItsActivity) {
  auto& s = open_main();
  choose(s, "2026-03-09");
  ASSERT_EQ(text(s, "TXT_ORE"), "4");
  ASSERT_TRUE(s.code("TXT_ORE")->type("6"));
  EXPECT_EQ(frame().Status(), host::RecordFrame::kStatusModified);
  ASSERT_TRUE(s.code("TXT_ORE")->leave());
  EXPECT_EQ(frame().Save(true, 0, true), standin::StandinRecordFrame::kSaved);
  EXPECT_TRUE(messages().empty());
  EXPECT_TRUE(class_->ModificatoDati());
  EXPECT_EQ(rows_where("PD4G_IDCALENDARIO = 6 AND PD4G_DITTA_CG18 = 1 AND PD4G_IDDISBAPROG_PD0G = 101 "
                       "AND PD4G_IDLEGAME_PD0H = 1001"),
            1);
  EXPECT_EQ(stored("2026-03-09"), (StoredDay{"2026-03-09", 2026, 3, 9, 0, 0, 6, 30, 6, 30}));
}

TEST_P(WindowRecordRules, InCalledModeANewRowOnAPlannedDayIsRefused) {
  call_for_planned_activity();
  auto& s = open_main();
  new_row(s, "2026-03-02");
  ASSERT_EQ(message_numbers(), std::vector<std::int32_t>{77192});
  EXPECT_EQ(messages()[0].style, 48);
  EXPECT_EQ(frame().Status(), host::RecordFrame::kStatusStored);

  // A free day of the period takes a new row for the activity the host named.
  new_row(s, "2026-03-12");
  EXPECT_EQ(frame().Status(), host::RecordFrame::kStatusNew);
  EXPECT_EQ(text(s, "TXT_CODATTIVITA"), "ATT01");
  EXPECT_FALSE(s.code("TXT_CODPROG")->Enabled());
  // Minutes left blank (the hours field is the one left) are stored as 0.
  ASSERT_TRUE(s.code("TXT_ORE")->type("3"));
  ASSERT_TRUE(s.code("TXT_ORE")->leave());
  EXPECT_EQ(frame().Save(true, 0, true), standin::StandinRecordFrame::kSaved);
  EXPECT_EQ(messages().size(), 1u);
  EXPECT_EQ(stored("2026-03-12"), (StoredDay{"2026-03-12", 2026, 3, 12, 0, 0, 3, 0, 3, 0}));
}

// In called mode the ids are the host's: a link of 0 is refused as an activity not found.
TEST_P(WindowRecordRules, InCalledModeALinkOf0IsNeverSaved) {
  call_for("PRJ001", "N01", "ATT01", database::demo::kNodeDesign, 0, "2026-03-01", "2026-03-31");
  auto& s = open_main();
  new_row(s, "2026-03-12");
  ASSERT_EQ(frame().Status(), host::RecordFrame::kStatusNew);
  ASSERT_TRUE(enter_duration(s, "3", "15"));
  EXPECT_EQ(frame().Save(true, 0, true), standin::StandinRecordFrame::kSaveRefused);
  EXPECT_EQ(message_numbers(), std::vector<std::int32_t>{77197});
  EXPECT_EQ(rows_where("PD4G_DATAATTIVITA = '2026-03-12'"), 0);
}

// A host that hands over only the planning start (no end) leaves the window unable to check the period:
// whatever the answer to the error report, the new row stays in the window and nothing reaches the
// database.
TEST_P(WindowRecordRules, APeriodHandedOverWithoutItsEndNeverSendsAnUnfilledRow) {
  call_for("PRJ001", "N01", "ATT02", database::demo::kNodeDesign, database::demo::kLinkStartOnly,
           "2026-03-01", "2026-03-31");
  MDLPD_CALENDATT::pDataFineWBS.clear();
  auto& s = open_main();
  const int rows = count("SELECT COUNT(*) FROM PD4G_CALENDATT");
  for (int answer : {runtime::kAbort, runtime::kIgnore}) {
    SCOPED_TRACE(answer);
    responder_.clear_record();
    new_row(s, "2026-03-01");
    ASSERT_TRUE(enter_duration(s, "8", "00"));
    responder_.push_answer(answer);
    EXPECT_EQ(frame().Save(true, 0, true), standin::StandinRecordFrame::kSaveRefused);
    ASSERT_EQ(responder_.reports().size(), 1u);
    EXPECT_EQ(responder_.reports()[0].routine, "FME_CALENDATT_BeforeUpdate");
    EXPECT_EQ(responder_.reports()[0].error.number, 13);
    EXPECT_EQ(frame().Status(), host::RecordFrame::kStatusNew);
    EXPECT_EQ(count("SELECT COUNT(*) FROM PD4G_CALENDATT"), rows);
    EXPECT_FALSE(class_->ModificatoDati());
    frame().CancelEdit();
  }
}

// A failure while the new row is written, answered Ignore, keeps the whole row back.
TEST_P(WindowRecordRules, AWriteStepThatFailedKeepsANewRowBack) {
  auto& s = open_main();
  new_row(s, "2026-03-10");
  ASSERT_TRUE(enter_codes(s, "PRJ001", "N01", "ATT01"));
  ASSERT_TRUE(enter_duration(s, "7", "30"));
  // The day's text cannot be read as a date: writing the date parts fails.
  s.date("TXT_DATA")->set_Text("not a day");
  for (int i = 0; i < 4; ++i) responder_.push_answer(runtime::kIgnore);
  EXPECT_EQ(frame().Save(true, 0, true), standin::StandinRecordFrame::kSaveRefused);
  EXPECT_FALSE(responder_.reports().empty());
  EXPECT_EQ(rows_where("PD4G_IDLEGAME_PD0H = 1001 AND PD4G_DURATAORE = 7 AND PD4G_DURATAMINUTI = 30"), 0);
  frame().CancelEdit();
}

CALENDATT_ON_EACH_ENGINE(WindowRecordRules);

}  // namespace
}  // namespace calendatt::testing
