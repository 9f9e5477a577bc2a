#include "delete_dialog/frmpd_delcalendatt.hpp"

#include "common/mdlpd_calendatt.hpp"

namespace calendatt {

using runtime::Date;
using runtime::ErrorTrap;
using runtime::suppressed;
using runtime::Variant;

namespace {

constexpr const char* kKindName = "FRMPD_DELCALENDATT";
constexpr const char* kCrLf = "\r\n";

struct ActivityKey {
  std::string company;
  std::string node;
  std::string link;
};

// Resources allocated to the activity's calendar day of one date.
std::string allocation_query(const ActivityKey& key, const std::string& literal) {
  return std::string("SELECT COUNT(PD4H_IDCALENDARIO_PD4G) AS NRRIS ") + kCrLf +
         " FROM PD4H_ALLRISPROG WITH(NOLOCK) " + kCrLf + " INNER JOIN PD4G_CALENDATT WITH(NOLOCK) " + kCrLf +
         " ON PD4G_IDCALENDARIO = PD4H_IDCALENDARIO_PD4G " + kCrLf +
         " WHERE PD4G_DITTA_CG18 = " + key.company + " " + kCrLf +
         " AND PD4G_IDDISBAPROG_PD0G = " + key.node + kCrLf + " AND PD4G_IDLEGAME_PD0H = " + key.link +
         kCrLf + " AND PD4G_DATAATTIVITA = " + literal;
}

std::string existence_query(const ActivityKey& key, const std::string& dates) {
  return std::string(" SELECT PD4G_CALENDATT.* ") + " FROM PD4G_CALENDATT " +
         " WHERE PD4G_DITTA_CG18 = " + key.company + " " + " AND PD4G_IDDISBAPROG_PD0G = " + key.node +
         " AND PD4G_IDLEGAME_PD0H = " + key.link + " AND PD4G_DATAATTIVITA IN (" + dates + ")";
}

std::string delete_statement(const ActivityKey& key, const std::string& dates) {
  return std::string("DELETE FROM PD4G_CALENDATT ") + " WHERE PD4G_DITTA_CG18 = " + key.company + " " +
         " AND PD4G_IDDISBAPROG_PD0G = " + key.node + " AND PD4G_IDLEGAME_PD0H = " + key.link +
         " AND PD4G_DATAATTIVITA IN (" + dates + ")";
}

}  // namespace

FRMPD_DELCALENDATT::FRMPD_DELCALENDATT()
    : RangeDialog(design(),
                  RangeControls{nullptr,
                                {"TXT_DATAINIZIALE", "TXT_DATAFINALE", "TXT_CANCELLAOGNI", "BTN_CONFERMA"}}) {
  write_trace(identity_, "INI", kKindName);
}

FRMPD_DELCALENDATT::~FRMPD_DELCALENDATT() {
  write_trace(identity_, "TER", kKindName);
}

host::FormDesign FRMPD_DELCALENDATT::design() {
  host::FormDesign d = shared_design(kKindName, "Cancellazione multipla calendario attività");
  auto more = std::vector<host::ControlDesign>{
      {host::kind::kLabel, "LBL_CANCELLAOGNI", "Cancella ogni", {}},
      {host::kind::kNumericEdit,
       "TXT_CANCELLAOGNI",
       "Cancella ogni",
       {{"obbligatorio", true},
        {"maxchar", std::int32_t{3}},
        {"formatmask", "0"},
        {"min", std::int32_t{1}},
        {"max", std::int32_t{999}}}},
      {host::kind::kLabel, "LBL_GIORNI", "giorni", {}},
  };
  d.controls.insert(d.controls.end(), more.begin(), more.end());
  return d;
}

Variant FRMPD_DELCALENDATT::NVL(const Variant& value, const Variant& default_value) {
  Variant result;
  ErrorTrap trap(*this, "NVL");
  trap.step([&] {
    if (value.is_array()) return;
    if (value.is_empty() || value.is_null() || runtime::trim(value.to_string()).empty())
      result = default_value;
    else
      result = value;
  });
  return result;
}

Variant FRMPD_DELCALENDATT::blank_rule(const Variant& value, const Variant& default_value) {
  return NVL(value, default_value);
}

void FRMPD_DELCALENDATT::bind_controls() {
  bind_common_controls();
  auto& s = site();
  auto node = host::control_as<host::CodeEdit>(s, "TXT_CODNODO");
  node->Validate = [this](bool& c) { TXT_CODNODO_Validate(c); };
  node->PostValidate = [this](bool& c) { TXT_CODNODO_PostValidate(c); };
  auto act = host::control_as<host::CodeEdit>(s, "TXT_CODATTIVITA");
  act->PostValidate = [this](bool& c) { TXT_CODATTIVITA_PostValidate(c); };
  act->KeyButtonMenuPress = [this](Variant&, const Variant& key) { activity_maintenance(key, false); };
  host::control_as<host::ToolbarButton>(s, "BTN_CONFERMA")->ButtonClick = [this] {
    BTN_CONFERMA_ButtonClick();
  };
}

// Only the decode check; a failure goes back to the control.
void FRMPD_DELCALENDATT::TXT_CODNODO_Validate(bool& Cancel) {
  decode_refused("TXT_CODNODO", Cancel);
}

void FRMPD_DELCALENDATT::TXT_CODNODO_PostValidate(bool& Cancel) {
  resolve_activity(Cancel, false);
}

void FRMPD_DELCALENDATT::TXT_CODATTIVITA_PostValidate(bool& Cancel) {
  resolve_activity(Cancel, true);
}

void FRMPD_DELCALENDATT::BTN_CONFERMA_ButtonClick() {
  ErrorTrap trap(*this, "BTN_CONFERMA_ButtonClick");

  // 1. Input check: every item is evaluated; the activity field's own check is not one of them.
  bool valid = true;
  auto item = [&](const std::function<bool()>& check) {
    return trap.step([&] { valid = check() && valid; });
  };
  for (const char* name : {"TXT_CODPROG", "TXT_CODNODO"})
    if (!item([&] { return control<host::CodeEdit>(name)->IsValid(); })) return;
  for (const char* name : {"TXT_DATAINIZIALE", "TXT_DATAFINALE"})
    if (!item([&] { return control<host::DateEdit>(name)->IsValid(); })) return;
  if (!item([&] { return control<host::NumericEdit>("TXT_CANCELLAOGNI")->IsValid(); })) return;
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
  ActivityKey key;
  if (!trap.step([&] {
        every = Variant(control<host::TextControl>("TXT_CANCELLAOGNI")->Text()).to_int();
        if (every < 1)
          throw runtime::Error(runtime::err::kInvalidArgument, "Invalid procedure call or argument",
                               kKindName);
      }))
    return;
  if (every < 1) return;
  if (!trap.step([&] {
        key.company = company_text();
        key.node = node_id_text();
        key.link = link_id_text();
      }))
    return;

  // 3. The walk: a date whose day carries allocated resources is spared, every other date is listed.
  std::vector<Date> deletions;
  std::int16_t listed = 0;
  std::int32_t spared = 0;
  Date day = start;
  for (bool more = true; more;) {
    std::shared_ptr<host::Recordset> rs;
    if (!trap.step([&] { rs = open_query(allocation_query(key, date_literal(day))); })) return;
    if (rs) {
      if (!trap.step([&] {
            if (NVL(rs->Field("NRRIS"), Variant(0)).to_double() > 0) {
              ++spared;
            } else {
              listed = next_count(listed);
              deletions.push_back(day);
            }
          }))
        return;
      if (!trap.step([&] {
            auto query = std::move(rs);
            if (query->State() == host::kAdStateOpen) query->Close();
          }))
        return;
    }
    day = day.add_days(every);
    more = false;
    if (!trap.step([&] { more = !(field_date("TXT_DATAFINALE") < day); })) return;
  }

  // 4. The calendar days that exist among the listed dates.
  std::shared_ptr<host::Recordset> existing;
  std::string dates;
  std::int32_t found = 0;
  if (!deletions.empty()) {
    if (!trap.step([&] {
          dates = in_list(deletions);
          auto query = open_query(existence_query(key, dates));
          found = query->RecordCount();
          existing = std::move(query);
        }))
      return;
  }
  auto close_existing = [&] {
    return trap.step([&] {
      if (existing && existing->State() == host::kAdStateOpen) existing->Close();
    });
  };

  if (found != 0) {
    // 5. The question with the counts, then one statement for the whole list.
    std::string question;
    if (!trap.step([&] {
          std::string found_text = std::to_string(found);
          question = main_window().TraduciMessaggio("Saranno eliminate " + found_text + " date. ", 77207,
                                                    runtime::ParamList{Variant(found_text)}, 0);
          if (spared > 0) {
            std::string spared_text = std::to_string(spared);
            question += kCrLf +
                        main_window().TraduciMessaggio(
                            "Altre " + spared_text +
                                " date non saranno eliminate perchè per esse esistono risorse allocate.",
                            77208, runtime::ParamList{Variant(spared_text)}, 0) +
                        kCrLf;
          }
          question += main_window().TraduciMessaggio("Proseguire?", 76346, std::nullopt, 0);
        }))
      return;
    std::int32_t answer = 0;
    if (!trap.step([&] { answer = message(question, 0, 68); })) return;
    if (!close_existing()) return;
    if (answer == 7) return;
    if (!trap.step([&] { execute(delete_statement(key, dates)); })) return;
    if (!trap.step([&] { message("Operazione completata", 42123, 64); })) return;
    if (!trap.step([&] { cancelled_ = false; })) return;
    trap.step([&] { Unload(); });
    return;
  }

  // 6. Nothing to delete: either no day exists or every one carries allocations.
  if (!trap.step([&] {
        std::string text = spared < 1 ? main_window().TraduciMessaggio("Non sono presenti date da eliminare.",
                                                                       77206, std::nullopt, 0)
                                      : main_window().TraduciMessaggio(
                                            "Per tutte le date selezionate esistono risorse allocate.\r\n"
                                            "Non verrà effettuata alcuna eliminazione.",
                                            77205, std::nullopt, 0);
        message(text, 0, 64);
      }))
    return;
  close_existing();
}

}  // namespace calendatt
