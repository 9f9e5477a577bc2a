#pragma once
// The host's controls as toolkit-free models: the state and every rule of a control that the module
// relies on or a person meets, with the events the module binds. Both hosts use them: the headless host
// drives them directly (the scripted person, the command line), the desktop shows each one in a Qt widget
// that turns keys and clicks into the model's input operations and redraws when the model changes.
//
// A model is built from its design: "enabled" (default True), "maxchar" (0 = no limit), "case"
// "Maiuscolo" (typed text becomes upper case), "obbligatorio" (a blank text is not valid), "min" and "max"
// (bounds of a numeric edit), "sorted" (a combo keeps its entries sorted), "decode" (a code edit decodes
// a changed code when it is left), "firstdayofweek" (calendar).
//
// Only what a person does raises events: a text, date or value set by the module's code does not.
// Events are raised on a copy of the handler, with the control kept alive, so a handler may rebind the
// slot or let the window go while it runs. Text a person types that the field cannot hold (too long, or
// characters the field does not take) is refused as a whole: the text stays as it was, nothing is cut.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/controls.hpp"
#include "host/form.hpp"
#include "runtime/date.hpp"
#include "runtime/variant.hpp"

namespace standin {

class InputModel;

// Runs a query text on the host's database and returns its open recordset (the grid's lookup columns
// use it).
using QueryRunner = std::function<std::shared_ptr<host::Recordset>(const std::string& sql)>;

// What a host shares with its windows' controls.
struct ControlSession {
  QueryRunner query_runner;
  // Shows a notice of a control to the person (a code the decode did not find, an impossible date).
  std::function<void(const std::string& text, const std::string& title)> notice;
  // The record frame of the active window: a grid row chosen by the person is reached through it, so
  // that a changed row is saved before the frame moves. May be empty.
  std::function<std::shared_ptr<host::RecordFrame>()> active_frame;
  // "it" or "en": the language of the controls' own notices.
  std::string language = "it";
  // The days of a month that hold planned rows for the window's current selection (the calendar marks
  // them). May be empty.
  std::function<std::vector<runtime::Date>(int year, unsigned month)> planned_days;

  // The controls' own texts in the session's language.
  std::string text(const char* italian, const char* english) const {
    return language == "en" ? english : italian;
  }
  // A caption of a design (a label's, a button's, a column's, a window's) as the person reads it: in the
  // session's language, through the dictionary.
  std::string caption(const std::string& design_caption) const;
};

// What the controls of one window share: the control that has the focus and the session.
struct WindowInput {
  std::string form_name;
  InputModel* focused = nullptr;
  std::shared_ptr<ControlSession> session;
};

// How a view follows its model: `refresh` redraws after the module's code changed the model; `focus`
// moves the toolkit's focus after the module's code gave the model the focus.
struct ModelView {
  std::function<void()> refresh;
  std::function<void()> focus;
};

// Text helpers of the controls (UTF-8 aware).
std::size_t utf8_length(const std::string& text);
std::string utf8_truncate(const std::string& text, std::size_t max_chars);
// Upper case of ASCII and Latin-1 letters (à becomes À); other characters unchanged.
std::string utf8_upper(const std::string& text);

// The part of a headless control that does not depend on its kind: name, design, enabled state, focus.
class InputModel : public std::enable_shared_from_this<InputModel> {
 public:
  InputModel(host::ControlDesign design, std::shared_ptr<WindowInput> window);
  virtual ~InputModel();
  InputModel(const InputModel&) = delete;
  InputModel& operator=(const InputModel&) = delete;

  const host::ControlDesign& design() const { return design_; }
  const std::string& name() const { return design_.name; }
  // The design's caption in the session's language (as the person reads it).
  std::string shown_caption() const;
  // A design setting; Empty when the design does not give it.
  runtime::Variant setting(const std::string& key) const;
  bool enabled() const { return enabled_; }
  void set_enabled(bool value) {
    enabled_ = value;
    changed();
  }
  bool focused() const { return window_->focused == this; }
  // Focus moved by the module's code: no validation runs.
  void focus_from_code();
  // The view that shows the model (one at most).
  void set_view(ModelView view) { view_ = std::move(view); }
  // A design setting as a Boolean or a number.
  bool setting_bool(const char* key, bool fallback) const;
  std::optional<double> setting_number(const char* key) const;

