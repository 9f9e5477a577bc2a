#include "desktop/qt_responder.hpp"

#include <algorithm>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "desktop/qt_text.hpp"
#include "standin/dictionary.hpp"

namespace desktop {

namespace {

// Line breaks of the module's texts are carriage return and line feed.
QString shown_text(const std::string& text) {
  QString out = qs(text);
  out.replace("\r\n", "\n");
  return out;
}

QMessageBox::ButtonRole role_of(int answer) {
  switch (answer) {
    case standin::box::kOk:
    case standin::box::kYes:
      return QMessageBox::AcceptRole;
    case standin::box::kNo:
      return QMessageBox::NoRole;
    case standin::box::kCancel:
    case standin::box::kAbort:
      return QMessageBox::RejectRole;
    default:
      return QMessageBox::ActionRole;
  }
}

// The answer Escape and the close box give: Cancel when the box has it, OK when it is the only button;
// boxes with Yes/No or Abort/Retry/Ignore must be answered with a button.
int escape_answer(const std::vector<int>& answers) {
  if (std::find(answers.begin(), answers.end(), standin::box::kCancel) != answers.end())
    return standin::box::kCancel;
  if (answers.size() == 1) return answers.front();
  return 0;
}

}  // namespace

QMessageBox::Icon icon_of_style(std::int32_t style) {
  switch (style & 0x70) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

int default_button_of_style(std::int32_t style) {
  return (style & 0x300) >> 8;
}

std::string button_text(int answer, const std::string& language) {
  const bool en = language == "en";
  switch (answer) {
    case standin::box::kOk:
      return "OK";
    case standin::box::kCancel:
      return en ? "Cancel" : "Annulla";
    case standin::box::kAbort:
      return en ? "Abort" : "Interrompi";
    case standin::box::kRetry:
      return en ? "Retry" : "Riprova";
    case standin::box::kIgnore:
      return en ? "Ignore" : "Ignora";
    case standin::box::kYes:
      return en ? "Yes" : "Sì";
    case standin::box::kNo:
      return "No";
    default:
      return "?";
  }
}

QMessageBox* make_message_box(const standin::ShownMessage& message, const std::string& language,
                              QWidget* parent) {
  auto* box = new QMessageBox(parent);
  box->setObjectName("MESSAGE_BOX");
  // The title in the person's language: the module's titles are its captions.
  box->setWindowTitle(qs(standin::translate_caption(
      message.title.empty() ? std::string("Calendario attività WBS") : message.title, language)));
  box->setText(shown_text(message.text));
  // Wide enough for its whole title (a window manager cuts a title longer than its window).
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
    grid->addItem(new QSpacerItem(box->fontMetrics().horizontalAdvance(box->windowTitle()) + 100, 0,
                                  QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
  auto answers = standin::box::buttons(message.style);
  // A question that may destroy (Yes/No) never wears the icon of a mere notice.
  const bool yes_no = std::find(answers.begin(), answers.end(), standin::box::kYes) != answers.end();
  box->setIcon(yes_no && icon_of_style(message.style) == QMessageBox::Information
                   ? QMessageBox::Warning
                   : icon_of_style(message.style));
  if (answers.empty()) answers = {standin::box::kOk};
  std::vector<QPushButton*> buttons;
  for (int answer : answers) {
    auto* button = box->addButton(qs(button_text(answer, language)), role_of(answer));
    button->setObjectName(QString("answer_%1").arg(answer));
    button->setProperty("answer", answer);
    buttons.push_back(button);
  }
  auto position = static_cast<std::size_t>(default_button_of_style(message.style));
  box->setDefaultButton(buttons[std::min(position, buttons.size() - 1)]);
  if (int escape = escape_answer(answers)) {
    auto it = std::find(answers.begin(), answers.end(), escape);
    box->setEscapeButton(buttons[static_cast<std::size_t>(it - answers.begin())]);
  }
  return box;
}

int answer_of(const QMessageBox& box) {
  auto* button = box.clickedButton();
  if (!button) return 0;
  return button->property("answer").toInt();
}

ErrorReportDialog::ErrorReportDialog(const standin::ErrorReport& report, const std::string& language,
                                     QWidget* parent)
    : QDialog(parent) {
  const bool en = language == "en";
  setObjectName("ERROR_REPORT");
  setModal(true);
  std::string title = report.application;
  if (!report.caption.empty()) title += " - " + report.caption;
  setWindowTitle(qs(title));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(48, 48));
  top->addWidget(icon, 0, Qt::AlignTop);
  auto* form = new QFormLayout;
  auto add = [&](const char* name, const char* it_label, const char* en_label, const std::string& value) {
    auto* label = new QLabel(qs(value), this);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    form->addRow(en ? en_label : it_label, label);
  };
  add("REPORT_ROUTINE", "Routine:", "Routine:", report.routine);
  add("REPORT_NUMBER", "Numero errore:", "Error number:", std::to_string(report.error.number));
  add("REPORT_DESCRIPTION", "Descrizione:", "Description:", report.error.description);
  add("REPORT_SOURCE", "Origine:", "Source:", report.error.source);
  top->addLayout(form, 1);
  layout->addLayout(top);

  auto* provider = new QTableWidget(static_cast<int>(report.provider_errors.size()), 4, this);
  provider->setObjectName("REPORT_PROVIDER_ERRORS");
  provider->setHorizontalHeaderLabels(en ? QStringList{"Number", "Description", "Source", "SQLSTATE"}
                                         : QStringList{"Numero", "Descrizione", "Origine", "SQLSTATE"});
  provider->verticalHeader()->hide();
  provider->setEditTriggers(QAbstractItemView::NoEditTriggers);
  provider->horizontalHeader()->setStretchLastSection(true);
  for (std::size_t i = 0; i < report.provider_errors.size(); ++i) {
    const auto& e = report.provider_errors[i];
    int row = static_cast<int>(i);
    provider->setItem(row, 0, new QTableWidgetItem(QString::number(e.number)));
    provider->setItem(row, 1, new QTableWidgetItem(qs(e.description)));
    provider->setItem(row, 2, new QTableWidgetItem(qs(e.source)));
    provider->setItem(row, 3, new QTableWidgetItem(qs(e.sql_state)));
  }
  provider->resizeColumnsToContents();
  auto* provider_label = new QLabel(en ? "Database errors:" : "Errori del database:", this);
  layout->addWidget(provider_label);
  layout->addWidget(provider);
  if (report.provider_errors.empty()) {
    provider->hide();
    provider_label->setText(en ? "Database errors: none" : "Errori del database: nessuno");
  }

  auto answers = standin::box::buttons(report.style);
  if (answers.empty()) answers = {standin::box::kOk};
  escape_answer_ = escape_answer(answers);
  auto* buttons = new QDialogButtonBox(this);
  std::vector<QPushButton*> pushes;
  for (int answer : answers) {
    auto* button = buttons->addButton(qs(button_text(answer, language)), QDialogButtonBox::ActionRole);
    button->setObjectName(QString("answer_%1").arg(answer));
    connect(button, &QPushButton::clicked, this, [this, answer] {
      answer_ = answer;
      accept();
    });
    pushes.push_back(button);
  }
  auto position = static_cast<std::size_t>(default_button_of_style(report.style));
  auto* default_button = pushes[std::min(position, pushes.size() - 1)];
  default_button->setDefault(true);
  default_button->setFocus(Qt::OtherFocusReason);
  layout->addWidget(buttons);
  resize(560, report.provider_errors.empty() ? 220 : 320);
}

void ErrorReportDialog::reject() {
  // Only a report with a Cancel or a single button can be closed without choosing.
  if (!escape_answer_) return;
  answer_ = escape_answer_;
  QDialog::reject();
}

QWidget* QtResponder::parent() const {
  if (auto* modal = QApplication::activeModalWidget()) return modal;
  if (auto* active = QApplication::activeWindow()) return active;
  return parent_ ? parent_() : nullptr;
}

int QtResponder::answer_message(const standin::ShownMessage& message) {
  ++shown_;
  last_number_ = message.number;
  if (carrying_out_) {
    constexpr std::int32_t kRunCompleted = 42123;
    const auto buttons = standin::box::buttons(message.style);
    if (message.number == kRunCompleted && buttons.size() == 1) return buttons.front();
    if (std::find(buttons.begin(), buttons.end(), standin::box::kYes) != buttons.end())
      return standin::box::kYes;
  }
  QWidget* owner = parent();
  QMessageBox* box = make_message_box(message, language_, owner);
  box->exec();
  int answer = answer_of(*box);
  delete box;
  // The window of the box becomes active again, as the window manager does when a box closes.
  if (owner) owner->window()->activateWindow();
  return answer;
}

int QtResponder::answer_report(const standin::ErrorReport& report) {
  QWidget* owner = parent();
  int answer = 0;
  {
    ErrorReportDialog dialog(report, language_, owner);
    dialog.exec();
    answer = dialog.answer();
  }
  if (owner) owner->window()->activateWindow();
  return answer;
}

}  // namespace desktop
