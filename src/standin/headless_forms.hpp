#pragma once
// Windows of the headless host and the scripted user. A window's site holds its headless controls and
// presents it; a modal show runs the scripted user's actions queued for that window until it closes.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/form.hpp"
#include "standin/headless_controls.hpp"

namespace standin {

class HeadlessFormSite : public host::FormSite, public std::enable_shared_from_this<HeadlessFormSite> {
 public:
  // Builds the controls of the design. `events` must stay valid until Close().
  HeadlessFormSite(const host::FormDesign& design, host::FormEvents* events,
                   std::shared_ptr<HeadlessSession> session);

  const std::string& name() const { return name_; }
  bool closed() const { return closed_; }
  bool modal() const { return modal_; }
  std::int32_t window_state() const { return window_state_; }
  const runtime::Variant& icon() const { return icon_; }
  // The controls in design order.
  const std::vector<std::shared_ptr<host::Control>>& controls() const { return controls_; }

  // A control of that name as its headless class; throws runtime::Error 5 when there is none and 13 when
  // it is of another kind.
  template <class T>
  std::shared_ptr<T> get(const std::string& control_name) const {
    auto c = std::dynamic_pointer_cast<T>(find(control_name));
    if (!c)
      throw runtime::Error(runtime::err::kTypeMismatch, "Control of another kind: " + control_name, name_);
    return c;
  }
  std::shared_ptr<HeadlessCodeEdit> code(const std::string& n) const { return get<HeadlessCodeEdit>(n); }
  std::shared_ptr<HeadlessDateEdit> date(const std::string& n) const { return get<HeadlessDateEdit>(n); }
  std::shared_ptr<HeadlessNumericEdit> numeric(const std::string& n) const {
    return get<HeadlessNumericEdit>(n);
  }
  std::shared_ptr<HeadlessCombo> combo(const std::string& n) const { return get<HeadlessCombo>(n); }
  std::shared_ptr<HeadlessCalendar> calendar(const std::string& n) const { return get<HeadlessCalendar>(n); }
  std::shared_ptr<HeadlessToolbarButton> button(const std::string& n) const {
    return get<HeadlessToolbarButton>(n);
  }
  std::shared_ptr<HeadlessLabel> label(const std::string& n) const { return get<HeadlessLabel>(n); }
  std::shared_ptr<HeadlessGrid> grid(const std::string& n) const { return get<HeadlessGrid>(n); }

  // The name of the control that has the focus; empty when none has.
  std::string focused_name() const;
  // The person moves into a control (the focused one is left first); see HeadlessInput::click_into.
  bool focus(const std::string& control_name);

  // ---- The host's side.

  // The close box: asks the window to close. True when it closed.
  bool request_close();
  // The window becomes the active window again.
  void activate();
  // The window changes size: SiteResized, then every resize control's Resize.
  void resize();

  // ---- host::FormSite
  // Throws runtime::Error 5 when the design has no such control.
  std::shared_ptr<host::Control> control(const std::string& control_name) override;
  std::string Caption() const override { return caption_; }
  void set_Caption(const std::string& value) override { caption_ = value; }
  void set_Icon(const runtime::Variant& picture) override { icon_ = picture; }
  void set_WindowState(std::int32_t value) override { window_state_ = value; }
  // The first show raises the MDI containers' FormLoad and resizes the window, as a window appearing
  // does; every show then activates it. Modal: runs the actions queued for the window's name until it
  // closes or they run out; then, when it is still open, uses the close box, and when the window refuses
  // records a failure in the session and returns. Throws runtime::Error 364 after Close().
  void Show(bool modal) override;
  bool Visible() const override { return visible_; }
  void Close() override;

 private:
  std::shared_ptr<host::Control> find(const std::string& control_name) const;
  void run_scripted_user();
  void fail(const std::string& what);

  std::string name_;
  std::string caption_;
  host::FormEvents* events_;
  std::shared_ptr<HeadlessSession> session_;
  std::shared_ptr<WindowInput> input_;
  std::vector<std::shared_ptr<host::Control>> controls_;
  std::map<std::string, std::shared_ptr<host::Control>> by_name_;  // upper-case names
  runtime::Variant icon_;
  std::int32_t window_state_ = 0;
  bool visible_ = false;
  bool shown_before_ = false;
  bool modal_ = false;
  bool closed_ = false;
};

class HeadlessFormFactory : public host::FormFactory {
 public:
  HeadlessFormFactory();

  // Queues an action of the scripted user for the next modal show of the window of that name.
  // Actions must not hold the factory or the environment (they are kept by the factory).
  void script(const std::string& form_name, UserAction action);
  std::size_t pending_actions(const std::string& form_name) const;
  // What the scripted user could not do (a window that refused to close, an action that threw).
  const std::vector<std::string>& failures() const { return session_->failures; }
  // How the grids run their lookup queries.
  void set_query_runner(QueryRunner runner) { session_->query_runner = std::move(runner); }
  // How the controls show their own notices to the person.
  void set_notice(std::function<void(const std::string&, const std::string&)> notice) {
    session_->notice = std::move(notice);
  }

  // The most recently created window of that name that is still open; null when none.
  std::shared_ptr<HeadlessFormSite> site(const std::string& form_name) const;
  int forms_created() const { return forms_created_; }

  std::shared_ptr<host::FormSite> CreateForm(const host::FormDesign& design,
                                             host::FormEvents* events) override;

 private:
  std::shared_ptr<HeadlessSession> session_;
  std::vector<std::weak_ptr<HeadlessFormSite>> sites_;
  int forms_created_ = 0;
};

}  // namespace standin
