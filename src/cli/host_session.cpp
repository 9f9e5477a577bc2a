#include "cli/host_session.hpp"

#include "host/controls.hpp"
#include "module/clspd_calendatt.hpp"
#include "runtime/error.hpp"
#include "runtime/variant.hpp"
#include "standin/headless_controls.hpp"

namespace cli {

namespace {

standin::HostSettings settings_of(const Options& o) {
  standin::HostSettings s;
  s.connection_string = "Provider=SQLite;Data Source=" + o.db;
  s.company = o.company;
  s.language = o.language;
  return s;
}

// A code as an SQL text literal of the host's own query.
std::string literal(const std::string& code) {
  return "'" + runtime::replace_all(runtime::rtrim(standin::utf8_upper(code)), "'", "''") + "'";
}

std::optional<runtime::Date> date_of(const runtime::Variant& v) {
  if (runtime::is_blank(v)) return std::nullopt;
  return v.to_date();
}

}  // namespace

HostSession::HostSession(const Options& options, CliResponder& responder)
    : env_(std::make_unique<standin::HostEnvironment>(settings_of(options), responder)) {}

HostSession::~HostSession() {
  runtime::suppressed([&] { close_window(); });
  window_.reset();
  class_.reset();
  module_.reset();
  env_.reset();
}

std::vector<CalledActivity> HostSession::find_activity(const ActivityCodes& codes) {
  const std::string sql =
      "SELECT PD0G_IDDISBAPROG AS IDNODO, PD0H_IDLEGAME AS IDLEGAME, "
      "CASE WHEN (PD0H_DATAINIZPIAN IS NOT NULL) OR (PD0H_DATAFINPIAN IS NOT NULL) "
      "THEN PD0H_DATAINIZPIAN ELSE PD0H_DATAINIZPREV END AS INIZIO, "
      "CASE WHEN (PD0H_DATAINIZPIAN IS NOT NULL) OR (PD0H_DATAFINPIAN IS NOT NULL) "
      "THEN PD0H_DATAFINPIAN ELSE PD0H_DATAFINPREV END AS FINE "
      "FROM PD0G_DISBAPROG INNER JOIN PD0H_LEGDISBAPROG ON PD0H_IDDISBAPROG_PD0G = PD0G_IDDISBAPROG "
      "WHERE PD0G_DITTA_CG18 = " +
      std::to_string(env_->settings().company) + " AND RTRIM(PD0G_CODPROG_PD68) = " + literal(codes.project) +
      " AND RTRIM(PD0G_CODNODO_PD0C) = " + literal(codes.node) +
      " AND RTRIM(PD0H_CODATTIVITA_PD0D) = " + literal(codes.activity) + " ORDER BY PD0H_IDLEGAME";
  std::vector<CalledActivity> found;
  auto rs = env_->run_query(sql);
  for (; !rs->Eof(); rs->MoveNext()) {
    CalledActivity a;
    a.node_id = rs->Field("IDNODO").to_double();
    a.link_id = rs->Field("IDLEGAME").to_double();
    a.start = date_of(rs->Field("INIZIO"));
    a.end = date_of(rs->Field("FINE"));
    found.push_back(a);
  }
  rs->Close();
  return found;
}

bool HostSession::open_window(const ActivityCodes* codes, const CalledActivity* called) {
  module_ = env_->create_module();
  class_ = std::dynamic_pointer_cast<calendatt::CLSPD_CALENDATT>(module_);
  if (called && codes && class_) {
    module_->let_Cinterface_IsCalled(true);
    class_->set_pCodProgetto(runtime::rtrim(standin::utf8_upper(codes->project)));
    class_->set_pCodNodo(runtime::rtrim(standin::utf8_upper(codes->node)));
    class_->set_pCodAttivita(runtime::rtrim(standin::utf8_upper(codes->activity)));
    class_->set_pIDDisBaProgWBS(called->node_id);
    class_->set_pIDLegameWBS(called->link_id);
    // A period bound the activity does not have is not handed over.
    if (called->start) class_->set_pDataInizioWBS(runtime::date_text(*called->start));
    if (called->end) class_->set_pDataFineWBS(*called->end);
  }
  module_->Cinterface_ShowForm();
  window_ = env_->forms()->site(kWindowName);
  return window_ != nullptr;
}

std::shared_ptr<host::RecordFrame> HostSession::frame() const {
  return module_ ? module_->Cinterface_ActiveFrame() : nullptr;
}

bool HostSession::data_changed() const {
  return class_ && class_->ModificatoDati();
}

bool HostSession::close_window() {
  if (!module_ || !window_ || window_->closed()) return true;
  if (auto f = frame(); f && f->Status() != host::RecordFrame::kStatusStored) f->CancelEdit();
  runtime::Variant closed = module_->Cinterface_CloseForm();
  return closed.type() == runtime::VarType::Boolean && closed.to_bool();
}

}  // namespace cli
