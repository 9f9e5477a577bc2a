#pragma once
// An object the host reaches by member name (late binding): the script object model calls the windows
// registered in it, and a host program sets a module's own properties without knowing its class.

#include <string>

#include "runtime/variant.hpp"

namespace host {

class Scriptable : public virtual runtime::Object {
 public:
  // Calls a public method by name; throws runtime::Error 438 when the object has no such method.
  virtual runtime::Variant CallMethod(const std::string& name, const runtime::ParamList& args) = 0;
  // Writes or reads a property by name; throws runtime::Error 438 when the object has no such property
  // (or it cannot be written, or read).
  virtual void LetProperty(const std::string& name, const runtime::Variant& value) = 0;
  virtual runtime::Variant GetProperty(const std::string& name) = 0;
};

}  // namespace host
