#include "standin/global.hpp"

#include "runtime/date.hpp"
#include "runtime/error.hpp"

namespace standin {

namespace {
[[noreturn]] void out_of_range(const char* what) {
  throw runtime::Error(runtime::err::kSubscript, "Subscript out of range", what);
}
}  // namespace

StandinImageList::StandinImageList() {
  add("KProgrammaMM", runtime::Variant("KProgrammaMM"));
}

void StandinImageList::add(const std::string& key, runtime::Variant picture) {
  pictures_[runtime::upper(key)] = std::move(picture);
}

runtime::Variant StandinImageList::Picture(const std::string& key) {
  auto it = pictures_.find(runtime::upper(key));
  if (it == pictures_.end())
    throw runtime::Error(StandinGlobal::kElementNotFound, "Element not found: " + key, "ImageList1");
  return it->second;
}

StandinGlobal::StandinGlobal(const HostSettings& settings, std::shared_ptr<host::Multilanguage> multilanguage)
    : multilanguage_(std::move(multilanguage)), image_list_(std::make_shared<StandinImageList>()) {
  apply(settings);
}

void StandinGlobal::apply(const HostSettings& settings) {
  connection_string_ = settings.connection_string;
  company_ = settings.company;
  runtime::set_short_date_form(settings.short_date_form);
}

std::weak_ptr<host::Cinterface>& StandinGlobal::slot(int index) {
  if (index != 1 && index != 2) out_of_range("ClsGlobal.Interface");
  return slots_[index - 1];
}

runtime::Variant& StandinGlobal::media(int index) {
  if (index != 1 && index != 2) out_of_range("ClsGlobal.MediaValue");
  return media_[index - 1];
}

std::shared_ptr<host::Cinterface> StandinGlobal::Interface(int index) {
  return slot(index).lock();
}

void StandinGlobal::set_Interface(int index, std::shared_ptr<host::Cinterface> value) {
  slot(index) = value;
}

void StandinGlobal::ReleaseInterface(std::shared_ptr<host::Cinterface>& active_interface) {
  released_.push_back(active_interface);
}

runtime::Variant StandinGlobal::MediaValue(int index) {
  return media(index);
}

void StandinGlobal::set_MediaValue(int index, runtime::Variant value) {
  media(index) = std::move(value);
}

void StandinGlobal::release_references() {
  slots_[0].reset();
  slots_[1].reset();
  main_interface_.reset();
  released_.clear();
}

}  // namespace standin
