#pragma once
// CLSPD_CALENDATT: the module's public class, the one object the host creates. It keeps what the host
// hands over through the contract, opens and closes the calendar window, relays data transfers and
// receives the host navigator's and hypermedia object's events.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/main_window.hpp"
#include "common/trace.hpp"
#include "host/contract.hpp"
#include "host/global.hpp"
#include "host/scriptable.hpp"
#include "host/services.hpp"
#include "runtime/ref.hpp"
#include "runtime/variant.hpp"

namespace calendatt {

class FRMPD_CALENDATT;

class CLSPD_CALENDATT : public host::Cinterface,
                        public DataChangeListener,
                        public host::Scriptable,
                        public std::enable_shared_from_this<CLSPD_CALENDATT> {
 public:
  // Class initialisation: the creation trace line, then the object becomes its own Cinterface_ActiveDll.
  static std::shared_ptr<CLSPD_CALENDATT> create();
  // Class termination: the end trace line, then the references are let go in their fixed order.
  ~CLSPD_CALENDATT() override;

  // host::Cinterface
  void set_Cinterface_ClsGlobal(std::shared_ptr<host::GlobalObject> value) override;
  std::shared_ptr<host::GlobalObject> Cinterface_ClsGlobal() override;
  void set_Cinterface_ActiveFrame(std::shared_ptr<host::RecordFrame> value) override;
  std::shared_ptr<host::RecordFrame> Cinterface_ActiveFrame() override;
  void set_Cinterface_ActiveNavigator(std::shared_ptr<host::Navigator> value) override;
  std::shared_ptr<host::Navigator> Cinterface_ActiveNavigator() override;
  void set_Cinterface_ActiveDll(std::shared_ptr<host::Cinterface> value) override;
  std::shared_ptr<host::Cinterface> Cinterface_ActiveDll() override;
  void set_Cinterface_StatusBar(std::shared_ptr<runtime::Object> value) override;
  std::shared_ptr<runtime::Object> Cinterface_StatusBar() override;
  void let_Cinterface_CanInsert(bool value) override;
  bool Cinterface_CanInsert() override;
  void let_Cinterface_CanDelete(bool value) override;
  bool Cinterface_CanDelete() override;
  void let_Cinterface_CanUpdate(bool value) override;
  bool Cinterface_CanUpdate() override;
  void let_Cinterface_CanQbe(bool value) override;
  bool Cinterface_CanQbe() override;
  void let_Cinterface_WindowState(std::int32_t value) override;
  std::int32_t Cinterface_WindowState() override;
  void let_Cinterface_WindowModal(bool value) override;
  bool Cinterface_WindowModal() override;
  void let_Cinterface_ProgramMode(std::int32_t value) override;
  std::int32_t Cinterface_ProgramMode() override;
  void let_Cinterface_MenuModulo(const runtime::Variant& value) override;
  runtime::Variant Cinterface_MenuModulo() override;
  void let_Cinterface_MenuPadre(const runtime::Variant& value) override;
  runtime::Variant Cinterface_MenuPadre() override;
  void let_Cinterface_MenuProg(const runtime::Variant& value) override;
  runtime::Variant Cinterface_MenuProg() override;
  void let_Cinterface_Caption(const runtime::Variant& value) override;
  runtime::Variant Cinterface_Caption() override;
  void let_Cinterface_hwndParent(std::int32_t value) override;
  std::int32_t Cinterface_hwndParent() override;
  runtime::Variant Cinterface_ShowForm() override;
  runtime::Variant Cinterface_CloseForm() override;
  void set_Cinterface_Connection(std::shared_ptr<host::Connection> value) override;
  std::shared_ptr<host::Connection> Cinterface_Connection() override;
  std::shared_ptr<runtime::Object> Cinterface_Cwindow() override;
  runtime::Variant Cinterface_TransferData(const runtime::Variant& data) override;
  runtime::Variant Cinterface_Top() override;
  void let_Cinterface_Top(const runtime::Variant& value) override;
  runtime::Variant Cinterface_Left() override;
  void let_Cinterface_Left(const runtime::Variant& value) override;
  void set_Cinterface_ClsVoceMenu(std::shared_ptr<host::MenuEntry> value) override;
  std::shared_ptr<host::MenuEntry> Cinterface_ClsVoceMenu() override;
  void let_Cinterface_IsActive(bool value) override;
  bool Cinterface_IsActive() override;
  void let_Cinterface_IsCalled(bool value) override;
  bool Cinterface_IsCalled() override;
  void let_Cinterface_Filtro(const runtime::Variant& value) override;
  runtime::Variant Cinterface_Filtro() override;

  // Called-mode parameters, written into the module-wide values.
  void set_pCodProgetto(const std::string& value);
  void set_pCodNodo(const std::string& value);
  void set_pCodAttivita(const std::string& value);
  void set_pIDDisBaProgWBS(double value);
  void set_pIDLegameWBS(double value);
  void set_pDataInizioWBS(const std::string& value);
  void set_pDataFineWBS(runtime::Date value);

  bool ModificatoDati() const { return modificato_dati_; }
  void let_ModificatoDati(bool value) override { modificato_dati_ = value; }

  // The class's own interface by name, for hosts that create it through the registry: the called-mode
  // properties (write only) and ModificatoDati (read and write).
  runtime::Variant CallMethod(const std::string& name, const runtime::ParamList& args) override;
  void LetProperty(const std::string& name, const runtime::Variant& value) override;
  runtime::Variant GetProperty(const std::string& name) override;

  // Event DataTransfer(data).
  std::function<void(const runtime::Variant& data)> DataTransfer;

  // The window last created by Cinterface_ShowForm (may be unloaded).
  std::shared_ptr<FRMPD_CALENDATT> window() const { return window_.shared(); }
  // The hypermedia object, once a media request created it.
  std::shared_ptr<host::HyperMedia> hypermedia() const { return CHyperMedia_.shared(); }

  runtime::Variant IdentificativoIstanza() { return identity_.IdentificativoIstanza(); }

  // Events of the host navigator and of the hypermedia object.
  void ActiveNavigator_BeforeChangeDitta(bool& Cancel);
  void ActiveNavigator_ChangeDitta(bool& Cancel);
  void ActiveNavigator_BeforeExportToOffice(bool& Cancel,
                                            const std::shared_ptr<host::ExportToOffice>& Pcls_ExpToOffice);
  void ActiveNavigator_InitializeScriptObjectModel(bool& Cancel,
                                                   const std::shared_ptr<host::ScriptObject>& ClsScript);
  void ActiveNavigator_InitializeLayoutObjectModel(bool& Cancel,
                                                   const std::shared_ptr<host::LayoutObject>& ClsLayout);
  void ActiveNavigator_ButtonPressed(bool& Cancel, std::int32_t& ButtonPress);
  void CHyperMedia_AfterMediaCreate(bool& Cancel, const runtime::Variant& CodiceMedia);

 private:
  CLSPD_CALENDATT();
  void class_initialize();

  InstanceIdentity identity_;
  // Cinterface_ActiveDll: held weakly while it is the object itself, so that the object can end when the
  // host lets it go; any other object is held as given.
  std::weak_ptr<host::Cinterface> active_dll_self_;
  std::shared_ptr<host::Cinterface> active_dll_;
  bool active_dll_is_self_ = false;

  std::shared_ptr<host::RecordFrame> active_frame_;
  std::shared_ptr<host::Navigator> active_navigator_;
  std::shared_ptr<host::Navigator::Events> navigator_events_;
  std::shared_ptr<host::GlobalObject> cls_global_;
  std::shared_ptr<host::MenuEntry> cls_voce_menu_;
  std::shared_ptr<host::Connection> connection_;
  std::shared_ptr<runtime::Object> status_bar_;
  bool can_insert_ = false, can_delete_ = false, can_update_ = false, can_qbe_ = false;
  bool is_active_ = false, is_called_ = false, window_modal_ = false;
  std::int16_t window_state_ = 0;
  std::int16_t program_mode_ = 0;
  std::int32_t hwnd_parent_ = 0;
  std::int32_t top_ = 0, left_ = 0;
  runtime::Variant caption_, filtro_, menu_modulo_, menu_padre_, menu_prog_;
  std::shared_ptr<runtime::Object> Gobj_Window;
  runtime::Ref<FRMPD_CALENDATT> window_;
  runtime::Ref<host::HyperMedia> CHyperMedia_;
  bool modificato_dati_ = false;
};

// Registers MERIDAL.CLSPD_CALENDATT with the host's registry.
void register_module();

}  // namespace calendatt
