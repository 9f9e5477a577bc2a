// The Preview button of the two range dialogs, driven as a person drives it on a scratch demo database:
// it lists what confirming would do, writes nothing, and confirming afterwards does exactly that.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <map>
#include <memory>

#include "database/schema.hpp"
#include "database/sqlite_connection.hpp"
#include "desktop/desktop_host.hpp"
#include "desktop/preview_dialog.hpp"
#include "standin/dictionary.hpp"

using desktop::DesktopHost;
using desktop::QtFormSite;

class PreviewDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void theInsertionPreviewIsWhatConfirmingDoes();
  void theDeletionPreviewSparesTheAllocatedDays();

 private:
  QtFormSite& main() { return *host_->main_site(); }
  std::shared_ptr<QtFormSite> dialog(const char* name) { return host_->forms().site(name); }
  // The link's days as the database holds them: ISO date -> "H:M".
  std::map<QString, QString> days() const;

  static QWidget* focus() {
    QCoreApplication::processEvents();
    return QApplication::focusWidget();
  }
  static void type(const QString& text) { QTest::keyClicks(focus(), text); }
  static void tab() { QTest::keyClick(focus(), Qt::Key_Tab); }
  static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
  static void click_button(QtFormSite& site, const char* name) {
    click(site.get<desktop::QtToolbarButton>(name)->button());
  }
  // The Preview button the host added to the dialog's toolbar.
  static QWidget* preview_button(QtFormSite& site);
  // The codes of ATT01 and a range typed into the dialog, from the project field on.
  static void enter_range(QtFormSite& site, const QString& from, const QString& to);
  // Runs `action` on the next modal window that opens.
  void when_modal(std::function<void(QWidget*)> action);
  // Presses the button of that answer on the next message box.
  void answer_next_box(int answer);
  // Opens the preview from the dialog and reads its lines (date -> effect as shown), totals and
  // messages; the database must not change meanwhile.
  std::map<QString, QString> preview(QtFormSite& site, QString& totals, QString& messages);

  std::unique_ptr<QTemporaryDir> scratch_;
  std::string db_;
  std::unique_ptr<DesktopHost> host_;
  QStringList missed_;
};

void PreviewDialogTest::init() {
  QVERIFY2(!qEnvironmentVariable("CALENDATT_CLI").isEmpty(), "CALENDATT_CLI is not set");
  scratch_ = std::make_unique<QTemporaryDir>();
  QVERIFY(scratch_->isValid());
  db_ = scratch_->filePath("calendar.db").toStdString();
  auto connection = database::open_or_create(db_);
  database::ensure_schema(*connection);
  database::insert_demo_data(*connection);
  connection->Close();
  missed_.clear();
  desktop::DesktopOptions options;
  options.db_path = db_;
  host_ = std::make_unique<DesktopHost>(options);
  host_->window()->resize(1180, 800);
  host_->window()->show();
  QVERIFY(QTest::qWaitForWindowActive(host_->window()));
  QVERIFY(host_->open_module());
}

void PreviewDialogTest::cleanup() {
  host_.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  scratch_.reset();
  QVERIFY2(missed_.isEmpty(), qPrintable(missed_.join("; ")));
}

std::map<QString, QString> PreviewDialogTest::days() const {
  std::map<QString, QString> out;
  auto connection = database::new_connection();
  connection->Open("Provider=SQLite;Data Source=" + db_, "", "", -1);
  auto rs = connection->Execute(
      "SELECT PD4G_DATAATTIVITA AS D, PD4G_DURATAORE AS H, PD4G_DURATAMINUTI AS M FROM PD4G_CALENDATT "
      "WHERE PD4G_IDLEGAME_PD0H = 1001",
      host::kAdCmdText);
  for (; !rs->Eof(); rs->MoveNext())
    out[QString::fromStdString(rs->Field("D").to_date().iso())] =
        QString("%1:%2").arg(rs->Field("H").to_long()).arg(rs->Field("M").to_long());
  rs->Close();
  connection->Close();
  return out;
}

QWidget* PreviewDialogTest::preview_button(QtFormSite& site) {
  auto* toolbar = site.content()->findChild<QToolBar*>("FORM_TOOLBAR");
  auto* action = toolbar ? toolbar->findChild<QAction*>("BTN_ANTEPRIMA") : nullptr;
  return action ? toolbar->widgetForAction(action) : nullptr;
}

void PreviewDialogTest::enter_range(QtFormSite& site, const QString& from, const QString& to) {
  auto* project = qobject_cast<QLineEdit*>(site.get<desktop::QtInput>("TXT_CODPROG")->focus_widget());
  click(project);
  type("PRJ001");
  tab();
  type("N01");
  tab();
  type("ATT01");
  tab();
  type(from);
  tab();
  type(to);
  tab();
  type("1");
  tab();
}

void PreviewDialogTest::when_modal(std::function<void(QWidget*)> action) {
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
    if (++*waited > 3000) {
      timer->stop();
      timer->deleteLater();
      missed_ << "an expected modal window did not open";
    }
  });
  timer->start(10);
}

