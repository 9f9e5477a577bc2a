#pragma once
// The command line as the host: the stand-in host services put together with the command line's
// settings, the module created through the registry and handed its contract (and, in called mode, the
// activity it is called for), its window shown, and at the end closed and released as the host does.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_responder.hpp"
#include "cli/options.hpp"
#include "host/contract.hpp"
#include "runtime/date.hpp"
#include "standin/calling_program.hpp"
#include "standin/headless_forms.hpp"
#include "standin/host_setup.hpp"

namespace cli {

// A WBS activity as the calling host program hands it over.
using CalledActivity = standin::CalledActivity;

// The host's settings for a run: the database of --db, the company, the language, and the short date form
// of that language: day first in Italian; in English the ISO form, which no English reader takes for
// month first.
standin::HostSettings host_settings(const Options& options);

class HostSession {
 public:
  static constexpr const char* kWindowName = "FRMPD_CALENDATT";

  HostSession(const Options& options, CliResponder& responder);
  // Closes the window when it is still open, then lets go of the module and of the host services.
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  // The WBS rows of the activity named by the codes in the session's company.
  std::vector<CalledActivity> find_activity(const ActivityCodes& codes);

  // Creates the module and hands it the contract; with `called`, also the activity's codes, ids and
  // planning period. Then shows the window. False when the window did not open (its load failed).
  bool open_window(const CalledActivity* called = nullptr);

  standin::HeadlessFormSite& window() const { return *window_; }
  standin::HeadlessFormFactory& forms() const { return *env_->forms(); }
  // The record frame the window works with now (the contract's active frame); null before the first
  // query.
  std::shared_ptr<host::RecordFrame> frame() const;
  // Whether the module reports that it changed data since the window opened.
  bool data_changed() const;

  // The host closes the window; a row still being entered is cancelled first, as the person would
  // before closing. True when the window closed.
  bool close_window();

 private:
  std::unique_ptr<standin::HostEnvironment> env_;
  std::shared_ptr<host::Cinterface> module_;
  std::shared_ptr<standin::HeadlessFormSite> window_;
};

}  // namespace cli
