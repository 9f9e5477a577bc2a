#pragma once
// The preview of a bulk run: the command runs for real, its dialogs and their rules included, inside a
// rehearsal (database/rehearsal.hpp) that rolls every write back, while an observer (database/
// statement_observer.hpp) records the rows each statement inserted, updated or deleted. Around each run
// of a range dialog the host says which dates the run covers and how the run ended; the preview then
// reads, still inside the rehearsal, what every one of those dates holds, and tells for each date what
// the real run does to it. Nothing here knows a toolkit: the command line and the desktop show the list.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database/rehearsal.hpp"
#include "database/statement_observer.hpp"
#include "runtime/date.hpp"

namespace planner {

// What a run does to one date.
enum class Effect {
  kAdd,         // insertion: the day is written
  kOverwrite,   // insertion: the day that exists takes the new duration (even when it had it already)
  kSkip,        // insertion: the day that exists is left as it is
  kStopHere,    // insertion: the day exists and the run stops on it; nothing of the run is written
  kNotWritten,  // the run does not get to write this date (it stopped, or the person gave up)
  kDelete,      // deletion: the day goes
  kSpared,      // deletion: the day stays, it has allocated resources
  kAbsent,      // deletion: there is no day on that date
};

// The stable name of the effect (CSV and JSON), and its words in a language ("it" or "en").
const char* effect_key(Effect effect);
std::string effect_words(Effect effect, const std::string& language);

enum class RunKind { kInsertion, kDeletion };

// How a run of a dialog ended.
enum class RunEnd {
  kDone,      // the dialog did its work
  kConflict,  // the insertion found days in conflict and stopped before writing
  kGaveUp,    // refused, cancelled or failed otherwise
};

// A day's duration.
struct Duration {
  std::int32_t hours = 0;
  std::int32_t minutes = 0;
  bool operator==(const Duration&) const = default;
};

struct DateEffect {
  runtime::Date date;
  Effect effect = Effect::kNotWritten;
  std::optional<Duration> before;  // the day the date held before the run
  std::optional<Duration> after;   // the day the date holds after the real run
};

struct Totals {
  int add = 0, overwrite = 0, skip = 0, stop_here = 0, not_written = 0, deleted = 0, spared = 0, absent = 0;
  int of(Effect effect) const;
};

// One run of a range dialog as the preview follows it (declared outside Preview: a class nested in it,
// with default member values, would not yet count as default-constructible for its own std::optional).
struct RehearsedRun {
  RunKind kind = RunKind::kInsertion;
  std::int32_t company = 0;
  double node = 0;
  std::int32_t link = 0;
  std::vector<runtime::Date> dates;
  std::vector<std::pair<std::string, Duration>> before;  // ISO date -> the day stored at the start
  std::vector<database::ObservedStatement> written;
};

class Preview : private database::StatementObserver {
 public:
  // Starts the rehearsal on the database named as on the command line (--db) and observes the
  // statements. One preview at a time.
  explicit Preview(std::string target);
  ~Preview() override;
  Preview(const Preview&) = delete;
  Preview& operator=(const Preview&) = delete;

  // The preview running now, or null: the hosts announce their runs to it.
  static Preview* current();

  // A run of a range dialog on `dates` of the node and link in the company begins.
  void begin_run(RunKind kind, std::int32_t company, double node, std::int32_t link,
                 std::vector<runtime::Date> dates);
  // The run that began ended so; its dates are classified. Nothing when no run began.
  void end_run(RunEnd end);

  // Ends the rehearsal now: everything written is rolled back and observing stops. Every connection
  // opened in it should be closed first.
  void finish();

  // Every date of every run, in the order of the runs.
  const std::vector<DateEffect>& effects() const { return effects_; }
  Totals totals() const;
  // Whether any run was announced.
  bool any_run() const { return runs_ > 0; }

 private:
  using Run = RehearsedRun;

  void statement_ran(const database::ObservedStatement& statement) override;
  // The days of the link on the run's dates, as the rehearsal sees them now.
  std::vector<std::pair<std::string, Duration>> days_now(const Run& run) const;

  std::string target_;
  std::optional<database::Rehearsal> rehearsal_;
  database::StatementObserver* previous_ = nullptr;
  std::optional<Run> run_;
  std::vector<DateEffect> effects_;
  int runs_ = 0;
};

// Classifies the dates of one run from the days before and after it and the rows its statements wrote
// (rows of the calendar table of other links or dates are ignored).
std::vector<DateEffect> classify(RunKind kind, RunEnd end, std::int32_t company, std::int32_t link,
                                 const std::vector<runtime::Date>& dates,
                                 const std::vector<std::pair<std::string, Duration>>& before,
                                 const std::vector<std::pair<std::string, Duration>>& after,
                                 const std::vector<database::ObservedStatement>& written);

}  // namespace planner
