#pragma once
// FRMPD_ADDCALENDATT: the insertion dialog. Plans the calendar days of one WBS activity every N days from
// a start date to an end date, each with the same duration, treating the days that already exist as the
// user chose: stop the whole operation, skip them, or overwrite them.

#include <cstdint>
#include <string>
#include <vector>

#include "range_dialog/range_dialog.hpp"

namespace calendatt {

class FRMPD_ADDCALENDATT : public RangeDialog {
 public:
  // Form_Initialize: the creation trace line.
  FRMPD_ADDCALENDATT();
  // Form_Terminate: the end trace line.
  ~FRMPD_ADDCALENDATT() override;

  static host::FormDesign design();

  runtime::Variant IdentificativoIstanza() { return identity_.IdentificativoIstanza(); }

  // Entries of the treatment list, in their fixed order; the combo reports the position as text.
  static constexpr const char* kAnnullaOperazione = "0";
  static constexpr const char* kTralascia = "1";
  static constexpr const char* kSovrascrivi = "2";

 protected:
  void bind_controls() override;
  void fill_lists() override;
  runtime::Variant blank_rule(const runtime::Variant& value, const runtime::Variant& default_value) override;

 private:
  void TXT_CODNODO_Validate(bool& Cancel);
  void TXT_CODATTIVITA_PostValidate(bool& Cancel);
  void TXT_ORE_Validate(bool& Cancel);
  void TXT_MINUTI_Validate(bool& Cancel);
  void duration_validate(bool hours_field, bool& Cancel);
  void BTN_CONFERMA_ButtonClick();

  InstanceIdentity identity_;
};

}  // namespace calendatt
