#include "cli/stored_days.hpp"

#include <sqlite3.h>

#include "database/file_check.hpp"

namespace cli {

std::vector<runtime::Date> range_dates(runtime::Date from, runtime::Date to, int every) {
  std::vector<runtime::Date> dates;
  if (every < 1) return dates;
  for (runtime::Date d = from; d <= to; d = d.add_days(every)) dates.push_back(d);
  return dates;
}

std::optional<StoredDays> stored_days(const std::string& db, std::int32_t company, std::int32_t link,
                                      const std::vector<runtime::Date>& dates) {
  sqlite3* handle = nullptr;
  std::string error;
  if (database::open_read_only(db, &handle, error) != SQLITE_OK) return std::nullopt;
  const char* sql =
      "SELECT substr(PD4G_DATAATTIVITA, 1, 10), PD4G_IDCALENDARIO, PD4G_DURATAORE, PD4G_DURATAMINUTI "
      "FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = ?1 AND PD4G_IDLEGAME_PD0H = ?2 "
      "AND substr(PD4G_DATAATTIVITA, 1, 10) BETWEEN ?3 AND ?4";
  sqlite3_stmt* stmt = nullptr;
  std::optional<StoredDays> days;
  if (sqlite3_prepare_v2(handle, sql, -1, &stmt, nullptr) == SQLITE_OK && !dates.empty()) {
    const std::string first = dates.front().iso(), last = dates.back().iso();
    sqlite3_bind_int(stmt, 1, company);
    sqlite3_bind_int(stmt, 2, link);
    sqlite3_bind_text(stmt, 3, first.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 4, last.c_str(), -1, SQLITE_TRANSIENT);
    StoredDays all;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      const auto* text = sqlite3_column_text(stmt, 0);
      if (!text) continue;
      all[reinterpret_cast<const char*>(text)] =
          StoredDay{sqlite3_column_int64(stmt, 1), sqlite3_column_int(stmt, 2), sqlite3_column_int(stmt, 3)};
    }
    if (rc == SQLITE_DONE) {
      days.emplace();
      for (const auto& d : dates)
        if (auto it = all.find(d.iso()); it != all.end()) days->insert(*it);
    }
  } else if (dates.empty()) {
    days.emplace();
  }
  sqlite3_finalize(stmt);
  sqlite3_close_v2(handle);
  return days;
}

InsertCounts count_insertion(const StoredDays& before, const StoredDays& after, bool overwrite) {
  InsertCounts counts;
  for (const auto& [date, day] : after) {
    auto was = before.find(date);
    if (was == before.end())
      ++counts.added;
    else if (overwrite || !(was->second == day))
      ++counts.overwritten;
    else
      ++counts.skipped;
  }
  return counts;
}

DeleteCounts count_deletion(const StoredDays& before, const StoredDays& after) {
  DeleteCounts counts;
  for (const auto& entry : before) {
    if (after.count(entry.first))
      ++counts.spared;
    else
      ++counts.deleted;
  }
  return counts;
}

}  // namespace cli
