#pragma once
// The host's controls as Qt widgets. Each control keeps what the module sets, shows it in its widget and
// raises the control's events when a person acts on the widget: typing, leaving a field, clicking,
// choosing a day, a list entry or a grid row. A control is built from its design: "enabled" (default
// True), "maxchar", "case" "Maiuscolo", "obbligatorio", "min"/"max" of a numeric edit, "lookup" and
// "isgestione" of a code edit, "firstdayofweek" of the calendar.
//
// Only what a person does raises events; a text, value or list position set by the module's code does
// not. Events are raised on a copy of the handler with the control kept alive, so a handler may rebind
// the slot or let the window go while it runs. The widgets belong to the window's widget tree; a control
// outlives its widget safely (QPointer) and then keeps only its state.
//
// Focus and validation follow the original controls: when the focus leaves a field because the person
// moved it (Tab, a click elsewhere in the window), the field raises its validation; a refused validation
// puts the focus back into the field, and a click that tried to move it is not delivered.

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
#include <optional>
#include <string>
#include <vector>

#include "host/controls.hpp"
#include "host/form.hpp"
#include "runtime/variant.hpp"

namespace desktop {

class QtInput;
class QtFormSite;

// Runs a query text on the host's database and returns its open recordset.
using QueryRunner = std::function<std::shared_ptr<host::Recordset>(const std::string& sql)>;

// What a form factory shares with its windows and their controls.
struct QtSession {
  QueryRunner query_runner;
  // Shows a notice of a control to the person (a code the decode did not find, an impossible date).
  std::function<void(const std::string& text, const std::string& title)> notice;
  // The record frame of the active program, for a grid row chosen by the person.
  std::function<std::shared_ptr<host::RecordFrame>()> active_frame;
  // Places a modeless window's widget in the host's workspace; false when there is no workspace.
  std::function<bool(QWidget* content, const std::string& caption)> embed;
  // Takes a modeless window's widget out of the workspace.
  std::function<void(QWidget* content)> unembed;
  // The parent of dialogs (the host's main window); may be null.
  std::function<QWidget*()> dialog_parent;
  // "it" or "en": the language of the controls' own texts.
  std::string language = "it";
  // A refused validation swallows the rest of the click that tried to move the focus.
  bool swallow_click = false;
  // The window that was last told it became active.
  QtFormSite* active_site = nullptr;

  // The control's own texts in the session's language.
  std::string text(const char* italian, const char* english) const {
    return language == "en" ? english : italian;
  }
};

// What the controls of one window share: the control that has the focus as the module sees it, and the
// guards of focus moves that must not raise validations.
struct FormInput {
  std::string form_name;
  QtInput* focused = nullptr;
  // The control whose validation is running (focus events are only recorded meanwhile).
  QtInput* leaving = nullptr;
  // > 0 while the module's code moves the focus or switches controls on and off.
  int code_moves = 0;
  // Focus widgets to their controls.
  std::map<QWidget*, QtInput*> by_widget;
  std::shared_ptr<QtSession> session;

  QtInput* control_of(QWidget* widget) const;
};

// The part of a control that does not depend on its kind: design, widgets, enabled state and focus.
class QtInput : public std::enable_shared_from_this<QtInput> {
 public:
  QtInput(host::ControlDesign design, std::shared_ptr<FormInput> window);
  virtual ~QtInput();
  QtInput(const QtInput&) = delete;
  QtInput& operator=(const QtInput&) = delete;

  const host::ControlDesign& design() const { return design_; }
  const std::string& name() const { return design_.name; }
  // A design setting; Empty when the design does not give it.
  runtime::Variant setting(const std::string& key) const;
  bool setting_bool(const char* key, bool fallback) const;
  std::optional<double> setting_number(const char* key) const;

  // The widget placed in the window's layout (null for controls the person does not see).
  QWidget* widget() const { return widget_; }
  // The widget that takes the keyboard focus (null when the control takes none).
  QWidget* focus_widget() const { return focus_widget_; }
  bool enabled() const { return enabled_; }
  void set_enabled(bool value);
  bool focused() const { return window_->focused == this; }
  // Focus moved by the module's code: no validation runs.
  void focus_from_code();

