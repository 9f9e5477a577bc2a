#include "planner/pattern_runs.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "planner/ical.hpp"
#include "runtime/language.hpp"

namespace planner {

namespace {

using runtime::say;

bool outside(const RangeRun& run, std::optional<runtime::Date> start, std::optional<runtime::Date> end) {
  const auto dates = run.dates();
  return !dates.empty() && ((start && dates.front() < *start) || (end && dates.back() > *end));
}

}  // namespace

std::optional<std::set<runtime::Date>> read_skip_file(const std::string& path, runtime::Date first,
                                                      runtime::Date last, const std::string& language,
                                                      std::string& error) {
  // A holiday list is small: a device or a huge file is refused before it is read.
  constexpr std::uintmax_t kMostBytes = 4 * 1024 * 1024;
  std::error_code ec;
  auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    error = say(language, "nessun file con questo nome", "no such file");
    return std::nullopt;
  }
  if (!std::filesystem::is_regular_file(status)) {
    error = say(language, "non è un file", "not a file");
    return std::nullopt;
  }
  if (std::filesystem::file_size(path, ec) > kMostBytes || ec) {
    error = say(language, "più grande di 4 MiB: nessun elenco di date lo è",
                "larger than 4 MiB, which no list of dates is");
    return std::nullopt;
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
    error = say(language, "non si può leggere: ", "cannot be read: ") + std::strerror(failure);
    return std::nullopt;
  }
  return read_date_file(text, first, last, language, error);
}

StoredDays days_on(const StoredDays& days, const RangeRun& run) {
  StoredDays out;
  for (const auto& d : run.dates())
    if (auto it = days.find(d.iso()); it != days.end()) out.insert(*it);
  return out;
}

std::vector<RangeRun> insertion_order(const std::vector<RangeRun>& runs,
                                      const std::optional<StoredDays>& stored,
                                      std::optional<runtime::Date> start, std::optional<runtime::Date> end) {
  return refusable_first(runs, [&](const RangeRun& r) {
    return (stored && !days_on(*stored, r).empty()) || outside(r, start, end);
  });
}

std::vector<RangeRun> deletion_order(const std::vector<RangeRun>& runs,
                                     const std::optional<StoredDays>& stored,
                                     std::optional<runtime::Date> start, std::optional<runtime::Date> end) {
  std::vector<RangeRun> with_days;
  if (stored)
    for (const auto& r : runs)
      if (!days_on(*stored, r).empty()) with_days.push_back(r);
  return refusable_first(with_days.empty() ? runs : with_days,
                         [&](const RangeRun& r) { return outside(r, start, end); });
}

}  // namespace planner
