#pragma once
// Windows: a window is built from its design (the controls with kind, name, caption and settings) by the
// host's form factory, which returns a site holding the controls. The window's own lifecycle (load,
// activate, query unload, unload) is the module's; the site only presents it.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/controls.hpp"
#include "runtime/error.hpp"
#include "runtime/variant.hpp"

namespace host {

struct ControlDesign {
  std::string kind;  // one of host::kind
  std::string name;
  std::string caption;
  std::map<std::string, runtime::Variant> settings;  // e.g. "maxchar", "obbligatorio", "enabled", "min"
};

struct FormDesign {
  std::string name;
  std::string caption;
  std::vector<ControlDesign> controls;
};

// What the site tells the window.
class FormEvents {
 public:
  virtual ~FormEvents() = default;
  // The window became the active window.
  virtual void SiteActivated() = 0;
  // The user asked to close the window (close box); returns true when the window unloaded.
  virtual bool SiteCloseRequested() = 0;
  virtual void SiteResized() = 0;
};

class FormSite : public virtual runtime::Object {
 public:
  // The control of that name; throws runtime::Error when the design has none.
  virtual std::shared_ptr<Control> control(const std::string& name) = 0;
  virtual std::string Caption() const = 0;
  virtual void set_Caption(const std::string& value) = 0;
  virtual void set_Icon(const runtime::Variant& picture) = 0;
  virtual void set_WindowState(std::int32_t value) = 0;
  // Shows the window. Modal: returns when Close() has been called (the window unloaded).
  virtual void Show(bool modal) = 0;
  virtual bool Visible() const = 0;
  // The window unloaded: hide it and end a modal show. No event is raised after this.
  virtual void Close() = 0;
};

class FormFactory : public virtual runtime::Object {
 public:
  // Builds the window's controls; `events` must outlive the site (the window owns its site).
  virtual std::shared_ptr<FormSite> CreateForm(const FormDesign& design, FormEvents* events) = 0;
};

template <class T>
std::shared_ptr<T> control_as(FormSite& site, const std::string& name) {
  auto c = std::dynamic_pointer_cast<T>(site.control(name));
  if (!c) throw runtime::Error(runtime::err::kTypeMismatch, "Control of another kind: " + name, "FormSite");
  return c;
}

}  // namespace host
