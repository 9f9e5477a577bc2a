// The desktop host driven as a person drives it: key and mouse events on the real widgets of the main
// window, the two range dialogs, the lookup list and the message boxes, on a scratch demo database.
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableWidget>

#include "database/file_check.hpp"
#include "desktop/database_file.hpp"
#include "desktop/desktop_fixture.hpp"
#include "desktop/lookup_dialog.hpp"
#include "desktop/qt_responder.hpp"
#include "runtime/date.hpp"
#include "standin/dictionary.hpp"

namespace {

// Every text a person can read in `root` and the windows it owns: captions, labels, buttons, titles,
// tooltips, menus, list entries, grid headers.
QStringList shown_texts(QWidget* root) {
  QStringList out;
  auto add = [&out](QString text) {
    text.remove('&');
    text = text.trimmed();
    if (!text.isEmpty()) out << text;
  };
  add(root->windowTitle());
  for (auto* w : root->findChildren<QWidget*>()) {
    add(w->toolTip());
    add(w->windowTitle());
    if (auto* l = qobject_cast<QLabel*>(w)) add(l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) add(b->text());
    if (auto* m = qobject_cast<QMenu*>(w)) add(m->title());
    if (auto* c = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < c->count(); ++i) add(c->itemText(i));
    if (auto* t = qobject_cast<QTableWidget*>(w))
      for (int i = 0; i < t->columnCount(); ++i)
        if (t->horizontalHeaderItem(i)) add(t->horizontalHeaderItem(i)->text());
  }
  for (auto* a : root->findChildren<QAction*>()) add(a->text());
  return out;
}

// The words of one language that the other does not share: the dictionary's captions and the host's own.
QStringList words_only_in(const std::string& language) {
  std::vector<std::pair<std::string, std::string>> pairs = standin::caption_pairs();
  // The host's own words, Italian=English.
  const QString host_words =
      "Nuovo=New Salva=Save Elimina=Delete Primo=First Precedente=Previous Successivo=Next Ultimo=Last "
      "Esporta=Export Navigatore=Navigator Impostazioni=Settings Esci=Quit Aiuto=Help "
      "Visualizzazione=Browse Ditta=Company Lingua=Language Sfoglia=Browse";
  for (const auto& pair : host_words.split(' '))
    pairs.emplace_back(pair.section('=', 0, 0).toStdString(), pair.section('=', 1).toStdString());
  QStringList out;
  for (const auto& [it, en] : pairs)
    if (it != en) out << QString::fromStdString(language == "en" ? en : it);
  return out;
}

// The texts among `texts` that hold a word of the other language (whole words only).
QStringList of_the_other_language(const QStringList& texts, const std::string& language) {
  QStringList wrong;
  for (const auto& word : words_only_in(language == "en" ? "it" : "en")) {
    QRegularExpression whole("(^|[^\\w])" + QRegularExpression::escape(word) + "($|[^\\w])",
                             QRegularExpression::UseUnicodePropertiesOption);
    for (const auto& text : texts)
      if (whole.match(text).hasMatch()) wrong << QString("\"%1\" (%2)").arg(text, word);
  }
  return wrong;
}

}  // namespace

class DesktopHostTest : public DesktopFixture {
  Q_OBJECT

 private slots:
  void init() { make_scratch(); }
  void cleanup() { drop_scratch(); }

  void aCompleteDay();
  void aRefusedValidationKeepsTheFocusAndTheClick();
  void controlsCarryTheirDesignValues();
  void messageBoxesAndTheErrorReport();
  void calledModeOpensOnTheActivity();
  void navigatorExportsAndChangesCompany();
  void commandLineAndSettingsFile();
  void aDatabaseFileIsCreatedOnlyWhenThePersonSaysSo();
  void aPastedValueMeetsTheFieldsLimits();
  void oneLanguageAtATime_data();
  void oneLanguageAtATime();
  void theFormNeverMisleads();
  void quittingWithAPendingChangeAsks();
  void theHighlightedRowIsTheDayInTheForm();
  void theCalendarMarksPlannedDays();

 private:
  // Nuovo, the codes of the demo's activity, and the hours (the focus stays in them).
  void start_day(const char* hours);
  static QStringList grid_line(QTableWidget* table, int line);
  static bool shows_whole(QLineEdit* field) {
    return field->width() >= field->fontMetrics().horizontalAdvance(field->text()) + 4;
  }
  // The form and the grid's highlighted line show the same day (or neither shows one), and each code's
  // description is there exactly when its code is.
  void form_shows_the_highlighted_row(const char* when);
  // The status bar's message.
  QString status_message() const { return host_->window()->statusBar()->currentMessage(); }
};

// ---- Helpers

void DesktopHostTest::start_day(const char* hours) {
  press("new");
  enter_codes(main());
  type(hours);
}

QStringList DesktopHostTest::grid_line(QTableWidget* table, int line) {
  QStringList out;
  for (int c = 0; c < table->columnCount(); ++c)
    out << (table->item(line, c) ? table->item(line, c)->text() : "");
  return out;
}

