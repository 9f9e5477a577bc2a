// The desktop host driven as a person drives it: key and mouse events on the real widgets of the main
// window, the two range dialogs, the lookup list and the message boxes, on a scratch demo database.
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>

#include "database/file_check.hpp"
#include "desktop/database_file.hpp"
#include "desktop/desktop_fixture.hpp"
#include "desktop/lookup_dialog.hpp"
#include "desktop/qt_responder.hpp"
#include "standin/dictionary.hpp"

namespace {

// Every text a person can read in `root` and the windows it owns: captions, labels, buttons, titles,
// tooltips, menus, list entries, grid headers.
QStringList shown_texts(QWidget* root) {
  QStringList out{root->windowTitle()};
  for (auto* w : root->findChildren<QWidget*>()) {
    out << w->toolTip() << w->windowTitle();
    if (auto* l = qobject_cast<QLabel*>(w)) out << l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) out << b->text();
    if (auto* m = qobject_cast<QMenu*>(w)) out << m->title();
    if (auto* c = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    if (auto* t = qobject_cast<QTableWidget*>(w))
      for (int i = 0; i < t->columnCount(); ++i)
        if (t->horizontalHeaderItem(i)) out << t->horizontalHeaderItem(i)->text();
  }
  for (auto* a : root->findChildren<QAction*>()) out << a->text();
  for (auto& text : out) text = text.remove('&').trimmed();
  out.removeAll("");
  return out;
}

// The texts among `texts` that hold (as a whole word) a word of the language other than `language`: of
// the dictionary's captions and the host's own words that differ between the two.
QStringList of_the_other_language(const QStringList& texts, const std::string& language) {
  std::vector<std::pair<std::string, std::string>> pairs = standin::caption_pairs();
  for (const auto& pair : QString("Nuovo=New Salva=Save Elimina=Delete Primo=First Precedente=Previous "
                                  "Successivo=Next Ultimo=Last Esporta=Export Navigatore=Navigator "
                                  "Impostazioni=Settings Esci=Quit Aiuto=Help Visualizzazione=Browse "
                                  "Ditta=Company Lingua=Language Sfoglia=Browse Giorni=Days Storia=History "
                                  "Calendario=Calendar Progetti=Projects")
                              .split(' '))
    pairs.emplace_back(pair.section('=', 0, 0).toStdString(), pair.section('=', 1).toStdString());
  QStringList wrong;
  for (const auto& [it, en] : pairs) {
    if (it == en) continue;
    const QString word = QString::fromStdString(language == "en" ? it : en);
    QRegularExpression whole("(^|[^\\w])" + QRegularExpression::escape(word) + "($|[^\\w])",
                             QRegularExpression::UseUnicodePropertiesOption);
    for (const auto& text : texts)
      if (whole.match(text).hasMatch()) wrong << QString("\"%1\" (%2)").arg(text, word);
  }
  return wrong;
}

QStringList grid_line(QTableWidget* table, int line) {
  QStringList out;
  for (int c = 0; c < table->columnCount(); ++c)
    out << (table->item(line, c) ? table->item(line, c)->text() : "");
  return out;
}

bool shows_whole(QLineEdit* field) {
  return field->width() >= field->fontMetrics().horizontalAdvance(field->text()) + 4;
}

}  // namespace

class DesktopHostTest : public DesktopFixture {
  Q_OBJECT

 private slots:
  void init() { make_scratch(); }
  void cleanup() { drop_scratch(); }

  void aCompleteDay();
  void controlsCarryTheirDesignValues();
  void messageBoxesAndTheErrorReport();
  void calledModeOpensOnTheActivity();
  void navigatorExportsAndChangesCompany();
  void commandLineAndSettingsFile();
  void aDatabaseFileIsCreatedOnlyWhenThePersonSaysSo();
  void oneLanguageAtATime();
  void quittingWithAPendingChangeAsks();
  void theCalendarMarksPlannedDays();
  void theLastActionIsPutBackFromTheRecordMenu();
  void typedWorkIsNeverDroppedWithoutAsking();

 private:
  // Nuovo, the codes of the demo's activity, and the hours (the focus stays in them).
  void start_day(const char* hours) {
    press("new");
    enter_codes(main());
    type(hours);
  }
  // The form and the grid's highlighted line show the same day (or neither shows one), and each code's
  // description is there exactly when its code is.
  void form_shows_the_highlighted_row(const char* when);
  QString status_message() const { return host_->window()->statusBar()->currentMessage(); }
};

