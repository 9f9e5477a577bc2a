#include "runtime/system.hpp"

#include <uuid/uuid.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace runtime {
namespace {

std::function<std::int32_t(Guid&)>& guid_source() {
  static std::function<std::int32_t(Guid&)> source;
  return source;
}

std::map<int, std::function<void(const std::string&)>>& listeners() {
  static std::map<int, std::function<void(const std::string&)>> all;
  return all;
}

}  // namespace

std::int32_t CoCreateGuid(Guid& out) {
  if (guid_source()) return guid_source()(out);
  uuid_t u;
  uuid_generate_random(u);
  // libuuid gives the bytes in network order; the first three fields are numbers.
  out.data1 = (std::uint32_t{u[0]} << 24) | (std::uint32_t{u[1]} << 16) | (std::uint32_t{u[2]} << 8) | u[3];
  out.data2 = static_cast<std::uint16_t>((u[4] << 8) | u[5]);
  out.data3 = static_cast<std::uint16_t>((u[6] << 8) | u[7]);
  std::memcpy(out.data4.data(), u + 8, 8);
  return 0;
}

void set_guid_source(std::function<std::int32_t(Guid&)> source) {
  guid_source() = std::move(source);
}

void OutputDebugStringA(const std::string& text) {
  static const bool to_stderr = std::getenv("CALENDATT_DEBUG_OUTPUT") != nullptr;
  if (to_stderr) std::fprintf(stderr, "%s\n", text.c_str());
  // Copy: a listener may remove itself.
  auto current = listeners();
  for (auto& [id, listener] : current) listener(text);
}

int add_debug_listener(std::function<void(const std::string&)> listener) {
  static int next = 1;
  listeners()[next] = std::move(listener);
  return next++;
}

void remove_debug_listener(int id) {
  listeners().erase(id);
}

}  // namespace runtime