  // The person moves into the control (a click): the field that has the focus is left first and may
  // refuse. False when the control is disabled or the focus could not leave the other field.
  bool click_into();
  // The person leaves the control: fields raise their validation; false when it refused. The Qt focus
  // is not moved here (the caller moves it or puts it back).
  virtual bool leave() { return true; }

  // Called by the window's focus filter.
  void focus_in();
  void focus_out(Qt::FocusReason reason);
  // A key pressed in the focus widget; true when the control used it.
  virtual bool key_pressed(int key) {
    (void)key;
    return false;
  }

 protected:
  // Sets the widgets; the focus widget is watched for focus changes.
  void set_widgets(QWidget* widget, QWidget* focus_widget);
  static bool validate(const std::function<void(bool&)>& slot);
  FormInput& window() const { return *window_; }
  QtSession* session() const { return window_->session.get(); }
  // Shows a notice of the control in the session's language.
  void notice(const std::string& text) const;

 private:
  host::ControlDesign design_;
  std::shared_ptr<FormInput> window_;
  QPointer<QWidget> widget_;
  QPointer<QWidget> focus_widget_;
  QPointer<QObject> filter_;  // a child of the focus widget
  bool enabled_ = true;
};

// The members every control interface shares, on top of QtInput.
template <class Interface>
class QtControl : public Interface, public QtInput {
 public:
  using QtInput::QtInput;
  std::string Name() const override { return name(); }
  std::string Kind() const override { return design().kind; }
  bool Enabled() const override { return enabled(); }
  void set_Enabled(bool value) override { set_enabled(value); }
  void SetFocus() override { focus_from_code(); }
  bool HasFocus() const override { return focused(); }
};

// A line edit with the design's length, case and mandatory mark.
template <class Interface>
class QtTextControl : public QtControl<Interface> {
 public:
  QtTextControl(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent);

  std::string Text() const override;
  // The module's code sets the text as given: no event.
  void set_Text(const std::string& value) override;
  void SelectText() override;
  QLineEdit* line_edit() const { return edit_; }
  std::size_t max_chars() const { return max_chars_; }
  bool upper_case() const { return upper_case_; }
  bool mandatory() const { return mandatory_; }

 protected:
  // After the person changed the text.
  virtual void typed() {}
  // After the module's code set the text.
  virtual void text_set_by_code() {}

 private:
  QPointer<QLineEdit> edit_;
  std::string text_;  // kept when the widget is gone
  std::size_t max_chars_ = 0;
  bool upper_case_ = false;
  bool mandatory_ = false;
};

class QtCodeEdit : public QtTextControl<host::CodeEdit> {
 public:
  QtCodeEdit(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent);

  QToolButton* lookup_button() const { return lookup_button_; }
  QToolButton* key_button() const { return key_button_; }

  bool DecodeOk() const override { return decode_ok_; }
  // Raises StartLookup; unless cancelled, runs the prepared query and shows the list; a chosen row puts
  // its code into the field and goes to CloseLookup; closing the list without a choice raises
  // CloseLookup with Empty.
  void OpenLookup() override;
  void set_LookupSetting(const runtime::Variant& value) override { lookup_setting_ = value; }
  runtime::Variant LookupSetting() const override { return lookup_setting_; }
  // A mandatory field must not be blank.
  bool IsValid() override;
  bool IsModified() const override { return modified_; }

  // Runs the decode when the code changed, then Validate and PostValidate.
  bool leave() override;
  // Runs the decode as the control does when the person leaves a changed code: StartDecode prepares the
  // query (text A), the connection text and the description control (value B); a row found fills the
  // description and sets DecodeOk, none clears both and tells the person. A blank code only clears.
  void decode();
  // The person presses the maintenance key.
  void press_key(const runtime::Variant& key);
  // The lookup button (or F4): the person moves into the field, then opens the list.
  void lookup_clicked();
  bool key_pressed(int key) override;

