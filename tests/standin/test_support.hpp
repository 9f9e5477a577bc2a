#pragma once
// A window that receives a site's events the way the module's windows do.

#include <memory>
#include <string>
#include <vector>

#include "host/form.hpp"

namespace standin::testing {

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
