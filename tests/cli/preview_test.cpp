// The preview of a bulk run (--dry-run) against the run itself, on both engines, on the demo's days of
// ATT01: days that exist, two of them with allocated resources, and a conflict for every range that
// touches them. For every treatment of existing days the preview writes nothing, and the same run
// without it changes exactly the dates the preview listed, each in the way it said.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "cli/cli_runner.hpp"
#include "database/demo.hpp"

namespace cli::testing {
namespace {

using database::demo::kLinkPlanned;

struct Previewed {
  std::string date;
  std::string effect;
  std::string duration;  // "H:M" after the run, "" for none
};

// The dates of the JSON preview, one object a line.
std::vector<Previewed> parse_preview(const std::string& json) {
  static const std::regex line(
      R"re(\{"date": "([0-9-]+)", "effect": "([a-z: ]+)", "hours": (null|\d+), "minutes": (null|\d+),)re");
  std::vector<Previewed> out;
  for (const auto& text : split_lines(json)) {
    std::smatch m;
    if (!std::regex_search(text, m, line)) continue;
    out.push_back({m[1], m[2], m[3] == "null" ? "" : std::string(m[3]) + ":" + std::string(m[4])});
  }
  return out;
}

// A digest of the database file, read by another process: a descriptor of the file opened and closed in
// this one would drop the locks of the test's own SQLite connection on it.
std::string file_digest(const std::string& path) {
  std::string command = "sha256sum '" + path + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "";
  char buffer[128] = {};
  std::string out = std::fgets(buffer, sizeof buffer, pipe) ? buffer : "";
  pclose(pipe);
  return out.substr(0, 64);
}

class CliPreview : public calendatt::testing::OnEachEngine<CliScenario> {
 protected:
  // The link's days: date -> "H:M (start-end)".
  std::map<std::string, std::string> days() const {
    std::map<std::string, std::string> out;
    for (const auto& day : days_of(kLinkPlanned)) out[day.substr(0, 10)] = day.substr(11);
    return out;
  }
  // Every calendar row and allocation except the link's rows on `dates`, as the other session reads them.
  std::vector<std::string> other_rows(const std::set<std::string>& dates) const {
    std::string in;
    for (const auto& d : dates) in += (in.empty() ? "'" : ", '") + d + "'";
    std::string sql = "SELECT * FROM PD4G_CALENDATT";
    if (!in.empty())
      sql += " WHERE PD4G_IDLEGAME_PD0H <> " + std::to_string(kLinkPlanned) +
             " OR PD4G_DATAATTIVITA NOT IN (" + in + ")";
    auto rows = raw_->rows(sql);
    auto allocations = raw_->rows("SELECT * FROM PD4H_ALLRISPROG");
    rows.insert(rows.end(), allocations.begin(), allocations.end());
    return rows;
  }
  // PostgreSQL: the row version of each of the link's days (an UPDATE makes a new one, even when it writes
  // the values the row held).
  std::map<std::string, std::string> versions() const {
    std::map<std::string, std::string> out;
    if (engine() != Engine::PostgreSQL) return out;
    for (const auto& row :
         raw_->rows("SELECT PD4G_DATAATTIVITA::text || '=' || xmin::text FROM PD4G_CALENDATT "
                    "WHERE PD4G_IDLEGAME_PD0H = " +
                    std::to_string(kLinkPlanned))) {
      std::string v = row.substr(row.find(':') + 1, row.size() - row.find(':') - 2);
      out[v.substr(0, 10)] = v.substr(11);
    }
    return out;
  }

