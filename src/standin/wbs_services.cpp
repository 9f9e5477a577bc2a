#include "standin/wbs_services.hpp"

#include "host/registry.hpp"
#include "runtime/error.hpp"

namespace standin {

std::string sql_text(const std::string& value) {
  return "'" + runtime::replace_all(value, "'", "''") + "'";
}

namespace {

std::int32_t company_of(const std::shared_ptr<host::Cinterface>& contract) {
  if (!contract || !contract->Cinterface_ClsGlobal())
    throw runtime::Error(91, "The service has no host contract", "StandinServices");
  return contract->Cinterface_ClsGlobal()->Company().to_long();
}

// Trailing blanks of stored and given codes never matter.
std::string code(const std::string& value) {
  return sql_text(runtime::rtrim(value));
}

}  // namespace

std::int32_t StandinLookupService::company() const {
  return company_of(interface_);
}

void StandinLookupService::PrepareProjectLookup(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                                std::int32_t, const runtime::Variant&) {
  std::string c = std::to_string(company());
  query_ =
      "SELECT DISTINCT RTRIM(PD0G_CODPROG_PD68) AS CODICE, COALESCE(PD68_DESCRIZIONE, '') AS DESCRIZIONE "
      "FROM PD0G_DISBAPROG LEFT JOIN PD68_PROGETTI ON PD68_DITTA_CG18 = PD0G_DITTA_CG18 "
      "AND RTRIM(PD68_CODPROG) = RTRIM(PD0G_CODPROG_PD68) WHERE PD0G_DITTA_CG18 = " +
      c + " ORDER BY 1";
  title_ = "Progetti";
  captions_ = "Codice Progetto|Descrizione";
}

void StandinLookupService::PrepareNodeLookup(const runtime::Variant&, const runtime::Variant&,
                                             const std::string& project) {
  std::string c = std::to_string(company());
  query_ =
      "SELECT RTRIM(PD0G_CODNODO_PD0C) AS CODICE, COALESCE(PD0C_DESCRIZIONE, '') AS DESCRIZIONE, "
      "RTRIM(PD0G_CODPROG_PD68) AS PROGETTO, PD0G_IDDISBAPROG AS IDNODO "
      "FROM PD0G_DISBAPROG LEFT JOIN PD0C_NODI ON PD0C_DITTA_CG18 = PD0G_DITTA_CG18 "
      "AND RTRIM(PD0C_CODNODO) = RTRIM(PD0G_CODNODO_PD0C) WHERE PD0G_DITTA_CG18 = " +
      c + " AND RTRIM(PD0G_CODPROG_PD68) = " + code(project) + " ORDER BY 1";
  title_ = "Nodi WBS";
  captions_ = "Codice Nodo|Descrizione|Progetto|Id nodo";
}

void StandinLookupService::PrepareActivityLookup(const std::string& project, const std::string& node,
                                                 const runtime::Variant&) {
  std::string c = std::to_string(company());
  std::string node_filter =
      runtime::trim(node).empty() ? "" : " AND RTRIM(PD0G_CODNODO_PD0C) = " + code(node);
  query_ =
      "SELECT RTRIM(PD0H_CODATTIVITA_PD0D) AS CODICE, COALESCE(PD0D_DESCRIZIONE, '') AS DESCRIZIONE, "
      "RTRIM(PD0G_CODNODO_PD0C) AS NODO, RTRIM(PD0G_CODPROG_PD68) AS PROGETTO, "
      "CASE WHEN PD0H_DATAINIZPIAN IS NOT NULL OR PD0H_DATAFINPIAN IS NOT NULL "
      "THEN COALESCE(PD0H_DATAINIZPIAN, '') || ' - ' || COALESCE(PD0H_DATAFINPIAN, '') "
      "ELSE COALESCE(PD0H_DATAINIZPREV, '') || ' - ' || COALESCE(PD0H_DATAFINPREV, '') END AS PERIODO, "
      "PD0G_IDDISBAPROG AS IDNODO, PD0H_IDLEGAME AS IDLEGAME "
      "FROM PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG ON PD0H_IDDISBAPROG_PD0G = PD0G_IDDISBAPROG "
      "LEFT JOIN PD0D_ATTIVITA ON PD0D_DITTA_CG18 = PD0G_DITTA_CG18 "
      "AND RTRIM(PD0D_CODATTIVITA) = RTRIM(PD0H_CODATTIVITA_PD0D) WHERE PD0G_DITTA_CG18 = " +
      c + " AND RTRIM(PD0G_CODPROG_PD68) = " + code(project) + node_filter + " ORDER BY 3, 1, 7";
  title_ = "Attività WBS";
  captions_ = "Codice Attività|Descrizione|Nodo|Progetto|Periodo|Id nodo|Id legame";
}

std::int32_t StandinDecodeService::company() const {
  return company_of(interface_);
}

std::string StandinDecodeService::project_query(std::int32_t company, const std::string& project) {
  std::string c = std::to_string(company);
  return "SELECT COALESCE(MAX(PD68_DESCRIZIONE), '') AS DESCRIZIONE FROM PD0G_DISBAPROG "
         "LEFT JOIN PD68_PROGETTI ON PD68_DITTA_CG18 = PD0G_DITTA_CG18 "
         "AND RTRIM(PD68_CODPROG) = RTRIM(PD0G_CODPROG_PD68) WHERE PD0G_DITTA_CG18 = " +
         c + " AND RTRIM(PD0G_CODPROG_PD68) = " + code(project) + " GROUP BY PD0G_DITTA_CG18";
}

std::string StandinDecodeService::node_query(std::int32_t company, const std::string& project,
                                             const std::string& node) {
  std::string c = std::to_string(company);
  return "SELECT COALESCE(MAX(PD0C_DESCRIZIONE), '') AS DESCRIZIONE FROM PD0G_DISBAPROG "
         "LEFT JOIN PD0C_NODI ON PD0C_DITTA_CG18 = PD0G_DITTA_CG18 "
         "AND RTRIM(PD0C_CODNODO) = RTRIM(PD0G_CODNODO_PD0C) WHERE PD0G_DITTA_CG18 = " +
         c + " AND RTRIM(PD0G_CODPROG_PD68) = " + code(project) +
         " AND RTRIM(PD0G_CODNODO_PD0C) = " + code(node) + " GROUP BY PD0G_DITTA_CG18";
}

std::string StandinDecodeService::activity_query(std::int32_t company, const std::string& project,
                                                 const std::string& activity) {
  std::string c = std::to_string(company);
  return "SELECT COALESCE(MAX(PD0D_DESCRIZIONE), '') AS DESCRIZIONE FROM PD0G_DISBAPROG "
         "INNER JOIN PD0H_LEGDISBAPROG ON PD0H_IDDISBAPROG_PD0G = PD0G_IDDISBAPROG "
         "LEFT JOIN PD0D_ATTIVITA ON PD0D_DITTA_CG18 = PD0G_DITTA_CG18 "
         "AND RTRIM(PD0D_CODATTIVITA) = RTRIM(PD0H_CODATTIVITA_PD0D) WHERE PD0G_DITTA_CG18 = " +
         c + " AND RTRIM(PD0G_CODPROG_PD68) = " + code(project) +
         " AND RTRIM(PD0H_CODATTIVITA_PD0D) = " + code(activity) + " GROUP BY PD0G_DITTA_CG18";
}

void StandinDecodeService::PrepareProjectDecode(const std::string& project,
                                                const std::shared_ptr<host::Control>& description,
                                                std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                                std::int32_t) {
  query_ = project_query(company(), project);
  description_ = description;
}

void StandinDecodeService::PrepareNodeDecode(const std::string& project, const std::string& node,
                                             const std::shared_ptr<host::Control>& description) {
  query_ = node_query(company(), project, node);
  description_ = description;
}

void StandinDecodeService::PrepareActivityDecode(const std::string& project, const std::string& activity,
                                                 const std::shared_ptr<host::Control>& description) {
  query_ = activity_query(company(), project, activity);
  description_ = description;
}

runtime::Variant StandinDecodeService::ValueB() {
  return runtime::Variant(description_.lock());
}

bool StandinDecodeService::rejected(const std::string& query) {
  if (!interface_) throw runtime::Error(91, "The service has no host contract", "StandinDecodeService");
  auto connection = interface_->Cinterface_Connection();
  if (!connection) throw runtime::Error(91, "The host contract has no connection", "StandinDecodeService");
  auto service = host::Registry::instance().create_as<host::RecordService>(host::progid::kRecordService);
  auto rs = service->NewRecordset();
  rs->Open(query, connection, host::kAdOpenUnspecified, host::kAdLockUnspecified, host::kAdCmdText);
  bool found = rs->RecordCount() > 0;
  rs->Close();
  return !found;
}

bool StandinDecodeService::ProjectRejected(const std::string& project) {
  return rejected(project_query(company(), project));
}

bool StandinDecodeService::NodeRejected(const std::string& project, const std::string& node) {
  return rejected(node_query(company(), project, node));
}

bool StandinDecodeService::ActivityRejected(const std::string& project, const std::string& activity) {
  return rejected(activity_query(company(), project, activity));
}

MaintenancePrograms& MaintenancePrograms::instance() {
  static MaintenancePrograms programs;
  return programs;
}

void StandinMaintenanceProg::set_Interface(std::shared_ptr<host::Cinterface> value) {
  log_.push_back(value ? "Interface" : "Interface(nothing)");
  interface_ = std::move(value);
}
void StandinMaintenanceProg::set_Control(std::shared_ptr<host::Control> value) {
  log_.push_back("Control(" + (value ? value->Name() : std::string()) + ")");
  control_ = value;
}
void StandinMaintenanceProg::set_NodeCode(const std::string& value) {
  log_.push_back("NodeCode(" + value + ")");
  node_ = value;
}
void StandinMaintenanceProg::set_ProjectCode(const std::string& value) {
  log_.push_back("ProjectCode(" + value + ")");
  project_ = value;
}
void StandinMaintenanceProg::set_ActivityCode(const std::string& value) {
  log_.push_back("ActivityCode(" + value + ")");
  activity_ = value;
}
runtime::Variant StandinMaintenanceProg::OpenNodeMaintenance() {
  log_.push_back("OpenNodeMaintenance");
  if (auto& program = MaintenancePrograms::instance().node_or_activity)
    program("node", project_, node_, activity_);
  return runtime::Variant(true);
}
runtime::Variant StandinMaintenanceProg::OpenActivityMaintenance() {
  log_.push_back("OpenActivityMaintenance");
  if (auto& program = MaintenancePrograms::instance().node_or_activity)
    program("activity", project_, node_, activity_);
  return runtime::Variant(true);
}
runtime::Variant StandinMaintenanceProg::Close() {
  log_.push_back("Close");
  return runtime::Variant(true);
}

void StandinMaintenanceProd::set_Interface(std::shared_ptr<host::Cinterface> value) {
  log_.push_back(value ? "Interface" : "Interface(nothing)");
  interface_ = std::move(value);
}
void StandinMaintenanceProd::set_Control(std::shared_ptr<host::Control> value) {
  log_.push_back("Control(" + (value ? value->Name() : std::string()) + ")");
  control_ = value;
}
void StandinMaintenanceProd::set_ProjectCode(const std::string& value) {
  log_.push_back("ProjectCode(" + value + ")");
  project_ = value;
}
runtime::Variant StandinMaintenanceProd::OpenProjectMaintenance() {
  log_.push_back("OpenProjectMaintenance");
  if (auto& program = MaintenancePrograms::instance().project) {
    if (auto chosen = program(project_)) {
      bool cancel = false;
      std::int32_t key = 45;
      if (TransferData) TransferData(cancel, runtime::Variant(*chosen), key);
    }
  }
  return runtime::Variant(true);
}
runtime::Variant StandinMaintenanceProd::Close() {
  log_.push_back("Close");
  return runtime::Variant(true);
}

}  // namespace standin
