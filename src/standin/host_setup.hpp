#pragma once
// The stand-in host put together: settings, dictionary, responder, global object, navigator and form
// factory, the host classes registered by their programmatic identifiers, and the module created and
// handed its contract as the host does.

#include <memory>
#include <string>
#include <vector>

#include "host/contract.hpp"
#include "host/registry.hpp"
#include "standin/dictionary.hpp"
#include "standin/global.hpp"
#include "standin/headless_forms.hpp"
#include "standin/multilanguage.hpp"
#include "standin/navigator.hpp"
#include "standin/responder.hpp"

namespace standin {

// One environment at a time: the class registry is the process's.
//
// The responder must outlive the environment and every host object it handed out (tests keep both for
// the test's length). Destroying the environment unregisters its classes and lets go of the contract
// references its global object and navigator hold; the module objects themselves are their owners'.
class HostEnvironment {
 public:
  static constexpr const char* kModuleTitle = "Calendario attività WBS";

  // Throws runtime::Error 5 for a language the dictionary does not hold.
  HostEnvironment(HostSettings settings, MessageResponder& responder);
  ~HostEnvironment();
  HostEnvironment(const HostEnvironment&) = delete;
  HostEnvironment& operator=(const HostEnvironment&) = delete;

  const HostSettings& settings() const { return settings_; }
  // Takes new settings: global object, dictionary language, short date form, lookup database.
  void apply_settings(const HostSettings& settings);

  const Dictionary& dictionary() const { return dictionary_; }
  MessageResponder& responder() const { return *responder_; }
  const std::shared_ptr<StandinGlobal>& global() const { return global_; }
  const std::shared_ptr<StandinMultilanguage>& multilanguage() const { return multilanguage_; }
  const std::shared_ptr<StandinNavigator>& navigator() const { return navigator_; }
  const std::shared_ptr<HeadlessFormFactory>& forms() const { return forms_; }
  const std::shared_ptr<StandinMenuEntry>& menu_entry() const { return menu_entry_; }
  const std::shared_ptr<StandinStatusBar>& status_bar() const { return status_bar_; }

  // Registers the host classes: multilanguage (a new object on each creation, showing through the same
  // responder), date, number, error display, connection factory, record service, and the form factory
  // (always this environment's). Does nothing when already registered; throws std::logic_error while
  // another environment has its classes registered.
  void register_classes();
  // Registers one more host class; it is unregistered with the others.
  void add_class(const std::string& prog_id, host::Registry::Factory factory);
  bool registered() const { return registered_; }

  // Creates the module through the registry (registering the host classes first when needed) and hands
  // it the contract: global object, navigator, menu entry "Calendario attività WBS", status bar, window
  // state 0 and the caption "Calendario attività WBS".
  std::shared_ptr<host::Cinterface> create_module();

  // Runs a query text on the host's database (the grids' lookup queries). The connection is opened on
  // first use with the settings' connection string and kept until the settings change.
  std::shared_ptr<host::Recordset> run_query(const std::string& sql);

 private:
  struct QueryDatabase;

  HostSettings settings_;
  std::string previous_date_form_;  // put back on destruction
  Dictionary dictionary_;
  MessageResponder* responder_;
  std::shared_ptr<StandinMultilanguage> multilanguage_;
  std::shared_ptr<StandinGlobal> global_;
  std::shared_ptr<StandinNavigator> navigator_;
  std::shared_ptr<HeadlessFormFactory> forms_;
  std::shared_ptr<StandinMenuEntry> menu_entry_;
  std::shared_ptr<StandinStatusBar> status_bar_;
  std::shared_ptr<QueryDatabase> query_database_;
  std::vector<std::string> registered_ids_;
  bool registered_ = false;
};

}  // namespace standin
