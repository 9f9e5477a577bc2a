#pragma once
// The host program that opens the calendar for one activity (called mode): it finds the activity's WBS
// link and planning period in the host database and hands them to the module through the module's own
// interface, reached by name as a host reaches any module it created through the registry.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/contract.hpp"
#include "runtime/date.hpp"

namespace standin {

class HostEnvironment;

struct CalledActivity {
  // The codes as the code fields hold them: upper case, no trailing blanks.
  std::string project, node, activity;
  std::string description;  // the activity's, without trailing blanks; empty when it has none
  double node_id = 0;
  double link_id = 0;
  // The planning period: the planned dates when either is set, else the forecast ones; a missing bound
  // is the other one. None when the activity has no date at all.
  std::optional<runtime::Date> start, end;
};

// The days of a month that hold planned rows of the company, for one node and one link when their ids
// are not 0 (the calendar's current selection), in date order.
std::vector<runtime::Date> planned_days(HostEnvironment& env, std::int32_t company, double node_id,
                                        double link_id, int year, unsigned month);

// Every WBS link of the company that carries these codes, in link order (one is the normal case).
std::vector<CalledActivity> find_activities(HostEnvironment& env, std::int32_t company,
                                            const std::string& project, const std::string& node,
                                            const std::string& activity);

// Sets Cinterface_IsCalled and the called-mode properties; the period is not handed over when the
// activity has none. Throws runtime::Error 438 when the module has no such properties.
void hand_over(host::Cinterface& module, const CalledActivity& activity);

// The module's ModificatoDati: whether its window changed calendar data.
bool data_changed(host::Cinterface& module);

}  // namespace standin
