#pragma once
// What the project, node and activity code fields of the calendar window and of the two range dialogs
// share: their design and the reading of a prepared lookup.

#include <string>

#include "host/controls.hpp"
#include "host/form.hpp"
#include "host/services.hpp"
#include "runtime/variant.hpp"

namespace calendatt::code_field_support {

// A code field: lookup, decode and maintenance key on, upper case, at most 25 characters, required. The
// project and node fields (`qbe`) are also usable in query-by-example and read their text in mode 2.
host::ControlDesign code_field(const char* name, const char* caption, const char* dbfield, bool qbe);
// The read-only description beside a code field.
host::ControlDesign description_field(const char* name, const char* caption);

// Reads the values the lookup service prepared, in their fixed order (value B, text A, text C, then the
// setting, which goes to the field), and hands the field the connection text.
void read_lookup(host::LookupService& lookup, std::string& TextA, runtime::Variant& ValueB,
                 std::string& TextC, std::string& Connection, const std::string& connection_string,
                 host::CodeEdit& field);

// Only the key of the maintenance program is handled.
bool is_maintenance_key(const runtime::Variant& key);

inline constexpr const char* kManyRowsQuestion =
    "L'attività è presente in più righe della WBS per il nodo del progetto\r\n"
    "Vuoi avviare la funzione di lookup per selezionare l'attività desiderata?";

}  // namespace calendatt::code_field_support
