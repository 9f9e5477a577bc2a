#pragma once
// The host framework's controls as the module's windows use them. Each control carries one slot per
// event, named after the event; the window fills the slots when it is built and the host raises them.
// A cancel flag set True by a Validate handler refuses the validation and keeps the focus in the field.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/contract.hpp"
#include "host/database.hpp"
#include "runtime/variant.hpp"

namespace host {

// Kinds of control, as named in a form design.
namespace kind {
inline constexpr const char* kCodeEdit = "TXT_EDITM";
inline constexpr const char* kDateEdit = "EditDateM";
inline constexpr const char* kNumericEdit = "TxtEditNum";
inline constexpr const char* kCombo = "KVO_COMBO";
inline constexpr const char* kCalendar = "KVO_CALENDARIO";
inline constexpr const char* kToolbarButton = "KVO_TBARMENU";
inline constexpr const char* kLabel = "KVO_LABEL";
inline constexpr const char* kResize = "KVO_RESIZEFORM";
inline constexpr const char* kMdiContainer = "MDIActiveX";
inline constexpr const char* kGrid = "KVO_QGRIDWRAPPER";
inline constexpr const char* kGridNavigator = "KVO_GRIDNAV";
inline constexpr const char* kFrame = "Frame";
}  // namespace kind

class Control : public virtual runtime::Object {
 public:
  virtual std::string Name() const = 0;
  virtual std::string Kind() const = 0;
  virtual bool Enabled() const = 0;
  virtual void set_Enabled(bool value) = 0;
  virtual void SetFocus() = 0;
  virtual bool HasFocus() const = 0;
};

class TextControl : public Control {
 public:
  virtual std::string Text() const = 0;
  virtual void set_Text(const std::string& value) = 0;
  // Selects the whole text.
  virtual void SelectText() = 0;
};

// The code edit: a text with lookup, decode and maintenance key.
class CodeEdit : public TextControl {
 public:
  virtual bool DecodeOk() const = 0;
  virtual void OpenLookup() = 0;
  virtual void set_LookupSetting(const runtime::Variant& value) = 0;
  virtual runtime::Variant LookupSetting() const = 0;
  virtual bool IsValid() = 0;
  virtual bool IsModified() const = 0;

