#include "common/trace.hpp"

#include <cstdio>

#include "runtime/system.hpp"

namespace calendatt {
namespace {

// Upper-case hexadecimal of a number, left-padded with "0" to `width` digits.
std::string hex(unsigned long value, int width) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%0*lX", width, value);
  return buf;
}

}  // namespace

std::string NuovoIdentificativo() {
  runtime::Guid guid;
  if (runtime::CoCreateGuid(guid) != 0) return "";
  // The fields are signed numbers in storage; their two's complement text is the same as the unsigned one.
  std::string id = hex(guid.data1, 8) + hex(guid.data2, 4) + hex(guid.data3, 4);
  for (auto byte : guid.data4) id += hex(byte, 2);
  return id;
}

runtime::Variant InstanceIdentity::IdentificativoIstanza() {
  if (id_.empty()) id_ = NuovoIdentificativo();
  return runtime::Variant(id_);
}

std::string trace_line(InstanceIdentity& identity, const char* event_word, const char* kind_name) {
  return std::string("ZVRK:") + "|" + identity.IdentificativoIstanza().to_string() + "|" + event_word + "|" +
         "MERIDAL" + "|" + kind_name;
}

void write_trace(InstanceIdentity& identity, const char* event_word, const char* kind_name) {
  runtime::OutputDebugStringA(trace_line(identity, event_word, kind_name));
}

}  // namespace calendatt