  // The person moves into the control: the control that has the focus is left first (its validation may
  // refuse). False when the control is disabled or the focus could not leave the other control.
  bool click_into();
  // The person moves out of the control. Fields raise their validation first; false when it refused, and
  // the focus stays. A control without the focus is left at once.
  virtual bool leave();

 protected:
  // Raises a validation slot; true when not cancelled.
  static bool validate(const std::function<void(bool&)>& slot);
  void drop_focus() {
    if (focused()) window_->focused = nullptr;
  }
  WindowInput& window() const { return *window_; }
  ControlSession* session() const { return window_->session.get(); }
  // Shows a notice of the control to the person.
  void notice(const std::string& text) const;
  // Tells the view that the model changed.
  void changed() const {
    if (view_.refresh) view_.refresh();
  }

 private:
  host::ControlDesign design_;
  std::shared_ptr<WindowInput> window_;
  ModelView view_;
  bool enabled_ = true;
};

// The members every control interface shares, on top of InputModel.
template <class Interface>
class ControlModel : public Interface, public InputModel {
 public:
  using InputModel::InputModel;
  std::string Name() const override { return name(); }
  std::string Kind() const override { return design().kind; }
  bool Enabled() const override { return enabled(); }
  void set_Enabled(bool value) override { set_enabled(value); }
  void SetFocus() override { focus_from_code(); }
  bool HasFocus() const override { return focused(); }
};

// Text, selection and typing of the edit controls.
template <class Interface>
class TextModel : public ControlModel<Interface> {
 public:
  TextModel(host::ControlDesign design, std::shared_ptr<WindowInput> window);

  std::string Text() const override { return text_; }
  // The module's code sets the text as given: no case or length rule, no event.
  void set_Text(const std::string& value) override;
  void SelectText() override {
    selected_ = true;
    this->changed();
  }
  // True after SelectText until the text changes.
  bool text_selected() const { return selected_; }
  std::size_t max_chars() const { return max_chars_; }
  bool upper_case() const { return upper_case_; }
  bool mandatory() const { return mandatory_; }

  // Whether a person can type this text into the control: not longer than the design allows, and only
  // characters the control takes.
  virtual bool fits(const std::string& text) const;
  // The person types a new text into the control: moves into it (see click_into), replaces its text
  // (upper case when the design says so) and raises the change events. False when the control could
  // not take the focus or the text does not fit; the text is then unchanged.
  bool type(const std::string& text);
  // The person changes the text of the control that has the focus (a key, a paste); false, with the
  // text unchanged, when it does not fit.
  bool edit(const std::string& text);

 protected:
  // After a typed text replaced the old one; `changed` tells whether it differs.
  virtual void typed(bool changed) { (void)changed; }
  // After the module's code set the text.
  virtual void text_set_by_code() {}

 private:
  std::string text_;
  bool selected_ = false;
  std::size_t max_chars_ = 0;
  bool upper_case_ = false;
  bool mandatory_ = false;
};

// What the person asked the lookup for, as the StartLookup handler prepared it.
struct LookupRequest {
  std::string text_a;
  runtime::Variant value_b;
  std::string text_c;
  std::string connection;
};

class CodeEditModel : public TextModel<host::CodeEdit> {
 public:
  // Stands for the lookup window: given the control and the prepared request, returns the chosen row
  // (a two-dimensional array) or Empty when the person closed the lookup without choosing. It may also
  // change the control's text, as the lookup window does with the chosen code.
  using LookupChooser = std::function<runtime::Variant(CodeEditModel&, const LookupRequest&)>;

  using TextModel::TextModel;

  void set_lookup_chooser(LookupChooser chooser) { lookup_chooser_ = std::move(chooser); }
  // Set by whatever runs the decode of the typed code. Typing a different code makes it False again.
  void set_decode_ok(bool value) {
    decode_ok_ = value;
    if (value) decode_pending_ = false;
  }
  // The last request prepared by StartLookup (none before the first lookup or when it was cancelled).
  const std::optional<LookupRequest>& last_lookup() const { return last_lookup_; }
  int lookups_opened() const { return lookups_opened_; }

