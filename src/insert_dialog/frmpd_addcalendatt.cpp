#include "insert_dialog/frmpd_addcalendatt.hpp"

#include "common/mdlpd_calendatt.hpp"

namespace calendatt {

namespace mdl = MDLPD_CALENDATT;
using runtime::Date;
using runtime::ErrorTrap;
using runtime::suppressed;
using runtime::Variant;

namespace {

constexpr const char* kKindName = "FRMPD_ADDCALENDATT";
constexpr const char* kCrLf = "\r\n";

// What every statement of one activity's day carries.
struct DayKey {
  std::string company;
  std::string node;
  std::string link;
  std::string literal;
};

// The duration written into a generated day, as the fields hold it.
struct Duration {
  std::string hours;
  std::string minutes;
};

std::string conflict_query(const DayKey& key, const std::string& dates) {
  return std::string(" SELECT PD4G_CALENDATT.* ") + " FROM PD4G_CALENDATT " +
         " WHERE PD4G_DITTA_CG18 = " + key.company + " " + kCrLf +
         " AND PD4G_IDDISBAPROG_PD0G = " + key.node + " AND PD4G_IDLEGAME_PD0H = " + key.link +
         " AND PD4G_DATAATTIVITA IN (" + dates + ")";
}

std::string existence_query(const DayKey& key) {
  return std::string(" SELECT PD4G_CALENDATT.* ") + " FROM PD4G_CALENDATT " +
         " WHERE PD4G_DITTA_CG18 = " + key.company + " " + kCrLf +
         " AND PD4G_IDDISBAPROG_PD0G = " + key.node + " AND PD4G_IDLEGAME_PD0H = " + key.link +
         " AND PD4G_DATAATTIVITA = " + key.literal;
}

std::string insert_statement(const DayKey& key, const Date& day, const Duration& d) {
  return std::string("INSERT INTO PD4G_CALENDATT (") + " PD4G_IDDISBAPROG_PD0G, " + " PD4G_IDLEGAME_PD0H, " +
         " PD4G_DATAATTIVITA, " + " PD4G_ANNOATTIVITA, " + " PD4G_MESEATTIVITA, " + " PD4G_GGATTIVITA, " +
         " PD4G_ORAINIZIO, " + " PD4G_MININIZIO, " + " PD4G_ORAFINE, " + " PD4G_MINFINE, " +
         " PD4G_DURATAORE, " + " PD4G_DURATAMINUTI, " + " PD4G_DITTA_CG18 " + ") " + " VALUES (" + key.node +
         ", " + key.link + ", " + key.literal + ", " + std::to_string(day.year()) + ", " +
         std::to_string(day.month()) + ", " + std::to_string(day.day()) + ", " + "0, " + "0, " + d.hours +
         ", " + d.minutes + ", " + d.hours + ", " + d.minutes + ", " + key.company + ")";
}

// The link id is followed directly by "AND": the database reads the number and the keyword apart.
std::string update_statement(const DayKey& key, const Date& day, const Duration& d) {
  return std::string("UPDATE PD4G_CALENDATT SET ") + " " +
         " PD4G_ANNOATTIVITA=" + std::to_string(day.year()) + ", " +
         " PD4G_MESEATTIVITA=" + std::to_string(day.month()) + ", " +
         " PD4G_GGATTIVITA=" + std::to_string(day.day()) + ", " + " PD4G_ORAINIZIO=0, " +
         " PD4G_MININIZIO=0, " + " PD4G_ORAFINE=" + d.hours + ", " + " PD4G_MINFINE=" + d.minutes + ", " +
         " PD4G_DURATAORE=" + d.hours + ", " + " PD4G_DURATAMINUTI=" + d.minutes +
         " WHERE PD4G_DITTA_CG18  = " + key.company + " " + " AND PD4G_IDDISBAPROG_PD0G = " + key.node +
         " AND PD4G_IDLEGAME_PD0H = " + key.link + "AND PD4G_DATAATTIVITA = " + key.literal;
}

}  // namespace

FRMPD_ADDCALENDATT::FRMPD_ADDCALENDATT()
    : RangeDialog(design(), RangeControls{"FrameIntervallo",
                                          {"TXT_DATAINIZIALE", "TXT_DATAFINALE", "TXT_RIPETIOGNI", "TXT_ORE",
                                           "TXT_MINUTI", "CBO_VARPRESENTI", "BTN_CONFERMA"}}) {
  write_trace(identity_, "INI", kKindName);
}

FRMPD_ADDCALENDATT::~FRMPD_ADDCALENDATT() {
  write_trace(identity_, "TER", kKindName);
}

host::FormDesign FRMPD_ADDCALENDATT::design() {
  host::FormDesign d = shared_design(kKindName, "Inserimento multiplo calendario attività");
  auto more = std::vector<host::ControlDesign>{
      {host::kind::kLabel, "LBL_RIPETIOGNI", "Ripeti ogni", {}},
      {host::kind::kNumericEdit,
       "TXT_RIPETIOGNI",
       "Ripeti ogni",
       {{"obbligatorio", true},
        {"maxchar", std::int32_t{3}},
        {"formatmask", "0"},
        {"min", std::int32_t{1}},
        {"max", std::int32_t{999}}}},
      {host::kind::kLabel, "LBL_GIORNI", "giorni", {}},
      {host::kind::kLabel, "LBL_ORE", "Ore /  Minuti", {}},
      {host::kind::kCodeEdit,
       "TXT_ORE",
       "Durata Attività (ORE)",
       {{"obbligatorio", true}, {"maxchar", std::int32_t{2}}, {"displayformat", "Qualsiasi"}}},
      {host::kind::kCodeEdit,
       "TXT_MINUTI",
       "Durata Attività (MINUTI)",
       {{"obbligatorio", true}, {"maxchar", std::int32_t{2}}, {"displayformat", "Qualsiasi"}}},
      {host::kind::kLabel, "LBL_VARPRESENTI", "Per date già presenti", {}},
      {host::kind::kCombo,
       "CBO_VARPRESENTI",
       "Comportamento variazioni già presenti",
       {{"obbligatorio", true}, {"maxchar", std::int32_t{20}}}},
  };
  d.controls.insert(d.controls.end(), more.begin(), more.end());
  return d;
}

Variant FRMPD_ADDCALENDATT::blank_rule(const Variant& value, const Variant& default_value) {
  return mdl::ValoreSeVuoto(value, default_value);
}

void FRMPD_ADDCALENDATT::fill_lists() {
  auto list = control<host::Combo>("CBO_VARPRESENTI");
  list->Clear();
  list->set_Sorted(false);
  list->AddItem("Annulla operazione");
  list->AddItem("Tralascia");
  list->AddItem("Sovrascrivi");
  list->set_ListIndex(0);
}

void FRMPD_ADDCALENDATT::bind_controls() {
  bind_common_controls();
  auto& s = site();
  host::control_as<host::CodeEdit>(s, "TXT_CODNODO")->Validate = [this](bool& c) { TXT_CODNODO_Validate(c); };
  auto act = host::control_as<host::CodeEdit>(s, "TXT_CODATTIVITA");
  act->PostValidate = [this](bool& c) { TXT_CODATTIVITA_PostValidate(c); };
  act->KeyButtonMenuPress = [this](Variant&, const Variant& key) { activity_maintenance(key, true); };
  host::control_as<host::CodeEdit>(s, "TXT_ORE")->Validate = [this](bool& c) { TXT_ORE_Validate(c); };
  host::control_as<host::CodeEdit>(s, "TXT_MINUTI")->Validate = [this](bool& c) { TXT_MINUTI_Validate(c); };
  host::control_as<host::ToolbarButton>(s, "BTN_CONFERMA")->ButtonClick = [this] {
    BTN_CONFERMA_ButtonClick();
  };
}

void FRMPD_ADDCALENDATT::TXT_CODNODO_Validate(bool& Cancel) {
  bool refused = false;
  suppressed([&] { refused = decode_refused("TXT_CODNODO", Cancel); });
  if (refused) return;
  resolve_activity(Cancel, false);
}

void FRMPD_ADDCALENDATT::TXT_CODATTIVITA_PostValidate(bool& Cancel) {
  resolve_activity(Cancel, false);
}

void FRMPD_ADDCALENDATT::TXT_ORE_Validate(bool& Cancel) {
  duration_validate(true, Cancel);
}

void FRMPD_ADDCALENDATT::TXT_MINUTI_Validate(bool& Cancel) {
  duration_validate(false, Cancel);
}

// Each of the two fields checks the whole pair; the field being left takes back its own corrected text.
void FRMPD_ADDCALENDATT::duration_validate(bool hours_field, bool& Cancel) {
  std::string hours = "00", minutes = "00";
  suppressed([&] {
    hours = blank_rule(Variant(control<host::TextControl>("TXT_ORE")->Text()), Variant("00")).to_string();
  });
  suppressed([&] {
    minutes =
        blank_rule(Variant(control<host::TextControl>("TXT_MINUTI")->Text()), Variant("00")).to_string();
  });
  bool accepted = true;
  suppressed([&] { accepted = main_window().CheckFormatoORE(hours, minutes); });
  auto own = [&] { return control<host::TextControl>(hours_field ? "TXT_ORE" : "TXT_MINUTI"); };
  if (accepted) {
    suppressed([&] { own()->set_Text(hours_field ? hours : minutes); });
  } else {
    suppressed([&] { own()->SelectText(); });
    suppressed([&] { own()->SetFocus(); });
    Cancel = true;
  }
}

void FRMPD_ADDCALENDATT::BTN_CONFERMA_ButtonClick() {
  ErrorTrap trap(*this, "BTN_CONFERMA_ButtonClick");

  // 1. Input check: every item is evaluated.
  bool valid = true;
  auto item = [&](const std::function<bool()>& check) {
    return trap.step([&] { valid = check() && valid; });
  };
  for (const char* name : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA"})
    if (!item([&] { return control<host::CodeEdit>(name)->IsValid(); })) return;
  for (const char* name : {"TXT_DATAINIZIALE", "TXT_DATAFINALE"})
    if (!item([&] { return control<host::DateEdit>(name)->IsValid(); })) return;
  if (!item([&] { return control<host::NumericEdit>("TXT_RIPETIOGNI")->IsValid(); })) return;
  if (!shared_input_items(trap, valid)) return;
  if (!valid) {
    trap.step([&] { message("I dati inseriti non sono validi.", 29648, 64); });
    return;
  }

  // 2. Date order.
  Date start, end;
  if (!trap.step([&] { start = field_date("TXT_DATAINIZIALE"); })) return;
  if (!trap.step([&] { end = field_date("TXT_DATAFINALE"); })) return;
  bool refused = false;
  if (!trap.step([&] { refused = date_order_refused(start, end); })) return;
  if (refused) return;

  std::int16_t every = 0;
  Duration duration;
  std::string treatment;
  DayKey key;
  if (!trap.step([&] {
        every = Variant(control<host::TextControl>("TXT_RIPETIOGNI")->Text()).to_int();
        if (every < 1)
          throw runtime::Error(runtime::err::kInvalidArgument, "Invalid procedure call or argument",
                               kKindName);
      }))
    return;
  if (every < 1) return;
  if (!trap.step([&] {
        duration.hours =
            blank_rule(Variant(control<host::TextControl>("TXT_ORE")->Text()), Variant("0")).to_string();
        duration.minutes =
            blank_rule(Variant(control<host::TextControl>("TXT_MINUTI")->Text()), Variant("0")).to_string();
      }))
    return;
  if (!trap.step([&] { treatment = control<host::Combo>("CBO_VARPRESENTI")->Value(); })) return;
  if (!trap.step([&] {
        key.company = company_text();
        key.node = node_id_text();
        key.link = link_id_text();
      }))
    return;

  // 3. The date list, end inclusive; its count is a 16-bit number.
  std::vector<Date> dates;
  if (!trap.step([&] {
        dates.clear();
        std::int16_t count = 0;
        Date day = start;
        do {
          count = next_count(count);
          dates.push_back(day);
          day = day.add_days(every);
        } while (!(field_date("TXT_DATAFINALE") < day));
      }))
    return;

  // 4. With "Annulla operazione" any existing day stops everything before a row is written.
  if (treatment == kAnnullaOperazione) {
    std::int32_t existing = 0;
    if (!trap.step([&] {
          auto rs = open_query(conflict_query(key, in_list(dates)));
          existing = rs->RecordCount();
          rs->Close();
        }))
      return;
    if (existing >= 1) {
      trap.step([&] { message("Sono presenti date in conflitto. Operazione annullata.", 77201, 64); });
      return;
    }
  }

  // 5. One day at a time: insert it, overwrite it or leave it.
  for (const Date& day : dates) {
    std::shared_ptr<host::Recordset> rs;
    std::int32_t existing = 0;
    if (!trap.step([&] {
          key.literal = date_literal(day);
          auto query = open_query(existence_query(key));
          existing = query->RecordCount();
          rs = std::move(query);
        }))
      return;
    // A date whose query failed and was ignored is left out.
    if (!rs) continue;
    if (!trap.step([&] {
          if (existing == 0)
            execute(insert_statement(key, day, duration));
          else if (treatment == kSovrascrivi)
            execute(update_statement(key, day, duration));
        }))
      return;
    if (!trap.step([&] { rs->Close(); })) return;
  }

  // 6. Done: the calendar window refreshes its grid.
  if (!trap.step([&] { message("Operazione completata", 42123, 64); })) return;
  if (!trap.step([&] { cancelled_ = false; })) return;
  trap.step([&] { Unload(); });
}

}  // namespace calendatt
