#include "module/clspd_calendatt.hpp"

#include "calendar_window/frmpd_calendatt.hpp"
#include "common/mdlpd_calendatt.hpp"
#include "host/registry.hpp"

namespace calendatt {

using runtime::suppressed;
using runtime::Variant;

namespace {
constexpr const char* kKindName = "CLSPD_CALENDATT";

// Every contract member runs with errors suppressed: a failing step is skipped, the error cleared.
template <class F>
void guarded(F&& body) {
  suppressed(std::forward<F>(body));
}
}  // namespace

CLSPD_CALENDATT::CLSPD_CALENDATT() = default;

std::shared_ptr<CLSPD_CALENDATT> CLSPD_CALENDATT::create() {
  std::shared_ptr<CLSPD_CALENDATT> object(new CLSPD_CALENDATT());
  object->class_initialize();
  return object;
}

void CLSPD_CALENDATT::class_initialize() {
  write_trace(identity_, "INI", kKindName);
  guarded([&] { set_Cinterface_ActiveDll(shared_from_this()); });
  runtime::clear_pending_error();
}

CLSPD_CALENDATT::~CLSPD_CALENDATT() {
  write_trace(identity_, "TER", kKindName);
  guarded([&] { cls_voce_menu_.reset(); });
  guarded([&] { Gobj_Window.reset(); });
  guarded([&] {
    active_dll_.reset();
    active_dll_self_.reset();
    active_dll_is_self_ = false;
  });
  guarded([&] { cls_global_.reset(); });
  guarded([&] {
    if (active_navigator_) active_navigator_->set_event_sink(nullptr);
    active_navigator_.reset();
  });
  guarded([&] { window_.reset(); });
  guarded([&] {
    if (CHyperMedia_) {
      if (CHyperMedia_->DBConnection()) CHyperMedia_->set_DBConnection(nullptr);
      CHyperMedia_->AfterMediaCreate = nullptr;
      CHyperMedia_.reset();
    }
  });
  runtime::clear_pending_error();
}

void CLSPD_CALENDATT::set_Cinterface_ClsGlobal(std::shared_ptr<host::GlobalObject> value) {
  cls_global_ = std::move(value);
}
std::shared_ptr<host::GlobalObject> CLSPD_CALENDATT::Cinterface_ClsGlobal() {
  return cls_global_;
}

void CLSPD_CALENDATT::set_Cinterface_ActiveFrame(std::shared_ptr<host::RecordFrame> value) {
  active_frame_ = std::move(value);
}

std::shared_ptr<host::RecordFrame> CLSPD_CALENDATT::Cinterface_ActiveFrame() {
  if (active_frame_) return active_frame_;
  std::shared_ptr<host::RecordFrame> frame;
  guarded([&] {
    if (window_) frame = window_->frame();
  });
  return frame;
}

void CLSPD_CALENDATT::set_Cinterface_ActiveNavigator(std::shared_ptr<host::Navigator> value) {
  guarded([&] {
    if (active_navigator_ && active_navigator_ != value) active_navigator_->set_event_sink(nullptr);
  });
  active_navigator_ = std::move(value);
  if (!active_navigator_) return;
  // The navigator's events reach this object while it holds the navigator.
  if (!navigator_events_) {
    navigator_events_ = std::make_shared<host::Navigator::Events>();
    navigator_events_->BeforeChangeDitta = [this](bool& c) { ActiveNavigator_BeforeChangeDitta(c); };
    navigator_events_->ChangeDitta = [this](bool& c) { ActiveNavigator_ChangeDitta(c); };
    navigator_events_->BeforeExportToOffice = [this](bool& c,
                                                     const std::shared_ptr<host::ExportToOffice>& e) {
      ActiveNavigator_BeforeExportToOffice(c, e);
    };
    navigator_events_->InitializeScriptObjectModel = [this](bool& c,
                                                            const std::shared_ptr<host::ScriptObject>& s) {
      ActiveNavigator_InitializeScriptObjectModel(c, s);
    };
    navigator_events_->InitializeLayoutObjectModel = [this](bool& c,
                                                            const std::shared_ptr<host::LayoutObject>& l) {
      ActiveNavigator_InitializeLayoutObjectModel(c, l);
    };
    navigator_events_->ButtonPressed = [this](bool& c, std::int32_t& b) {
      ActiveNavigator_ButtonPressed(c, b);
    };
  }
  guarded([&] { active_navigator_->set_event_sink(navigator_events_); });
}
std::shared_ptr<host::Navigator> CLSPD_CALENDATT::Cinterface_ActiveNavigator() {
  return active_navigator_;
}

void CLSPD_CALENDATT::set_Cinterface_ActiveDll(std::shared_ptr<host::Cinterface> value) {
  active_dll_is_self_ = value && value.get() == static_cast<host::Cinterface*>(this);
  if (active_dll_is_self_) {
    active_dll_self_ = value;
    active_dll_.reset();
  } else {
    active_dll_self_.reset();
    active_dll_ = std::move(value);
  }
}

std::shared_ptr<host::Cinterface> CLSPD_CALENDATT::Cinterface_ActiveDll() {
  return active_dll_is_self_ ? active_dll_self_.lock() : active_dll_;
}

void CLSPD_CALENDATT::set_Cinterface_StatusBar(std::shared_ptr<runtime::Object> value) {
  status_bar_ = std::move(value);
}
std::shared_ptr<runtime::Object> CLSPD_CALENDATT::Cinterface_StatusBar() {
  return status_bar_;
}

void CLSPD_CALENDATT::let_Cinterface_CanInsert(bool value) {
  can_insert_ = value;
}
bool CLSPD_CALENDATT::Cinterface_CanInsert() {
  return can_insert_;
}
void CLSPD_CALENDATT::let_Cinterface_CanDelete(bool value) {
  can_delete_ = value;
}
bool CLSPD_CALENDATT::Cinterface_CanDelete() {
  return can_delete_;
}
void CLSPD_CALENDATT::let_Cinterface_CanUpdate(bool value) {
  can_update_ = value;
}
bool CLSPD_CALENDATT::Cinterface_CanUpdate() {
  return can_update_;
}
void CLSPD_CALENDATT::let_Cinterface_CanQbe(bool value) {
  can_qbe_ = value;
}
bool CLSPD_CALENDATT::Cinterface_CanQbe() {
  return can_qbe_;
}

void CLSPD_CALENDATT::let_Cinterface_WindowState(std::int32_t value) {
  guarded([&] { window_state_ = runtime::round_to_int(value); });
}
std::int32_t CLSPD_CALENDATT::Cinterface_WindowState() {
  return window_state_;
}

void CLSPD_CALENDATT::let_Cinterface_WindowModal(bool value) {
  window_modal_ = value;
}
bool CLSPD_CALENDATT::Cinterface_WindowModal() {
  return window_modal_;
}

void CLSPD_CALENDATT::let_Cinterface_ProgramMode(std::int32_t value) {
  // In called mode the program always starts in mode 0.
  guarded([&] { program_mode_ = is_called_ ? std::int16_t{0} : runtime::round_to_int(value); });
}
std::int32_t CLSPD_CALENDATT::Cinterface_ProgramMode() {
  return program_mode_;
}

void CLSPD_CALENDATT::let_Cinterface_MenuModulo(const Variant& value) {
  menu_modulo_ = value;
}
Variant CLSPD_CALENDATT::Cinterface_MenuModulo() {
  return menu_modulo_;
}
void CLSPD_CALENDATT::let_Cinterface_MenuPadre(const Variant& value) {
  menu_padre_ = value;
}
Variant CLSPD_CALENDATT::Cinterface_MenuPadre() {
  return menu_padre_;
}
void CLSPD_CALENDATT::let_Cinterface_MenuProg(const Variant& value) {
  menu_prog_ = value;
}
Variant CLSPD_CALENDATT::Cinterface_MenuProg() {
  return menu_prog_;
}
void CLSPD_CALENDATT::let_Cinterface_Caption(const Variant& value) {
  caption_ = value;
}
Variant CLSPD_CALENDATT::Cinterface_Caption() {
  return caption_;
}
void CLSPD_CALENDATT::let_Cinterface_hwndParent(std::int32_t value) {
  hwnd_parent_ = value;
}
std::int32_t CLSPD_CALENDATT::Cinterface_hwndParent() {
  return hwnd_parent_;
}

Variant CLSPD_CALENDATT::Cinterface_ShowForm() {
  guarded([&] { window_ = std::make_shared<FRMPD_CALENDATT>(); });
  guarded(
      [&] { window_->GobjThisClass = std::dynamic_pointer_cast<CLSPD_CALENDATT>(Cinterface_ActiveDll()); });
  guarded([&] { window_->ActiveInterface = Cinterface_ActiveDll(); });
  guarded([&] { window_->set_WindowState(window_state_); });
  guarded([&] { window_->set_Caption(caption_.to_string()); });
  // Keep the window alive while a modal show runs, whatever the handlers do to the reference.
  guarded([&] {
    auto window = window_;
    window->Show(window_modal_);
  });
  return Variant();
}

Variant CLSPD_CALENDATT::Cinterface_CloseForm() {
  bool closed = false;
  guarded([&] { window_->Unload(); });
  guarded([&] {
    if (!window_) throw runtime::Error(91, "Object variable not set", kKindName);
    closed = window_->ActiveInterface == nullptr;
  });
  return Variant(closed);
}

void CLSPD_CALENDATT::set_Cinterface_Connection(std::shared_ptr<host::Connection> value) {
  connection_ = std::move(value);
}
std::shared_ptr<host::Connection> CLSPD_CALENDATT::Cinterface_Connection() {
  return connection_;
}

std::shared_ptr<runtime::Object> CLSPD_CALENDATT::Cinterface_Cwindow() {
  return Gobj_Window;
}

Variant CLSPD_CALENDATT::Cinterface_TransferData(const Variant& data) {
  guarded([&] {
    if (DataTransfer) DataTransfer(data);
  });
  return Variant();
}

Variant CLSPD_CALENDATT::Cinterface_Top() {
  return Variant(top_);
}
void CLSPD_CALENDATT::let_Cinterface_Top(const Variant& value) {
  guarded([&] { top_ = value.to_long(); });
}
Variant CLSPD_CALENDATT::Cinterface_Left() {
  return Variant(left_);
}
void CLSPD_CALENDATT::let_Cinterface_Left(const Variant& value) {
  guarded([&] { left_ = value.to_long(); });
}

void CLSPD_CALENDATT::set_Cinterface_ClsVoceMenu(std::shared_ptr<host::MenuEntry> value) {
  cls_voce_menu_ = std::move(value);
}
std::shared_ptr<host::MenuEntry> CLSPD_CALENDATT::Cinterface_ClsVoceMenu() {
  return cls_voce_menu_;
}

void CLSPD_CALENDATT::let_Cinterface_IsActive(bool value) {
  is_active_ = value;
}
bool CLSPD_CALENDATT::Cinterface_IsActive() {
  return is_active_;
}
void CLSPD_CALENDATT::let_Cinterface_IsCalled(bool value) {
  is_called_ = value;
}
bool CLSPD_CALENDATT::Cinterface_IsCalled() {
  return is_called_;
}
void CLSPD_CALENDATT::let_Cinterface_Filtro(const Variant& value) {
  filtro_ = value;
}
Variant CLSPD_CALENDATT::Cinterface_Filtro() {
  return filtro_;
}

void CLSPD_CALENDATT::set_pCodProgetto(const std::string& value) {
  MDLPD_CALENDATT::pCodProgetto = value;
}
void CLSPD_CALENDATT::set_pCodNodo(const std::string& value) {
  MDLPD_CALENDATT::pCodNodo = value;
}
void CLSPD_CALENDATT::set_pCodAttivita(const std::string& value) {
  MDLPD_CALENDATT::pCodAttivita = value;
}
void CLSPD_CALENDATT::set_pIDDisBaProgWBS(double value) {
  MDLPD_CALENDATT::pIDDisBaProgWBS = value;
}
void CLSPD_CALENDATT::set_pIDLegameWBS(double value) {
  MDLPD_CALENDATT::pIDLegameWBS = value;
}
void CLSPD_CALENDATT::set_pDataInizioWBS(const std::string& value) {
  MDLPD_CALENDATT::pDataInizioWBS = value;
}
void CLSPD_CALENDATT::set_pDataFineWBS(runtime::Date value) {
  MDLPD_CALENDATT::pDataFineWBS = runtime::date_text(value);
}

Variant CLSPD_CALENDATT::CallMethod(const std::string& name, const runtime::ParamList&) {
  throw runtime::Error(438, "Object doesn't support this property or method: " + name, kKindName);
}

void CLSPD_CALENDATT::LetProperty(const std::string& name, const Variant& value) {
  const std::string key = runtime::upper(name);
  if (key == "PCODPROGETTO") return set_pCodProgetto(value.to_string());
  if (key == "PCODNODO") return set_pCodNodo(value.to_string());
  if (key == "PCODATTIVITA") return set_pCodAttivita(value.to_string());
  if (key == "PIDDISBAPROGWBS") return set_pIDDisBaProgWBS(value.to_double());
  if (key == "PIDLEGAMEWBS") return set_pIDLegameWBS(value.to_double());
  if (key == "PDATAINIZIOWBS") return set_pDataInizioWBS(value.to_string());
  if (key == "PDATAFINEWBS") return set_pDataFineWBS(value.to_date());
  if (key == "MODIFICATODATI") return let_ModificatoDati(value.to_bool());
  throw runtime::Error(438, "Object doesn't support this property or method: " + name, kKindName);
}

Variant CLSPD_CALENDATT::GetProperty(const std::string& name) {
  if (runtime::upper(name) == "MODIFICATODATI") return Variant(ModificatoDati());
  throw runtime::Error(438, "Object doesn't support this property or method: " + name, kKindName);
}

void register_module() {
  host::Registry::instance().add(host::progid::kModule, [] { return CLSPD_CALENDATT::create(); });
}

namespace {
// Loading the module registers its programmatic identifier.
const bool registered = (register_module(), true);
}  // namespace

}  // namespace calendatt
