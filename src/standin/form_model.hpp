#pragma once
// The part of a window that every host shares: the models of its controls by name, its caption, icon and
// window state, the focus, and the events of its life (close request, activation, size). A host's site
// derives from it and adds how the window is shown: the headless host runs the scripted person, the
// desktop lays out the controls' views in a Qt widget.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/form.hpp"
#include "runtime/error.hpp"
#include "standin/control_models.hpp"

namespace standin {

class FormModel : public host::FormSite, public std::enable_shared_from_this<FormModel> {
 public:
  // Builds the models of the design's controls. `events` must stay valid until Close().
  FormModel(const host::FormDesign& design, host::FormEvents* events,
            std::shared_ptr<ControlSession> session);

  const std::string& name() const { return name_; }
  bool closed() const { return closed_; }
  bool modal() const { return modal_; }
  std::int32_t window_state() const { return window_state_; }
  const runtime::Variant& icon() const { return icon_; }
  // The models of the controls, in design order.
  const std::vector<std::shared_ptr<host::Control>>& controls() const { return controls_; }
  // The name of the control that has the focus; empty when none has.
  std::string focused_name() const;

  // The model of that name as its class; throws runtime::Error 5 when there is none and 13 when it is
  // of another kind.
  template <class T>
  std::shared_ptr<T> model(const std::string& control_name) const {
    auto c = std::dynamic_pointer_cast<T>(find(control_name));
    if (!c)
      throw runtime::Error(runtime::err::kTypeMismatch, "Control of another kind: " + control_name, name_);
    return c;
  }

  // The close box: asks the window to close. True when it closed.
  bool request_close();

  // ---- host::FormSite
  // Throws runtime::Error 5 when the design has no such control.
  std::shared_ptr<host::Control> control(const std::string& control_name) override;
  std::string Caption() const override { return caption_; }
  void set_Caption(const std::string& value) override;
  void set_Icon(const runtime::Variant& picture) override;
  void set_WindowState(std::int32_t value) override { window_state_ = value; }
  bool Visible() const override { return visible_; }
  // The window is gone for the module: no more events, no focus.
  void Close() override;

 protected:
  std::shared_ptr<host::Control> find(const std::string& control_name) const;
  // Throws runtime::Error 364 once the window was closed.
  void require_open() const;
  // The first show raises the MDI containers' FormLoad (each may close the window); false when it did
  // not run now or the window closed meanwhile.
  bool load_once();
  // SiteResized, then every resize control's Resize.
  void raise_resized();
  // SiteActivated.
  void raise_activated();
  // After the caption or the icon changed.
  virtual void caption_changed() {}
  virtual void icon_changed() {}

  std::shared_ptr<WindowInput> input_;
  host::FormEvents* events_;
  bool visible_ = false;
  bool shown_before_ = false;
  bool modal_ = false;
  bool closed_ = false;

 private:
  std::string name_;
  std::string caption_;
  std::vector<std::shared_ptr<host::Control>> controls_;
  std::map<std::string, std::shared_ptr<host::Control>> by_name_;  // upper-case names
  runtime::Variant icon_;
  std::int32_t window_state_ = 0;
};

// The windows a form factory made: the newest open window of a name.
template <class Site>
class OpenSites {
 public:
  std::shared_ptr<Site> find(const std::string& form_name) const {
    for (auto it = sites_.rbegin(); it != sites_.rend(); ++it) {
      auto s = it->lock();
      if (s && !s->closed() && s->name() == form_name) return s;
    }
    return nullptr;
  }
  // Makes a window and keeps it among the open ones.
  template <class... Args>
  std::shared_ptr<Site> open(Args&&... args) {
    auto site = std::make_shared<Site>(std::forward<Args>(args)...);
    std::erase_if(sites_, [](const std::weak_ptr<Site>& w) { return w.expired(); });
    sites_.push_back(site);
    return site;
  }

 private:
  std::vector<std::weak_ptr<Site>> sites_;
};

}  // namespace standin
