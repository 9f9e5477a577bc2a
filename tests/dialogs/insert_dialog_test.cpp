// The insertion dialog opened from the calendar window's toolbar: its opening and closing, its field
// checks, and the generation of calendar days with the three treatments of existing days. With the host's
// contract a message's text is the dictionary's: the cases check numbers, styles and titles.
#include "runtime/system.hpp"
#include "standin/navigator.hpp"
#include "standin/wbs_services.hpp"
#include "support/scenario_host.hpp"

namespace calendatt::testing {
namespace {

using database::demo::kLinkPlanned;

const std::vector<std::string> kDemoDates = {"2026-03-02", "2026-03-03", "2026-03-04",
                                             "2026-03-05", "2026-03-06", "2026-03-09"};

std::vector<std::string> with_demo(std::vector<std::string> added) {
  added.insert(added.end(), kDemoDates.begin(), kDemoDates.end());
  std::sort(added.begin(), added.end());
  return added;
}

class InsertDialog : public OnEachEngine<HostScenario> {
 protected:
  void in_insertion(std::function<void(HeadlessFormSite&)> action) {
    if (!main_) main_ = &open_main();
    in_dialog(kInsertName, std::move(action));
    press(*main_, "BTN_INSMULTIPLO");
  }
  // Generates a range and lets the dialog close (or stay open, when refused).
  void generate_range(const std::string& from, const std::string& to, const std::string& every,
                      const std::string& hours, const std::string& minutes, int treatment) {
    in_insertion([=](HeadlessFormSite& s) {
      generate(s, from, to, every, hours, minutes, treatment);
      if (!s.closed()) click(s, "BTN_ANNULLA");
    });
  }
  std::vector<StoredDay> days_from(const std::string& iso) const {
    std::vector<StoredDay> out;
    for (const auto& d : days_of(kLinkPlanned))
      if (d.date >= iso) out.push_back(d);
    return out;
  }
  HeadlessFormSite* main_ = nullptr;
};

TEST_P(InsertDialog, InsertDialogOpensOnThePresetActivityAndCancelChangesNothing) {
  call_for_planned_activity();
  auto& main = open_main();
  auto script = std::make_shared<standin::StandinScriptObject>();
  env_->navigator()->set_ClsScript(script);
  env_->navigator()->clear_calls();
  std::vector<std::string> traces;
  int listener = runtime::add_debug_listener([&](const std::string& line) {
    const std::string tail = "|MERIDAL|FRMPD_ADDCALENDATT";
    if (line.size() > tail.size() + 4 && line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
      traces.push_back(line.substr(line.size() - tail.size() - 3, 3));
  });
  std::shared_ptr<host::Connection> during;
  in_dialog(kInsertName, [&](HeadlessFormSite& s) {
    EXPECT_EQ(s.Caption(), kInsertCaption);
    for (auto [field, code] :
         {std::pair{"TXT_CODPROG", "PRJ001"}, {"TXT_CODNODO", "N01"}, {"TXT_CODATTIVITA", "ATT01"}}) {
      EXPECT_EQ(s.code(field)->Text(), code);
      EXPECT_FALSE(s.code(field)->Enabled()) << field;
    }
    EXPECT_EQ(s.combo("CBO_VARPRESENTI")->ListCount(), 3);  // the three treatments, the first chosen
    EXPECT_EQ(s.combo("CBO_VARPRESENTI")->Value(), "0");
    during = module_->Cinterface_Connection();
    click(s, "BTN_ANNULLA");
    EXPECT_TRUE(s.closed());
  });
  press(main, "BTN_INSMULTIPLO");
  EXPECT_TRUE(failures().empty());
  EXPECT_FALSE(class_->ModificatoDati());
  EXPECT_EQ(dates_of(kLinkPlanned), kDemoDates);
  // The dialog worked on a connection of its own and let the contract's slot go when it unloaded.
  ASSERT_TRUE(during);
  EXPECT_NE(during, class_->window()->connection());
  EXPECT_EQ(module_->Cinterface_Connection(), nullptr);
  const auto& calls = env_->navigator()->calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0] + " " + calls[1], "Activate OpenProgram");
  ASSERT_EQ(script->notifications().size(), 1u);
  EXPECT_EQ(script->notifications()[0].name, kInsertName);
  EXPECT_TRUE(script->notifications()[0].open);