  std::function<void(bool& Cancel, std::string& TextA, runtime::Variant& ValueB, std::string& TextC,
                     std::string& Connection)>
      StartLookup;
  std::function<void(runtime::Variant& First, std::string& TextA, runtime::Variant& ValueB,
                     std::string& Connection)>
      StartDecode;
  std::function<void(const runtime::Variant& Row)> CloseLookup;
  std::function<void(runtime::Variant& First, const runtime::Variant& Key)> KeyButtonMenuPress;
  std::function<void(bool& Cancel)> Validate;
  std::function<void(runtime::Variant& Unused)> TextChange;
  std::function<void()> CodeChange;
  std::function<void(bool& Cancel)> PostValidate;
};

class DateEdit : public TextControl {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsDateValid() const = 0;
  std::function<void(bool& Cancel)> Validate;
};

class NumericEdit : public TextControl {
 public:
  virtual bool IsValid() = 0;
  virtual double Min() const = 0;
  virtual double Max() const = 0;
  std::function<void(bool& Cancel)> Validate;
};

class Combo : public Control {
 public:
  virtual void Clear() = 0;
  virtual void set_Sorted(bool value) = 0;  // the Boolean option switched off before filling
  virtual void AddItem(const std::string& text) = 0;
  virtual void set_ListIndex(std::int32_t position) = 0;
  virtual std::int32_t ListIndex() const = 0;
  virtual std::int32_t ListCount() const = 0;
  virtual std::string ItemText(std::int32_t position) const = 0;
  // The chosen entry's position as text.
  virtual std::string Value() const = 0;
};

class Calendar : public Control {
 public:
  virtual runtime::Variant Value() const = 0;
  virtual void set_Value(const runtime::Variant& value) = 0;
  virtual void set_FirstDayOfWeek(std::int32_t value) = 0;
  std::function<void(const runtime::Variant& Previous, const runtime::Variant& NewDay)> DateChange;
};

class ToolbarButton : public Control {
 public:
  virtual std::string Caption() const = 0;
  std::function<void()> ButtonClick;
};

class Label : public Control {
 public:
  virtual std::string Caption() const = 0;
  virtual void set_Caption(const std::string& value) = 0;
};

class ResizeControl : public Control {
 public:
  virtual void Layout() = 0;
  virtual void PlaceByName(const std::string& control_name, std::int32_t code) = 0;
  virtual void Place(const std::shared_ptr<Control>& control, std::int32_t code) = 0;
  std::function<void()> Resize;
};

class MdiContainer : public Control {
 public:
  virtual void Initialize(std::int32_t& a, std::int32_t& b, std::int32_t width, std::int32_t height) = 0;
  virtual void set_WindowState(std::int32_t value) = 0;
  std::function<void()> FormLoad;
};

class RecordFrame;

// Column definition handed to the grid before its columns are added.
class GridDefinition : public virtual runtime::Object {
 public:
  virtual void set_Flag(bool value) = 0;
  virtual void set_Recordset(std::shared_ptr<Recordset> value) = 0;
  virtual void set_Interface(std::shared_ptr<Cinterface> value) = 0;
  virtual void set_KeyColumn(const std::string& value) = 0;
  virtual void set_Identity(const std::string& value) = 0;
};

class Grid : public Control {
 public:
  virtual void BeginDefinition() = 0;
  virtual void set_Definition(std::shared_ptr<GridDefinition> value) = 0;
  virtual void set_Option(std::int32_t value) = 0;
  virtual void set_Flags(bool first, bool second) = 0;
  virtual void set_Title(const std::string& value) = 0;
  virtual std::string Title() const = 0;
  virtual void AddLookupColumn(const std::string& field, const std::string& lookup_query,
                               const std::string& caption, std::int32_t width, bool visible) = 0;
  virtual void AddColumn(const std::string& field, const std::string& caption, std::int32_t kind,
                         std::int32_t width, bool visible) = 0;
  virtual void EndColumns() = 0;
  virtual void set_ColumnOption(const std::string& field, std::int32_t value) = 0;
  virtual void Finalize() = 0;
  virtual void AttachRecordset(std::shared_ptr<Recordset> value) = 0;
  virtual void DetachRecordset() = 0;
  virtual std::shared_ptr<Recordset> AttachedRecordset() const = 0;
  virtual void Reset() = 0;
  // The current row's value of a column; a lookup column gives the looked-up text.
  virtual runtime::Variant CurrentValue(const std::string& column) = 0;
  virtual void Close() = 0;
  std::function<void()> RowChange;
};

class GridNavigator : public Control {
 public:
  virtual void set_Interface(std::shared_ptr<Cinterface> value) = 0;
  virtual void set_Frame(std::shared_ptr<RecordFrame> value) = 0;
  virtual void set_Setting(bool value) = 0;
};

class FrameControl : public Control {};

// The record frame: the editing state machine over a recordset. It raises the Before events (a handler
// may cancel), writes the current row itself when none cancelled, then raises the After events.
class RecordFrame : public virtual runtime::Object {
 public:
  static constexpr std::int32_t kStatusStored = 0;
  static constexpr std::int32_t kStatusModified = 1;
  static constexpr std::int32_t kStatusNew = 2;

  // The module object (the frame may replace the reference), the connection, the recordset, the query
  // text, an empty text, the grid navigator and the grid.
  virtual void Initialize(std::shared_ptr<Cinterface>& module, std::shared_ptr<Connection>& connection,
                          std::shared_ptr<Recordset>& recordset, const std::string& query,
                          const std::string& empty, std::shared_ptr<GridNavigator> navigator,
                          std::shared_ptr<Grid> grid) = 0;
  virtual void AddControl(std::shared_ptr<Control> control, const runtime::Variant& second) = 0;
  virtual std::int32_t ProgramMode() const = 0;
  virtual void set_ProgramMode(std::int32_t value) = 0;
  virtual std::int32_t Status() const = 0;
  virtual void NotifyModified() = 0;
  // Saves the current row; answers 0 when there was nothing to save or the save succeeded.
  virtual std::int32_t Save(bool ask, std::int32_t mode, bool silent) = 0;
  virtual void Close() = 0;
  virtual void BeforeDialog() = 0;
  virtual void AfterDialog() = 0;
  virtual void Terminate() = 0;
  virtual void set_Setting(bool value) = 0;
  virtual std::string Name() const = 0;
  virtual void set_Name(const std::string& value) = 0;
  virtual std::shared_ptr<host::Recordset> Recordset() = 0;
  // "Update" by name: saves the current row.
  virtual void Update() = 0;

  // The user's operations, called by the host navigator.
  virtual void NewRow() = 0;
  virtual void DeleteRow() = 0;
  virtual void CancelEdit() = 0;
  virtual void MoveTo(std::int32_t position) = 0;

  std::function<void(bool& fbol_Cancel)> BeforeAddNew;
  std::function<void(bool& fbol_Cancel)> BeforeUpdate;
  std::function<void(bool& fbol_Cancel)> BeforeDelete;
  std::function<void(std::int32_t fenm_operationresult)> AfterUpdate;
  std::function<void(std::int32_t fenm_operationresult)> AfterDelete;
  std::function<void(std::int32_t fenm_status, std::int32_t fenm_reason)> ChangeStatus;
};

}  // namespace host
