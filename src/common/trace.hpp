#pragma once
// Instance identifiers and the creation and destruction lines every object of the module writes to the
// debugger output: "ZVRK:|<32 hex digits>|INI|MERIDAL|<kind>".

#include <string>

#include "runtime/variant.hpp"

namespace calendatt {

// A new identifier: the GUID's fields as upper-case hexadecimal, no separators; "" when no GUID could be
// generated.
std::string NuovoIdentificativo();

// The identifier of one instance, created on first use and then kept.
class InstanceIdentity {
 public:
  runtime::Variant IdentificativoIstanza();

 private:
  std::string id_;
};

// The trace line of an instance for an event word ("INI" or "TER") and the object kind's name.
std::string trace_line(InstanceIdentity& identity, const char* event_word, const char* kind_name);
// Writes it to the debugger output.
void write_trace(InstanceIdentity& identity, const char* event_word, const char* kind_name);

}  // namespace calendatt
