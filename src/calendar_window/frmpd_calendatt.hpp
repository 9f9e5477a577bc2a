#pragma once
// FRMPD_CALENDATT: the calendar window. It opens its own connection, lists the calendar days of the
// company narrowed by the chosen day and the WBS selection, edits single days through the host's record
// frame, and carries the module-wide message, error-report, navigator and SQL-formatting routines that
// the two range dialogs reach through their reference to it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/form_base.hpp"
#include "common/main_window.hpp"
#include "common/trace.hpp"
#include "host/contract.hpp"
#include "host/controls.hpp"
#include "host/global.hpp"
#include "host/scriptable.hpp"
#include "host/services.hpp"
#include "runtime/error.hpp"
#include "runtime/ref.hpp"
#include "runtime/variant.hpp"

namespace calendatt {

class FRMPD_CALENDATT : public FormBase,
                        public MainWindow,
                        public runtime::ErrorReporter,
                        public host::Scriptable,
                        public std::enable_shared_from_this<FRMPD_CALENDATT> {
 public:
  // Form_Initialize: the creation trace line.
  FRMPD_CALENDATT();
  // Form_Terminate: the end trace line.
  ~FRMPD_CALENDATT() override;

  static host::FormDesign design();

  // Set by the module object before the window loads.
  runtime::Ref<host::Cinterface> ActiveInterface;
  runtime::Ref<DataChangeListener> GobjThisClass;

  // Messages, error report and navigator notices.
  std::int32_t VisualizzaErrore(const std::string& SubOrFunctionName) override;
  std::int32_t MostraMessaggio(const std::string& text, std::int32_t number, std::int32_t style,
                               const std::string& title,
                               const std::optional<runtime::ParamList>& params = {}) override;
  std::string TraduciMessaggio(const std::string& text, std::int32_t number,
                               const std::optional<runtime::ParamList>& params, std::int16_t option) override;
  void AggiornaNavigatore();
  void NotificaProgramma(const runtime::Variant& event);

  // SQL text of a value: kind 0 text, 1 decimal number, 2 number through the host's number object,
  // 3 date, 4 Unicode text. Never raises; a refused value gives Empty and sets the last formatting error.
  runtime::Variant FormatoDB(const runtime::Variant& value, std::int32_t kind, bool nullable) override;
  const std::string& last_format_error() const { return last_format_error_; }

  // Resolves the three codes to the WBS node, link and planning period (the module-wide selection).
  bool TrovaIDAttivitaWBS(std::shared_ptr<host::Connection>& GconConnect, std::int16_t intDitta,
                          const std::string& strCodProgetto, const std::string& strCodNodo,
                          const std::string& strCodAttivita, std::int16_t* NrRighe = nullptr) override;
  // Checks hours and minutes; on success rewrites both as two digits.
  bool CheckFormatoORE(std::string& ORE, std::string& MINUTI) override;

  // The calendar query, grid and record frame.
  void GeneraQuerySQL();
  bool InitQGrid();
  void Requery();
  void InizializzaVirtualFrame();
  // Saves the current row through the frame; True when the frame answers 0.
  bool Update();

  // Requery and Update, for the host's script object model.
  runtime::Variant CallMethod(const std::string& name, const runtime::ParamList& args) override;
  void LetProperty(const std::string& name, const runtime::Variant& value) override;
  runtime::Variant GetProperty(const std::string& name) override;

  runtime::Variant IdentificativoIstanza() { return identity_.IdentificativoIstanza(); }
  const std::string& query_text() const { return GstrSqlquery; }
  const runtime::Variant& current_day() const { return current_day_; }

  // The window's connection and company, as loaded.
  std::shared_ptr<host::Connection> connection() const { return GconConnect.shared(); }
  std::int32_t company() const { return ditta_; }
  // The record frame bound to the calendar query (none before the first query).
  std::shared_ptr<host::RecordFrame> frame() const { return FME_CALENDATT.shared(); }
  const std::string& connection_string() const { return GstrConnect; }

 protected:
  void bind_controls() override;
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Resize() override;
  void Form_QueryUnload(bool& Cancel, std::int32_t UnloadMode) override;
  void Form_Unload(bool& Cancel) override;

 private:
  host::Navigator* navigator();
  std::shared_ptr<host::GlobalObject> global();

  void MDIActiveX1_FormLoad();
  void KVO_RESIZEFORM1_Resize();
  void PreparaForm();
  void BTN_INSMULTIPLO_ButtonClick();
  void BTN_CANCMULTIPLA_ButtonClick();
  void PclsConnectProd_TransferData(bool& Cancel, const runtime::Variant& data,
                                    std::int32_t& tsCalledProgram);
  void GRID_CALENDATT_RowChange();
  void KVO_CALENDARIO_DateChange(const runtime::Variant& previous, const runtime::Variant& new_day);

  void FME_CALENDATT_BeforeAddNew(bool& fbol_Cancel);
  void FME_CALENDATT_BeforeUpdate(bool& fbol_Cancel);
  void FME_CALENDATT_BeforeDelete(bool& fbol_Cancel);
  void FME_CALENDATT_AfterUpdate(std::int32_t fenm_operationresult);
  void FME_CALENDATT_AfterDelete(std::int32_t fenm_operationresult);
  void FME_CALENDATT_ChangeStatus(std::int32_t fenm_status, std::int32_t fenm_reason);
  void bind_frame_events();

  void TXT_ORE_Validate(bool& Cancel);
  void TXT_MINUTI_Validate(bool& Cancel);
  void duration_validate(bool hours_field, bool& Cancel);

  // Code fields.
  void TXT_CODPROG_TextChange();
  void TXT_CODNODO_TextChange();
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
  void TXT_CODATTIVITA_KeyButtonMenuPress(const runtime::Variant& key);
  void TXT_CODPROG_Validate(bool& Cancel);
  void TXT_CODNODO_Validate(bool& Cancel);
  void TXT_CODATTIVITA_Validate(bool& Cancel);
  enum class CodeField { kProject, kNode, kActivity };
  void code_validate(CodeField field, bool& Cancel);
  void after_maintenance(runtime::ErrorTrap& trap, bool project);
  std::string code_text(const char* name);

  InstanceIdentity identity_;

  runtime::Ref<host::ErrorDisplay> GclsLog;
  runtime::Ref<host::ConnectionFactory> GclsConnect;
  runtime::Ref<host::RecordService> GclsRecord;
  runtime::Ref<host::RecordService> GclsRecordCheck;
  runtime::Ref<host::Connection> GconConnect;
  runtime::Ref<host::Recordset> GrstRecordSet;
  runtime::Ref<host::Recordset> GrstCheck;
  runtime::Ref<host::RecordFrame> FME_CALENDATT;
  runtime::Ref<host::LookupService> PclsLookup;
  runtime::Ref<host::DecodeService> PclsDecode;
  runtime::Ref<host::MaintenanceProg> PclsConnectProg;
  runtime::Ref<host::MaintenanceProd> PclsConnectProd;
  runtime::Ref<host::NumberObject> number_object_;
  runtime::Ref<host::DateObject> date_object_;
  runtime::Ref<host::Multilanguage> multilanguage_;  // only without a host contract
  runtime::Ref<runtime::Object> insert_dialog_;
  runtime::Ref<runtime::Object> delete_dialog_;
  std::string GstrConnect;
  std::string GstrSqlquery;
  std::string last_format_error_;
  std::int32_t ditta_ = 0;
  bool is_called_ = false;
  bool activated_ = false;
  bool GblnValidating = false;
  bool lookup_from_validate_ = false;
  bool accept_lookup_choice_ = false;
  runtime::Variant current_day_;
};

}  // namespace calendatt