 protected:
  void typed() override;
  void text_set_by_code() override { modified_ = false; }

 private:
  QPointer<QToolButton> lookup_button_;
  QPointer<QToolButton> key_button_;
  bool decode_ok_ = false;
  bool modified_ = false;
  bool decode_pending_ = false;
  runtime::Variant lookup_setting_;
};

// A date in the short date form (or ISO). Leaving the field with a text that is no date is refused by
// the control itself, with a notice; a valid date is written back in the short date form.
class QtDateEdit : public QtTextControl<host::DateEdit> {
 public:
  QtDateEdit(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent);
  bool IsValid() override;
  bool IsDateValid() const override;
  bool leave() override;
};

// A whole number within the design's bounds; leaving the field with a number outside them is refused by
// the control itself, with a notice.
class QtNumericEdit : public QtTextControl<host::NumericEdit> {
 public:
  QtNumericEdit(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent);
  bool IsValid() override;
  double Min() const override { return min_; }
  double Max() const override { return max_; }
  bool leave() override;

 private:
  double min_;
  double max_;
};

class QtCombo : public QtControl<host::Combo> {
 public:
  QtCombo(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent);
  QComboBox* combo() const { return combo_; }

  void Clear() override;
  void set_Sorted(bool value) override { sorted_ = value; }
  void AddItem(const std::string& text) override;
  // -1 chooses nothing; another position outside the list throws runtime::Error 380.
  void set_ListIndex(std::int32_t position) override;
  std::int32_t ListIndex() const override { return list_index_; }
  std::int32_t ListCount() const override { return static_cast<std::int32_t>(items_.size()); }
  // Throws runtime::Error 381 outside the list.
  std::string ItemText(std::int32_t position) const override;
  std::string Value() const override;

 private:
  void show_items();
  QPointer<QComboBox> combo_;
  std::vector<std::string> items_;
  std::int32_t list_index_ = -1;
  bool sorted_ = false;
  bool by_code_ = false;
};

class QtCalendar : public QtControl<host::Calendar> {
 public:
  QtCalendar(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent);
  QCalendarWidget* calendar() const { return calendar_; }
  // Qt::DayOfWeek of the first column.
  int first_day_of_week() const;

  runtime::Variant Value() const override { return value_; }
  void set_Value(const runtime::Variant& value) override;
  // 1 Sunday, 2 Monday, ... 7 Saturday.
  void set_FirstDayOfWeek(std::int32_t value) override;

 private:
  void chosen();
  QPointer<QCalendarWidget> calendar_;
  runtime::Variant value_;
  bool by_code_ = false;
};

class QtToolbarButton : public QtControl<host::ToolbarButton> {
 public:
  QtToolbarButton(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent);
  QToolButton* button() const { return button_; }
  std::string Caption() const override { return design().caption; }

 private:
  QPointer<QToolButton> button_;
};

class QtLabel : public QtControl<host::Label> {
 public:
  QtLabel(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent);
  QLabel* label() const { return label_; }
  std::string Caption() const override { return caption_; }
  void set_Caption(const std::string& value) override;

 private:
  QPointer<QLabel> label_;
  std::string caption_;
};

// The resize control: the layout of the window is Qt's; the control raises Resize when the window
// changes size and keeps the placements it is given.
class QtResizeControl : public QtControl<host::ResizeControl> {
 public:
  using QtControl::QtControl;
  void resized();
  void Layout() override {}
  void PlaceByName(const std::string&, std::int32_t) override {}
  void Place(const std::shared_ptr<host::Control>& control, std::int32_t) override;
};

class QtMdiContainer : public QtControl<host::MdiContainer> {
 public:
  using QtControl::QtControl;
  // The window has loaded and is about to show: raises FormLoad.
  void form_loaded();
  void Initialize(std::int32_t&, std::int32_t&, std::int32_t width, std::int32_t height) override;
  void set_WindowState(std::int32_t value) override { window_state_ = value; }
  // The size the module asked for, in pixels (0 before Initialize).
  QSize requested_size() const { return requested_; }

