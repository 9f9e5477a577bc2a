// Date reading on every surface: the runtime's text to date (short date form and ISO), the command
// line's ISO date options and the database layer's date columns.
//
// The first byte chooses the short date form; the rest is the text. What is accepted must be a real day
// that writes back to text which reads as the same date; what is refused is refused without a crash.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/options.hpp"
#include "database/column_values.hpp"
#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "runtime/variant.hpp"

namespace {

[[noreturn]] void finding(const char* what, const std::string& text) {
  std::fprintf(stderr, "%s: \"%s\"\n", what, text.c_str());
  std::abort();
}

// The runtime's days: 1 January 100 to 31 December 9999, as serials.
constexpr double kFirstDay = -657434.0;
constexpr double kLastDay = 2958465.0;

bool is_real_day(const runtime::Date& d) {
  auto ymd = d.ymd();
  int year = static_cast<int>(ymd.year());
  return ymd.ok() && year >= 100 && year <= 9999;
}

void check_runtime(const std::string& text) {
  auto date = runtime::parse_date(text);
  if (!date) return;
  if (!std::isfinite(date->serial) || !is_real_day(*date)) finding("parse_date accepted no real day", text);
  // The runtime's own writing reads back as the same date and time.
  std::string written = runtime::date_text(*date);
  auto again = runtime::parse_date(written);
  if (!again || again->serial != date->serial)
    finding("date_text does not read back", text + " -> " + written);
  auto iso = runtime::parse_date(date->iso());
  if (!iso || iso->serial != std::floor(date->serial)) finding("iso() does not read back", text);
}

// CDate of a text: the date the text names, a number read as a day serial within the runtime's days
// (years 100 to 9999), or Error 13 (type mismatch) or 6 (overflow).
void check_conversion(const std::string& text) {
  runtime::Date d;
  try {
    d = runtime::Variant(text).to_date();
  } catch (const runtime::Error& e) {
    if (e.number() != runtime::err::kTypeMismatch && e.number() != runtime::err::kOverflow)
      finding("CDate raised another error", text);
    return;
  }
  if (!std::isfinite(d.serial) || d.serial < kFirstDay || d.serial >= kLastDay + 1)
    finding("CDate gave a serial outside the runtime's days", text);
  if (auto parsed = runtime::parse_date(text); parsed && parsed->serial != d.serial)
    finding("CDate and the date parser disagree", text);
  runtime::date_text(d);
}

void check_cli(const std::string& text) {
  auto date = cli::parse_iso_date(text);
  if (!date) return;
  // Only YYYY-MM-DD of a real day, which is exactly its own ISO text.
  if (date->iso() != text || date->serial != std::floor(date->serial))
    finding("the command line took a date that is not its own ISO text", text);
}

void check_database(const std::string& text) {
  auto date = database::iso_date(text);
  if (date) {
    if (!is_real_day(*date) || text.compare(0, 10, date->iso()) != 0)
      finding("iso_date took another day than the text names", text);
    auto again = database::iso_date(database::iso_text(*date));
    if (!again || again->serial != date->serial) finding("iso_text does not read back", text);
  }
  // A date column reads ISO text as a date and anything else as the text itself.
  runtime::Variant read = database::text_value(text, database::ColumnKind::Date);
  if ((read.type() == runtime::VarType::Date) != date.has_value())
    finding("text_value disagrees with iso_date", text);
  // Writing the text into a date column: a date, Null for a blank, or the type-mismatch error.
  try {
    runtime::Variant field =
        database::field_value(runtime::Variant(text), database::ColumnKind::Date, "D", "SQLite provider");
    if (field.type() == runtime::VarType::Date) {
      auto value = database::sql_value(field, "D", "SQLite provider");
      const auto* stored = std::get_if<std::string>(&value);
      if (!stored || !database::iso_date(*stored)) finding("a date field is stored as no ISO date", text);
    } else if (!field.is_null()) {
      finding("a date field took a value that is no date", text);
    }
  } catch (const runtime::Error& e) {
    if (e.number() != runtime::err::kTypeMismatch) finding("a date field raised another error", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char* const kForms[] = {"dd/mm/yyyy", "mm/dd/yyyy", "yyyy-mm-dd",
                                       "dd.mm.yyyy", "yyyy/mm/dd", "dd-mm-yyyy"};
  if (size == 0 || size > 256) return 0;
  const std::size_t forms = sizeof kForms / sizeof kForms[0];
  runtime::set_short_date_form(kForms[data[0] % forms]);
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  check_runtime(text);
  check_conversion(text);
  check_cli(text);
  check_database(text);
  return 0;
}
