#pragma once
// Dates as the original runtime keeps them: days counted from the zero date, 30 December 1899, with the
// time of day as the fraction. Whole-day arithmetic and comparisons are exact.

#include <chrono>
#include <optional>
#include <string>

namespace runtime {

struct Date {
  double serial = 0.0;

  static Date from_ymd(int year, unsigned month, unsigned day);
  static Date today();
  std::chrono::year_month_day ymd() const;  // day part only
  int year() const { return static_cast<int>(ymd().year()); }
  unsigned month() const { return static_cast<unsigned>(ymd().month()); }
  unsigned day() const { return static_cast<unsigned>(ymd().day()); }
  bool is_zero() const { return serial == 0.0; }
  Date add_days(int n) const { return Date{serial + n}; }
  std::string iso() const;  // YYYY-MM-DD, the database literal
  // The time of day as `separator` followed by HH:MM:SS; empty at midnight.
  std::string clock(char separator) const;

  auto operator<=>(const Date&) const = default;
};

// The platform's short date form, a setting of the host: a pattern of dd, mm and yyyy separated by one
// character, e.g. "dd/mm/yyyy" (the default) or "yyyy-mm-dd" or "mm/dd/yyyy".
void set_short_date_form(const std::string& pattern);
const std::string& short_date_form();

// Date to text as the runtime writes it: the short date form, then " hh:mm:ss" when the time is not midnight.
std::string date_text(const Date& d);

// Text to date: the short date form (one- or two-digit day and month accepted) or ISO YYYY-MM-DD, both
// optionally followed by a time hh:mm[:ss]. Impossible dates (31/02) are refused.
std::optional<Date> parse_date(const std::string& text);

// The day of that year, month and day of month, for years 100 to 9999; nullopt for an impossible day.
std::optional<Date> date_of(int year, int month, int day);

}  // namespace runtime
