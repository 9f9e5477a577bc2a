#include "desktop/range_summary.hpp"

#include "planner/range_runs.hpp"
#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "standin/calling_program.hpp"
#include "standin/control_models.hpp"
#include "standin/host_setup.hpp"

namespace desktop {

namespace {

std::string text_of(const standin::FormModel& dialog, const char* name) {
  std::string text;
  runtime::suppressed([&] { text = dialog.model<host::TextControl>(name)->Text(); });
  return runtime::trim(text);
}

}  // namespace

std::optional<RangeSummary::CompanyDays> RangeSummary::read(standin::HostEnvironment& env,
                                                            std::int32_t company) {
  try {
    auto rs = env.run_query(
        "SELECT PD4G_IDLEGAME_PD0H AS L, PD4G_DATAATTIVITA AS D, PD4G_IDCALENDARIO AS ID, "
        "PD4G_DURATAORE AS H, PD4G_DURATAMINUTI AS M FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = " +
        std::to_string(company));
    CompanyDays days;
    for (; !rs->Eof(); rs->MoveNext()) {
      runtime::Variant day = rs->Field("D");
      if (runtime::is_blank(day) || runtime::is_blank(rs->Field("L"))) continue;
      days[{static_cast<std::int64_t>(rs->Field("L").to_double()), day.to_date().iso()}] = planner::StoredDay{
          static_cast<std::int64_t>(rs->Field("ID").to_double()),
          static_cast<int>(rs->Field("H").to_double()), static_cast<int>(rs->Field("M").to_double())};
    }
    rs->Close();
    return days;
  } catch (const runtime::Error&) {
    return std::nullopt;
  }
}

void RangeSummary::opened(const standin::FormModel& dialog, standin::HostEnvironment& env,
                          std::int32_t company) {
  before_.reset();
  if (dialog.name() == kInsertDialog || dialog.name() == kDeleteDialog) before_ = read(env, company);
}

std::optional<std::string> RangeSummary::closed(const standin::FormModel& dialog,
                                                standin::HostEnvironment& env, std::int32_t company,
                                                const std::string& language, bool completed) {
  const bool insert = dialog.name() == kInsertDialog;
  if (!before_ || (!insert && dialog.name() != kDeleteDialog)) return std::nullopt;
  const CompanyDays before = *before_;
  before_.reset();
  const auto after = read(env, company);
  if (!after || (!completed && *after == before)) return std::nullopt;
  // The activity and the dates the dialog holds, as its run read them.
  const std::string project = text_of(dialog, "TXT_CODPROG"), node = text_of(dialog, "TXT_CODNODO"),
                    activity = text_of(dialog, "TXT_CODATTIVITA");
  const std::string from_text = text_of(dialog, "TXT_DATAINIZIALE"),
                    to_text = text_of(dialog, "TXT_DATAFINALE");
  const auto from = runtime::parse_date(from_text);
  const auto to = runtime::parse_date(to_text);
  const std::string every_text = text_of(dialog, insert ? "TXT_RIPETIOGNI" : "TXT_CANCELLAOGNI");
  std::vector<standin::CalledActivity> found;
  runtime::suppressed([&] { found = standin::find_activities(env, company, project, node, activity); });
  if (found.size() != 1 || !from || !to || every_text.empty() ||
      every_text.find_first_not_of("0123456789") != std::string::npos || every_text.size() > 6)
    return std::nullopt;
  const auto link = static_cast<std::int64_t>(found.front().link_id);
  planner::StoredDays was, is;
  for (const auto& day : planner::RangeRun{*from, *to, std::stoi(every_text)}.dates()) {
    const std::pair<std::int64_t, std::string> key{link, day.iso()};
    if (auto it = before.find(key); it != before.end()) was[day.iso()] = it->second;
    if (auto it = after->find(key); it != after->end()) is[day.iso()] = it->second;
  }
  const bool en = language == "en";
  const std::string codes = project + " / " + node + " / " + activity;
  const std::string period =
      en ? " from " + from_text + " to " + to_text + ": " : " dal " + from_text + " al " + to_text + ": ";
  if (insert) {
    std::int32_t treatment = -1;
    runtime::suppressed([&] { treatment = dialog.model<host::Combo>("CBO_VARPRESENTI")->ListIndex(); });
    // The third entry of the list overwrites the days that exist.
    const auto c = planner::count_insertion(was, is, treatment == 2);
    const auto n = [](int v) { return std::to_string(v); };
    return en ? "Planned the days of " + codes + period + n(c.added) + " added, " + n(c.overwritten) +
                    " overwritten, " + n(c.skipped) + " skipped."
              : "Pianificati i giorni di " + codes + period + "aggiunti " + n(c.added) + ", sovrascritti " +
                    n(c.overwritten) + ", saltati " + n(c.skipped) + ".";
  }
  const auto c = planner::count_deletion(was, is);
  return en ? "Deleted the days of " + codes + period + std::to_string(c.deleted) + " deleted, " +
                  std::to_string(c.spared) + " spared (resources allocated)."
            : "Eliminati i giorni di " + codes + period + "eliminati " + std::to_string(c.deleted) +
                  ", risparmiati " + std::to_string(c.spared) + " (con risorse allocate).";
}

}  // namespace desktop