void DesktopHostTest::form_shows_the_highlighted_row(const char* when) {
  auto* grid = main().get<desktop::QtGrid>("GRID_CALENDATT")->table();
  const int line = grid->currentRow();
  if (line < 0) {
    QVERIFY2(grid->selectedItems().isEmpty(), when);
    QVERIFY2(edit(main(), "TXT_ORE")->text().isEmpty(), when);
  } else {
    const QStringList shown = grid_line(grid, line);
    QVERIFY2(grid->item(line, 0)->isSelected(), when);
    const QStringList form = {edit(main(), "TXT_CODPROG")->text(), edit(main(), "TXT_CODNODO")->text(),
                              edit(main(), "TXT_CODATTIVITA")->text(), edit(main(), "TXT_DATA")->text(),
                              edit(main(), "TXT_ORE")->text()};
    QVERIFY2(form == shown.mid(0, 5),
             qPrintable(QString(when) + ": " + form.join(",") + " / " + shown.join(",")));
  }
  for (const char* pair : {"PROG", "NODO", "ATTIVITA"}) {
    const QString code = edit(main(), qPrintable(QString("TXT_COD") + pair))->text();
    const QString description = edit(main(), qPrintable(QString("TXT_DES") + pair))->text();
    QVERIFY2(code.trimmed().isEmpty() == description.isEmpty(),
             qPrintable(QString("%1: %2 \"%3\" / \"%4\"").arg(when, pair, code, description)));
  }
}

// ---- Scenarios

void DesktopHostTest::aCompleteDay() {
  open_host({});
  auto* calendar = main().get<desktop::QtCalendar>("KVO_CALENDARIO")->calendar();
  auto* grid = main().get<desktop::QtGrid>("GRID_CALENDATT")->table();

  // A day without plans for the activity.
  pick_day(calendar, QDate(2026, 3, 10));
  QCOMPARE(calendar->selectedDate(), QDate(2026, 3, 10));
  QCOMPARE(grid->rowCount(), 0);

  press("new");
  QCOMPARE(edit(main(), "TXT_DATA")->text(), QString("10/03/2026"));

  // The project typed in lower case becomes upper case; leaving it decodes its description.
  type_into(edit(main(), "TXT_CODPROG"), "prj001");
  QCOMPARE(edit(main(), "TXT_CODPROG")->text(), QString("PRJ001"));
  tab();
  QCOMPARE(focus(), static_cast<QWidget*>(edit(main(), "TXT_CODNODO")));
  QCOMPARE(edit(main(), "TXT_DESPROG")->text(), QString("Ampliamento stabilimento"));

  // The node is chosen from the lookup list: search, then Enter on the row.
  bool list_seen = false;
  when_modal([&](QWidget* modal) {
    auto* lookup = dynamic_cast<desktop::LookupDialog*>(modal);
    if (!lookup) {
      missed_ << "the lookup list did not open";
      return;
    }
    list_seen = lookup->table()->rowCount() >= 2;
    QTest::keyClicks(lookup->filter_edit(), "n01");
    QTest::keyClick(lookup->filter_edit(), Qt::Key_Return);
  });
  click(main().get<desktop::QtCodeEdit>("TXT_CODNODO")->lookup_button());
  QVERIFY(list_seen);
  QCOMPARE(edit(main(), "TXT_CODNODO")->text(), QString("N01"));
  QCOMPARE(edit(main(), "TXT_DESNODO")->text(), QString("Progettazione"));
  QCOMPARE(focus(), static_cast<QWidget*>(edit(main(), "TXT_CODNODO")));

  // The activity completes the three codes: they resolve, lock, and the period shows.
  tab();
  type("att01");
  tab();
  QVERIFY(boxes_.empty());
  for (const char* field : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
    QVERIFY2(!edit(main(), field)->isEnabled(), field);
  QCOMPARE(edit(main(), "TXT_DATAINIZ")->text(), QString("01/03/2026"));
  QCOMPARE(edit(main(), "TXT_DATAFIN")->text(), QString("31/03/2026"));
  QCOMPARE(focus(), static_cast<QWidget*>(edit(main(), "TXT_ORE")));

  // Hours and minutes; leaving the hours writes them with two digits.
  type("7");
  tab();
  QCOMPARE(edit(main(), "TXT_ORE")->text(), QString("07"));
  type("30");
  press("save");
  QVERIFY(boxes_.empty());
  QCOMPARE(count("PD4G_IDLEGAME_PD0H = 1001 AND PD4G_DATAATTIVITA = '2026-03-10' AND PD4G_DURATAORE = 7 "
                 "AND PD4G_DURATAMINUTI = 30"),
           1);
  QCOMPARE(grid->rowCount(), 1);
  QCOMPARE(grid_line(grid, 0),
           (QStringList{"PRJ001", "N01", "ATT01", "10/03/2026", "7", "30", "01/03/2026", "31/03/2026"}));

  // A week generated with overwrite: the day just saved and the demo's 9 March take the new duration.
  in_dialog("BTN_INSMULTIPLO", "FRMPD_ADDCALENDATT", [&](QtFormSite& d) {
    enter_codes(d);
    QCOMPARE(focus(), static_cast<QWidget*>(edit(d, "TXT_DATAINIZIALE")));
    // The dialog's descriptions show their whole text (the window's: theFormNeverMisleads).
    for (const char* name : {"TXT_DESPROG", "TXT_DESNODO", "TXT_DESATTIVITA"})
      QVERIFY2(!edit(d, name)->text().isEmpty() && shows_whole(edit(d, name)), name);
    fill({"9/3/2026", "15/03/2026", "1", "8", "0"});
    QCOMPARE(edit(d, "TXT_DATAINIZIALE")->text(), QString("09/03/2026"));
    auto* treatment = d.get<desktop::QtCombo>("CBO_VARPRESENTI")->combo();
    QCOMPARE(focus(), static_cast<QWidget*>(treatment));
    QTest::keyClick(treatment, Qt::Key_Down);
    QTest::keyClick(treatment, Qt::Key_Down);
    QCOMPARE(d.get<desktop::QtCombo>("CBO_VARPRESENTI")->model()->Value(), std::string("2"));
    answer_next_box(standin::box::kOk);
    click_button(d, "BTN_CONFERMA");
  });
  QCOMPARE(boxes_.size(), std::size_t{1});
  QCOMPARE(boxes_[0].text, QString("Operazione completata"));
  // The status bar says what the run did, as the command line does.
  QCOMPARE(status_message(),
           QString("Pianificati i giorni di PRJ001 / N01 / ATT01 dal 09/03/2026 al 15/03/2026: "
                   "aggiunti 5, sovrascritti 2, saltati 0."));
  QCOMPARE(count("PD4G_IDLEGAME_PD0H = 1001 AND PD4G_DATAATTIVITA BETWEEN '2026-03-09' AND '2026-03-15' "
                 "AND PD4G_DURATAORE = 8 AND PD4G_DURATAMINUTI = 0"),
           7);
  QCOMPARE(grid->rowCount(), 1);
  QCOMPARE(grid_line(grid, 0).mid(3, 3), (QStringList{"10/03/2026", "8", "0"}));
  pick_day(calendar, QDate(2026, 3, 12));
  QCOMPARE(grid->rowCount(), 1);
  QCOMPARE(grid_line(grid, 0).mid(2, 4), (QStringList{"ATT01", "12/03/2026", "8", "0"}));

  // The same week again, its days left as they are: a run that changed nothing is counted too.
  in_dialog("BTN_INSMULTIPLO", "FRMPD_ADDCALENDATT", [&](QtFormSite& d) {
    enter_codes(d);
    fill({"09/03/2026", "15/03/2026", "1", "3", "0"});
    auto* treatment = d.get<desktop::QtCombo>("CBO_VARPRESENTI")->combo();
    for (auto key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down}) QTest::keyClick(treatment, key);
    answer_next_box(standin::box::kOk);
    click_button(d, "BTN_CONFERMA");
  });
  QCOMPARE(status_message(),
           QString("Pianificati i giorni di PRJ001 / N01 / ATT01 dal 09/03/2026 al 15/03/2026: "
                   "aggiunti 0, sovrascritti 0, saltati 7."));

  // The week deleted, in English: the question gives the count, Yes deletes.
  desktop::DesktopOptions english = host_->options();
  english.language = "en";
  QVERIFY(host_->apply_options(english));
  grid = main().get<desktop::QtGrid>("GRID_CALENDATT")->table();
  pick_day(QDate(2026, 3, 12));
  boxes_.clear();
  in_dialog("BTN_CANCMULTIPLA", "FRMPD_DELCALENDATT", [&](QtFormSite& d) {
    enter_codes(d);
    fill({"09/03/2026", "15/03/2026", "1"});
    answer_next_box(standin::box::kYes);
    answer_next_box(standin::box::kOk);
    click_button(d, "BTN_CONFERMA");
  });
  QCOMPARE(status_message(),
           QString("Deleted the days of PRJ001 / N01 / ATT01 from 09/03/2026 to 15/03/2026: "
                   "7 deleted, 0 spared (resources allocated)."));
  QCOMPARE(boxes_.size(), std::size_t{2});
  QVERIFY2(boxes_[0].text.contains("7"), qPrintable(boxes_[0].text));
  QCOMPARE(boxes_[0].buttons, (QStringList{"Yes", "No"}));
  QCOMPARE(boxes_[1].text, QString("Operation completed"));
  QCOMPARE(count("PD4G_IDLEGAME_PD0H = 1001 AND PD4G_DATAATTIVITA BETWEEN '2026-03-09' AND '2026-03-15'"), 0);
  QCOMPARE(grid->rowCount(), 0);
}

