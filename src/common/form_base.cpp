#include "common/form_base.hpp"

#include "host/registry.hpp"

namespace calendatt {

namespace {
constexpr std::int32_t kFormControlMenu = 0;  // the user closed the window
constexpr std::int32_t kFormCode = 1;         // the code unloaded it
}  // namespace

FormBase::~FormBase() = default;

void FormBase::Load() {
  if (site_ || loading_) return;
  // A window whose load was abandoned (Abort in its load) stays unloaded: using it again does not load it
  // a second time behind the user's back.
  if (abandoned_) throw runtime::Error(364, "Object was unloaded", design_.name);
  auto factory = host::Registry::instance().create_as<host::FormFactory>(host::progid::kFormFactory);
  site_ = factory->CreateForm(design_, this);
  loading_ = true;
  unload_during_load_ = false;
  bind_controls();
  Form_Load();
  loading_ = false;
  if (unload_during_load_) {
    // The load was abandoned: the window is gone and the use that loaded it fails.
    unload_during_load_ = false;
    abandoned_ = true;
    throw runtime::Error(364, "Object was unloaded", design_.name);
  }
}

host::FormSite& FormBase::site() {
  Load();
  if (!site_) throw runtime::Error(364, "Object was unloaded", design_.name);
  return *site_;
}

bool FormBase::Unload() {
  return unload_with_mode(kFormCode);
}

bool FormBase::unload_with_mode(std::int32_t mode) {
  if (!site_) return true;
  bool cancel = false;
  Form_QueryUnload(cancel, mode);
  if (cancel) return false;
  Form_Unload(cancel);
  if (cancel) return false;
  auto site = std::move(site_);
  site_.reset();
  if (loading_) unload_during_load_ = true;
  site->Close();
  return true;
}

void FormBase::Show(bool modal) {
  site().Show(modal);
}

std::string FormBase::Caption() {
  return site().Caption();
}
std::string FormBase::current_caption() const {
  return site_ ? site_->Caption() : design_.caption;
}
void FormBase::set_Caption(const std::string& value) {
  site().set_Caption(value);
}
void FormBase::set_Icon(const runtime::Variant& picture) {
  site().set_Icon(picture);
}
void FormBase::set_WindowState(std::int32_t value) {
  site().set_WindowState(value);
}

void FormBase::SiteActivated() {
  if (site_) Form_Activate();
}

bool FormBase::SiteCloseRequested() {
  return unload_with_mode(kFormControlMenu);
}

void FormBase::SiteResized() {
  if (site_) Form_Resize();
}

}  // namespace calendatt
