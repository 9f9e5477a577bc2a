#include "runtime/variant.hpp"

#include <cctype>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "runtime/error.hpp"

namespace runtime {
namespace {

[[noreturn]] void type_mismatch() {
  throw Error(err::kTypeMismatch, "Type mismatch", "runtime");
}
[[noreturn]] void invalid_null() {
  throw Error(err::kInvalidUse, "Invalid use of Null", "runtime");
}
[[noreturn]] void overflow() {
  throw Error(err::kOverflow, "Overflow", "runtime");
}

// A number taken as a day serial: only the runtime's days (1 January 100 to 31 December 9999) are
// dates; any other number overflows, as in the original runtime.
Date serial_date(double serial) {
  if (!(serial >= -657434.0 && serial < 2958466.0)) overflow();
  return Date{serial};
}

// A whole text that is a number: blanks around, optional sign, digits with a point or, failing that, a
// comma as decimal separator, optional exponent.
bool parse_number(const std::string& text, double& out) {
  std::string s = trim(text);
  if (s.empty()) return false;
  if (s.find('.') == std::string::npos) {
    std::size_t comma = s.find(',');
    if (comma != std::string::npos && s.find(',', comma + 1) == std::string::npos) s[comma] = '.';
  }
  for (char c : s) {
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == 'e' ||
          c == 'E'))
      return false;
  }
  char* end = nullptr;
  out = std::strtod(s.c_str(), &end);
  return end == s.c_str() + s.size();
}

}  // namespace

Array2D::Array2D(int lower1, int upper1, int lower2, int upper2)
    : lower1_(lower1), upper1_(upper1), lower2_(lower2), upper2_(upper2) {
  if (upper1 < lower1 - 1 || upper2 < lower2 - 1)
    throw Error(err::kSubscript, "Subscript out of range", "runtime");
  cells_.resize(static_cast<std::size_t>(upper1 - lower1 + 1) *
                static_cast<std::size_t>(upper2 - lower2 + 1));
}

std::size_t Array2D::index(int i, int j) const {
  if (i < lower1_ || i > upper1_ || j < lower2_ || j > upper2_)
    throw Error(err::kSubscript, "Subscript out of range", "runtime");
  return static_cast<std::size_t>(i - lower1_) * static_cast<std::size_t>(upper2_ - lower2_ + 1) +
         static_cast<std::size_t>(j - lower2_);
}

Variant& Array2D::at(int i, int j) {
  return cells_[index(i, j)];
}
const Variant& Array2D::at(int i, int j) const {
  return cells_[index(i, j)];
}

bool Variant::is_numeric() const {
  switch (type()) {
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
      return true;
    default:
      return false;
  }
}

std::string Variant::to_string() const {
  switch (type()) {
    case VarType::Empty:
      return "";
    case VarType::Null:
      invalid_null();
    case VarType::Boolean:
      return std::get<bool>(v_) ? "True" : "False";
    case VarType::Integer:
      return std::to_string(std::get<std::int16_t>(v_));
    case VarType::Long:
      return std::to_string(std::get<std::int32_t>(v_));
    case VarType::Double:
      return number_text(std::get<double>(v_));
    case VarType::Date:
      return date_text(std::get<Date>(v_));
    case VarType::String:
      return std::get<std::string>(v_);
    default:
      type_mismatch();
  }
}

double Variant::to_double() const {
  switch (type()) {
    case VarType::Empty:
      return 0.0;
    case VarType::Null:
      invalid_null();
    case VarType::Boolean:
      return std::get<bool>(v_) ? -1.0 : 0.0;
    case VarType::Integer:
      return std::get<std::int16_t>(v_);
    case VarType::Long:
      return std::get<std::int32_t>(v_);
    case VarType::Double:
      return std::get<double>(v_);
    case VarType::Date:
      return std::get<Date>(v_).serial;
    case VarType::String: {
      double d = 0.0;
      if (parse_number(std::get<std::string>(v_), d)) return d;
      // A text holding a date converts to its serial, as the runtime does.
      if (auto date = parse_date(std::get<std::string>(v_))) return date->serial;
      type_mismatch();
    }
    default:
      type_mismatch();
  }
}

