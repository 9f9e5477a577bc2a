#include "standin/headless_forms.hpp"

#include <algorithm>
#include <exception>

#include "runtime/error.hpp"

namespace standin {

HeadlessFormSite::HeadlessFormSite(const host::FormDesign& design, host::FormEvents* events,
                                   std::shared_ptr<HeadlessSession> session)
    : FormModel(design, events, session), session_(std::move(session)) {}

bool HeadlessFormSite::focus(const std::string& control_name) {
  auto c = std::dynamic_pointer_cast<InputModel>(find(control_name));
  return c && c->click_into();
}

void HeadlessFormSite::fail(const std::string& what) {
  session_->failures.push_back(name() + ": " + what);
}

void HeadlessFormSite::Show(bool modal) {
  require_open();
  auto keep = shared_from_this();
  visible_ = true;
  if (!shown_before_) {
    if (!load_once()) return;
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
    auto queue = session_->actions.find(name());
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

HeadlessFormFactory::HeadlessFormFactory() : session_(std::make_shared<HeadlessSession>()) {}

void HeadlessFormFactory::script(const std::string& form_name, UserAction action) {
  session_->actions[form_name].push_back(std::move(action));
}

std::size_t HeadlessFormFactory::pending_actions(const std::string& form_name) const {
  auto it = session_->actions.find(form_name);
  return it == session_->actions.end() ? 0 : it->second.size();
}

std::shared_ptr<HeadlessFormSite> HeadlessFormFactory::site(const std::string& form_name) const {
  return sites_.find(form_name);
}

std::shared_ptr<host::FormSite> HeadlessFormFactory::CreateForm(const host::FormDesign& design,
                                                                host::FormEvents* events) {
  ++forms_created_;
  return sites_.open(design, events, session_);
}

}  // namespace standin
