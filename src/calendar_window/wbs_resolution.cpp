// Resolution of a project/node/activity triple to its WBS node, link and planning period.
#include "calendar_window/frmpd_calendatt.hpp"
#include "common/mdlpd_calendatt.hpp"
#include "host/registry.hpp"

namespace calendatt {

namespace mdl = MDLPD_CALENDATT;
using runtime::Date;
using runtime::Variant;

namespace {

// A planning date is set when it is neither null nor the zero date.
Date date_or_zero(const Variant& v) {
  return v.is_null() || v.is_empty() ? Date{0} : v.to_date();
}

double id_or_zero(const Variant& v) {
  return v.is_null() || v.is_empty() ? 0.0 : v.to_double();
}

}  // namespace

bool FRMPD_CALENDATT::TrovaIDAttivitaWBS(std::shared_ptr<host::Connection>& GconConnect_,
                                         std::int16_t intDitta, const std::string& strCodProgetto,
                                         const std::string& strCodNodo, const std::string& strCodAttivita,
                                         std::int16_t* NrRighe) {
  bool result = false;
  runtime::ErrorTrap trap(*this, "TrovaIDAttivitaWBS");
  Date start{0}, end{0};
  if (!trap.step([&] {
        mdl::pIDLegameWBS = 0;
        mdl::pIDDisBaProgWBS = 0;
      }))
    return result;
  if (runtime::is_blank(Variant(strCodProgetto)) || runtime::is_blank(Variant(strCodNodo)) ||
      runtime::is_blank(Variant(strCodAttivita)))
    return result;

  // The codes arrive as typed by the person or handed over by the calling program. Each one is written
  // as a text literal with its single quotes doubled, so that a code can never end the literal and add
  // conditions of its own (and a genuine code such as L'ORTO is found). A code without quotes is sent
  // exactly as it was typed, trailing blanks included.
  const auto literal_body = [](const std::string& code) { return runtime::replace_all(code, "'", "''"); };
  const std::string crlf = "\r\n";
  const std::string sql =
      std::string("SELECT * ") +
      "FROM PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG ON PD0H_IDDISBAPROG_PD0G = PD0G_IDDISBAPROG " + crlf +
      "WHERE PD0G_DITTA_CG18 = " + std::to_string(intDitta) + " " + crlf + "AND (RTRIM(PD0G_CODPROG_PD68)='" +
      literal_body(strCodProgetto) + "' " + "      AND RTRIM(PD0G_CODNODO_PD0C)='" +
      literal_body(strCodNodo) + "' " + "      AND RTRIM(PD0H_CODATTIVITA_PD0D)='" +
      literal_body(strCodAttivita) + "')";

  std::shared_ptr<host::RecordService> service;
  std::shared_ptr<host::Recordset> rs;
  std::int32_t count = 0;
  if (!trap.step([&] {
        service = host::Registry::instance().create_as<host::RecordService>(host::progid::kRecordService);
        rs = service->NewRecordset();
        rs->Open(sql, GconConnect_, host::kAdOpenUnspecified, host::kAdLockUnspecified, host::kAdCmdText);
      }))
    return result;
  if (!trap.step([&] { count = rs->RecordCount(); })) return result;

  if (count == 1) {
    if (!trap.step([&] {
          mdl::pIDLegameWBS = id_or_zero(rs->Field("PD0H_IDLEGAME"));
          mdl::pIDDisBaProgWBS = id_or_zero(rs->Field("PD0G_IDDISBAPROG"));
        }))
      return result;
    if (!trap.step([&] {
          Date planned_start = date_or_zero(rs->Field("PD0H_DATAINIZPIAN"));
          Date planned_end = date_or_zero(rs->Field("PD0H_DATAFINPIAN"));
          if (!planned_start.is_zero() || !planned_end.is_zero()) {
            start = planned_start;
            end = planned_end;
          } else {
            start = date_or_zero(rs->Field("PD0H_DATAINIZPREV"));
            end = date_or_zero(rs->Field("PD0H_DATAFINPREV"));
          }
        }))
      return result;
    if (start.is_zero() && end.is_zero()) {
      if (NrRighe) *NrRighe = 0;
    } else {
      if (!start.is_zero() && end.is_zero()) end = start;
      if (start.is_zero() && !end.is_zero()) start = end;
      if (NrRighe) *NrRighe = static_cast<std::int16_t>(count);
      result = true;
    }
  } else if (count > 1) {
    if (!trap.step([&] {
          if (NrRighe) *NrRighe = runtime::round_to_int(count);
        }))
      return result;
  } else {
    if (NrRighe) *NrRighe = 0;
  }
  trap.step([&] {
    mdl::pDataInizioWBS = runtime::date_text(start);
    mdl::pDataFineWBS = runtime::date_text(end);
  });
  return result;
}

}  // namespace calendatt
