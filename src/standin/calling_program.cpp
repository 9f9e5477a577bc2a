#include "standin/calling_program.hpp"

#include <cstdio>

#include "host/scriptable.hpp"
#include "runtime/error.hpp"
#include "standin/headless_controls.hpp"
#include "standin/host_setup.hpp"
#include "standin/wbs_services.hpp"

namespace standin {

using runtime::Variant;

namespace {

std::string as_held(const std::string& code) {
  return runtime::rtrim(utf8_upper(code));
}

// A planning date is set when it is neither null nor the zero date.
std::optional<runtime::Date> date_of(const Variant& v) {
  if (runtime::is_blank(v)) return std::nullopt;
  runtime::Date d = v.to_date();
  if (d.is_zero()) return std::nullopt;
  return d;
}

host::Scriptable& own_interface(host::Cinterface& module) {
  auto* scriptable = dynamic_cast<host::Scriptable*>(&module);
  if (!scriptable) throw runtime::Error(438, "The module has no interface of its own", "CallingProgram");
  return *scriptable;
}

}  // namespace

std::vector<runtime::Date> planned_days(HostEnvironment& env, std::int32_t company, double node_id,
                                        double link_id, int year, unsigned month) {
  auto iso = [](const runtime::Date& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", d.year(), d.month(), d.day());
    return std::string("'") + text + "'";
  };
  const runtime::Date first = runtime::Date::from_ymd(year, month, 1);
  const runtime::Date next =
      month == 12 ? runtime::Date::from_ymd(year + 1, 1, 1) : runtime::Date::from_ymd(year, month + 1, 1);
  std::string sql =
      "SELECT DISTINCT PD4G_DATAATTIVITA AS GIORNO FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = " +
      std::to_string(company) + " AND PD4G_DATAATTIVITA >= " + iso(first) + " AND PD4G_DATAATTIVITA < " +
      iso(next);
  if (node_id != 0) sql += " AND PD4G_IDDISBAPROG_PD0G = " + runtime::number_text(node_id);
  if (link_id != 0) sql += " AND PD4G_IDLEGAME_PD0H = " + runtime::number_text(link_id);
  sql += " ORDER BY 1";
  std::vector<runtime::Date> days;
  auto rs = env.run_query(sql);
  for (; !rs->Eof(); rs->MoveNext())
    if (auto day = date_of(rs->Field("GIORNO"))) days.push_back(*day);
  rs->Close();
  return days;
}

std::vector<CalledActivity> find_activities(HostEnvironment& env, std::int32_t company,
                                            const std::string& project, const std::string& node,
                                            const std::string& activity) {
  CalledActivity codes{as_held(project), as_held(node), as_held(activity), "", 0, 0,
                       std::nullopt,     std::nullopt};
  const std::string sql =
      "SELECT PD0G_IDDISBAPROG AS IDNODO, PD0H_IDLEGAME AS IDLEGAME, PD0H_DATAINIZPIAN, PD0H_DATAFINPIAN, "
      "PD0H_DATAINIZPREV, PD0H_DATAFINPREV, PD0D_DESCRIZIONE "
      "FROM PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG ON PD0H_IDDISBAPROG_PD0G = PD0G_IDDISBAPROG "
      "LEFT JOIN PD0D_ATTIVITA ON PD0D_DITTA_CG18 = PD0G_DITTA_CG18 AND PD0D_CODATTIVITA = "
      "PD0H_CODATTIVITA_PD0D "
      "WHERE PD0G_DITTA_CG18 = " +
      std::to_string(company) + " AND RTRIM(PD0G_CODPROG_PD68) = " + sql_text(codes.project) +
      " AND RTRIM(PD0G_CODNODO_PD0C) = " + sql_text(codes.node) +
      " AND RTRIM(PD0H_CODATTIVITA_PD0D) = " + sql_text(codes.activity) + " ORDER BY PD0H_IDLEGAME";
  std::vector<CalledActivity> found;
  auto rs = env.run_query(sql);
  for (; !rs->Eof(); rs->MoveNext()) {
    CalledActivity a = codes;
    a.node_id = rs->Field("IDNODO").to_double();
    a.link_id = rs->Field("IDLEGAME").to_double();
    const Variant description = rs->Field("PD0D_DESCRIZIONE");
    if (!runtime::is_blank(description)) a.description = runtime::rtrim(description.to_string());
    // The period as the module resolves it: the planned dates when either is set, else the forecast
    // ones; a missing bound is the other one.
    a.start = date_of(rs->Field("PD0H_DATAINIZPIAN"));
    a.end = date_of(rs->Field("PD0H_DATAFINPIAN"));
    if (!a.start && !a.end) {
      a.start = date_of(rs->Field("PD0H_DATAINIZPREV"));
      a.end = date_of(rs->Field("PD0H_DATAFINPREV"));
    }
    if (!a.end) a.end = a.start;
    if (!a.start) a.start = a.end;
    found.push_back(std::move(a));
  }
  rs->Close();
  return found;
}

void hand_over(host::Cinterface& module, const CalledActivity& activity) {
  auto& own = own_interface(module);
  module.let_Cinterface_IsCalled(true);
  own.LetProperty("pCodProgetto", Variant(activity.project));
  own.LetProperty("pCodNodo", Variant(activity.node));
  own.LetProperty("pCodAttivita", Variant(activity.activity));
  own.LetProperty("pIDDisBaProgWBS", Variant(activity.node_id));
  own.LetProperty("pIDLegameWBS", Variant(activity.link_id));
  if (activity.start) own.LetProperty("pDataInizioWBS", Variant(runtime::date_text(*activity.start)));
  if (activity.end) own.LetProperty("pDataFineWBS", Variant(*activity.end));
}

bool data_changed(host::Cinterface& module) {
  return own_interface(module).GetProperty("ModificatoDati").to_bool();
}

}  // namespace standin
