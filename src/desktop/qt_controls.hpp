#pragma once
// The host's controls on the desktop: each one is a Qt view of its toolkit-free model
// (standin/control_models.hpp). The model holds the state and every rule and is what the module talks
// to; the view draws the model in its widget, redraws when the model changes, and turns a person's keys
// and clicks into the model's input operations (a typed text, leaving a field, a click, a chosen day,
// list entry or grid row).
//
// Focus and validation follow the original controls: when the focus leaves a field because the person
// moved it (Tab, a click elsewhere in the window), the field's model is left and raises its validation;
// a refused validation puts the focus back into the field, and a click that tried to move it is not
// delivered. The widgets belong to the window's widget tree; a view outlives its widget safely
// (QPointer).

#include <QCalendarWidget>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSize>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "standin/control_models.hpp"

namespace desktop {

class QtInput;
class QtFormSite;

using QueryRunner = standin::QueryRunner;

// What the desktop shares with its windows and their controls: the controls' session, and the places
// the host gives its windows.
// A day the month view marks: of the activity being browsed (with its planned time as the tooltip), or
// of other activities only.
struct MonthMark {
  QDate day;
  bool of_activity = true;
  QString tip;
};

struct QtSession : standin::ControlSession {
  // Places a modeless window's widget in the host's workspace; false when there is no workspace.
  std::function<bool(QWidget* content, const std::string& caption)> embed;
  // Takes a modeless window's widget out of the workspace.
  std::function<void(QWidget* content)> unembed;
  // The parent of dialogs (the host's main window); may be null.
  std::function<QWidget*()> dialog_parent;
  // Called with each window the factory makes, its widgets built: the host adds its own to some.
  std::function<void(QtFormSite&)> site_created;
  // A refused validation swallows the rest of the click that tried to move the focus.
  bool swallow_click = false;
  // The window that was last told it became active.
  QtFormSite* active_site = nullptr;
  // Told when a modal window's loop starts (the window loaded) and when it ended (the window closed;
  // its controls still hold what it showed). May be empty.
  std::function<void(QtFormSite& site, bool started)> modal_loop;
  // Asked before a click on another day or another line takes the person off the row being entered or
  // changed: false keeps them on it, the click undone. May be empty.
  std::function<bool()> leave_row;
  // Told once such a click has been taken (the window shows another day or row). May be empty.
  std::function<void()> row_left;
  // True for a field that shows no value now: empty and read-only (a field of the calendar while no
  // row is current). May be empty.
  std::function<bool(const standin::InputModel& field)> blank_field;
  // The days the calendar marks in a month; when empty, those the model's planned days give.
  std::function<std::vector<MonthMark>(int year, int month)> month_marks;
};

// What the views of one window share: the models' focus, and the guards of focus moves that must not
// raise validations.
struct FormInput {
  std::shared_ptr<standin::WindowInput> models;
  // The view whose model is being left (focus events are only recorded meanwhile).
  QtInput* leaving = nullptr;
  // > 0 while the module's code moves the focus or switches controls on and off.
  int code_moves = 0;
  // Focus widgets to their views, and models to their views.
  std::map<QWidget*, QtInput*> by_widget;
  std::map<const standin::InputModel*, QtInput*> by_model;
  std::shared_ptr<QtSession> session;

  // The model of the view whose focus widget this is; null for none.
  standin::InputModel* model_of(QWidget* widget) const;
  // The view of the model that has the focus; null for none.
  QtInput* focused() const;
};

// The part of a view that does not depend on its kind: its model, widgets, and the focus.
class QtInput : public std::enable_shared_from_this<QtInput> {
 public:
  QtInput(std::shared_ptr<standin::InputModel> model, std::shared_ptr<FormInput> window);
  virtual ~QtInput();
  QtInput(const QtInput&) = delete;
  QtInput& operator=(const QtInput&) = delete;

  standin::InputModel& input_model() const { return *input_; }
  const host::ControlDesign& design() const { return input_->design(); }
  const std::string& name() const { return input_->name(); }
  bool setting_bool(const char* key, bool fallback) const { return input_->setting_bool(key, fallback); }

  // The widget placed in the window's layout (null for controls the person does not see).
  QWidget* widget() const { return widget_; }
  // The widget that takes the keyboard focus (null when the control takes none).
  QWidget* focus_widget() const { return focus_widget_; }
  bool focused() const { return input_->focused(); }

  // The person moves into the control (a click): the field that has the focus is left first and may
  // refuse. False when the control is disabled or the focus could not leave the other field.
  bool click_into();
  // Moves the toolkit's focus into the widget without any validation (the code's move).
  void focus_quietly();

  // Called by the window's focus filter.
  void focus_in();
  void focus_out(Qt::FocusReason reason);
  // A key pressed in the focus widget; true when the control used it.
  virtual bool key_pressed(int key) {
    (void)key;
    return false;
  }
  // Redraws the widget from the model.
  virtual void refresh();

 protected:
  // Sets the widgets; the focus widget is watched for focus changes. Connects the model to the view.
  void set_widgets(QWidget* widget, QWidget* focus_widget);
  FormInput& window() const { return *window_; }
  QtSession* session() const { return window_->session.get(); }

