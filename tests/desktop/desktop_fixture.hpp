// The desktop host on a scratch demo database, and what a person does to it: key and mouse events on the
// real widgets, answers to the modal windows that open. Shared by the desktop's Qt Test programs.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>
#include <stdexcept>
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
  QStringList buttons;  // texts, in order
  QString default_button;
};

class DesktopFixture : public QObject {
 protected:
  // ---- The host on a scratch demo database.
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
    if (!missed_.isEmpty()) qWarning("missed: %s", qPrintable(missed_.join("; ")));
    QVERIFY2(missed_.isEmpty(), qPrintable(missed_.join("; ")));
  }
  void open_host(desktop::DesktopOptions options, int width = 1180) {
    options.db_path = db_;
    host_ = std::make_unique<DesktopHost>(options);
    host_->window()->resize(width, 800);
    host_->window()->show();
    QVERIFY(QTest::qWaitForWindowActive(host_->window()));
    QVERIFY(host_->open_module());
    QVERIFY(host_->main_site());
  }
  QtFormSite& main() {
    auto site = host_->main_site();
    if (!site) throw std::runtime_error("the calendar window is not open");
    return *site;
  }
  std::shared_ptr<QtFormSite> dialog(const char* name) { return host_->forms().site(name); }
  void execute(const std::string& sql) {
    auto connection = database::new_connection();
    connection->Open("Provider=SQLite;Data Source=" + db_, "", "", -1);
    connection->Execute(sql, host::kAdCmdText);
    connection->Close();
  }
  int count(const std::string& where) {
    auto connection = database::new_connection();
    connection->Open("Provider=SQLite;Data Source=" + db_, "", "", -1);
    auto rs =
        connection->Execute("SELECT COUNT(*) AS N FROM PD4G_CALENDATT WHERE " + where, host::kAdCmdText);
    int n = rs->Field("N").to_long();
    rs->Close();
    connection->Close();
    return n;
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
    QVERIFY(toolbar);
    QWidget* button = toolbar->widgetForAction(host_->action(navigator_command));
    QVERIFY(button);
    click(button);
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
  // Clicks into a field and types into it.
  static void type_into(QLineEdit* field, const QString& text) {
    QVERIFY(field);
    click(field);
    QCOMPARE(focus(), static_cast<QWidget*>(field));
    field->selectAll();
    QTest::keyClicks(field, text);
  }
  // Types the three codes into the code fields of the window or a dialog, from the project on, and
  // leaves the activity.
  static void enter_codes(QtFormSite& site, const char* project = "PRJ001", const char* node = "N01",
                          const char* activity = "ATT01") {
    type_into(edit(site, "TXT_CODPROG"), project);
    tab();
    type(node);
    tab();
    type(activity);
    tab();
  }
  // Turns the calendar's pages with its arrow buttons and clicks the day (of the main window's calendar
  // when none is given).
  void pick_day(QDate day) { pick_day(main().get<desktop::QtCalendar>("KVO_CALENDARIO")->calendar(), day); }
  static void pick_day(QCalendarWidget* calendar, QDate day) {
    auto* next = calendar->findChild<QToolButton*>("qt_calendar_nextmonth");
    auto* previous = calendar->findChild<QToolButton*>("qt_calendar_prevmonth");
    QVERIFY(next && previous);
    for (int turns = 0; turns < 240; ++turns) {
      QDate shown(calendar->yearShown(), calendar->monthShown(), 1);
      if (shown.year() == day.year() && shown.month() == day.month()) break;
      click(shown < QDate(day.year(), day.month(), 1) ? next : previous);
    }
    QCOMPARE(calendar->monthShown(), day.month());
    auto* view = calendar->findChild<QTableView*>("qt_calendar_calendarview");
    QVERIFY(view);
    // The first "1" of the page opens the month shown; row 0 holds the names of the days and column 0 the
    // week numbers.
    bool in_month = false;
    for (int r = 1; r < view->model()->rowCount(); ++r) {
      for (int c = 1; c < view->model()->columnCount(); ++c) {
        QModelIndex index = view->model()->index(r, c);
        bool ok = false;
        int number = index.data().toInt(&ok);
        if (!ok) continue;
        if (number == 1) in_month = !in_month;
        if (in_month && number == day.day()) {
          click(view->viewport(), view->visualRect(index).center());
          return;
        }
      }
    }
    QFAIL("the day is not on the calendar's page");
  }

  // ---- Modal windows: actions run inside their event loops.
  // Runs `action` on the next modal window that opens.
  void when_modal(std::function<void(QWidget*)> action) {
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* timer = new QTimer(this);
    auto waited = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, this, [this, timer, before, action, waited] {
      QWidget* modal = QApplication::activeModalWidget();
      // The person acts once the window is there and active.
      if (modal && modal != before && modal->isVisible() && modal->isActiveWindow()) {
        timer->stop();
        timer->deleteLater();
        action(modal);
        return;
      }
      // A window that never opens must not leave the test waiting.
      if (++*waited > 3000) {
        timer->stop();
        timer->deleteLater();
        missed_ << "an expected modal window did not open";
      }
    });
    timer->start(10);
  }
  // Answers the next message box with the button of that answer and records it.
  void answer_next_box(int answer) {
    when_modal([this, answer](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (!box) {
        missed_ << QString("a message box was expected, %1 opened").arg(modal->objectName());
        modal->close();
        return;
      }
      boxes_.push_back(seen(box));
      auto* button = box->findChild<QAbstractButton*>(QString("answer_%1").arg(answer));
      if (!button) {
        missed_ << "the box has no button for answer " + QString::number(answer) + ": " + box->text();
        box->close();
        return;
      }
      click(button);
    });
  }
  static SeenBox seen(QMessageBox* box) {
    SeenBox s;
    s.text = box->text();
    s.icon = box->icon();
    for (auto* b : box->buttons()) s.buttons << b->text();
    if (box->defaultButton()) s.default_button = box->defaultButton()->text();
    return s;
  }
  // Clicks the window's `button` and runs `action` in the range dialog `name` it opens.
  void in_dialog(const char* button, const char* name, const std::function<void(QtFormSite&)>& action) {
    when_modal([this, name, action](QWidget*) {
      auto d = dialog(name);
      if (!d) {
        missed_ << QString("%1 did not open").arg(name);
        return;
      }
      action(*d);
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
