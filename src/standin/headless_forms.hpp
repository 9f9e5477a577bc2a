#pragma once
// Windows of the headless host and the scripted user. A window's site holds its controls' models and
// presents it; a modal show runs the scripted user's actions queued for that window until it closes.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/form.hpp"
#include "standin/form_model.hpp"
#include "standin/headless_controls.hpp"

namespace standin {

class HeadlessFormSite;

// One step of the scripted user in a window.
using UserAction = std::function<void(HeadlessFormSite&)>;

// The headless host's session: the controls' session, and the scripted user's actions.
struct HeadlessSession : ControlSession {
  // The scripted user's actions, by window name.
  std::map<std::string, std::deque<UserAction>> actions;
  // What the scripted user could not do, one line each.
  std::vector<std::string> failures;
};

// A window of the headless host: the window's models, shown to the scripted person.
class HeadlessFormSite : public FormModel {
 public:
  // Builds the controls of the design. `events` must stay valid until Close().
  HeadlessFormSite(const host::FormDesign& design, host::FormEvents* events,
                   std::shared_ptr<HeadlessSession> session);

  // A control of that name as its model class; throws runtime::Error 5 when there is none and 13 when
  // it is of another kind.
  template <class T>
  std::shared_ptr<T> get(const std::string& control_name) const {
    return model<T>(control_name);
  }
  std::shared_ptr<CodeEditModel> code(const std::string& n) const { return get<CodeEditModel>(n); }
  std::shared_ptr<DateEditModel> date(const std::string& n) const { return get<DateEditModel>(n); }
  std::shared_ptr<NumericEditModel> numeric(const std::string& n) const { return get<NumericEditModel>(n); }
  std::shared_ptr<ComboModel> combo(const std::string& n) const { return get<ComboModel>(n); }
  std::shared_ptr<CalendarModel> calendar(const std::string& n) const { return get<CalendarModel>(n); }
  std::shared_ptr<ToolbarButtonModel> button(const std::string& n) const {
    return get<ToolbarButtonModel>(n);
  }
  std::shared_ptr<LabelModel> label(const std::string& n) const { return get<LabelModel>(n); }
  std::shared_ptr<GridModel> grid(const std::string& n) const { return get<GridModel>(n); }

  // The person moves into a control (the focused one is left first); see InputModel::click_into.
  bool focus(const std::string& control_name);

  // ---- The host's side.

  // The window becomes the active window again.
  void activate() { raise_activated(); }
  // The window changes size: SiteResized, then every resize control's Resize.
  void resize() { raise_resized(); }

  // The first show raises the MDI containers' FormLoad and resizes the window, as a window appearing
  // does; every show then activates it. Modal: runs the actions queued for the window's name until it
  // closes or they run out; then, when it is still open, uses the close box, and when the window refuses
  // records a failure in the session and returns. Throws runtime::Error 364 after Close().
  void Show(bool modal) override;

 private:
  void run_scripted_user();
  void fail(const std::string& what);

  std::shared_ptr<HeadlessSession> session_;
};

class HeadlessFormFactory : public host::FormFactory {
 public:
  HeadlessFormFactory();

  // Queues an action of the scripted user for the next modal show of the window of that name.
  // Actions must not hold the factory or the environment (they are kept by the factory).
  void script(const std::string& form_name, UserAction action);
  std::size_t pending_actions(const std::string& form_name) const;
  // Drops the actions still queued for the window (it did not open).
  void drop_actions(const std::string& form_name) { session_->actions.erase(form_name); }
  // What the scripted user could not do (a window that refused to close, an action that threw).
  const std::vector<std::string>& failures() const { return session_->failures; }
  // How the grids run their lookup queries.
  void set_query_runner(QueryRunner runner) { session_->query_runner = std::move(runner); }
  // How the controls show their own notices to the person.
  // The language of the controls' own notices ("it" or "en").
  void set_language(const std::string& language) { session_->language = language; }
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
  standin::OpenSites<HeadlessFormSite> sites_;
  int forms_created_ = 0;
};

}  // namespace standin
