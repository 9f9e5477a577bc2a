#pragma once
// The command line of `calendatt`: its commands, their options and their help texts.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runtime/date.hpp"
#include "standin/person.hpp"

namespace cli {

// Exit statuses.
inline constexpr int kExitDone = 0;     // the operation was carried out
inline constexpr int kExitRefused = 1;  // a rule refused it or the user declined
inline constexpr int kExitUsage = 2;    // wrong usage
inline constexpr int kExitFailure = 3;  // an error report, a database that cannot be opened, no answer

enum class Format { kTable, kCsv, kJson };
enum class OnError { kAbort, kRetry, kIgnore };

// The treatments of days that already exist, by their position in the insertion dialog's list.
enum class Existing { kStop = 0, kSkip = 1, kOverwrite = 2 };

// A WBS activity named by its three codes.
using ActivityCodes = standin::ActivityCodes;

struct Options {
  std::string command;
  bool help = false;
  bool version = false;

  std::string db = "demo/calendatt-demo.db";
  std::int32_t company = 1;
  std::string language = "it";
  std::optional<bool> answer;  // --yes / --no
  OnError on_error = OnError::kAbort;
  bool called = false;
  bool demo = false;

  ActivityCodes codes;
  std::optional<runtime::Date> day;  // --day D
  bool no_day = false;               // --day none
  std::optional<runtime::Date> from;
  std::optional<runtime::Date> to;
  std::string every;
  std::string hours;
  std::string minutes = "0";
  std::optional<Existing> existing;  // none: the list is left as the dialog opens it
  Format format = Format::kTable;
  bool dry_run = false;                // --dry-run: the run is rehearsed and rolled back, its effects listed
  bool durable = false;                // --durable: every commit waits for the disk
  std::optional<runtime::Date> since;  // history --since
  std::optional<std::int64_t> action;  // history --action
  std::optional<std::int64_t> link;    // --link: the WBS row of codes that stand in several
  std::optional<runtime::Date> prune_before;  // history --prune-before
  // A pattern of add-range and delete-range: the ISO weekdays (1 Monday ... 7 Sunday) in place of
  // --every, and the file of the dates to leave out with the dates read from it (see skip_dates.hpp).
  std::vector<int> weekdays;
  std::string skip_dates_file;
  std::set<runtime::Date> skip_dates;
  std::string role;    // grant, revoke: the server's role
  std::string access;  // grant: read or write

  // The options given, by their long names ("--db", ...).
  std::set<std::string> given;
};

// Reads the arguments (without the program name). False with a message for wrong usage, in the language
// of --lang wherever it stands; the options are then partly filled.
bool parse_arguments(const std::vector<std::string>& args, Options& options, std::string& error);

// The help text in `language` ("en" English, else Italian): the general one for an empty or unknown
// command, else the command's own.
std::string usage(const std::string& command, const std::string& language);

// What a usage error points to: "see 'calendatt <command> --help'", or the general help for an unknown
// or missing command.
std::string usage_hint(const std::string& command, const std::string& language);

// True for a command that `usage` knows.
bool known_command(const std::string& command);

// An ISO date YYYY-MM-DD that is a real day.
std::optional<runtime::Date> parse_iso_date(const std::string& text);

}  // namespace cli
