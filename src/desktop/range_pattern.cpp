#include "desktop/range_pattern.hpp"

#include <QApplication>
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
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "database/journal.hpp"
#include "desktop/file_chooser.hpp"
#include "desktop/qt_forms.hpp"
#include "desktop/qt_responder.hpp"
#include "desktop/qt_text.hpp"
#include "host/controls.hpp"
#include "planner/pattern_runs.hpp"
#include "planner/write_tally.hpp"
#include "runtime/error.hpp"
#include "runtime/language.hpp"
#include "runtime/variant.hpp"
#include "standin/calling_program.hpp"

namespace desktop {
namespace {

constexpr const char* kInsertion = "FRMPD_ADDCALENDATT";
constexpr const char* kDeletion = "FRMPD_DELCALENDATT";

using runtime::say;

QString box_name(int weekday) {
  return QString("PATTERN_%1").arg(qs(planner::weekday_key(weekday)).toUpper());
}

std::string text_of(QtFormSite& dialog, const char* name) {
  return runtime::trim(dialog.model<host::TextControl>(name)->Text());
}

// What the dialog holds, as the order of its runs. Throws runtime::Error when a date or the step cannot
// be read.
PatternOrder order_of(QtFormSite& dialog) {
  PatternOrder order;
  order.insertion = dialog.name() == kInsertion;
  order.codes = {text_of(dialog, "TXT_CODPROG"), text_of(dialog, "TXT_CODNODO"),
                 text_of(dialog, "TXT_CODATTIVITA")};
  order.from = runtime::Variant(text_of(dialog, "TXT_DATAINIZIALE")).to_date();
  order.to = runtime::Variant(text_of(dialog, "TXT_DATAFINALE")).to_date();
  order.pattern = pattern_of(dialog);
  // A weekday comes back every 7 days: the dialog's step is not asked for then.
  const std::string every = text_of(dialog, order.insertion ? "TXT_RIPETIOGNI" : "TXT_CANCELLAOGNI");
  order.every = order.pattern.weekdays.empty() ? runtime::Variant(every).to_long() : 7;
  if (order.insertion) {
    order.hours = text_of(dialog, "TXT_ORE");
    order.minutes = text_of(dialog, "TXT_MINUTI");
    const std::int32_t index = dialog.model<host::Combo>("CBO_VARPRESENTI")->ListIndex();
    if (index >= 0) order.existing = index;
  }
  return order;
}

// Lists what the pattern would do and asks; when the person says so, the dialog is given up (its runs
// are carried out once it has closed) and `carry` called with what it held.
void carry_out(QtFormSite& dialog, const PreviewSource& source,
               const std::function<void(const PatternOrder&)>& carry) {
  if (!dialog.validate_focused()) return;
  QWidget* parent = dialog.dialog() ? static_cast<QWidget*>(dialog.dialog()) : dialog.content();
  std::vector<std::string> arguments;
  PatternOrder order;
  try {
    arguments = preview_arguments(dialog, source);
    order = order_of(dialog);
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
  // The dialog has nothing left to do: it is left as its own Annulla leaves it, and the runs open it
  // again once the toolbar's click that opened it has returned.
  auto keep = std::static_pointer_cast<QtFormSite>(dialog.shared_from_this());
  dialog.get<QtToolbarButton>("BTN_ANNULLA")->button()->click();
  QTimer::singleShot(0, qApp, [carry, order] { carry(order); });
}

// The person's side while the runs are typed: what is said on the way is kept for the end.
class PatternSide : public standin::PersonSide {
 public:
  explicit PatternSide(std::string language) : language_(std::move(language)) {}
  const std::string& language() const override { return language_; }
  void note(const std::string& text) override { notes.push_back(text); }
  bool unanswered() const override { return false; }
  std::vector<std::string> notes;

 private:
  std::string language_;
};

// "lun, ven, senza le date di feste.ics; 3 serie", as the pattern was asked for.
std::string pattern_words(const PatternOrder& order, std::size_t runs, const std::string& language) {
  std::string days;
  for (int w : order.pattern.weekdays)
    days += (days.empty() ? "" : ", ") + planner::weekday_name(w, language);
  if (days.empty())
    days = say(language, "ogni ", "every ") + std::to_string(order.every) + say(language, " giorni", " days");
  if (!order.pattern.skip_file.empty())
    days += say(language, ", senza le date di ", ", without the dates of ") +
            QFileInfo(qs(order.pattern.skip_file)).fileName().toStdString();
  return days + "; " + std::to_string(runs) + say(language, " serie", " runs");
}

// Catches the person's Conferma (click, key or shortcut) while a pattern is chosen.
class ConfirmFilter : public QObject {
 public:
  ConfirmFilter(std::weak_ptr<QtFormSite> site, std::function<PreviewSource()> source,
                std::function<void(const PatternOrder&)> carry, QObject* parent)
      : QObject(parent), site_(std::move(site)), source_(std::move(source)), carry_(std::move(carry)) {}

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
    if (confirm) carry_out(*site, source_(), carry_);
    return confirm;
  }

 private:
  std::weak_ptr<QtFormSite> site_;
  std::function<PreviewSource()> source_;
  std::function<void(const PatternOrder&)> carry_;
};

// A weekday comes back every 7 days: while one is chosen, the dialog's step is not asked for and its field
// stays off, whatever the dialog switches on meanwhile.
class StepFilter : public QObject {
 public:
  StepFilter(QWidget* step, QWidget* row) : QObject(step), step_(step), row_(row) {}

