// The host navigator's events (company change, export, script and layout object models, multimedia
// button) and the hypermedia object's event, handled by the module's public class.
#include "calendar_window/frmpd_calendatt.hpp"
#include "host/registry.hpp"
#include "module/clspd_calendatt.hpp"

namespace calendatt {

using runtime::suppressed;
using runtime::Variant;

namespace {
constexpr const char* kTitle = "Calendario attività WBS";
constexpr std::int32_t kMultimediaButton = 25;

[[noreturn]] void not_set() {
  throw runtime::Error(91, "Object variable not set", "CLSPD_CALENDATT");
}

template <class T>
T& require(const std::shared_ptr<T>& p) {
  if (!p) not_set();
  return *p;
}

// The host's contract as this object stores it (normally the object itself).
bool is_active(CLSPD_CALENDATT& self) {
  return require(self.Cinterface_ActiveDll()).Cinterface_IsActive();
}
}  // namespace

void CLSPD_CALENDATT::ActiveNavigator_BeforeChangeDitta(bool& Cancel) {
  std::int32_t answer = 0;
  bool active = false;
  suppressed([&] { active = is_active(*this); });
  if (active) {
    suppressed([&] {
      auto& window = (*window_);
      answer = window.MostraMessaggio("Il cambio ditta comporta la chiusura del programma, proseguo ?", 30182,
                                      4, window.current_caption());
    });
    if (answer == 6)
      suppressed([&] { (*window_).Unload(); });
    else
      Cancel = true;
  }
  runtime::clear_pending_error();
}

void CLSPD_CALENDATT::ActiveNavigator_ChangeDitta(bool&) {
  suppressed([&] {
    if (window_ && window_->loaded()) window_->Requery();
  });
}

void CLSPD_CALENDATT::ActiveNavigator_BeforeExportToOffice(
    bool&, const std::shared_ptr<host::ExportToOffice>& Pcls_ExpToOffice) {
  suppressed([&] {
    if (!is_active(*this)) return;
    require(Pcls_ExpToOffice).set_titolomaster((*window_).TraduciMessaggio(kTitle, 9410, std::nullopt, 0));
  });
}

void CLSPD_CALENDATT::ActiveNavigator_InitializeScriptObjectModel(
    bool&, const std::shared_ptr<host::ScriptObject>& ClsScript) {
  bool active = false;
  suppressed([&] { active = is_active(*this); });
  if (!active) return;
  suppressed([&] {
    auto& window = (*window_);
    std::shared_ptr<runtime::Object> object = window_.shared();
    require(ClsScript).RegisterObject(window.Name(), object, 0, kTitle);
    // The model may hand back another reference to the window: it becomes the class's window.
    if (auto returned = std::dynamic_pointer_cast<FRMPD_CALENDATT>(object)) window_ = returned;
  });
  suppressed([&] { require(Cinterface_ActiveDll()->Cinterface_ActiveFrame()).set_Name("FME_DIPE"); });
  suppressed([&] {
    auto frame = Cinterface_ActiveDll()->Cinterface_ActiveFrame();
    std::string name = require(frame).Name();
    std::shared_ptr<runtime::Object> object = frame;
    require(ClsScript).RegisterObject(name, object, 3, name);
  });
}

void CLSPD_CALENDATT::ActiveNavigator_InitializeLayoutObjectModel(
    bool&, const std::shared_ptr<host::LayoutObject>& ClsLayout) {
  suppressed([&] {
    if (!is_active(*this)) return;
    std::shared_ptr<runtime::Object> object = (*window_).shared_from_this();
    require(ClsLayout).RegisterObject(Variant(kTitle), object, 0, 0, 0);
    if (auto returned = std::dynamic_pointer_cast<FRMPD_CALENDATT>(object)) window_ = returned;
  });
}

void CLSPD_CALENDATT::ActiveNavigator_ButtonPressed(bool&, std::int32_t& ButtonPress) {
  bool act = false;
  std::shared_ptr<host::RecordFrame> frame;
  suppressed([&] {
    act = is_active(*this) && ButtonPress == kMultimediaButton;
    if (act) frame = Cinterface_ActiveDll()->Cinterface_ActiveFrame();
  });
  if (!act || !frame) return;
  bool has_recordset = false;
  suppressed([&] { has_recordset = frame->Recordset() != nullptr; });
  if (!has_recordset) return;

  std::int32_t status = -1;
  suppressed([&] { status = frame->Status(); });
  if (status == host::RecordFrame::kStatusNew) {
    suppressed([&] {
      auto& window = (*window_);
      window.MostraMessaggio(
          "Il collegamento ai dati multimediali è possibile solamente in fase di variazione", 30288, 64,
          window.current_caption());
    });
    return;
  }
  if (status == host::RecordFrame::kStatusStored) suppressed([&] { frame->Update(); });
  suppressed([&] {
    if (CHyperMedia_) return;
    CHyperMedia_ = host::Registry::instance().create_as<host::HyperMedia>(host::progid::kHyperMedia);
    CHyperMedia_->AfterMediaCreate = [this](bool& c, const Variant& id) {
      CHyperMedia_AfterMediaCreate(c, id);
    };
  });
  Variant media_id;
  suppressed([&] { media_id = require(frame->Recordset()).Field("PD06_IDMEDIA_CG99"); });
  suppressed([&] {
    auto& global = require(Cinterface_ActiveDll()->Cinterface_ClsGlobal());
    Variant first = global.MediaValue(1);
    Variant second = global.MediaValue(2);
    std::string connection = global.ConnectionString();
    Variant hwnd(require(global.MainInterface()).Cinterface_hwndParent());
    (*CHyperMedia_).MediaManager(first, second, connection, media_id, hwnd, 1, 0);
  });
}

void CLSPD_CALENDATT::CHyperMedia_AfterMediaCreate(bool&, const Variant& CodiceMedia) {
  std::shared_ptr<host::Recordset> recordset;
  suppressed([&] {
    auto frame = Cinterface_ActiveDll()->Cinterface_ActiveFrame();
    if (frame) recordset = frame->Recordset();
  });
  if (recordset) {
    suppressed([&] { recordset->SetField("PD06_IDMEDIA_CG99", CodiceMedia); });
    suppressed([&] { recordset->UpdateBatch(host::kAdAffectCurrent); });
  }
  suppressed([&] {
    auto& global = require(Cinterface_ActiveDll()->Cinterface_ClsGlobal());
    (*window_).set_Icon(require(global.ImageList1()).Picture("KProgrammaMM"));
  });
}

}  // namespace calendatt
