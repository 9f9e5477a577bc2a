#pragma once
// What the two range dialogs share: the life of a modal dialog opened by the calendar window (its own
// connection, error display, lookup and decode services, the module-wide selection shown in its code
// fields), the project, node and activity code fields that resolve the WBS activity and unlock the range
// fields, the checks of the start and end dates against the planning period, and the values both write
// into their SQL text. The insertion dialog adds the duration, the treatment list and the generation of
// days; the deletion dialog adds its own blank rule and the deletion.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/form_base.hpp"
#include "common/main_window.hpp"
#include "common/trace.hpp"
#include "host/contract.hpp"
#include "host/controls.hpp"
#include "host/database.hpp"
#include "host/global.hpp"
#include "host/services.hpp"
#include "runtime/error.hpp"
#include "runtime/variant.hpp"

namespace calendatt {

class RangeDialog : public FormBase, public runtime::ErrorReporter, public runtime::Object {
 public:
  ~RangeDialog() override;

  // Handed in by the calendar window before ShowDialog.
  std::shared_ptr<host::Cinterface> ActiveInterface;
  std::shared_ptr<MainWindow> FrmMain;

  // Shows the dialog modally and makes sure it is unloaded afterwards: 2 when it was cancelled or closed,
  // 1 when its work completed.
  std::int32_t ShowDialog();

  // The error report of the dialog, on its own error display, connection and caption.
  std::int32_t VisualizzaErrore(const std::string& SubOrFunctionName) override;

  // The dialog's own copy of the calendar window's program notification ("tsOpen" or "tsClose").
  void NotificaProgramma(const runtime::Variant& event);

 protected:
  // The controls a resolved activity unlocks: an optional frame that is only ever switched on by the code
  // fields, then the range fields and the confirm button, in the order they are switched.
  struct RangeControls {
    const char* frame = nullptr;
    std::vector<const char*> fields;
  };

  RangeDialog(host::FormDesign design, RangeControls range);

  // The controls both dialogs show: frames, the three code fields with their labels and descriptions,
  // the planning period, the start and end dates, the two buttons and the resize control.
  static host::FormDesign shared_design(const char* name, const char* caption);

  // The dialog's blank rule: the value itself unless it is empty, null or blank, then the default.
  virtual runtime::Variant blank_rule(const runtime::Variant& value,
                                      const runtime::Variant& default_value) = 0;
  // The lists the dialog fills while loading, after the cancelled flag is set.
  virtual void fill_lists() {}

  void Form_Load() override;
  void Form_Activate() override;
  void Form_Unload(bool& Cancel) override;

  // Fills the slots shared by both dialogs: the code fields' change, lookup, decode and project/node
  // maintenance events, the project's Validate, the date validations, the cancel button, the resize
  // control. Each dialog binds the rest of its code-field events itself.
  void bind_common_controls();

  // Code fields.
  void TXT_CODPROG_CodeChange();
  void TXT_CODNODO_CodeChange();
  void TXT_CODATTIVITA_CodeChange();
  void TXT_CODPROG_StartLookup(bool& Cancel, std::string& TextA, runtime::Variant& ValueB, std::string& TextC,
                               std::string& Connection);
  void TXT_CODNODO_StartLookup(bool& Cancel, std::string& TextA, runtime::Variant& ValueB, std::string& TextC,
                               std::string& Connection);
  void TXT_CODATTIVITA_StartLookup(bool& Cancel, std::string& TextA, runtime::Variant& ValueB,
                                   std::string& TextC, std::string& Connection);
  void TXT_CODPROG_StartDecode(std::string& TextA, runtime::Variant& ValueB, std::string& Connection);
  void TXT_CODNODO_StartDecode(std::string& TextA, runtime::Variant& ValueB, std::string& Connection);
  void TXT_CODATTIVITA_StartDecode(std::string& TextA, runtime::Variant& ValueB, std::string& Connection);
  void TXT_CODPROG_CloseLookup(const runtime::Variant& row);
  void TXT_CODNODO_CloseLookup(const runtime::Variant& row);
  void TXT_CODATTIVITA_CloseLookup(const runtime::Variant& row);
  void TXT_CODPROG_KeyButtonMenuPress(const runtime::Variant& key);
  void TXT_CODNODO_KeyButtonMenuPress(const runtime::Variant& key);
  // The activity's maintenance key; `report_errors` false skips failing steps instead of reporting them.
  void activity_maintenance(const runtime::Variant& key, bool report_errors);
  void TXT_CODPROG_Validate(bool& Cancel);