 private:
  std::shared_ptr<standin::InputModel> input_;
  std::shared_ptr<FormInput> window_;
  QPointer<QWidget> widget_;
  QPointer<QWidget> focus_widget_;
  QPointer<QObject> filter_;  // a child of the focus widget
};

// A line edit showing a text model, with the mark of a required field.
template <class Model>
class QtTextControl : public QtInput {
 public:
  QtTextControl(std::shared_ptr<Model> model, std::shared_ptr<FormInput> window, QWidget* parent);
  Model* model() const { return model_.get(); }
  QLineEdit* line_edit() const { return edit_; }
  void refresh() override;

 private:
  std::shared_ptr<Model> model_;
  QPointer<QLineEdit> edit_;
};

class QtCodeEdit : public QtTextControl<standin::CodeEditModel> {
 public:
  QtCodeEdit(std::shared_ptr<standin::CodeEditModel> model, std::shared_ptr<FormInput> window,
             QWidget* parent);

  QToolButton* lookup_button() const { return lookup_button_; }
  QToolButton* key_button() const { return key_button_; }
  // The lookup button (or F4): the person moves into the field, then opens the list.
  void lookup_clicked();
  bool key_pressed(int key) override;

 private:
  // Shows the lookup list of a prepared request; the chosen row (Empty when none).
  runtime::Variant choose(standin::CodeEditModel& model, const standin::LookupRequest& request);

  QPointer<QToolButton> lookup_button_;
  QPointer<QToolButton> key_button_;
};

class QtDateEdit : public QtTextControl<standin::DateEditModel> {
 public:
  QtDateEdit(std::shared_ptr<standin::DateEditModel> model, std::shared_ptr<FormInput> window,
             QWidget* parent);
};

class QtNumericEdit : public QtTextControl<standin::NumericEditModel> {
 public:
  QtNumericEdit(std::shared_ptr<standin::NumericEditModel> model, std::shared_ptr<FormInput> window,
                QWidget* parent);
};

class QtCombo : public QtInput {
 public:
  QtCombo(std::shared_ptr<standin::ComboModel> model, std::shared_ptr<FormInput> window, QWidget* parent);
  standin::ComboModel* model() const { return model_.get(); }
  QComboBox* combo() const { return combo_; }
  void refresh() override;

 private:
  std::shared_ptr<standin::ComboModel> model_;
  QPointer<QComboBox> combo_;
  bool by_code_ = false;
};

class QtCalendar : public QtInput {
 public:
  QtCalendar(std::shared_ptr<standin::CalendarModel> model, std::shared_ptr<FormInput> window,
             QWidget* parent);
  standin::CalendarModel* model() const { return model_.get(); }
  QCalendarWidget* calendar() const { return calendar_; }
  void refresh() override;
  // Shows in bold the days of the month on view that the activity being browsed holds rows on (its time
  // as their tooltip), and in italics those only other activities hold.
  void mark_planned_days();
  const std::vector<QDate>& marked_days() const { return marked_; }

 private:
  std::shared_ptr<standin::CalendarModel> model_;
  QPointer<QCalendarWidget> calendar_;
  std::vector<QDate> marked_;
  QString marks_shown_;  // what the marks show, to set them again only when it changes
  bool by_code_ = false;
};

class QtToolbarButton : public QtInput {
 public:
  QtToolbarButton(std::shared_ptr<standin::ToolbarButtonModel> model, std::shared_ptr<FormInput> window,
                  QWidget* parent);
  QToolButton* button() const { return button_; }

 private:
  std::shared_ptr<standin::ToolbarButtonModel> model_;
  QPointer<QToolButton> button_;
};

class QtLabel : public QtInput {
 public:
  QtLabel(std::shared_ptr<standin::LabelModel> model, std::shared_ptr<FormInput> window, QWidget* parent);
  QLabel* label() const { return label_; }
  void refresh() override;

 private:
  // The caption in the session's language.
  QString shown() const;

  std::shared_ptr<standin::LabelModel> model_;
  QPointer<QLabel> label_;
};

// A frame groups rows of the window; switching it off switches off what it holds.
class QtFrameControl : public QtInput {
 public:
  QtFrameControl(std::shared_ptr<standin::FrameModel> model, std::shared_ptr<FormInput> window,
                 QWidget* parent);
};

// The grid shows its model's rows, one line per row; its current line is the recordset's current row.
// The lines are read again whenever the model changes (a recordset attached, the host's refresh after
// the record frame wrote or deleted a row); while the current row has unsaved changes they stay as
// they were.
class QtGrid : public QtInput {
 public:
  QtGrid(std::shared_ptr<standin::GridModel> model, std::shared_ptr<FormInput> window, QWidget* parent);
  standin::GridModel* model() const { return model_.get(); }
  QTableWidget* table() const { return table_; }
  // What the grid shows, one text per column and line.
  const std::vector<std::vector<std::string>>& shown_rows() const { return rows_; }
  void refresh() override;

 private:
  void mark_current();

  std::shared_ptr<standin::GridModel> model_;
  QPointer<QTableWidget> table_;
  std::vector<std::vector<std::string>> rows_;
  bool by_code_ = false;
};

// Builds the view of a model, its widgets parented to `parent`; null for a model the person does not
// see (resize control, MDI container, grid navigator).
std::shared_ptr<QtInput> make_qt_view(const std::shared_ptr<host::Control>& model,
                                      std::shared_ptr<FormInput> window, QWidget* parent);

// Dates between the runtime and Qt.
QDate to_qdate(const runtime::Date& date);
runtime::Date from_qdate(const QDate& date);

}  // namespace desktop
