#pragma once
// The days of one activity as the database holds them, read on a connection of their own: what a bulk
// run finds before it starts, so that a refused run can name the dates in conflict and a pattern can
// take first the runs that a rule may refuse. What a run wrote is counted from its own statements
// (write_tally.hpp), never from these reads.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runtime/date.hpp"

namespace planner {

struct StoredDay {
  std::int64_t id = 0;
  std::int32_t hours = 0;
  std::int32_t minutes = 0;
  bool operator==(const StoredDay&) const = default;
};

// ISO date -> the stored day.
using StoredDays = std::map<std::string, StoredDay>;

// The stored days of the node and link in the company on the given dates (in date order); nullopt when
// the database cannot be read.
std::optional<StoredDays> stored_days(const std::string& db, std::int32_t company, double node, double link,
                                      const std::vector<runtime::Date>& dates);

}  // namespace planner
