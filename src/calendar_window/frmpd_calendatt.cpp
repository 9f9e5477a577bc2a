#include "calendar_window/frmpd_calendatt.hpp"

#include "common/mdlpd_calendatt.hpp"
#include "host/registry.hpp"

namespace calendatt {

using runtime::ErrorTrap;
using runtime::suppressed;
using runtime::Variant;

namespace {
constexpr const char* kKindName = "FRMPD_CALENDATT";

template <class T>
std::shared_ptr<T> create(const char* prog_id) {
  return host::Registry::instance().create_as<T>(prog_id);
}
}  // namespace

FRMPD_CALENDATT::FRMPD_CALENDATT() : FormBase(design()) {
  write_trace(identity_, "INI", kKindName);
}

FRMPD_CALENDATT::~FRMPD_CALENDATT() {
  write_trace(identity_, "TER", kKindName);
}

host::Navigator* FRMPD_CALENDATT::navigator() {
  if (!ActiveInterface) throw runtime::Error(91, "Object variable not set", kKindName);
  auto nav = ActiveInterface->Cinterface_ActiveNavigator();
  if (!nav) throw runtime::Error(91, "Object variable not set", kKindName);
  return nav.get();
}

void FRMPD_CALENDATT::Form_Load() {
  ErrorTrap trap(*this, "Form_Load");
  auto global = [this] {
    auto g = ActiveInterface->Cinterface_ClsGlobal();
    if (!g) throw runtime::Error(91, "Object variable not set", kKindName);
    return g;
  };
  trap.step([&] {
    number_object_ = create<host::NumberObject>(host::progid::kNumber);
    date_object_ = create<host::DateObject>(host::progid::kDate);
    GclsLog = create<host::ErrorDisplay>(host::progid::kErrorDisplay);
  });
  trap.step([&] { GstrConnect = global()->ConnectionString(); });
  trap.step([&] {
    GclsConnect = create<host::ConnectionFactory>(host::progid::kConnectionFactory);
    GconConnect = GclsConnect->NewConnection();
  });
  trap.step([&] {
    GconConnect->SetConnectionString(GstrConnect);
    GconConnect->Open("", "", "", -1);
  });
  trap.step([&] { ditta_ = global()->Company().to_long(); });
  trap.step([&] { GclsRecordCheck = create<host::RecordService>(host::progid::kRecordService); });
  trap.step([&] { ActiveInterface->set_Cinterface_Connection(GconConnect); });
  trap.step([&] {
    PclsLookup = create<host::LookupService>(host::progid::kLookup);
    PclsLookup->set_Interface(ActiveInterface);
    PclsDecode = create<host::DecodeService>(host::progid::kDecode);
    PclsDecode->set_Interface(ActiveInterface);
  });
  trap.step([&] { is_called_ = ActiveInterface->Cinterface_IsCalled(); });
  trap.step([&] { control<host::GridNavigator>("GRIDNAV")->set_Setting(false); });
  trap.step([&] { InitQGrid(); });
  if (trap.leaving_answer() == runtime::kAbort) Unload();
}

void FRMPD_CALENDATT::Form_QueryUnload(bool& Cancel, std::int32_t) {
  suppressed([&] { AggiornaNavigatore(); });
  if (!Cancel) {
    suppressed([&] {
      if (!FME_CALENDATT) throw runtime::Error(91, "Object variable not set", kKindName);
      if (FME_CALENDATT->Save(true, 0, true) == 0) Cancel = true;
    });
  }
  if (!Cancel) {
    suppressed([&] { NotificaProgramma(Variant("tsClose")); });
    suppressed([&] {
      auto script = navigator()->ClsScript();
      if (script) Cancel = script->QueryClose();
    });
  }
}

void FRMPD_CALENDATT::Form_Unload(bool&) {
  auto global = [this] {
    auto g = ActiveInterface->Cinterface_ClsGlobal();
    if (!g) throw runtime::Error(91, "Object variable not set", kKindName);
    return g;
  };
  auto nav = [this] { return navigator(); };
  suppressed([&] { multilanguage_.reset(); });
  suppressed([&] { control<host::Grid>("GRID_CALENDATT")->Close(); });
  suppressed([&] { control<host::GridNavigator>("GRIDNAV")->set_Setting(true); });
  suppressed([&] {
    if (PclsLookup) PclsLookup->set_Interface(nullptr);
    PclsLookup.reset();
    if (PclsDecode) PclsDecode->set_Interface(nullptr);
    PclsDecode.reset();
  });
  suppressed([&] {
    auto script = nav()->ClsScript();
    if (script) {
      auto menu = ActiveInterface->Cinterface_ClsVoceMenu();
      script->ProgramClosed(menu ? menu->Text() : std::string());
      nav()->set_ClsScript(nullptr);
    }
  });
  suppressed([&] { nav()->set_ClsLayout(nullptr); });
  suppressed([&] {
    if (FME_CALENDATT) FME_CALENDATT->Terminate();
    FME_CALENDATT.reset();
  });
  suppressed([&] { ActiveInterface->set_Cinterface_ActiveFrame(nullptr); });
  suppressed([&] {
    GclsRecord.reset();
    GclsConnect.reset();
    GclsLog.reset();
  });
  suppressed([&] {
    if (GconConnect) GconConnect->Close();
    GconConnect.reset();
  });
  suppressed([&] {
    if (GrstRecordSet && GrstRecordSet->State() == host::kAdStateOpen) GrstRecordSet->Close();
    GrstRecordSet.reset();
  });
  suppressed([&] {
    GclsRecordCheck.reset();
    GrstCheck.reset();
  });
  suppressed([&] { global()->ReleaseInterface(ActiveInterface.shared()); });
  suppressed([&] {
    global()->set_Interface(1, nullptr);
    global()->set_Interface(2, nullptr);
  });
  suppressed([&] { ActiveInterface->set_Cinterface_ActiveDll(nullptr); });
  suppressed([&] { control<host::GridNavigator>("GRIDNAV")->set_Interface(nullptr); });
  suppressed([&] { nav()->set_Interface(nullptr); });
  suppressed([&] {
    if (PclsConnectProg) {
      PclsConnectProg->set_Interface(nullptr);
      PclsConnectProg->Close();
      PclsConnectProg.reset();
    }
  });
  suppressed([&] {
    if (PclsConnectProd) {
      PclsConnectProd->set_Interface(nullptr);
      PclsConnectProd->Close();
      PclsConnectProd->TransferData = nullptr;
      PclsConnectProd.reset();
    }
  });
  suppressed([&] { nav()->set_Interface(nullptr); });
  suppressed([&] { nav()->set_ClsScript(nullptr); });
  suppressed([&] { nav()->set_ClsLayout(nullptr); });
  suppressed([&] {
    global()->set_Interface(1, nullptr);
    global()->set_Interface(2, nullptr);
  });
  suppressed([&] {
    ActiveInterface->set_Cinterface_ClsGlobal(nullptr);
    ActiveInterface->set_Cinterface_ActiveDll(nullptr);
  });
  suppressed([&] { ActiveInterface->set_Cinterface_Connection(nullptr); });
  suppressed([&] {
    ActiveInterface.reset();
    GobjThisClass.reset();
    GclsLog.reset();
  });
  suppressed([&] {
    insert_dialog_.reset();
    delete_dialog_.reset();
  });
  runtime::clear_pending_error();
}

Variant FRMPD_CALENDATT::CallMethod(const std::string& name, const runtime::ParamList&) {
  std::string method = runtime::upper(name);
  if (method == "REQUERY") {
    Requery();
    return Variant();
  }
  if (method == "UPDATE") return Variant(Update());
  throw runtime::Error(438, "Object doesn't support this property or method: " + name, kKindName);
}

void FRMPD_CALENDATT::LetProperty(const std::string& name, const Variant&) {
  throw runtime::Error(438, "Object doesn't support this property or method: " + name, kKindName);
}

Variant FRMPD_CALENDATT::GetProperty(const std::string& name) {
  if (runtime::upper(name) == "NAME") return Variant(Name());
  throw runtime::Error(438, "Object doesn't support this property or method: " + name, kKindName);
}

// ---- Messages, error report and navigator notices ----

std::int32_t FRMPD_CALENDATT::VisualizzaErrore(const std::string& SubOrFunctionName) {
  std::int32_t answer = 0;
  runtime::ErrorInfo pending = runtime::pending_error();
  try {
    if (!GclsLog) throw runtime::Error(91, "Object variable not set", kKindName);
    GclsLog->set_Error(pending);
    if (GconConnect) GclsLog->set_ProviderErrors(GconConnect->Errors());
    std::int32_t extra = 0;
    answer = GclsLog->ShowReport("MERIDAL", current_caption(), SubOrFunctionName, 4370, extra);
  } catch (...) {
    answer = 0;
  }
  runtime::pending_error() = pending;
  return answer;
}

std::int32_t FRMPD_CALENDATT::MostraMessaggio(const std::string& text, std::int32_t number,
                                              std::int32_t style, const std::string& title,
                                              const std::optional<runtime::ParamList>& params) {
  std::int32_t answer = 0;
  suppressed([&] {
    if (!ActiveInterface) {
      if (!multilanguage_) multilanguage_ = create<host::Multilanguage>(host::progid::kMultilanguage);
      answer = multilanguage_->KVOMsgBox("[x" + std::to_string(number) + "x] " + text, style, title);
      return;
    }
    auto global = ActiveInterface->Cinterface_ClsGlobal();
    if (!global) throw runtime::Error(91, "Object variable not set", kKindName);
    auto ml = global->ClsMultilingua();
    if (!ml) throw runtime::Error(91, "Object variable not set", kKindName);
    if (number < 1)
      answer = ml->ShowText(text, style, title, Variant());
    else
      answer = ml->ShowMessage(number, style, title, params ? *params : runtime::ParamList{});
  });
  return answer;
}

std::string FRMPD_CALENDATT::TraduciMessaggio(const std::string& text, std::int32_t number,
                                              const std::optional<runtime::ParamList>& params,
                                              std::int16_t option) {
  try {
    if (!ActiveInterface || number < 1) {
      if (option == 1) return runtime::replace_all(text, "'", "''");
      return "[x" + std::to_string(number) + "x] " + text;
    }
    auto global = ActiveInterface->Cinterface_ClsGlobal();
    if (!global) throw runtime::Error(91, "Object variable not set", kKindName);
    auto ml = global->ClsMultilingua();
    if (!ml) throw runtime::Error(91, "Object variable not set", kKindName);
    std::string result = ml->Translate(number, params ? *params : runtime::ParamList{});
    if (option == 1) result = ml->DoubleQuotes(result);
    return result;
  } catch (...) {
    runtime::clear_pending_error();
    return option == 1 ? runtime::replace_all(text, "'", "''") : text;
  }
}

void FRMPD_CALENDATT::AggiornaNavigatore() {
  suppressed([&] { ActiveInterface->Cinterface_ClsGlobal()->set_Interface(1, ActiveInterface); });
  suppressed([&] {
    auto frame = ActiveInterface->Cinterface_ActiveFrame();
    if (frame) navigator()->FrameStatus(runtime::Variant(frame->Status()).to_int());
  });
  suppressed([&] { navigator()->Refresh(); });
}

void FRMPD_CALENDATT::NotificaProgramma(const Variant& event) {
  std::string what = event.is_null() ? "" : event.to_string();
  if (what == "tsOpen") {
    navigator()->OpenProgram();
    auto script = navigator()->ClsScript();
    if (script) script->ProgramNotification(Name(), 0, true, Variant(Name()));
  } else if (what == "tsClose") {
    auto script = navigator()->ClsScript();
    if (script) script->ProgramNotification(Name(), 0, false, Variant(Name()));
  }
}

}  // namespace calendatt
