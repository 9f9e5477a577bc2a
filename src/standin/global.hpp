#pragma once
// The host's global object: the environment (connection string, company), the multilanguage object, the
// two contract slots, the main contract object, the image list and the media values.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/global.hpp"

namespace standin {

struct HostSettings {
  std::string connection_string;
  std::int32_t company = 1;
  std::string short_date_form = "dd/mm/yyyy";
  std::string language = "it";
};

// The host's pictures by key. It starts with the picture "KProgrammaMM" (the mark of a program row with
// multimedia data), held as its picture name.
class StandinImageList : public host::ImageList {
 public:
  StandinImageList();
  void add(const std::string& key, runtime::Variant picture);
  // Throws runtime::Error 35601 (element not found) for an unknown key.
  runtime::Variant Picture(const std::string& key) override;

 private:
  std::map<std::string, runtime::Variant> pictures_;
};

class StandinGlobal : public host::GlobalObject {
 public:
  static constexpr std::int32_t kElementNotFound = 35601;

  StandinGlobal(const HostSettings& settings, std::shared_ptr<host::Multilanguage> multilanguage);

  // Takes the connection string, the company and the short date form (the last for the whole runtime).
  void apply(const HostSettings& settings);
  // A company change of the host.
  void set_company(std::int32_t company) { company_ = company; }
  void set_ConnectionString(const std::string& value) { connection_string_ = value; }
  void set_MainInterface(std::shared_ptr<host::Cinterface> value) { main_interface_ = std::move(value); }
  // Throws runtime::Error 9 for an index other than 1 or 2.
  void set_MediaValue(int index, runtime::Variant value);

  // Every reference handed to ReleaseInterface, in order (held weakly).
  const std::vector<std::weak_ptr<host::Cinterface>>& released() const { return released_; }
  std::shared_ptr<StandinImageList> image_list() const { return image_list_; }
  // Lets go of every contract reference (the host's shutdown).
  void release_references();

  std::string ConnectionString() override { return connection_string_; }
  runtime::Variant Company() override { return runtime::Variant(company_); }
  std::shared_ptr<host::Multilanguage> ClsMultilingua() override { return multilanguage_; }
  // The slots observe the contract they are given: the module object keeps itself alive, the host only
  // knows which one is active. Slot numbers other than 1 and 2 throw runtime::Error 9.
  std::shared_ptr<host::Cinterface> Interface(int slot) override;
  void set_Interface(int slot, std::shared_ptr<host::Cinterface> value) override;
  void ReleaseInterface(std::shared_ptr<host::Cinterface>& active_interface) override;
  std::shared_ptr<host::Cinterface> MainInterface() override { return main_interface_; }
  std::shared_ptr<host::ImageList> ImageList1() override { return image_list_; }
  runtime::Variant MediaValue(int index) override;

 private:
  std::weak_ptr<host::Cinterface>& slot(int index);
  runtime::Variant& media(int index);

  std::string connection_string_;
  std::int32_t company_ = 0;
  std::shared_ptr<host::Multilanguage> multilanguage_;
  std::weak_ptr<host::Cinterface> slots_[2];
  std::shared_ptr<host::Cinterface> main_interface_;
  std::shared_ptr<StandinImageList> image_list_;
  runtime::Variant media_[2];
  std::vector<std::weak_ptr<host::Cinterface>> released_;
};

}  // namespace standin