void PreviewDialogTest::answer_next_box(int answer) {
  when_modal([this, answer](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    auto* button = box ? box->findChild<QAbstractButton*>(QString("answer_%1").arg(answer)) : nullptr;
    if (!button) {
      missed_ << "a message box with the answer " + QString::number(answer) + " was expected";
      if (modal) modal->close();
      return;
    }
    click(button);
  });
}

std::map<QString, QString> PreviewDialogTest::preview(QtFormSite& site, QString& totals, QString& messages) {
  std::map<QString, QString> lines;
  const auto before = days();
  bool seen = false;
  when_modal([&](QWidget* modal) {
    auto* view = dynamic_cast<desktop::PreviewDialog*>(modal);
    if (!view) {
      missed_ << "the preview did not open";
      modal->close();
      return;
    }
    seen = true;
    auto* table = view->table();
    for (int r = 0; r < table->rowCount(); ++r) lines[table->item(r, 0)->text()] = table->item(r, 1)->text();
    totals = view->totals()->text();
    messages = view->messages()->text();
    QTest::keyClick(view, Qt::Key_Escape);
  });
  QWidget* button = preview_button(site);
  if (!button) {
    missed_ << "the dialog has no Preview button";
    return lines;
  }
  click(button);
  if (!seen) missed_ << "the preview was not seen";
  if (days() != before) missed_ << "the preview changed the database";
  return lines;
}

void PreviewDialogTest::theInsertionPreviewIsWhatConfirmingDoes() {
  const auto before = days();
  std::map<QString, QString> lines;
  QString totals, messages;
  when_modal([&](QWidget*) {
    auto d = dialog("FRMPD_ADDCALENDATT");
    if (!d) {
      missed_ << "the insertion dialog did not open";
      return;
    }
    enter_range(*d, "01/03/2026", "10/03/2026");
    type("6");
    tab();
    type("0");
    tab();
    // "Sovrascrivi": the days that exist take the new duration.
    auto* treatment = d->get<desktop::QtCombo>("CBO_VARPRESENTI")->combo();
    QTest::keyClick(treatment, Qt::Key_Down);
    QTest::keyClick(treatment, Qt::Key_Down);
    lines = preview(*d, totals, messages);
    // The dialog stays open with what the person typed; confirming does what the preview said.
    answer_next_box(standin::box::kOk);
    click_button(*d, "BTN_CONFERMA");
  });
  click_button(main(), "BTN_INSMULTIPLO");
  QVERIFY(!dialog("FRMPD_ADDCALENDATT"));

  QCOMPARE(lines.size(), std::size_t{10});
  QCOMPARE(lines["01/03/2026"], QString("aggiunto"));
  QCOMPARE(lines["09/03/2026"], QString("sovrascritto"));
  QVERIFY2(totals.startsWith("Totali: aggiunti "), qPrintable(totals));
  const auto after = days();
  for (int day = 1; day <= 10; ++day) {
    const QString iso = QString("2026-03-%1").arg(day, 2, 10, QChar('0'));
    const QString shown = QString("%1/03/2026").arg(day, 2, 10, QChar('0'));
    QCOMPARE(after.at(iso), QString("6:0"));
    QCOMPARE(lines[shown], QString(before.count(iso) ? "sovrascritto" : "aggiunto"));
  }
}

void PreviewDialogTest::theDeletionPreviewSparesTheAllocatedDays() {
  const auto before = days();
  std::map<QString, QString> lines;
  QString totals, messages;
  when_modal([&](QWidget*) {
    auto d = dialog("FRMPD_DELCALENDATT");
    if (!d) {
      missed_ << "the deletion dialog did not open";
      return;
    }
    enter_range(*d, "01/03/2026", "06/03/2026");
    lines = preview(*d, totals, messages);
    // The run the preview made answered the dialog's question yes; here the person answers it.
    answer_next_box(standin::box::kYes);
    answer_next_box(standin::box::kOk);
    click_button(*d, "BTN_CONFERMA");
  });
  click_button(main(), "BTN_CANCMULTIPLA");
  QVERIFY(!dialog("FRMPD_DELCALENDATT"));

  QCOMPARE(lines.size(), std::size_t{6});
  QCOMPARE(lines["01/03/2026"], QString("assente"));
  QCOMPARE(lines["04/03/2026"], QString("risparmiato: risorse allocate"));
  QVERIFY2(messages.contains("Proseguire?"), qPrintable(messages));
  const auto after = days();
  for (const auto& [shown, effect] : lines) {
    const QString iso = shown.mid(6, 4) + "-" + shown.mid(3, 2) + "-" + shown.mid(0, 2);
    if (effect == "eliminato") {
      QVERIFY2(before.count(iso) && !after.count(iso), qPrintable(iso));
    } else if (effect == "assente") {
      QVERIFY2(!before.count(iso) && !after.count(iso), qPrintable(iso));
    } else {
      QCOMPARE(effect, QString("risparmiato: risorse allocate"));
      QCOMPARE(after.at(iso), before.at(iso));
    }
  }
}

QTEST_MAIN(PreviewDialogTest)
#include "preview_dialog_test.moc"
