#include "cli/host_session.hpp"

#include "database/connection.hpp"
#include "host/controls.hpp"
#include "runtime/error.hpp"
#include "runtime/variant.hpp"
#include "standin/headless_controls.hpp"

namespace cli {

standin::HostSettings host_settings(const Options& o) {
  standin::HostSettings s;
  s.connection_string = database::connection_string_for(o.db);
  s.company = o.company;
  s.language = o.language;
  s.short_date_form = o.language == "en" ? "yyyy-mm-dd" : "dd/mm/yyyy";
  return s;
}

HostSession::HostSession(const Options& options, CliResponder& responder)
    : env_(std::make_unique<standin::HostEnvironment>(host_settings(options), responder)) {}

HostSession::~HostSession() {
  runtime::suppressed([&] { close_window(); });
  window_.reset();
  module_.reset();
  env_.reset();
}

std::vector<CalledActivity> HostSession::find_activity(const ActivityCodes& codes) {
  return standin::find_activities(*env_, env_->settings().company, codes.project, codes.node, codes.activity);
}

bool HostSession::open_window(const CalledActivity* called) {
  module_ = env_->create_module();
  if (called) standin::hand_over(*module_, *called);
  module_->Cinterface_ShowForm();
  window_ = env_->forms()->site(kWindowName);
  return window_ != nullptr;
}

std::shared_ptr<host::RecordFrame> HostSession::frame() const {
  return module_ ? module_->Cinterface_ActiveFrame() : nullptr;
}

bool HostSession::data_changed() const {
  return module_ && standin::data_changed(*module_);
}

bool HostSession::close_window() {
  if (!module_ || !window_ || window_->closed()) return true;
  if (auto f = frame(); f && f->Status() != host::RecordFrame::kStatusStored) f->CancelEdit();
  runtime::Variant closed = module_->Cinterface_CloseForm();
  return closed.type() == runtime::VarType::Boolean && closed.to_bool();
}

}  // namespace cli
