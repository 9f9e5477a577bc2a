#include "host/registry.hpp"

#include "runtime/variant.hpp"

namespace host {

Registry& Registry::instance() {
  static Registry registry;
  return registry;
}

void Registry::add(const std::string& prog_id, Factory factory) {
  factories_[runtime::upper(prog_id)] = std::move(factory);
}

void Registry::remove(const std::string& prog_id) {
  factories_.erase(runtime::upper(prog_id));
}

bool Registry::contains(const std::string& prog_id) const {
  return factories_.count(runtime::upper(prog_id)) > 0;
}

std::shared_ptr<runtime::Object> Registry::create(const std::string& prog_id) const {
  auto it = factories_.find(runtime::upper(prog_id));
  if (it == factories_.end())
    throw runtime::Error(429, "ActiveX component can't create object: " + prog_id, "Registry");
  auto object = it->second();
  if (!object) throw runtime::Error(429, "ActiveX component can't create object: " + prog_id, "Registry");
  return object;
}

}  // namespace host
