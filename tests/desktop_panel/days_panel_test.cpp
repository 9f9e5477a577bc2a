// The side panel of the activity's days in the desktop's main window, driven as a person drives it on a
// scratch demo database: it follows the activity chosen in the calendar, and after a save, a deletion and
// a bulk run it shows what the database holds.
#include <QAction>
#include <QLabel>
#include <QTableWidget>

#include "database/demo.hpp"
#include "desktop/days_panel.hpp"
#include "desktop/desktop_fixture.hpp"

class DaysPanelTest : public DesktopFixture {
  Q_OBJECT

 private slots:
  void init() { make_scratch(); }
  void cleanup() { drop_scratch(); }
  void followsTheActivityThroughSaveDeleteAndBulkRuns();
  void staysWhileEditingMarksResourcesAndTakesToADay();

 private:
  // Opens the window and shows the panel, hidden until the person shows it from the Record menu.
  void open_on() {
    open_host({}, 1400);
    QVERIFY(host_->days_panel() && !panel().isVisible());
    panel().toggleViewAction()->trigger();
    QVERIFY(panel().isVisible());
    host_->refresh_status();
  }
  desktop::DaysPanel& panel() { return *host_->days_panel(); }
  // The panel lists the link's days the database holds, and its last totals row counts them.
  void shows_the_stored_days(int link, const char* when) {
    auto db = scratch_db();
    auto rs = db->Execute(
        "SELECT COUNT(*) AS N, COALESCE(SUM(PD4G_DURATAORE * 60 + PD4G_DURATAMINUTI), 0) AS M FROM "
        "PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 1 AND PD4G_IDLEGAME_PD0H = " +
            std::to_string(link),
        host::kAdCmdText);
    const int days = rs->Field("N").to_long(), minutes = rs->Field("M").to_long();
    // After a bulk run it follows by itself, on the host's timer.
    QTRY_COMPARE(panel().days_table()->rowCount(), days);
    auto* totals = panel().totals_table();
    const int last = totals->rowCount() - 1;
    QVERIFY2(last >= 0, when);
    const QStringList shown = {totals->item(last, 1)->text(), totals->item(last, 2)->text()};
    QCOMPARE(shown, (QStringList{QString::number(days),
                                 QString("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar('0'))}));
  }
};

void DaysPanelTest::followsTheActivityThroughSaveDeleteAndBulkRuns() {
  open_on();
  QVERIFY(!panel().has_activity());
  QCOMPARE(panel().heading()->text(), QString("Nessuna attività scelta nel calendario."));

  // A day saved for ATT01: the panel shows the activity with it.
  pick_day(QDate(2026, 3, 10));
  press("new");
  enter_codes(main());
  type("5");
  press("save");
  QVERIFY(panel().has_activity());
  QVERIFY2(panel().heading()->text().startsWith("PRJ001 / N01 / ATT01\nPeriodo di pianificazione: "
                                                "01/03/2026 - 31/03/2026"),
           qPrintable(panel().heading()->text()));
  shows_the_stored_days(database::demo::kLinkPlanned, "after the save");
  const auto* days = panel().days_table();
  QCOMPARE(days->findItems("10/03/2026", Qt::MatchExactly).size(), 1);
  const int row = days->findItems("10/03/2026", Qt::MatchExactly)[0]->row();
  QCOMPARE(days->item(row, 1)->text() + " " + days->item(row, 2)->text(), QString("mar 5:00"));

  // The day deleted from the navigator, then a bulk run of the insertion dialog: the panel follows.
  answer_next_box(standin::box::kYes);
  press("delete");
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10'"), 0);
  shows_the_stored_days(database::demo::kLinkPlanned, "after the deletion");
  in_dialog("BTN_INSMULTIPLO", "FRMPD_ADDCALENDATT", [&](QtFormSite& d) {
    enter_codes(d);
    fill({"16/03/2026", "20/03/2026", "1", "2", "0"});
    answer_next_box(standin::box::kOk);
    click_button(d, "BTN_CONFERMA");
  });
  QCOMPARE(count("PD4G_IDLEGAME_PD0H = 1001 AND PD4G_DATAATTIVITA BETWEEN '2026-03-16' AND '2026-03-20'"), 5);
  shows_the_stored_days(database::demo::kLinkPlanned, "after the bulk run");

  // The row of another activity chosen in the grid: the panel shows that activity.
  pick_day(QDate(2026, 3, 2));
  auto found = grid()->findItems("MAN01", Qt::MatchExactly);
  QCOMPARE(found.size(), 1);
  click(grid()->viewport(), grid()->visualItemRect(grid()->item(found[0]->row(), 0)).center());
  host_->refresh_status();
  QVERIFY2(panel().heading()->text().startsWith("PRJ002 / M01 / MAN01\n"),
           qPrintable(panel().heading()->text()));
  shows_the_stored_days(database::demo::kLinkMaintenance, "on the other activity");
}

void DaysPanelTest::staysWhileEditingMarksResourcesAndTakesToADay() {
  open_on();
  pick_day(QDate(2026, 3, 2));
  // The hours of the day's stored row being changed: the panel stays on its activity.
  type_into(field("TXT_ORE"), "5");
  host_->refresh_status();
  QVERIFY2(panel().heading()->text().startsWith("PRJ001 / N01 / ATT01\n"),
           qPrintable(panel().heading()->text()));
  press("cancel");
  // The days with resources allocated say so, whole within the panel, the others do not.
  auto* days = panel().days_table();
  auto note = [&](const char* day) {
    const auto found = days->findItems(day, Qt::MatchExactly);
    if (found.size() != 1) return QString("no line");
    const auto* item = days->item(found[0]->row(), 3);
    const int right = days->columnViewportPosition(3) + days->fontMetrics().horizontalAdvance(item->text());
    return right > days->viewport()->width() ? "cut: " + item->text() : item->text() + "|" + item->toolTip();
  };
  QCOMPARE((QStringList{note("02/03/2026"), note("04/03/2026"), note("05/03/2026")}),
           (QStringList{"|", "risorse|risorse allocate", "risorse|risorse allocate"}));
  // A double-click on a day: the calendar and the grid go there.
  const auto line = days->findItems("05/03/2026", Qt::MatchExactly)[0]->row();
  const QPoint at = days->visualItemRect(days->item(line, 0)).center();
  QTest::mousePress(days->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(days->viewport(), Qt::LeftButton, {}, at);
  QCOMPARE(calendar()->selectedDate(), QDate(2026, 3, 5));
  QCOMPARE(grid()->item(0, 3)->text(), QString("05/03/2026"));
}

QTEST_MAIN(DaysPanelTest)
#include "days_panel_test.moc"
