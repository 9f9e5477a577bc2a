#pragma once
// What the range dialogs reach of the calendar window through their reference to it: the module-wide
// message, translation and SQL-formatting routines, the WBS activity resolution and the hours check.
// The calendar window implements it; the dialogs see nothing else of the window.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/database.hpp"
#include "runtime/variant.hpp"

namespace calendatt {

class MainWindow {
 public:
  virtual ~MainWindow() = default;

  virtual std::int32_t MostraMessaggio(const std::string& text, std::int32_t number, std::int32_t style,
                                       const std::string& title,
                                       const std::optional<runtime::ParamList>& params = {}) = 0;
  virtual std::string TraduciMessaggio(const std::string& text, std::int32_t number,
                                       const std::optional<runtime::ParamList>& params,
                                       std::int16_t option) = 0;
  virtual runtime::Variant FormatoDB(const runtime::Variant& value, std::int32_t kind, bool nullable) = 0;
  virtual bool TrovaIDAttivitaWBS(std::shared_ptr<host::Connection>& GconConnect, std::int16_t intDitta,
                                  const std::string& strCodProgetto, const std::string& strCodNodo,
                                  const std::string& strCodAttivita, std::int16_t* NrRighe = nullptr) = 0;
  virtual bool CheckFormatoORE(std::string& ORE, std::string& MINUTI) = 0;
};

// What the calendar window tells the module object that opened it: whether calendar data changed.
class DataChangeListener {
 public:
  virtual ~DataChangeListener() = default;
  virtual void let_ModificatoDati(bool value) = 0;
};

}  // namespace calendatt
