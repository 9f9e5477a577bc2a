// The holiday file reader: any bytes, as a list of dates or an iCalendar file read by libical, over a
// range of one year. What is refused says why; nothing crashes or runs without end.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "planner/ical.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  auto dates = planner::read_date_file(std::string(reinterpret_cast<const char*>(data), size),
                                       runtime::Date::from_ymd(2026, 1, 1),
                                       runtime::Date::from_ymd(2026, 12, 31), "en", error);
  if (!dates && error.empty()) std::abort();  // a refusal without a reason
  return 0;
}