std::int32_t Variant::to_long() const {
  if (type() == VarType::Long) return std::get<std::int32_t>(v_);
  if (type() == VarType::Integer) return std::get<std::int16_t>(v_);
  return round_to_long(to_double());
}

std::int16_t Variant::to_int() const {
  if (type() == VarType::Integer) return std::get<std::int16_t>(v_);
  return round_to_int(to_double());
}

bool Variant::to_bool() const {
  switch (type()) {
    case VarType::Boolean:
      return std::get<bool>(v_);
    case VarType::String: {
      std::string s = upper(trim(std::get<std::string>(v_)));
      if (s == "TRUE") return true;
      if (s == "FALSE") return false;
      return to_double() != 0.0;
    }
    default:
      return to_double() != 0.0;
  }
}

Date Variant::to_date() const {
  switch (type()) {
    case VarType::Date:
      return std::get<Date>(v_);
    case VarType::Null:
      invalid_null();
    case VarType::String: {
      if (auto d = parse_date(std::get<std::string>(v_))) return *d;
      double serial = 0.0;
      if (parse_number(std::get<std::string>(v_), serial)) return serial_date(serial);
      type_mismatch();
    }
    case VarType::Array:
    case VarType::Object:
      type_mismatch();
    default:
      return serial_date(to_double());
  }
}

const std::shared_ptr<Array2D>& Variant::array() const {
  if (type() != VarType::Array) type_mismatch();
  return std::get<std::shared_ptr<Array2D>>(v_);
}

const std::shared_ptr<Object>& Variant::object() const {
  static const std::shared_ptr<Object> none;
  if (type() == VarType::Empty) return none;
  if (type() != VarType::Object) throw Error(err::kObjectRequired, "Object required", "runtime");
  return std::get<std::shared_ptr<Object>>(v_);
}

bool is_blank(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
    case VarType::Null:
      return true;
    case VarType::Array:
    case VarType::Object:
      return false;
    default:
      return trim(v.to_string()).empty();
  }
}

std::int32_t round_to_long(double d) {
  if (std::isnan(d)) overflow();
  std::fesetround(FE_TONEAREST);
  double r = std::nearbyint(d);
  if (r < -2147483648.0 || r > 2147483647.0) overflow();
  return static_cast<std::int32_t>(r);
}

std::int16_t round_to_int(double d) {
  if (std::isnan(d)) overflow();
  std::fesetround(FE_TONEAREST);
  double r = std::nearbyint(d);
  if (r < -32768.0 || r > 32767.0) overflow();
  return static_cast<std::int16_t>(r);
}

double leading_number(const std::string& text) {
  std::string s;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') s += c;
  std::size_t i = 0;
  std::string number;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number += s[i++];
  bool digits = false;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
    number += s[i++];
    digits = true;
  }
  if (i < s.size() && s[i] == '.') {
    number += s[i++];
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      number += s[i++];
      digits = true;
    }
  }
  if (!digits) return 0.0;
  return std::strtod(number.c_str(), nullptr);
}

std::string number_text(double d) {
  if (d == std::floor(d) && std::fabs(d) < 1e15) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", d);
    return std::string(buf) == "-0" ? "0" : buf;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  std::string s = buf;
  // The runtime writes ".5" for 0.5.
  if (s.rfind("0.", 0) == 0) s.erase(0, 1);
  if (s.rfind("-0.", 0) == 0) s.erase(1, 1);
  return s;
}

std::string trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string rtrim(const std::string& s) {
  std::size_t e = s.find_last_not_of(' ');
  return e == std::string::npos ? "" : s.substr(0, e + 1);
}

std::string upper(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string replace_all(std::string s, const std::string& from, const std::string& to) {
  if (from.empty()) return s;
  for (std::size_t pos = 0; (pos = s.find(from, pos)) != std::string::npos; pos += to.size())
    s.replace(pos, from.size(), to);
  return s;
}

std::string percent_encode(const std::string& s, const std::string& keep) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c) || (c != 0 && keep.find(static_cast<char>(c)) != std::string::npos)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string right(const std::string& s, std::size_t n) {
  return s.size() <= n ? s : s.substr(s.size() - n);
}

}  // namespace runtime