  // Runs `args` with --dry-run, checks that nothing changed, then runs them for real and checks that
  // each date changed as the preview said and nothing else did. Returns the preview.
  std::vector<Previewed> rehearse_then_run(const std::vector<std::string>& args) {
    const bool sqlite = engine() == Engine::SQLite;
    const auto before = days();
    const auto all_before = other_rows({});
    const auto versions_before = versions();
    const std::string digest = sqlite ? file_digest(db_->target()) : std::string();

    auto dry = run(with(args, {"--dry-run", "--format", "json"}));
    EXPECT_TRUE(dry.status == 0 || dry.status == 1) << dry.all_err();
    EXPECT_EQ(other_rows({}), all_before);
    EXPECT_EQ(versions(), versions_before);
    if (sqlite) {
      EXPECT_EQ(file_digest(db_->target()), digest) << "the dry run changed the database file";
      EXPECT_EQ(digest.size(), 64u);
    }
    auto previewed = parse_preview(dry.out);
    EXPECT_FALSE(previewed.empty()) << dry.out << dry.all_err();
    std::set<std::string> dates;
    for (const auto& p : previewed) dates.insert(p.date);
    const auto others_before = other_rows(dates);

    // The real run, its statements traced on SQLite to see which days it updated.
    const std::string trace = (db_->dir() / "statements.sql").string();
    std::filesystem::remove(trace);
    if (sqlite) setenv("CALENDATT_SQL_TRACE", trace.c_str(), 1);
    auto real = run(args);
    unsetenv("CALENDATT_SQL_TRACE");
    EXPECT_EQ(real.status, dry.status) << real.all_err();
    // The same messages, but for "Operazione completata": a preview completed nothing.
    std::vector<std::int32_t> completed_too = real.numbers();
    std::erase(completed_too, 42123);
    EXPECT_EQ(completed_too, dry.numbers()) << real.all_err() << dry.all_err();

    std::set<std::string> updated;
    if (sqlite) {
      for (const auto& line : split_lines(read_file(trace))) {
        if (line.rfind("UPDATE PD4G_CALENDATT", 0) != 0) continue;
        for (const auto& [date, day] : before)
          if (line.find("'" + date + "'") != std::string::npos) updated.insert(date);
      }
    } else {
      const auto versions_after = versions();
      for (const auto& [date, version] : versions_before)
        if (versions_after.count(date) && versions_after.at(date) != version) updated.insert(date);
    }

    const auto after = days();
    for (const auto& p : previewed) {
      SCOPED_TRACE(p.date + " " + p.effect);
      const bool was = before.count(p.date) != 0, is = after.count(p.date) != 0;
      const std::string now = is ? after.at(p.date) : std::string();
      if (p.effect == "add") {
        EXPECT_FALSE(was);
        EXPECT_EQ(now, p.duration + " (0:0-" + p.duration + ")");
      } else if (p.effect == "overwrite") {
        EXPECT_TRUE(was);
        EXPECT_EQ(now, p.duration + " (0:0-" + p.duration + ")");
        EXPECT_TRUE(updated.count(p.date)) << "the day was not written";
      } else if (p.effect == "skip" || p.effect == "stop here" || p.effect == "spared: allocated resources") {
        EXPECT_TRUE(was);
        if (!was) continue;
        EXPECT_EQ(now, before.at(p.date));
        EXPECT_EQ(now.substr(0, now.find(' ')), p.duration);
        EXPECT_FALSE(updated.count(p.date)) << "the day was written";
      } else if (p.effect == "delete") {
        EXPECT_TRUE(was);
        EXPECT_FALSE(is);
      } else if (p.effect == "absent") {
        EXPECT_FALSE(was);
        EXPECT_FALSE(is);
      } else if (p.effect == "not written") {
        EXPECT_EQ(is, was);
        if (was) {
          EXPECT_EQ(now, before.at(p.date));
        }
        EXPECT_FALSE(updated.count(p.date)) << "the day was written";
      } else {
        ADD_FAILURE() << "unknown effect";
      }
    }
    // Nothing else changed.
    EXPECT_EQ(other_rows(dates), others_before);
    return previewed;
  }

  // Every day from 1 to 12 March: the days that exist (2-6 and 9, two of them with allocated
  // resources), and days that do not.
  std::vector<std::string> add_range(const std::string& existing, const std::string& hours) {
    return att01("add-range --from 2026-03-01 --to 2026-03-12 --every 1 --hours " + hours +
                 " --minutes 0 --existing " + existing);
  }

  std::vector<std::string> delete_range(const std::string& to) {
    return att01("delete-range --from 2026-03-01 --to " + to + " --every 1");
  }

