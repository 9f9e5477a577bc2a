#pragma once
// The lifecycle every window of the module shares: loaded on first use (the host's form factory builds
// its controls, then Form_Load runs), activated by the host, closed through Form_QueryUnload and
// Form_Unload, either of which may refuse.

#include <memory>
#include <string>

#include "host/form.hpp"

namespace calendatt {

class FormBase : public host::FormEvents {
 public:
  explicit FormBase(host::FormDesign design) : design_(std::move(design)) {}
  ~FormBase() override;
  FormBase(const FormBase&) = delete;
  FormBase& operator=(const FormBase&) = delete;

  const std::string& Name() const { return design_.name; }
  bool loaded() const { return site_ != nullptr; }
  // Loads the window when it is not loaded (this is what any use of a window property does).
  void Load();
  // Unloads: Form_QueryUnload, then Form_Unload; returns false when one of them refused.
  bool Unload();
  // Loads if needed and shows; modal returns when the window has unloaded.
  void Show(bool modal);

  std::string Caption();
  // The caption without loading the window (the design's caption while it is not loaded).
  std::string current_caption() const;
  void set_Caption(const std::string& value);
  void set_Icon(const runtime::Variant& picture);
  void set_WindowState(std::int32_t value);

  // host::FormEvents
  void SiteActivated() override;
  bool SiteCloseRequested() override;
  void SiteResized() override;

 protected:
  // The site of the loaded window (loads it first).
  host::FormSite& site();
  template <class T>
  std::shared_ptr<T> control(const std::string& name) {
    return host::control_as<T>(site(), name);
  }

  // Fills the controls' event slots; runs once per load, before Form_Load.
  virtual void bind_controls() = 0;
  virtual void Form_Load() = 0;
  virtual void Form_Activate() {}
  virtual void Form_QueryUnload(bool& Cancel, std::int32_t UnloadMode) { (void)Cancel, (void)UnloadMode; }
  virtual void Form_Unload(bool& Cancel) { (void)Cancel; }
  virtual void Form_Resize() {}

 private:
  bool unload_with_mode(std::int32_t mode);

  host::FormDesign design_;
  std::shared_ptr<host::FormSite> site_;
  bool loading_ = false;
  bool unload_during_load_ = false;
  bool abandoned_ = false;
};

}  // namespace calendatt