void DesktopHostTest::form_shows_the_highlighted_row(const char* when) {
  const int line = grid()->currentRow();
  QStringList form;
  for (const char* name : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA", "TXT_DATA", "TXT_ORE"})
    form << field(name)->text();
  if (line < 0) {
    QVERIFY2(grid()->selectedItems().isEmpty() && form[4].isEmpty(), when);
  } else {
    QVERIFY2(grid()->item(line, 0)->isSelected(), when);
    QVERIFY2(form == grid_line(grid(), line).mid(0, 5), qPrintable(QString(when) + ": " + form.join(",")));
  }
  for (const QString pair : {"PROG", "NODO", "ATTIVITA"})
    QVERIFY2(field(qPrintable("TXT_COD" + pair))->text().trimmed().isEmpty() ==
                 field(qPrintable("TXT_DES" + pair))->text().isEmpty(),
             qPrintable(QString(when) + ": " + pair));
}

void DesktopHostTest::aCompleteDay() {
  open_host({});
  pick_day(QDate(2026, 3, 10));
  QCOMPARE(calendar()->selectedDate(), QDate(2026, 3, 10));
  QCOMPARE(grid()->rowCount(), 0);

  // Salva in browse mode says what to do instead of doing nothing.
  answer_next_box(standin::box::kOk);
  press("save");
  QCOMPARE(boxes_.size(), std::size_t{1});
  QVERIFY2(boxes_[0].text.contains("Nuovo"), qPrintable(boxes_[0].text));

  press("new");
  QCOMPARE(field("TXT_DATA")->text(), QString("10/03/2026"));
  type_into(field("TXT_CODPROG"), "prj001");
  QCOMPARE(field("TXT_CODPROG")->text(), QString("PRJ001"));
  tab();
  QCOMPARE(field("TXT_DESPROG")->text(), QString("Ampliamento stabilimento"));
  // Given up and started again: the new day shows neither the code nor its description.
  press("cancel");
  press("new");
  QCOMPARE(field("TXT_CODPROG")->text() + field("TXT_DESPROG")->text(), QString());
  type_into(field("TXT_CODPROG"), "PRJ001");
  tab();
  QCOMPARE(focus(), static_cast<QWidget*>(field("TXT_CODNODO")));

  // The node is chosen from the lookup list: search, then Enter on the row.
  bool list_seen = false;
  when_modal([&](QWidget* modal) {
    auto* lookup = dynamic_cast<desktop::LookupDialog*>(modal);
    if (!lookup) return (void)(missed_ << "the lookup list did not open");
    list_seen = lookup->table()->rowCount() >= 2;
    QTest::keyClicks(lookup->filter_edit(), "n01");
    QTest::keyClick(lookup->filter_edit(), Qt::Key_Return);
  });
  click(main().get<desktop::QtCodeEdit>("TXT_CODNODO")->lookup_button());
  QVERIFY(list_seen);
  QCOMPARE(field("TXT_DESNODO")->text(), QString("Progettazione"));
  QCOMPARE(focus(), static_cast<QWidget*>(field("TXT_CODNODO")));

  // The activity completes the three codes: they lock, and the period shows.
  tab();
  fill({"att01"});
  for (const char* name : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
    QVERIFY2(!field(name)->isEnabled(), name);
  QCOMPARE(field("TXT_DATAINIZ")->text() + field("TXT_DATAFIN")->text(), QString("01/03/202631/03/2026"));
  QCOMPARE(focus(), static_cast<QWidget*>(field("TXT_ORE")));
  // Hours out of range, then a click on another day: the check refuses, the focus stays in the hours
  // and the click does not reach the calendar.
  type("25");
  answer_next_box(standin::box::kOk);
  auto* view = calendar()->findChild<QTableView*>("qt_calendar_calendarview");
  click(view->viewport(), view->visualRect(view->model()->index(3, 3)).center());
  QCOMPARE(boxes_.size(), std::size_t{2});
  QCOMPARE(focus(), static_cast<QWidget*>(field("TXT_ORE")));
  QCOMPARE(calendar()->selectedDate(), QDate(2026, 3, 10));
  // A digit beyond the hours' two does not go in.
  field("TXT_ORE")->selectAll();
  type("075");
  QCOMPARE(field("TXT_ORE")->text(), QString("07"));
  tab();
  type("30");
  press("save");
  QCOMPARE(boxes_.size(), std::size_t{2});
  QCOMPARE(grid()->rowCount(), 1);
  QCOMPARE(grid_line(grid(), 0),
           (QStringList{"PRJ001", "N01", "ATT01", "10/03/2026", "7", "30", "01/03/2026", "31/03/2026"}));
  form_shows_the_highlighted_row("after saving");
  for (const char* name : {"TXT_DESPROG", "TXT_DESNODO", "TXT_DESATTIVITA"})
    QVERIFY2(shows_whole(field(name)), name);

  // Deleted from the navigator: the form and the grid let it go together.
  answer_next_box(standin::box::kYes);
  press("delete");
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10'"), 0);
  QCOMPARE(grid()->rowCount(), 0);
  form_shows_the_highlighted_row("after the deletion");

  // A week generated with overwrite: the demo's 9 March takes the new duration.
  in_dialog("BTN_INSMULTIPLO", "FRMPD_ADDCALENDATT", [&](QtFormSite& d) {
    enter_codes(d);
    QCOMPARE(focus(), static_cast<QWidget*>(edit(d, "TXT_DATAINIZIALE")));
    for (const char* name : {"TXT_DESPROG", "TXT_DESNODO", "TXT_DESATTIVITA"})
      QVERIFY2(!edit(d, name)->text().isEmpty() && shows_whole(edit(d, name)), name);
    fill({"9/3/2026", "15/03/2026", "1", "8", "0"});
    auto treatment = d.get<desktop::QtCombo>("CBO_VARPRESENTI");
    QCOMPARE(focus(), static_cast<QWidget*>(treatment->combo()));
    QTest::keyClick(treatment->combo(), Qt::Key_Down);
    QTest::keyClick(treatment->combo(), Qt::Key_Down);
    QCOMPARE(treatment->model()->Value(), std::string("2"));
    answer_next_box(standin::box::kOk);
    click_button(d, "BTN_CONFERMA");
  });
  QCOMPARE(status_message(), QString("Pianificati i giorni di PRJ001 / N01 / ATT01 dal 09/03/2026 al "
                                     "15/03/2026: aggiunti 6, sovrascritti 1, saltati 0."));
  QCOMPARE(grid()->rowCount(), 1);
  QCOMPARE(grid_line(grid(), 0).mid(3, 3), (QStringList{"10/03/2026", "8", "0"}));
  form_shows_the_highlighted_row("after the bulk run");

  // The week deleted, in English: Yes deletes, and the status bar says so in the window's language.
  desktop::DesktopOptions english = host_->options();
  english.language = "en";
  QVERIFY(host_->apply_options(english));
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
  QCOMPARE(boxes_[0].buttons, (QStringList{"Yes", "No"}));
  QCOMPARE(grid()->rowCount(), 0);
}

void DesktopHostTest::controlsCarryTheirDesignValues() {
  open_host({});
  QStringList headers;
  for (int c = 0; c < grid()->columnCount(); ++c) headers << grid()->horizontalHeaderItem(c)->text();
  QCOMPARE(headers, (QStringList{"Codice Progetto", "Codice Nodo", "Codice Attività", "Data", "Ore", "Min",
                                 "Inizio attività", "Fine attività"}));
  QCOMPARE(calendar()->firstDayOfWeek(), Qt::Monday);
  for (const char* name :
       {"TXT_DESPROG", "TXT_DESNODO", "TXT_DESATTIVITA", "TXT_DATAINIZ", "TXT_DATAFIN", "TXT_DATA"})
    QVERIFY2(!field(name)->isEnabled(), name);
  QVERIFY(main().get<desktop::QtCodeEdit>("TXT_CODPROG")->lookup_button());
  QVERIFY(!main().get<desktop::QtCodeEdit>("TXT_ORE")->lookup_button());
  QCOMPARE(main().get<desktop::QtLabel>("LBL_PROGETTO")->label()->buddy(),
           static_cast<QWidget*>(field("TXT_CODPROG")));

  // The last column of the grid keeps about its width; the spare room is not given to it.
  const int last = grid()->columnCount() - 1;
  QVERIFY(grid()->viewport()->width() > 900);
  QVERIFY2(grid()->columnWidth(last) <= grid()->columnWidth(last - 1),
           qPrintable(QString::number(grid()->columnWidth(last))));
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
      // A question with Yes never wears the icon of a mere notice.
      {3 + 64 + 512, QMessageBox::Warning, {"Sì", "No", "Annulla"}, "Annulla", "Annulla"},
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

  desktop::QtResponder responder("it");

  // The error report shows the error, the provider's errors and the routine.
  standin::ErrorReport report;
  report.error = runtime::ErrorInfo{3265, "Item cannot be found", "EngineRecordset"};
  report.provider_errors = {host::ProviderError{19, "UNIQUE constraint failed", "SQLite", "23000"}};
  report.routine = "FME_CALENDATT_BeforeUpdate";
  report.style = 4370;
  QStringList shown;
  when_modal([&](QWidget* modal) {
    for (const char* name : {"REPORT_ROUTINE", "REPORT_NUMBER", "REPORT_DESCRIPTION", "REPORT_SOURCE"})
      shown << modal->findChild<QLabel*>(name)->text();
    auto* provider = modal->findChild<QTableWidget*>("REPORT_PROVIDER_ERRORS");
    shown << provider->item(0, 0)->text() << provider->item(0, 1)->text() << provider->item(0, 3)->text();
    for (auto* b : modal->findChildren<QPushButton*>())
      if (b->isDefault()) shown << b->text();
    // Escape does not close a report that must be answered.
    QTest::keyClick(modal, Qt::Key_Escape);
    QVERIFY(modal->isVisible());
    click(modal->findChild<QAbstractButton*>("answer_5"));
  });
  QCOMPARE(responder.answer_report(report), standin::box::kIgnore);
  QCOMPARE(shown, (QStringList{"FME_CALENDATT_BeforeUpdate", "3265", "Item cannot be found",
                               "EngineRecordset", "19", "UNIQUE constraint failed", "23000", "Riprova"}));
}

void DesktopHostTest::calledModeOpensOnTheActivity() {
  desktop::DesktopOptions options{.called = true, .project = "prj001", .node = "N01", .activity = "ATT01"};
  // The activity starts on a planned day: the window opens on that day's row.
  execute("UPDATE PD0H_LEGDISBAPROG SET PD0H_DATAINIZPIAN = '2026-03-02' WHERE PD0H_IDLEGAME = 1001");
  open_host(options);
  QCOMPARE(calendar()->selectedDate(), QDate(2026, 3, 2));
  for (const char* name : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
    QVERIFY2(!field(name)->isEnabled(), name);
  QCOMPARE(grid()->currentRow(), 0);
  form_shows_the_highlighted_row("called mode, on opening");
  // A new row on a free day takes the activity's codes.
  pick_day(QDate(2026, 3, 7));
  press("new");
  QCOMPARE(field("TXT_CODATTIVITA")->text() + " " + field("TXT_DATA")->text(), QString("ATT01 07/03/2026"));
  auto* status = host_->window()->findChild<QLabel*>("STATUS_FRAME");
  QVERIFY2(status->text().contains("PRJ001"), qPrintable(status->text()));

  // An activity that does not exist: the person is told and no window opens.
  host_.reset();
  options.activity = "ATT99";
  show_host(options);
  answer_next_box(standin::box::kOk);
  QVERIFY(!host_->open_module());
  QCOMPARE(boxes_.size(), std::size_t{1});
  QVERIFY(!host_->main_site());
}

void DesktopHostTest::navigatorExportsAndChangesCompany() {
  open_host({});
  pick_day(QDate(2026, 3, 2));
  form_shows_the_highlighted_row("on a day of two rows");
  click(grid()->viewport(), grid()->visualRect(grid()->model()->index(1, 3)).center());
  QCOMPARE(grid()->currentRow(), 1);
  form_shows_the_highlighted_row("after a click on the second");

  // Export, in the form the person chose: for a spreadsheet under the module's title, or the standard form
  // for scripts (keys, commas, ISO dates, no title, no byte order mark).
  const QString sheet = scratch_->filePath("grid.csv"), standard = scratch_->filePath("grid-standard.csv");
  host_->set_export_file_chooser([&] { return sheet.toStdString(); });
  press("export");
  host_->set_export_chooser([&] { return DesktopHost::ExportChoice{standard.toStdString(), true}; });
  press("export");
  QFile sheet_file(sheet), standard_file(standard);
  QVERIFY(sheet_file.open(QIODevice::ReadOnly) && standard_file.open(QIODevice::ReadOnly));
  QVERIFY(sheet_file.readLine().endsWith("Calendario attività WBS\r\n"));
  QCOMPARE(QString::fromUtf8(standard_file.readAll()).split("\n", Qt::SkipEmptyParts).mid(0, 2),
           (QStringList{"project,node,activity,day,hours,minutes,planning_start,planning_end",
                        "PRJ001,N01,ATT01,2026-03-02,8,0,2026-03-01,2026-03-31"}));

  // Company change: the company is chosen among those of the database, then the module asks; No keeps
  // the company, Yes closes the window and the calendar opens again on the new company.
  auto change_to = [&](int company, int answer) {
    when_modal([&, company, answer](QWidget* modal) {
      auto* input = qobject_cast<QInputDialog*>(modal);
      if (!input) return (void)(missed_ << "the company was not asked for");
      answer_next_box(answer);
      QCOMPARE(input->comboBoxItems(), (QStringList{"1", "2"}));
      input->setTextValue(QString::number(company));
      input->accept();
    });
    press("company");
  };
  change_to(2, standin::box::kNo);
  QCOMPARE(boxes_.size(), std::size_t{1});
  QVERIFY(host_->main_site());
  QCOMPARE(host_->environment().global()->Company().to_long(), 1);
  change_to(2, standin::box::kYes);
  QVERIFY(host_->main_site());
  QCOMPARE(host_->environment().global()->Company().to_long(), 2);
  pick_day(QDate(2026, 3, 3));
  QCOMPARE(grid()->rowCount(), 1);
  QCOMPARE(grid_line(grid(), 0).mid(0, 4), (QStringList{"PRJ900", "Z01", "ATT01", "03/03/2026"}));
}

void DesktopHostTest::commandLineAndSettingsFile() {
  auto parse = [](const QString& args, desktop::CommandLine& line) {
    std::vector<std::string> words;
    for (const auto& word : args.split(' ', Qt::SkipEmptyParts)) words.push_back(word.toStdString());
    std::string error;
    return desktop::parse_command_line(words, line, error) ? std::string() : error;
  };
  auto shown = [](const desktop::DesktopOptions& o) {
    return o.db_path + " " + std::to_string(o.company) + " " + o.language + " " + o.short_date_form +
           (o.called ? " called " + o.activity : "");
  };
  desktop::CommandLine line, called;
  QCOMPARE(parse("--db x.db --company=2 --lang en --date-form yyyy-mm-dd", line), std::string());
  QCOMPARE(shown(line.options), std::string("x.db 2 en yyyy-mm-dd"));
  QCOMPARE(parse("--called --project PRJ001 --node N01 --activity ATT01", called), std::string());
  QVERIFY(shown(called.options).ends_with(" called ATT01"));
  for (const char* wrong : {"--project PRJ001", "--called --project P --node N", "--lang fr", "--company 0",
                            "--date-form d/m/y", "--db", "stray"}) {
    // Said in Italian by default, in English with --lang en.
    desktop::CommandLine refused, in_english;
    const std::string italian = parse(wrong, refused),
                      english = parse(QString("--lang en ") + wrong, in_english);
    QVERIFY2(!italian.empty() && !english.empty() && italian != english, wrong);
  }

  // The settings file gives what the command line does not.
  const std::string file = scratch_->filePath("desktop.ini").toStdString();
  desktop::CommandLine saved;
  QCOMPARE(parse("--db saved.db --company 3 --lang en --date-form mm/dd/yyyy", saved), std::string());
  desktop::write_settings_file(file, saved.options);
  desktop::DesktopOptions read;
  desktop::read_settings_file(file, read);
  desktop::CommandLine company;
  QCOMPARE(parse("--company 5", company), std::string());
  std::string error;
  QVERIFY(desktop::apply_command_line(company, read, error));
  QCOMPARE(shown(read), std::string("saved.db 5 en mm/dd/yyyy"));
}

void DesktopHostTest::aDatabaseFileIsCreatedOnlyWhenThePersonSaysSo() {
  // Clicks the named button of the next question and records the question's text.
  QString asked;
  auto answer_question = [this, &asked](const char* button_name) {
    when_modal([this, button_name, &asked](QWidget* modal) {
      asked = modal->property("text").toString();
      if (auto* button = modal->findChild<QAbstractButton*>(button_name))
        click(button);
      else
        missed_ << QString("the question has no button ") + button_name;
    });
  };
  auto rows = [](const std::string& path, const char* table) {
    auto connection = database::new_connection();
    connection->Open("Data Source=" + path, "", "", -1);
    return connection->Execute(std::string("SELECT COUNT(*) AS N FROM ") + table, 1)->Field("N").to_long();
  };
  const std::string missing = scratch_->filePath("new/calendar.db").toStdString();
  answer_question(desktop::kDoNotCreate);
  QCOMPARE(desktop::prepare_database_file(nullptr, missing, "en"), desktop::DatabaseFile::kDeclined);
  QCOMPARE(asked, QString::fromStdString("There is no database at " + missing + ".\nCreate it now?"));
  QVERIFY(!QFile::exists(QString::fromStdString(missing)));

  answer_question(desktop::kCreateEmpty);
  QCOMPARE(desktop::prepare_database_file(nullptr, missing, "it"), desktop::DatabaseFile::kReady);
  QVERIFY(asked.startsWith("Il database "));
  QCOMPARE(rows(missing, "PD0G_DISBAPROG"), 0);

  const std::string with_demo = scratch_->filePath("demo.db").toStdString();
  answer_question(desktop::kCreateWithDemo);
  QCOMPARE(desktop::prepare_database_file(nullptr, with_demo, "en"), desktop::DatabaseFile::kReady);
  QVERIFY(rows(with_demo, "PD4G_CALENDATT") > 0);

  // A file that is not a calendar is shown with the checker's words and left as it is.
  const QString empty = scratch_->filePath("empty.db");
  QFile(empty).open(QIODevice::WriteOnly);
  answer_next_box(1);
  QCOMPARE(desktop::prepare_database_file(nullptr, empty.toStdString(), "it"),
           desktop::DatabaseFile::kFailed);
  QCOMPARE(boxes_.size(), std::size_t{1});
  QCOMPARE(boxes_[0].text, QString::fromStdString(
                               database::describe(database::check_calendar_file(empty.toStdString()), "it")));
  QCOMPARE(boxes_[0].icon, QMessageBox::Critical);
  QCOMPARE(QFileInfo(empty).size(), qint64{0});
}

// Switched from Italian to English in the settings and back: every text shown, the range dialogs' and the
// settings' (Qt's own buttons too) are of the new language only.
void DesktopHostTest::oneLanguageAtATime() {
  open_host({});
  QCOMPARE(host_->action("new")->text(), QString("Nuovo"));
  for (const std::string lang : {"en", "it"}) {
    desktop::DesktopOptions options = host_->options();
    options.language = lang;
    QVERIFY(host_->apply_options(options));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed window's widgets
    QCOMPARE(host_->action("new")->text(), QString(lang == "it" ? "Nuovo" : "New"));
    QCOMPARE(main().get<desktop::QtLabel>("LBL_PROGETTO")->label()->text().remove('&'),
             QString(lang == "it" ? "Progetto" : "Project"));
    QStringList texts = shown_texts(host_->window());
    QVERIFY(texts.size() > 40);
    for (auto [button, name] : {std::pair{"BTN_INSMULTIPLO", "FRMPD_ADDCALENDATT"},
                                std::pair{"BTN_CANCMULTIPLA", "FRMPD_DELCALENDATT"}}) {
      in_dialog(button, name, [&](QtFormSite& d) {
        texts << shown_texts(d.dialog());
        click_button(d, "BTN_ANNULLA");
      });
    }
    QStringList in_settings;
    when_modal([&](QWidget* modal) {
      in_settings = shown_texts(modal);
      QTest::keyClick(modal, Qt::Key_Escape);
    });
    host_->action("settings")->trigger();
    QVERIFY(in_settings.contains(lang == "en" ? "Cancel" : "Annulla"));
    // Every other window the host opens: a message box (its title too), the lookup list, the History.
    QStringList elsewhere;
    auto collect = [&] {
      when_modal([&](QWidget* modal) {
        elsewhere << shown_texts(modal);
        if (auto* box = qobject_cast<QMessageBox*>(modal)) elsewhere << box->text();
        modal->close();
      });
    };
    collect();
    press("save");
    collect();
    host_->action("history")->trigger();
    press("new");
    collect();
    host_->window()->activateWindow();  // as the window manager does once the History closed
    QVERIFY(QTest::qWaitForWindowActive(host_->window()));
    click(main().get<desktop::QtCodeEdit>("TXT_CODPROG")->lookup_button());
    press("cancel");
    QVERIFY(elsewhere.contains(lang == "en" ? "WBS activity calendar" : "Calendario attività WBS"));
    QVERIFY2(elsewhere.contains(lang == "en" ? "Projects" : "Progetti"), qPrintable(elsewhere.join("|")));
    const QStringList wrong = of_the_other_language(texts + in_settings + elsewhere, lang);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("\n")));
  }
}

void DesktopHostTest::quittingWithAPendingChangeAsks() {
  open_host({});
  // Quits answering the question about the pending change.
  auto quit_answering = [&](QMessageBox::StandardButton which) {
    when_modal([&, which](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (box && box->objectName() == "pending_change" && box->button(which))
        return click(box->button(which));
      missed_ << "the question about the pending change did not open";
      modal->close();
    });
    host_->window()->close();
  };
  pick_day(QDate(2026, 3, 10));
  start_day("6");  // still in the hours when the person quits
  quit_answering(QMessageBox::Cancel);
  QVERIFY(host_->main_site() && host_->window()->isVisible());
  quit_answering(QMessageBox::Discard);
  QVERIFY(!host_->main_site());
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10'"), 0);

  host_->window()->show();
  QVERIFY(QTest::qWaitForWindowActive(host_->window()));
  QVERIFY(host_->open_module());
  pick_day(QDate(2026, 3, 10));
  start_day("6");
  quit_answering(QMessageBox::Save);
  QVERIFY(!host_->main_site());
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10' AND PD4G_DURATAORE = 6"), 1);
}

void DesktopHostTest::theCalendarMarksPlannedDays() {
  open_host({});
  // Each day of March is bold exactly when the database holds a row on it (of the activity browsed, once
  // there is one).
  auto marks_agree = [&](const std::string& also, const char* when) {
    for (QDate day(2026, 3, 1); day.month() == 3; day = day.addDays(1)) {
      const std::string iso = day.toString(Qt::ISODate).toStdString();
      const bool held = count("PD4G_DITTA_CG18 = 1 AND PD4G_DATAATTIVITA = '" + iso + "'" + also) > 0;
      QVERIFY2((calendar()->dateTextFormat(day).fontWeight() == QFont::Bold) == held,
               qPrintable(QString("%1: %2").arg(when, day.toString())));
    }
  };
  pick_day(QDate(2026, 3, 10));
  marks_agree("", "on opening");
  start_day("5");
  press("save");
  host_->refresh_status();
  marks_agree(" AND PD4G_IDLEGAME_PD0H = 1001", "with ATT01 chosen");
  QVERIFY(calendar()->dateTextFormat(QDate(2026, 3, 10)).fontWeight() == QFont::Bold);

  // The other months are not.
  pick_day(QDate(2026, 4, 10));
  QVERIFY(calendar()->dateTextFormat(QDate(2026, 3, 10)).fontWeight() != QFont::Bold);
  for (const auto& day : main().get<desktop::QtCalendar>("KVO_CALENDARIO")->marked_days())
    QCOMPARE(day.month(), 4);

  // Browsing MAN01's row: its day in bold with its time as the tooltip, ATT01's days apart, in italics.
  pick_day(QDate(2026, 3, 2));
  const int line = grid()->findItems("MAN01", Qt::MatchExactly)[0]->row();
  click(grid()->viewport(), grid()->visualItemRect(grid()->item(line, 0)).center());
  host_->refresh_status();
  auto format = [&](int day) { return calendar()->dateTextFormat(QDate(2026, 3, day)); };
  QVERIFY(format(2).fontWeight() == QFont::Bold);
  QCOMPARE(format(2).toolTip(), QString("PRJ002 / M01 / MAN01: 2:00"));
  QVERIFY(format(3).fontWeight() != QFont::Bold && format(3).fontItalic());
}

void DesktopHostTest::theLastActionIsPutBackFromTheRecordMenu() {
  open_host({});
  pick_day(QDate(2026, 3, 2));
  QCOMPARE(grid()->rowCount(), 2);
  const QStringList deleted = grid_line(grid(), 0);
  answer_next_box(standin::box::kYes);
  press("delete");
  QCOMPARE(grid()->rowCount(), 1);
  QCOMPARE(count("PD4G_IDCALENDARIO = 1"), 0);

  // The dialog lists what it puts back; the day comes back with its own key, and the window shows it.
  QStringList listed;
  when_modal([&](QWidget* modal) {
    auto* table = modal->findChild<QTableWidget*>("UNDO_TABLE");
    if (table) listed = grid_line(table, 0) << QString::number(table->rowCount());
    click(modal->findChild<QPushButton*>("UNDO_CONFIRM"));
  });
  host_->action("undo")->trigger();
  QCOMPARE(listed, (QStringList{"02/03/2026", "rimesso", "", "", "8", "0", "1"}));
  QCOMPARE(count("PD4G_IDCALENDARIO = 1 AND PD4G_DURATAORE = 8"), 1);
  QCOMPARE(grid()->rowCount(), 2);
  QCOMPARE(grid_line(grid(), 0), deleted);
  QVERIFY2(status_message().contains("1 giorni rimessi"), qPrintable(status_message()));

  // The undo is an action of its own: undoing it would remove the day again; left, nothing changes.
  when_modal([&](QWidget* modal) {
    auto* table = modal->findChild<QTableWidget*>("UNDO_TABLE");
    if (table) listed = grid_line(table, 0);
    click(modal->findChild<QPushButton*>("UNDO_LEAVE"));
  });
  host_->action("undo")->trigger();
  QCOMPARE(listed, (QStringList{"02/03/2026", "tolto", "8", "0", "", ""}));
  QCOMPARE(count("PD4G_IDCALENDARIO = 1"), 1);

  // The History of the activity browsed, in English: newest first, with what each did.
  desktop::DesktopOptions english = host_->options();
  english.language = "en";
  QVERIFY(host_->apply_options(english));
  pick_day(QDate(2026, 3, 2));
  QStringList history;
  when_modal([&](QWidget* modal) {
    auto* table = modal->findChild<QTableWidget*>("HISTORY_TABLE");
    for (int r = 0; table && r < table->rowCount(); ++r) {
      QStringList line = grid_line(table, r);
      history << QStringList{line[3], line[4], line[5], line[6]}.join(" ");
    }
    modal->close();
  });
  host_->action("history")->trigger();
  QCOMPARE(history.mid(0, 2), (QStringList{"undo 10 1 0 0", "desktop: delete 0 0 1"}));
}

void DesktopHostTest::typedWorkIsNeverDroppedWithoutAsking() {
  open_host({});
  QStringList asked;
  auto answer_pending = [&](QMessageBox::StandardButton which) {
    when_modal([&, which](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (!box || box->objectName() != "pending_change")
        return (void)(missed_ << "no question", modal->close());
      asked << box->text();
      click(box->button(which));
    });
  };
  // The window is active again once the question closed, as the window manager makes it.
  auto back = [&] {
    host_->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(host_->window()));
  };
  // A day without rows shows no values: not those of the last row shown, and nothing takes typing.
  pick_day(QDate(2026, 3, 2));
  QCOMPARE(field("TXT_ORE")->text(), QString("8"));
  pick_day(QDate(2026, 3, 10));
  for (const char* name : {"TXT_CODPROG", "TXT_DESPROG", "TXT_DATA", "TXT_ORE", "TXT_MINUTI"}) {
    QVERIFY2(field(name)->text().isEmpty(), name);
    QVERIFY2(field(name)->isReadOnly(), name);
  }

  // New, then another day: asked first; Cancel keeps the day and everything typed, Save writes it.
  start_day("7");
  answer_pending(QMessageBox::Cancel);
  pick_day(QDate(2026, 3, 11));
  back();
  QCOMPARE(calendar()->selectedDate(), QDate(2026, 3, 10));
  QCOMPARE(field("TXT_CODATTIVITA")->text() + field("TXT_ORE")->text(), QString("ATT0107"));
  QVERIFY(!field("TXT_ORE")->isReadOnly());
  answer_pending(QMessageBox::Save);
  pick_day(QDate(2026, 3, 11));
  back();
  QCOMPARE(calendar()->selectedDate(), QDate(2026, 3, 11));
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-10' AND PD4G_DURATAORE = 7"), 1);

  // A stored row's hours changed, then another line, then New: asked each time; Discard gives them up.
  pick_day(QDate(2026, 3, 2));
  type_into(field("TXT_ORE"), "5");
  answer_pending(QMessageBox::Discard);
  click(grid()->viewport(), grid()->visualItemRect(grid()->item(1, 0)).center());
  back();
  QCOMPARE(grid()->currentRow(), 1);
  type_into(field("TXT_ORE"), "3");
  answer_pending(QMessageBox::Cancel);
  press("new");
  QCOMPARE(field("TXT_ORE")->text(), QString("03"));
  // Given up with the navigator's Cancel; a new row nothing was typed into goes without a question.
  press("cancel");
  press("new");
  pick_day(QDate(2026, 3, 12));
  QCOMPARE(calendar()->selectedDate(), QDate(2026, 3, 12));
  QCOMPARE(asked.size(), 4);
  QCOMPARE(count("PD4G_DATAATTIVITA = '2026-03-02' AND PD4G_DURATAORE IN (3, 5)"), 0);
}

QTEST_MAIN(DesktopHostTest)
#include "desktop_test.moc"
