#pragma once
// The desktop's answers to the module's message boxes and error reports: real message boxes with the
// style's icon, buttons and default button, and an error report dialog. Both return the button the
// person pressed (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No).

#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <string>

#include "standin/responder.hpp"

namespace desktop {

// Icons of a message box style: 16 stop, 32 question, 48 exclamation, 64 information.
QMessageBox::Icon icon_of_style(std::int32_t style);
// The position (0-based) of the default button of a style: 0 unless 256 (second) or 512 (third).
int default_button_of_style(std::int32_t style);
// A button's text in the language ("it" or "en").
std::string button_text(int answer, const std::string& language);

// A message box built as the style says, its buttons named "answer_<n>" after the answer they give.
// The box is not shown.
QMessageBox* make_message_box(const standin::ShownMessage& message, const std::string& language,
                              QWidget* parent);
// The answer of the button pressed in a box made by make_message_box; 0 when none was.
int answer_of(const QMessageBox& box);

// The error report: where it happened, the error's number, description and source, the database's
// errors, and the style's buttons (named "answer_<n>").
class ErrorReportDialog : public QDialog {
 public:
  ErrorReportDialog(const standin::ErrorReport& report, const std::string& language, QWidget* parent);
  // The answer of the button pressed; 0 before one was.
  int answer() const { return answer_; }

 protected:
  void reject() override;

 private:
  int answer_ = 0;
  int escape_answer_ = 0;
};

class QtResponder : public standin::MessageResponder {
 public:
  explicit QtResponder(std::string language = "it") : language_(std::move(language)) {}
  const std::string& language() const { return language_; }
  void set_language(std::string language) { language_ = std::move(language); }
  // The window boxes and reports belong to when no modal window is open.
  void set_parent(std::function<QWidget*()> parent) { parent_ = std::move(parent); }

  int answer_message(const standin::ShownMessage& message) override;
  int answer_report(const standin::ErrorReport& report) override;
  // While a pattern the person said yes to (after its preview) is carried out: the range dialogs'
  // questions are answered Yes, and the message that ends each run is counted but not shown (the status
  // bar says what the whole pattern did). Every other message and report is shown.
  void set_carrying_out(bool on) { carrying_out_ = on; }
  // How many message boxes were shown, and the number of the last one.
  int shown() const { return shown_; }
  std::int32_t last_number() const { return last_number_; }

 private:
  QWidget* parent() const;
  int shown_ = 0;
  std::int32_t last_number_ = 0;
  bool carrying_out_ = false;
  std::string language_;
  std::function<QWidget*()> parent_;
};

}  // namespace desktop
