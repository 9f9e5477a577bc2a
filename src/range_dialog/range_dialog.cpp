#include "range_dialog/range_dialog.hpp"

#include "common/code_field_support.hpp"
#include "common/mdlpd_calendatt.hpp"
#include "host/registry.hpp"

namespace calendatt {

namespace mdl = MDLPD_CALENDATT;
using code_field_support::code_field;
using code_field_support::description_field;
using code_field_support::is_maintenance_key;
using code_field_support::kManyRowsQuestion;
using code_field_support::read_lookup;
using runtime::Date;
using runtime::ErrorTrap;
using runtime::suppressed;
using runtime::Variant;

namespace {

template <class T>
std::shared_ptr<T> create(const char* prog_id) {
  return host::Registry::instance().create_as<T>(prog_id);
}

[[noreturn]] void object_not_set(const std::string& source) {
  throw runtime::Error(91, "Object variable not set", source);
}

}  // namespace

host::FormDesign RangeDialog::shared_design(const char* name, const char* caption) {
  host::FormDesign d;
  d.name = name;
  d.caption = caption;
  auto node = code_field("TXT_CODNODO", "Codice Nodo", "PD0G_CODNODO_PD0C", true);
  node.settings["txtgestione"] = Variant("Qualifiche");
  node.settings["autonextfield"] = Variant(false);
  d.controls = {
      {host::kind::kFrame, "FrameMain", "", {}},
      {host::kind::kFrame, "FrameDati", "", {}},
      {host::kind::kFrame, "FrameIntervallo", "", {}},
      {host::kind::kLabel, "LBL_PROGETTO", "Progetto", {}},
      code_field("TXT_CODPROG", "Codice Progetto", "PD0G_CODPROG_PD68", true),
      description_field("TXT_DESPROG", "Descrizione progetto"),
      {host::kind::kLabel, "LBL_NODO", "Nodo", {}},
      node,
      description_field("TXT_DESNODO", "Descrizione nodo"),
      {host::kind::kLabel, "LBL_ATTIVITA", "Attività", {}},
      code_field("TXT_CODATTIVITA", "Codice Attività", "PD0H_CODATTIVITA_PD0D", false),
      description_field("TXT_DESATTIVITA", "Descrizione attività"),
      {host::kind::kLabel, "LBL_PERIODO", "Periodo pianificazione", {}},
      {host::kind::kDateEdit,
       "TXT_DATAINIZ",
       "Data inizio pianificata",
       {{"enabled", false}, {"dbfield", "PD0H_DATAINIZPIAN"}}},
      {host::kind::kDateEdit,
       "TXT_DATAFIN",
       "Data fine pianificata",
       {{"enabled", false}, {"dbfield", "PD0H_DATAFINPIAN"}}},
      {host::kind::kLabel, "LBL_DATAINIZIALE", "Data iniziale", {}},
      {host::kind::kDateEdit, "TXT_DATAINIZIALE", "Data iniziale", {{"obbligatorio", true}}},
      {host::kind::kLabel, "LBL_DATAFINALE", "Data finale", {}},
      {host::kind::kDateEdit, "TXT_DATAFINALE", "Data finale", {{"obbligatorio", true}}},
      {host::kind::kToolbarButton, "BTN_CONFERMA", "&Conferma", {}},
      {host::kind::kToolbarButton, "BTN_ANNULLA", "&Annulla", {}},
      {host::kind::kResize, "KVO_RESIZEFORM1", "", {}},
  };
  return d;
}

RangeDialog::RangeDialog(host::FormDesign design, RangeControls range)
    : FormBase(std::move(design)), range_(std::move(range)) {}

RangeDialog::~RangeDialog() = default;

std::shared_ptr<host::GlobalObject> RangeDialog::global() {
  if (!ActiveInterface) object_not_set(Name());
  auto g = ActiveInterface->Cinterface_ClsGlobal();
  if (!g) object_not_set(Name());
  return g;
}

host::Navigator& RangeDialog::navigator() {
  if (!ActiveInterface) object_not_set(Name());
  auto nav = ActiveInterface->Cinterface_ActiveNavigator();
  if (!nav) object_not_set(Name());
  return *nav;
}

std::int32_t RangeDialog::ShowDialog() {
  Show(true);
  if (loaded()) Unload();
  return cancelled_ ? 2 : 1;
}

// ---- Loading, activation, unloading

void RangeDialog::Form_Load() {
  ErrorTrap trap(*this, "Form_Load");
  [&] {
    if (!trap.step([&] { cancelled_ = true; })) return;
    if (!trap.step([&] { fill_lists(); })) return;
    if (!trap.step([&] { GclsLog = create<host::ErrorDisplay>(host::progid::kErrorDisplay); })) return;
    if (!trap.step([&] { GstrConnect = global()->ConnectionString(); })) return;
    if (!trap.step([&] {
          GclsConnect = create<host::ConnectionFactory>(host::progid::kConnectionFactory);
          GconConnect = GclsConnect->NewConnection();
        }))
      return;
    if (!trap.step([&] {
          GconConnect->SetConnectionString(GstrConnect);
          GconConnect->Open("", "", "", -1);
        }))
      return;
    if (!trap.step([&] { ditta_ = global()->Company().to_long(); })) return;
    if (!trap.step([&] { ActiveInterface->set_Cinterface_Connection(GconConnect); })) return;
    trap.step([&] {
      PclsLookup = create<host::LookupService>(host::progid::kLookup);
      PclsLookup->set_Interface(ActiveInterface);
      PclsDecode = create<host::DecodeService>(host::progid::kDecode);
      PclsDecode->set_Interface(ActiveInterface);
    });
  }();
  if (trap.leaving_answer() == runtime::kAbort) Unload();
}

void RangeDialog::Form_Activate() {
  ErrorTrap trap(*this, "Form_Activate");
  if (!trap.step([&] { navigator().Activate(); })) return;
  if (!trap.step([&] { NotificaProgramma(Variant("tsOpen")); })) return;
  // The codes the calendar window holds are shown again at every activation; a given code is locked.
  struct Preset {
    const char* field;
    const std::string& code;
  };
  for (const Preset& preset : {Preset{"TXT_CODPROG", mdl::pCodProgetto}, Preset{"TXT_CODNODO", mdl::pCodNodo},
                               Preset{"TXT_CODATTIVITA", mdl::pCodAttivita}}) {
    if (!trap.step([&] {
          std::string code = blank_rule(Variant(preset.code), Variant("")).to_string();
          control<host::TextControl>(preset.field)->set_Text(code);
          if (!code.empty()) control<host::Control>(preset.field)->set_Enabled(false);
        }))
      return;
  }
  if (!trap.step([&] {
        bool resolved = mdl::pIDDisBaProgWBS != 0 && mdl::pIDLegameWBS != 0;
        if (range_.frame) control<host::Control>(range_.frame)->set_Enabled(resolved);
        for (const char* name : range_.fields) control<host::Control>(name)->set_Enabled(resolved);
      }))
    return;
  trap.step([&] { control<host::ResizeControl>("KVO_RESIZEFORM1")->Layout(); });
}

void RangeDialog::Form_Unload(bool&) {
  suppressed([&] { FrmMain.reset(); });
  suppressed([&] {
    if (PclsLookup) PclsLookup->set_Interface(nullptr);
    PclsLookup.reset();
  });
  suppressed([&] {
    if (PclsDecode) PclsDecode->set_Interface(nullptr);
    PclsDecode.reset();
  });
  suppressed([&] {
    GclsConnect.reset();
    record_service_.reset();
    GclsLog.reset();
  });
  suppressed([&] {
    if (GconConnect && GconConnect->State() == host::kAdStateOpen) GconConnect->Close();
    GconConnect.reset();
  });
  suppressed([&] {
    if (!PclsConnectProg) return;
    auto link = std::move(PclsConnectProg);
    PclsConnectProg.reset();
    link->set_Interface(nullptr);
    link->Close();
  });
  suppressed([&] {
    if (!PclsConnectProd) return;
    auto link = std::move(PclsConnectProd);
    PclsConnectProd.reset();
    link->TransferData = nullptr;
    link->set_Interface(nullptr);
    link->Close();
  });
  suppressed([&] {
    if (ActiveInterface) ActiveInterface->set_Cinterface_Connection(nullptr);
  });
  runtime::clear_pending_error();
}

// ---- Error report and program notification

std::int32_t RangeDialog::VisualizzaErrore(const std::string& SubOrFunctionName) {
  std::int32_t answer = 0;
  runtime::ErrorInfo pending = runtime::pending_error();
  try {
    if (!GclsLog) object_not_set(Name());
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

void RangeDialog::NotificaProgramma(const Variant& event) {
  std::string what = event.is_null() ? "" : event.to_string();
  if (what == "tsOpen") {
    navigator().OpenProgram();
    auto script = navigator().ClsScript();
    if (script) script->ProgramNotification(Name(), 0, true, Variant(Name()));
  } else if (what == "tsClose") {
    auto script = navigator().ClsScript();
    if (script) script->ProgramNotification(Name(), 0, false, Variant(Name()));
  }
}

MainWindow& RangeDialog::main_window() {
  if (!FrmMain) object_not_set(Name());
  return *FrmMain;
}

std::int32_t RangeDialog::message(const std::string& text, std::int32_t number, std::int32_t style,
                                  const std::optional<runtime::ParamList>& params) {
  return main_window().MostraMessaggio(text, number, style, current_caption(), params);
}

// ---- Control events

void RangeDialog::bind_common_controls() {
  auto& s = site();
  auto code = [&](const char* name) { return host::control_as<host::CodeEdit>(s, name); };
  auto prog = code("TXT_CODPROG");
  auto node = code("TXT_CODNODO");
  auto act = code("TXT_CODATTIVITA");
  prog->CodeChange = [this] { TXT_CODPROG_CodeChange(); };
  node->CodeChange = [this] { TXT_CODNODO_CodeChange(); };
  act->CodeChange = [this] { TXT_CODATTIVITA_CodeChange(); };
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
  prog->Validate = [this](bool& c) { TXT_CODPROG_Validate(c); };

  host::control_as<host::DateEdit>(s, "TXT_DATAINIZIALE")->Validate = [this](bool& c) {
    TXT_DATAINIZIALE_Validate(c);
  };
  host::control_as<host::DateEdit>(s, "TXT_DATAFINALE")->Validate = [this](bool& c) {
    TXT_DATAFINALE_Validate(c);
  };
  host::control_as<host::ToolbarButton>(s, "BTN_ANNULLA")->ButtonClick = [this] {
    BTN_ANNULLA_ButtonClick();
  };
  host::control_as<host::ResizeControl>(s, "KVO_RESIZEFORM1")->Resize = [this] { KVO_RESIZEFORM1_Resize(); };
}

void RangeDialog::clear_text(const char* name) {
  suppressed([&] { control<host::TextControl>(name)->set_Text(""); });
}

void RangeDialog::TXT_CODPROG_CodeChange() {
  clear_text("TXT_DESPROG");
  clear_text("TXT_CODNODO");
  clear_text("TXT_CODATTIVITA");
}

void RangeDialog::TXT_CODNODO_CodeChange() {
  clear_text("TXT_DESNODO");
  clear_text("TXT_CODATTIVITA");
}

void RangeDialog::TXT_CODATTIVITA_CodeChange() {
  clear_text("TXT_DESATTIVITA");
}

void RangeDialog::TXT_CODPROG_StartLookup(bool& Cancel, std::string& TextA, Variant& ValueB,
                                          std::string& TextC, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODPROG_StartLookup");
  trap.step([&] {
    Cancel = false;
    lookup().PrepareProjectLookup(0, 0, 0, 0, 2, Variant());
    read_lookup(lookup(), TextA, ValueB, TextC, Connection, GstrConnect,
                *control<host::CodeEdit>("TXT_CODPROG"));
  });
}

void RangeDialog::TXT_CODNODO_StartLookup(bool& Cancel, std::string& TextA, Variant& ValueB,
                                          std::string& TextC, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODNODO_StartLookup");
  trap.step([&] {
    Cancel = false;
    lookup().PrepareNodeLookup(Variant(), Variant(control<host::TextControl>("TXT_DESNODO")->Text()),
                               control<host::TextControl>("TXT_CODPROG")->Text());
    read_lookup(lookup(), TextA, ValueB, TextC, Connection, GstrConnect,
                *control<host::CodeEdit>("TXT_CODNODO"));
  });
}

void RangeDialog::TXT_CODATTIVITA_StartLookup(bool& Cancel, std::string& TextA, Variant& ValueB,
                                              std::string& TextC, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODATTIVITA_StartLookup");
  trap.step([&] {
    Cancel = false;
    lookup().PrepareActivityLookup(control<host::TextControl>("TXT_CODPROG")->Text(),
                                   control<host::TextControl>("TXT_CODNODO")->Text(), Variant());
    read_lookup(lookup(), TextA, ValueB, TextC, Connection, GstrConnect,
                *control<host::CodeEdit>("TXT_CODATTIVITA"));
  });
}

void RangeDialog::TXT_CODPROG_StartDecode(std::string& TextA, Variant& ValueB, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODPROG_StartDecode");
  trap.step([&] {
    decode().PrepareProjectDecode(control<host::TextControl>("TXT_CODPROG")->Text(),
                                  control<host::Control>("TXT_DESPROG"), 0, 0, 0, 0, 2);
    TextA = decode().TextA();
    ValueB = decode().ValueB();
    Connection = GstrConnect;
  });
}

void RangeDialog::TXT_CODNODO_StartDecode(std::string& TextA, Variant& ValueB, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODNODO_StartDecode");
  trap.step([&] {
    decode().PrepareNodeDecode(control<host::TextControl>("TXT_CODPROG")->Text(),
                               control<host::TextControl>("TXT_CODNODO")->Text(),
                               control<host::Control>("TXT_DESNODO"));
    TextA = decode().TextA();
    ValueB = decode().ValueB();
    Connection = GstrConnect;
  });
}

void RangeDialog::TXT_CODATTIVITA_StartDecode(std::string& TextA, Variant& ValueB, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODATTIVITA_StartDecode");
  trap.step([&] {
    decode().PrepareActivityDecode(control<host::TextControl>("TXT_CODPROG")->Text(),
                                   control<host::TextControl>("TXT_CODATTIVITA")->Text(),
                                   control<host::Control>("TXT_DESATTIVITA"));
    TextA = decode().TextA();
    ValueB = decode().ValueB();
    Connection = GstrConnect;
  });
}

void RangeDialog::TXT_CODPROG_CloseLookup(const Variant& row) {
  ErrorTrap trap(*this, "TXT_CODPROG_CloseLookup");
  if (row.is_empty()) return;
  trap.step([&] { control<host::TextControl>("TXT_DESPROG")->set_Text(row.array()->at(1, 1).to_string()); });
}

void RangeDialog::TXT_CODNODO_CloseLookup(const Variant& row) {
  ErrorTrap trap(*this, "TXT_CODNODO_CloseLookup");
  if (row.is_empty()) return;
  trap.step([&] { control<host::TextControl>("TXT_DESNODO")->set_Text(row.array()->at(1, 1).to_string()); });
}

void RangeDialog::TXT_CODATTIVITA_CloseLookup(const Variant& row) {
  ErrorTrap trap(*this, "TXT_CODATTIVITA_CloseLookup");
  if (row.is_empty()) return;
  // The dialogs never fill the node code from the chosen row.
  if (!trap.step([&] {
        control<host::TextControl>("TXT_DESATTIVITA")->set_Text(row.array()->at(1, 1).to_string());
      }))
    return;
  if (!trap.step([&] { mdl::pIDDisBaProgWBS = row.array()->at(1, 5).to_double(); })) return;
  trap.step([&] { mdl::pIDLegameWBS = row.array()->at(1, 6).to_double(); });
}

std::shared_ptr<host::MaintenanceProg> RangeDialog::maintenance_prog() {
  if (!PclsConnectProg) PclsConnectProg = create<host::MaintenanceProg>(host::progid::kMaintenanceProg);
  return PclsConnectProg;
}

void RangeDialog::after_maintenance(const std::function<bool(const std::function<void()>&)>& step,
                                    bool project) {
  if (!step([&] { ActiveInterface->let_Cinterface_IsActive(true); })) return;
  if (project) {
    if (!step([&] {
          PclsConnectProd->set_Interface(nullptr);
          PclsConnectProd->Close();
          PclsConnectProd->TransferData = nullptr;
          PclsConnectProd.reset();
        }))
      return;
  } else {
    if (!step([&] {
          PclsConnectProg->set_Interface(nullptr);
          PclsConnectProg->Close();
          PclsConnectProg.reset();
        }))
      return;
  }
  if (!step([&] { global()->ReleaseInterface(ActiveInterface); })) return;
  step([&] { navigator().OpenProgram(); });
}

void RangeDialog::TXT_CODPROG_KeyButtonMenuPress(const Variant& key) {
  ErrorTrap trap(*this, "TXT_CODPROG_KeyButtonMenuPress");
  if (!is_maintenance_key(key)) return;
  if (!trap.step([&] {
        if (!PclsConnectProd) {
          PclsConnectProd = create<host::MaintenanceProd>(host::progid::kMaintenanceProd);
          PclsConnectProd->TransferData = [this](bool& c, const Variant& d, std::int32_t& k) {
            PclsConnectProd_TransferData(c, d, k);
          };
        }
        PclsConnectProd->set_Interface(ActiveInterface);
        PclsConnectProd->set_Control(control<host::Control>("TXT_CODPROG"));
        PclsConnectProd->set_ProjectCode(control<host::TextControl>("TXT_CODPROG")->Text());
        PclsConnectProd->OpenProjectMaintenance();
      }))
    return;
  after_maintenance([&](const std::function<void()>& body) { return trap.step(body); }, true);
}

void RangeDialog::TXT_CODNODO_KeyButtonMenuPress(const Variant& key) {
  ErrorTrap trap(*this, "TXT_CODNODO_KeyButtonMenuPress");
  if (!is_maintenance_key(key)) return;
  // The node maintenance of a dialog is not given the project code.
  if (!trap.step([&] {
        auto link = maintenance_prog();
        link->set_Interface(ActiveInterface);
        link->set_Control(control<host::Control>("TXT_CODNODO"));
        link->set_NodeCode(control<host::TextControl>("TXT_CODNODO")->Text());
        link->OpenNodeMaintenance();
      }))
    return;
  after_maintenance([&](const std::function<void()>& body) { return trap.step(body); }, false);
}

void RangeDialog::activity_maintenance(const Variant& key, bool report_errors) {
  ErrorTrap trap(*this, "TXT_CODATTIVITA_KeyButtonMenuPress");
  auto step = [&](const std::function<void()>& body) {
    if (report_errors) return trap.step(body);
    suppressed(body);
    return true;
  };
  if (!is_maintenance_key(key)) return;
  if (!step([&] {
        auto link = maintenance_prog();
        link->set_Interface(ActiveInterface);
        link->set_Control(control<host::Control>("TXT_CODATTIVITA"));
        link->set_ActivityCode(control<host::TextControl>("TXT_CODATTIVITA")->Text());
        link->set_ProjectCode(control<host::TextControl>("TXT_CODPROG")->Text());
        link->set_NodeCode(control<host::TextControl>("TXT_CODNODO")->Text());
        link->OpenActivityMaintenance();
      }))
    return;
  after_maintenance(step, false);
}

bool RangeDialog::decode_refused(const char* field, bool& Cancel) {
  if (!code_text(field).empty() && !control<host::CodeEdit>(field)->DecodeOk()) {
    Cancel = true;
    return true;
  }
  return false;
}

void RangeDialog::TXT_CODPROG_Validate(bool& Cancel) {
  bool refused = false;
  suppressed([&] { refused = decode_refused("TXT_CODPROG", Cancel); });
  if (refused) return;
  resolve_activity(Cancel, false);
}

void RangeDialog::switch_control(const char* name, bool enabled) {
  suppressed([&] { control<host::Control>(name)->set_Enabled(enabled); });
}

void RangeDialog::set_range_enabled(bool enabled, bool with_frame) {
  if (with_frame && range_.frame) switch_control(range_.frame, enabled);
  for (const char* name : range_.fields) switch_control(name, enabled);
}

void RangeDialog::resolve_activity(bool& Cancel, bool focus_start) {
  std::string project, node, activity;
  suppressed([&] {
    project = code_text("TXT_CODPROG");
    node = code_text("TXT_CODNODO");
    activity = code_text("TXT_CODATTIVITA");
  });
  if (project.empty() || node.empty() || activity.empty()) return;
  std::int16_t rows = 0;
  bool resolved = false;
  suppressed([&] {
    resolved = main_window().TrovaIDAttivitaWBS(GconConnect, runtime::round_to_int(ditta_), project, node,
                                                activity, &rows);
  });
  if (resolved) {
    suppressed([&] { control<host::TextControl>("TXT_DATAINIZ")->set_Text(mdl::pDataInizioWBS); });
    suppressed([&] { control<host::TextControl>("TXT_DATAFIN")->set_Text(mdl::pDataFineWBS); });
    set_range_enabled(true, true);
    if (focus_start) suppressed([&] { control<host::Control>("TXT_DATAINIZIALE")->SetFocus(); });
  } else if (rows <= 0) {
    set_range_enabled(false, false);
  } else {
    std::int32_t answer = 0;
    suppressed([&] { answer = message(kManyRowsQuestion, 77199, 1); });
    Cancel = true;
    if (answer == 1) suppressed([&] { control<host::CodeEdit>("TXT_CODATTIVITA")->OpenLookup(); });
  }
}

// ---- Date fields, cancel, resize, data transfer

void RangeDialog::date_validate(const char* field, bool start_first, bool& Cancel) {
  auto date_field = [&] { return control<host::DateEdit>(field); };
  bool valid_date = true;
  suppressed([&] { valid_date = date_field()->IsDateValid(); });
  if (!valid_date) {
    Cancel = true;
    return;
  }
  std::string text;
  suppressed([&] { text = blank_rule(Variant(date_field()->Text()), Variant("")).to_string(); });
  if (text.empty()) return;

  struct Bound {
    const std::string* value;
    bool is_start;
  };
  const Bound start{&mdl::pDataInizioWBS, true};
  const Bound end{&mdl::pDataFineWBS, false};
  const Bound order[] = {start_first ? start : end, start_first ? end : start};
  for (const Bound& bound : order) {
    bool refused = false;
    suppressed([&] {
      if (blank_rule(Variant(*bound.value), Variant("")).to_string().empty()) return;
      Date day = Variant(text).to_date();
      Date limit = Variant(*bound.value).to_date();
      if (bound.is_start ? limit > day : limit < day) {
        std::string shown = runtime::date_text(limit);
        refused = true;
        if (bound.is_start)
          message("Non sono ammesse date inferiori al " + shown, 77194, 48,
                  runtime::ParamList{Variant(shown)});
        else
          message("Non sono ammesse date superiori al " + shown, 77195, 48,
                  runtime::ParamList{Variant(shown)});
      }
    });
    if (refused) {
      Cancel = true;
      suppressed([&] { date_field()->SetFocus(); });
      return;
    }
  }
}

void RangeDialog::TXT_DATAINIZIALE_Validate(bool& Cancel) {
  date_validate("TXT_DATAINIZIALE", true, Cancel);
  runtime::clear_pending_error();
}

void RangeDialog::TXT_DATAFINALE_Validate(bool& Cancel) {
  date_validate("TXT_DATAFINALE", false, Cancel);
  runtime::clear_pending_error();
}

void RangeDialog::BTN_ANNULLA_ButtonClick() {
  suppressed([&] { cancelled_ = true; });
  suppressed([&] { Unload(); });
}

void RangeDialog::KVO_RESIZEFORM1_Resize() {
  std::shared_ptr<host::ResizeControl> resize;
  suppressed([&] { resize = control<host::ResizeControl>("KVO_RESIZEFORM1"); });
  if (!resize) return;
  suppressed([&] { resize->Place(control<host::Control>("BTN_ANNULLA"), 10); });
  suppressed([&] { resize->Place(control<host::Control>("BTN_CONFERMA"), 12); });
  suppressed([&] { resize->Place(control<host::Control>("FrameMain"), 11); });
}

void RangeDialog::PclsConnectProd_TransferData(bool&, const Variant& data, std::int32_t& tsCalledProgram) {
  ErrorTrap trap(*this, "PclsConnectProd_TransferData");
  trap.step([&] {
    if (tsCalledProgram == 45)
      control<host::TextControl>("TXT_CODPROG")->set_Text(blank_rule(data, Variant("")).to_string());
  });
}

// ---- Helpers of the confirm handlers

std::string RangeDialog::code_text(const char* name) {
  return blank_rule(Variant(control<host::TextControl>(name)->Text()), Variant("")).to_string();
}

Date RangeDialog::field_date(const char* name) {
  std::string text = blank_rule(Variant(control<host::TextControl>(name)->Text()), Variant("")).to_string();
  return text.empty() ? Date{0} : Variant(text).to_date();
}

bool RangeDialog::shared_input_items(ErrorTrap& trap, bool& valid) {
  auto item = [&](const std::function<bool()>& check) {
    return trap.step([&] { valid = check() && valid; });
  };
  // A code the user changed is asked of the decode service again; a True answer rejects it.
  if (!item([&] {
        return !(control<host::CodeEdit>("TXT_CODPROG")->IsModified() &&
                 decode().ProjectRejected(code_text("TXT_CODPROG")));
      }))
    return false;
  if (!item([&] {
        return !(control<host::CodeEdit>("TXT_CODNODO")->IsModified() &&
                 decode().NodeRejected(code_text("TXT_CODPROG"), code_text("TXT_CODNODO")));
      }))
    return false;
  if (!item([&] {
        return !(control<host::CodeEdit>("TXT_CODATTIVITA")->IsModified() &&
                 decode().ActivityRejected(code_text("TXT_CODPROG"), code_text("TXT_CODATTIVITA")));
      }))
    return false;
  // The range must lie inside the planning period, even when the date fields were never left.
  if (!item([&] {
        if (blank_rule(Variant(mdl::pDataInizioWBS), Variant("")).to_string().empty()) return true;
        if (!control<host::DateEdit>("TXT_DATAINIZIALE")->IsDateValid()) return false;
        return Variant(mdl::pDataInizioWBS).to_date() <= field_date("TXT_DATAINIZIALE");
      }))
    return false;
  return item([&] {
    if (blank_rule(Variant(mdl::pDataFineWBS), Variant("")).to_string().empty()) return true;
    if (!control<host::DateEdit>("TXT_DATAFINALE")->IsDateValid()) return false;
    return Variant(mdl::pDataFineWBS).to_date() >= field_date("TXT_DATAFINALE");
  });
}

bool RangeDialog::date_order_refused(const Date& start, const Date& end) {
  if (!(start > end)) return false;
  message("La data finale non può essere inferiore a quella iniziale", 34941, 64);
  auto field = control<host::DateEdit>("TXT_DATAFINALE");
  field->SetFocus();
  field->SelectText();
  return true;
}

std::string RangeDialog::company_text() const {
  return std::to_string(ditta_);
}

std::string RangeDialog::node_id_text() {
  return blank_rule(Variant(runtime::number_text(mdl::pIDDisBaProgWBS)), Variant(0)).to_string();
}

std::string RangeDialog::link_id_text() {
  return blank_rule(Variant(runtime::number_text(mdl::pIDLegameWBS)), Variant(0)).to_string();
}

std::string RangeDialog::date_literal(const Date& day) {
  return main_window().FormatoDB(Variant(day), 3, false).to_string();
}

host::LookupService& RangeDialog::lookup() {
  if (!PclsLookup) object_not_set(Name());
  return *PclsLookup;
}

host::DecodeService& RangeDialog::decode() {
  if (!PclsDecode) object_not_set(Name());
  return *PclsDecode;
}

void RangeDialog::execute(const std::string& sql) {
  if (!GconConnect) object_not_set(Name());
  GconConnect->Execute(sql, host::kAdCmdText | host::kAdExecuteNoRecords);
}

std::int16_t RangeDialog::next_count(std::int16_t count) {
  return runtime::round_to_int(count + 1.0);
}

std::string RangeDialog::in_list(const std::vector<Date>& days) {
  std::string list;
  for (const Date& day : days) list += date_literal(day) + ", ";
  // The last separator goes; an empty list has none to remove.
  if (list.size() < 2)
    throw runtime::Error(runtime::err::kInvalidArgument, "Invalid procedure call or argument", Name());
  list.resize(list.size() - 2);
  return list;
}

std::shared_ptr<host::Recordset> RangeDialog::open_query(const std::string& sql) {
  if (!record_service_) record_service_ = create<host::RecordService>(host::progid::kRecordService);
  auto rs = record_service_->NewRecordset();
  if (!GconConnect) object_not_set(Name());
  rs->Open(sql, GconConnect, host::kAdOpenUnspecified, host::kAdLockUnspecified, host::kAdCmdText);
  return rs;
}

}  // namespace calendatt
