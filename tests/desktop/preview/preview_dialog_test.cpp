// The Preview button of the two range dialogs, driven as a person drives it on a scratch demo database:
// it lists what confirming would do, writes nothing, and confirming afterwards does exactly that.
#include <QLabel>
#include <QTableWidget>
#include <map>

#include "desktop/desktop_fixture.hpp"
#include "desktop/preview_dialog.hpp"
#include "standin/dictionary.hpp"

class PreviewDialogTest : public DesktopFixture {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY2(!qEnvironmentVariable("CALENDATT_CLI").isEmpty(), "CALENDATT_CLI is not set");
    make_scratch();
    open_host({});
  }
  void cleanup() { drop_scratch(); }
  void theInsertionPreviewIsWhatConfirmingDoes();
  void theDeletionPreviewSparesTheAllocatedDays();

 private:
  // The link's days as the database holds them: ISO date -> "H:M".
  std::map<QString, QString> days() const;
  // The codes of ATT01 and a range typed into the dialog, from the project field on.
  static void enter_range(QtFormSite& site, const char* from, const char* to) {
    enter_codes(site);
    fill({from, to, "1"});
  }
  // Opens the preview from the dialog's Preview button and reads its lines (date -> effect as shown),
  // totals and messages; the database must not change meanwhile.
  std::map<QString, QString> preview(QtFormSite& site, QString& totals, QString& messages);
};

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
  auto* toolbar = site.content()->findChild<QToolBar*>("FORM_TOOLBAR");
  auto* action = toolbar ? toolbar->findChild<QAction*>("BTN_ANTEPRIMA") : nullptr;
  if (!action || !toolbar->widgetForAction(action)) {
    missed_ << "the dialog has no Preview button";
    return lines;
  }
  click(toolbar->widgetForAction(action));
  if (!seen) missed_ << "the preview was not seen";
  if (days() != before) missed_ << "the preview changed the database";
  return lines;
}

void PreviewDialogTest::theInsertionPreviewIsWhatConfirmingDoes() {
  const auto before = days();
  std::map<QString, QString> lines;
  QString totals, messages;
  in_dialog("BTN_INSMULTIPLO", "FRMPD_ADDCALENDATT", [&](QtFormSite& d) {
    enter_range(d, "01/03/2026", "10/03/2026");
    fill({"6", "0"});
    // "Sovrascrivi": the days that exist take the new duration.
    auto* treatment = d.get<desktop::QtCombo>("CBO_VARPRESENTI")->combo();
    QTest::keyClick(treatment, Qt::Key_Down);
    QTest::keyClick(treatment, Qt::Key_Down);
    lines = preview(d, totals, messages);
    // The dialog stays open with what the person typed; confirming does what the preview said.
    answer_next_box(standin::box::kOk);
    click_button(d, "BTN_CONFERMA");
  });

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
  in_dialog("BTN_CANCMULTIPLA", "FRMPD_DELCALENDATT", [&](QtFormSite& d) {
    enter_range(d, "01/03/2026", "06/03/2026");
    lines = preview(d, totals, messages);
    // The run the preview made answered the dialog's question yes; here the person answers it.
    answer_next_box(standin::box::kYes);
    answer_next_box(standin::box::kOk);
    click_button(d, "BTN_CONFERMA");
  });

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
