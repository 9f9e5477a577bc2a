#include "desktop/preview_dialog.hpp"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "desktop/desktop_host.hpp"
#include "desktop/qt_forms.hpp"
#include "desktop/qt_text.hpp"
#include "desktop/range_pattern.hpp"
#include "host/controls.hpp"
#include "planner/preview.hpp"
#include "planner/range_runs.hpp"
#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "runtime/language.hpp"
#include "runtime/variant.hpp"

namespace desktop {
namespace {

constexpr const char* kInsertion = "FRMPD_ADDCALENDATT";
constexpr const char* kDeletion = "FRMPD_DELCALENDATT";
constexpr int kRunTimeoutMs = 120000;

using runtime::say;

std::string text_of(QtFormSite& site, const char* name) {
  return runtime::trim(site.model<host::TextControl>(name)->Text());
}

// A date of the dialog, as the person typed it in the short date form, written ISO.
std::string iso_of(QtFormSite& site, const char* name) {
  return runtime::Variant(text_of(site, name)).to_date().iso();
}

QString duration_text(const QJsonValue& hours, const QJsonValue& minutes) {
  if (!hours.isDouble()) return {};
  return QString("%1:%2").arg(hours.toInt()).arg(minutes.toInt(), 2, 10, QChar('0'));
}

std::string total_words(const QString& key, const std::string& language) {
  static const std::map<QString, std::pair<const char*, const char*>> words = {
      {"add", {"aggiunti", "added"}},
      {"overwrite", {"sovrascritti", "overwritten"}},
      {"skip", {"tralasciati", "skipped"}},
      {"stop_here", {"in conflitto", "in conflict"}},
      {"not_written", {"non scritti", "not written"}},
      {"delete", {"eliminati", "deleted"}},
      {"spared", {"risparmiati (risorse allocate)", "spared (resources allocated)"}},
      {"absent", {"assenti", "absent"}}};
  auto it = words.find(key);
  return it == words.end() ? key.toStdString() : say(language, it->second.first, it->second.second);
}

}  // namespace

// A line the rehearsal wrote, as the person reads the window's own messages: without the command line's
// marks (its name, the messages' numbers) and with every date in the person's date form. Lines about
// the command line itself (its options, the answers it gave for the person) say nothing here: empty.
QString message_shown(QString line) {
  static const QRegularExpression number("^\\[\\d+\\] ");
  static const QRegularExpression iso("\\b(\\d{4})-(\\d{2})-(\\d{2})\\b");
  if (line.contains("--")) return {};
  if (line.startsWith("calendatt: ")) line = line.mid(11);
  line.remove(number);
  QString out;
  qsizetype from = 0;
  for (auto it = iso.globalMatch(line); it.hasNext();) {
    const auto match = it.next();
    out += line.mid(from, match.capturedStart() - from);
    const auto day =
        runtime::date_of(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    out += day ? qs(runtime::date_text(*day)) : match.captured();
    from = match.capturedEnd();
  }
  return out + line.mid(from);
}

PreviewSource preview_source(const DesktopOptions& options) {
  PreviewSource source;
  source.program = qEnvironmentVariable("CALENDATT_CLI").toStdString();
  if (source.program.empty()) {
    QFileInfo beside(QCoreApplication::applicationDirPath() + "/calendatt");
    source.program = beside.isExecutable() ? beside.filePath().toStdString() : "calendatt";
  }
  source.db = options.db_path;
  source.company = options.company;
  source.language = options.language;
  source.called = options.called;
  return source;
}

std::vector<std::string> preview_arguments(QtFormSite& dialog, const PreviewSource& source) {
  const bool insertion = dialog.name() == kInsertion;
  std::vector<std::string> args = {insertion ? "add-range" : "delete-range",
                                   "--db",
                                   source.db,
                                   "--company",
                                   std::to_string(source.company),
                                   "--lang",
                                   source.language,
                                   "--project",
                                   text_of(dialog, "TXT_CODPROG"),
                                   "--node",
                                   text_of(dialog, "TXT_CODNODO"),
                                   "--activity",
                                   text_of(dialog, "TXT_CODATTIVITA"),
                                   "--from",
                                   iso_of(dialog, "TXT_DATAINIZIALE"),
                                   "--to",
                                   iso_of(dialog, "TXT_DATAFINALE"),
                                   "--every",
                                   text_of(dialog, insertion ? "TXT_RIPETIOGNI" : "TXT_CANCELLAOGNI")};
  if (insertion) {
    static const char* treatments[] = {"stop", "skip", "overwrite"};
    std::int32_t index = dialog.model<host::Combo>("CBO_VARPRESENTI")->ListIndex();
    args.insert(args.end(),
                {"--hours", text_of(dialog, "TXT_ORE"), "--minutes", text_of(dialog, "TXT_MINUTI")});
    if (index >= 0 && index < 3) args.insert(args.end(), {"--existing", treatments[index]});
  } else {
    args.push_back("--yes");
  }
  if (source.called) args.push_back("--called");
  // The whole pattern, when the dialog's row holds one.
  const RangePattern pattern = pattern_of(dialog);
  if (!pattern.weekdays.empty()) {
    // A weekday comes back every 7 days: the step of the dialog is not asked for.
    auto every = std::find(args.begin(), args.end(), "--every");
    args.erase(every, every + 2);
    std::string days;
    for (int w : pattern.weekdays) days += (days.empty() ? "" : ",") + planner::weekday_key(w);
    args.insert(args.end(), {"--weekdays", days});
  }
  if (!pattern.skip_file.empty()) args.insert(args.end(), {"--skip-dates", pattern.skip_file});
  args.insert(args.end(), {"--dry-run", "--format", "json"});
  return args;
}

CommandRun run_command(const PreviewSource& source, const std::vector<std::string>& arguments) {
  CommandRun run;
  QStringList args;
  for (const auto& a : arguments) args << qs(a);
  QProcess process;
  process.setStandardInputFile(QProcess::nullDevice());
  process.start(qs(source.program), args);
  if (!process.waitForStarted() || !process.waitForFinished(kRunTimeoutMs)) {
    process.kill();
    process.waitForFinished();
    run.messages << qs(say(source.language, "Il programma a riga di comando non si è potuto eseguire: ",
                           "The command line program could not run: ")) +
                        process.errorString();
    return run;
  }
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  for (const QString& line : QString::fromUtf8(process.readAllStandardError()).split('\n'))
    if (!line.trimmed().isEmpty()) run.messages << line;
  run.out = process.readAllStandardOutput();
  return run;
}

PreviewOutcome run_preview(const PreviewSource& source, const std::vector<std::string>& arguments) {
  PreviewOutcome outcome;
  CommandRun run = run_command(source, arguments);
  outcome.status = run.status;
  outcome.messages = run.messages;
  QJsonDocument document = QJsonDocument::fromJson(run.out);
  const QJsonObject root = document.object();
  for (const QJsonValue& value : root.value("dates").toArray()) {
    QJsonObject o = value.toObject();
    outcome.lines.push_back({o.value("date").toString(), o.value("effect").toString(),
                             duration_text(o.value("hours"), o.value("minutes")),
                             duration_text(o.value("was_hours"), o.value("was_minutes"))});
  }
  const QJsonObject totals = root.value("totals").toObject();
  for (const char* key :
       {"add", "overwrite", "skip", "stop_here", "delete", "spared", "absent", "not_written"})
    if (totals.contains(key)) outcome.totals.emplace_back(key, totals.value(key).toInt());
  return outcome;
}

PreviewDialog::PreviewDialog(const PreviewOutcome& outcome, bool insertion, const std::string& language,
                             QWidget* parent)
    : QDialog(parent) {
  setObjectName("PREVIEW_DIALOG");
  setWindowTitle(
      qs(insertion ? say(language, "Anteprima dell'inserimento multiplo", "Preview of the insertion")
                   : say(language, "Anteprima della cancellazione multipla", "Preview of the deletion")));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* heading =
      new QLabel(qs(say(language, "Ciò che la conferma farebbe a ogni data. Nulla è stato scritto.",
                        "What confirming would do to each date. Nothing was written.")),
                 this);
  layout->addWidget(heading);

  table_ = new QTableWidget(static_cast<int>(outcome.lines.size()), 4, this);
  table_->setObjectName("PREVIEW_TABLE");
  table_->setHorizontalHeaderLabels(
      {qs(say(language, "Data", "Date")), qs(say(language, "Effetto", "Effect")),
       qs(say(language, "Durata", "Duration")), qs(say(language, "Prima", "Before"))});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->setVisible(false);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
  for (int r = 0; r < static_cast<int>(outcome.lines.size()); ++r) {
    const PreviewLine& line = outcome.lines[static_cast<std::size_t>(r)];
    QString date = line.date;
    try {
      date = qs(runtime::date_text(runtime::Variant(line.date.toStdString()).to_date()));
    } catch (const runtime::Error&) {
      // Shown as the run wrote it.
    }
    std::string words = line.effect.toStdString();
    for (int e = 0; e <= static_cast<int>(planner::Effect::kAbsent); ++e) {
      auto effect = static_cast<planner::Effect>(e);
      if (line.effect == planner::effect_key(effect)) words = planner::effect_words(effect, language);
    }
    const QString cells[] = {date, qs(words), line.duration, line.before};
    for (int c = 0; c < 4; ++c) table_->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  table_->resizeColumnsToContents();
  table_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(table_);

  std::string totals;
  for (const auto& [key, n] : outcome.totals)
    totals += (totals.empty() ? "" : ", ") + (language == "en"
                                                  ? std::to_string(n) + " " + total_words(key, language)
                                                  : total_words(key, language) + " " + std::to_string(n));
  totals_ = new QLabel(qs(say(language, "Totali: ", "Totals: ") + totals), this);
  totals_->setObjectName("PREVIEW_TOTALS");
  layout->addWidget(totals_);
  // The messages the run showed (a conflict, the question answered yes), the preview's own line apart.
  QStringList shown;
  for (const QString& m : outcome.messages)
    if (!m.startsWith("calendatt: Anteprima") && !m.startsWith("calendatt: Preview"))
      if (QString line = message_shown(m); !line.isEmpty()) shown << line;
  if (outcome.lines.empty() && shown.isEmpty())
    shown << qs(say(language, "L'anteprima non ha dato risultati.", "The preview gave no result."));
  if (!outcome.lines.empty() && !shown.isEmpty())
    shown.prepend(qs(say(language, "Messaggi della prova:", "Messages of the rehearsal:")));
  messages_ = new QLabel(shown.join('\n'), this);
  messages_->setObjectName("PREVIEW_MESSAGES");
  messages_->setWordWrap(true);
  messages_->setVisible(!shown.isEmpty());
  layout->addWidget(messages_);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons_);
  resize(560, 520);
}

void PreviewDialog::offer_to_carry_out(const QString& text) {
  auto* button = buttons_->addButton(text, QDialogButtonBox::AcceptRole);
  button->setObjectName("PREVIEW_CARRY_OUT");
}

void add_preview_button(QtFormSite& site, std::function<PreviewSource()> source) {
  const bool insertion = site.name() == kInsertion;
  if (!insertion && site.name() != kDeletion) return;
  auto* toolbar = site.content() ? site.content()->findChild<QToolBar*>("FORM_TOOLBAR") : nullptr;
  if (!toolbar) return;
  const PreviewSource now = source();
  auto* action = toolbar->addAction(qs(say(now.language, "Anteprima", "Preview")));
  action->setObjectName("BTN_ANTEPRIMA");
  action->setToolTip(qs(say(now.language, "Mostra cosa farebbe la conferma, senza scrivere nulla",
                            "Shows what confirming would do, writing nothing")));
  QtFormSite* dialog = &site;
  std::weak_ptr<QtFormSite> alive = std::static_pointer_cast<QtFormSite>(site.shared_from_this());
  QObject::connect(action, &QAction::triggered, toolbar, [alive, dialog, source, insertion] {
    auto kept = alive.lock();
    if (!kept) return;
    // The field being typed in is left first, as before the dialog's own buttons.
    if (!dialog->validate_focused()) return;
    const PreviewSource from = source();
    PreviewOutcome outcome;
    try {
      auto arguments = preview_arguments(*dialog, from);
      QApplication::setOverrideCursor(Qt::WaitCursor);
      outcome = run_preview(from, arguments);
      QApplication::restoreOverrideCursor();
    } catch (const runtime::Error&) {
      outcome.messages << qs(say(from.language, "Le date dell'intervallo non sono valide.",
                                 "The dates of the range are not valid."));
    }
    QWidget* parent = dialog->dialog() ? static_cast<QWidget*>(dialog->dialog()) : dialog->content();
    PreviewDialog view(outcome, insertion, from.language, parent);
    view.exec();
  });
}

}  // namespace desktop
