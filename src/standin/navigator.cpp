#include "standin/navigator.hpp"

#include "host/scriptable.hpp"
#include "runtime/error.hpp"

#include "standin/global.hpp"

namespace standin {

namespace {
const char* presence(bool present) {
  return present ? "object" : "nothing";
}
}  // namespace

void StandinScriptObject::RegisterObject(const std::string& name, std::shared_ptr<runtime::Object>& object,
                                         std::int32_t kind, const std::string& description) {
  registrations_.push_back(Registration{name, object, kind, description});
}

runtime::Variant StandinScriptObject::call(const std::string& object_name, const std::string& method,
                                           const runtime::ParamList& args) {
  for (auto it = registrations_.rbegin(); it != registrations_.rend(); ++it) {
    if (it->name != object_name) continue;
    auto object = it->object.lock();
    if (!object) break;
    auto scriptable = std::dynamic_pointer_cast<host::Scriptable>(object);
    if (!scriptable)
      throw runtime::Error(438, "Object doesn't support this property or method: " + method, "Script");
    return scriptable->CallMethod(method, args);
  }
  throw runtime::Error(424, "Object required: " + object_name, "Script");
}

void StandinScriptObject::ProgramNotification(const std::string& name, std::int32_t zero, bool open,
                                              const runtime::Variant& name_again) {
  notifications_.push_back(Notification{name, zero, open, name_again});
}

bool StandinScriptObject::QueryClose() {
  ++close_queries_;
  return forbid_close_;
}

void StandinScriptObject::ProgramClosed(const std::string& menu_text) {
  closed_programs_.push_back(menu_text);
}

void StandinLayoutObject::RegisterObject(const runtime::Variant& title,
                                         std::shared_ptr<runtime::Object>& window, std::int32_t a,
                                         std::int32_t b, std::int32_t c) {
  registrations_.push_back(Registration{title, window, a, b, c});
}

// The events are raised on a copy of the receiver: a handler may let the navigator go or replace the
// receiver while it runs.

bool StandinNavigator::change_company(std::int32_t company, StandinGlobal& global) {
  auto sink = sink_;
  bool cancel = false;
  if (sink && sink->BeforeChangeDitta) {
    auto handler = sink->BeforeChangeDitta;
    handler(cancel);
  }
  if (cancel) return false;
  global.set_company(company);
  if (sink && sink->ChangeDitta) {
    bool unused = false;
    auto handler = sink->ChangeDitta;
    handler(unused);
  }
  return true;
}

bool StandinNavigator::press_button(std::int32_t button) {
  auto sink = sink_;
  bool cancel = false;
  if (sink && sink->ButtonPressed) {
    auto handler = sink->ButtonPressed;
    handler(cancel, button);
  }
  return !cancel;
}

bool StandinNavigator::export_to_office(const std::shared_ptr<host::ExportToOffice>& exporter) {
  auto sink = sink_;
  bool cancel = false;
  if (sink && sink->BeforeExportToOffice) {
    auto handler = sink->BeforeExportToOffice;
    handler(cancel, exporter);
  }
  return !cancel;
}

bool StandinNavigator::initialize_script_model(const std::shared_ptr<host::ScriptObject>& script) {
  script_ = script;
  auto sink = sink_;
  bool cancel = false;
  if (sink && sink->InitializeScriptObjectModel) {
    auto handler = sink->InitializeScriptObjectModel;
    handler(cancel, script);
  }
  return !cancel;
}

bool StandinNavigator::initialize_layout_model(const std::shared_ptr<host::LayoutObject>& layout) {
  layout_ = layout;
  auto sink = sink_;
  bool cancel = false;
  if (sink && sink->InitializeLayoutObjectModel) {
    auto handler = sink->InitializeLayoutObjectModel;
    handler(cancel, layout);
  }
  return !cancel;
}

void StandinNavigator::release_references() {
  script_.reset();
  layout_.reset();
  interface_.reset();
  sink_.reset();
}

void StandinNavigator::FrameStatus(std::int16_t status) {
  frame_status_ = status;
  log("FrameStatus(" + std::to_string(status) + ")");
}

void StandinNavigator::Refresh() {
  log("Refresh");
}

runtime::Variant StandinNavigator::Activate() {
  log("Activate");
  return {};
}

runtime::Variant StandinNavigator::OpenProgram() {
  log("OpenProgram");
  return {};
}

void StandinNavigator::set_ClsScript(std::shared_ptr<host::ScriptObject> value) {
  log(std::string("set_ClsScript(") + presence(value != nullptr) + ")");
  script_ = std::move(value);
}

void StandinNavigator::set_ClsLayout(std::shared_ptr<host::LayoutObject> value) {
  log(std::string("set_ClsLayout(") + presence(value != nullptr) + ")");
  layout_ = std::move(value);
}

void StandinNavigator::set_Interface(std::shared_ptr<host::Cinterface> value) {
  log(std::string("set_Interface(") + presence(value != nullptr) + ")");
  interface_ = value;
}

void StandinNavigator::set_event_sink(std::shared_ptr<Events> sink) {
  log(std::string("set_event_sink(") + presence(sink != nullptr) + ")");
  sink_ = std::move(sink);
}

}  // namespace standin
