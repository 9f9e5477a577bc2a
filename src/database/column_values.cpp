#include "database/column_values.hpp"

#include <cmath>
#include <cstdio>

#include "runtime/error.hpp"

namespace database {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool digits_at(std::string_view s, std::size_t from, std::size_t count) {
  if (from + count > s.size()) return false;
  for (std::size_t i = from; i < from + count; ++i)
    if (!is_digit(s[i])) return false;
  return true;
}

[[noreturn]] void mismatch(const std::string& what, const std::string& column, const char* source) {
  throw runtime::Error(
      runtime::err::kTypeMismatch,
      "Tipo non corrispondente: " + what + " non può essere scritto nel campo '" + column + "'.", source);
}

std::string quoted(const runtime::Variant& v) {
  try {
    return "il valore '" + v.to_string() + "'";
  } catch (const runtime::Error&) {
    return "il valore";
  }
}

constexpr double kTwoTo63 = 9223372036854775808.0;

bool integral_in_int64(double d) {
  return std::isfinite(d) && d == std::floor(d) && d >= -kTwoTo63 && d < kTwoTo63;
}

runtime::Variant number_field(double d) {
  if (d == std::floor(d) && d >= -2147483648.0 && d <= 2147483647.0) return static_cast<std::int32_t>(d);
  return d;
}

}  // namespace

ColumnKind column_kind(std::string_view declared_type) {
  std::string t = runtime::upper(std::string(declared_type));
  auto has = [&](const char* part) { return t.find(part) != std::string::npos; };
  if (runtime::trim(t).empty()) return ColumnKind::None;
  if (has("DATE") || has("TIME")) return ColumnKind::Date;
  if (has("INT")) return ColumnKind::Integer;
  if (has("CHAR") || has("CLOB") || has("TEXT")) return ColumnKind::Text;
  if (has("BLOB")) return ColumnKind::Blob;
  if (has("REAL") || has("FLOA") || has("DOUB")) return ColumnKind::Real;
  return ColumnKind::Numeric;
}

std::optional<runtime::Date> iso_date(std::string_view s) {
  if (!digits_at(s, 0, 4) || s.size() < 10 || s[4] != '-' || !digits_at(s, 5, 2) || s[7] != '-' ||
      !digits_at(s, 8, 2))
    return std::nullopt;
  if (s.size() == 10) {  // a day alone, as the calendar stores it: read without going through text
    auto number = [&](std::size_t at, std::size_t count) {
      int n = 0;
      for (std::size_t i = at; i < at + count; ++i) n = n * 10 + (s[i] - '0');
      return n;
    };
    if (auto day = runtime::date_of(number(0, 4), number(5, 2), number(8, 2))) return day;
  }
  std::string normal(s.substr(0, 10));
  if (s.size() > 10) {
    if ((s[10] != ' ' && s[10] != 'T') || !digits_at(s, 11, 2) || s.size() < 16 || s[13] != ':' ||
        !digits_at(s, 14, 2))
      return std::nullopt;
    std::size_t end = 16;
    if (s.size() > 16) {
      if (s[16] != ':' || !digits_at(s, 17, 2)) return std::nullopt;
      end = 19;
      if (s.size() > 19) {
        // Fractions of a second are accepted and dropped.
        if (s[19] != '.' || s.size() == 20 || !digits_at(s, 20, s.size() - 20)) return std::nullopt;
      }
    }
    normal += ' ';
    normal += s.substr(11, end - 11);
  }
  return runtime::parse_date(normal);
}

