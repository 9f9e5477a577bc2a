// `days`, weekday patterns and dates left out, and `export-ics` read back by a real iCalendar parser.
#include <fstream>

#include "cli/cli_runner.hpp"
#include "database/demo.hpp"

namespace cli::testing {
namespace {

using database::demo::kLinkPlanned;
using Numbers = std::vector<int>;

class PlannerScenario : public CliScenario {
 protected:
  // A day written by an older program, outside the activity's planning period (1..31 March).
  void add_old_day(const std::string& iso, const std::string& hours, const std::string& minutes) {
    const std::string date = iso.substr(0, 4) + ", " + std::to_string(std::stoi(iso.substr(5, 2))) + ", " +
                             std::to_string(std::stoi(iso.substr(8, 2)));
    raw_->exec(
        "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
        "PD4G_DATAATTIVITA, PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO, "
        "PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE, PD4G_DURATAORE, PD4G_DURATAMINUTI) VALUES (1, 101, "
        "1001, '" +
        iso + "', " + date + ", 0, 0, " + hours + ", " + minutes + ", " + hours + ", " + minutes + ")");
  }
  std::string write(const std::string& name, const std::string& text) {
    const std::string path = db_->dir().string() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

// ---- days

class CliDaysReport : public calendatt::testing::OnEachEngine<PlannerScenario> {};
CALENDATT_ON_EACH_ENGINE(CliDaysReport);

TEST_P(CliDaysReport, TheTableListsTheDaysAndTheirTotals) {
  auto r = run(att01("days"));
  EXPECT_EQ(r.status, 0) << r.all_err();
  EXPECT_TRUE(r.err.empty()) << r.all_err();
  EXPECT_EQ(r.out,
            "PRJ001 / N01 / ATT01, ditta 1\n"
            "Periodo di pianificazione: 2026-03-01 - 2026-03-31\n"
            "\n"
            "Data        Giorno  Ore  Min\n"
            "2026-03-02  lun     8    0\n"
            "2026-03-03  mar     8    0\n"
            "2026-03-04  mer     8    0\n"
            "2026-03-05  gio     8    0\n"
            "2026-03-06  ven     8    0\n"
            "2026-03-09  lun     4    30\n"
            "\n"
            "Settimana  Giorni  Durata\n"
            "2026-W10   5       40:00\n"
            "2026-W11   1       4:30\n"
            "\n"
            "Mese     Giorni  Durata\n"
            "2026-03  6       44:30\n"
            "\n"
            "Totale: 6 giorni, 44:30\n"
            "Fuori dal periodo di pianificazione: nessun giorno\n");
}

// Every row repeats the period; weeks and months follow the days across the period's bounds.
TEST_P(CliDaysReport, ScriptFormatsKeepTheKeysAndTheTableNamesTheDaysOutsideThePeriod) {
  add_old_day("2026-02-26", "1", "0");
  const std::string narrow = "days --from 2026-02-26 --to 2026-03-03";
  auto csv = run(att01(narrow + " --format csv --lang en"));
  ASSERT_EQ(csv.status, 0) << csv.all_err();
  std::string expected =
      "row,period,day,weekday,days,hours,minutes,total_minutes,planning_start,planning_end,outside_"
      "planning\n";
  for (const std::string row :
       {"day,,2026-02-26,thu,1,1,0,60|true", "day,,2026-03-02,mon,1,8,0,480|false",
        "day,,2026-03-03,tue,1,8,0,480|false", "week,2026-W09,,,1,1,0,60|", "week,2026-W10,,,2,16,0,960|",
        "month,2026-02,,,1,1,0,60|", "month,2026-03,,,2,16,0,960|", "outside_planning,,,,1,1,0,60|",
        "total,,,,3,17,0,1020|"})
    expected +=
        row.substr(0, row.find('|')) + ",2026-03-01,2026-03-31," + row.substr(row.find('|') + 1) + "\n";
  EXPECT_EQ(csv.out, expected);

  auto json = run(att01(narrow + " --format json"));
  EXPECT_EQ(split_lines(json.out).size(), 11u) << json.out;
  EXPECT_NE(json.out.find("\"total_minutes\": 60, \"planning_start\": \"2026-03-01\", \"planning_end\": "
                          "\"2026-03-31\", \"outside_planning\": true}"),
            std::string::npos)
      << json.out;

  auto table = run(att01(narrow + " --lang en"));
  EXPECT_NE(table.out.find("\n2026-02-26  thu      1      0    outside the period\n"), std::string::npos)
      << table.out;
  EXPECT_NE(table.out.find("\nOutside the planning period: 1 day, 1:00 (2026-02-26)\n"), std::string::npos)
      << table.out;
}

TEST_P(CliDaysReport, AnActivityThatIsNoWbsRowIsRefused) {
  auto none = run(words("days --project PRJ001 --node N01 --activity NOPE"));
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err,
            std::vector<std::string>{"calendatt: nessuna attività WBS PRJ001 / N01 / NOPE nella ditta 1"});
}

// ---- Weekday patterns and dates left out

class CliPatterns : public calendatt::testing::OnEachEngine<PlannerScenario> {
 protected:
  // Monday, Wednesday and Friday over the four weeks from Sunday 1 March.
  std::vector<std::string> four_weeks(std::vector<std::string> more) {
    return with(
        att01("add-range --from 2026-03-01 --to 2026-03-28 --weekdays lun,mer,VEN --hours 2 --minutes 15"),
        more);
  }
  std::vector<std::string> dates_of_link() const {
    std::vector<std::string> out;
    for (const auto& d : days_of(kLinkPlanned)) out.push_back(d.substr(0, d.find(' ', 11)));
    std::sort(out.begin(), out.end());
    return out;
  }
};
CALENDATT_ON_EACH_ENGINE(CliPatterns);

TEST_P(CliPatterns, MondayWednesdayFridayOverFourWeeksPlansTwelveDaysAndKeepsTheOnesThatExist) {
  auto r = run(four_weeks({"--existing", "skip"}));
  ASSERT_EQ(r.status, 0) << r.all_err();
  // One run of the dialog per weekday.
  EXPECT_EQ(r.numbers(), (Numbers{42123, 42123, 42123}));
  EXPECT_EQ(
      r.out,
      "Pianificati i giorni di PRJ001 / N01 / ATT01 dal 2026-03-01 al 2026-03-28 (lun, mer, ven; 3 serie): "
      "aggiunti 8, sovrascritti 0, saltati 4.\n");
  EXPECT_EQ(dates_of_link(),
            (std::vector<std::string>{
                "2026-03-02 8:0", "2026-03-03 8:0", "2026-03-04 8:0", "2026-03-05 8:0", "2026-03-06 8:0",
                "2026-03-09 4:30", "2026-03-11 2:15", "2026-03-13 2:15", "2026-03-16 2:15", "2026-03-18 2:15",
                "2026-03-20 2:15", "2026-03-23 2:15", "2026-03-25 2:15", "2026-03-27 2:15"}));
}

TEST_P(CliPatterns, AConflictStopsTheWholePatternBeforeAnythingIsWritten) {
  // Without --existing the dialog's list stays on its first entry: stop. Every run meets a planned day;
  // the message is followed by a line of ours that names the dates.
  for (const std::string language : {"it", "en"}) {
    auto stop = run(four_weeks({"--lang", language}));
    const bool it = language == "it";
    EXPECT_EQ(stop.status, 1);
    EXPECT_EQ(stop.numbers(), Numbers{77201});
    ASSERT_GE(stop.err.size(), 2u) << stop.all_err();
    EXPECT_EQ(stop.err[0], it ? "[77201] Sono presenti date in conflitto. Operazione annullata."
                              : "[77201] There are conflicting dates. Operation cancelled.");
    EXPECT_EQ(stop.err[1].substr(0, stop.err[1].find(" (--existing skip ")),
              std::string("calendatt: ") + (it ? "date in conflitto" : "conflicting dates") +
                  ": 2026-03-02, 2026-03-09");
    EXPECT_TRUE(stop.out.empty());
  }
  EXPECT_EQ(dates_of_link().size(), 6u);
}

TEST_P(CliPatterns, ARunRefusedAfterOthersStopsThePatternAndSaysWhatStays) {
  // Monday 2 March can go; Thursday 5 March carries allocated resources, so its run deletes nothing and
  // the dialog says so: the Monday run, carried out first, stays.
  auto r = run(att01("delete-range --from 2026-03-02 --to 2026-03-05 --weekdays lun,gio --yes"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(
      r.has_line("calendatt: la serie 2 di 2 si è fermata; le serie prima di essa (1) restano eseguite"))
      << r.all_err();
  EXPECT_TRUE(r.out.empty());
  auto dates = dates_of_link();
  EXPECT_EQ(dates.size(), 5u);
  EXPECT_EQ(std::count(dates.begin(), dates.end(), "2026-03-02 8:0"), 0);
}

TEST_P(CliPatterns, DatesLeftOutSplitTheRunsFromAListOrAnICalendarFile) {
  const std::string list = write("holidays.txt", "# holidays\n2026-03-16\n2026-03-25\n");
  auto r = run(with(four_weeks({"--skip-dates", list}), {"--existing", "skip", "--lang", "en"}));
  ASSERT_EQ(r.status, 0) << r.all_err();
  // The Monday run is split in two; the Wednesday one loses its last date: four runs.
  EXPECT_EQ(r.numbers(), (Numbers{42123, 42123, 42123, 42123}));
  EXPECT_NE(r.out.find("(mon, wed, fri, without the dates of " + list +
                       "; 4 runs): 6 added, 0 overwritten, "
                       "4 skipped.\n"),
            std::string::npos)
      << r.out;
  auto dates = dates_of_link();
  EXPECT_EQ(std::count(dates.begin(), dates.end(), "2026-03-16 2:15"), 0);
  EXPECT_EQ(std::count(dates.begin(), dates.end(), "2026-03-23 2:15"), 1);
  EXPECT_EQ(dates.size(), 6u + 6u);

  // An iCalendar file: three all-day days from 18 March, and a yearly holiday on 20 March.
  const std::string ics =
      write("holidays.ics",
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//x//EN\r\nBEGIN:VEVENT\r\nUID:1\r\n"
            "DTSTART;VALUE=DATE:20260318\r\nDTEND;VALUE=DATE:20260321\r\nEND:VEVENT\r\n"
            "BEGIN:VEVENT\r\nUID:2\r\nDTSTART;VALUE=DATE:20200327\r\nRRULE:FREQ=YEARLY\r\n"
            "END:VEVENT\r\nEND:VCALENDAR\r\n");
  auto del = run(att01("delete-range --from 2026-03-01 --to 2026-03-31 --weekdays wed,fri --skip-dates " +
                       ics + " --yes"));
  ASSERT_EQ(del.status, 0) << del.all_err();
  dates = dates_of_link();
  // 18, 20 and 27 March stay; 4 March stays for its allocated resources; 6, 11 and 13 go. The run of 25
  // March, where nothing is planned, is left out.
  for (const char* kept : {"2026-03-04 8:0", "2026-03-18 2:15", "2026-03-20 2:15", "2026-03-27 2:15"})
    EXPECT_EQ(std::count(dates.begin(), dates.end(), kept), 1) << kept;
  for (const char* gone : {"2026-03-06", "2026-03-11", "2026-03-13"})
    for (const auto& d : dates) EXPECT_NE(d.rfind(gone, 0), 0u) << gone;
  EXPECT_NE(del.out.find("(mer, ven, senza le date di " + ics +
                         "; 2 serie): eliminati 3, risparmiati 1 (con "
                         "risorse allocate).\n"),
            std::string::npos)
      << del.out;
  EXPECT_EQ(del.numbers(), (Numbers{0, 0, 0, 42123, 0, 42123}));
}

// ---- export-ics

class CliCalendarExport : public calendatt::testing::OnEachEngine<PlannerScenario> {
 protected:
  static constexpr const char* kPython = "/usr/bin/python3";

  // "date uid summary" for each day an event covers, sorted; a repeated event fails.
  std::string parsed(const std::string& path) {
    const std::string script = write("read_ics.py", R"(import sys, datetime
from icalendar import Calendar
calendar = Calendar.from_ical(open(sys.argv[1], 'rb').read())
lines = []
for event in calendar.walk('VEVENT'):
    start = event.decoded('dtstart')
    end = event.decoded('dtend') if 'dtend' in event else start + datetime.timedelta(days=1)
    assert not isinstance(start, datetime.datetime), 'not an all-day event'
    assert 'rrule' not in event and 'rdate' not in event, 'a repeated event'
    d = start
    while d < end:
        lines.append('%s %s %s' % (d.isoformat(), event['uid'], event['summary']))
        d += datetime.timedelta(days=1)
print('\n'.join(sorted(lines)))
)");
    const std::string out_path = db_->dir().string() + "/parsed.txt";
    const std::string command = std::string(kPython) + " " + script + " " + path + " > " + out_path + " 2>&1";
    int status = std::system(command.c_str());
    std::string out = read_file(out_path);
    EXPECT_EQ(status, 0) << "the parser refused the file (is python3-icalendar installed?): " << out;
    return out;
  }
  static std::string unfold(std::string text) {
    for (auto at = text.find("\r\n "); at != std::string::npos; at = text.find("\r\n ", at))
      text.erase(at, 3);
    return text;
  }
  std::string export_to(const std::string& name, std::vector<std::string> more = {}) {
    auto r = run(with(att01("export-ics"), more));
    EXPECT_EQ(r.status, 0) << r.all_err();
    EXPECT_TRUE(r.err.empty()) << r.all_err();
    return write(name, r.out);
  }
};
CALENDATT_ON_EACH_ENGINE(CliCalendarExport);

TEST_P(CliCalendarExport, AParserReadsBackExactlyTheStoredDaysOfTheRange) {
  add_old_day("2026-04-02", "3", "45");
  EXPECT_EQ(split_lines(parsed(export_to("days.ics"))).size(), 7u);  // the demo's six and the old one
  const std::string narrow = export_to("narrow.ics", words("--from 2026-03-09 --to 2026-04-02 --lang en"));
  EXPECT_EQ(parsed(narrow),
            "2026-03-09 20260309-1-PRJ001-N01-ATT01@calendatt PRJ001 / N01 / ATT01 - Rilievi (4:30)\n"
            "2026-04-02 20260402-1-PRJ001-N01-ATT01@calendatt PRJ001 / N01 / ATT01 - Rilievi (3:45)\n");
  EXPECT_NE(unfold(read_file(narrow))
                .find("\r\nDESCRIPTION:Activity PRJ001 / N01 / ATT01 - Rilievi\\, company 1\\nPlanned "
                      "duration: 3 hours 45 minutes"),
            std::string::npos);
  // No days, no calendar: one line and nothing written.
  auto none = run(att01("export-ics --from 2026-03-22 --to 2026-03-23 --lang en"));
  EXPECT_TRUE(none.status == 1 && none.out.empty()) << none.status << none.out;
  EXPECT_EQ(none.err, std::vector<std::string>{
                          "calendatt: no day planned for PRJ001 / N01 / ATT01: no calendar written"});
}

}  // namespace
}  // namespace cli::testing
