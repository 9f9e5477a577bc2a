#include "planner/stored_days.hpp"

#include "database/connection.hpp"
#include "runtime/error.hpp"

namespace planner {

std::optional<StoredDays> stored_days(const std::string& db, std::int32_t company, std::int32_t link,
                                      const std::vector<runtime::Date>& dates) {
  if (dates.empty()) return StoredDays{};
  // A look of its own at the database, on whichever engine holds it: only whole numbers and dates of
  // the command line's own reach the text.
  try {
    auto connection = database::open_target(db, false);
    const std::string sql =
        "SELECT PD4G_DATAATTIVITA AS D, PD4G_IDCALENDARIO AS ID, PD4G_DURATAORE AS H, PD4G_DURATAMINUTI AS M "
        "FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = " +
        std::to_string(company) + " AND PD4G_IDLEGAME_PD0H = " + std::to_string(link) +
        " AND PD4G_DATAATTIVITA >= '" + dates.front().iso() + "' AND PD4G_DATAATTIVITA < '" +
        dates.back().add_days(1).iso() + "'";
    auto rs = connection->Execute(sql, host::kAdCmdText);
    StoredDays all;
    for (; !rs->Eof(); rs->MoveNext()) {
      runtime::Variant day = rs->Field("D");
      if (runtime::is_blank(day)) continue;
      all[day.to_date().iso()] = StoredDay{static_cast<std::int64_t>(rs->Field("ID").to_double()),
                                           static_cast<int>(rs->Field("H").to_double()),
                                           static_cast<int>(rs->Field("M").to_double())};
    }
    rs->Close();
    connection->Close();
    StoredDays days;
    for (const auto& d : dates)
      if (auto it = all.find(d.iso()); it != all.end()) days.insert(*it);
    return days;
  } catch (const runtime::Error&) {
    return std::nullopt;
  }
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

}  // namespace planner
