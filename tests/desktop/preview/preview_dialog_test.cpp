// The Preview button of the two range dialogs, driven as a person drives it on a scratch demo database:
// it lists what confirming would do, writes nothing, and confirming afterwards does exactly that.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <map>

#include "desktop/desktop_fixture.hpp"
#include "desktop/preview_dialog.hpp"

class PreviewDialogTest : public DesktopFixture {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY2(!qEnvironmentVariable("CALENDATT_CLI").isEmpty(), "CALENDATT_CLI is not set");
    make_scratch();
    open_host({});
  }
  void cleanup() { drop_scratch(); }
  void thePreviewIsWhatConfirmingDoes();
  void aWeekdayPatternWithDatesToSkipIsListedThenCarriedOut();

 private:
  // The link's days as the database holds them: ISO date -> "H:M".
  std::map<QString, QString> days() const {
    std::map<QString, QString> out;
    auto db = scratch_db();
    auto rs = db->Execute(
        "SELECT PD4G_DATAATTIVITA AS D, PD4G_DURATAORE AS H, PD4G_DURATAMINUTI AS M FROM PD4G_CALENDATT "
        "WHERE PD4G_IDLEGAME_PD0H = 1001",
        host::kAdCmdText);
    for (; !rs->Eof(); rs->MoveNext())
      out[QString::fromStdString(rs->Field("D").to_date().iso())] =
          QString("%1:%2").arg(rs->Field("H").to_long()).arg(rs->Field("M").to_long());
    return out;
  }
};

// The deletion first (it spares the days with resources allocated), then the insertion over the same
// days with overwrite: each line of the preview says what happens to its day once confirmed.
void PreviewDialogTest::thePreviewIsWhatConfirmingDoes() {
  struct Case {
    bool insertion;
    const char* to;
    QString effects;  // those the lines show, sorted, '|' between them
    QString said;     // in the preview's totals and messages
  };
  const std::vector<Case> cases = {
      {false, "06/03/2026", "assente|eliminato|risparmiato: risorse allocate", "Proseguire?"},
      {true, "10/03/2026", "aggiunto|sovrascritto", "Totali: aggiunti "},
  };
  for (const auto& c : cases) {
    const auto before = days();
    std::map<QString, QString> lines;  // shown date -> effect
    QString said;
    const char* name = c.insertion ? "FRMPD_ADDCALENDATT" : "FRMPD_DELCALENDATT";
    in_dialog(c.insertion ? "BTN_INSMULTIPLO" : "BTN_CANCMULTIPLA", name, [&](QtFormSite& d) {
      enter_codes(d);
      fill({"01/03/2026", c.to, "1"});
      if (c.insertion) {
        fill({"6", "0"});
        // "Sovrascrivi": the days that exist take the new duration.
        QTest::keyClick(focus(), Qt::Key_Down);
        QTest::keyClick(focus(), Qt::Key_Down);
      }
      when_modal([&](QWidget* modal) {
        auto* view = dynamic_cast<desktop::PreviewDialog*>(modal);
        if (!view) return (void)modal->close();
        for (int r = 0; r < view->table()->rowCount(); ++r)
          lines[view->table()->item(r, 0)->text()] = view->table()->item(r, 1)->text();
        said = view->totals()->text() + "\n" + view->messages()->text();
        QTest::keyClick(view, Qt::Key_Escape);
      });
      auto* toolbar = d.content()->findChild<QToolBar*>("FORM_TOOLBAR");
      click(toolbar->widgetForAction(toolbar->findChild<QAction*>("BTN_ANTEPRIMA")));
      QVERIFY2(days() == before, "the preview changed the database");
      // The dialog stays open with what the person typed; confirming does what the preview said.
      if (!c.insertion) answer_next_box(standin::box::kYes);
      answer_next_box(standin::box::kOk);
      click_button(d, "BTN_CONFERMA");
    });
    const auto after = days();
    QCOMPARE(qint64(lines.size()), QDate(2026, 3, 1).daysTo(QDate::fromString(c.to, "dd/MM/yyyy")) + 1);
    QStringList seen;
    for (const auto& [shown, effect] : lines) {
      const QString iso = QDate::fromString(shown, "dd/MM/yyyy").toString(Qt::ISODate);
      const bool was = before.count(iso), is = after.count(iso);
      const std::map<QString, bool> holds = {
          {"aggiunto", !was && is && after.at(iso) == "6:0"},
          {"sovrascritto", was && is && after.at(iso) == "6:0"},
          {"eliminato", was && !is},
          {"assente", !was && !is},
          {"risparmiato: risorse allocate", was && is && after.at(iso) == before.at(iso)}};
      QVERIFY2(holds.count(effect) && holds.at(effect), qPrintable(shown + ": " + effect));
      seen << effect;
    }
    seen.removeDuplicates();
    seen.sort();
    QCOMPARE(seen, c.effects.split('|'));
    QVERIFY2(said.contains(c.said), qPrintable(said));
    // Only the window's own words: none of the command line's marks or options, no ISO date.
    static const QRegularExpression foreign("calendatt|--|\\[\\d|\\d{4}-\\d\\d-\\d\\d");
    QVERIFY2(!said.contains(foreign), qPrintable(said));
  }
}

