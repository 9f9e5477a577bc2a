#include "standin/headless_forms.hpp"

#include <algorithm>
#include <exception>

#include "runtime/error.hpp"

namespace standin {

namespace {
constexpr std::int32_t kObjectUnloaded = 364;
}  // namespace

HeadlessFormSite::HeadlessFormSite(const host::FormDesign& design, host::FormEvents* events,
                                   std::shared_ptr<HeadlessSession> session)
    : name_(design.name),
      caption_(design.caption),
      events_(events),
      session_(std::move(session)),
      input_(std::make_shared<WindowInput>()) {
  input_->form_name = name_;
  input_->session = session_;
  for (const auto& control_design : design.controls) {
    std::string key = runtime::upper(control_design.name);
    if (by_name_.count(key))
      throw runtime::Error(runtime::err::kInvalidArgument, "Two controls named " + control_design.name,
                           name_);
    auto c = make_headless_control(control_design, input_);
    controls_.push_back(c);
    by_name_.emplace(key, std::move(c));
  }
}

std::shared_ptr<host::Control> HeadlessFormSite::find(const std::string& control_name) const {
  auto it = by_name_.find(runtime::upper(control_name));
  if (it == by_name_.end())
    throw runtime::Error(runtime::err::kInvalidArgument, "No control named " + control_name, name_);
  return it->second;
}

std::shared_ptr<host::Control> HeadlessFormSite::control(const std::string& control_name) {
  return find(control_name);
}

std::string HeadlessFormSite::focused_name() const {
  return input_->focused ? input_->focused->name() : "";
}

bool HeadlessFormSite::focus(const std::string& control_name) {
  auto c = std::dynamic_pointer_cast<HeadlessInput>(find(control_name));
  return c && c->click_into();
}

void HeadlessFormSite::fail(const std::string& what) {
  session_->failures.push_back(name_ + ": " + what);
}

bool HeadlessFormSite::request_close() {
  if (closed_ || !events_) return closed_;
  auto keep = shared_from_this();
  bool unloaded = events_->SiteCloseRequested();
  return unloaded || closed_;
}

void HeadlessFormSite::activate() {
  if (closed_ || !events_) return;
  auto keep = shared_from_this();
  events_->SiteActivated();
}

void HeadlessFormSite::resize() {
  if (closed_ || !events_) return;
  auto keep = shared_from_this();
  events_->SiteResized();
  for (const auto& c : controls_) {
    if (closed_) return;
    if (auto r = std::dynamic_pointer_cast<HeadlessResizeControl>(c)) r->resize();
  }
}

void HeadlessFormSite::Show(bool modal) {
  if (closed_) throw runtime::Error(kObjectUnloaded, "Object was unloaded", name_);
  auto keep = shared_from_this();
  visible_ = true;
  if (!shown_before_) {
    shown_before_ = true;
    for (const auto& c : controls_) {
      if (closed_) return;
      if (auto mdi = std::dynamic_pointer_cast<HeadlessMdiContainer>(c)) mdi->form_loaded();
    }
    resize();
  }
  activate();
  if (!modal) return;
  modal_ = true;
  run_scripted_user();
  modal_ = false;
}

void HeadlessFormSite::run_scripted_user() {
  while (!closed_) {
    auto queue = session_->actions.find(name_);
    if (queue == session_->actions.end() || queue->second.empty()) break;
    UserAction action = std::move(queue->second.front());
    queue->second.pop_front();
    try {
      action(*this);
    } catch (const std::exception& e) {
      fail(std::string("a scripted action failed: ") + e.what());
      break;
    } catch (...) {
      fail("a scripted action failed");
      break;
    }
  }
  if (!closed_ && !request_close()) fail("still open after its scripted actions, and it refused to close");
}

void HeadlessFormSite::Close() {
  visible_ = false;
  closed_ = true;
  events_ = nullptr;
  input_->focused = nullptr;
}

HeadlessFormFactory::HeadlessFormFactory() : session_(std::make_shared<HeadlessSession>()) {}

void HeadlessFormFactory::script(const std::string& form_name, UserAction action) {
  session_->actions[form_name].push_back(std::move(action));
}

std::size_t HeadlessFormFactory::pending_actions(const std::string& form_name) const {
  auto it = session_->actions.find(form_name);
  return it == session_->actions.end() ? 0 : it->second.size();
}

std::shared_ptr<HeadlessFormSite> HeadlessFormFactory::site(const std::string& form_name) const {
  for (auto it = sites_.rbegin(); it != sites_.rend(); ++it) {
    auto s = it->lock();
    if (s && !s->closed() && s->name() == form_name) return s;
  }
  return nullptr;
}

std::shared_ptr<host::FormSite> HeadlessFormFactory::CreateForm(const host::FormDesign& design,
                                                                host::FormEvents* events) {
  auto s = std::make_shared<HeadlessFormSite>(design, events, session_);
  std::erase_if(sites_, [](const std::weak_ptr<HeadlessFormSite>& w) { return w.expired(); });
  sites_.push_back(s);
  ++forms_created_;
  return s;
}

}  // namespace standin
