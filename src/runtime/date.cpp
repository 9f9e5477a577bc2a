#include "runtime/date.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

namespace runtime {
namespace {

using namespace std::chrono;

constexpr sys_days kZeroDay{year{1899} / December / 30};

std::string& form_setting() {
  static std::string form = "dd/mm/yyyy";
  return form;
}

// Reads the digits of one part; returns false when there are none or too many.
bool read_number(const std::string& s, std::size_t& pos, int max_digits, int& out) {
  std::size_t start = pos;
  out = 0;
  while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && pos - start < 9) {
    out = out * 10 + (s[pos] - '0');
    ++pos;
  }
  return pos > start && static_cast<int>(pos - start) <= max_digits;
}

// Parses an optional " hh:mm[:ss]" tail and adds it to the date.
std::optional<Date> with_time(const std::string& s, std::size_t pos, Date date) {
  while (pos < s.size() && s[pos] == ' ') ++pos;
  if (pos == s.size()) return date;
  int h = 0, mi = 0, se = 0;
  if (!read_number(s, pos, 2, h) || pos >= s.size() || s[pos] != ':') return std::nullopt;
  ++pos;
  if (!read_number(s, pos, 2, mi)) return std::nullopt;
  if (pos < s.size() && s[pos] == ':') {
    ++pos;
    if (!read_number(s, pos, 2, se)) return std::nullopt;
  }
  while (pos < s.size() && s[pos] == ' ') ++pos;
  if (pos != s.size() || h > 23 || mi > 59 || se > 59) return std::nullopt;
  date.serial += (h * 3600 + mi * 60 + se) / 86400.0;
  return date;
}

}  // namespace

Date Date::from_ymd(int y, unsigned m, unsigned d) {
  sys_days when{std::chrono::year{y} / std::chrono::month{m} / std::chrono::day{d}};
  return Date{static_cast<double>((when - kZeroDay).count())};
}

Date Date::today() {
  auto now = floor<days>(system_clock::now());
  return Date{static_cast<double>((now - kZeroDay).count())};
}

year_month_day Date::ymd() const {
  return year_month_day{kZeroDay + days{static_cast<long>(std::floor(serial))}};
}

std::optional<Date> date_of(int y, int m, int d) {
  year_month_day ymd{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
  if (y < 100 || y > 9999 || !ymd.ok()) return std::nullopt;
  return Date::from_ymd(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
}

std::string Date::iso() const {
  auto v = ymd();
  int year = static_cast<int>(v.year());
  if (year >= 0 && year <= 9999) {  // written digit by digit: a listing writes thousands of dates
    char text[] = "0000-00-00";
    auto put = [&](int last, unsigned value, int width) {
      for (int i = 0; i < width; ++i, value /= 10) text[last - i] = static_cast<char>('0' + value % 10);
    };
    put(3, static_cast<unsigned>(year), 4);
    put(6, static_cast<unsigned>(v.month()), 2);
    put(9, static_cast<unsigned>(v.day()), 2);
    return std::string(text, 10);
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(v.year()),
                static_cast<unsigned>(v.month()), static_cast<unsigned>(v.day()));
  return buf;
}

std::string Date::clock(char separator) const {
  double fraction = serial - std::floor(serial);
  long seconds = std::lround(fraction * 86400.0);
  if (seconds <= 0 || seconds >= 86400) return "";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%02ld:%02ld:%02ld", separator, seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  return buf;
}

void set_short_date_form(const std::string& pattern) {
  form_setting() = pattern;
}
const std::string& short_date_form() {
  return form_setting();
}

std::string date_text(const Date& d) {
  auto v = d.ymd();
  std::string out;
  const std::string& form = short_date_form();
  for (std::size_t i = 0; i < form.size();) {
    char buf[8];
    if (form.compare(i, 4, "yyyy") == 0) {
      std::snprintf(buf, sizeof buf, "%04d", static_cast<int>(v.year()));
      out += buf;
      i += 4;
    } else if (form.compare(i, 2, "mm") == 0) {
      std::snprintf(buf, sizeof buf, "%02u", static_cast<unsigned>(v.month()));
      out += buf;
      i += 2;
    } else if (form.compare(i, 2, "dd") == 0) {
      std::snprintf(buf, sizeof buf, "%02u", static_cast<unsigned>(v.day()));
      out += buf;
      i += 2;
    } else {
      out += form[i++];
    }
  }
  return out + d.clock(' ');
}

std::optional<Date> parse_date(const std::string& raw) {
  std::size_t b = raw.find_first_not_of(' ');
  if (b == std::string::npos) return std::nullopt;
  std::string s = raw.substr(b);
  // ISO first: four digits then '-'.
  if (s.size() >= 10 && std::isdigit(static_cast<unsigned char>(s[0])) && s[4] == '-') {
    std::size_t pos = 0;
    int y = 0, m = 0, d = 0;
    if (read_number(s, pos, 4, y) && pos == 4 && s[pos++] == '-' && read_number(s, pos, 2, m) &&
        pos < s.size() && s[pos++] == '-' && read_number(s, pos, 2, d)) {
      auto date = date_of(y, m, d);
      if (!date) return std::nullopt;
      // A 'T' separator is accepted as well as a blank.
      if (pos < s.size() && s[pos] == 'T') s[pos] = ' ';
      return with_time(s, pos, *date);
    }
    return std::nullopt;
  }
  // The short date form: the order of its parts, any single non-digit separator.
  const std::string& form = short_date_form();
  std::vector<char> order;
  for (std::size_t i = 0; i < form.size(); ++i) {
    char c = form[i];
    if ((c == 'd' || c == 'm' || c == 'y') && (order.empty() || order.back() != c)) order.push_back(c);
  }
  if (order.size() != 3) return std::nullopt;
  int y = 0, m = 0, d = 0;
  std::size_t pos = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    if (k > 0) {
      if (pos >= s.size() || std::isdigit(static_cast<unsigned char>(s[pos]))) return std::nullopt;
      ++pos;
    }
    int value = 0;
    if (!read_number(s, pos, order[k] == 'y' ? 4 : 2, value)) return std::nullopt;
    (order[k] == 'y' ? y : order[k] == 'm' ? m : d) = value;
  }
  auto date = date_of(y, m, d);
  if (!date) return std::nullopt;
  return with_time(s, pos, *date);
}

}  // namespace runtime