  bool weekday_chosen() const {
    if (!row_) return false;
    for (auto* box : row_->findChildren<QCheckBox*>())
      if (box->isChecked()) return true;
    return false;
  }
  // After a box changed: off while a weekday is chosen, else as the dialog wants it.
  void follow(bool dialog_enabled) {
    if (weekday_chosen())
      step_->setEnabled(false);
    else if (dialog_enabled != step_->isEnabled())
      step_->setEnabled(dialog_enabled);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange && step_->isEnabled() && weekday_chosen())
      step_->setEnabled(false);
    return false;
  }

 private:
  QPointer<QWidget> step_;
  QPointer<QWidget> row_;
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
                     std::function<void(const PatternOrder&)> carry) {
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
  if (auto step = site.get<QtInput>(site.name() == kInsertion ? "TXT_RIPETIOGNI" : "TXT_CANCELLAOGNI");
      step->widget()) {
    auto* filter = new StepFilter(step->widget(), row);
    step->widget()->installEventFilter(filter);
    std::weak_ptr<QtInput> model = step;
    for (auto* box : row->findChildren<QCheckBox*>())
      QObject::connect(box, &QCheckBox::toggled, filter, [filter, model] {
        if (auto m = model.lock()) filter->follow(m->input_model().enabled());
      });
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
  confirm->installEventFilter(new ConfirmFilter(alive, std::move(source), std::move(carry), confirm));
}

std::string carry_out_pattern(const PatternOrder& order, PatternHost& host) {
  constexpr std::int32_t kCompleted = 42123;
  constexpr std::int32_t kSpared = 77208;
  const std::string& language = host.language;
  QWidget* parent = host.window ? host.window->content() : nullptr;
  const QString title = qs(say(language, "Serie", "Pattern"));
  std::set<runtime::Date> skip;
  if (!order.pattern.skip_file.empty()) {
    std::string error;
    auto read = planner::read_skip_file(order.pattern.skip_file, order.from, order.to, language, error);
    if (!read) {
      QMessageBox::warning(parent, title,
                           QFileInfo(qs(order.pattern.skip_file)).fileName() + ": " + qs(error));
      return say(language, "Nulla scritto.", "Nothing written.");
    }
    skip = std::move(*read);
  }
  auto runs = planner::plan_runs(order.from, order.to, order.every, order.pattern.weekdays, skip);
  if (runs.empty() || !host.window)
    return say(language, "Nulla scritto: nessuna data dell'intervallo resta.",
               "Nothing written: no date of the range is left.");
  // The activity's WBS row, when its codes name one: its stored days and planning period order the runs.
  const auto found = standin::find_activities(*host.env, host.company, order.codes.project, order.codes.node,
                                              order.codes.activity);
  std::optional<planner::StoredDays> stored;
  std::optional<runtime::Date> start, end;
  if (found.size() == 1) {
    stored = planner::stored_days(host.db, host.company, found.front().node_id, found.front().link_id,
                                  planner::run_dates(runs));
    start = found.front().start, end = found.front().end;
  }
  runs = order.insertion ? planner::insertion_order(runs, stored, start, end)
                         : planner::deletion_order(runs, stored, start, end);
  const std::string words = std::string("desktop: ") + (order.insertion ? "add-range " : "delete-range ") +
                            order.codes.text() + " " + order.from.iso() + ".." + order.to.iso() + " " +
                            pattern_words(order, runs.size(), "en");
  const char* dialog = order.insertion ? kInsertion : kDeletion;
  auto button = host.window->model<standin::ToolbarButtonModel>(order.insertion ? "BTN_INSMULTIPLO"
                                                                                : "BTN_CANCMULTIPLA");
  PatternSide side(language);
  std::size_t done = 0;
  std::int64_t spared = 0;
  std::string stopped;
  planner::WrittenRows written;
  {
    database::ActionInProgress action(words);
    planner::WriteTally tally;
    host.responder->take_translated(kSpared);
    host.responder->set_carrying_out(true);
    for (const auto& run : runs) {
      const int shown = host.responder->shown();
      bool opened = false;
      std::string reason;
      host.forms->script(dialog, [&](standin::HeadlessFormSite& d) {
        opened = true;
        standin::Person person(d, side);
        const bool filled =
            order.insertion ? standin::fill_insertion_run(person, order.codes, run.from, run.to, run.every,
                                                          order.hours, order.minutes, order.existing)
                            : standin::fill_deletion_run(person, order.codes, run.from, run.to, run.every);
        if (filled) person.click("BTN_CONFERMA");
        if (!person.gave_up() && !d.closed())
          person.give_up(
              say(language, "la finestra di dialogo non ha concluso", "the dialog did not complete"));
        reason = person.reason();
      });
      const bool clicked = button->click();
      // A dialog that did not open leaves nothing behind for the next one the person opens.
      host.forms->unshown().drop_actions(dialog);
      const auto told = host.responder->take_translated(kSpared);
      const bool completed = clicked && opened && reason.empty() && host.responder->shown() > shown &&
                             host.responder->last_number() == kCompleted;
      if (!completed) {
        stopped =
            !reason.empty() ? reason
            : !opened
                ? say(language, "la finestra di dialogo non si è aperta", "the dialog did not open")
                : say(language, "la finestra di dialogo non ha concluso", "the dialog did not complete");
        break;
      }
      if (told && !told->empty()) spared += told->front().to_long();
      ++done;
    }
    host.responder->set_carrying_out(false);
    written = tally.rows();
  }
  const std::string codes = order.codes.text();
  const std::string period = say(language, " dal ", " from ") + runtime::date_text(order.from) +
                             say(language, " al ", " to ") + runtime::date_text(order.to) + " (" +
                             pattern_words(order, runs.size(), language) + "): ";
  const auto n = [](std::int64_t v) { return std::to_string(v); };
  if (done < runs.size()) {
    QStringList said;
    said << qs(say(language, "La serie ", "Run ") + n(static_cast<std::int64_t>(done + 1)) +
               say(language, " di ", " of ") + n(static_cast<std::int64_t>(runs.size())) +
               say(language, " si è fermata: ", " stopped: ") + stopped);
    if (done > 0)
      said << qs(
          say(language, "Le serie prima di essa restano eseguite.", "The runs before it stay carried out."));
    for (const auto& note : side.notes) said << qs(note);
    QMessageBox::warning(parent, title, said.join('\n'));
    const std::string what = planner::written_words(written, language, order.insertion);
    return what.empty() ? say(language, "Serie fermata: nulla scritto.", "Pattern stopped: nothing written.")
                        : say(language, "Serie fermata: ", "Pattern stopped: ") + what +
                              say(language, " prima, nulla dopo.", " before it, nothing after.");
  }
  if (order.insertion) {
    // The dates of the runs that no statement wrote were left as they were.
    const auto dates = static_cast<std::int64_t>(planner::run_dates(runs).size());
    const std::int64_t skipped = std::max<std::int64_t>(0, dates - written.added - written.changed);
    return say(language, "Pianificati i giorni di ", "Planned the days of ") + codes + period +
           (language == "en" ? n(written.added) + " added, " + n(written.changed) + " overwritten, " +
                                   n(skipped) + " skipped."
                             : "aggiunti " + n(written.added) + ", sovrascritti " + n(written.changed) +
                                   ", saltati " + n(skipped) + ".");
  }
  return say(language, "Eliminati i giorni di ", "Deleted the days of ") + codes + period +
         (language == "en" ? n(written.deleted) + " deleted, " + n(spared) + " spared (resources allocated)."
                           : "eliminati " + n(written.deleted) + ", risparmiati " + n(spared) +
                                 " (con risorse allocate).");
}

}  // namespace desktop
