#pragma once
// The days of one activity as the database holds them, read on a read-only connection of their own: what
// a bulk run found before it started and left behind, so that its summary can say how many days were
// added, overwritten, skipped, deleted and spared, and a refused run can name the dates in conflict.

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

// The stored days of the link in the company on the given dates; nullopt when the file cannot be read.
std::optional<StoredDays> stored_days(const std::string& db, std::int32_t company, std::int32_t link,
                                      const std::vector<runtime::Date>& dates);

// What a bulk insertion did, from the days before and after it.
struct InsertCounts {
  int added = 0;
  int overwritten = 0;
  int skipped = 0;
};
// `overwrite`: the dates that existed were to take the new duration, so each counts as overwritten even
// when it already had that duration.
InsertCounts count_insertion(const StoredDays& before, const StoredDays& after, bool overwrite);

// What a bulk deletion did: the days that went, and the ones that stayed (they carry allocated resources).
struct DeleteCounts {
  int deleted = 0;
  int spared = 0;
};
DeleteCounts count_deletion(const StoredDays& before, const StoredDays& after);

}  // namespace planner
