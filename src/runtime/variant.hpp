#pragma once
// The value type every host and module routine exchanges: a tagged value with the conversion rules of
// the original runtime (empty, null, whole numbers of two widths, doubles, dates, texts, two-dimensional
// arrays and object references).

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "runtime/date.hpp"

namespace runtime {

// Base of every object that can travel inside a Variant (host objects, windows, the module class).
class Object {
 public:
  virtual ~Object() = default;
};

class Variant;

// A two-dimensional array with explicit lower bounds, as lookup rows are delivered: element (1, k).
class Array2D {
 public:
  Array2D(int lower1, int upper1, int lower2, int upper2);
  int lbound(int dim) const { return dim == 1 ? lower1_ : lower2_; }
  int ubound(int dim) const { return dim == 1 ? upper1_ : upper2_; }
  // Throws Error 9 (subscript out of range) outside the bounds.
  Variant& at(int i, int j);
  const Variant& at(int i, int j) const;

 private:
  std::size_t index(int i, int j) const;
  int lower1_, upper1_, lower2_, upper2_;
  std::vector<Variant> cells_;
};

enum class VarType { Empty, Null, Boolean, Integer, Long, Double, Date, String, Array, Object };

struct NullValue {
  bool operator==(const NullValue&) const = default;
};

class Variant {
 public:
  Variant() = default;
  Variant(NullValue) : v_(NullValue{}) {}
  Variant(bool b) : v_(b) {}
  Variant(std::int16_t i) : v_(i) {}
  Variant(std::int32_t l) : v_(l) {}
  Variant(double d) : v_(d) {}
  Variant(Date d) : v_(d) {}
  Variant(std::string s) : v_(std::move(s)) {}
  Variant(const char* s) : v_(std::string(s)) {}
  Variant(std::shared_ptr<Array2D> a) : v_(std::move(a)) {}
  Variant(std::shared_ptr<Object> o) : v_(std::move(o)) {}
  template <class T>
  requires std::is_base_of_v<Object, T> Variant(std::shared_ptr<T> o)
      : v_(std::static_pointer_cast<Object>(std::move(o))) {}

  static Variant null() { return Variant(NullValue{}); }

  VarType type() const { return static_cast<VarType>(v_.index()); }
  bool is_empty() const { return type() == VarType::Empty; }
  bool is_null() const { return type() == VarType::Null; }
  bool is_array() const { return type() == VarType::Array; }
  bool is_object() const { return type() == VarType::Object; }
  bool is_numeric() const;  // Boolean, Integer, Long, Double

  // Conversions; each throws Error 13 (type mismatch) or 6 (overflow) as the original runtime does.
  std::string to_string() const;  // CStr: Empty is "", Null is an error
  double to_double() const;       // CDbl: numeric text in either decimal form, dates as serials
  std::int32_t to_long() const;   // CLng: round half to even, overflow outside 32 bits
  std::int16_t to_int() const;    // CInt: round half to even, overflow outside 16 bits
  bool to_bool() const;           // CBool
  Date to_date() const;           // CDate: short date form or ISO text, numbers as serials

  const std::shared_ptr<Array2D>& array() const;  // Error 13 when not an array
  const std::shared_ptr<Object>& object() const;  // Error 424 when not an object (Empty gives null)
  template <class T>
  std::shared_ptr<T> as() const {
    if (!is_object()) return nullptr;
    return std::dynamic_pointer_cast<T>(std::get<std::shared_ptr<Object>>(v_));
  }

  // Raw access for conversions.
  const auto& raw() const { return v_; }

  // Equality of type and value (not the runtime's loose comparison).
  bool operator==(const Variant& other) const = default;

 private:
  std::variant<std::monostate, NullValue, bool, std::int16_t, std::int32_t, double, Date, std::string,
               std::shared_ptr<Array2D>, std::shared_ptr<Object>>
      v_;
};

// The empty parameter array handed to dictionary operations when a caller gives no list.
using ParamList = std::vector<Variant>;

// Blank rule: Empty, Null, or a text that is empty or only blanks after trimming.
bool is_blank(const Variant& v);

// Whole-number conversion of the runtime: round half to even; Error 6 outside the target width.
std::int32_t round_to_long(double d);
std::int16_t round_to_int(double d);

// Leading-number reading of a text (blanks anywhere ignored; sign, digits, point, fraction).
double leading_number(const std::string& text);

// Text of a number as the runtime writes it: whole values without a fraction, others with up to 15
// significant digits and a point as decimal separator.
std::string number_text(double d);

// Text helpers used by several routines.
std::string trim(const std::string& s);
std::string rtrim(const std::string& s);
std::string upper(const std::string& s);  // ASCII letters only; other bytes unchanged
std::string replace_all(std::string s, const std::string& from, const std::string& to);
// Letters, digits and the bytes of keep as they are; every other byte as %XX (upper-case hex).
std::string percent_encode(const std::string& s, const std::string& keep);
std::string right(const std::string& s, std::size_t n);

}  // namespace runtime
