// The desktop host on a scratch demo database, and what a person does to it: key and mouse events on the
// real widgets, answers to the modal windows that open. Shared by the desktop's Qt Test programs.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
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
#include <vector>

#include "database/schema.hpp"
#include "database/sqlite_connection.hpp"
#include "desktop/desktop_host.hpp"
#include "desktop/qt_controls.hpp"
#include "standin/responder.hpp"

using desktop::DesktopHost;
using desktop::QtFormSite;

// A message box as the person saw it.
struct SeenBox {
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
};

class DesktopFixture : public QObject {
 protected:
  void make_scratch() {
    scratch_ = std::make_unique<QTemporaryDir>();
    QVERIFY(scratch_->isValid());
    db_ = scratch_->filePath("calendar.db").toStdString();
    auto connection = database::open_or_create(db_);
    database::ensure_schema(*connection);
    database::insert_demo_data(*connection);
    connection->Close();
    boxes_.clear();
    missed_.clear();
  }
  void drop_scratch() {
    if (host_) {
      if (auto f = host_->module() ? host_->module()->Cinterface_ActiveFrame() : nullptr)
        if (f->Status() != host::RecordFrame::kStatusStored) f->CancelEdit();
      host_.reset();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    scratch_.reset();
    QVERIFY2(missed_.isEmpty(), qPrintable(missed_.join("; ")));
  }
  void show_host(desktop::DesktopOptions options, int width = 1180) {
    options.db_path = db_;
    host_ = std::make_unique<DesktopHost>(options);
    host_->window()->resize(width, 800);
    host_->window()->show();
    QVERIFY(QTest::qWaitForWindowActive(host_->window()));
  }
  void open_host(desktop::DesktopOptions options, int width = 1180) {
    show_host(options, width);
    QVERIFY(host_->open_module());
    QVERIFY(host_->main_site());
  }
  QtFormSite& main() { return *host_->main_site(); }
  std::shared_ptr<QtFormSite> dialog(const char* name) { return host_->forms().site(name); }
  QLineEdit* field(const char* name) { return edit(main(), name); }
  QTableWidget* grid() { return main().get<desktop::QtGrid>("GRID_CALENDATT")->table(); }
  QCalendarWidget* calendar() { return main().get<desktop::QtCalendar>("KVO_CALENDARIO")->calendar(); }

  // A connection of the test's own to the scratch database.
  std::shared_ptr<host::Connection> scratch_db() const {
    auto connection = database::new_connection();
    connection->Open("Provider=SQLite;Data Source=" + db_, "", "", -1);
    return connection;
  }
  void execute(const std::string& sql) { scratch_db()->Execute(sql, host::kAdCmdText); }
  int count(const std::string& where) const {
    return scratch_db()
        ->Execute("SELECT COUNT(*) AS N FROM PD4G_CALENDATT WHERE " + where, host::kAdCmdText)
        ->Field("N")
        .to_long();
  }

  // ---- What a person does.
  static QLineEdit* edit(QtFormSite& site, const char* name) {
    return qobject_cast<QLineEdit*>(site.get<desktop::QtInput>(name)->focus_widget());
  }
  static void click(QWidget* widget, QPoint at = {}) { QTest::mouseClick(widget, Qt::LeftButton, {}, at); }
  static void click_button(QtFormSite& site, const char* name) {
    click(site.get<desktop::QtToolbarButton>(name)->button());
  }
  void press(const char* navigator_command) {
    auto* toolbar = host_->window()->findChild<QToolBar*>("NAVIGATOR");
    QVERIFY(toolbar && toolbar->widgetForAction(host_->action(navigator_command)));
    click(toolbar->widgetForAction(host_->action(navigator_command)));
  }
  // The widget that has the focus, once the pending window events (activation) are delivered.
  static QWidget* focus() {
    QCoreApplication::processEvents();
    return QApplication::focusWidget();
  }
  static void type(const QString& text) { QTest::keyClicks(focus(), text); }
  static void tab() { QTest::keyClick(focus(), Qt::Key_Tab); }
  // Types each text into the field with the focus and leaves it with Tab.
  static void fill(std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
      type(text);
      tab();
    }
  }
  static void type_into(QLineEdit* field, const QString& text) {
    QVERIFY(field);
    click(field);
    QCOMPARE(focus(), static_cast<QWidget*>(field));
    field->selectAll();
    QTest::keyClicks(field, text);
  }
  // The three codes typed into the window or a dialog from the project on, the activity left.
  static void enter_codes(QtFormSite& site) {
    type_into(edit(site, "TXT_CODPROG"), "PRJ001");
    tab();
    fill({"N01", "ATT01"});
  }
  // Turns the calendar's pages with its arrow buttons and clicks the day.
  void pick_day(QDate day) { pick_day(calendar(), day); }
  static void pick_day(QCalendarWidget* calendar, QDate day) {
    auto* next = calendar->findChild<QToolButton*>("qt_calendar_nextmonth");
    auto* previous = calendar->findChild<QToolButton*>("qt_calendar_prevmonth");
    for (int turns = 0; turns < 240 && QDate(calendar->yearShown(), calendar->monthShown(), 1) !=
                                           QDate(day.year(), day.month(), 1);
         ++turns)
      click(QDate(calendar->yearShown(), calendar->monthShown(), 1) < day ? next : previous);
    auto* view = calendar->findChild<QTableView*>("qt_calendar_calendarview");
    // The first "1" of the page opens the month shown; row 0 holds the names of the days and column 0 the
    // week numbers.
    bool in_month = false;
    for (int r = 1; r < view->model()->rowCount(); ++r) {
      for (int c = 1; c < view->model()->columnCount(); ++c) {
        QModelIndex index = view->model()->index(r, c);
        const int number = index.data().toInt();
        if (number == 1) in_month = !in_month;
        if (in_month && number == day.day()) return click(view->viewport(), view->visualRect(index).center());
      }
    }
    QFAIL("the day is not on the calendar's page");
  }

