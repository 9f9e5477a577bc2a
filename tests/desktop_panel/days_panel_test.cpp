// The side panel of the activity's days in the desktop's main window, driven as a person drives it on a
// scratch demo database: it follows the activity chosen in the calendar, and after a save, a deletion and
// a bulk run it shows what the database holds, with the same totals as the command line's report.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>

#include "database/connection.hpp"
#include "database/schema.hpp"
#include "database/sqlite_connection.hpp"
#include "desktop/days_panel.hpp"
#include "desktop/desktop_host.hpp"
#include "desktop/qt_controls.hpp"
#include "standin/responder.hpp"

using desktop::DesktopHost;
using desktop::QtFormSite;

class DaysPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void followsTheActivityThroughSaveDeleteAndBulkRuns();
  void speaksTheHostsLanguage();

 private:
  void open_host(const std::string& language);
  QtFormSite& main() { return *host_->main_site(); }
  desktop::DaysPanel& panel() { return *host_->days_panel(); }
  // The database's own account of the activity's days: how many, and their minutes.
  std::pair<int, int> stored(const std::string& where = "") const;
  // The panel's totals row with that label.
  QStringList totals_row(const QString& label) const;

  static QWidget* focus() {
    QCoreApplication::processEvents();
    return QApplication::focusWidget();
  }
  static void type(const QString& text) { QTest::keyClicks(focus(), text); }
  static void tab() { QTest::keyClick(focus(), Qt::Key_Tab); }
  static QLineEdit* edit(QtFormSite& site, const char* name) {
    return qobject_cast<QLineEdit*>(site.get<desktop::QtInput>(name)->focus_widget());
  }
  void press(const char* command);
  void pick_day(QCalendarWidget* calendar, QDate day);
  void when_modal(std::function<void(QWidget*)> action);
  void answer_next_box(int answer);

  std::unique_ptr<QTemporaryDir> scratch_;
  std::string db_;
  std::unique_ptr<DesktopHost> host_;
  QStringList missed_;
};

void DaysPanelTest::init() {
  scratch_ = std::make_unique<QTemporaryDir>();
  QVERIFY(scratch_->isValid());
  db_ = scratch_->filePath("calendar.db").toStdString();
  auto connection = database::open_or_create(db_);
  database::ensure_schema(*connection);
  database::insert_demo_data(*connection);
  connection->Close();
  missed_.clear();
}

void DaysPanelTest::cleanup() {
  host_.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  scratch_.reset();
  QVERIFY2(missed_.isEmpty(), qPrintable(missed_.join("; ")));
}

void DaysPanelTest::open_host(const std::string& language) {
  desktop::DesktopOptions options;
  options.db_path = db_;
  options.language = language;
  host_ = std::make_unique<DesktopHost>(options);
  host_->window()->resize(1400, 800);
  host_->window()->show();
  QVERIFY(QTest::qWaitForWindowActive(host_->window()));
  QVERIFY(host_->open_module());
  QVERIFY(host_->days_panel());
}

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

void DaysPanelTest::press(const char* command) {
  auto* toolbar = host_->window()->findChild<QToolBar*>("NAVIGATOR");
  QVERIFY(toolbar);
  QWidget* button = toolbar->widgetForAction(host_->action(command));
  QVERIFY(button);
  QTest::mouseClick(button, Qt::LeftButton);
}

void DaysPanelTest::pick_day(QCalendarWidget* calendar, QDate day) {
  auto* next = calendar->findChild<QToolButton*>("qt_calendar_nextmonth");
  auto* previous = calendar->findChild<QToolButton*>("qt_calendar_prevmonth");
  QVERIFY(next && previous);
  for (int turns = 0; turns < 240; ++turns) {
    QDate shown(calendar->yearShown(), calendar->monthShown(), 1);
    if (shown.year() == day.year() && shown.month() == day.month()) break;
    QTest::mouseClick(shown < QDate(day.year(), day.month(), 1) ? next : previous, Qt::LeftButton);
  }
  auto* view = calendar->findChild<QTableView*>("qt_calendar_calendarview");
  QVERIFY(view);
  bool in_month = false;
  for (int r = 1; r < view->model()->rowCount(); ++r) {
    for (int c = 1; c < view->model()->columnCount(); ++c) {
      QModelIndex index = view->model()->index(r, c);
      bool ok = false;
      int number = index.data().toInt(&ok);
      if (!ok) continue;
      if (number == 1) in_month = !in_month;
      if (in_month && number == day.day()) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        return;
      }
    }
  }
  QFAIL("the day is not on the calendar's page");
}