std::string iso_text(const runtime::Date& date) {
  double days = std::floor(date.serial);
  long seconds = std::lround((date.serial - days) * 86400.0);
  if (seconds >= 86400) {
    days += 1;
    seconds = 0;
  }
  std::string out = runtime::Date{days}.iso();
  if (seconds > 0) {
    char buf[16];
    std::snprintf(buf, sizeof buf, " %02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    out += buf;
  }
  return out;
}

runtime::Variant integer_value(std::int64_t value, const std::string& column, const char* source) {
  if (value >= INT32_MIN && value <= INT32_MAX) return static_cast<std::int32_t>(value);
  constexpr std::int64_t kExact = std::int64_t{1} << 53;
  if (value >= -kExact && value <= kExact) return static_cast<double>(value);
  throw runtime::Error(runtime::err::kOverflow,
                       "Overflow: il valore " + std::to_string(value) + " del campo '" + column +
                           "' non è rappresentabile senza perdita di precisione.",
                       source);
}

runtime::Variant text_value(std::string text, ColumnKind kind) {
  if (kind == ColumnKind::Date || kind == ColumnKind::None) {
    if (auto date = iso_date(text)) return *date;
  }
  return runtime::Variant(std::move(text));
}

runtime::Variant field_value(const runtime::Variant& value, ColumnKind kind, const std::string& column,
                             const char* source) {
  using runtime::VarType;
  VarType type = value.type();
  if (type == VarType::Array || type == VarType::Object) mismatch("un array o un oggetto", column, source);
  if (type == VarType::Empty || type == VarType::Null) return runtime::Variant::null();
  bool blank_text = type == VarType::String && runtime::trim(value.to_string()).empty();
  switch (kind) {
    case ColumnKind::Date:
      if (blank_text) return runtime::Variant::null();
      if (type == VarType::Date) return value;
      if (type == VarType::String) {
        if (auto date = runtime::parse_date(value.to_string())) return *date;
        mismatch(quoted(value) + " (non è una data valida)", column, source);
      }
      if (type == VarType::Boolean) mismatch("un valore booleano", column, source);
      return runtime::Date{value.to_double()};
    case ColumnKind::Integer:
    case ColumnKind::Real:
    case ColumnKind::Numeric:
      if (blank_text) return runtime::Variant::null();
      if (type == VarType::Boolean) return static_cast<std::int32_t>(value.to_bool() ? -1 : 0);
      if (type == VarType::Integer || type == VarType::Long) return value.to_long();
      {
        double d = 0;
        try {
          d = value.to_double();
        } catch (const runtime::Error&) {
          mismatch(quoted(value) + " (non è un numero valido)", column, source);
        }
        // A whole-number column takes whole numbers only: a fraction is refused, never stored as it is
        // nor rounded without a word.
        if (kind == ColumnKind::Integer && std::isfinite(d) && d != std::floor(d))
          mismatch(quoted(value) + " (non è un numero intero)", column, source);
        return number_field(d);
      }
    case ColumnKind::Text:
      if (type == VarType::String) return value;
      if (type == VarType::Date) return iso_text(std::get<runtime::Date>(value.raw()));
      if (type == VarType::Boolean) return std::string(value.to_bool() ? "-1" : "0");
      return value.to_string();
    case ColumnKind::None:
    case ColumnKind::Blob:
      if (type == VarType::Boolean) return static_cast<std::int32_t>(value.to_bool() ? -1 : 0);
      if (type == VarType::Integer) return value.to_long();
      return value;
  }
  return value;
}

SqlValue sql_value(const runtime::Variant& value, const std::string& column, const char* source) {
  using runtime::VarType;
  switch (value.type()) {
    case VarType::Empty:
    case VarType::Null:
      return std::monostate{};
    case VarType::Boolean:
      return std::int64_t{value.to_bool() ? -1 : 0};
    case VarType::Integer:
    case VarType::Long:
      return std::int64_t{value.to_long()};
    case VarType::Double: {
      double d = value.to_double();
      if (integral_in_int64(d)) return static_cast<std::int64_t>(d);
      return d;
    }
    case VarType::Date:
      return iso_text(std::get<runtime::Date>(value.raw()));
    case VarType::String:
      return value.to_string();
    default:
      mismatch("un array o un oggetto", column, source);
  }
}

}  // namespace database
