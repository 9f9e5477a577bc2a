#pragma once
// The demo database's content: two companies, their projects, WBS nodes, linked activities with their
// planning periods, a few planned days and resource allocations. insert_demo_data() writes exactly these
// rows; tests rely on the ids and codes below. The dates are given for a demo written on kBaseDay;
// written on another day, every date moves by the same number of days.

#include <array>
#include <cstdint>
#include <string_view>

namespace database::demo {

// The demo's first planned day (two activities are planned on it): the day the dates below are given for.
inline constexpr std::string_view kBaseDay = "2026-03-02";

inline constexpr std::int32_t kCompany = 1;       // the company the demo opens on
inline constexpr std::int32_t kOtherCompany = 2;  // a second company, never visible from company 1

// Projects (PD68_PROGETTI).
struct Project {
  std::int32_t company;
  std::string_view code;
  std::string_view description;
};
inline constexpr std::array kProjects{
    Project{kCompany, "PRJ001", "Ampliamento stabilimento"},
    Project{kCompany, "PRJ002", "Manutenzione impianti"},
    Project{kOtherCompany, "PRJ900", "Commessa estera"},
    Project{kOtherCompany, "PRJ001", "Ampliamento filiale"},
};

// Node codes with their descriptions (PD0C_NODI).
struct NodeCode {
  std::int32_t company;
  std::string_view code;
  std::string_view description;
};
inline constexpr std::array kNodeCodes{
    NodeCode{kCompany, "N01", "Progettazione"},
    NodeCode{kCompany, "N02", "Costruzione"},
    NodeCode{kCompany, "N03", "Collaudo"},
    NodeCode{kCompany, "M01", "Impianti elettrici"},
    NodeCode{kCompany, "M02", "Impianti idraulici"},
    NodeCode{kOtherCompany, "Z01", "Cantiere estero"},
    NodeCode{kOtherCompany, "N01", "Progettazione filiale"},
};

// Activity codes with their descriptions (PD0D_ATTIVITA).
struct ActivityCode {
  std::int32_t company;
  std::string_view code;
  std::string_view description;
};
inline constexpr std::array kActivityCodes{
    ActivityCode{kCompany, "ATT01", "Rilievi"},
    ActivityCode{kCompany, "ATT02", "Progetto esecutivo"},
    ActivityCode{kCompany, "ATT03", "Computo metrico"},
    ActivityCode{kCompany, "ATT04", "Richiesta permessi"},
    ActivityCode{kCompany, "ATT05", "Riunione di avvio"},
    ActivityCode{kCompany, "ATT06", "Verifica strutturale"},
    ActivityCode{kCompany, "MAN01", "Manutenzione programmata"},
    ActivityCode{kOtherCompany, "ATT01", "Sopralluogo"},
};

// WBS nodes (PD0G_DISBAPROG). Node 102's codes are stored with trailing blanks.
inline constexpr std::int32_t kNodeDesign = 101;      // PRJ001 / N01
inline constexpr std::int32_t kNodeBuild = 102;       // PRJ001 / N02
inline constexpr std::int32_t kNodeTest = 103;        // PRJ001 / N03, no activities
inline constexpr std::int32_t kNodeElectrical = 201;  // PRJ002 / M01
inline constexpr std::int32_t kNodeHydraulic = 202;   // PRJ002 / M02, no activities
inline constexpr std::int32_t kNodeForeign = 901;     // PRJ900 / Z01 (company 2)
// PRJ001 / N01 of company 2: the same codes as kNodeDesign, told apart only by the company.
inline constexpr std::int32_t kNodeOtherDesign = 902;

struct Node {
  std::int32_t id;
  std::int32_t company;
  std::string_view project;  // as stored
  std::string_view code;     // as stored
};
inline constexpr std::array kNodes{
    Node{kNodeDesign, kCompany, "PRJ001", "N01"},
    Node{kNodeBuild, kCompany, "PRJ001  ", "N02"},
    Node{kNodeTest, kCompany, "PRJ001", "N03"},
    Node{kNodeElectrical, kCompany, "PRJ002", "M01"},
    Node{kNodeHydraulic, kCompany, "PRJ002", "M02"},
    Node{kNodeForeign, kOtherCompany, "PRJ900", "Z01"},
    Node{kNodeOtherDesign, kOtherCompany, "PRJ001", "N01"},
};

// Activities linked to nodes (PD0H_LEGDISBAPROG). Empty dates are NULL.
inline constexpr std::int32_t kLinkPlanned = 1001;    // N01 ATT01, planned 2026-03-01..2026-03-31
inline constexpr std::int32_t kLinkStartOnly = 1002;  // N01 ATT02, planned start 2026-03-01 only
inline constexpr std::int32_t kLinkEndOnly = 1003;    // N01 ATT03, planned end 2026-03-15 only
inline constexpr std::int32_t kLinkForecast = 1004;   // N01 ATT04, forecast 2026-03-01..2026-03-15 only
inline constexpr std::int32_t kLinkNoDates = 1005;    // N01 ATT05, no dates at all
inline constexpr std::int32_t kLinkTwiceA = 1006;     // N01 ATT06, planned 2026-04-01..2026-04-30
inline constexpr std::int32_t kLinkTwiceB = 1007;     // N01 ATT06 again, same period
inline constexpr std::int32_t kLinkBuild =
    1008;  // N02 ATT01 (code stored "ATT01   "), 2026-05-01..2026-05-31
inline constexpr std::int32_t kLinkMaintenance = 1009;  // M01 MAN01, planned 2026-02-01..2026-12-31
inline constexpr std::int32_t kLinkForeign = 1901;  // Z01 ATT01 (company 2), planned 2026-03-01..2026-03-31
// PRJ001 / N01 / ATT01 of company 2, planned 2026-06-01..2026-06-30.
inline constexpr std::int32_t kLinkOtherDesign = 1902;

struct Link {
  std::int32_t id;
  std::int32_t node;
  std::string_view activity;  // as stored
  std::string_view planned_start, planned_end, forecast_start, forecast_end;
};
inline constexpr std::array kLinks{
    Link{kLinkPlanned, kNodeDesign, "ATT01", "2026-03-01", "2026-03-31", "", ""},
    Link{kLinkStartOnly, kNodeDesign, "ATT02", "2026-03-01", "", "", ""},
    Link{kLinkEndOnly, kNodeDesign, "ATT03", "", "2026-03-15", "", ""},
    Link{kLinkForecast, kNodeDesign, "ATT04", "", "", "2026-03-01", "2026-03-15"},
    Link{kLinkNoDates, kNodeDesign, "ATT05", "", "", "", ""},
    Link{kLinkTwiceA, kNodeDesign, "ATT06", "2026-04-01", "2026-04-30", "", ""},
    Link{kLinkTwiceB, kNodeDesign, "ATT06", "2026-04-01", "2026-04-30", "", ""},
    Link{kLinkBuild, kNodeBuild, "ATT01   ", "2026-05-01", "2026-05-31", "", ""},
    Link{kLinkMaintenance, kNodeElectrical, "MAN01", "2026-02-01", "2026-12-31", "", ""},
    Link{kLinkForeign, kNodeForeign, "ATT01", "2026-03-01", "2026-03-31", "", ""},
    Link{kLinkOtherDesign, kNodeOtherDesign, "ATT01", "2026-06-01", "2026-06-30", "", ""},
};

// Planned days (PD4G_CALENDATT), with their ids: each starts at 0:00 and ends at its duration.
struct Day {
  std::int32_t id;
  std::int32_t company;
  std::int32_t node;
  std::int32_t link;
  std::string_view date;
  std::int32_t hours;
  std::int32_t minutes;
};
inline constexpr std::array kDays{
    Day{1, kCompany, kNodeDesign, kLinkPlanned, "2026-03-02", 8, 0},
    Day{2, kCompany, kNodeDesign, kLinkPlanned, "2026-03-03", 8, 0},
    Day{3, kCompany, kNodeDesign, kLinkPlanned, "2026-03-04", 8, 0},
    Day{4, kCompany, kNodeDesign, kLinkPlanned, "2026-03-05", 8, 0},
    Day{5, kCompany, kNodeDesign, kLinkPlanned, "2026-03-06", 8, 0},
    Day{6, kCompany, kNodeDesign, kLinkPlanned, "2026-03-09", 4, 30},
    Day{7, kCompany, kNodeElectrical, kLinkMaintenance, "2026-03-02", 2, 0},
    Day{8, kOtherCompany, kNodeForeign, kLinkForeign, "2026-03-02", 8, 0},
    Day{9, kOtherCompany, kNodeForeign, kLinkForeign, "2026-03-03", 8, 0},
};
inline constexpr std::int32_t kDayWithTwoAllocations = 3;  // 2026-03-04
inline constexpr std::int32_t kDayWithOneAllocation = 4;   // 2026-03-05

// Resource allocations (PD4H_ALLRISPROG).
struct Allocation {
  std::int32_t day;
  std::string_view resource;
  std::int32_t hours;
};
inline constexpr std::array kAllocations{
    Allocation{kDayWithTwoAllocations, "RIS01", 4},
    Allocation{kDayWithTwoAllocations, "RIS02", 4},
    Allocation{kDayWithOneAllocation, "RIS01", 8},
};

}  // namespace database::demo
