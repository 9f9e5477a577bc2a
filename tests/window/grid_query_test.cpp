// The calendar window's grid, its query and the calendar: which days the grid lists for the chosen day
// and selection, what its columns show, and how a new day is taken or refused.
#include "window/window_host.hpp"

namespace calendatt::testing {
namespace {

using runtime::Variant;

class WindowGrid : public OnEachEngine<WindowScenario> {
 protected:
  std::shared_ptr<standin::HeadlessGrid> grid(HeadlessFormSite& s) { return s.grid("GRID_CALENDATT"); }
};

// The grid lists the chosen day's rows of the company (what its lookup columns show is checked through the
// navigator's export); the selected row is copied into the fields, with its activity locked.
TEST_P(WindowGrid, AChosenDayListsThatDaysRowsAndTheSelectedOneFillsTheFields) {
  auto& s = open_main();
  choose(s, "2026-03-02");
  auto g = grid(s);
  EXPECT_TRUE(g->finalized());
  ASSERT_EQ(g->row_count(), 2);  // not company 2's day of 2 March
  for (std::int32_t row = 0;
       g->CurrentValue("PD4G_IDLEGAME_PD0H").to_long() != database::demo::kLinkMaintenance;)
    ASSERT_TRUE(g->select_row(row++));
  EXPECT_EQ(text(s, "TXT_CODPROG"), "PRJ002");
  EXPECT_EQ(text(s, "TXT_CODNODO"), "M01");
  EXPECT_EQ(text(s, "TXT_CODATTIVITA"), "MAN01");
  EXPECT_EQ(s.date("TXT_DATA")->Text(), shown("2026-03-02"));
  EXPECT_EQ(text(s, "TXT_ORE"), "2");
  EXPECT_EQ(text(s, "TXT_MINUTI"), "0");
  EXPECT_EQ(s.date("TXT_DATAINIZ")->Text(), shown("2026-02-01"));
  EXPECT_EQ(s.date("TXT_DATAFIN")->Text(), shown("2026-12-31"));
  EXPECT_EQ(MDLPD_CALENDATT::pDataInizioWBS, shown("2026-02-01"));
  EXPECT_EQ(MDLPD_CALENDATT::pDataFineWBS, shown("2026-12-31"));
  for (const char* field : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
    EXPECT_FALSE(s.code(field)->Enabled()) << field;
  EXPECT_TRUE(s.code("TXT_MINUTI")->Enabled());

  // A new row in free mode forgets the shown row's period, which the checks of the new row would use.
  frame().NewRow();
  EXPECT_EQ(MDLPD_CALENDATT::pDataInizioWBS, "");
  EXPECT_EQ(MDLPD_CALENDATT::pDataFineWBS, "");
  frame().CancelEdit();

  choose(s, "2026-03-20");
  EXPECT_EQ(g->row_count(), 0);
  EXPECT_EQ(text(s, "TXT_CODPROG"), "");
  EXPECT_TRUE(s.code("TXT_CODPROG")->Enabled());
  EXPECT_EQ(s.date("TXT_DATA")->Text(), shown("2026-03-20"));
  EXPECT_EQ(s.date("TXT_DATAINIZ")->Text(), "");
  EXPECT_EQ(MDLPD_CALENDATT::pDataInizioWBS, "");
}

// A row whose ids the lookups do not find shows empty codes and is not taken for a stored day; an
// activity with forecast dates only shows those as its period.
TEST_P(WindowGrid, TheLookupColumnsOfUnknownIdsAndOfForecastDates) {
  raw_->exec(
      "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
      "PD4G_DATAATTIVITA, PD4G_DURATAORE, PD4G_DURATAMINUTI) VALUES (1, 999, 9999, '2026-03-20', 5, 0), "
      "(1, 101, 1004, '2026-03-21', 5, 0)");
  auto& s = open_main();
  choose(s, "2026-03-20");
  auto g = grid(s);
  ASSERT_EQ(g->row_count(), 1);
  EXPECT_TRUE(g->CurrentValue("PD4G_IDDISBAPROG_PD68").is_null());
  EXPECT_EQ(text(s, "TXT_CODPROG"), "");
  for (const char* field : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
    EXPECT_TRUE(s.code(field)->Enabled()) << field;

  choose(s, "2026-03-21");
  ASSERT_EQ(g->row_count(), 1);
  EXPECT_EQ(g->CurrentValue("PD4G_IDLEGAME_PD0D"), Variant("ATT04"));
  EXPECT_EQ(g->CurrentValue("PD4G_IDLEGAME_INI").to_date(), day("2026-03-01"));
  EXPECT_EQ(g->CurrentValue("PD4G_IDLEGAME_FIN").to_date(), day("2026-03-15"));
}

TEST_P(WindowGrid, ANodeWithoutALinkListsTheDaysOfEveryActivityOfTheNode) {
  raw_->exec(
      "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
      "PD4G_DATAATTIVITA, PD4G_DURATAORE, PD4G_DURATAMINUTI) VALUES (1, 101, 1002, '2026-03-02', 1, 0)");
  call_for("PRJ001", "N01", "", database::demo::kNodeDesign, 0, "2026-03-01", "2026-03-31");
  auto& s = open_main();
  choose(s, "2026-03-02");
  auto g = grid(s);
  ASSERT_EQ(g->row_count(), 2);  // ATT01 and ATT02 of node N01; not the day of node M01
  for (std::int32_t row = 0; row < 2; ++row) {
    ASSERT_TRUE(g->select_row(row));
    EXPECT_EQ(g->CurrentValue("PD4G_IDDISBAPROG_PD0G").to_long(), database::demo::kNodeDesign);
  }
}

TEST_P(WindowGrid, InCalledModeADayOutsideThePlanningPeriodIsRefused) {
  call_for_planned_activity();
  auto& s = open_main();
  auto calendar = s.calendar("KVO_CALENDARIO");
  sql_->texts.clear();

  choose(s, "2026-02-27");
  EXPECT_EQ(window().current_day().to_date(), day("2026-03-01"));
  choose(s, "2026-04-01");
  EXPECT_EQ(calendar->Value().to_date(), day("2026-03-01"));
  EXPECT_EQ(calendar_queries(), 0u);
  // The bound is handed over as the message's parameter.
  ASSERT_EQ(message_numbers(), (std::vector<std::int32_t>{77194, 77195}));
  EXPECT_EQ(messages()[0].text, "Non sono ammesse date inferiori al 01/03/2026");
  EXPECT_EQ(messages()[0].style, 48);
  EXPECT_EQ(messages()[1].text, "Non sono ammesse date superiori al 31/03/2026");

  // Days inside the period are taken, the last one included; the selection stays.
  choose(s, "2026-03-31");
  choose(s, "2026-03-02");
  EXPECT_EQ(messages().size(), 2u);
  EXPECT_EQ(window().current_day().to_date(), day("2026-03-02"));
  EXPECT_EQ(grid(s)->row_count(), 1);  // only the activity's own day, not the other activity's
  EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, database::demo::kLinkPlanned);
}

TEST_P(WindowGrid, InFreeModeANewDayClearsTheSelectionAndTheSameDayDoesNotRequery) {
  module_->let_Cinterface_ProgramMode(3);
  auto& s = open_main();
  EXPECT_EQ(frame().ProgramMode(), 3);
  choose(s, "2026-03-10");
  EXPECT_EQ(frame().ProgramMode(), 0);  // a new day puts the new frame back in mode 0
  ASSERT_TRUE(enter_codes(s, "PRJ001", "N01", "ATT01"));
  ASSERT_EQ(MDLPD_CALENDATT::pIDLegameWBS, database::demo::kLinkPlanned);

  choose(s, "2026-03-02");
  EXPECT_EQ(MDLPD_CALENDATT::pIDDisBaProgWBS, 0);
  EXPECT_EQ(MDLPD_CALENDATT::pIDLegameWBS, 0);
  EXPECT_EQ(grid(s)->row_count(), 2);  // every activity planned on that day

  sql_->texts.clear();
  const auto attaches = grid(s)->calls().size();
  choose(s, "2026-03-02");
  EXPECT_EQ(calendar_queries(), 0u);
  EXPECT_EQ(grid(s)->calls().size(), attaches);
  EXPECT_TRUE(messages().empty());
}

CALENDATT_ON_EACH_ENGINE(WindowGrid);

}  // namespace
}  // namespace calendatt::testing
