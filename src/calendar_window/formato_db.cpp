// Writing values into SQL text.
#include "calendar_window/frmpd_calendatt.hpp"

namespace calendatt {

runtime::Variant FRMPD_CALENDATT::FormatoDB(const runtime::Variant& value, std::int32_t kind, bool nullable) {
  runtime::Variant result;
  auto refuse = [&](const char* text, std::int32_t number) {
    last_format_error_ = TraduciMessaggio(text, number, std::nullopt, 0);
  };
  try {
    std::string text = value.is_null() ? std::string() : value.to_string();
    if (runtime::rtrim(text).empty()) {
      if (nullable) {
        result = runtime::Variant("null");
      } else if (kind == 0) {
        result = runtime::Variant("''");
      } else if (kind == 1 || kind == 2) {
        refuse("Si sta tentando di assegnare il valore (numerico) null a un campo che non ammette null.",
               52518);
      } else if (kind == 3) {
        refuse("Si sta tentando di assegnare il valore (data) null a un campo che non ammette null.", 52517);
      } else if (kind == 4) {
        result = runtime::Variant("N''");
      }
      return result;
    }
    switch (kind) {
      case 0:
        result = runtime::Variant("'" + runtime::replace_all(text, "'", "''") + "'");
        break;
      case 1:
        result = runtime::Variant(value.to_double());
        break;
      case 2:
        if (!number_object_) throw runtime::Error(91, "Object variable not set", "FormatoDB");
        result = runtime::Variant(number_object_->DBFormat(value));
        break;
      case 3: {
        if (!date_object_) throw runtime::Error(91, "Object variable not set", "FormatoDB");
        date_object_->set_Text(text);
        if (date_object_->ErrorCode() == 0)
          result = runtime::Variant("'" + date_object_->DBFormat() + "'");
        else
          refuse("Errore nella conversione della data (Quentor.CLSFW_Date, metodo DBFormat)", 25382);
        break;
      }
      case 4:
        result = runtime::Variant("N'" + runtime::replace_all(text, "'", "''") + "'");
        break;
      default:
        break;
    }
  } catch (...) {
    runtime::set_pending_error_from_current_exception();
    const auto& e = runtime::pending_error();
    last_format_error_ = std::to_string(e.number) + " - " + e.description + " nella routine FormatoDB";
    runtime::clear_pending_error();
  }
  return result;
}

}  // namespace calendatt