void DesktopHostTest::aRefusedValidationKeepsTheFocusAndTheClick() {
  open_host({});
  auto* calendar = main().get<desktop::QtCalendar>("KVO_CALENDARIO")->calendar();

  // Hours out of range, then a click on another day: the check refuses, the focus stays in the hours
  // and the click does not reach the calendar.
  pick_day(calendar, QDate(2026, 3, 10));
  start_day("25");
  QCOMPARE(focus(), static_cast<QWidget*>(edit(main(), "TXT_ORE")));
  answer_next_box(standin::box::kOk);
  auto* view = calendar->findChild<QTableView*>("qt_calendar_calendarview");
  QModelIndex elsewhere = view->model()->index(3, 3);
  click(view->viewport(), view->visualRect(elsewhere).center());
  QCOMPARE(boxes_.size(), std::size_t{1});
  QVERIFY2(boxes_[0].text.startsWith("Ora errata !"), qPrintable(boxes_[0].text));
  QCOMPARE(focus(), static_cast<QWidget*>(edit(main(), "TXT_ORE")));
  QCOMPARE(calendar->selectedDate(), QDate(2026, 3, 10));

  // Corrected, the hours are accepted and the row is saved.
  edit(main(), "TXT_ORE")->selectAll();
  type("6");
  press("save");
  QCOMPARE(count("PD4G_IDLEGAME_PD0H = 1001 AND PD4G_DATAATTIVITA = '2026-03-10' AND PD4G_DURATAORE = 6"), 1);
}

