#pragma once
// FRMPD_DELCALENDATT: the deletion dialog. Deletes the calendar days of one WBS activity every N days from
// a start date to an end date, sparing the days that carry allocated resources, after a confirmation
// that gives the counts.

#include <cstdint>
#include <string>

#include "range_dialog/range_dialog.hpp"

namespace calendatt {

class FRMPD_DELCALENDATT : public RangeDialog {
 public:
  // Form_Initialize: the creation trace line.
  FRMPD_DELCALENDATT();
  // Form_Terminate: the end trace line.
  ~FRMPD_DELCALENDATT() override;

  static host::FormDesign design();

  runtime::Variant IdentificativoIstanza() { return identity_.IdentificativoIstanza(); }

  // The dialog's blank rule: the default when the value is empty, null or blank after trimming; an empty
  // value for an array; the value itself otherwise. A failure is reported under "NVL".
  runtime::Variant NVL(const runtime::Variant& value, const runtime::Variant& default_value);

 protected:
  void bind_controls() override;
  runtime::Variant blank_rule(const runtime::Variant& value, const runtime::Variant& default_value) override;

 private:
  void TXT_CODNODO_Validate(bool& Cancel);
  void TXT_CODNODO_PostValidate(bool& Cancel);
  void TXT_CODATTIVITA_PostValidate(bool& Cancel);
  void BTN_CONFERMA_ButtonClick();

  InstanceIdentity identity_;
};

}  // namespace calendatt
