// The calendar window's activation, layout, toolbar buttons and project data transfer.
#include "calendar_window/frmpd_calendatt.hpp"
#include "common/mdlpd_calendatt.hpp"
#include "delete_dialog/frmpd_delcalendatt.hpp"
#include "host/registry.hpp"
#include "insert_dialog/frmpd_addcalendatt.hpp"

namespace calendatt {

namespace mdl = MDLPD_CALENDATT;
using runtime::ErrorTrap;
using runtime::Variant;

std::shared_ptr<host::GlobalObject> FRMPD_CALENDATT::global() {
  if (!ActiveInterface) throw runtime::Error(91, "Object variable not set", "FRMPD_CALENDATT");
  auto g = ActiveInterface->Cinterface_ClsGlobal();
  if (!g) throw runtime::Error(91, "Object variable not set", "FRMPD_CALENDATT");
  return g;
}

void FRMPD_CALENDATT::bind_controls() {
  auto& s = site();
  auto code = [&](const char* name) { return host::control_as<host::CodeEdit>(s, name); };
  auto prog = code("TXT_CODPROG");
  auto node = code("TXT_CODNODO");
  auto act = code("TXT_CODATTIVITA");
  prog->TextChange = [this](Variant&) { TXT_CODPROG_TextChange(); };
  node->TextChange = [this](Variant&) { TXT_CODNODO_TextChange(); };
  prog->StartLookup = [this](bool& c, std::string& a, Variant& b, std::string& t, std::string& k) {
    TXT_CODPROG_StartLookup(c, a, b, t, k);
  };
  node->StartLookup = [this](bool& c, std::string& a, Variant& b, std::string& t, std::string& k) {
    TXT_CODNODO_StartLookup(c, a, b, t, k);
  };
  act->StartLookup = [this](bool& c, std::string& a, Variant& b, std::string& t, std::string& k) {
    TXT_CODATTIVITA_StartLookup(c, a, b, t, k);
  };
  prog->StartDecode = [this](Variant&, std::string& a, Variant& b, std::string& k) {
    TXT_CODPROG_StartDecode(a, b, k);
  };
  node->StartDecode = [this](Variant&, std::string& a, Variant& b, std::string& k) {
    TXT_CODNODO_StartDecode(a, b, k);
  };
  act->StartDecode = [this](Variant&, std::string& a, Variant& b, std::string& k) {
    TXT_CODATTIVITA_StartDecode(a, b, k);
  };
  prog->CloseLookup = [this](const Variant& row) { TXT_CODPROG_CloseLookup(row); };
  node->CloseLookup = [this](const Variant& row) { TXT_CODNODO_CloseLookup(row); };
  act->CloseLookup = [this](const Variant& row) { TXT_CODATTIVITA_CloseLookup(row); };
  prog->KeyButtonMenuPress = [this](Variant&, const Variant& key) { TXT_CODPROG_KeyButtonMenuPress(key); };
  node->KeyButtonMenuPress = [this](Variant&, const Variant& key) { TXT_CODNODO_KeyButtonMenuPress(key); };
  act->KeyButtonMenuPress = [this](Variant&, const Variant& key) { TXT_CODATTIVITA_KeyButtonMenuPress(key); };
  prog->Validate = [this](bool& c) { TXT_CODPROG_Validate(c); };
  node->Validate = [this](bool& c) { TXT_CODNODO_Validate(c); };
  act->Validate = [this](bool& c) { TXT_CODATTIVITA_Validate(c); };

  auto hours = code("TXT_ORE");
  auto minutes = code("TXT_MINUTI");
  hours->Validate = [this](bool& c) { TXT_ORE_Validate(c); };
  minutes->Validate = [this](bool& c) { TXT_MINUTI_Validate(c); };
  auto modified = [this](Variant&) {
    if (FME_CALENDATT) FME_CALENDATT->NotifyModified();
  };
  hours->TextChange = modified;
  minutes->TextChange = modified;

  host::control_as<host::Grid>(s, "GRID_CALENDATT")->RowChange = [this] { GRID_CALENDATT_RowChange(); };
  host::control_as<host::Calendar>(s, "KVO_CALENDARIO")->DateChange =
      [this](const Variant& p, const Variant& n) { KVO_CALENDARIO_DateChange(p, n); };
  host::control_as<host::Calendar>(s, "KVO_CALENDARIO")->set_FirstDayOfWeek(2);
  host::control_as<host::ToolbarButton>(s, "BTN_INSMULTIPLO")->ButtonClick = [this] {
    BTN_INSMULTIPLO_ButtonClick();
  };
  host::control_as<host::ToolbarButton>(s, "BTN_CANCMULTIPLA")->ButtonClick = [this] {
    BTN_CANCMULTIPLA_ButtonClick();
  };
  host::control_as<host::ResizeControl>(s, "KVO_RESIZEFORM1")->Resize = [this] { KVO_RESIZEFORM1_Resize(); };
  host::control_as<host::MdiContainer>(s, "MDIActiveX1")->FormLoad = [this] { MDIActiveX1_FormLoad(); };
}

void FRMPD_CALENDATT::Form_Activate() {
  ErrorTrap trap(*this, "Form_Activate");
  if (!trap.step([&] { AggiornaNavigatore(); })) return;
  if (activated_) return;
  if (!trap.step([&] {
        std::string start = mdl::ValoreSeVuoto(Variant(mdl::pDataInizioWBS), Variant("")).to_string();
        current_day_ = is_called_ && !start.empty() ? Variant(Variant(start).to_date())
                                                    : Variant(runtime::Date::today());
      }))
    return;
  if (!trap.step([&] { control<host::Calendar>("KVO_CALENDARIO")->set_Value(current_day_); })) return;
  if (!trap.step([&] {
        // A preset code made only of blanks still counts as given.
        if (!mdl::pCodProgetto.empty()) control<host::Control>("TXT_CODPROG")->set_Enabled(false);
        if (!mdl::pCodNodo.empty()) control<host::Control>("TXT_CODNODO")->set_Enabled(false);
        if (!mdl::pCodAttivita.empty()) control<host::Control>("TXT_CODATTIVITA")->set_Enabled(false);
      }))
    return;
  if (!trap.step([&] { control<host::ResizeControl>("KVO_RESIZEFORM1")->Layout(); })) return;
  if (!trap.step([&] { Requery(); })) return;
  if (!trap.step([&] { PreparaForm(); })) return;
  if (!trap.step([&] { activated_ = true; })) return;
  if (!trap.step([&] { navigator()->Activate(); })) return;
  trap.step([&] { NotificaProgramma(Variant("tsOpen")); });
}

void FRMPD_CALENDATT::Form_Resize() {}

void FRMPD_CALENDATT::MDIActiveX1_FormLoad() {
  ErrorTrap trap(*this, "MDIActiveX1_FormLoad");
  auto mdi = control<host::MdiContainer>("MDIActiveX1");
  if (!trap.step([&] {
        std::int32_t a = 0, b = 0;
        mdi->Initialize(a, b, 11040, 8070);
      }))
    return;
  trap.step([&] { mdi->set_WindowState(ActiveInterface->Cinterface_WindowState()); });
}

void FRMPD_CALENDATT::KVO_RESIZEFORM1_Resize() {
  runtime::suppressed([&] {
    auto resize = control<host::ResizeControl>("KVO_RESIZEFORM1");
    resize->PlaceByName("GRIDNAV", 12);
    resize->Place(control<host::Control>("KVO_CALENDARIO"), 7);
    resize->Place(control<host::Control>("BTN_INSMULTIPLO"), 5);
    resize->Place(control<host::Control>("BTN_CANCMULTIPLA"), 5);
  });
}

void FRMPD_CALENDATT::PreparaForm() {
  ErrorTrap trap(*this, "PreparaForm");
  if (!trap.step([&] { FME_CALENDATT->set_Setting(false); })) return;
  if (!trap.step([&] {
        auto nav = control<host::GridNavigator>("GRIDNAV");
        nav->set_Interface(ActiveInterface);
        nav->set_Frame(FME_CALENDATT);
      }))
    return;
  trap.step([&] { GobjThisClass->let_ModificatoDati(false); });
}

namespace {

// The opening sequence the two toolbar buttons share.
template <class Dialog>
void open_range_dialog(FRMPD_CALENDATT& window, const char* routine, runtime::Ref<runtime::Object>& slot,
                       const runtime::Ref<host::RecordFrame>& frame,
                       const runtime::Ref<host::Cinterface>& contract,
                       const runtime::Ref<DataChangeListener>& module,
                       std::shared_ptr<FRMPD_CALENDATT> self) {
  ErrorTrap trap(window, routine);
  std::shared_ptr<Dialog> dialog;
  std::int32_t result = 2;
  if (!trap.step([&] { frame->BeforeDialog(); })) return;
  if (!trap.step([&] {
        if (!slot) slot = std::make_shared<Dialog>();
        dialog = std::dynamic_pointer_cast<Dialog>(slot.shared());
      }))
    return;
  if (!trap.step([&] {
        dialog->ActiveInterface = contract.shared();
        dialog->FrmMain = self;
      }))
    return;
  if (!trap.step([&] { result = dialog->ShowDialog(); })) return;
  if (!trap.step([&] {
        if (result == 1) module->let_ModificatoDati(true);
      }))
    return;
  if (!trap.step([&] { dialog->ActiveInterface.reset(); })) return;
  if (!trap.step([&] { frame->AfterDialog(); })) return;
  trap.step([&] { window.Requery(); });
}

}  // namespace

void FRMPD_CALENDATT::BTN_INSMULTIPLO_ButtonClick() {
  open_range_dialog<FRMPD_ADDCALENDATT>(*this, "BTN_INSMULTIPLO_ButtonClick", insert_dialog_, FME_CALENDATT,
                                        ActiveInterface, GobjThisClass, shared_from_this());
}

void FRMPD_CALENDATT::BTN_CANCMULTIPLA_ButtonClick() {
  open_range_dialog<FRMPD_DELCALENDATT>(*this, "BTN_CANCMULTIPLA_ButtonClick", delete_dialog_, FME_CALENDATT,
                                        ActiveInterface, GobjThisClass, shared_from_this());
}

void FRMPD_CALENDATT::PclsConnectProd_TransferData(bool&, const Variant& data,
                                                   std::int32_t& tsCalledProgram) {
  ErrorTrap trap(*this, "PclsConnectProd_TransferData");
  trap.step([&] {
    if (tsCalledProgram == 45)
      control<host::TextControl>("TXT_CODPROG")->set_Text(mdl::ValoreSeVuoto(data, Variant("")).to_string());
  });
}

}  // namespace calendatt
