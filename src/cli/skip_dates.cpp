#include "cli/skip_dates.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli/language.hpp"
#include "planner/ical.hpp"

namespace cli {

bool read_skip_dates(Options& options, std::string& error) {
  if (options.skip_dates_file.empty()) return true;
  const std::string& path = options.skip_dates_file;
  const std::string named = "--skip-dates " + path + ": ";
  // A holiday list is small: a device or a huge file is refused before it is read.
  constexpr std::uintmax_t kMostBytes = 4 * 1024 * 1024;
  std::error_code ec;
  auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    error = named + say(options.language, "nessun file con questo nome", "no such file");
    return false;
  }
  if (!std::filesystem::is_regular_file(status)) {
    error = named + say(options.language, "non è un file", "not a file");
    return false;
  }
  if (std::filesystem::file_size(path, ec) > kMostBytes || ec) {
    error = named + say(options.language, "più grande di 4 MiB: nessun elenco di date lo è",
                        "larger than 4 MiB, which no list of dates is");
    return false;
  }
  // Read with the system's own calls, so that a failing read is told with its reason and never taken
  // for the end of a shorter file.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  std::string text;
  int failure = fd < 0 ? errno : 0;
  for (char buffer[8192]; !failure;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) failure = errno;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  if (fd >= 0) ::close(fd);
  if (failure) {
    error =
        named + say(options.language, "non si può leggere: ", "cannot be read: ") + std::strerror(failure);
    return false;
  }
  // Recurring holidays are expanded over the days of the run only.
  const runtime::Date last = options.to ? *options.to : runtime::Date::today();
  std::string reason;
  auto dates =
      planner::read_date_file(text, options.from ? *options.from : last, last, options.language, reason);
  if (!dates) {
    error = named + reason;
    return false;
  }
  options.skip_dates = std::move(*dates);
  return true;
}

}  // namespace cli
