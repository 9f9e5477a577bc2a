// The calendar query, the grid's columns, the record binding, and the grid's and calendar's events.
#include "calendar_window/frmpd_calendatt.hpp"
#include "common/mdlpd_calendatt.hpp"
#include "host/registry.hpp"

namespace calendatt {

namespace mdl = MDLPD_CALENDATT;
using runtime::ErrorTrap;
using runtime::suppressed;
using runtime::Variant;

namespace {
const std::string kCrLf = "\r\n";
}

void FRMPD_CALENDATT::GeneraQuerySQL() {
  ErrorTrap trap(*this, "GeneraQuerySQL");
  std::string d, n, l, s, e;
  if (!trap.step(
          [&] { d = mdl::ValoreSeVuoto(FormatoDB(current_day_, 3, false), Variant("''")).to_string(); }))
    return;
  if (!trap.step([&] {
        n = mdl::ValoreSeVuoto(Variant(runtime::number_text(mdl::pIDDisBaProgWBS)), Variant(0)).to_string();
      }))
    return;
  if (!trap.step([&] {
        l = mdl::ValoreSeVuoto(Variant(runtime::number_text(mdl::pIDLegameWBS)), Variant(0)).to_string();
      }))
    return;
  if (!trap.step([&] {
        s = mdl::ValoreSeVuoto(FormatoDB(Variant(mdl::pDataInizioWBS), 3, false), Variant("''")).to_string();
      }))
    return;
  if (!trap.step([&] {
        e = mdl::ValoreSeVuoto(FormatoDB(Variant(mdl::pDataFineWBS), 3, false), Variant("''")).to_string();
      }))
    return;
  trap.step([&] {
    GstrSqlquery =
        " SELECT PD4G_CALENDATT.*, " + kCrLf +
        " PD4G_IDDISBAPROG_PD0G AS PD4G_IDDISBAPROG_PD68, PD4G_IDDISBAPROG_PD0G AS PD4G_IDDISBAPROG_PD0C, "
        "PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_PD0D, " +
        " PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_INI, PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_FIN " +
        " FROM PD4G_CALENDATT " + " WHERE PD4G_DITTA_CG18 = " + std::to_string(ditta_) +
        " AND (PD4G_DATAATTIVITA = " + d + " OR " + d + "='') " + " AND (PD4G_IDDISBAPROG_PD0G = " + n +
        " OR " + n + "=0) " + " AND (PD4G_IDLEGAME_PD0H = " + l + " OR " + l + "=0) " +
        " AND (PD4G_DATAATTIVITA>= " + s + " OR " + s + "='') " + " AND (PD4G_DATAATTIVITA<= " + e + " OR " +
        e + "='') ";
  });
}

bool FRMPD_CALENDATT::InitQGrid() {
  ErrorTrap trap(*this, "InitQGrid");
  std::shared_ptr<host::GridDefinition> definition;
  std::shared_ptr<host::Grid> grid;
  auto caption = [&](const char* text, std::int32_t number) {
    return TraduciMessaggio(text, number, std::nullopt, 0);
  };
  if (!trap.step([&] {
        grid = control<host::Grid>("GRID_CALENDATT");
        definition =
            host::Registry::instance().create_as<host::GridDefinition>(host::progid::kGridDefinition);
        definition->set_Flag(true);
        definition->set_Recordset(nullptr);
        definition->set_Interface(ActiveInterface);
        definition->set_KeyColumn("PD4G_IDCALENDARIO");
        definition->set_Identity(Name() + "." + "GRID_CALENDATT");
      }))
    return false;
  if (!trap.step([&] {
        grid->BeginDefinition();
        grid->set_Definition(definition);
      }))
    return false;
  if (!trap.step([&] {
        grid->set_Option(0);
        grid->set_Flags(true, true);
        grid->set_Title("Griglia calendario attivita WBS");
      }))
    return false;
  const std::string company = std::to_string(ditta_);
  const std::string period_head =
      "SELECT PD0H_IDLEGAME, " + kCrLf +
      " CASE WHEN (PD0H_DATAINIZPIAN IS NOT NULL) OR (PD0H_DATAFINPIAN IS NOT NULL) " + kCrLf;
  if (!trap.step([&] {
        grid->AddLookupColumn("PD4G_IDDISBAPROG_PD68",
                              std::string("SELECT PD0G_IDDISBAPROG, PD0G_CODPROG_PD68 ") +
                                  "FROM PD0G_DISBAPROG " + "WHERE PD0G_DITTA_CG18=" + company,
                              caption("Codice Progetto", 13282), 2000, true);
        grid->AddLookupColumn("PD4G_IDDISBAPROG_PD0C",
                              std::string("SELECT PD0G_IDDISBAPROG, PD0G_CODNODO_PD0C ") +
                                  "FROM PD0G_DISBAPROG " + "WHERE PD0G_DITTA_CG18=" + company,
                              caption("Codice Nodo", 13151), 2000, true);
        grid->AddLookupColumn(
            "PD4G_IDLEGAME_PD0D",
            std::string("SELECT PD0H_IDLEGAME, PD0H_CODATTIVITA_PD0D ") + "FROM PD0H_LEGDISBAPROG ",
            caption("Codice Attività", 12104), 2000, true);
        grid->AddColumn("PD4G_DATAATTIVITA", caption("Data", 17778), 1, 1050, true);
        grid->AddColumn("PD4G_DURATAORE", caption("Ore", 42732), 1, 500, true);
        grid->AddColumn("PD4G_DURATAMINUTI", caption("Min", 37378), 1, 500, true);
        grid->AddLookupColumn(
            "PD4G_IDLEGAME_INI",
            period_head + "     THEN PD0H_DATAINIZPIAN ELSE PD0H_DATAINIZPREV END AS PD0H_DATAINIZPIAN " +
                kCrLf + " FROM PD0H_LEGDISBAPROG ",
            caption("Inizio attività", 33496), 1200, true);
        grid->AddLookupColumn(
            "PD4G_IDLEGAME_FIN",
            period_head + "     THEN PD0H_DATAFINPIAN ELSE PD0H_DATAFINPREV END AS PD0H_DATAFINPIAN " +
                kCrLf + " FROM PD0H_LEGDISBAPROG ",
            caption("Fine attività", 26959), 1000, true);
      }))
    return false;
  if (!trap.step([&] {
        grid->EndColumns();
        grid->set_ColumnOption("PD4G_DATAATTIVITA", 1);
        grid->set_ColumnOption("PD4G_DURATAORE", 1);
        grid->set_ColumnOption("PD4G_DURATAMINUTI", 1);
        grid->Finalize();
      }))
    return false;
  trap.step([&] { definition.reset(); });
  return !trap.left();
}

void FRMPD_CALENDATT::Requery() {
  ErrorTrap trap(*this, "Requery");
  std::shared_ptr<host::Grid> grid;
  if (!trap.step([&] { ditta_ = global()->Company().to_long(); })) return;
  if (!trap.step([&] { GeneraQuerySQL(); })) return;
  if (!trap.step([&] {
        grid = control<host::Grid>("GRID_CALENDATT");
        grid->DetachRecordset();
        if (grid->AttachedRecordset()) {
          grid->DetachRecordset();
          grid->Reset();
        }
      }))
    return;
  if (!trap.step([&] {
        if (GrstRecordSet) {
          if (GrstRecordSet->State() == host::kAdStateOpen) GrstRecordSet->Close();
          GrstRecordSet.reset();
        }
      }))
    return;
  if (!trap.step([&] {
        if (FME_CALENDATT) {
          auto frame = std::move(FME_CALENDATT);
          FME_CALENDATT.reset();
          frame->Close();
          ActiveInterface->set_Cinterface_ActiveFrame(nullptr);
        }
      }))
    return;
  if (!trap.step([&] { InizializzaVirtualFrame(); })) return;
  trap.step([&] { grid->AttachRecordset(GrstRecordSet); });
}

void FRMPD_CALENDATT::InizializzaVirtualFrame() {
  ErrorTrap trap(*this, "InizializzaVirtualFrame");
  if (!trap.step([&] { GeneraQuerySQL(); })) return;
  if (!trap.step([&] {
        GclsRecord = host::Registry::instance().create_as<host::RecordService>(host::progid::kRecordService);
        GrstRecordSet = GclsRecord->NewRecordset();
      }))
    return;
  if (!trap.step([&] {
        GrstRecordSet->Open(GstrSqlquery, GconConnect, host::kAdOpenUnspecified, host::kAdLockUnspecified,
                            host::kAdCmdText);
      }))
    return;
  if (!trap.step([&] {
        FME_CALENDATT = host::Registry::instance().create_as<host::RecordFrame>(host::progid::kRecordFrame);
        bind_frame_events();
        FME_CALENDATT->Initialize(ActiveInterface.shared(), GconConnect.shared(), GrstRecordSet.shared(),
                                  GstrSqlquery, "", control<host::GridNavigator>("GRIDNAV"),
                                  control<host::Grid>("GRID_CALENDATT"));
      }))
    return;
  if (!trap.step([&] {
        FME_CALENDATT->AddControl(control<host::Control>("TXT_ORE"), Variant());
        FME_CALENDATT->AddControl(control<host::Control>("TXT_MINUTI"), Variant());
      }))
    return;
  if (!trap.step([&] { FME_CALENDATT->set_ProgramMode(ActiveInterface->Cinterface_ProgramMode()); })) return;
  if (!trap.step([&] { ActiveInterface->set_Cinterface_ActiveFrame(FME_CALENDATT); })) return;
  trap.step([&] { AggiornaNavigatore(); });
}

void FRMPD_CALENDATT::GRID_CALENDATT_RowChange() {
  if (!activated_) return;
  auto text = [](const Variant& v) { return runtime::is_blank(v) ? std::string() : v.to_string(); };
  suppressed([&] {
    auto grid = control<host::Grid>("GRID_CALENDATT");
    auto set = [&](const char* name, const std::string& value) {
      control<host::TextControl>(name)->set_Text(value);
    };
    auto enable = [&](const char* name, bool on) { control<host::Control>(name)->set_Enabled(on); };
    if (!runtime::is_blank(grid->CurrentValue("PD4G_IDDISBAPROG_PD68"))) {
      set("TXT_CODPROG", text(grid->CurrentValue("PD4G_IDDISBAPROG_PD68")));
      set("TXT_CODNODO", text(grid->CurrentValue("PD4G_IDDISBAPROG_PD0C")));
      set("TXT_CODATTIVITA", text(grid->CurrentValue("PD4G_IDLEGAME_PD0D")));
      set("TXT_DATA", text(grid->CurrentValue("PD4G_DATAATTIVITA")));
      set("TXT_ORE", text(grid->CurrentValue("PD4G_DURATAORE")));
      set("TXT_MINUTI", text(grid->CurrentValue("PD4G_DURATAMINUTI")));
      set("TXT_DATAINIZ", text(grid->CurrentValue("PD4G_IDLEGAME_INI")));
      set("TXT_DATAFIN", text(grid->CurrentValue("PD4G_IDLEGAME_FIN")));
      mdl::pDataInizioWBS = control<host::TextControl>("TXT_DATAINIZ")->Text();
      mdl::pDataFineWBS = control<host::TextControl>("TXT_DATAFIN")->Text();
      enable("TXT_CODPROG", false);
      enable("TXT_CODNODO", false);
      enable("TXT_CODATTIVITA", false);
      enable("TXT_ORE", true);
      enable("TXT_MINUTI", true);
    } else {
      set("TXT_CODPROG", mdl::pCodProgetto);
      set("TXT_CODNODO", mdl::pCodNodo);
      set("TXT_CODATTIVITA", mdl::pCodAttivita);
      if (is_called_) {
        set("TXT_DATAINIZ", mdl::pDataInizioWBS);
        set("TXT_DATAFIN", mdl::pDataFineWBS);
      } else {
        enable("TXT_CODPROG", true);
        enable("TXT_CODNODO", true);
        enable("TXT_CODATTIVITA", true);
        set("TXT_DATAINIZ", "");
        set("TXT_DATAFIN", "");
        mdl::pDataInizioWBS.clear();
        mdl::pDataFineWBS.clear();
      }
      set("TXT_DATA", text(current_day_));
      enable("TXT_ORE", true);
      enable("TXT_MINUTI", true);
    }
  });
}

void FRMPD_CALENDATT::KVO_CALENDARIO_DateChange(const Variant& previous, const Variant& new_day) {
  ErrorTrap trap(*this, "KVO_CALENDARIO_DateChange");
  std::shared_ptr<host::Calendar> calendar;
  if (!trap.step([&] { calendar = control<host::Calendar>("KVO_CALENDARIO"); })) return;
  if (is_called_) {
    bool refused = false;
    if (!trap.step([&] {
          runtime::Date day = new_day.to_date();
          if (!runtime::is_blank(Variant(mdl::pDataInizioWBS)) &&
              Variant(mdl::pDataInizioWBS).to_date() > day) {
            std::string start = runtime::date_text(Variant(mdl::pDataInizioWBS).to_date());
            MostraMessaggio("Non sono ammesse date inferiori al " + start, 77194, 48, current_caption(),
                            runtime::ParamList{Variant(start)});
            refused = true;
          } else if (!runtime::is_blank(Variant(mdl::pDataFineWBS)) &&
                     Variant(mdl::pDataFineWBS).to_date() < day) {
            std::string end = runtime::date_text(Variant(mdl::pDataFineWBS).to_date());
            MostraMessaggio("Non sono ammesse date superiori al " + end, 77195, 48, current_caption(),
                            runtime::ParamList{Variant(end)});
            refused = true;
          }
          if (refused) calendar->set_Value(previous);
        }))
      return;
    if (refused) return;
  } else {
    mdl::pIDDisBaProgWBS = 0;
    mdl::pIDLegameWBS = 0;
    mdl::pDataInizioWBS.clear();
    mdl::pDataFineWBS.clear();
  }
  trap.step([&] {
    Variant value = calendar->Value();
    if (runtime::is_blank(current_day_) || value.to_string() != current_day_.to_string()) {
      current_day_ = value;
      Requery();
      if (FME_CALENDATT) FME_CALENDATT->set_ProgramMode(0);
    }
  });
}

}  // namespace calendatt
