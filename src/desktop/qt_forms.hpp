#pragma once
// Windows of the desktop host. A window's site builds the models of its design's controls, shows each in
// a Qt view, and lays the views out
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
#include "standin/form_model.hpp"
#include "standin/headless_forms.hpp"

class QDialog;

namespace desktop {

class QtFormSite : public standin::FormModel {
 public:
  // Builds the controls' models and their views. `events` must stay valid until Close().
  QtFormSite(const host::FormDesign& design, host::FormEvents* events, std::shared_ptr<QtSession> session);
  ~QtFormSite() override;

  // The window's widget (in the workspace, or inside its dialog).
  QWidget* content() const { return content_; }
  // The dialog of a modal window (null for a modeless one).
  QDialog* dialog() const { return dialog_; }
  // The views, in design order (controls the person does not see have none).
  const std::vector<std::shared_ptr<QtInput>>& views() const { return views_; }

  // The view of that control as its Qt class; throws runtime::Error 5 when there is none and 13 when
  // it is of another kind.
  template <class T>
  std::shared_ptr<T> get(const std::string& control_name) const {
    find(control_name);
    auto it = view_by_name_.find(runtime::upper(control_name));
    auto v = it == view_by_name_.end() ? nullptr : std::dynamic_pointer_cast<T>(it->second);
    if (!v)
      throw runtime::Error(runtime::err::kTypeMismatch, "Control of another kind: " + control_name, name());
    return v;
  }

  // ---- The host's side.

  // The field that has the focus is left where it stands, as before a navigator command: its
  // validation runs; false when it refused (the focus stays).
  bool validate_focused();
  // The window becomes the active window.
  void activate();
  // Reads the grids' lines again (after the record frame wrote or deleted a row).
  void refresh_grids();
  // The window's widget changed size.
  void resized();

  // ---- host::FormSite
  // The first show raises the MDI containers' FormLoad; every show then activates the window. Modal:
  // runs a nested event loop until Close(). Throws runtime::Error 364 after Close().
  void Show(bool modal) override;
  void Close() override;

 private:
  void caption_changed() override;
  void icon_changed() override;
  // Lays the controls out by kind and name, in design order.
  void lay_out();
  void place(bool modal);

  std::shared_ptr<QtSession> session_;
  std::shared_ptr<FormInput> form_;
  std::vector<std::shared_ptr<QtInput>> views_;
  std::map<std::string, std::shared_ptr<QtInput>> view_by_name_;  // upper-case names
  QPointer<QWidget> content_;
  QPointer<QDialog> dialog_;
  QObject* watcher_ = nullptr;
  bool placed_ = false;
  bool embedded_ = false;
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
  // The next window of that name opens without being shown, for the host to work in it as a person
  // working through arguments does (standin/person.hpp): the window's models on their own, whose modal
  // show runs `action` and then closes the window as its close box does.
  void script(const std::string& form_name, standin::UserAction action);
  standin::HeadlessFormFactory& unshown() { return unshown_; }

  std::shared_ptr<host::FormSite> CreateForm(const host::FormDesign& design,
                                             host::FormEvents* events) override;

 private:
  std::shared_ptr<QtSession> session_;
  standin::OpenSites<QtFormSite> sites_;
  standin::HeadlessFormFactory unshown_;
  QObject* click_filter_ = nullptr;
};

}  // namespace desktop
