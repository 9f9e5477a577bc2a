#include "desktop/journal_dialogs.hpp"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "database/connection.hpp"
#include "database/postgres_connection.hpp"
#include "desktop/qt_text.hpp"
#include "runtime/date.hpp"
#include "runtime/language.hpp"

namespace desktop {
namespace {

using runtime::say;

// A journal's value as the window shows it: a day in the person's date form, a number as a whole number.
QString shown(const runtime::Variant& v) {
  if (runtime::is_blank(v)) return {};
  if (v.type() == runtime::VarType::Date) return qs(runtime::date_text(v.to_date()));
  if (v.type() == runtime::VarType::String) {
    const std::string text = runtime::rtrim(v.to_string());
    if (text.size() == 10 && text[4] == '-')
      if (auto day = runtime::parse_date(text)) return qs(runtime::date_text(*day));
    return qs(text);
  }
  return QString::number(static_cast<qlonglong>(v.to_double()));
}

QTableWidget* table_of(QWidget* parent, const char* name, const QStringList& captions,
                       const std::vector<std::vector<runtime::Variant>>& rows) {
  auto* table = new QTableWidget(static_cast<int>(rows.size()), static_cast<int>(captions.size()), parent);
  table->setObjectName(name);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->hide();
  table->setHorizontalHeaderLabels(captions);
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < static_cast<int>(rows[r].size()) && c < captions.size(); ++c) {
      auto* item = new QTableWidgetItem(shown(rows[r][c]));
      if (rows[r][c].type() != runtime::VarType::String && !runtime::is_blank(rows[r][c]) &&
          rows[r][c].type() != runtime::VarType::Date)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table->setItem(r, c, item);
    }
  table->resizeColumnsToContents();
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void tell(QWidget* parent, QMessageBox::Icon icon, const std::string& title, const std::string& text,
          const char* name) {
  QMessageBox box(icon, qs(title), qs(text), QMessageBox::Ok, parent);
  box.setObjectName(name);
  box.exec();
}

}  // namespace

std::optional<std::string> undo_last_action(QWidget* parent, const std::string& db, std::int32_t company,
                                            const std::string& language) {
  const std::string title = say(language, "Annulla ultima azione", "Undo last action");
  auto connection = database::open_target(db, false);
  auto& c = dynamic_cast<database::EngineConnection&>(*connection);
  const auto last = planner::last_action(c, company);
  const planner::UndoPlan plan = last ? planner::plan_undo(c, company, *last) : planner::UndoPlan{};
  if (plan.days.empty()) {
    tell(parent, QMessageBox::Information, title,
         say(language, "Nessuna azione da annullare in questa ditta.",
             "There is no action to undo in this company."),
         "UNDO_NOTHING");
    return std::nullopt;
  }
  if (!plan.conflicts.empty()) {
    std::string text = say(language, "Nulla annullato: altre azioni hanno cambiato dopo questi giorni.\n",
                           "Nothing undone: other actions changed these days since.\n");
    for (const auto& later : plan.conflicts)
      text += "\n" + qs(later.day).left(10).toStdString() + say(language, " - azione ", " - action ") +
              later.actions;
    tell(parent, QMessageBox::Warning, title, text, "UNDO_REFUSED");
    return std::nullopt;
  }
  // What the action was, and what putting it back does to each day.
  std::string words;
  for (const auto& row : planner::journal_actions(c, company, {}, std::nullopt))
    if (static_cast<std::int64_t>(row[0].to_double()) == plan.action)
      words = runtime::rtrim(row[3].to_string()) + " (" + runtime::rtrim(row[2].to_string()) + ", " +
              row[1].to_string() + " UTC)";
  QDialog dialog(parent);
  dialog.setObjectName("UNDO_DIALOG");
  dialog.setWindowTitle(qs(title));
  auto* layout = new QVBoxLayout(&dialog);
  auto* heading = new QLabel(
      qs(say(language, "Azione ", "Action ") + std::to_string(plan.action) + ": " + words +
         say(language, "\nAnnullarla rimette i giorni così:", "\nUndoing it puts the days back so:")),
      &dialog);
  heading->setWordWrap(true);
  layout->addWidget(heading);
  layout->addWidget(table_of(
      &dialog, "UNDO_TABLE",
      {qs(say(language, "Data", "Date")), qs(say(language, "Effetto", "Effect")),
       qs(say(language, "Ore ora", "Hours now")), qs(say(language, "Minuti ora", "Minutes now")),
       qs(say(language, "Ore dopo", "Hours after")), qs(say(language, "Minuti dopo", "Minutes after"))},
      planner::undo_rows(plan, language)));
  auto* buttons = new QDialogButtonBox(&dialog);
  auto* yes =
      buttons->addButton(qs(say(language, "Rimetti com'era", "Put it back")), QDialogButtonBox::AcceptRole);
  yes->setObjectName("UNDO_CONFIRM");
  auto* no = buttons->addButton(qs(say(language, "Lascia com'è", "Leave it")), QDialogButtonBox::RejectRole);
  no->setObjectName("UNDO_LEAVE");
  no->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog.resize(560, 360);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  planner::put_back(c, plan);
  connection->Close();
  int counts[3] = {0, 0, 0};
  for (const auto& d : plan.days) ++counts[static_cast<int>(d.effect)];
  return say(language, "Annullata l'azione ", "Undid action ") + std::to_string(plan.action) + ": " +
         std::to_string(counts[1]) + say(language, " giorni rimessi, ", " days put back, ") +
         std::to_string(counts[2]) + say(language, " ripristinati, ", " restored, ") +
         std::to_string(counts[0]) + say(language, " tolti.", " removed.");
}

void show_history(QWidget* parent, const std::string& db, std::int32_t company,
                  const planner::ActivityCodes& activity, const std::string& language) {
  auto connection = database::open_target(db, false);
  auto& c = dynamic_cast<database::EngineConnection&>(*connection);
  auto rows = planner::journal_actions(c, company, activity, std::nullopt);
  connection->Close();
  QDialog dialog(parent);
  dialog.setObjectName("HISTORY_DIALOG");
  dialog.setWindowTitle(qs(say(language, "Storia", "History")));
  auto* layout = new QVBoxLayout(&dialog);
  auto* heading = new QLabel(
      qs(activity.empty() ? say(language, "Tutte le attività della ditta", "Every activity of the company")
                          : activity.project + " / " + activity.node + " / " + activity.activity),
      &dialog);
  heading->setObjectName("HISTORY_HEADING");
  layout->addWidget(heading);
  layout->addWidget(
      table_of(&dialog, "HISTORY_TABLE",
               {qs(say(language, "Azione", "Action")), qs(say(language, "Quando (UTC)", "When (UTC)")),
                qs(say(language, "Chi", "Who")), qs(say(language, "Cosa", "What")),
                qs(say(language, "Aggiunti", "Added")), qs(say(language, "Cambiati", "Changed")),
                qs(say(language, "Eliminati", "Deleted"))},
               rows));
  if (rows.empty())
    layout->addWidget(new QLabel(
        qs(say(language, "Nessuna azione ha cambiato questi giorni.", "No action has changed these days.")),
        &dialog));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog.resize(720, 380);
  dialog.exec();
}

}  // namespace desktop
