#include "common/mdlpd_calendatt.hpp"

#include "runtime/error.hpp"

namespace calendatt::MDLPD_CALENDATT {

std::string pCodProgetto;
std::string pCodNodo;
std::string pCodAttivita;
double pIDDisBaProgWBS = 0;
double pIDLegameWBS = 0;
std::string pDataInizioWBS;
std::string pDataFineWBS;

void reset() {
  pCodProgetto.clear();
  pCodNodo.clear();
  pCodAttivita.clear();
  pIDDisBaProgWBS = 0;
  pIDLegameWBS = 0;
  pDataInizioWBS.clear();
  pDataFineWBS.clear();
}

runtime::Variant ValoreSeVuoto(const runtime::Variant& value, const runtime::Variant& default_value) {
  runtime::Variant result = default_value;
  runtime::suppressed([&] {
    if (value.is_empty() || value.is_null()) return;
    if (runtime::trim(value.to_string()).empty()) return;
    result = value;
  });
  return result;
}

}  // namespace calendatt::MDLPD_CALENDATT
