#pragma once
// The side panel of the main window with the current activity's days and their totals (per ISO week, per
// month, in all, and the days outside the planning period): the planner's report of the command line's
// `days`, shown for the activity the calendar has selected. The host asks it to refresh whenever it
// refreshes its status (after every command of the navigator and on its timer, so after a bulk run too);
// it reads the database only while it is shown, and rebuilds its tables only when the report changed.
// It marks the days that carry allocated resources, and a double-click on a day takes the window there.

#include <QDockWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "planner/days_report.hpp"

class QLabel;
class QTableWidget;

namespace host {
class RecordFrame;
}
namespace standin {
class HostEnvironment;
}

namespace desktop {

// The activity being browsed: that of the row the record frame shows (while it is edited too), else, for a
// new row or none, the one the calendar has resolved from the codes being entered; none when the calendar
// is closed (`frame` null), no activity is chosen, or the database cannot be read.
std::optional<planner::FoundActivity> browsed_activity(standin::HostEnvironment& env,
                                                       const std::shared_ptr<host::RecordFrame>& frame);

class DaysPanel : public QDockWidget {
 public:
  explicit DaysPanel(QWidget* parent);

  // Shows the report of the activity being browsed (browsed_activity), in the language given.
  void refresh(standin::HostEnvironment& env, const std::shared_ptr<host::RecordFrame>& frame,
               const std::string& language);

  // Told with the day of a line the person double-clicks (the host takes the calendar there).
  void set_day_chooser(std::function<void(runtime::Date)> chooser) { day_chooser_ = std::move(chooser); }

  // What it shows now.
  const planner::DaysReport& report() const { return report_; }
  bool has_activity() const { return has_activity_; }
  QTableWidget* days_table() const { return days_; }
  QTableWidget* totals_table() const { return totals_; }
  QLabel* heading() const { return heading_; }

 private:
  void show_report(const std::string& language, const std::string& codes);

  QLabel* heading_ = nullptr;
  QTableWidget* days_ = nullptr;
  QTableWidget* totals_ = nullptr;
  planner::DaysReport report_;
  std::vector<runtime::Date> allocated_;  // the days that carry allocated resources
  std::function<void(runtime::Date)> day_chooser_;
  bool has_activity_ = false;
  std::string shown_;  // what the tables show, to rebuild them only when it changes
};

}  // namespace desktop