 private:
  QSize requested_;
  std::int32_t window_state_ = 0;
};

// A frame groups rows of the window; switching it off switches off what it holds.
class QtFrameControl : public QtControl<host::FrameControl> {
 public:
  QtFrameControl(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent);
};

class QtGridNavigator : public QtControl<host::GridNavigator> {
 public:
  using QtControl::QtControl;
  // The module and its frame are observed only: they refer to the window that holds this control.
  void set_Interface(std::shared_ptr<host::Cinterface> value) override { interface_ = value; }
  void set_Frame(std::shared_ptr<host::RecordFrame> value) override { frame_ = value; }
  void set_Setting(bool) override {}

 private:
  std::weak_ptr<host::Cinterface> interface_;
  std::weak_ptr<host::RecordFrame> frame_;
};

struct QtGridColumn {
  std::string field;
  std::string caption;
  std::string lookup_query;  // empty for a plain column
  std::int32_t width = 0;
  bool visible = true;
  bool is_lookup() const { return !lookup_query.empty(); }
};

// The grid shows the attached recordset, one line per row; its current line is the recordset's current
// row. A lookup column shows, for the id in the row, the second column of the lookup query's row whose
// first column holds that id. The lines are read again when a recordset is attached and when the host
// asks (after the record frame wrote or deleted a row); while the current row has unsaved changes the
// lines stay as they were.
class QtGrid : public QtControl<host::Grid> {
 public:
  QtGrid(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent);
  QTableWidget* table() const { return table_; }

  const std::vector<QtGridColumn>& columns() const { return columns_; }
  std::vector<std::string> captions() const;
  // What the grid shows, one text per column and line.
  const std::vector<std::vector<std::string>>& shown_rows() const { return rows_; }
  // Reads the lines again from the recordset (unless the current row has unsaved changes) and marks the
  // current row.
  void refresh();

  void BeginDefinition() override;
  void set_Definition(std::shared_ptr<host::GridDefinition>) override {}
  void set_Option(std::int32_t) override {}
  void set_Flags(bool, bool) override {}
  void set_Title(const std::string& value) override { title_ = value; }
  std::string Title() const override { return title_; }
  void AddLookupColumn(const std::string& field, const std::string& lookup_query, const std::string& caption,
                       std::int32_t width, bool visible) override;
  void AddColumn(const std::string& field, const std::string& caption, std::int32_t kind, std::int32_t width,
                 bool visible) override;
  void EndColumns() override;
  void set_ColumnOption(const std::string&, std::int32_t) override {}
  void Finalize() override {}
  // Shows the recordset from its current row and raises RowChange.
  void AttachRecordset(std::shared_ptr<host::Recordset> value) override;
  void DetachRecordset() override;
  std::shared_ptr<host::Recordset> AttachedRecordset() const override { return attached_; }
  void Reset() override;
  runtime::Variant CurrentValue(const std::string& column) override;
  void Close() override;

 private:
  const QtGridColumn* column(const std::string& field) const;
  bool has_current_row() const;
  void row_chosen(int line);
  void mark_current();
  void raise_row_change();
  const std::map<std::string, runtime::Variant>& lookup_map(const QtGridColumn& column);

  QPointer<QTableWidget> table_;
  std::vector<QtGridColumn> columns_;
  std::string title_;
  std::shared_ptr<host::Recordset> attached_;
  std::map<std::string, std::map<std::string, runtime::Variant>> lookups_;
  std::vector<std::vector<std::string>> rows_;
  bool by_code_ = false;
};

// Builds the control a design describes, its widgets parented to `parent`; throws runtime::Error 5 for
// an unknown kind.
std::shared_ptr<host::Control> make_qt_control(const host::ControlDesign& design,
                                               std::shared_ptr<FormInput> window, QWidget* parent);

// Dates between the runtime and Qt.
QDate to_qdate(const runtime::Date& date);
runtime::Date from_qdate(const QDate& date);

}  // namespace desktop