void DaysPanelTest::when_modal(std::function<void(QWidget*)> action) {
  QPointer<QWidget> before = QApplication::activeModalWidget();
  auto* timer = new QTimer(this);
  auto waited = std::make_shared<int>(0);
  connect(timer, &QTimer::timeout, this, [this, timer, before, action, waited] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != before && modal->isVisible() && modal->isActiveWindow()) {
      timer->stop();
      timer->deleteLater();
      action(modal);
      return;
    }
    if (++*waited > 1500) {
      timer->stop();
      timer->deleteLater();
      missed_ << "an expected modal window did not open";
    }
  });
  timer->start(10);
}

void DaysPanelTest::answer_next_box(int answer) {
  when_modal([this, answer](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    auto* button = box ? box->findChild<QAbstractButton*>(QString("answer_%1").arg(answer)) : nullptr;
    if (!button) {
      missed_ << "no message box with the answer " + QString::number(answer);
      return;
    }
    QTest::mouseClick(button, Qt::LeftButton);
  });
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
  auto* calendar = main().get<desktop::QtCalendar>("KVO_CALENDARIO")->calendar();
  pick_day(calendar, QDate(2026, 3, 10));
  press("new");
  QTest::mouseClick(edit(main(), "TXT_CODPROG"), Qt::LeftButton);
  type("PRJ001");
  tab();
  type("N01");
  tab();
  type("ATT01");
  tab();
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
  when_modal([&](QWidget*) {
    auto d = host_->forms().site("FRMPD_ADDCALENDATT");
    if (!d) {
      missed_ << "the insertion dialog did not open";
      return;
    }
    QTest::mouseClick(edit(*d, "TXT_CODPROG"), Qt::LeftButton);
    type("PRJ001");
    tab();
    type("N01");
    tab();
    type("ATT01");
    tab();
    if (focus() != edit(*d, "TXT_DATAINIZIALE")) {
      missed_ << "the dialog did not take the codes";
      QTest::mouseClick(d->get<desktop::QtToolbarButton>("BTN_ANNULLA")->button(), Qt::LeftButton);
      return;
    }
    type("16/03/2026");
    tab();
    type("20/03/2026");
    tab();
    type("1");
    tab();
    type("2");
    tab();
    type("0");
    tab();
    answer_next_box(standin::box::kOk);
    QTest::mouseClick(d->get<desktop::QtToolbarButton>("BTN_CONFERMA")->button(), Qt::LeftButton);
  });
  QTest::mouseClick(main().get<desktop::QtToolbarButton>("BTN_INSMULTIPLO")->button(), Qt::LeftButton);
  QCOMPARE(stored().first, 11);
  QTRY_COMPARE(panel().days_table()->rowCount(), 11);
  QCOMPARE(totals_row("2026-W12"), (QStringList{"2026-W12", "5", "10:00"}));
  QCOMPARE(totals_row("2026-03"), (QStringList{"2026-03", "11", "54:30"}));
  QCOMPARE(totals_row("Fuori periodo"), (QStringList{"Fuori periodo", "0", "0:00"}));

  // The row of another activity chosen in the grid: the panel shows that activity.
  pick_day(calendar, QDate(2026, 3, 2));
  auto* grid = main().get<desktop::QtGrid>("GRID_CALENDATT")->table();
  int maintenance = -1;
  for (int r = 0; r < grid->rowCount(); ++r)
    if (grid->item(r, 2) && grid->item(r, 2)->text() == "MAN01") maintenance = r;
  QVERIFY(maintenance >= 0);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualItemRect(grid->item(maintenance, 0)).center());
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