  bool DecodeOk() const override { return decode_ok_; }
  // Runs the decode as the control does when the person leaves a changed code: StartDecode prepares the
  // query (text A), the connection text and the description control (value B); a row found fills the
  // description and sets DecodeOk, none clears both and tells the person. A blank code only clears.
  void decode();
  // Raises StartLookup; unless cancelled, asks the chooser (when set) and raises CloseLookup with its row.
  void OpenLookup() override;
  void set_LookupSetting(const runtime::Variant& value) override { lookup_setting_ = value; }
  runtime::Variant LookupSetting() const override { return lookup_setting_; }
  // A mandatory field must not be blank.
  bool IsValid() override;
  // True after the person typed a new text, until the module's code sets the text.
  bool IsModified() const override { return modified_; }

  // Raises Validate, then PostValidate when not cancelled.
  bool leave() override;
  // The person presses the key of the key-button menu (e.g. "Kgestione").
  void press_key(const runtime::Variant& key);
  // From now on the description follows the code the module's code puts in the field: the code is
  // decoded again, without a notice (the person typed nothing), and a blank one empties it. A host
  // asks for it on the windows it wants so; the description is brought up to date at once.
  void follow_description();

 protected:
  void typed(bool changed) override;
  void text_set_by_code() override;

 private:
  void describe_quietly();

  bool decode_ok_ = false;
  bool follows_ = false;
  bool describing_ = false;
  bool modified_ = false;
  bool decode_pending_ = false;
  runtime::Variant lookup_setting_;
  LookupChooser lookup_chooser_;
  std::optional<LookupRequest> last_lookup_;
  int lookups_opened_ = 0;
};

// A date in the short date form (or ISO). Leaving the field with a text that is no date is refused by
// the control itself, with a notice; a valid date is written back in the short date form.
class DateEditModel : public TextModel<host::DateEdit> {
 public:
  using TextModel::TextModel;
  // Digits and the separators / . - only, ten characters at most.
  bool fits(const std::string& text) const override;
  // Not blank and a valid date when mandatory; blank or a valid date otherwise.
  bool IsValid() override;
  // The text is a date (short date form or ISO); a blank text is not.
  bool IsDateValid() const override;
  bool leave() override;
};

// A whole number within the design's bounds; leaving the field with a number outside them is refused
// by the control itself, with a notice.
class NumericEditModel : public TextModel<host::NumericEdit> {
 public:
  NumericEditModel(host::ControlDesign design, std::shared_ptr<WindowInput> window);
  // Digits only (and a sign when the bounds allow negative numbers), within the design's length.
  bool fits(const std::string& text) const override;
  // A whole number within Min..Max; blank only when not mandatory.
  bool IsValid() override;
  double Min() const override { return min_; }
  double Max() const override { return max_; }
  bool leave() override;

 private:
  double min_;
  double max_;
};

class ComboModel : public ControlModel<host::Combo> {
 public:
  ComboModel(host::ControlDesign design, std::shared_ptr<WindowInput> window);

  bool sorted() const { return sorted_; }
  // The person picks the entry at `position`; false when disabled, out of range or the focus could not move.
  bool choose(std::int32_t position);

  void Clear() override;
  void set_Sorted(bool value) override { sorted_ = value; }
  void AddItem(const std::string& text) override;
  // -1 chooses nothing; another position outside the list throws runtime::Error 380.
  void set_ListIndex(std::int32_t position) override;
  std::int32_t ListIndex() const override { return list_index_; }
  std::int32_t ListCount() const override { return static_cast<std::int32_t>(items_.size()); }
  // Throws runtime::Error 381 outside the list.
  std::string ItemText(std::int32_t position) const override;
  // The chosen entry's position as text; empty when nothing is chosen.
  std::string Value() const override;

 private:
  std::vector<std::string> items_;
  std::int32_t list_index_ = -1;
  bool sorted_ = false;
};

class CalendarModel : public ControlModel<host::Calendar> {
 public:
  CalendarModel(host::ControlDesign design, std::shared_ptr<WindowInput> window);

