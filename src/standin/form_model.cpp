#include "standin/form_model.hpp"


namespace standin {

namespace {
constexpr std::int32_t kObjectUnloaded = 364;
}  // namespace

FormModel::FormModel(const host::FormDesign& design, host::FormEvents* events,
                     std::shared_ptr<ControlSession> session)
    : input_(std::make_shared<WindowInput>()), events_(events), name_(design.name), caption_(design.caption) {
  input_->form_name = name_;
  input_->session = std::move(session);
  for (const auto& control_design : design.controls) {
    std::string key = runtime::upper(control_design.name);
    if (by_name_.count(key))
      throw runtime::Error(runtime::err::kInvalidArgument, "Two controls named " + control_design.name,
                           name_);
    auto c = make_control_model(control_design, input_);
    controls_.push_back(c);
    by_name_.emplace(key, std::move(c));
  }
}

std::shared_ptr<host::Control> FormModel::find(const std::string& control_name) const {
  auto it = by_name_.find(runtime::upper(control_name));
  if (it == by_name_.end())
    throw runtime::Error(runtime::err::kInvalidArgument, "No control named " + control_name, name_);
  return it->second;
}

std::shared_ptr<host::Control> FormModel::control(const std::string& control_name) {
  return find(control_name);
}

std::string FormModel::focused_name() const {
  return input_->focused ? input_->focused->name() : "";
}

void FormModel::require_open() const {
  if (closed_) throw runtime::Error(kObjectUnloaded, "Object was unloaded", name_);
}

bool FormModel::request_close() {
  if (closed_ || !events_) return closed_;
  auto keep = shared_from_this();
  bool unloaded = events_->SiteCloseRequested();
  return unloaded || closed_;
}

void FormModel::set_Caption(const std::string& value) {
  caption_ = value;
  caption_changed();
}

void FormModel::set_Icon(const runtime::Variant& picture) {
  icon_ = picture;
  icon_changed();
}

bool FormModel::load_once() {
  if (shown_before_) return false;
  shown_before_ = true;
  for (const auto& c : controls_) {
    if (closed_) return false;
    if (auto mdi = std::dynamic_pointer_cast<MdiContainerModel>(c)) mdi->form_loaded();
  }
  return !closed_;
}

void FormModel::raise_resized() {
  if (closed_ || !events_) return;
  auto keep = shared_from_this();
  events_->SiteResized();
  for (const auto& c : controls_) {
    if (closed_) return;
    if (auto r = std::dynamic_pointer_cast<ResizeModel>(c)) r->resize();
  }
}

void FormModel::raise_activated() {
  if (closed_ || !events_) return;
  auto keep = shared_from_this();
  events_->SiteActivated();
}

void FormModel::Close() {
  visible_ = false;
  closed_ = true;
  events_ = nullptr;
  input_->focused = nullptr;
}

}  // namespace standin
