// The layout of the calendar window: its controls with their design values.
#include "calendar_window/frmpd_calendatt.hpp"
#include "common/code_field_support.hpp"

namespace calendatt {

namespace {

using code_field_support::description_field;
using runtime::Variant;

// The window's code fields are not bound to frame fields.
host::ControlDesign code_field(const char* name, const char* caption, const char* dbfield, bool qbe) {
  host::ControlDesign design = code_field_support::code_field(name, caption, dbfield, qbe);
  design.settings["isdbfield"] = Variant(false);
  return design;
}

}  // namespace

host::FormDesign FRMPD_CALENDATT::design() {
  host::FormDesign d;
  d.name = "FRMPD_CALENDATT";
  d.caption = "Calendario attività WBS";
  auto node = code_field("TXT_CODNODO", "Codice Nodo", "PD4G_IDDISBAPROG_PD0C", true);
  node.settings["txtgestione"] = Variant("Qualifiche");
  node.settings["autonextfield"] = Variant(false);
  d.controls = {
      {host::kind::kToolbarButton, "BTN_INSMULTIPLO", "&Ins./mod. multipla", {{"popup", false}}},
      {host::kind::kToolbarButton, "BTN_CANCMULTIPLA", "&Canc. multipla", {{"popup", false}}},
      {host::kind::kResize, "KVO_RESIZEFORM1", "", {}},
      {host::kind::kMdiContainer, "MDIActiveX1", "", {{"borderstyle", std::int32_t{0}}}},
      {host::kind::kGridNavigator,
       "GRIDNAV",
       "",
       {{"first", false}, {"previous", false}, {"next", false}, {"last", false}, {"open", false}}},
      {host::kind::kGrid, "GRID_CALENDATT", "", {}},
      {host::kind::kCalendar, "KVO_CALENDARIO", "", {{"firstdayofweek", std::int32_t{2}}}},
      {host::kind::kLabel, "LBL_PROGETTO", "Progetto", {}},
      {host::kind::kLabel, "LBL_NODO", "Nodo", {}},
      {host::kind::kLabel, "LBL_ATTIVITA", "Attività", {}},
      code_field("TXT_CODPROG", "Codice Progetto", "PD4G_CODPROG_PD68", true),
      description_field("TXT_DESPROG", "Descrizione progetto"),
      node,
      description_field("TXT_DESNODO", "Descrizione nodo"),
      code_field("TXT_CODATTIVITA", "Codice Attività", "PD4G_CODATTIVITA_PD0D", false),
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
      {host::kind::kLabel, "LBL_DATA", "Data", {}},
      {host::kind::kDateEdit,
       "TXT_DATA",
       "Data",
       {{"enabled", false}, {"obbligatorio", true}, {"dbfield", "PD4G_DATAATTIVITA"}, {"isdbfield", false}}},
      {host::kind::kLabel, "LBL_ORE", "Ore /  Minuti", {}},
      {host::kind::kCodeEdit,
       "TXT_ORE",
       "Durata Attività (ORE)",
       {{"maxchar", std::int32_t{2}}, {"obbligatorio", true}, {"displayformat", "Qualsiasi"}}},
      {host::kind::kCodeEdit,
       "TXT_MINUTI",
       "Durata Attività (MINUTI)",
       {{"maxchar", std::int32_t{2}}, {"obbligatorio", true}, {"displayformat", "Qualsiasi"}}},
  };
  return d;
}

}  // namespace calendatt
