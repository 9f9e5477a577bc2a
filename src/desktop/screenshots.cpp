#include "desktop/screenshots.hpp"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <iostream>

#include "database/schema.hpp"
#include "database/sqlite_connection.hpp"
#include "desktop/days_panel.hpp"
#include "desktop/desktop_host.hpp"

namespace desktop {

namespace {

// What a person does, as key and mouse events on the real widgets.

void wait_active(QWidget* window) {
  window->activateWindow();
  QElapsedTimer clock;
  clock.start();
  while (!window->isActiveWindow() && clock.elapsed() < 3000)
    QApplication::processEvents(QEventLoop::AllEvents, 50);
}

void key(QWidget* target, int code, const QString& text = {}) {
  if (!target) return;
  QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
  QApplication::sendEvent(target, &release);
}

void type(QWidget* target, const QString& text) {
  for (QChar ch : text) key(target, ch.toUpper().unicode(), QString(ch));
}

void tab() {
  key(QApplication::focusWidget(), Qt::Key_Tab);
}

// Moves into a field (the field that had the focus is left) and types.
void fill(QLineEdit* edit, const QString& text) {
  if (!edit) return;
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  type(edit, text);
}

QLineEdit* edit_of(QtFormSite& site, const char* name) {
  return qobject_cast<QLineEdit*>(site.get<QtInput>(name)->focus_widget());
}

// Types the codes of PRJ001 / N01 / ATT01 and leaves the last of them.
void fill_codes(QtFormSite& site) {
  fill(edit_of(site, "TXT_CODPROG"), "PRJ001");
  fill(edit_of(site, "TXT_CODNODO"), "N01");
  fill(edit_of(site, "TXT_CODATTIVITA"), "ATT01");
  tab();
}

// Fills the insertion dialog for ATT01: the range, every day, the hours, and the treatment of the days that
// exist chosen `downs` entries down the list.
void fill_insertion(QtFormSite& dialog, const QString& from, const QString& to, const QString& hours,
                    int downs) {
  fill_codes(dialog);
  fill(edit_of(dialog, "TXT_DATAINIZIALE"), from);
  fill(edit_of(dialog, "TXT_DATAFINALE"), to);
  fill(edit_of(dialog, "TXT_RIPETIOGNI"), "1");
  fill(edit_of(dialog, "TXT_ORE"), hours);
  fill(edit_of(dialog, "TXT_MINUTI"), "00");
  auto* combo = dialog.get<QtCombo>("CBO_VARPRESENTI")->combo();
  combo->setFocus(Qt::OtherFocusReason);
  for (int i = 0; i < downs; ++i) key(combo, Qt::Key_Down);
}

QToolButton* button_of(QtFormSite& site, const char* name) {
  return site.get<QtToolbarButton>(name)->button();
}

// Runs `action` on the next modal window that opens, inside its event loop.
void on_next_modal(std::function<void(QWidget*)> action) {
  QPointer<QWidget> before = QApplication::activeModalWidget();
  auto* timer = new QTimer(qApp);
  auto* clock = new QElapsedTimer;
  clock->start();
  QObject::connect(timer, &QTimer::timeout, qApp, [timer, clock, before, action] {
    QWidget* modal = QApplication::activeModalWidget();
    // The person acts once the window is there and active.
    if (modal && modal != before && modal->isActiveWindow()) {
      timer->stop();
      timer->deleteLater();
      delete clock;
      action(modal);
    } else if (clock->elapsed() > 10000) {
      std::cerr << "calendatt-desktop: a window the screenshots wait for did not open\n";
      timer->stop();
      timer->deleteLater();
      delete clock;
    }
  });
  timer->start(20);
}

void click_answer(QWidget* box, int answer) {
  if (auto* button = box->findChild<QAbstractButton*>(QString("answer_%1").arg(answer))) button->click();
}

// The window with a box over its middle, as the person sees it.
QPixmap with_box(QWidget* window, QWidget* box) {
  QPixmap base = window->grab();
  QPixmap over = box->grab();
  QPainter painter(&base);
  QPoint at((base.width() - over.width()) / 2, (base.height() - over.height()) / 2);
  painter.fillRect(QRect(at + QPoint(4, 4), over.size()), QColor(0, 0, 0, 60));
  painter.drawPixmap(at, over);
  painter.setPen(QColor(90, 90, 90));
  painter.drawRect(QRect(at, over.size()).adjusted(0, 0, -1, -1));
  return base;
}

bool save(const QPixmap& picture, const std::string& dir, const std::string& name, int& written) {
  std::string path = dir + "/" + name;
  if (!picture.save(QString::fromStdString(path), "PNG")) {
    std::cerr << "calendatt-desktop: cannot write " << path << "\n";
    return false;
  }
  std::cout << "wrote " << path << "\n";
  ++written;
  return true;
}

}  // namespace

int take_screenshots(const std::string& dir, const std::string& language) {
  QTemporaryDir scratch;
  if (!scratch.isValid()) {
    std::cerr << "calendatt-desktop: no temporary directory\n";
    return 3;
  }
  DesktopOptions options;
  options.db_path = scratch.filePath("calendatt-demo.db").toStdString();
  options.language = language;
  {
    auto connection = database::open_or_create(options.db_path);
    database::ensure_schema(*connection);
    database::insert_demo_data(*connection);
    connection->Close();
  }

  int written = 0;
  // The pictures of another language than Italian carry its code: main-window-en.png.
  const std::string suffix = language == "it" ? "" : "-" + language;
  auto name = [&suffix](const char* base) { return std::string(base) + suffix + ".png"; };
  DesktopHost host(options);
  HostWindow* window = host.window();
  window->resize(1180, 800);
  window->show();
  wait_active(window);
  if (!host.open_module()) return 3;
  auto main = host.main_site();
  wait_active(window);

  // The main window on a day with two activities planned.
  auto calendar = main->get<QtCalendar>("KVO_CALENDARIO")->calendar();
  calendar->setFocus(Qt::MouseFocusReason);
  calendar->setSelectedDate(QDate(2026, 3, 2));
  QApplication::processEvents();
  save(window->grab(), dir, name("main-window"), written);

  // The insertion dialog, filled in for a week of the activity PRJ001 / N01 / ATT01.
  on_next_modal([&](QWidget* modal) {
    auto dialog = host.forms().site("FRMPD_ADDCALENDATT");
    if (!dialog) return;
    fill_insertion(*dialog, "16/03/2026", "20/03/2026", "8", 1);
    QApplication::processEvents();
    save(modal->grab(), dir, name("insert-dialog"), written);
    on_next_modal([](QWidget* box) { click_answer(box, 1); });
    button_of(*dialog, "BTN_CONFERMA")->click();
  });
  button_of(*main, "BTN_INSMULTIPLO")->click();
  wait_active(window);

  // The deletion dialog asking for confirmation with the counts.
  on_next_modal([&](QWidget* modal) {
    auto dialog = host.forms().site("FRMPD_DELCALENDATT");
    if (!dialog) return;
    fill_codes(*dialog);
    fill(edit_of(*dialog, "TXT_DATAINIZIALE"), "02/03/2026");
    fill(edit_of(*dialog, "TXT_DATAFINALE"), "20/03/2026");
    fill(edit_of(*dialog, "TXT_CANCELLAOGNI"), "1");
    tab();
    QPointer<QWidget> dialog_window = modal;
    on_next_modal([&, dialog_window](QWidget* box) {
      if (dialog_window) save(with_box(dialog_window, box), dir, name("delete-question"), written);
      click_answer(box, 7);
    });
    button_of(*dialog, "BTN_CONFERMA")->click();
    button_of(*dialog, "BTN_ANNULLA")->click();
  });
  button_of(*main, "BTN_CANCMULTIPLA")->click();
  wait_active(window);

  // The preview of an insertion over days that exist, two weeks with overwrite.
  on_next_modal([&](QWidget*) {
    auto dialog = host.forms().site("FRMPD_ADDCALENDATT");
    if (!dialog) return;
    fill_insertion(*dialog, "01/03/2026", "12/03/2026", "6", 2);
    on_next_modal([&](QWidget* preview) {
      save(preview->grab(), dir, name("preview-dialog"), written);
      key(preview, Qt::Key_Escape);
    });
    auto* toolbar = dialog->content()->findChild<QToolBar*>("FORM_TOOLBAR");
    auto* action = toolbar ? toolbar->findChild<QAction*>("BTN_ANTEPRIMA") : nullptr;
    if (action) action->trigger();
    button_of(*dialog, "BTN_ANNULLA")->click();
  });
  button_of(*main, "BTN_INSMULTIPLO")->click();
  wait_active(window);

  // A refusal: the codes of an activity already planned on the day.
  host.action("new")->trigger();
  fill(edit_of(*main, "TXT_CODPROG"), "PRJ001");
  fill(edit_of(*main, "TXT_CODNODO"), "N01");
  fill(edit_of(*main, "TXT_CODATTIVITA"), "ATT01");
  on_next_modal([&](QWidget* box) {
    save(with_box(window, box), dir, name("refusal-message"), written);
    click_answer(box, 1);
  });
  tab();
  host.action("cancel")->trigger();
  QApplication::processEvents();

  // The side panel of the activity's days, for the activity just planned, beside the window.
  window->resize(1500, 800);
  host.days_panel()->show();
  calendar->setSelectedDate(QDate(2026, 3, 16));
  host.refresh_status();
  QApplication::processEvents();
  save(window->grab(), dir, name("days-panel"), written);

  // Undo last action: what putting the insertion of the week back would do, asked before it is done.
  on_next_modal([&](QWidget* dialog) {
    save(with_box(window, dialog), dir, name("undo-dialog"), written);
    if (auto* leave = dialog->findChild<QAbstractButton*>("UNDO_LEAVE")) leave->click();
  });
  host.action("undo")->trigger();
  return written == 6 ? 0 : 1;
}

}  // namespace desktop
