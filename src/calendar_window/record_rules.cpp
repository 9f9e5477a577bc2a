// The rules of single-day editing, checked in the record frame's events, and the duration fields.
#include "calendar_window/frmpd_calendatt.hpp"
#include "common/mdlpd_calendatt.hpp"

namespace calendatt {

namespace mdl = MDLPD_CALENDATT;
using runtime::ErrorTrap;
using runtime::Variant;

void FRMPD_CALENDATT::bind_frame_events() {
  FME_CALENDATT->BeforeAddNew = [this](bool& c) { FME_CALENDATT_BeforeAddNew(c); };
  FME_CALENDATT->BeforeUpdate = [this](bool& c) { FME_CALENDATT_BeforeUpdate(c); };
  FME_CALENDATT->BeforeDelete = [this](bool& c) { FME_CALENDATT_BeforeDelete(c); };
  FME_CALENDATT->AfterUpdate = [this](std::int32_t r) { FME_CALENDATT_AfterUpdate(r); };
  FME_CALENDATT->AfterDelete = [this](std::int32_t r) { FME_CALENDATT_AfterDelete(r); };
  FME_CALENDATT->ChangeStatus = [this](std::int32_t s, std::int32_t r) { FME_CALENDATT_ChangeStatus(s, r); };
}

void FRMPD_CALENDATT::FME_CALENDATT_BeforeAddNew(bool& fbol_Cancel) {
  if (!is_called_) return;
  GeneraQuerySQL();
  GrstCheck = GclsRecordCheck->NewRecordset();
  GrstCheck->Open(GstrSqlquery, GconConnect, host::kAdOpenUnspecified, host::kAdLockUnspecified,
                  host::kAdCmdText);
  if (GrstCheck->RecordCount() >= 1) {
    MostraMessaggio("Pianificazione già esistente per la data corrente", 77192, 48, current_caption());
    fbol_Cancel = true;
  }
  GrstCheck->Close();
}

void FRMPD_CALENDATT::FME_CALENDATT_BeforeUpdate(bool& fbol_Cancel) {
  ErrorTrap trap(*this, "FME_CALENDATT_BeforeUpdate");
  auto unset = [](const Variant& v) { return runtime::is_blank(v) || v.to_double() == 0; };
  auto text = [this](const char* name) { return control<host::TextControl>(name)->Text(); };
  // A new row reaches the database only checked and written in full: a step that failed, whether the
  // routine then left or went on past it, keeps the row back. A row that cannot be read counts as new.
  bool new_row = true;
  struct KeepBack {
    bool& cancel;
    const bool& new_row;
    const ErrorTrap& trap;
    ~KeepBack() {
      if (new_row && trap.incomplete()) cancel = true;
    }
  } keep_back{fbol_Cancel, new_row, trap};
  if (!trap.step([&] {
        new_row = unset(GrstRecordSet->Field("PD4G_IDDISBAPROG_PD0G")) ||
                  unset(GrstRecordSet->Field("PD4G_IDLEGAME_PD0H"));
      }))
    return;
  if (new_row) {
    bool refused = false;
    if (!trap.step([&] {
          if (mdl::pIDDisBaProgWBS == 0 || mdl::pIDLegameWBS == 0) {
            if (runtime::is_blank(Variant(text("TXT_CODPROG"))) ||
                runtime::is_blank(Variant(text("TXT_CODNODO"))) ||
                runtime::is_blank(Variant(text("TXT_CODATTIVITA"))))
              MostraMessaggio("E' necessario impostare i campi progetto, nodo e attività", 77196, 16,
                              current_caption());
            else
              MostraMessaggio("Codice attività non trovato per il progetto/nodo", 77197, 16,
                              current_caption());
            refused = true;
          }
        }))
      return;
    if (!refused && !trap.step([&] {
          runtime::Date day = Variant(text("TXT_DATA")).to_date();
          if (day < Variant(mdl::pDataInizioWBS).to_date() || day > Variant(mdl::pDataFineWBS).to_date()) {
            MostraMessaggio("La data selezionata non rientra nel periodo di pianificazione dell'attività",
                            77198, 64, current_caption());
            refused = true;
          }
        }))
      return;
    if (refused) {
      fbol_Cancel = true;
      return;
    }
  }
  auto duration = [&](const char* name) { return mdl::ValoreSeVuoto(Variant(text(name)), Variant(0)); };
  if (!trap.step([&] { GrstRecordSet->SetField("PD4G_DITTA_CG18", global()->Company()); })) return;
  if (!trap.step([&] {
        if (unset(GrstRecordSet->Field("PD4G_IDDISBAPROG_PD0G")))
          GrstRecordSet->SetField("PD4G_IDDISBAPROG_PD0G", Variant(mdl::pIDDisBaProgWBS));
      }))
    return;
  if (!trap.step([&] {
        if (unset(GrstRecordSet->Field("PD4G_IDLEGAME_PD0H")))
          GrstRecordSet->SetField("PD4G_IDLEGAME_PD0H", Variant(mdl::pIDLegameWBS));
      }))
    return;
  if (!trap.step([&] { GrstRecordSet->SetField("PD4G_DATAATTIVITA", Variant(text("TXT_DATA"))); })) return;
  if (!trap.step([&] {
        runtime::Date day = GrstRecordSet->Field("PD4G_DATAATTIVITA").to_date();
        GrstRecordSet->SetField("PD4G_ANNOATTIVITA", Variant(static_cast<std::int32_t>(day.year())));
        GrstRecordSet->SetField("PD4G_MESEATTIVITA", Variant(static_cast<std::int32_t>(day.month())));
        GrstRecordSet->SetField("PD4G_GGATTIVITA", Variant(static_cast<std::int32_t>(day.day())));
      }))
    return;
  if (!trap.step([&] {
        GrstRecordSet->SetField("PD4G_ORAINIZIO", Variant(0));
        GrstRecordSet->SetField("PD4G_MININIZIO", Variant(0));
      }))
    return;
  if (!trap.step([&] {
        GrstRecordSet->SetField("PD4G_ORAFINE", duration("TXT_ORE"));
        GrstRecordSet->SetField("PD4G_MINFINE", duration("TXT_MINUTI"));
      }))
    return;
  trap.step([&] {
    GrstRecordSet->SetField("PD4G_DURATAORE", duration("TXT_ORE"));
    GrstRecordSet->SetField("PD4G_DURATAMINUTI", duration("TXT_MINUTI"));
  });
}

void FRMPD_CALENDATT::FME_CALENDATT_BeforeDelete(bool& fbol_Cancel) {
  runtime::suppressed([&] {
    Variant id = GrstRecordSet->Field("PD4G_IDCALENDARIO");
    std::string id_text = runtime::is_blank(id) ? "0" : runtime::number_text(id.to_double());
    auto rs = GconConnect->Execute(
        "SELECT TOP 1 1 FROM PD4H_ALLRISPROG WHERE PD4H_IDCALENDARIO_PD4G = " + id_text, host::kAdCmdText);
    if (rs && !rs->Eof()) {
      MostraMessaggio("Esistono risorse allocate: impossibile eliminare il record.", 77193, 64,
                      current_caption());
      fbol_Cancel = true;
    }
  });
}

void FRMPD_CALENDATT::FME_CALENDATT_AfterUpdate(std::int32_t fenm_operationresult) {
  if (fenm_operationresult != -1) return;
  if (GobjThisClass) GobjThisClass->let_ModificatoDati(true);
  Requery();
}

void FRMPD_CALENDATT::FME_CALENDATT_AfterDelete(std::int32_t fenm_operationresult) {
  if (fenm_operationresult == -1 && GobjThisClass) GobjThisClass->let_ModificatoDati(true);
}

void FRMPD_CALENDATT::FME_CALENDATT_ChangeStatus(std::int32_t fenm_status, std::int32_t) {
  ErrorTrap trap(*this, "FME_CALENDATT_ChangeStatus");
  auto text = [](const Variant& v) { return runtime::is_blank(v) ? std::string() : v.to_string(); };
  auto set = [&](const char* name, const std::string& value) {
    control<host::TextControl>(name)->set_Text(value);
  };
  auto enable = [&](const char* name, bool on) { control<host::Control>(name)->set_Enabled(on); };
  if (fenm_status == host::RecordFrame::kStatusStored) {
    std::shared_ptr<host::Grid> grid;
    if (!trap.step([&] {
          grid = control<host::Grid>("GRID_CALENDATT");
          set("TXT_CODPROG", text(grid->CurrentValue("PD4G_IDDISBAPROG_PD68")));
          set("TXT_CODNODO", text(grid->CurrentValue("PD4G_IDDISBAPROG_PD0C")));
          set("TXT_CODATTIVITA", text(grid->CurrentValue("PD4G_IDLEGAME_PD0D")));
        }))
      return;
    if (!trap.step([&] {
          set("TXT_DATA", text(grid->CurrentValue("PD4G_DATAATTIVITA")));
          set("TXT_ORE", text(grid->CurrentValue("PD4G_DURATAORE")));
          set("TXT_MINUTI", text(grid->CurrentValue("PD4G_DURATAMINUTI")));
        }))
      return;
    if (!trap.step([&] {
          set("TXT_DATAINIZ", text(grid->CurrentValue("PD4G_IDLEGAME_INI")));
          set("TXT_DATAFIN", text(grid->CurrentValue("PD4G_IDLEGAME_FIN")));
        }))
      return;
    if (!trap.step([&] {
          mdl::pDataInizioWBS = control<host::TextControl>("TXT_DATAINIZ")->Text();
          mdl::pDataFineWBS = control<host::TextControl>("TXT_DATAFIN")->Text();
        }))
      return;
    trap.step([&] {
      enable("TXT_CODPROG", false);
      enable("TXT_CODNODO", false);
      enable("TXT_CODATTIVITA", false);
      enable("TXT_ORE", true);
      enable("TXT_MINUTI", true);
    });
  } else if (fenm_status == host::RecordFrame::kStatusNew) {
    if (!trap.step([&] {
          set("TXT_CODPROG", mdl::pCodProgetto);
          set("TXT_CODNODO", mdl::pCodNodo);
          set("TXT_CODATTIVITA", mdl::pCodAttivita);
        }))
      return;
    if (!trap.step([&] {
          if (!is_called_) {
            enable("TXT_CODPROG", true);
            enable("TXT_CODNODO", true);
            enable("TXT_CODATTIVITA", true);
            set("TXT_DATAINIZ", "");
            set("TXT_DATAFIN", "");
            mdl::pDataInizioWBS.clear();
            mdl::pDataFineWBS.clear();
          } else {
            set("TXT_DATAINIZ", mdl::pDataInizioWBS);
            set("TXT_DATAFIN", mdl::pDataFineWBS);
          }
        }))
      return;
    trap.step([&] {
      set("TXT_DATA", text(current_day_));
      set("TXT_ORE", "");
      set("TXT_MINUTI", "");
      enable("TXT_ORE", true);
      enable("TXT_MINUTI", true);
    });
  }
}

bool FRMPD_CALENDATT::Update() {
  bool saved = false;
  runtime::suppressed([&] { saved = FME_CALENDATT->Save(true, 0, true) == 0; });
  return saved;
}

void FRMPD_CALENDATT::duration_validate(bool hours_field, bool& Cancel) {
  ErrorTrap trap(*this, hours_field ? "TXT_ORE_Validate" : "TXT_MINUTI_Validate");
  auto hours = control<host::TextControl>("TXT_ORE");
  auto minutes = control<host::TextControl>("TXT_MINUTI");
  std::string h, m;
  bool ok = false;
  if (!trap.step([&] {
        h = runtime::is_blank(Variant(hours->Text())) ? "00" : hours->Text();
        m = runtime::is_blank(Variant(minutes->Text())) ? "00" : minutes->Text();
      }))
    return;
  if (!trap.step([&] { ok = CheckFormatoORE(h, m); })) return;
  auto own = hours_field ? hours : minutes;
  trap.step([&] {
    if (ok) {
      own->set_Text(hours_field ? h : m);
    } else {
      own->SelectText();
      own->SetFocus();
      Cancel = true;
    }
  });
}

void FRMPD_CALENDATT::TXT_ORE_Validate(bool& Cancel) {
  duration_validate(true, Cancel);
}
void FRMPD_CALENDATT::TXT_MINUTI_Validate(bool& Cancel) {
  duration_validate(false, Cancel);
}

}  // namespace calendatt
