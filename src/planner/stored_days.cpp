#include "planner/stored_days.hpp"

#include "database/connection.hpp"
#include "runtime/error.hpp"

namespace planner {

std::optional<StoredDays> stored_days(const std::string& db, std::int32_t company, double node, double link,
                                      const std::vector<runtime::Date>& dates) {
  if (dates.empty()) return StoredDays{};
  // A look of its own at the database, on whichever engine holds it: only whole numbers and dates of
  // the command line's own reach the text. The calendar's whole key (company, node, link, date) lets the
  // engine read only the activity's days, with or without statistics.
  try {
    auto connection = database::open_target(db, false);
    const std::string sql =
        "SELECT PD4G_DATAATTIVITA AS D, PD4G_IDCALENDARIO AS ID, PD4G_DURATAORE AS H, PD4G_DURATAMINUTI AS M "
        "FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = " +
        std::to_string(company) + " AND PD4G_IDDISBAPROG_PD0G = " + runtime::number_text(node) +
        " AND PD4G_IDLEGAME_PD0H = " + runtime::number_text(link) + " AND PD4G_DATAATTIVITA >= '" +
        dates.front().iso() + "' AND PD4G_DATAATTIVITA < '" + dates.back().add_days(1).iso() + "'";
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

}  // namespace planner
