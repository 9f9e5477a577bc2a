#pragma once
// The class registry: creates an object from its programmatic identifier, as the host's object broker
// does. The module registers its public class; the host registers its own service classes.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "runtime/error.hpp"
#include "runtime/variant.hpp"

namespace host {

class Registry {
 public:
  using Factory = std::function<std::shared_ptr<runtime::Object>()>;

  static Registry& instance();

  // Registers or replaces the factory of a programmatic identifier (case-insensitive).
  void add(const std::string& prog_id, Factory factory);
  void remove(const std::string& prog_id);
  bool contains(const std::string& prog_id) const;

  // Creates a new object; throws runtime::Error 429 when the identifier is unknown.
  std::shared_ptr<runtime::Object> create(const std::string& prog_id) const;

  // Creates and casts; throws runtime::Error 13 when the object has not the asked interface.
  template <class T>
  std::shared_ptr<T> create_as(const std::string& prog_id) const {
    auto object = std::dynamic_pointer_cast<T>(create(prog_id));
    if (!object) throw runtime::Error(runtime::err::kTypeMismatch, "Type mismatch: " + prog_id, "Registry");
    return object;
  }

 private:
  std::map<std::string, Factory> factories_;
};

// Programmatic identifiers of the host classes the module creates.
namespace progid {
inline constexpr const char* kModule = "MERIDAL.CLSPD_CALENDATT";
inline constexpr const char* kMultilanguage = "Pherox.CLSFW_MULTILINGUA";
inline constexpr const char* kDate = "Quentor.CLSFW_Date";
inline constexpr const char* kNumber = "Quentor.CLSFW_Number";
inline constexpr const char* kErrorDisplay = "Quentor.CLSFW_Log";
inline constexpr const char* kConnectionFactory = "Quentor.CLSFW_Connect";
inline constexpr const char* kRecordService = "Quentor.CLSFW_Record";
inline constexpr const char* kLookup = "Pherox.CLSFW_Lookup";
inline constexpr const char* kDecode = "Pherox.CLSFW_Decode";
inline constexpr const char* kMaintenanceProg = "Pherox.CLSFW_ConnectProg";
inline constexpr const char* kMaintenanceProd = "Pherox.CLSFW_ConnectProd";
inline constexpr const char* kHyperMedia = "Pherox.CLSFW_HyperMedia";
inline constexpr const char* kRecordFrame = "Pherox.KVO_VIRTUALFRAME";
inline constexpr const char* kGridDefinition = "Pherox.KVO_QGRIDDEFINITION";
inline constexpr const char* kFormFactory = "Host.FormFactory";
}  // namespace progid

}  // namespace host
