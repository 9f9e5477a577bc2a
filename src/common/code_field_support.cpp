#include "common/code_field_support.hpp"

namespace calendatt::code_field_support {

using runtime::Variant;

host::ControlDesign code_field(const char* name, const char* caption, const char* dbfield, bool qbe) {
  host::ControlDesign design{host::kind::kCodeEdit,
                             name,
                             caption,
                             {{"lookup", true},
                              {"decode", true},
                              {"isgestione", true},
                              {"case", "Maiuscolo"},
                              {"maxchar", std::int32_t{25}},
                              {"obbligatorio", true},
                              {"isqbe", qbe},
                              {"dbfield", dbfield}}};
  if (qbe) design.settings["gettextmode"] = Variant(std::int32_t{2});
  return design;
}

host::ControlDesign description_field(const char* name, const char* caption) {
  return {host::kind::kCodeEdit,
          name,
          caption,
          {{"enabled", false},
           {"maxchar", std::int32_t{40}},
           {"lookup", false},
           {"isdbfield", false},
           {"canrequired", false}}};
}

void read_lookup(host::LookupService& lookup, std::string& TextA, Variant& ValueB, std::string& TextC,
                 std::string& Connection, const std::string& connection_string, host::CodeEdit& field) {
  ValueB = lookup.ValueB();
  TextA = lookup.TextA();
  TextC = lookup.TextC();
  Connection = connection_string;
  field.set_LookupSetting(lookup.Setting());
}

bool is_maintenance_key(const Variant& key) {
  return key.type() == runtime::VarType::String && key.to_string() == "Kgestione";
}

}  // namespace calendatt::code_field_support
