#pragma once
// What a bulk run of the range dialogs did, for the status bar: the company's days are read when the
// dialog opens and again when it closed, and the days of its activity and dates are counted as the
// command line counts them (added, overwritten and skipped; deleted and spared).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "planner/stored_days.hpp"
#include "standin/form_model.hpp"

namespace standin {
class HostEnvironment;
}

namespace desktop {

class RangeSummary {
 public:
  static constexpr const char* kInsertDialog = "FRMPD_ADDCALENDATT";
  static constexpr const char* kDeleteDialog = "FRMPD_DELCALENDATT";
  // The message a run that went through ends with.
  static constexpr std::int32_t kCompletedMessage = 42123;

  // A range dialog opened: the company's days as they are before any run.
  void opened(const standin::FormModel& dialog, standin::HostEnvironment& env, std::int32_t company);
  // The dialog closed (`completed`: its run went through): the line that says what the run did, in
  // `language`; nullopt when it was not a range dialog, or no run went through and nothing changed.
  std::optional<std::string> closed(const standin::FormModel& dialog, standin::HostEnvironment& env,
                                    std::int32_t company, const std::string& language, bool completed);

 private:
  // (WBS link, ISO date) -> the stored day.
  using CompanyDays = std::map<std::pair<std::int64_t, std::string>, planner::StoredDay>;
  static std::optional<CompanyDays> read(standin::HostEnvironment& env, std::int32_t company);

  std::optional<CompanyDays> before_;
};

}  // namespace desktop