  // The decode check of a code field's Validate: true (and Cancel set) when the typed code is not empty
  // and the control's decode did not find it.
  bool decode_refused(const char* field, bool& Cancel);
  // Resolves the three codes to the WBS activity; unlocks the range controls when it resolves, locks
  // them when it does not, asks about an activity that stands in several WBS rows. Failing steps are
  // skipped. `focus_start` gives the start date the focus after a resolution.
  void resolve_activity(bool& Cancel, bool focus_start);

  // Start and end date fields.
  void TXT_DATAINIZIALE_Validate(bool& Cancel);
  void TXT_DATAFINALE_Validate(bool& Cancel);
  void BTN_ANNULLA_ButtonClick();
  void KVO_RESIZEFORM1_Resize();
  void PclsConnectProd_TransferData(bool& Cancel, const runtime::Variant& data,
                                    std::int32_t& tsCalledProgram);

  // ---- Helpers of the confirm handlers.

  // The text of a field through the blank rule, "" when blank.
  std::string code_text(const char* name);
  // The date of a date field; a blank field is the date 0.
  runtime::Date field_date(const char* name);
  // Input check items shared by both dialogs: the decode service's checks of the changed code fields,
  // then the planning-period items; each evaluated in its own step, combined into `valid`.
  bool shared_input_items(runtime::ErrorTrap& trap, bool& valid);
  // The date order check: false (after the message and the focus) when the start is after the end.
  bool date_order_refused(const runtime::Date& start, const runtime::Date& end);

  // SQL values: the company, the WBS ids (blank as 0) and a date literal written by FormatoDB.
  std::string company_text() const;
  std::string node_id_text();
  std::string link_id_text();
  std::string date_literal(const runtime::Date& day);
  // The literals of the dates joined by ", " (an empty list is a failure).
  std::string in_list(const std::vector<runtime::Date>& days);
  // A new recordset open on the query over the dialog's connection.
  std::shared_ptr<host::Recordset> open_query(const std::string& sql);
  // Runs a statement that returns no rows on the dialog's connection.
  void execute(const std::string& sql);
  // The next count of a list with a 16-bit count; Error 6 (overflow) beyond 32767.
  static std::int16_t next_count(std::int16_t count);

  // The calendar window that opened the dialog; Error 91 when there is none.
  MainWindow& main_window();
  // A message through the calendar window with the dialog's caption as title.
  std::int32_t message(const std::string& text, std::int32_t number, std::int32_t style,
                       const std::optional<runtime::ParamList>& params = std::nullopt);

  void set_range_enabled(bool enabled, bool with_frame);

  bool cancelled_ = true;

 private:
  std::shared_ptr<host::GlobalObject> global();
  host::Navigator& navigator();
  host::LookupService& lookup();
  host::DecodeService& decode();
  // Enables or disables one control; a failure is skipped.
  void switch_control(const char* name, bool enabled);
  // Sets a text control's text; a failure is skipped.
  void clear_text(const char* name);
  // The planning period checks of one date field, `start_first` choosing their order.
  void date_validate(const char* field, bool start_first, bool& Cancel);
  // The steps after a maintenance program returned.
  void after_maintenance(const std::function<bool(const std::function<void()>&)>& step, bool project);
  std::shared_ptr<host::MaintenanceProg> maintenance_prog();

  RangeControls range_;
  std::shared_ptr<host::ErrorDisplay> GclsLog;
  std::shared_ptr<host::ConnectionFactory> GclsConnect;
  std::shared_ptr<host::Connection> GconConnect;
  std::shared_ptr<host::RecordService> record_service_;
  std::shared_ptr<host::LookupService> PclsLookup;
  std::shared_ptr<host::DecodeService> PclsDecode;
  std::shared_ptr<host::MaintenanceProg> PclsConnectProg;
  std::shared_ptr<host::MaintenanceProd> PclsConnectProd;
  std::string GstrConnect;
  std::int32_t ditta_ = 0;
};

}  // namespace calendatt