  // ---- Modal windows: actions run inside their event loops.
  // Runs `action` on the next modal window that opens, once it is active.
  void when_modal(std::function<void(QWidget*)> action) {
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* timer = new QTimer(this);
    auto waited = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, this, [this, timer, before, action, waited] {
      QWidget* modal = QApplication::activeModalWidget();
      const bool open = modal && modal != before && modal->isVisible() && modal->isActiveWindow();
      // A window that never opens must not leave the test waiting.
      if (!open && ++*waited <= 3000) return;
      timer->stop();
      timer->deleteLater();
      if (open)
        action(modal);
      else
        missed_ << "an expected modal window did not open";
    });
    timer->start(10);
  }
  // Answers the next message box with the button of that answer and records it.
  void answer_next_box(int answer) {
    when_modal([this, answer](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      auto* button = box ? box->findChild<QAbstractButton*>(QString("answer_%1").arg(answer)) : nullptr;
      if (!button) {
        missed_ << QString("no message box with answer %1: %2").arg(answer).arg(modal->objectName());
        return (void)modal->close();
      }
      SeenBox seen{box->text(), box->icon(), {}};
      for (auto* b : box->buttons()) seen.buttons << b->text();
      boxes_.push_back(seen);
      click(button);
    });
  }
  // Clicks the window's `button` and runs `action` in the range dialog `name` it opens.
  void in_dialog(const char* button, const char* name, const std::function<void(QtFormSite&)>& action) {
    when_modal([this, name, action](QWidget*) {
      if (auto d = dialog(name))
        action(*d);
      else
        missed_ << QString("%1 did not open").arg(name);
      // A check that failed inside the dialog leaves it open: it is given up, so the test goes on.
      if (auto open = dialog(name); open && open->dialog()) {
        missed_ << QString("%1 stayed open").arg(name);
        open->dialog()->reject();
      }
    });
    click_button(main(), button);
    QVERIFY(!dialog(name));
  }

  std::unique_ptr<QTemporaryDir> scratch_;
  std::string db_;
  std::unique_ptr<DesktopHost> host_;
  std::vector<SeenBox> boxes_;
  QStringList missed_;
};
