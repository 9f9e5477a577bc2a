#pragma once
// Module-wide values shared by the public class and the three windows: the called-mode parameters and
// the current WBS selection, and the blank-substitution routine every window uses.

#include <string>

#include "runtime/variant.hpp"

namespace calendatt::MDLPD_CALENDATT {

// Codes of the selected activity (called mode, or as the windows resolve them).
extern std::string pCodProgetto;
extern std::string pCodNodo;
extern std::string pCodAttivita;
// WBS node id and link id; 0 means none.
extern double pIDDisBaProgWBS;
extern double pIDLegameWBS;
// Planning start and end as date texts; empty when there is none.
extern std::string pDataInizioWBS;
extern std::string pDataFineWBS;

// Back to the values of a freshly loaded module (texts empty, ids 0).
void reset();

// The value itself, unless it is empty, null, or blank after trimming: then the default.
// Never raises.
runtime::Variant ValoreSeVuoto(const runtime::Variant& value, const runtime::Variant& default_value);

}  // namespace calendatt::MDLPD_CALENDATT
