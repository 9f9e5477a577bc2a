// The deletion dialog opened from the calendar window's toolbar: the walk over the range, the days spared
// for their allocated resources, the confirmation with the counts and the single delete statement.
#include "support/scenario_host.hpp"

namespace calendatt::testing {
namespace {

using database::demo::kLinkPlanned;

class DeleteDialog : public OnEachEngine<HostScenario> {
 protected:
  void in_deletion(std::function<void(HeadlessFormSite&)> action) {
    if (!main_) main_ = &open_main();
    in_dialog(kDeleteName, std::move(action));
    press(*main_, "BTN_CANCMULTIPLA");
  }
  HeadlessFormSite* main_ = nullptr;
};

TEST_P(DeleteDialog, DeletionAsksWithBothCountsAndSparesAllocatedDays) {
  call_for_planned_activity();
  responder_.push_answer(standin::box::kNo);
  responder_.push_answer(standin::box::kYes);
  in_deletion([](HeadlessFormSite& s) {
    delete_range(s, "02/03/2026", "06/03/2026", "1");  // 4 and 5 March carry allocations
    EXPECT_FALSE(s.closed());                          // declined
    click(s, "BTN_CONFERMA");
    EXPECT_TRUE(s.closed());
  });
  EXPECT_TRUE(failures().empty());
  const std::string question =
      "Saranno eliminate 3 date. \r\n"
      "Altre 2 date non saranno eliminate perchè per esse esistono risorse allocate.\r\n"
      "Proseguire?";
  ASSERT_EQ(messages().size(), 3u);
  for (int i : {0, 1}) {
    EXPECT_EQ(messages()[i].number, 0);
    EXPECT_EQ(messages()[i].text, question);
    EXPECT_EQ(messages()[i].style, 68);
    EXPECT_EQ(messages()[i].title, kDeleteCaption);
  }
  EXPECT_EQ(messages()[2].number, 42123);
  EXPECT_EQ(dates_of(kLinkPlanned), (std::vector<std::string>{"2026-03-04", "2026-03-05", "2026-03-09"}));
  EXPECT_TRUE(class_->ModificatoDati());
  EXPECT_EQ(count("SELECT COUNT(*) FROM PD4H_ALLRISPROG"), 3);

  // Five dates, their allocations asked at each press.
  EXPECT_EQ(sql_->starting_with("SELECT COUNT(PD4H_IDCALENDARIO_PD4G) AS NRRIS").size(), 10u);
  EXPECT_EQ(sql_->count_containing(
                " SELECT PD4G_CALENDATT.*  FROM PD4G_CALENDATT  WHERE PD4G_DITTA_CG18 = 1  AND "
                "PD4G_IDDISBAPROG_PD0G = 101 AND PD4G_IDLEGAME_PD0H = 1001 AND PD4G_DATAATTIVITA "
                "IN ('2026-03-02', '2026-03-03', '2026-03-06')"),
            2u);
  EXPECT_EQ(sql_->starting_with("DELETE"),
            (std::vector<std::string>{
                "DELETE FROM PD4G_CALENDATT  WHERE PD4G_DITTA_CG18 = 1  AND PD4G_IDDISBAPROG_PD0G "
                "= 101 AND PD4G_IDLEGAME_PD0H = 1001 AND PD4G_DATAATTIVITA IN ('2026-03-02', "
                "'2026-03-03', '2026-03-06')"}));
}

// A range without days says so, one whose days all carry allocations says that, and the dialog stays
// open; the question then counts only the days that exist, on one line when no date is spared.
TEST_P(DeleteDialog, DeletionCountsOnlyTheDaysThatExist) {
  call_for_planned_activity();
  responder_.push_answer(standin::box::kYes);
  in_deletion([](HeadlessFormSite& s) {
    delete_range(s, "20/03/2026", "25/03/2026", "1");
    delete_range(s, "04/03/2026", "05/03/2026", "1");
    delete_range(s, "05/03/2026", "05/03/2026", "1");  // one spared date, and nothing else
    EXPECT_FALSE(s.closed());
    click(s, "BTN_ANNULLA");
  });
  EXPECT_TRUE(sql_->starting_with("DELETE").empty());
  EXPECT_FALSE(class_->ModificatoDati());
  // 6, 8 and 10 March are walked and none carries allocations; only 6 March has a day.
  in_deletion([](HeadlessFormSite& s) { delete_range(s, "06/03/2026", "10/03/2026", "2"); });
  const std::string all_spared =
      "Per tutte le date selezionate esistono risorse allocate.\r\nNon verrà effettuata alcuna eliminazione.";
  ASSERT_EQ(messages().size(), 5u);
  EXPECT_EQ(messages()[0].text, "Non sono presenti date da eliminare.");
  EXPECT_EQ(messages()[1].text, all_spared);
  EXPECT_EQ(messages()[2].text, all_spared);
  for (int i : {0, 1}) {
    EXPECT_EQ(messages()[i].number, 0);
    EXPECT_EQ(messages()[i].style, 64);
  }
  EXPECT_EQ(messages()[3].text, "Saranno eliminate 1 date. Proseguire?");
  EXPECT_EQ(messages()[4].number, 42123);
  EXPECT_EQ(dates_of(kLinkPlanned),
            (std::vector<std::string>{"2026-03-02", "2026-03-03", "2026-03-04", "2026-03-05", "2026-03-09"}));
  // The other activity's and the other company's days of the same dates stay.
  EXPECT_EQ(count("SELECT COUNT(*) FROM PD4G_CALENDATT"), 8);
}

TEST_P(DeleteDialog, DeletionDialogRefusesInputLikeTheInsertionDialog) {
  call_for_planned_activity();
  in_deletion([](HeadlessFormSite& s) {
    type_date(s, "TXT_DATAINIZIALE", "01/04/2026");
    EXPECT_FALSE(leave(s));
    type_date(s, "TXT_DATAINIZIALE", "09/03/2026");
    delete_range(s, "09/03/2026", "02/03/2026", "1");
    EXPECT_EQ(s.focused_name(), "TXT_DATAFINALE");
    s.numeric("TXT_CANCELLAOGNI")->set_Text("1000");
    s.date("TXT_DATAFINALE")->set_Text("10/03/2026");
    click(s, "BTN_CONFERMA");
    click(s, "BTN_ANNULLA");
  });
  EXPECT_EQ(message_numbers(), (std::vector<std::int32_t>{77195, 34941, 29648}));
  EXPECT_EQ(count("SELECT COUNT(*) FROM PD4G_CALENDATT"), 9);
}

TEST_P(DeleteDialog, DeletionGoesOnWithAnEmptiedActivityField) {
  responder_.push_answer(standin::box::kYes);
  in_deletion([](HeadlessFormSite& s) {
    type(s, "TXT_CODPROG", "PRJ001");
    type(s, "TXT_CODNODO", "N01");
    type(s, "TXT_CODATTIVITA", "ATT01");
    ASSERT_TRUE(s.code("TXT_CODATTIVITA")->leave());
    // The resolved activity in the deletion dialog gives the start date the focus.
    EXPECT_EQ(s.focused_name(), "TXT_DATAINIZIALE");
    type_date(s, "TXT_DATAINIZIALE", "09/03/2026");
    // Another node empties the activity; the activity resolved before stays the one the range works on,
    // and the empty activity field does not make the input invalid.
    type(s, "TXT_CODNODO", "N02");
    EXPECT_EQ(s.code("TXT_CODATTIVITA")->Text(), "");
    delete_range(s, "09/03/2026", "09/03/2026", "1");
  });
  EXPECT_EQ(message_numbers(), (std::vector<std::int32_t>{0, 42123}));
  EXPECT_EQ(dates_of(kLinkPlanned).back(), "2026-03-06");
}

// The allocation query of one date fails: Retry asks again, Ignore leaves that date out of both counts,
// Abort leaves the confirmation with nothing deleted and the dialog open.
TEST_P(DeleteDialog, AFailingAllocationQueryIsRetriedLeftOutOrAbandoned) {
  call_for_planned_activity();
  const std::string third_of_march = "PD4G_DATAATTIVITA = '2026-03-03'";
  const std::pair<int, std::vector<std::string>> cases[] = {
      {standin::box::kAbort,
       {"2026-03-02", "2026-03-03", "2026-03-04", "2026-03-05", "2026-03-06", "2026-03-09"}},
      {standin::box::kIgnore, {"2026-03-03", "2026-03-04", "2026-03-05", "2026-03-09"}},
      {standin::box::kRetry, {"2026-03-04", "2026-03-05", "2026-03-09"}},
  };
  for (const auto& [answer, kept] : cases) {
    SCOPED_TRACE(answer);
    if (answer == standin::box::kRetry)
      raw_->exec(
          "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
          "PD4G_DATAATTIVITA) VALUES (1, 101, 1001, '2026-03-02')");
    responder_.clear_record();
    responder_.push_answer(answer);
    if (answer != standin::box::kAbort) responder_.push_answer(standin::box::kYes);
    in_deletion([&, answer = answer](HeadlessFormSite& s) {
      fail_next(third_of_march);
      delete_range(s, "02/03/2026", "06/03/2026", "1");
      sql_->fail_when = nullptr;
      EXPECT_EQ(s.closed(), answer != standin::box::kAbort);
      if (!s.closed()) click(s, "BTN_ANNULLA");
    });
    ASSERT_EQ(responder_.reports().size(), 1u);
    EXPECT_EQ(responder_.reports()[0].routine, "BTN_CONFERMA_ButtonClick");
    EXPECT_EQ(dates_of(kLinkPlanned), kept);
    if (answer == standin::box::kIgnore) {
      ASSERT_EQ(messages().size(), 2u);
      EXPECT_EQ(messages()[0].text,
                "Saranno eliminate 2 date. \r\n"
                "Altre 2 date non saranno eliminate perchè per esse esistono risorse allocate.\r\n"
                "Proseguire?");
    }
  }
}

// The list of dates to delete has a 16-bit count: a range of more than 32767 deletable dates (the two
// with allocations are spared, not listed) is a reported failure, and nothing is deleted.
TEST_P(DeleteDialog, MoreThan32767DatesToDeleteIsAReportedFailure) {
  call_for("PRJ001", "N01", "ATT01", database::demo::kNodeDesign, kLinkPlanned, "2000-01-01", "2099-12-31");
  runtime::Date first = *runtime::parse_date("2000-01-01");
  responder_.push_answer(standin::box::kAbort);
  in_deletion([&](HeadlessFormSite& s) {
    delete_range(s, "01/01/2000", runtime::date_text(first.add_days(32769)), "1");  // 32768 listed
    EXPECT_FALSE(s.closed());
    click(s, "BTN_ANNULLA");
  });
  ASSERT_EQ(responder_.reports().size(), 1u);
  EXPECT_EQ(responder_.reports()[0].routine, "BTN_CONFERMA_ButtonClick");
  EXPECT_EQ(responder_.reports()[0].error.number, 6);
  EXPECT_TRUE(messages().empty());
  EXPECT_TRUE(sql_->starting_with("DELETE").empty());
  EXPECT_EQ(count("SELECT COUNT(*) FROM PD4G_CALENDATT"), 9);
}

CALENDATT_ON_EACH_ENGINE(DeleteDialog);

}  // namespace
}  // namespace calendatt::testing
