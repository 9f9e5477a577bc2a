#include "desktop/range_pattern.hpp"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "desktop/file_chooser.hpp"
#include "desktop/qt_forms.hpp"
#include "planner/range_runs.hpp"
#include "runtime/error.hpp"

namespace desktop {
namespace {

constexpr const char* kInsertion = "FRMPD_ADDCALENDATT";
constexpr const char* kDeletion = "FRMPD_DELCALENDATT";

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

std::string say(const std::string& language, const char* italian, const char* english) {
  return language == "en" ? english : italian;
}

QString box_name(int weekday) {
  return QString("PATTERN_%1").arg(qs(planner::weekday_key(weekday)).toUpper());
}

// Lists what the pattern would do, asks, and carries it out with the command line; the dialog is then
// given up (what it would have done is done) and `done` told the run's summary.
void carry_out(QtFormSite& dialog, const PreviewSource& source,
               const std::function<void(const std::string&)>& done) {
  if (!dialog.validate_focused()) return;
  QWidget* parent = dialog.dialog() ? static_cast<QWidget*>(dialog.dialog()) : dialog.content();
  std::vector<std::string> arguments;
  try {
    arguments = preview_arguments(dialog, source);
  } catch (const runtime::Error&) {
    QMessageBox::warning(parent, qs(say(source.language, "Serie", "Pattern")),
                         qs(say(source.language, "Le date dell'intervallo non sono valide.",
                                "The dates of the range are not valid.")));
    return;
  }
  const bool insertion = dialog.name() == kInsertion;
  PreviewOutcome outcome = run_preview(source, arguments);
  PreviewDialog view(outcome, insertion, source.language, parent);
  if (!outcome.lines.empty() && outcome.status == 0)
    view.offer_to_carry_out(qs(say(source.language, "Esegui la serie", "Carry out the pattern")));
  if (view.exec() != QDialog::Accepted) return;
  // The same run for real: the command line answers the deletion's question as the person just did.
  std::vector<std::string> real(arguments.begin(), arguments.end() - 3);  // without --dry-run --format json
  if (insertion) real.push_back("--yes");
  CommandRun run = run_command(source, real);
  QStringList said;
  for (const QString& line : run.messages)
    if (QString shown = message_shown(line); !shown.isEmpty()) said << shown;
  const QString summary = message_shown(QString::fromUtf8(run.out).trimmed());
  if (run.status != 0) {
    said.prepend(summary);
    said.removeAll(QString());
    QMessageBox::warning(parent, qs(say(source.language, "Serie", "Pattern")), said.join('\n'));
    if (run.status < 0) return;
  }
  // The dialog has nothing left to do: it is left as its own Annulla leaves it.
  auto keep = std::static_pointer_cast<QtFormSite>(dialog.shared_from_this());
  dialog.get<QtToolbarButton>("BTN_ANNULLA")->button()->click();
  if (run.status == 0 && done) done(summary.toStdString());
}

// Catches the person's Conferma (click, key or shortcut) while a pattern is chosen.
class ConfirmFilter : public QObject {
 public:
  ConfirmFilter(std::weak_ptr<QtFormSite> site, std::function<PreviewSource()> source,
                std::function<void(const std::string&)> done, QObject* parent)
      : QObject(parent), site_(std::move(site)), source_(std::move(source)), done_(std::move(done)) {}

  bool eventFilter(QObject*, QEvent* event) override {
    auto site = site_.lock();
    if (!site || pattern_of(*site).empty()) return false;
    bool confirm = false;
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
      case QEvent::MouseButtonRelease:
        confirm = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        break;
      case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        confirm = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
        break;
      }
      case QEvent::Shortcut:
        confirm = true;
        break;
      default:
        return false;
    }
    if (confirm) carry_out(*site, source_(), done_);
    return confirm;
  }

 private:
  std::weak_ptr<QtFormSite> site_;
  std::function<PreviewSource()> source_;
  std::function<void(const std::string&)> done_;
};

}  // namespace

RangePattern pattern_of(QtFormSite& dialog) {
  RangePattern pattern;
  QWidget* content = dialog.content();
  if (!content) return pattern;
  for (int w = 1; w <= 7; ++w)
    if (auto* box = content->findChild<QCheckBox*>(box_name(w)); box && box->isChecked())
      pattern.weekdays.push_back(w);
  if (auto* file = content->findChild<QLabel*>("PATTERN_SKIP_FILE"))
    pattern.skip_file = file->property("path").toString().toStdString();
  return pattern;
}

void add_pattern_row(QtFormSite& site, std::function<PreviewSource()> source,
                     std::function<void(const std::string&)> done) {
  if (site.name() != kInsertion && site.name() != kDeletion) return;
  auto* root = site.content() ? qobject_cast<QVBoxLayout*>(site.content()->layout()) : nullptr;
  if (!root) return;
  const std::string language = source().language;
  auto* row = new QWidget(site.content());
  row->setObjectName("PATTERN_ROW");
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(8, 0, 8, 0);
  layout->addWidget(new QLabel(qs(say(language, "Solo i giorni:", "Only on:")), row));
  for (int w = 1; w <= 7; ++w) {
    auto* box = new QCheckBox(qs(planner::weekday_name(w, language)), row);
    box->setObjectName(box_name(w));
    layout->addWidget(box);
  }
  layout->addSpacing(12);
  auto* choose = new QPushButton(qs(say(language, "Giorni da saltare…", "Dates to skip…")), row);
  choose->setObjectName("PATTERN_SKIP");
  choose->setAutoDefault(false);  // Enter in a field of the dialog never opens the file chooser
  choose->setToolTip(qs(say(language, "Un elenco di date o un calendario iCalendar (.ics) delle festività",
                            "A list of dates or an iCalendar (.ics) file of holidays")));
  auto* file = new QLabel(qs(say(language, "nessuna", "none")), row);
  file->setObjectName("PATTERN_SKIP_FILE");
  QPointer<QLabel> shown = file;
  QObject::connect(choose, &QPushButton::clicked, row, [shown, row, language] {
    const QString path =
        choose_file(row, qs(say(language, "Giorni da saltare", "Dates to skip")), QString(),
                    qs(say(language, "Date o calendari (*.ics *.txt *.csv);;Tutti i file (*)",
                           "Dates or calendars (*.ics *.txt *.csv);;All files (*)")))
            .path;
    if (path.isEmpty()) return;
    if (!shown || path.isEmpty()) return;
    shown->setProperty("path", path);
    shown->setText(QFileInfo(path).fileName());
  });
  layout->addWidget(choose);
  layout->addWidget(file);
  layout->addStretch(1);
  root->insertWidget(root->count() - 1, row);
  // Tab reaches the row after the dialog's own fields; Conferma carries out the pattern once one is chosen.
  std::weak_ptr<QtFormSite> alive = std::static_pointer_cast<QtFormSite>(site.shared_from_this());
  auto* confirm = site.get<QtToolbarButton>("BTN_CONFERMA")->button();
  confirm->installEventFilter(new ConfirmFilter(alive, std::move(source), std::move(done), confirm));
}

}  // namespace desktop
