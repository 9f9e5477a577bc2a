#pragma once
// How values cross between SQLite and the runtime's Variant, in both directions, following the rules of
// the original provider: each value keeps its own type, date columns hold ISO text and read back as
// dates, and a value written into a typed column is converted to that column's kind first.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "runtime/date.hpp"
#include "runtime/variant.hpp"

namespace database {

// The kind of a column, from its declared type: DATE or TIME anywhere in it makes a date column; the
// others follow SQLite's affinity rules; no declared type (an expression) is None.
enum class ColumnKind { None, Date, Integer, Real, Numeric, Text, Blob };

ColumnKind column_kind(std::string_view declared_type);

// A value as bound to a statement parameter: NULL, a 64-bit integer, a real or a text.
using SqlValue = std::variant<std::monostate, std::int64_t, double, std::string>;

// ISO date text, 'YYYY-MM-DD' optionally followed by ' HH:MM[:SS[.fff]]' (or 'T' instead of the blank);
// nothing else is taken for a date.
std::optional<runtime::Date> iso_date(std::string_view text);

// The database text of a date: 'YYYY-MM-DD', then ' HH:MM:SS' when it has a time of day.
std::string iso_text(const runtime::Date& date);

// An integer read from the engine: Long when it fits 32 bits, Double when exactly representable (up to
// 2^53 in magnitude); Error 6 (overflow) otherwise, naming the column. Errors here carry the source given,
// the engine's ("SQLite provider", "PostgreSQL provider").
runtime::Variant integer_value(std::int64_t value, const std::string& column, const char* source);

// A text read from SQLite: a Date for a date column or an untyped column holding ISO date text; the
// text otherwise.
runtime::Variant text_value(std::string text, ColumnKind kind);

// The value kept in a recordset field after a write, converted to the column's kind: a text read as a
// date (short date form or ISO) or as a number, a number into a date column as a date serial, Empty,
// Null and blank texts as Null in typed columns, Boolean as -1/0. Throws Error 13 naming the column when
// the value does not convert.
runtime::Variant field_value(const runtime::Variant& value, ColumnKind kind, const std::string& column,
                             const char* source);

// The parameter bound for a field value: dates as ISO text, integral doubles as 64-bit integers.
SqlValue sql_value(const runtime::Variant& value, const std::string& column, const char* source);

}  // namespace database
