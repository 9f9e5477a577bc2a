#include "standin/host_setup.hpp"

#include "standin/media.hpp"
#include "standin/record_frame.hpp"
#include "standin/wbs_services.hpp"

#include <stdexcept>

#include "database/engine_recordset.hpp"
#include "database/sqlite_connection.hpp"
#include "runtime/error.hpp"
#include "standin/services.hpp"

namespace standin {

namespace {
// The environment whose classes are in the registry.
const HostEnvironment* registered_environment = nullptr;
}  // namespace

// The connection the host's own queries run on; shared with the form factory's query runner, which may
// outlive the environment.
struct HostEnvironment::QueryDatabase {
  std::string connection_string;
  std::shared_ptr<host::Connection> connection;

  std::shared_ptr<host::Recordset> run(const std::string& sql) {
    if (!connection) {
      auto c = database::new_connection();
      c->SetConnectionString(connection_string);
      c->Open("", "", "", -1);
      connection = std::move(c);
    }
    auto rs = std::make_shared<database::EngineRecordset>();
    rs->Open(sql, connection, host::kAdOpenUnspecified, host::kAdLockUnspecified, host::kAdCmdText);
    return rs;
  }

  void close() {
    if (connection && connection->State() == host::kAdStateOpen) connection->Close();
    connection.reset();
  }
};

HostEnvironment::HostEnvironment(HostSettings settings, MessageResponder& responder)
    : settings_(std::move(settings)),
      previous_date_form_(runtime::short_date_form()),
      responder_(&responder),
      multilanguage_(std::make_shared<StandinMultilanguage>(dictionary_, settings_.language, responder)),
      global_(std::make_shared<StandinGlobal>(settings_, multilanguage_)),
      navigator_(std::make_shared<StandinNavigator>()),
      forms_(std::make_shared<HeadlessFormFactory>()),
      menu_entry_(std::make_shared<StandinMenuEntry>(kModuleTitle)),
      status_bar_(std::make_shared<StandinStatusBar>()),
      query_database_(std::make_shared<QueryDatabase>()) {
  query_database_->connection_string = settings_.connection_string;
  forms_->set_query_runner([db = query_database_](const std::string& sql) { return db->run(sql); });
  forms_->set_language(runtime::upper(settings_.language) == "EN" ? "en" : "it");
  forms_->set_notice([this](const std::string& text, const std::string& title) {
    responder_->answer_message(ShownMessage{0, text, 48, title});
  });
}

HostEnvironment::~HostEnvironment() {
  for (const auto& id : registered_ids_) host::Registry::instance().remove(id);
  if (registered_environment == this) registered_environment = nullptr;
  global_->release_references();
  navigator_->release_references();
  query_database_->close();
  runtime::set_short_date_form(previous_date_form_);
}

void HostEnvironment::apply_settings(const HostSettings& settings) {
  multilanguage_->set_language(settings.language);
  forms_->set_language(runtime::upper(settings.language) == "EN" ? "en" : "it");
  settings_ = settings;
  global_->apply(settings_);
  query_database_->close();
  query_database_->connection_string = settings_.connection_string;
}

void HostEnvironment::add_class(const std::string& prog_id, host::Registry::Factory factory) {
  host::Registry::instance().add(prog_id, std::move(factory));
  registered_ids_.push_back(prog_id);
}

void HostEnvironment::register_classes() {
  if (registered_) return;
  if (registered_environment && registered_environment != this)
    throw std::logic_error("Another host environment has its classes registered");
  registered_environment = this;
  registered_ = true;

  add_class(host::progid::kMultilanguage, [this] {
    return std::make_shared<StandinMultilanguage>(dictionary_, settings_.language, *responder_);
  });
  add_class(host::progid::kDate, [] { return std::make_shared<StandinDateObject>(); });
  add_class(host::progid::kNumber, [] { return std::make_shared<StandinNumberObject>(); });
  add_class(host::progid::kErrorDisplay,
            [this] { return std::make_shared<StandinErrorDisplay>(*responder_); });
  add_class(host::progid::kConnectionFactory, [] { return std::make_shared<StandinConnectionFactory>(); });
  add_class(host::progid::kRecordService, [] { return std::make_shared<StandinRecordService>(); });
  add_class(host::progid::kFormFactory, [this] { return forms_; });
  add_class(host::progid::kLookup, [] { return std::make_shared<StandinLookupService>(); });
  add_class(host::progid::kDecode, [] { return std::make_shared<StandinDecodeService>(); });
  add_class(host::progid::kMaintenanceProg, [] { return std::make_shared<StandinMaintenanceProg>(); });
  add_class(host::progid::kMaintenanceProd, [] { return std::make_shared<StandinMaintenanceProd>(); });
  add_class(host::progid::kRecordFrame, [] { return std::make_shared<StandinRecordFrame>(); });
  add_class(host::progid::kGridDefinition, [] { return std::make_shared<StandinGridDefinition>(); });
  add_class(host::progid::kHyperMedia, [] { return std::make_shared<StandinHyperMedia>(); });
}

std::shared_ptr<host::Cinterface> HostEnvironment::create_module() {
  register_classes();
  auto module = host::Registry::instance().create_as<host::Cinterface>(host::progid::kModule);
  module->set_Cinterface_ClsGlobal(global_);
  module->set_Cinterface_ActiveNavigator(navigator_);
  module->set_Cinterface_ClsVoceMenu(menu_entry_);
  module->set_Cinterface_StatusBar(status_bar_);
  module->let_Cinterface_WindowState(0);
  module->let_Cinterface_Caption(runtime::Variant(kModuleTitle));
  return module;
}

std::shared_ptr<host::Recordset> HostEnvironment::run_query(const std::string& sql) {
  return query_database_->run(sql);
}

}  // namespace standin
