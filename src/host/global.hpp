#pragma once
// The host's shared objects reached through the contract: the global object with its environment, the
// multilanguage dictionary, the navigator with its script and layout object models, the menu entry.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/contract.hpp"
#include "runtime/variant.hpp"

namespace host {

// Shows message boxes and translates message numbers. Styles and answers are the usual message-box ones
// (styles 1, 4, 16, 48, 64, 68...; answers 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No).
class Multilanguage : public virtual runtime::Object {
 public:
  // Shows a text as it is.
  virtual std::int32_t ShowText(const std::string& text, std::int32_t style, const std::string& title,
                                const runtime::Variant& object) = 0;
  // Shows the dictionary's text of a message number with its placeholders filled from `params`.
  virtual std::int32_t ShowMessage(std::int32_t number, std::int32_t style, const std::string& title,
                                   const runtime::ParamList& params) = 0;
  // The dictionary's text of a message number with its placeholders filled.
  virtual std::string Translate(std::int32_t number, const runtime::ParamList& params) = 0;
  // The text with every single quote doubled, ready for an SQL literal.
  virtual std::string DoubleQuotes(const std::string& text) = 0;
  // The message box of the multilanguage object created without a host contract.
  virtual std::int32_t KVOMsgBox(const std::string& text, std::int32_t style, const std::string& title) = 0;
};

class ScriptObject : public virtual runtime::Object {
 public:
  // Registers an object under a name; the model may hand back another reference in `object`.
  virtual void RegisterObject(const std::string& name, std::shared_ptr<runtime::Object>& object,
                              std::int32_t kind, const std::string& description) = 0;
  virtual void ProgramNotification(const std::string& name, std::int32_t zero, bool open,
                                   const runtime::Variant& name_again) = 0;
  // Answers True when the script forbids closing the window.
  virtual bool QueryClose() = 0;
  // Receives the menu entry's text when a program closes.
  virtual void ProgramClosed(const std::string& menu_text) = 0;
};

class LayoutObject : public virtual runtime::Object {
 public:
  virtual void RegisterObject(const runtime::Variant& title, std::shared_ptr<runtime::Object>& window,
                              std::int32_t a, std::int32_t b, std::int32_t c) = 0;
};

class ExportToOffice : public virtual runtime::Object {
 public:
  virtual void set_titolomaster(const std::string& title) = 0;
  virtual std::string titolomaster() const = 0;
};

// The host navigator: the host's toolbar and record navigator. Its events reach the active module.
class Navigator : public virtual runtime::Object {
 public:
  virtual void FrameStatus(std::int16_t status) = 0;
  virtual void Refresh() = 0;
  virtual runtime::Variant Activate() = 0;
  virtual runtime::Variant OpenProgram() = 0;
  virtual std::shared_ptr<ScriptObject> ClsScript() = 0;
  virtual void set_ClsScript(std::shared_ptr<ScriptObject> value) = 0;
  virtual std::shared_ptr<LayoutObject> ClsLayout() = 0;
  virtual void set_ClsLayout(std::shared_ptr<LayoutObject> value) = 0;
  virtual std::shared_ptr<Cinterface> Interface() = 0;
  virtual void set_Interface(std::shared_ptr<Cinterface> value) = 0;

  // Event slots, filled by the module object that receives the navigator's events.
  struct Events {
    std::function<void(bool& Cancel)> BeforeChangeDitta;
    std::function<void(bool& Cancel)> ChangeDitta;
    std::function<void(bool& Cancel, const std::shared_ptr<ExportToOffice>& Pcls_ExpToOffice)>
        BeforeExportToOffice;
    std::function<void(bool& Cancel, const std::shared_ptr<ScriptObject>& ClsScript)>
        InitializeScriptObjectModel;
    std::function<void(bool& Cancel, const std::shared_ptr<LayoutObject>& ClsLayout)>
        InitializeLayoutObjectModel;
    std::function<void(bool& Cancel, std::int32_t& ButtonPress)> ButtonPressed;
  };
  // The receiver of the events; a module clears it when it lets the navigator go.
  virtual void set_event_sink(std::shared_ptr<Events> sink) = 0;
};

class MenuEntry : public virtual runtime::Object {
 public:
  virtual std::string Text() const = 0;
};

// A picture list of the host ("ImageList1"), pictures by key.
class ImageList : public virtual runtime::Object {
 public:
  virtual runtime::Variant Picture(const std::string& key) = 0;
};

class GlobalObject : public virtual runtime::Object {
 public:
  // Environment: the connection string of the host database.
  virtual std::string ConnectionString() = 0;
  // Second environment object: the current company (converted to a whole number by the module).
  virtual runtime::Variant Company() = 0;
  virtual std::shared_ptr<Multilanguage> ClsMultilingua() = 0;
  // The two contract slots.
  virtual std::shared_ptr<Cinterface> Interface(int slot) = 0;
  virtual void set_Interface(int slot, std::shared_ptr<Cinterface> value) = 0;
  // Told when a window lets its contract go or after a maintenance run; may replace the reference.
  virtual void ReleaseInterface(std::shared_ptr<Cinterface>& active_interface) = 0;
  // The host's main contract object (its hwndParent is handed to the media manager).
  virtual std::shared_ptr<Cinterface> MainInterface() = 0;
  virtual std::shared_ptr<ImageList> ImageList1() = 0;
  // The two values of the media sub-object handed to the media manager.
  virtual runtime::Variant MediaValue(int index) = 0;
};

}  // namespace host
