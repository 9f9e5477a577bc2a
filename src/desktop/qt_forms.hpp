#pragma once
// Windows of the desktop host. A window's site builds the Qt controls of its design and lays them out
// by kind and name: the toolbar buttons on a toolbar at the top, the calendar beside the fields, the
// fields in rows headed by their labels, the grid below. A modeless window goes into the host's
// workspace; a modal one is a dialog whose Show runs a nested event loop until the window unloads.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "desktop/qt_controls.hpp"
#include "host/form.hpp"
#include "runtime/error.hpp"

class QDialog;

namespace desktop {

class QtFormSite : public host::FormSite, public std::enable_shared_from_this<QtFormSite> {
 public:
  // Builds the controls of the design. `events` must stay valid until Close().
  QtFormSite(const host::FormDesign& design, host::FormEvents* events, std::shared_ptr<QtSession> session);
  ~QtFormSite() override;

  const std::string& name() const { return name_; }
  bool closed() const { return closed_; }
  bool modal() const { return modal_; }
  // The window's widget (in the workspace, or inside its dialog).
  QWidget* content() const { return content_; }
  // The dialog of a modal window (null for a modeless one).
  QDialog* dialog() const { return dialog_; }
  const std::vector<std::shared_ptr<host::Control>>& controls() const { return controls_; }
  const runtime::Variant& icon() const { return icon_; }

  // A control of that name as its Qt class; throws runtime::Error 5 when there is none and 13 when it is
  // of another kind.
  template <class T>
  std::shared_ptr<T> get(const std::string& control_name) const {
    auto c = std::dynamic_pointer_cast<T>(find(control_name));
    if (!c)
      throw runtime::Error(runtime::err::kTypeMismatch, "Control of another kind: " + control_name, name_);
    return c;
  }
  // The name of the control that has the focus as the module sees it; empty when none has.
  std::string focused_name() const;

  // ---- The host's side.

  // The field that has the focus is left where it stands, as before a navigator command: its
  // validation runs; false when it refused (the focus stays).
  bool validate_focused();
  // The close box: asks the window to close. True when it closed.
  bool request_close();
  // The window becomes the active window.
  void activate();
  // Reads the grids' lines again (after the record frame wrote or deleted a row).
  void refresh_grids();
  // The window's widget changed size.
  void resized();

  // ---- host::FormSite
  std::shared_ptr<host::Control> control(const std::string& control_name) override;
  std::string Caption() const override { return caption_; }
  void set_Caption(const std::string& value) override;
  void set_Icon(const runtime::Variant& picture) override;
  void set_WindowState(std::int32_t value) override { window_state_ = value; }
  // The first show raises the MDI containers' FormLoad; every show then activates the window. Modal:
  // runs a nested event loop until Close(). Throws runtime::Error 364 after Close().
  void Show(bool modal) override;
  bool Visible() const override { return visible_; }
  void Close() override;

 private:
  std::shared_ptr<host::Control> find(const std::string& control_name) const;
  // Lays the controls out by kind and name, in design order.
  void lay_out(const host::FormDesign& design);
  void place(bool modal);
  void apply_icon();

  std::string name_;
  std::string caption_;
  host::FormEvents* events_;
  std::shared_ptr<QtSession> session_;
  std::shared_ptr<FormInput> input_;
  std::vector<std::shared_ptr<host::Control>> controls_;
  std::map<std::string, std::shared_ptr<host::Control>> by_name_;  // upper-case names
  QPointer<QWidget> content_;
  QPointer<QDialog> dialog_;
  QObject* watcher_ = nullptr;
  runtime::Variant icon_;
  std::int32_t window_state_ = 0;
  bool placed_ = false;
  bool embedded_ = false;
  bool visible_ = false;
  bool shown_before_ = false;
  bool modal_ = false;
  bool closed_ = false;
};

class QtFormFactory : public host::FormFactory {
 public:
  QtFormFactory();
  ~QtFormFactory() override;
  QtFormFactory(const QtFormFactory&) = delete;
  QtFormFactory& operator=(const QtFormFactory&) = delete;

  const std::shared_ptr<QtSession>& session() const { return session_; }
  // The most recently created window of that name that is still open; null when none.
  std::shared_ptr<QtFormSite> site(const std::string& form_name) const;

  std::shared_ptr<host::FormSite> CreateForm(const host::FormDesign& design,
                                             host::FormEvents* events) override;

 private:
  std::shared_ptr<QtSession> session_;
  std::vector<std::weak_ptr<QtFormSite>> sites_;
  QObject* click_filter_ = nullptr;
};

}  // namespace desktop