  std::int32_t first_day_of_week() const { return first_day_of_week_; }
  // The person picks a day: the value changes, then DateChange(previous, new) is raised. False when the
  // calendar is disabled or the focus could not move.
  bool choose(runtime::Date day);
  // The person clears the chosen day: the value becomes Empty, then DateChange(previous, Empty) is raised.
  // False when the calendar is disabled or the focus could not move.
  bool clear();

  runtime::Variant Value() const override { return value_; }
  void set_Value(const runtime::Variant& value) override {
    value_ = value;
    changed();
  }
  void set_FirstDayOfWeek(std::int32_t value) override {
    first_day_of_week_ = value;
    changed();
  }
  // The days of that month to mark as planned, as the session knows them (none without a session or
  // when they cannot be read).
  std::vector<runtime::Date> planned_days(int year, unsigned month) const;

 private:
  runtime::Variant value_;
  std::int32_t first_day_of_week_ = 1;
};

class ToolbarButtonModel : public ControlModel<host::ToolbarButton> {
 public:
  using ControlModel::ControlModel;
  // The person clicks: raises ButtonClick when the button is enabled (a toolbar button takes no focus).
  // Returns whether the click reached the button.
  bool click();
  std::string Caption() const override { return design().caption; }
};

class LabelModel : public ControlModel<host::Label> {
 public:
  LabelModel(host::ControlDesign design, std::shared_ptr<WindowInput> window);
  std::string Caption() const override { return caption_; }
  void set_Caption(const std::string& value) override {
    caption_ = value;
    changed();
  }

 private:
  std::string caption_;
};

class ResizeModel : public ControlModel<host::ResizeControl> {
 public:
  struct Placement {
    std::string control;
    std::int32_t code = 0;
  };
  using ControlModel::ControlModel;

  int layouts() const { return layouts_; }
  const std::vector<Placement>& placements() const { return placements_; }
  // The window changed size: raises Resize.
  void resize();

  void Layout() override { ++layouts_; }
  void PlaceByName(const std::string& control_name, std::int32_t code) override;
  // Throws runtime::Error 424 for no control.
  void Place(const std::shared_ptr<host::Control>& control, std::int32_t code) override;

 private:
  int layouts_ = 0;
  std::vector<Placement> placements_;
};

class MdiContainerModel : public ControlModel<host::MdiContainer> {
 public:
  struct Initialization {
    std::int32_t a = 0, b = 0, width = 0, height = 0;
  };
  using ControlModel::ControlModel;

  const std::vector<Initialization>& initializations() const { return initializations_; }
  std::optional<std::int32_t> window_state() const { return window_state_; }
  // The container's window has loaded and is about to show: raises FormLoad.
  void form_loaded();

  // Leaves a and b as they are.
  void Initialize(std::int32_t& a, std::int32_t& b, std::int32_t width, std::int32_t height) override;
  void set_WindowState(std::int32_t value) override { window_state_ = value; }

 private:
  std::vector<Initialization> initializations_;
  std::optional<std::int32_t> window_state_;
};

struct GridColumn {
  std::string field;
  std::string caption;
  std::string lookup_query;  // empty for a plain column
  std::int32_t kind = 0;     // the kind of a plain column
  std::int32_t width = 0;
  bool visible = true;
  std::int32_t option = 0;
  bool is_lookup() const { return !lookup_query.empty(); }
};

// The values of a lookup column by the key of their id (lookup_key's rule). Whole numbers below 10^15
// (every id) are kept and found by value, without being written as text; other numbers and texts by
// their key text. The first value of an id is kept.
class LookupValues {
 public:
  void add(const runtime::Variant& id, runtime::Variant value);
  // Room for that many whole ids, the usual kind, so that adding them never rebuilds the table.
  void reserve(std::size_t count) { whole_.reserve(count); }
  // The value of id, or nullptr when it has none (Empty and Null never have one).
  const runtime::Variant* find(const runtime::Variant& id) const;
  std::size_t size() const { return whole_.size() + other_.size(); }
  // The values were read for these whole ids only (a lookup that read every row has none of them).
  void restrict_to(const std::vector<std::int64_t>& ids);
  // Adds the other's values (the first value of an id is kept).
  void merge(LookupValues other);
  // Whether the id's value (or its absence) is known: read with every row, or one of the ids read.
  bool answers(const runtime::Variant& id) const;

