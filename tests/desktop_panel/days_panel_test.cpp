// The side panel of the activity's days in the desktop's main window, driven as a person drives it on a
// scratch demo database: it follows the activity chosen in the calendar, and after a save, a deletion and
// a bulk run it shows what the database holds, with the same totals as the command line's report.
#include <QAction>
#include <QLabel>
#include <QTableWidget>

#include "desktop/days_panel.hpp"
#include "desktop/desktop_fixture.hpp"

class DaysPanelTest : public DesktopFixture {
  Q_OBJECT

 private slots:
  void init() { make_scratch(); }
  void cleanup() { drop_scratch(); }
  void followsTheActivityThroughSaveDeleteAndBulkRuns();
  void speaksTheHostsLanguage();

 private:
  void open_host(const std::string& language) {
    desktop::DesktopOptions options;
    options.language = language;
    DesktopFixture::open_host(options, 1400);
    QVERIFY(host_->days_panel());
  }
  desktop::DaysPanel& panel() { return *host_->days_panel(); }
  // The database's own account of the activity's days: how many, and their minutes.
  std::pair<int, int> stored(const std::string& where = "") const;
  // The panel's totals row with that label.
  QStringList totals_row(const QString& label) const;
};

std::pair<int, int> DaysPanelTest::stored(const std::string& where) const {
  auto connection = database::new_connection();
  connection->Open("Provider=SQLite;Data Source=" + db_, "", "", -1);
  auto rs = connection->Execute(
      "SELECT COUNT(*) AS N, COALESCE(SUM(PD4G_DURATAORE * 60 + PD4G_DURATAMINUTI), 0) AS M FROM "
      "PD4G_CALENDATT "
      "WHERE PD4G_DITTA_CG18 = 1 AND PD4G_IDLEGAME_PD0H = 1001 " +
          where,
      host::kAdCmdText);
  std::pair<int, int> out{rs->Field("N").to_long(), rs->Field("M").to_long()};
  rs->Close();
  connection->Close();
  return out;
}

QStringList DaysPanelTest::totals_row(const QString& label) const {
  auto* table = host_->days_panel()->totals_table();
  for (int r = 0; r < table->rowCount(); ++r) {
    if (table->item(r, 0)->text() != label) continue;
    QStringList out;
    for (int c = 0; c < table->columnCount(); ++c) out << table->item(r, c)->text();
    return out;
  }
  return {};
}

void DaysPanelTest::followsTheActivityThroughSaveDeleteAndBulkRuns() {
  open_host("it");
  // Hidden until the person shows it from the Record menu.
  QVERIFY(!panel().isVisible());
  panel().toggleViewAction()->trigger();
  QVERIFY(panel().isVisible());
  host_->refresh_status();
  QVERIFY(!panel().has_activity());
  QCOMPARE(panel().heading()->text(), QString("Nessuna attività scelta nel calendario."));

  // A day saved for ATT01: the panel shows the activity with it.
  pick_day(QDate(2026, 3, 10));
  press("new");
  enter_codes(main());
  type("5");
  press("save");
  QCOMPARE(stored("AND PD4G_DATAATTIVITA = '2026-03-10'").first, 1);
  QVERIFY(panel().has_activity());
  QVERIFY2(
      panel().heading()->text().startsWith("PRJ001 / N01 / ATT01\nPeriodo di pianificazione: 01/03/2026 - "
                                           "31/03/2026"),
      qPrintable(panel().heading()->text()));
  auto [days, minutes] = stored();
  QCOMPARE(panel().days_table()->rowCount(), days);
  QCOMPARE(totals_row("Totale"),
           (QStringList{"Totale", QString::number(days),
                        QString("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar('0'))}));
  QCOMPARE(totals_row("2026-W11"), (QStringList{"2026-W11", "2", "9:30"}));
  bool listed = false;
  for (int r = 0; r < panel().days_table()->rowCount(); ++r)
    if (panel().days_table()->item(r, 0)->text() == "10/03/2026")
      listed = panel().days_table()->item(r, 2)->text() == "5:00" &&
               panel().days_table()->item(r, 1)->text() == "mar";
  QVERIFY(listed);

  // The day deleted from the navigator: gone from the panel at once.
  answer_next_box(standin::box::kYes);
  press("delete");
  QCOMPARE(stored("AND PD4G_DATAATTIVITA = '2026-03-10'").first, 0);
  QCOMPARE(panel().days_table()->rowCount(), 6);
  QCOMPARE(totals_row("Totale"), (QStringList{"Totale", "6", "44:30"}));

  // A bulk run of the insertion dialog: every day from 16 to 20 March. The panel follows by itself once the
  // dialog has closed.
  in_dialog("BTN_INSMULTIPLO", "FRMPD_ADDCALENDATT", [&](QtFormSite& d) {
    enter_codes(d);
    QCOMPARE(focus(), static_cast<QWidget*>(edit(d, "TXT_DATAINIZIALE")));
    fill({"16/03/2026", "20/03/2026", "1", "2", "0"});
    answer_next_box(standin::box::kOk);
    click_button(d, "BTN_CONFERMA");
  });
  QCOMPARE(stored().first, 11);
  QTRY_COMPARE(panel().days_table()->rowCount(), 11);
  QCOMPARE(totals_row("2026-W12"), (QStringList{"2026-W12", "5", "10:00"}));
  QCOMPARE(totals_row("2026-03"), (QStringList{"2026-03", "11", "54:30"}));
  QCOMPARE(totals_row("Fuori periodo"), (QStringList{"Fuori periodo", "0", "0:00"}));

  // The row of another activity chosen in the grid: the panel shows that activity.
  pick_day(QDate(2026, 3, 2));
  auto* grid = main().get<desktop::QtGrid>("GRID_CALENDATT")->table();
  int maintenance = -1;
  for (int r = 0; r < grid->rowCount(); ++r)
    if (grid->item(r, 2) && grid->item(r, 2)->text() == "MAN01") maintenance = r;
  QVERIFY(maintenance >= 0);
  click(grid->viewport(), grid->visualItemRect(grid->item(maintenance, 0)).center());
  host_->refresh_status();
  QVERIFY2(panel().heading()->text().startsWith("PRJ002 / M01 / MAN01\n"),
           qPrintable(panel().heading()->text()));
  QCOMPARE(panel().days_table()->rowCount(), 1);
  QCOMPARE(totals_row("Totale"), (QStringList{"Totale", "1", "2:00"}));
}

void DaysPanelTest::speaksTheHostsLanguage() {
  open_host("en");
  panel().toggleViewAction()->trigger();
  host_->refresh_status();
  QCOMPARE(panel().windowTitle(), QString("Activity days"));
  QCOMPARE(panel().toggleViewAction()->text(), QString("Activity days"));
  QCOMPARE(panel().heading()->text(), QString("No activity is chosen in the calendar."));
  QCOMPARE(panel().totals_table()->horizontalHeaderItem(1)->text(), QString("Days"));
}

QTEST_MAIN(DaysPanelTest)
#include "days_panel_test.moc"