// Mondays and Fridays over two weeks, 20 March left out by a file: the runs listed first, then written
// when the person says so, in this program and as one action of the journal; the dialog then closes.
void PreviewDialogTest::aWeekdayPatternWithDatesToSkipIsListedThenCarriedOut() {
  const QString holidays = scratch_->filePath("holidays.txt");
  QFile file(holidays);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("2026-03-20\n");
  file.close();
  QStringList listed;
  pick_day(QDate(2026, 3, 2));
  in_dialog("BTN_INSMULTIPLO", "FRMPD_ADDCALENDATT", [&](QtFormSite& d) {
    // The dialog opens on the activity being browsed, its codes checked as typed ones: the description
    // and the planning period follow.
    QCOMPARE(edit(d, "TXT_CODPROG")->text() + "/" + edit(d, "TXT_CODNODO")->text() + "/" +
                 edit(d, "TXT_CODATTIVITA")->text(),
             QString("PRJ001/N01/ATT01"));
    QVERIFY(!edit(d, "TXT_DESATTIVITA")->text().isEmpty() && !edit(d, "TXT_DATAINIZ")->text().isEmpty());
    enter_codes(d);
    fill({"16/03/2026", "27/03/2026", "1", "2", "0"});
    for (const char* day : {"PATTERN_MON", "PATTERN_FRI"}) click(d.content()->findChild<QCheckBox*>(day));
    // A weekday comes back every 7 days: the step is not asked for.
    QVERIFY(!edit(d, "TXT_RIPETIOGNI")->isEnabled());
    d.content()->findChild<QLabel*>("PATTERN_SKIP_FILE")->setProperty("path", holidays);
    when_modal([&](QWidget* modal) {
      auto* view = dynamic_cast<desktop::PreviewDialog*>(modal);
      if (!view) return (void)modal->close();
      for (int r = 0; r < view->table()->rowCount(); ++r) listed << view->table()->item(r, 0)->text();
      click(view->findChild<QPushButton*>("PREVIEW_CARRY_OUT"));
    });
    click_button(d, "BTN_CONFERMA");
  });
  QCOMPARE(listed, (QStringList{"16/03/2026", "23/03/2026", "27/03/2026"}));
  QTRY_VERIFY(host_->window()->statusBar()->currentMessage().contains("aggiunti 3"));
  auto actions = scratch_db()->Execute(
      "SELECT AZ_COMANDO AS C FROM CALENDATT_AZIONI WHERE AZ_COMANDO NOT IN ('init --demo', 'SQL')",
      host::kAdCmdText);
  QVERIFY(!actions->Eof());
  QVERIFY2(actions->Field("C").to_string().starts_with("desktop: add-range"),
           actions->Field("C").to_string().c_str());
  actions->MoveNext();
  QVERIFY(actions->Eof());
  QCOMPARE(count("PD4G_IDLEGAME_PD0H = 1001 AND PD4G_DATAATTIVITA BETWEEN '2026-03-16' AND '2026-03-27'"), 3);
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-20'"), 0);
  // The window shows what the runs wrote.
  pick_day(QDate(2026, 3, 23));
  QCOMPARE(grid()->rowCount(), 1);
}

QTEST_MAIN(PreviewDialogTest)
#include "preview_dialog_test.moc"