 private:
  std::unordered_map<std::int64_t, runtime::Variant> whole_;
  std::unordered_map<std::string, runtime::Variant> other_;
  std::optional<std::unordered_set<std::int64_t>> read_ids_;  // none: every row was read
};

// The grid shows the attached recordset; its current row is the recordset's current row. A lookup column
// shows, for the id in the row, the second column of the lookup query's row whose first column holds
// that id (Null when there is none). Each lookup query runs once, through the session's query runner,
// the first time a value of its column is needed after an attach.
class GridModel : public ControlModel<host::Grid> {
 public:
  using ControlModel::ControlModel;

  // The module's calls, in order: "BeginDefinition", "set_Definition(object)", "set_Option(0)",
  // "set_Flags(True, True)", "set_Title(...)", "AddLookupColumn(FIELD)", "AddColumn(FIELD)", "EndColumns",
  // "set_ColumnOption(FIELD, 1)", "Finalize", "AttachRecordset(object)", "DetachRecordset", "Reset",
  // "Close".
  const std::vector<std::string>& calls() const { return calls_; }
  const std::vector<GridColumn>& columns() const { return columns_; }
  // The column of that field (case-insensitive), or null.
  const GridColumn* column(const std::string& field) const;
  std::shared_ptr<host::GridDefinition> definition() const { return definition_.lock(); }
  std::int32_t option() const { return option_; }
  std::pair<bool, bool> flags() const { return flags_; }
  bool finalized() const { return finalized_; }
  bool closed() const { return closed_; }
  int lookup_queries_run() const { return lookup_queries_run_; }
  // Rows of the attached recordset (0 without one).
  std::int32_t row_count() const;
  // What the grid shows: one text per column and row (lookup columns as their looked-up texts, dates in
  // the short date form, blanks as ""). The current row stays where it is. Throws runtime::Error while
  // the current row has changes not yet written.
  std::vector<std::vector<std::string>> shown_rows();
  // The same cells as values (dates as dates, numbers as numbers; a lookup without a match is Null).
  std::vector<std::vector<runtime::Variant>> shown_values();
  // The same rows handed over one at a time, in order, without holding them all.
  void for_each_shown_row(const std::function<void(const std::vector<runtime::Variant>&)>& take);
  std::vector<std::string> captions() const;
  // The columns' captions in the session's language.
  std::vector<std::string> shown_captions() const;

  // The person selects the row at `position` (0-based): the recordset moves there and RowChange is
  // raised. False when there is no such row.
  bool select_row(std::int32_t position);
  // Raises RowChange for the current row, as the grid does when the window shows it.
  void show_current_row() { raise_row_change(); }
  // The host tells the grid that its rows changed (the record frame wrote or deleted a row).
  void refresh() { changed(); }

  void BeginDefinition() override;
  // Observed only: the definition object refers to the module, and the grid must not keep it alive.
  void set_Definition(std::shared_ptr<host::GridDefinition> value) override;
  void set_Option(std::int32_t value) override;
  void set_Flags(bool first, bool second) override;
  void set_Title(const std::string& value) override;
  std::string Title() const override { return title_; }
  // A field already in the grid throws runtime::Error 5.
  void AddLookupColumn(const std::string& field, const std::string& lookup_query, const std::string& caption,
                       std::int32_t width, bool visible) override;
  void AddColumn(const std::string& field, const std::string& caption, std::int32_t kind, std::int32_t width,
                 bool visible) override;
  void EndColumns() override;
  // An unknown field throws runtime::Error 5.
  void set_ColumnOption(const std::string& field, std::int32_t value) override;
  void Finalize() override;
  // Shows the recordset from its current row and raises RowChange, as the grid moves onto that row.
  void AttachRecordset(std::shared_ptr<host::Recordset> value) override;
  void DetachRecordset() override;
  std::shared_ptr<host::Recordset> AttachedRecordset() const override { return attached_; }
  // Empties the grid: the recordset is detached and the lookups forgotten.
  void Reset() override;
  // Empty when no row is current (no recordset, closed, or before the first or after the last row).
  // A plain column, or a field that is not a column, reads the row's field (an unknown field throws
  // the recordset's error); a lookup column gives the looked-up value.
  runtime::Variant CurrentValue(const std::string& column) override;
  void Close() override;

