#include "cli/skip_dates.hpp"

#include "planner/pattern_runs.hpp"

namespace cli {

bool read_skip_dates(Options& options, std::string& error) {
  if (options.skip_dates_file.empty()) return true;
  const std::string& path = options.skip_dates_file;
  const std::string named = "--skip-dates " + path + ": ";
  // Recurring holidays are expanded over the days of the run only.
  const runtime::Date last = options.to ? *options.to : runtime::Date::today();
  std::string reason;
  auto dates =
      planner::read_skip_file(path, options.from ? *options.from : last, last, options.language, reason);
  if (!dates) {
    error = named + reason;
    return false;
  }
  options.skip_dates = std::move(*dates);
  return true;
}

}  // namespace cli
