#include "planner/range_runs.hpp"

#include <algorithm>
#include <cctype>

#include "planner/days_report.hpp"

namespace planner {

namespace {

const char* const kEnglish[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
const char* const kItalian[] = {"lun", "mar", "mer", "gio", "ven", "sab", "dom"};

std::string trimmed_lower(const std::string& text) {
  std::size_t a = 0, b = text.size();
  while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
  std::string out = text.substr(a, b - a);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

std::vector<runtime::Date> RangeRun::dates() const {
  std::vector<runtime::Date> out;
  if (every < 1) return out;
  for (runtime::Date d = from; d <= to; d = d.add_days(every)) out.push_back(d);
  return out;
}

std::optional<std::vector<int>> parse_weekdays(const std::string& text, const std::string& language,
                                               std::string& error) {
  const bool it = language != "en";
  std::vector<int> days;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = text.find(',', start);
    std::string name =
        trimmed_lower(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    int found = 0;
    for (int i = 0; i < 7; ++i)
      if (name == kEnglish[i] || name == kItalian[i]) found = i + 1;
    if (!found) {
      if (name.empty())
        error = it ? "--weekdays vuole nomi di giorni separati da virgole, come lun,mer,ven"
                   : "--weekdays needs weekday names separated by commas, such as mon,wed,fri";
      else
        error = (it ? "--weekdays accetta lun, mar, mer, gio, ven, sab, dom (o mon, tue, wed, thu, fri, sat, "
                      "sun), non \""
                    : "--weekdays takes mon, tue, wed, thu, fri, sat, sun (or lun, mar, mer, gio, ven, sab, "
                      "dom), not \"") +
                name.substr(0, 20) + "\"";
      return std::nullopt;
    }
    if (std::find(days.begin(), days.end(), found) != days.end()) {
      error = "--weekdays " + std::string(it ? "nomina due volte " : "names ") +
              weekday_name(found, language) + (it ? "" : " twice");
      return std::nullopt;
    }
    days.push_back(found);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return days;
}

std::string weekday_name(int iso_weekday, const std::string& language) {
  if (iso_weekday < 1 || iso_weekday > 7) return "";
  return language == "it" ? kItalian[iso_weekday - 1] : kEnglish[iso_weekday - 1];
}

std::vector<RangeRun> plan_runs(runtime::Date from, runtime::Date to, int every,
                                const std::vector<int>& weekdays, const std::set<runtime::Date>& skip) {
  std::vector<RangeRun> whole;
  if (weekdays.empty()) {
    whole.push_back(RangeRun{from, to, every});
  } else {
    for (int weekday : weekdays) {
      runtime::Date first = from.add_days((weekday - iso_weekday(from) + 7) % 7);
      // The run ends on its own last date, as a person would type it for that weekday.
      if (first <= to)
        whole.push_back(
            RangeRun{first, first.add_days((static_cast<int>(to.serial - first.serial) / 7) * 7), 7});
    }
  }
  std::vector<RangeRun> runs;
  for (const auto& run : whole) {
    const auto dates = run.dates();
    if (dates.empty()) continue;
    const bool split =
        std::any_of(dates.begin(), dates.end(), [&](runtime::Date d) { return skip.count(d); });
    if (!split) {
      runs.push_back(run);
      continue;
    }
    std::vector<runtime::Date> piece;
    auto close_piece = [&] {
      if (!piece.empty()) runs.push_back(RangeRun{piece.front(), piece.back(), run.every});
      piece.clear();
    };
    for (runtime::Date d : dates) {
      if (skip.count(d))
        close_piece();
      else
        piece.push_back(d);
    }
    close_piece();
  }
  return runs;
}

std::vector<runtime::Date> run_dates(const std::vector<RangeRun>& runs) {
  std::vector<runtime::Date> all;
  for (const auto& run : runs) {
    auto dates = run.dates();
    all.insert(all.end(), dates.begin(), dates.end());
  }
  std::sort(all.begin(), all.end());
  return all;
}

}  // namespace planner