 private:
  void add_column(GridColumn column, const char* call);
  bool has_current_row() const;
  void raise_row_change();
  LookupValues& lookup_map(const GridColumn& column);
  // The distinct ids of the field in the attached rows (nullopt: not all whole numbers, or no such field).
  std::optional<std::vector<std::int64_t>> shown_ids(const std::string& field);
  // The value of a lookup column for id, reading it when the column's values were read without it (a row
  // the frame added after the lookup).
  const runtime::Variant* looked_up(const GridColumn& column, LookupValues& values,
                                    const runtime::Variant& id);
  // The value a column shows on the current row (Empty without one).
  runtime::Variant value_of(const GridColumn& column);

  std::vector<std::string> calls_;
  std::vector<GridColumn> columns_;
  std::weak_ptr<host::GridDefinition> definition_;
  std::int32_t option_ = 0;
  std::pair<bool, bool> flags_{false, false};
  std::string title_;
  bool finalized_ = false;
  bool closed_ = false;
  std::shared_ptr<host::Recordset> attached_;
  std::map<std::string, LookupValues> lookups_;  // by the column's field as the column spells it
  int lookup_queries_run_ = 0;
};

// The key a lookup matches on: numbers by value (12, 12.0 and "12" match), texts as they are; none for
// Empty and Null.
std::optional<std::string> lookup_key(const runtime::Variant& value);

// Runs a lookup column's query (an id, then the text shown for it) and keeps each id's text.
// `control` names the grid in the errors: no query runner, no recordset, or fewer than two columns.
LookupValues read_lookup_column(const QueryRunner& runner, const std::string& query, const std::string& field,
                                const std::string& control);

// The ids a grid shows of a lookup column: whole numbers, or nullopt when the column holds another kind
// of value (its lookup then reads every row).
std::optional<std::vector<std::int64_t>> whole_ids(const std::vector<runtime::Variant>& values);

// The lookup query restricted to the rows of those ids: `SELECT * FROM (query) AS LOOKUP_ROWS WHERE id IN
// (...)`, where id is the name of the query's first column, in lists of at most `per_query` ids (each
// engine folds the outer condition into the query and reads the rows by their key). None when the first
// column is not a plain name, so that the query has to be read whole.
std::optional<std::vector<std::string>> restricted_lookup_queries(const std::string& query,
                                                                  const std::vector<std::int64_t>& ids,
                                                                  std::size_t per_query);

// The lookup column's values for the given ids only, read with restricted_lookup_queries (every row when
// the query cannot be restricted).
LookupValues read_lookup_ids(const QueryRunner& runner, const std::string& query, const std::string& field,
                             const std::string& control, const std::vector<std::int64_t>& ids);

class GridNavigatorModel : public ControlModel<host::GridNavigator> {
 public:
  GridNavigatorModel(host::ControlDesign design, std::shared_ptr<WindowInput> window);

  std::shared_ptr<host::Cinterface> interface() const { return interface_.lock(); }
  std::shared_ptr<host::RecordFrame> frame() const { return frame_.lock(); }
  std::optional<bool> setting() const { return setting_; }

  // The module and its frame are observed only: they refer to the window that holds this control.
  void set_Interface(std::shared_ptr<host::Cinterface> value) override { interface_ = value; }
  void set_Frame(std::shared_ptr<host::RecordFrame> value) override { frame_ = value; }
  void set_Setting(bool value) override { setting_ = value; }

 private:
  std::weak_ptr<host::Cinterface> interface_;
  std::weak_ptr<host::RecordFrame> frame_;
  std::optional<bool> setting_;
};

class FrameModel : public ControlModel<host::FrameControl> {
 public:
  using ControlModel::ControlModel;
};

// Builds the control a design describes; throws runtime::Error 5 for an unknown kind.
std::shared_ptr<host::Control> make_control_model(const host::ControlDesign& design,
                                                  std::shared_ptr<WindowInput> window);

}  // namespace standin