void DesktopHostTest::controlsCarryTheirDesignValues() {
  open_host({});
  QtFormSite& s = main();
  auto* grid = s.get<desktop::QtGrid>("GRID_CALENDATT")->table();
  QStringList headers;
  for (int c = 0; c < grid->columnCount(); ++c) headers << grid->horizontalHeaderItem(c)->text();
  QCOMPARE(headers, (QStringList{"Codice Progetto", "Codice Nodo", "Codice Attività", "Data", "Ore", "Min",
                                 "Inizio attività", "Fine attività"}));
  QCOMPARE(s.get<desktop::QtCalendar>("KVO_CALENDARIO")->calendar()->firstDayOfWeek(), Qt::Monday);
  QVERIFY(edit(s, "TXT_CODPROG")->property("mandatory").toBool());
  QVERIFY(!edit(s, "TXT_DESPROG")->property("mandatory").toBool());
  for (const char* disabled :
       {"TXT_DESPROG", "TXT_DESNODO", "TXT_DESATTIVITA", "TXT_DATAINIZ", "TXT_DATAFIN", "TXT_DATA"})
    QVERIFY2(!edit(s, disabled)->isEnabled(), disabled);
  QVERIFY(s.get<desktop::QtCodeEdit>("TXT_CODPROG")->lookup_button());
  QVERIFY(s.get<desktop::QtCodeEdit>("TXT_CODPROG")->key_button());
  QVERIFY(!s.get<desktop::QtCodeEdit>("TXT_ORE")->lookup_button());
  // The labels head their fields.
  auto* label = s.get<desktop::QtLabel>("LBL_PROGETTO")->label();
  QCOMPARE(label->buddy(), static_cast<QWidget*>(edit(s, "TXT_CODPROG")));
  for (const char* name : {"new", "save", "delete", "cancel", "first", "previous", "next", "last", "company",
                           "export", "multimedia"})
    QVERIFY2(host_->action(name) && host_->action(name)->isEnabled(), name);

  // The last column of the grid keeps about its width; the spare room is not given to it.
  const int last = grid->columnCount() - 1;
  QVERIFY(grid->viewport()->width() > 900);
  QVERIFY2(grid->columnWidth(last) <= grid->columnWidth(last - 1),
           qPrintable(QString::number(grid->columnWidth(last))));
  // The settings show the whole database path.
  bool path_whole = false;
  when_modal([&](QWidget* modal) {
    auto* path = modal->findChild<QLineEdit*>("SETTINGS_DATABASE");
    path_whole = path && path->text() == QString::fromStdString(db_) && shows_whole(path);
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  host_->action("settings")->trigger();
  QVERIFY(path_whole);
}

void DesktopHostTest::messageBoxesAndTheErrorReport() {
  struct Case {
    std::int32_t style;
    QMessageBox::Icon icon;
    QStringList buttons;
    QString default_button;
    QString escape;  // empty when the box must be answered
  };
  const std::vector<Case> cases = {
      {0, QMessageBox::NoIcon, {"OK"}, "OK", "OK"},
      {16, QMessageBox::Critical, {"OK"}, "OK", "OK"},
      {1 + 48, QMessageBox::Warning, {"OK", "Annulla"}, "OK", "Annulla"},
      {4 + 32, QMessageBox::Question, {"Sì", "No"}, "Sì", ""},
      {4 + 32 + 256, QMessageBox::Question, {"Sì", "No"}, "No", ""},
      {2 + 16 + 256 + 4096, QMessageBox::Critical, {"Interrompi", "Riprova", "Ignora"}, "Riprova", ""},
      {3 + 64 + 512, QMessageBox::Information, {"Sì", "No", "Annulla"}, "Annulla", "Annulla"},
  };
  for (const auto& c : cases) {
    std::unique_ptr<QMessageBox> box(
        desktop::make_message_box({0, "Testo", c.style, "Titolo"}, "it", nullptr));
    QCOMPARE(box->icon(), c.icon);
    QStringList texts;
    for (int answer :
         standin::box::buttons(c.style).empty() ? std::vector<int>{1} : standin::box::buttons(c.style))
      texts << box->findChild<QAbstractButton*>(QString("answer_%1").arg(answer))->text();
    QCOMPARE(texts, c.buttons);
    QCOMPARE(box->defaultButton()->text(), c.default_button);
    QCOMPARE(box->escapeButton() ? box->escapeButton()->text() : QString(), c.escape);
  }

  // A real box returns the button pressed; the title and text are shown as given.
  desktop::QtResponder responder("it");
  QString title;
  when_modal([&](QWidget* modal) {
    title = modal->windowTitle();
    click(modal->findChild<QAbstractButton*>("answer_4"));
  });
  QCOMPARE(responder.answer_message({0, "Riga uno\r\nRiga due", 2 + 16 + 256, "Titolo"}),
           standin::box::kRetry);
  QCOMPARE(title, QString("Titolo"));
  // Escape answers Cancel where the box has it.
  when_modal([&](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  QCOMPARE(responder.answer_message({0, "Continuare?", 1 + 32, "Titolo"}), standin::box::kCancel);

  // The error report shows the error, the provider's errors and the routine.
  standin::ErrorReport report;
  report.error = runtime::ErrorInfo{3265, "Item cannot be found", "EngineRecordset"};
  report.provider_errors = {host::ProviderError{19, "UNIQUE constraint failed", "SQLite", "23000"}};
  report.application = "MERIDAL";
  report.caption = "Calendario attività WBS";
  report.routine = "FME_CALENDATT_BeforeUpdate";
  report.style = 4370;
  QStringList shown;
  QString default_button;
  when_modal([&](QWidget* modal) {
    for (const char* name : {"REPORT_ROUTINE", "REPORT_NUMBER", "REPORT_DESCRIPTION", "REPORT_SOURCE"})
      shown << modal->findChild<QLabel*>(name)->text();
    auto* provider = modal->findChild<QTableWidget*>("REPORT_PROVIDER_ERRORS");
    shown << provider->item(0, 0)->text() << provider->item(0, 1)->text() << provider->item(0, 3)->text();
    for (auto* b : modal->findChildren<QPushButton*>())
      if (b->isDefault()) default_button = b->text();
    // Escape does not close a report that must be answered.
    QTest::keyClick(modal, Qt::Key_Escape);
    QVERIFY(modal->isVisible());
    click(modal->findChild<QAbstractButton*>("answer_5"));
  });
  QCOMPARE(responder.answer_report(report), standin::box::kIgnore);
  QCOMPARE(shown, (QStringList{"FME_CALENDATT_BeforeUpdate", "3265", "Item cannot be found",
                               "EngineRecordset", "19", "UNIQUE constraint failed", "23000"}));
  QCOMPARE(default_button, QString("Riprova"));
}

void DesktopHostTest::calledModeOpensOnTheActivity() {
  desktop::DesktopOptions options;
  options.called = true;
  options.project = "prj001";
  options.node = "N01";
  options.activity = "ATT01";
  // The activity starts on a planned day.
  execute("UPDATE PD0H_LEGDISBAPROG SET PD0H_DATAINIZPIAN = '2026-03-02' WHERE PD0H_IDLEGAME = 1001");
  open_host(options);
  QCOMPARE(main().get<desktop::QtCalendar>("KVO_CALENDARIO")->calendar()->selectedDate(), QDate(2026, 3, 2));
  for (const char* field : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
    QVERIFY2(!edit(main(), field)->isEnabled(), field);
  // The window opens on that day's row: the form shows the highlighted row and the codes' descriptions.
  QCOMPARE(main().get<desktop::QtGrid>("GRID_CALENDATT")->table()->currentRow(), 0);
  form_shows_the_highlighted_row("called mode, on opening");
  QCOMPARE(edit(main(), "TXT_DATAINIZ")->text(), QString("02/03/2026"));
  // A new row on a free day takes the activity's codes.
  pick_day(QDate(2026, 3, 7));
  press("new");
  QCOMPARE(edit(main(), "TXT_CODPROG")->text(), QString("PRJ001"));
  QCOMPARE(edit(main(), "TXT_CODATTIVITA")->text(), QString("ATT01"));
  QCOMPARE(edit(main(), "TXT_DATA")->text(), QString("07/03/2026"));
  auto* status = host_->window()->findChild<QLabel*>("STATUS_FRAME");
  QVERIFY2(status->text().contains("PRJ001"), qPrintable(status->text()));

  // An activity that does not exist: the person is told and no window opens.
  host_.reset();
  options.activity = "ATT99";
  options.db_path = db_;
  host_ = std::make_unique<DesktopHost>(options);
  host_->window()->show();
  QVERIFY(QTest::qWaitForWindowActive(host_->window()));
  answer_next_box(standin::box::kOk);
  QVERIFY(!host_->open_module());
  QCOMPARE(boxes_.size(), std::size_t{1});
  QCOMPARE(boxes_[0].icon, QMessageBox::Critical);
  QVERIFY(!host_->main_site());
}

void DesktopHostTest::navigatorExportsAndChangesCompany() {
  open_host({});
  pick_day(QDate(2026, 3, 2));

  // Export: the grid's rows under the module's title, in the file the person chose.
  QString csv = scratch_->filePath("grid.csv");
  host_->set_export_file_chooser([&] { return csv.toStdString(); });
  press("export");
  QFile file(csv);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QStringList lines =
      QString::fromUtf8(file.readAll()).remove(QChar(0xFEFF)).split("\r\n", Qt::SkipEmptyParts);
  QCOMPARE(lines.size(), 4);
  QCOMPARE(lines[0], QString("Calendario attività WBS"));
  QVERIFY2(lines[2].startsWith("PRJ001;N01;ATT01;02/03/2026;8;0"), qPrintable(lines[2]));

  // The standard form for scripts: keys, commas, ISO dates (not the window's), no title, no byte order mark.
  QString standard = scratch_->filePath("grid-standard.csv");
  host_->set_export_chooser([&] { return DesktopHost::ExportChoice{standard.toStdString(), true}; });
  press("export");
  QFile plain(standard);
  QVERIFY(plain.open(QIODevice::ReadOnly));
  const QByteArray bytes = plain.readAll();
  QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
  QStringList rows = QString::fromUtf8(bytes).split("\n", Qt::SkipEmptyParts);
  QCOMPARE(rows.size(), 3);
  QCOMPARE(rows[0], QString("project,node,activity,day,hours,minutes,planning_start,planning_end"));
  QCOMPARE(rows[1], QString("PRJ001,N01,ATT01,2026-03-02,8,0,2026-03-01,2026-03-31"));

  // Company change: the module asks; No keeps the company, Yes closes the window.
  auto change_to = [&](int company, int answer) {
    when_modal([&, company, answer](QWidget* modal) {
      auto* input = qobject_cast<QInputDialog*>(modal);
      if (!input) {
        missed_ << "the company was not asked for";
        return;
      }
      if (answer) answer_next_box(answer);
      input->setIntValue(company);
      input->accept();
    });
    press("company");
  };
  change_to(2, standin::box::kNo);
  QCOMPARE(boxes_.size(), std::size_t{1});
  QCOMPARE(boxes_[0].text, QString("Il cambio ditta comporta la chiusura del programma, proseguo ?"));
  QVERIFY(host_->main_site());
  QCOMPARE(host_->environment().global()->Company().to_long(), 1);
  change_to(2, standin::box::kYes);
  QVERIFY(!host_->main_site());
  QCOMPARE(host_->environment().global()->Company().to_long(), 2);
  QVERIFY(host_->action("open")->isEnabled());

  // Opened again, the calendar lists the other company's day.
  host_->action("open")->trigger();
  QVERIFY(host_->main_site());
  auto first_line_on = [&](QDate day) {
    pick_day(day);
    auto* grid = main().get<desktop::QtGrid>("GRID_CALENDATT")->table();
    return grid->rowCount() == 1 ? grid_line(grid, 0).mid(0, 4) : QStringList{};
  };
  QCOMPARE(first_line_on(QDate(2026, 3, 3)), (QStringList{"PRJ900", "Z01", "ATT01", "03/03/2026"}));

  // A module that is not the active program lets the company change under its open window, without a
  // question: the grid shows the codes of the company now shown.
  host_->module()->let_Cinterface_IsActive(false);
  change_to(1, 0);
  QVERIFY(host_->main_site());
  QCOMPARE(host_->environment().global()->Company().to_long(), 1);
  QCOMPARE(first_line_on(QDate(2026, 3, 9)), (QStringList{"PRJ001", "N01", "ATT01", "09/03/2026"}));
}

void DesktopHostTest::commandLineAndSettingsFile() {
  auto parse = [](std::vector<std::string> args, desktop::CommandLine& line) {
    std::string error;
    bool ok = desktop::parse_command_line(args, line, error);
    return ok ? std::string() : error;
  };
  desktop::CommandLine options;
  QCOMPARE(parse({"--db", "x.db", "--company=2", "--lang", "en", "--date-form", "yyyy-mm-dd"}, options),
           std::string());
  QCOMPARE(options.options.db_path + " " + options.options.language + " " + options.options.short_date_form,
           std::string("x.db en yyyy-mm-dd"));
  QCOMPARE(options.options.company, 2);
  QVERIFY(!options.options.called);
  desktop::CommandLine called;
  QCOMPARE(parse({"--called", "--project", "PRJ001", "--node", "N01", "--activity", "ATT01"}, called),
           std::string());
  QVERIFY(called.options.called);
  QCOMPARE(called.options.activity, std::string("ATT01"));
  for (const auto& wrong :
       std::vector<std::vector<std::string>>{{"--project", "PRJ001"},
                                             {"--called", "--project", "P", "--node", "N"},
                                             {"--lang", "fr"},
                                             {"--company", "0"},
                                             {"--date-form", "d/m/y"},
                                             {"--db"},
                                             {"stray"}}) {
    desktop::CommandLine line;
    QVERIFY2(!parse(wrong, line).empty(), wrong.front().c_str());
  }

  // The settings file gives what the command line does not.
  std::string file = scratch_->filePath("desktop.ini").toStdString();
  desktop::DesktopOptions written;
  written.db_path = "saved.db";
  written.company = 3;
  written.language = "en";
  written.short_date_form = "mm/dd/yyyy";
  desktop::write_settings_file(file, written);
  desktop::DesktopOptions read;
  desktop::read_settings_file(file, read);
  desktop::CommandLine line;
  QCOMPARE(parse({"--company", "5"}, line), std::string());
  std::string error;
  QVERIFY(desktop::apply_command_line(line, read, error));
  QCOMPARE(read.db_path, std::string("saved.db"));
  QCOMPARE(read.company, 5);
  QCOMPARE(read.language, std::string("en"));
  QCOMPARE(read.short_date_form, std::string("mm/dd/yyyy"));
}

void DesktopHostTest::aDatabaseFileIsCreatedOnlyWhenThePersonSaysSo() {
  // Clicks the named button of the next question and records the question's text.
  auto answer_question = [this](const char* button_name, QString* text) {
    when_modal([this, button_name, text](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (!box) {
        missed_ << "a question was expected";
        return;
      }
      *text = box->text();
      if (auto* button = box->findChild<QAbstractButton*>(button_name))
        click(button);
      else
        missed_ << QString("the question has no button ") + button_name;
    });
  };
  const std::string missing = scratch_->filePath("new/calendar.db").toStdString();
  QString asked;
  answer_question(desktop::kDoNotCreate, &asked);
  QCOMPARE(desktop::prepare_database_file(nullptr, missing, "en"), desktop::DatabaseFile::kDeclined);
  QCOMPARE(asked, QString::fromStdString("There is no database at " + missing + ".\nCreate it now?"));
  QVERIFY(!QFile::exists(QString::fromStdString(missing)));

  answer_question(desktop::kCreateEmpty, &asked);
  QCOMPARE(desktop::prepare_database_file(nullptr, missing, "it"), desktop::DatabaseFile::kReady);
  QVERIFY(asked.startsWith("Il database "));
  {
    auto connection = database::new_connection();
    connection->Open("Data Source=" + missing, "", "", -1);
    QCOMPARE(connection->Execute("SELECT COUNT(*) AS N FROM PD0G_DISBAPROG", 1)->Field("N").to_long(), 0);
  }

  const std::string with_demo = scratch_->filePath("demo.db").toStdString();
  answer_question(desktop::kCreateWithDemo, &asked);
  QCOMPARE(desktop::prepare_database_file(nullptr, with_demo, "en"), desktop::DatabaseFile::kReady);
  {
    auto connection = database::new_connection();
    connection->Open("Data Source=" + with_demo, "", "", -1);
    QVERIFY(connection->Execute("SELECT COUNT(*) AS N FROM PD4G_CALENDATT", 1)->Field("N").to_long() > 0);
  }

  // A file that is not a calendar is shown in a dialog and left as it is.
  const QString empty = scratch_->filePath("empty.db");
  QFile(empty).open(QIODevice::WriteOnly);
  // The checker's own words, in each language.
  for (const char* language : {"en", "it"}) {
    boxes_.clear();
    answer_next_box(1);
    QCOMPARE(desktop::prepare_database_file(nullptr, empty.toStdString(), language),
             desktop::DatabaseFile::kFailed);
    QCOMPARE(boxes_.size(), std::size_t{1});
    QCOMPARE(boxes_[0].text, QString::fromStdString(database::describe(
                                 database::check_calendar_file(empty.toStdString()), language)));
    QCOMPARE(boxes_[0].icon, QMessageBox::Critical);
    QCOMPARE(QFileInfo(empty).size(), qint64{0});
  }
  QVERIFY(QString::fromStdString(database::describe(database::check_calendar_file(empty.toStdString()), "en"))
              .contains("is an empty file, not a calendar database"));
}

// Over-long, out-of-range and badly cased values pasted whole into the insertion dialog's fields, as a
// value a person brings: the field refuses or takes them as the control models say, the same models that
// make the command line refuse them (its hostile-input cases).
void DesktopHostTest::aPastedValueMeetsTheFieldsLimits() {
  struct Case {
    const char* field;
    QString value;
    QString field_text;  // what the field holds after the paste
    QString notice;      // what leaving the field says ("" when it is left)
  };
  const std::vector<Case> cases = {
      {"TXT_RIPETIOGNI", "1000", "", ""},        {"TXT_RIPETIOGNI", "0", "0", "Valore ammesso da 1 a 999"},
      {"TXT_RIPETIOGNI", "7x", "", ""},          {"TXT_ORE", "123", "", ""},
      {"TXT_CODATTIVITA", "att01", "ATT01", ""},
  };
  open_host({});
  for (const auto& c : cases) {
    boxes_.clear();
    in_dialog("BTN_INSMULTIPLO", "FRMPD_ADDCALENDATT", [&](QtFormSite& d) {
      QLineEdit* field = edit(d, c.field);
      // The fields before it, as a person fills them.
      type_into(edit(d, "TXT_CODPROG"), "PRJ001");
      for (const char* typed : {"N01", "ATT01", "20/03/2026", "20/03/2026", "1", ""}) {
        tab();
        if (focus() == field) break;
        type(typed);
      }
      QCOMPARE(focus(), static_cast<QWidget*>(field));
      QApplication::clipboard()->setText(c.value);
      QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
      QCOMPARE(field->text(), c.field_text);
      if (!c.notice.isEmpty()) {
        answer_next_box(standin::box::kOk);
        tab();
        QCOMPARE(boxes_.size(), std::size_t{1});
        QCOMPARE(boxes_[0].text, c.notice);
        QCOMPARE(focus(), static_cast<QWidget*>(field));
      }
      click_button(d, "BTN_ANNULLA");
    });
  }
}

void DesktopHostTest::oneLanguageAtATime_data() {
  QTest::addColumn<QString>("opened_in");
  QTest::addColumn<QString>("language");  // chosen in the settings when it differs
  QTest::newRow("it") << "it"
                      << "it";
  QTest::newRow("en") << "en"
                      << "en";
  QTest::newRow("it, then en") << "it"
                               << "en";
  QTest::newRow("en, then it") << "en"
                               << "it";
}

void DesktopHostTest::oneLanguageAtATime() {
  QFETCH(QString, opened_in);
  QFETCH(QString, language);
  const std::string lang = language.toStdString();
  desktop::DesktopOptions options;
  options.language = opened_in.toStdString();
  open_host(options);
  if (opened_in != language) {
    QCOMPARE(host_->action("new")->text(), QString(opened_in == "it" ? "Nuovo" : "New"));
    options = host_->options();
    options.language = lang;
    QVERIFY(host_->apply_options(options));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed window's widgets
  }
  QCOMPARE(host_->action("new")->text(), QString(lang == "it" ? "Nuovo" : "New"));
  QCOMPARE(main().get<desktop::QtLabel>("LBL_PROGETTO")->label()->text().remove('&'),
           QString(lang == "it" ? "Progetto" : "Project"));
  QStringList texts = shown_texts(host_->window());
  QVERIFY(texts.size() > 40);
  QStringList wrong = of_the_other_language(texts, lang);

  // Both range dialogs, opened and given up.
  for (auto [button, name] : {std::pair{"BTN_INSMULTIPLO", "FRMPD_ADDCALENDATT"},
                              std::pair{"BTN_CANCMULTIPLA", "FRMPD_DELCALENDATT"}}) {
    QStringList seen_in_dialog;
    in_dialog(button, name, [&](QtFormSite& d) {
      seen_in_dialog = shown_texts(d.dialog());
      click_button(d, "BTN_ANNULLA");
    });
    QVERIFY2(seen_in_dialog.size() > 10, name);
    wrong << of_the_other_language(seen_in_dialog, lang);
  }

  // The settings dialog: Qt's own buttons speak the language too.
  QStringList seen_in_settings;
  when_modal([&](QWidget* modal) {
    seen_in_settings = shown_texts(modal);
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  host_->action("settings")->trigger();
  QVERIFY(seen_in_settings.contains(lang == "en" ? "Cancel" : "Annulla"));
  wrong << of_the_other_language(seen_in_settings, lang);
  QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("\n")));
}

void DesktopHostTest::theFormNeverMisleads() {
  open_host({});
  pick_day(QDate(2026, 3, 10));

  // Salva in browse mode says what to do instead of doing nothing.
  answer_next_box(standin::box::kOk);
  press("save");
  QCOMPARE(boxes_.size(), std::size_t{1});
  QVERIFY2(boxes_[0].text.contains("Nuovo"), qPrintable(boxes_[0].text));
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10'"), 0);

  // A project typed and given up: the next new day shows neither its code nor its description.
  press("new");
  type_into(edit(main(), "TXT_CODPROG"), "PRJ001");
  tab();
  QCOMPARE(edit(main(), "TXT_DESPROG")->text(), QString("Ampliamento stabilimento"));
  press("cancel");
  press("new");
  QCOMPARE(edit(main(), "TXT_CODPROG")->text(), QString());
  QCOMPARE(edit(main(), "TXT_DESPROG")->text(), QString());

  // A whole day: the descriptions of its three codes, whose text shows whole; after it is deleted,
  // they go with the codes.
  press("cancel");
  start_day("8");
  press("save");
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10'"), 1);
  QCOMPARE(edit(main(), "TXT_DESNODO")->text(), QString("Progettazione"));
  form_shows_the_highlighted_row("after saving");
  for (const char* name : {"TXT_DESPROG", "TXT_DESNODO", "TXT_DESATTIVITA"})
    QVERIFY2(shows_whole(edit(main(), name)), name);
  answer_next_box(standin::box::kYes);
  press("delete");
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10'"), 0);
  form_shows_the_highlighted_row("after the deletion");
}

void DesktopHostTest::quittingWithAPendingChangeAsks() {
  open_host({});
  pick_day(QDate(2026, 3, 10));
  auto enter_a_day = [&] { start_day("6"); };  // still in the hours when the person quits
  // Answers the question about the pending change with that button, recording the buttons offered.
  QStringList offered;
  auto answer = [&](QMessageBox::StandardButton which) {
    when_modal([&, which](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (!box || box->objectName() != "pending_change") {
        missed_ << "the question about the pending change did not open";
        if (modal) modal->close();
        return;
      }
      offered.clear();
      for (auto* b : box->buttons()) offered << b->text().remove('&');
      click(box->button(which));
    });
  };

  enter_a_day();
  answer(QMessageBox::Cancel);
  host_->window()->close();
  QVERIFY(host_->main_site());
  QVERIFY(host_->window()->isVisible());
  QCOMPARE(offered.size(), 3);
  QVERIFY2(offered.contains("Annulla"), qPrintable(offered.join(",")));
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10'"), 0);

  answer(QMessageBox::Discard);
  host_->window()->close();
  QVERIFY(!host_->main_site());
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10'"), 0);

  host_->window()->show();
  QVERIFY(QTest::qWaitForWindowActive(host_->window()));
  QVERIFY(host_->open_module());
  pick_day(QDate(2026, 3, 10));
  enter_a_day();
  answer(QMessageBox::Save);
  host_->window()->close();
  QVERIFY(!host_->main_site());
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10' AND PD4G_DURATAORE = 6"), 1);
}

void DesktopHostTest::theHighlightedRowIsTheDayInTheForm() {
  // The demo placed around today, as `init --demo` does: the window opens on a planned day.
  {
    QFile::remove(QString::fromStdString(db_));
    auto connection = database::open_or_create(db_);
    database::ensure_schema(*connection);
    database::insert_demo_data(*connection, runtime::Date::today());
    connection->Close();
  }
  open_host({});
  auto* grid = main().get<desktop::QtGrid>("GRID_CALENDATT")->table();
  auto* calendar = main().get<desktop::QtCalendar>("KVO_CALENDARIO")->calendar();
  auto agree = [&](const char* when) { form_shows_the_highlighted_row(when); };
  agree("on opening");
  QVERIFY(grid->currentRow() >= 0);
  const QDate today = desktop::to_qdate(runtime::Date::today());
  pick_day(calendar, today.addDays(1));
  agree("on the next day");
  pick_day(calendar, today);
  agree("back on today");
  for (int line = grid->rowCount() - 1; line >= 0; --line) {
    click(grid->viewport(), grid->visualRect(grid->model()->index(line, 3)).center());
    QCOMPARE(grid->currentRow(), line);
    agree("after a click");
  }
}

void DesktopHostTest::theCalendarMarksPlannedDays() {
  open_host({});
  auto calendar_view = main().get<desktop::QtCalendar>("KVO_CALENDARIO");
  auto* calendar = calendar_view->calendar();
  // The days of March 2026 that hold rows, read from the database.
  auto days_in_march = [&](const std::string& also) {
    std::vector<QDate> out;
    for (int day = 1; day <= 31; ++day) {
      char iso[16];
      std::snprintf(iso, sizeof iso, "2026-03-%02d", day);
      if (count("PD4G_DITTA_CG18 = 1 AND PD4G_DATAATTIVITA = '" + std::string(iso) + "'" + also) > 0)
        out.push_back(QDate(2026, 3, day));
    }
    return out;
  };
  auto bold = [&](QDate day) { return calendar->dateTextFormat(day).fontWeight() == QFont::Bold; };

  pick_day(calendar, QDate(2026, 3, 10));
  const auto all = days_in_march("");
  QVERIFY(all.size() >= 2);
  QCOMPARE(calendar_view->marked_days(), all);
  for (const auto& day : all) QVERIFY(bold(day));
  QVERIFY(!bold(QDate(2026, 3, 10)));

  // A day written is marked; the other months are not.
  start_day("5");
  press("save");
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10'"), 1);
  host_->refresh_status();
  QVERIFY(bold(QDate(2026, 3, 10)));
  // With an activity chosen, only its days.
  const auto of_the_activity = days_in_march(" AND PD4G_IDLEGAME_PD0H = 1001");
  QCOMPARE(calendar_view->marked_days(), of_the_activity);
  for (const auto& day : days_in_march(" AND PD4G_IDLEGAME_PD0H <> 1001"))
    if (std::find(of_the_activity.begin(), of_the_activity.end(), day) == of_the_activity.end())
      QVERIFY(!bold(day));

  pick_day(calendar, QDate(2026, 4, 10));
  QVERIFY(!bold(QDate(2026, 3, 10)));
  for (const auto& day : calendar_view->marked_days()) QCOMPARE(day.month(), 4);
}

QTEST_MAIN(DesktopHostTest)
#include "desktop_test.moc"