  // "day effect" of every previewed date (its day of March) in the preview's order, or of `days` only.
  static std::string effects(const std::vector<Previewed>& previewed, const std::set<int>& days = {}) {
    std::string out;
    for (const auto& p : previewed) {
      const int day = std::stoi(p.date.substr(8));
      if (days.empty() || days.count(day))
        out += (out.empty() ? "" : ", ") + std::to_string(day) + " " + p.effect;
    }
    return out;
  }
};

CALENDATT_ON_EACH_ENGINE(CliPreview);

// Each treatment in turn on the same days: what the preview says of a date is what the run then does.
TEST_P(CliPreview, EachTreatmentIsPreviewedAsTheRunThenCarriesItOut) {
  // Nothing is written: a stop on a conflict, a deletion declined.
  const auto stop = rehearse_then_run(add_range("stop", "8"));
  EXPECT_EQ(stop.size(), 12u);
  EXPECT_EQ(effects(stop, {1, 4, 9, 12}), "1 not written, 4 stop here, 9 stop here, 12 not written");
  EXPECT_EQ(effects(rehearse_then_run(with(delete_range("2026-03-06"), {"--no"})), {1, 2, 4}),
            "1 absent, 2 not written, 4 not written");
  EXPECT_EQ(effects(rehearse_then_run(add_range("skip", "8")), {1, 5, 9}), "1 add, 5 skip, 9 skip");
  // 8:00 is the duration every day but 9 March holds now: writing it again is still an overwrite.
  EXPECT_EQ(effects(rehearse_then_run(add_range("overwrite", "8")), {2, 9, 12}),
            "2 overwrite, 9 overwrite, 12 overwrite");
  EXPECT_EQ(effects(rehearse_then_run(with(delete_range("2026-03-10"), {"--yes"})), {2, 4, 5, 7}),
            "2 delete, 4 spared: allocated resources, 5 spared: allocated resources, 7 delete");
}

// A weekday pattern is several runs of the dialog: the preview covers them all, in date order.
TEST_P(CliPreview, AWeekdayPatternIsPreviewedRunByRunInDateOrder) {
  EXPECT_EQ(effects(rehearse_then_run(att01(
                "add-range --from 2026-03-01 --to 2026-03-14 --weekdays mon,fri --hours 6 --existing skip"))),
            "2 skip, 6 skip, 9 skip, 13 add");
  // With --existing stop the refused run stops the pattern: the dates of a run that never starts are
  // listed too, as not written, and the conflict line says how to plan the others.
  auto stop =
      run(att01("add-range --from 2026-03-01 --to 2026-03-14 --weekdays mon,fri --hours 6 --existing stop "
                "--dry-run --format csv --lang en"));
  EXPECT_EQ(stop.status, 1);
  EXPECT_EQ(split_lines(stop.out).size(), 5u) << stop.out;
  EXPECT_NE(stop.out.find("2026-03-13,not written"), std::string::npos) << stop.out;
  EXPECT_NE(stop.out.find(",stop here,"), std::string::npos) << stop.out;
  EXPECT_TRUE(stop.has_line_starting("calendatt: conflicting dates: ")) << stop.all_err();
  EXPECT_NE(stop.all_err().find("--existing skip plans the other dates"), std::string::npos);
}

// The table speaks the run's language and ends with the totals and the line that nothing was written.
TEST_P(CliPreview, TheTableSpeaksTheRunsLanguage) {
  auto it = run(with(add_range("overwrite", "5"), {"--dry-run"}));
  ASSERT_EQ(it.status, 0) << it.all_err();
  auto lines = split_lines(it.out);
  ASSERT_EQ(lines.size(), 15u) << it.out;
  EXPECT_EQ(lines[0], "Data        Effetto       Ore  Minuti  Ore prima  Minuti prima");
  EXPECT_EQ(lines[1], "2026-03-01  aggiunto      5    0");
  EXPECT_EQ(lines[9], "2026-03-09  sovrascritto  5    0       4          30");
  EXPECT_EQ(lines[13], "Totali: aggiunti 6, sovrascritti 6, tralasciati 0, in conflitto 0, non scritti 0.");
  EXPECT_EQ(lines[14], "Anteprima: nulla è stato scritto.");

  auto en = run(with(add_range("stop", "5"), words("--dry-run --lang en --format csv")));
  EXPECT_EQ(en.status, 1);
  lines = split_lines(en.out);
  ASSERT_EQ(lines.size(), 13u) << en.out;
  EXPECT_EQ(lines[0], "date,effect,hours,minutes,was_hours,was_minutes");
  EXPECT_EQ(lines[4], "2026-03-04,stop here,8,0,8,0");
  EXPECT_EQ(lines[1], "2026-03-01,not written,,,,");
  EXPECT_TRUE(
      en.has_line("calendatt: Totals: 0 added, 0 overwritten, 0 skipped, 6 in conflict, 6 not written."))
      << en.all_err();
  EXPECT_TRUE(en.has_line("calendatt: Preview: nothing was written.")) << en.all_err();

  auto usage = run(with(add_range("stop", "5"), {"--format", "json"}));
  EXPECT_EQ(usage.status, 2);
}

}  // namespace
}  // namespace cli::testing