  // The close box cancels as well; the dialog object is kept and shown again.
  in_dialog(kInsertName, [](HeadlessFormSite&) {});
  press(main, "BTN_INSMULTIPLO");
  EXPECT_TRUE(failures().empty());
  EXPECT_FALSE(class_->ModificatoDati());
  module_->Cinterface_CloseForm();
  runtime::remove_debug_listener(listener);
  EXPECT_EQ(traces, (std::vector<std::string>{"INI", "TER"}));
}

TEST_P(InsertDialog, GenerationWalksEveryNDaysWithTheEndInclusive) {
  call_for_planned_activity();
  generate_range("10/03/2026", "19/03/2026", "3", "7", "30", 0);
  EXPECT_TRUE(failures().empty());
  EXPECT_TRUE(class_->ModificatoDati());
  ASSERT_EQ(message_numbers(), (std::vector<std::int32_t>{42123}));
  EXPECT_EQ(messages()[0].style, 64);
  EXPECT_EQ(messages()[0].title, kInsertCaption);
  // A generated day runs from 0:00 to the duration; the fields hold the duration as two digits.
  EXPECT_EQ(days_from("2026-03-10"),
            (std::vector<StoredDay>{{"2026-03-10", 2026, 3, 10, 0, 0, 7, 30, 7, 30},
                                    {"2026-03-13", 2026, 3, 13, 0, 0, 7, 30, 7, 30},
                                    {"2026-03-16", 2026, 3, 16, 0, 0, 7, 30, 7, 30},
                                    {"2026-03-19", 2026, 3, 19, 0, 0, 7, 30, 7, 30}}));
  // The conflict check asks once for every date; each date then gets its own query and insert.
  auto conflict =
      sql_->starting_with(" SELECT PD4G_CALENDATT.*  FROM PD4G_CALENDATT  WHERE PD4G_DITTA_CG18 = 1 \r\n");
  ASSERT_EQ(conflict.size(), 5u);
  EXPECT_TRUE(
      conflict[0].ends_with("PD4G_DATAATTIVITA IN ('2026-03-10', '2026-03-13', '2026-03-16', '2026-03-19')"));
  EXPECT_EQ(sql_->starting_with("INSERT INTO PD4G_CALENDATT").size(), 4u);

  // An end that a step overshoots is not reached; a start equal to the end gives that date alone.
  generate_range("20/03/2026", "30/03/2026", "4", "1", "0", 0);
  generate_range("31/03/2026", "31/03/2026", "999", "1", "0", 0);
  EXPECT_EQ(dates_of(kLinkPlanned), with_demo({"2026-03-10", "2026-03-13", "2026-03-16", "2026-03-19",
                                               "2026-03-20", "2026-03-24", "2026-03-28", "2026-03-31"}));
}

// Annulla operazione writes nothing when a date exists and keeps the dialog open; Tralascia keeps the days
// that exist; Sovrascrivi rewrites them from 0:00.
TEST_P(InsertDialog, TheThreeTreatmentsOfTheDaysThatExist) {
  call_for_planned_activity();
  in_insertion([](HeadlessFormSite& s) {
    generate(s, "01/03/2026", "10/03/2026", "3", "2", "0", 0);  // 4 March exists
    EXPECT_FALSE(s.closed());
    click(s, "BTN_ANNULLA");
  });
  ASSERT_EQ(message_numbers(), (std::vector<std::int32_t>{77201}));
  EXPECT_EQ(dates_of(kLinkPlanned), kDemoDates);
  EXPECT_FALSE(class_->ModificatoDati());

  responder_.clear_record();
  generate_range("08/03/2026", "10/03/2026", "1", "2", "15", 1);
  EXPECT_EQ(message_numbers(), (std::vector<std::int32_t>{42123}));
  auto days = days_of(kLinkPlanned);
  ASSERT_EQ(days.size(), 8u);
  EXPECT_EQ(days[5], (StoredDay{"2026-03-08", 2026, 3, 8, 0, 0, 2, 15, 2, 15}));
  EXPECT_EQ(days[6], (StoredDay{"2026-03-09", 2026, 3, 9, 0, 0, 4, 30, 4, 30}));  // left as it was
  EXPECT_TRUE(sql_->starting_with("UPDATE").empty());

  // Every date existing: nothing is written, and the work still counts as done.
  class_->let_ModificatoDati(false);
  generate_range("02/03/2026", "03/03/2026", "1", "1", "0", 1);
  EXPECT_TRUE(sql_->starting_with("INSERT").empty());
  EXPECT_EQ(message_numbers().back(), 42123);
  EXPECT_TRUE(class_->ModificatoDati());

  // Sovrascrivi: the existing days take the new duration from 0:00, the others are inserted.
  raw_->exec("UPDATE PD4G_CALENDATT SET PD4G_ORAINIZIO = 9, PD4G_GGATTIVITA = 0 WHERE PD4G_IDCALENDARIO = 6");
  generate_range("09/03/2026", "11/03/2026", "1", "3", "45", 2);
  EXPECT_EQ(days_from("2026-03-09"),
            (std::vector<StoredDay>{{"2026-03-09", 2026, 3, 9, 0, 0, 3, 45, 3, 45},
                                    {"2026-03-10", 2026, 3, 10, 0, 0, 3, 45, 3, 45},
                                    {"2026-03-11", 2026, 3, 11, 0, 0, 3, 45, 3, 45}}));
  auto updates = sql_->starting_with("UPDATE PD4G_CALENDATT");
  ASSERT_EQ(updates.size(), 2u);
  EXPECT_EQ(updates[0],
            "UPDATE PD4G_CALENDATT SET   PD4G_ANNOATTIVITA=2026,  PD4G_MESEATTIVITA=3,  PD4G_GGATTIVITA=9,  "
            "PD4G_ORAINIZIO=0,  PD4G_MININIZIO=0,  PD4G_ORAFINE=03,  PD4G_MINFINE=45,  PD4G_DURATAORE=03,  "
            "PD4G_DURATAMINUTI=45 WHERE PD4G_DITTA_CG18  = 1  AND PD4G_IDDISBAPROG_PD0G = 101 AND "
            "PD4G_IDLEGAME_PD0H = 1001AND PD4G_DATAATTIVITA = '2026-03-09'");
  // The other company's day of the same date is untouched.
  EXPECT_EQ(count("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 2"), 2);
}

TEST_P(InsertDialog, ConfirmRefusesInvalidInput) {
  call_for_planned_activity();
  in_insertion([&](HeadlessFormSite& s) {
    // A start before the planning start, in a field never left: the input check still refuses it.
    type_date(s, "TXT_DATAFINALE", "10/03/2026");
    type_number(s, "TXT_RIPETIOGNI", "1");
    type(s, "TXT_ORE", "1");
    type(s, "TXT_MINUTI", "0");
    type_date(s, "TXT_DATAINIZIALE", "28/02/2026");
    click(s, "BTN_CONFERMA");
    s.date("TXT_DATAINIZIALE")->set_Text("12/03/2026");
    click(s, "BTN_CONFERMA");
    EXPECT_EQ(s.focused_name(), "TXT_DATAFINALE");
    EXPECT_TRUE(s.date("TXT_DATAFINALE")->text_selected());
    s.date("TXT_DATAINIZIALE")->set_Text("05/03/2026");
    s.numeric("TXT_RIPETIOGNI")->set_Text("");
    click(s, "BTN_CONFERMA");
    // An end after the planning end, in a field never left.
    s.numeric("TXT_RIPETIOGNI")->set_Text("1");
    s.date("TXT_DATAINIZIALE")->set_Text("30/03/2026");
    type_date(s, "TXT_DATAFINALE", "02/04/2026");
    click(s, "BTN_CONFERMA");
    EXPECT_FALSE(s.closed());
    click(s, "BTN_ANNULLA");
  });
  EXPECT_EQ(message_numbers(), (std::vector<std::int32_t>{29648, 34941, 29648, 29648}));
  EXPECT_EQ(dates_of(kLinkPlanned), kDemoDates);
}

// A decode service whose host has since closed one kind of code ("project", "node" or "activity").
class ClosingDecode : public standin::StandinDecodeService {
 public:
  static inline std::string closed;
  bool ProjectRejected(const std::string& project) override {
    return closed == "project" || StandinDecodeService::ProjectRejected(project);
  }
  bool NodeRejected(const std::string& project, const std::string& node) override {
    return closed == "node" || StandinDecodeService::NodeRejected(project, node);
  }
  bool ActivityRejected(const std::string& project, const std::string& activity) override {
    return closed == "activity" || StandinDecodeService::ActivityRejected(project, activity);
  }
};

// At the confirmation each code is asked of the decode service again, on its own: one that is no longer
// found since the dialog resolved it is refused.
TEST_P(InsertDialog, ConfirmRefusesACodeTheDecodeNoLongerFinds) {
  env_->add_class(host::progid::kDecode, [] { return std::make_shared<ClosingDecode>(); });
  for (const char* kind : {"project", "node", "activity"}) {
    SCOPED_TRACE(kind);
    responder_.clear_record();
    in_insertion([&](HeadlessFormSite& s) {
      type(s, "TXT_CODPROG", "PRJ001");
      type(s, "TXT_CODNODO", "N01");
      type(s, "TXT_CODATTIVITA", "ATT01");
      ASSERT_TRUE(leave(s));
      ASSERT_TRUE(s.control("BTN_CONFERMA")->Enabled());
      ClosingDecode::closed = kind;
      generate(s, "20/03/2026", "21/03/2026", "1", "1", "0", 0);
      ClosingDecode::closed.clear();
      click(s, "BTN_ANNULLA");
    });
    EXPECT_EQ(message_numbers(), (std::vector<std::int32_t>{29648}));
  }
  EXPECT_EQ(dates_of(kLinkPlanned), kDemoDates);
}

// A duration field still blank at the confirmation writes 0: days of 0:00 to 0:00.
TEST_P(InsertDialog, BlankHoursOrMinutesGenerateDaysOfNoTime) {
  call_for_planned_activity();
  // The field typed first is checked when left and holds "00"; the one typed last is still blank when
  // Conferma is pressed.
  const std::pair<const char*, const char*> orders[] = {{"TXT_ORE", "TXT_MINUTI"}, {"TXT_MINUTI", "TXT_ORE"}};
  for (const auto& [first, last] : orders) {
    const std::string day = first == std::string("TXT_ORE") ? "20/03/2026" : "21/03/2026";
    in_insertion([&, first = first, last = last](HeadlessFormSite& s) {
      type(s, first, "");
      type_date(s, "TXT_DATAINIZIALE", day);
      type_date(s, "TXT_DATAFINALE", day);
      type_number(s, "TXT_RIPETIOGNI", "1");
      type(s, last, "");
      EXPECT_EQ(s.code(first)->Text(), "00");
      click(s, "BTN_CONFERMA");
    });
  }
  EXPECT_EQ(message_numbers(), (std::vector<std::int32_t>{42123, 42123}));
  EXPECT_EQ(days_from("2026-03-20"), (std::vector<StoredDay>{{"2026-03-20", 2026, 3, 20, 0, 0, 0, 0, 0, 0},
                                                             {"2026-03-21", 2026, 3, 21, 0, 0, 0, 0, 0, 0}}));
}

// The date fields keep the planning period when left, and the duration fields check the pair and write
// two digits.
TEST_P(InsertDialog, DateAndDurationFieldsCheckWhatIsTypedWhenLeft) {
  call_for_planned_activity();
  in_insertion([&](HeadlessFormSite& s) {
    type_date(s, "TXT_DATAINIZIALE", "28/02/2026");
    EXPECT_FALSE(leave(s));
    EXPECT_EQ(s.focused_name(), "TXT_DATAINIZIALE");
    type_date(s, "TXT_DATAINIZIALE", "31/02/2026");  // not a date: the field itself refuses it
    EXPECT_FALSE(leave(s));
    type_date(s, "TXT_DATAINIZIALE", "01/03/2026");  // the bound itself is accepted
    EXPECT_TRUE(leave(s));
    type_date(s, "TXT_DATAFINALE", "01/04/2026");
    EXPECT_FALSE(leave(s));
    type_date(s, "TXT_DATAFINALE", "27/02/2026");  // the end field checks the start bound second
    EXPECT_FALSE(leave(s));
    type_date(s, "TXT_DATAFINALE", "31/03/2026");
    EXPECT_TRUE(leave(s));

    // The duration fields use the calendar window's check (tests/window/hours_test.cpp).
    type(s, "TXT_ORE", "25");
    EXPECT_FALSE(leave(s));
    type(s, "TXT_ORE", "8");
    EXPECT_TRUE(leave(s));
    EXPECT_EQ(s.code("TXT_ORE")->Text(), "08");
    type(s, "TXT_MINUTI", "75");
    EXPECT_FALSE(leave(s));
    EXPECT_EQ(s.focused_name(), "TXT_MINUTI");
    click(s, "BTN_ANNULLA");
  });
  ASSERT_EQ(message_numbers(), (std::vector<std::int32_t>{77194, 0, 77195, 77194, 77202, 77204}));
  // The bound is the message's parameter; the field's own notice names the text.
  EXPECT_EQ(messages()[0].text, "Non sono ammesse date inferiori al 01/03/2026");
  EXPECT_EQ(messages()[0].style, 48);
  EXPECT_EQ(messages()[0].title, kInsertCaption);
  EXPECT_EQ(messages()[1].text, "Data non valida: 31/02/2026");
  EXPECT_EQ(messages()[2].text, "Non sono ammesse date superiori al 31/03/2026");
}

TEST_P(InsertDialog, MoreThan32767DatesIsAReportedFailure) {
  call_for("PRJ001", "N01", "ATT01", database::demo::kNodeDesign, kLinkPlanned, "2000-01-01", "2099-12-31");
  runtime::Date first = *runtime::parse_date("2000-01-01");
  responder_.push_answer(standin::box::kRetry);
  responder_.push_answer(standin::box::kAbort);
  generate_range("01/01/2000", runtime::date_text(first.add_days(32767)), "1", "1", "0", 1);  // 32768 dates
  ASSERT_EQ(responder_.reports().size(), 2u);
  for (const auto& report : responder_.reports()) {
    EXPECT_EQ(report.routine, "BTN_CONFERMA_ButtonClick");
    EXPECT_EQ(report.error.number, 6);
    EXPECT_EQ(report.caption, kInsertCaption);
  }
  EXPECT_TRUE(sql_->starting_with("INSERT").empty());
  EXPECT_EQ(dates_of(kLinkPlanned), kDemoDates);
}

TEST_P(InsertDialog, AnAbandonedLoadReachesTheToolbarButton) {
  call_for_planned_activity();
  auto& main = open_main();
  env_->global()->set_ConnectionString(db_->missing_connection_string());
  responder_.push_answer(standin::box::kAbort);  // the dialog's load
  responder_.push_answer(standin::box::kAbort);  // the calendar window's button
  press(main, "BTN_INSMULTIPLO");
  ASSERT_EQ(responder_.reports().size(), 2u);
  EXPECT_EQ(responder_.reports()[0].routine + " " + responder_.reports()[1].routine,
            "Form_Load BTN_INSMULTIPLO_ButtonClick");
  EXPECT_EQ(responder_.reports()[0].caption, kInsertCaption);
  EXPECT_EQ(env_->forms()->site(kInsertName), nullptr);
  EXPECT_FALSE(class_->ModificatoDati());
}

// The database refuses one day (a trigger of the engine, so the statement really fails inside it).
void refuse_day(RawAccess& raw, Engine engine, const std::string& iso) {
  if (engine == Engine::SQLite) {
    raw.exec("CREATE TRIGGER refuse_day BEFORE INSERT ON PD4G_CALENDATT WHEN NEW.PD4G_DATAATTIVITA = '" +
             iso + "' BEGIN SELECT RAISE(ABORT, 'day refused'); END");
  } else {
    raw.exec(
        "CREATE FUNCTION refuse_day() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF "
        "NEW.pd4g_dataattivita = DATE '" +
        iso +
        "' THEN RAISE EXCEPTION 'day refused'; END IF; RETURN NEW; END $$; CREATE TRIGGER refuse_day "
        "BEFORE INSERT ON pd4g_calendatt FOR EACH ROW EXECUTE FUNCTION refuse_day()");
  }
}

void accept_days(RawAccess& raw, Engine engine) {
  raw.exec(engine == Engine::SQLite
               ? "DROP TRIGGER refuse_day"
               : "DROP TRIGGER refuse_day ON pd4g_calendatt; DROP FUNCTION refuse_day()");
}

// While the report is shown, another user of the database sees every day written before the failed one:
// Retry (after the person removed the cause) writes the same day and the rest; Ignore leaves the refused
// day out and keeps the days on either side of it.
TEST_P(InsertDialog, AnEngineErrorMidGenerationShowsTheDaysBeforeItAndUndoesOnlyItsOwnDay) {
  call_for_planned_activity();
  refuse_day(*raw_, engine(), "2026-03-12");
  std::vector<std::string> at_report;
  responder_.push_answer(runtime::kRetry, [&] {
    at_report = dates_of(kLinkPlanned);
    accept_days(*raw_, engine());
  });
  generate_range("10/03/2026", "14/03/2026", "1", "6", "0", 0);
  ASSERT_EQ(responder_.reports().size(), 1u);
  EXPECT_EQ(responder_.reports()[0].routine, "BTN_CONFERMA_ButtonClick");
  EXPECT_NE(responder_.reports()[0].error.description.find("day refused"), std::string::npos);
  EXPECT_EQ(at_report, with_demo({"2026-03-10", "2026-03-11"}));
  EXPECT_EQ(dates_of(kLinkPlanned),
            with_demo({"2026-03-10", "2026-03-11", "2026-03-12", "2026-03-13", "2026-03-14"}));

  refuse_day(*raw_, engine(), "2026-03-17");
  responder_.push_answer(runtime::kIgnore, [&] { at_report = dates_of(kLinkPlanned); });
  class_->let_ModificatoDati(false);
  generate_range("16/03/2026", "18/03/2026", "1", "6", "0", 0);
  ASSERT_EQ(responder_.reports().size(), 2u);
  EXPECT_EQ(at_report,
            with_demo({"2026-03-10", "2026-03-11", "2026-03-12", "2026-03-13", "2026-03-14", "2026-03-16"}));
  EXPECT_EQ(dates_of(kLinkPlanned), with_demo({"2026-03-10", "2026-03-11", "2026-03-12", "2026-03-13",
                                               "2026-03-14", "2026-03-16", "2026-03-18"}));
  EXPECT_EQ(message_numbers(), (std::vector<std::int32_t>{42123, 42123}));
  EXPECT_TRUE(class_->ModificatoDati());
}

CALENDATT_ON_EACH_ENGINE(InsertDialog);

}  // namespace
}  // namespace calendatt::testing
