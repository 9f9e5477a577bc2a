#pragma once
// The host navigator with its script and layout object models, the export object, the menu entry and the
// status bar. The navigator records every call the module makes and raises its events as the host does.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/global.hpp"

namespace standin {

class StandinGlobal;

// The script object model: keeps the registrations, logs the notifications, answers the close query.
class StandinScriptObject : public host::ScriptObject {
 public:
  struct Registration {
    std::string name;
    std::weak_ptr<runtime::Object> object;  // the model observes; it never keeps an object alive
    std::int32_t kind = 0;
    std::string description;
  };
  struct Notification {
    std::string name;
    std::int32_t zero = 0;
    bool open = false;
    runtime::Variant name_again;
  };

  const std::vector<Registration>& registrations() const { return registrations_; }
  const std::vector<Notification>& notifications() const { return notifications_; }
  const std::vector<std::string>& closed_programs() const { return closed_programs_; }
  int close_queries() const { return close_queries_; }
  // The answer of QueryClose (True forbids closing); False at first.
  void set_query_close(bool forbid) { forbid_close_ = forbid; }
  // A host script calls a method of a registered object by name (the last registration of that name).
  // Throws runtime::Error 424 when no live object has that name, 438 when it has no such method.
  runtime::Variant call(const std::string& object_name, const std::string& method,
                        const runtime::ParamList& args = {});

  // Keeps the registration and hands the same reference back.
  void RegisterObject(const std::string& name, std::shared_ptr<runtime::Object>& object, std::int32_t kind,
                      const std::string& description) override;
  void ProgramNotification(const std::string& name, std::int32_t zero, bool open,
                           const runtime::Variant& name_again) override;
  bool QueryClose() override;
  void ProgramClosed(const std::string& menu_text) override;

 private:
  std::vector<Registration> registrations_;
  std::vector<Notification> notifications_;
  std::vector<std::string> closed_programs_;
  int close_queries_ = 0;
  bool forbid_close_ = false;
};

class StandinLayoutObject : public host::LayoutObject {
 public:
  struct Registration {
    runtime::Variant title;
    std::weak_ptr<runtime::Object> window;
    std::int32_t a = 0, b = 0, c = 0;
  };
  const std::vector<Registration>& registrations() const { return registrations_; }

  // Keeps the registration and hands the same window back.
  void RegisterObject(const runtime::Variant& title, std::shared_ptr<runtime::Object>& window, std::int32_t a,
                      std::int32_t b, std::int32_t c) override;

 private:
  std::vector<Registration> registrations_;
};

class StandinExportToOffice : public host::ExportToOffice {
 public:
  void set_titolomaster(const std::string& title) override { title_ = title; }
  std::string titolomaster() const override { return title_; }

 private:
  std::string title_;
};

class StandinMenuEntry : public host::MenuEntry {
 public:
  explicit StandinMenuEntry(std::string text) : text_(std::move(text)) {}
  std::string Text() const override { return text_; }

 private:
  std::string text_;
};

// The host's status bar: one text panel.
class StandinStatusBar : public runtime::Object {
 public:
  const std::string& text() const { return text_; }
  void set_text(std::string text) { text_ = std::move(text); }

 private:
  std::string text_;
};

class StandinNavigator : public host::Navigator {
 public:
  // The button of the navigator that asks for the current row's multimedia data.
  static constexpr std::int32_t kMultimediaButton = 25;

  // The module's calls, in order: "FrameStatus(2)", "Refresh", "Activate", "OpenProgram",
  // "set_ClsScript(nothing)", "set_ClsScript(object)", the same for set_ClsLayout, set_Interface and
  // set_event_sink. The slot readings are not logged.
  const std::vector<std::string>& calls() const { return calls_; }
  void clear_calls() { calls_.clear(); }
  // The last status handed to FrameStatus (-1 before any).
  std::int16_t frame_status() const { return frame_status_; }
  std::shared_ptr<Events> event_sink() const { return sink_; }

  // ---- The host's side: what the user does with the navigator.

  // A company change: raises BeforeChangeDitta; unless cancelled, changes the global object's company and
  // raises ChangeDitta. Returns whether the company changed.
  bool change_company(std::int32_t company, StandinGlobal& global);
  // Raises ButtonPressed; returns false when the receiver cancelled.
  bool press_button(std::int32_t button);
  // Raises BeforeExportToOffice with the export object; returns false when the receiver cancelled.
  bool export_to_office(const std::shared_ptr<host::ExportToOffice>& exporter);
  // The host builds its script model: the script object takes the ClsScript slot, then
  // InitializeScriptObjectModel is raised with it. Returns false when the receiver cancelled.
  bool initialize_script_model(const std::shared_ptr<host::ScriptObject>& script);
  // The same for the layout model and the ClsLayout slot.
  bool initialize_layout_model(const std::shared_ptr<host::LayoutObject>& layout);
  // Lets go of the slots and the event receiver (the host's shutdown).
  void release_references();

  // ---- host::Navigator
  void FrameStatus(std::int16_t status) override;
  void Refresh() override;
  runtime::Variant Activate() override;
  runtime::Variant OpenProgram() override;
  std::shared_ptr<host::ScriptObject> ClsScript() override { return script_; }
  void set_ClsScript(std::shared_ptr<host::ScriptObject> value) override;
  std::shared_ptr<host::LayoutObject> ClsLayout() override { return layout_; }
  void set_ClsLayout(std::shared_ptr<host::LayoutObject> value) override;
  // Observes the contract, as the global object's slots do.
  std::shared_ptr<host::Cinterface> Interface() override { return interface_.lock(); }
  void set_Interface(std::shared_ptr<host::Cinterface> value) override;
  void set_event_sink(std::shared_ptr<Events> sink) override;

 private:
  void log(std::string call) { calls_.push_back(std::move(call)); }

  std::vector<std::string> calls_;
  std::int16_t frame_status_ = -1;
  std::shared_ptr<host::ScriptObject> script_;
  std::shared_ptr<host::LayoutObject> layout_;
  std::weak_ptr<host::Cinterface> interface_;
  std::shared_ptr<Events> sink_;
};

}  // namespace standin
