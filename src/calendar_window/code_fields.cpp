// The project, node and activity code fields of the calendar window: lookup and decode preparation,
// lookup results, maintenance programs, and the validation of the completed triple.
#include "calendar_window/frmpd_calendatt.hpp"
#include "common/code_field_support.hpp"
#include "common/mdlpd_calendatt.hpp"
#include "host/registry.hpp"

namespace calendatt {

namespace mdl = MDLPD_CALENDATT;
using runtime::ErrorTrap;
using runtime::Variant;

std::string FRMPD_CALENDATT::code_text(const char* name) {
  return mdl::ValoreSeVuoto(Variant(control<host::TextControl>(name)->Text()), Variant("")).to_string();
}

void FRMPD_CALENDATT::TXT_CODPROG_TextChange() {
  if (code_text("TXT_CODPROG").empty()) {
    control<host::TextControl>("TXT_CODNODO")->set_Text("");
    control<host::TextControl>("TXT_CODATTIVITA")->set_Text("");
  }
}

void FRMPD_CALENDATT::TXT_CODNODO_TextChange() {
  if (code_text("TXT_CODNODO").empty()) control<host::TextControl>("TXT_CODATTIVITA")->set_Text("");
}

void FRMPD_CALENDATT::TXT_CODPROG_StartLookup(bool& Cancel, std::string& TextA, Variant& ValueB,
                                              std::string& TextC, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODPROG_StartLookup");
  trap.step([&] {
    Cancel = false;
    PclsLookup->PrepareProjectLookup(0, 0, 0, 0, 2, Variant());
    code_field_support::read_lookup(*PclsLookup, TextA, ValueB, TextC, Connection, GstrConnect,
                                    *control<host::CodeEdit>("TXT_CODPROG"));
  });
}

void FRMPD_CALENDATT::TXT_CODNODO_StartLookup(bool& Cancel, std::string& TextA, Variant& ValueB,
                                              std::string& TextC, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODNODO_StartLookup");
  trap.step([&] {
    Cancel = false;
    PclsLookup->PrepareNodeLookup(Variant(), Variant(), control<host::TextControl>("TXT_CODPROG")->Text());
    code_field_support::read_lookup(*PclsLookup, TextA, ValueB, TextC, Connection, GstrConnect,
                                    *control<host::CodeEdit>("TXT_CODNODO"));
  });
}

void FRMPD_CALENDATT::TXT_CODATTIVITA_StartLookup(bool& Cancel, std::string& TextA, Variant& ValueB,
                                                  std::string& TextC, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODATTIVITA_StartLookup");
  trap.step([&] {
    Cancel = false;
    PclsLookup->PrepareActivityLookup(control<host::TextControl>("TXT_CODPROG")->Text(),
                                      control<host::TextControl>("TXT_CODNODO")->Text(), Variant());
    code_field_support::read_lookup(*PclsLookup, TextA, ValueB, TextC, Connection, GstrConnect,
                                    *control<host::CodeEdit>("TXT_CODATTIVITA"));
  });
}

void FRMPD_CALENDATT::TXT_CODPROG_StartDecode(std::string& TextA, Variant& ValueB, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODPROG_StartDecode");
  trap.step([&] {
    PclsDecode->PrepareProjectDecode(control<host::TextControl>("TXT_CODPROG")->Text(),
                                     control<host::Control>("TXT_DESPROG"), 0, 0, 0, 0, 2);
    TextA = PclsDecode->TextA();
    ValueB = PclsDecode->ValueB();
    Connection = GstrConnect;
  });
}

void FRMPD_CALENDATT::TXT_CODNODO_StartDecode(std::string& TextA, Variant& ValueB, std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODNODO_StartDecode");
  trap.step([&] {
    PclsDecode->PrepareNodeDecode(control<host::TextControl>("TXT_CODPROG")->Text(),
                                  control<host::TextControl>("TXT_CODNODO")->Text(),
                                  control<host::Control>("TXT_DESNODO"));
    TextA = PclsDecode->TextA();
    ValueB = PclsDecode->ValueB();
    Connection = GstrConnect;
  });
}

void FRMPD_CALENDATT::TXT_CODATTIVITA_StartDecode(std::string& TextA, Variant& ValueB,
                                                  std::string& Connection) {
  ErrorTrap trap(*this, "TXT_CODATTIVITA_StartDecode");
  trap.step([&] {
    PclsDecode->PrepareActivityDecode(control<host::TextControl>("TXT_CODPROG")->Text(),
                                      control<host::TextControl>("TXT_CODATTIVITA")->Text(),
                                      control<host::Control>("TXT_DESATTIVITA"));
    TextA = PclsDecode->TextA();
    ValueB = PclsDecode->ValueB();
    Connection = GstrConnect;
  });
}

void FRMPD_CALENDATT::TXT_CODPROG_CloseLookup(const Variant& row) {
  ErrorTrap trap(*this, "TXT_CODPROG_CloseLookup");
  if (row.is_empty()) return;
  trap.step([&] { control<host::TextControl>("TXT_DESPROG")->set_Text(row.array()->at(1, 1).to_string()); });
}

void FRMPD_CALENDATT::TXT_CODNODO_CloseLookup(const Variant& row) {
  ErrorTrap trap(*this, "TXT_CODNODO_CloseLookup");
  if (row.is_empty()) return;
  trap.step([&] { control<host::TextControl>("TXT_DESNODO")->set_Text(row.array()->at(1, 1).to_string()); });
}

void FRMPD_CALENDATT::TXT_CODATTIVITA_CloseLookup(const Variant& row) {
  ErrorTrap trap(*this, "TXT_CODATTIVITA_CloseLookup");
  if (row.is_empty()) return;
  if (!trap.step([&] {
        control<host::TextControl>("TXT_DESATTIVITA")->set_Text(row.array()->at(1, 1).to_string());
      }))
    return;
  if (!trap.step([&] {
        if (code_text("TXT_CODNODO").empty())
          control<host::TextControl>("TXT_CODNODO")->set_Text(row.array()->at(1, 2).to_string());
      }))
    return;
  if (!trap.step([&] { mdl::pIDDisBaProgWBS = row.array()->at(1, 5).to_double(); })) return;
  if (!trap.step([&] { mdl::pIDLegameWBS = row.array()->at(1, 6).to_double(); })) return;
  // A choice made in the lookup that a validation opened is accepted by the next validation.
  if (lookup_from_validate_) accept_lookup_choice_ = true;
}

void FRMPD_CALENDATT::after_maintenance(ErrorTrap& trap, bool project) {
  if (!trap.step([&] { ActiveInterface->let_Cinterface_IsActive(true); })) return;
  if (project) {
    if (!trap.step([&] {
          PclsConnectProd->set_Interface(nullptr);
          PclsConnectProd->Close();
          PclsConnectProd->TransferData = nullptr;
          PclsConnectProd.reset();
        }))
      return;
  } else {
    if (!trap.step([&] {
          PclsConnectProg->set_Interface(nullptr);
          PclsConnectProg->Close();
          PclsConnectProg.reset();
        }))
      return;
  }
  if (!trap.step([&] { global()->ReleaseInterface(ActiveInterface.shared()); })) return;
  trap.step([&] { navigator()->OpenProgram(); });
}

void FRMPD_CALENDATT::TXT_CODPROG_KeyButtonMenuPress(const Variant& key) {
  ErrorTrap trap(*this, "TXT_CODPROG_KeyButtonMenuPress");
  if (!code_field_support::is_maintenance_key(key)) return;
  if (!trap.step([&] {
        if (!PclsConnectProd) {
          PclsConnectProd =
              host::Registry::instance().create_as<host::MaintenanceProd>(host::progid::kMaintenanceProd);
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
  after_maintenance(trap, true);
}

void FRMPD_CALENDATT::TXT_CODNODO_KeyButtonMenuPress(const Variant& key) {
  ErrorTrap trap(*this, "TXT_CODNODO_KeyButtonMenuPress");
  if (!code_field_support::is_maintenance_key(key)) return;
  if (!trap.step([&] {
        if (!PclsConnectProg)
          PclsConnectProg =
              host::Registry::instance().create_as<host::MaintenanceProg>(host::progid::kMaintenanceProg);
        PclsConnectProg->set_Interface(ActiveInterface);
        PclsConnectProg->set_Control(control<host::Control>("TXT_CODNODO"));
        PclsConnectProg->set_NodeCode(control<host::TextControl>("TXT_CODNODO")->Text());
        PclsConnectProg->set_ProjectCode(control<host::TextControl>("TXT_CODPROG")->Text());
        PclsConnectProg->OpenNodeMaintenance();
      }))
    return;
  after_maintenance(trap, false);
}

void FRMPD_CALENDATT::TXT_CODATTIVITA_KeyButtonMenuPress(const Variant& key) {
  ErrorTrap trap(*this, "TXT_CODATTIVITA_KeyButtonMenuPress");
  if (!code_field_support::is_maintenance_key(key)) return;
  if (!trap.step([&] {
        if (!PclsConnectProg)
          PclsConnectProg =
              host::Registry::instance().create_as<host::MaintenanceProg>(host::progid::kMaintenanceProg);
        PclsConnectProg->set_Interface(ActiveInterface);
        PclsConnectProg->set_Control(control<host::Control>("TXT_CODATTIVITA"));
        PclsConnectProg->set_ActivityCode(control<host::TextControl>("TXT_CODATTIVITA")->Text());
        PclsConnectProg->set_ProjectCode(control<host::TextControl>("TXT_CODPROG")->Text());
        PclsConnectProg->set_NodeCode(control<host::TextControl>("TXT_CODNODO")->Text());
        PclsConnectProg->OpenActivityMaintenance();
      }))
    return;
  after_maintenance(trap, false);
}

void FRMPD_CALENDATT::TXT_CODPROG_Validate(bool& Cancel) {
  code_validate(CodeField::kProject, Cancel);
}
void FRMPD_CALENDATT::TXT_CODNODO_Validate(bool& Cancel) {
  code_validate(CodeField::kNode, Cancel);
}
void FRMPD_CALENDATT::TXT_CODATTIVITA_Validate(bool& Cancel) {
  code_validate(CodeField::kActivity, Cancel);
}

void FRMPD_CALENDATT::code_validate(CodeField field, bool& Cancel) {
  static const char* const kRoutine[] = {"TXT_CODPROG_Validate", "TXT_CODNODO_Validate",
                                         "TXT_CODATTIVITA_Validate"};
  static const char* const kField[] = {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"};
  ErrorTrap trap(*this, kRoutine[static_cast<int>(field)]);
  if (GblnValidating) return;
  // The re-entry guard and the lookup opened from a validation. While that lookup is open the guard stays
  // set, so that validations the lookup raises are turned away. It is cleared as soon as the lookup
  // returns, in all three handlers; the next validation then accepts the row chosen in the lookup without
  // a new search (a search would find the same several rows and ask again), and every later validation
  // checks as usual. A lookup closed without a choice leaves nothing to accept.
  if (accept_lookup_choice_) {
    accept_lookup_choice_ = false;
    return;
  }
  GblnValidating = true;
  std::string project, node, activity;
  bool stop = false;
  if (!trap.step([&] {
        project = code_text("TXT_CODPROG");
        node = code_text("TXT_CODNODO");
        activity = code_text("TXT_CODATTIVITA");
      }))
    return;
  if (field != CodeField::kActivity) {
    if (!trap.step([&] {
          auto own = control<host::CodeEdit>(kField[static_cast<int>(field)]);
          if (!code_text(kField[static_cast<int>(field)]).empty() && !own->DecodeOk()) {
            Cancel = true;
            GblnValidating = false;
            stop = true;
          }
        }))
      return;
    if (stop) return;
  }
  if (project.empty() || node.empty() || activity.empty()) {
    GblnValidating = false;
    return;
  }
  std::int16_t rows = 0;
  bool resolved = false;
  if (!trap.step([&] {
        resolved = TrovaIDAttivitaWBS(GconConnect.shared(), runtime::round_to_int(ditta_), project, node,
                                      activity, &rows);
      }))
    return;
  if (!resolved) {
    if (rows <= 0) {
      if (!trap.step([&] {
            if (field != CodeField::kActivity)
              MostraMessaggio("Codice attività non trovato per il progetto/nodo !", 77197, 16,
                              current_caption());
            else if (mdl::pIDDisBaProgWBS != 0 && mdl::pIDLegameWBS != 0)
              MostraMessaggio("Codice attività senza date di pianificazione in WBS", 77200, 16,
                              current_caption());
            else
              MostraMessaggio("Codice attività non trovato per il progetto/nodo", 77197, 16,
                              current_caption());
            Cancel = true;
          }))
        return;
    } else {
      std::int32_t answer = 0;
      if (!trap.step([&] {
            answer = MostraMessaggio(code_field_support::kManyRowsQuestion, 77199, 1, current_caption());
            Cancel = true;
          }))
        return;
      if (answer == 1) {
        trap.step([&] {
          lookup_from_validate_ = true;
          control<host::CodeEdit>("TXT_CODATTIVITA")->OpenLookup();
        });
        lookup_from_validate_ = false;
        GblnValidating = false;
        return;
      }
    }
    GblnValidating = false;
    return;
  }
  // The day check: the activity must not be planned yet on the current day.
  if (!trap.step([&] {
        std::string sql =
            std::string(" SELECT PD4G_CALENDATT.* ") + " FROM PD4G_CALENDATT " +
            " WHERE PD4G_DITTA_CG18 = " + std::to_string(ditta_) + " AND PD4G_DATAATTIVITA = " +
            mdl::ValoreSeVuoto(FormatoDB(current_day_, 3, false), Variant("''")).to_string() +
            " AND PD4G_IDDISBAPROG_PD0G = " +
            mdl::ValoreSeVuoto(Variant(runtime::number_text(mdl::pIDDisBaProgWBS)), Variant(0)).to_string() +
            " AND PD4G_IDLEGAME_PD0H = " +
            mdl::ValoreSeVuoto(Variant(runtime::number_text(mdl::pIDLegameWBS)), Variant(0)).to_string();
        if (GrstCheck) {
          if (GrstCheck->State() == host::kAdStateOpen) GrstCheck->Close();
          GrstCheck.reset();
        }
        GrstCheck = GclsRecordCheck->NewRecordset();
        GrstCheck->Open(sql, GconConnect, host::kAdOpenUnspecified, host::kAdLockUnspecified,
                        host::kAdCmdText);
      }))
    return;
  if (!trap.step([&] {
        if (GrstCheck->RecordCount() >= 1) {
          MostraMessaggio("Pianificazione già esistente per la data corrente", 77192, 48, current_caption());
          Cancel = true;
        } else {
          if (field == CodeField::kActivity) {
            control<host::TextControl>("TXT_DATAINIZ")->set_Text(mdl::pDataInizioWBS);
            control<host::TextControl>("TXT_DATAFIN")->set_Text(mdl::pDataFineWBS);
          }
          control<host::Control>("TXT_CODPROG")->set_Enabled(false);
          control<host::Control>("TXT_CODNODO")->set_Enabled(false);
          control<host::Control>("TXT_CODATTIVITA")->set_Enabled(false);
        }
        GrstCheck->Close();
      }))
    return;
  GblnValidating = false;
}

}  // namespace calendatt
