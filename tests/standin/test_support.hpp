#pragma once
// Helpers of the stand-in tests: a scratch directory for database files, and a window that receives a
// site's events the way the module's windows do.

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/form.hpp"

namespace standin::testing {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "calendatt-standin-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch directory");
    dir_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  std::string file(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

// A window as the site sees it: logs the events and closes its site when asked, unless told to refuse.
class TestWindow : public host::FormEvents {
 public:
  std::shared_ptr<host::FormSite> site;
  bool refuse_close = false;
  std::vector<std::string> events;

  void SiteActivated() override { events.push_back("Activated"); }
  bool SiteCloseRequested() override {
    events.push_back("CloseRequested");
    if (refuse_close) return false;
    auto closing = std::move(site);  // the window lets its site go as it unloads
    closing->Close();
    return true;
  }
  void SiteResized() override { events.push_back("Resized"); }
};

}  // namespace standin::testing
