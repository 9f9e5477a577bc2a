#pragma once
// An object a host script can call by method name, as the host's script object model does with the
// windows registered in it.

#include <string>

#include "runtime/variant.hpp"

namespace host {

class Scriptable : public virtual runtime::Object {
 public:
  // Calls a public method by name; throws runtime::Error 438 when the object has no such method.
  virtual runtime::Variant CallMethod(const std::string& name, const runtime::ParamList& args) = 0;
};

}  // namespace host
