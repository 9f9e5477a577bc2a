#include "cli/options.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "cli/help_texts.hpp"
#include "cli/language.hpp"
#include "planner/range_runs.hpp"

namespace cli {

namespace {

struct CommandEntry {
  const char* name;
  const char* synopsis;
  const char* summary;
  std::vector<std::string> options;   // accepted, besides --help
  std::vector<std::string> required;  // must be given
  const char* details;                // what it does
  const char* own_options;            // its own options, one per line
  const char* examples;               // two
};

const std::vector<std::string> kWindowOptions = {"--db", "--company",  "--lang",   "--yes",
                                                 "--no", "--on-error", "--called", "--durable"};

std::vector<std::string> with_window_options(std::vector<std::string> own) {
  own.insert(own.end(), kWindowOptions.begin(), kWindowOptions.end());
  return own;
}

const std::vector<std::string> kCodes = {"--project", "--node", "--activity"};

std::vector<std::string> codes_and(std::vector<std::string> more) {
  std::vector<std::string> out = kCodes;
  out.insert(out.end(), more.begin(), more.end());
  return out;
}

#define DB_HELP                                                                                      \
  "  --db DB              the database: a SQLite file, or a PostgreSQL server's database as\n"       \
  "                       postgresql://user@host:port/dbname or \"host=... dbname=...\" (default:\n" \
  "                       $CALENDATT_DB, else demo/calendatt-demo.db)\n"

#define CODES_HELP                               \
  "  --project P          the project's code\n"  \
  "  --node N             the WBS node's code\n" \
  "  --activity A         the activity's code\n"
#define LINK_HELP                                                                                        \
  "  --link ID            the WBS row, when the activity code stands in more than one row of the node\n" \
  "                       (each row is listed with its --link; at a terminal its number picks it)\n"
#define DURATION_HELP                           \
  "  --hours H            the hours, 0 to 24\n" \
  "  --minutes M          the minutes, 0 to 59 (default 0)\n"
#define RANGE_HELP                                                   \
  "  --from D, --to D     the first and the last day of the range\n" \
  "  --every N            the step in days, 1 to 999\n"
#define PATTERN_HELP                                                                                     \
  "  --weekdays W,W,...   in place of --every: the chosen weekdays (mon,tue,wed,thu,fri,sat,sun or\n"    \
  "                       lun,mar,mer,gio,ven,sab,dom), one run of the dialog per weekday, every 7\n"    \
  "                       days from its first occurrence; the last line adds up the runs, and a run\n"   \
  "                       that is refused stops the pattern\n"                                           \
  "  --skip-dates FILE    leave out the dates of FILE (one YYYY-MM-DD a line, or an iCalendar file of\n" \
  "                       holidays), splitting the runs around them\n"

#define DRY_RUN_HELP                                                                                \
  "  --dry-run            write nothing: the run goes as it would, inside a transaction that is\n"  \
  "                       rolled back, and each date of the run is listed with what the run does\n" \
  "                       to it, then the totals\n"                                                 \
  "  --format F           with --dry-run: table (the default), csv or json (keys: date, effect,\n"  \
  "                       hours, minutes, was_hours, was_minutes; effects in English)\n"

const std::vector<CommandEntry>& commands() {
  static const std::vector<CommandEntry> entries = {
      {"init",
       "init [--db DB] [--demo] [--lang it|en]",
       "create the calendar's tables (and the demo data)",
       {"--db", "--demo", "--lang"},
       {},
       "Creates the tables in the database (a SQLite file that is not there is created). On an existing\n"
       "calendar database only what is missing is added; nothing is deleted; any other file is left as\n"
       "it is.\n",
       DB_HELP
       "  --demo               also write the demo projects, activities and days, placed around today,\n"
       "                       when the file holds no WBS data yet\n"
       "  --lang it|en         the language of the lines it writes (default it)\n",
       "  calendatt init --db demo/calendatt-demo.db --demo\n"
       "  calendatt init --db /srv/calendar.db --lang en\n"},
      {"contents",
       "contents [--db DB] [--format table|csv|json] [--lang it|en]",
       "list the WBS activities and calendar days stored in the database",
       {"--db", "--lang", "--format"},
       {},
       "Lists every company's WBS activities, with the descriptions of their codes and their planned and\n"
       "forecast periods, then the calendar days with the codes of their activity, the duration and the\n"
       "number of allocated resources, without opening the calendar window; dates are ISO. A --link is\n"
       "shown where an activity code stands in several rows of its node.\n",
       "  --format F           table (the default, in the words of --lang), csv or json: one row per\n"
       "                       activity and per day (keys: row, company, project, project_description,\n"
       "                       node, node_description, activity, activity_description, link,\n"
       "                       planned_start, planned_end, forecast_start, forecast_end, day, hours,\n"
       "                       minutes, resources)\n" DB_HELP
       "  --lang it|en         the language of the titles, captions and messages (default it)\n",
       "  calendatt contents\n"
       "  calendatt contents --db /srv/calendar.db --format csv --lang en\n"},
      {"list",
       "list [--day D|none] [--format table|csv|json] [--called --project P --node N --activity A [--link "
       "ID]]",
       "what the calendar window's grid shows",
       with_window_options(codes_and({"--link", "--day", "--format"})),
       {},
       "Opens the calendar window and prints its grid.\n",
       "  --day D              choose that day in the calendar (the window opens on today, or on the\n"
       "                       planning start in called mode)\n"
       "  --day none           clear the calendar's day, so that the grid is not narrowed to one day\n"
       "  --format F           table (the default: under the captions of --lang), csv or json (keys that\n"
       "                       never change: project, node, activity, day, hours, minutes,\n"
       "                       planning_start, planning_end); dates are ISO in all three\n"
       "  --called             open the window for the activity of --project, --node, --activity\n" LINK_HELP,
       "  calendatt list --day \"$(date +%F)\"\n"
       "  calendatt list --day none --format csv --lang en\n"},
      {"add-day", "add-day --project P --node N --activity A [--link ID] --day D --hours H [--minutes M]",
       "add one calendar day through the record frame",
       with_window_options(codes_and({"--link", "--day", "--hours", "--minutes"})),
       codes_and({"--day", "--hours"}),
       "Chooses the day in the calendar, starts a new row, enters the codes (unless the window was\n"
       "opened for the activity), the hours and the minutes, and saves the row.\n",
       CODES_HELP LINK_HELP "  --day D              the day\n" DURATION_HELP,
       "  calendatt add-day --project PRJ001 --node N01 --activity ATT01 --day \"$(date -d '+8 days' +%F)\" "
       "\\\n"
       "                    --hours 8\n"
       "  calendatt add-day --called --project PRJ001 --node N01 --activity ATT01 \\\n"
       "                    --day \"$(date -d '+9 days' +%F)\" --hours 4 --minutes 30\n"},
      {"set-day", "set-day --project P --node N --activity A [--link ID] --day D --hours H [--minutes M]",
       "change the duration of the stored day of an activity",
       with_window_options(codes_and({"--link", "--day", "--hours", "--minutes"})),
       codes_and({"--day", "--hours"}),
       "Chooses the day in the calendar, selects the activity's row in the grid, enters the hours and\n"
       "the minutes and saves the row.\n",
       CODES_HELP LINK_HELP "  --day D              the day\n" DURATION_HELP,
       "  calendatt set-day --project PRJ001 --node N01 --activity ATT01 --day \"$(date -d '+7 days' +%F)\" "
       "\\\n"
       "                    --hours 6\n"
       "  calendatt set-day --project PRJ001 --node N01 --activity ATT01 --day \"$(date +%F)\" --hours 6 \\\n"
       "                    --minutes 15 --lang en\n"},
      {"delete-day", "delete-day --project P --node N --activity A [--link ID] --day D",
       "delete the stored day of an activity through the record frame",
       with_window_options(codes_and({"--link", "--day"})), codes_and({"--day"}),
       "Chooses the day in the calendar, selects the activity's row in the grid and deletes it.\n",
       CODES_HELP LINK_HELP "  --day D              the day\n",
       "  calendatt delete-day --project PRJ001 --node N01 --activity ATT01 --day \"$(date -d '+4 days' "
       "+%F)\"\n"
       "  calendatt delete-day --called --project PRJ001 --node N01 --activity ATT01 \\\n"
       "                       --day \"$(date -d '+1 days' +%F)\"\n"},
      {"add-range",
       "add-range --project P --node N --activity A --from D --to D --every N|--weekdays W,...\n"
       "                    --hours H [--minutes M] [--existing stop|skip|overwrite] [--skip-dates FILE]\n"
       "                    [--dry-run [--format table|csv|json]]",
       "plan the days of a range through the insertion dialog",
       with_window_options(codes_and({"--link", "--from", "--to", "--every", "--weekdays", "--skip-dates",
                                      "--hours", "--minutes", "--existing", "--dry-run", "--format"})),
       codes_and({"--from", "--to", "--hours"}),
       "Opens the insertion dialog from the toolbar, enters the codes (unless the window was opened for\n"
       "the activity), the range, the step, the duration and the treatment of days that already exist,\n"
       "and confirms. The last line counts the days added, overwritten and skipped.\n",
       CODES_HELP LINK_HELP RANGE_HELP PATTERN_HELP DURATION_HELP
       "  --existing T         days already planned: stop (nothing is written and the conflicting\n"
       "                       dates are listed), skip (left as they are) or overwrite (they take the\n"
       "                       new duration); without it the list is left as the dialog opens "
       "it\n" DRY_RUN_HELP,
       "  calendatt add-range --project PRJ001 --node N01 --activity ATT01 --from \"$(date -d '+14 days' "
       "+%F)\" \\\n"
       "                      --to \"$(date -d '+18 days' +%F)\" --every 1 --hours 8\n"
       "  calendatt add-range --project PRJ001 --node N01 --activity ATT01 --from \"$(date +%F)\" \\\n"
       "                      --to \"$(date -d '+27 days' +%F)\" --weekdays mon,wed,fri \\\n"
       "                      --skip-dates holidays.ics --hours 2 --minutes 30 --existing skip --dry-run\n"},
      {"delete-range",
       "delete-range --project P --node N --activity A --from D --to D --every N|--weekdays W,...\n"
       "                    [--skip-dates FILE] [--dry-run [--format table|csv|json]]",
       "delete the days of a range through the deletion dialog",
       with_window_options(codes_and(
           {"--link", "--from", "--to", "--every", "--weekdays", "--skip-dates", "--dry-run", "--format"})),
       codes_and({"--from", "--to"}),
       "Opens the deletion dialog from the toolbar, enters the codes (unless the window was opened for\n"
       "the activity), the range and the step, and confirms. The dialog's question is answered by --yes\n"
       "or --no, or at the terminal's prompt. Days with allocated resources are spared; the last line\n"
       "counts the days deleted and spared.\n",
       CODES_HELP LINK_HELP RANGE_HELP PATTERN_HELP DRY_RUN_HELP,
       "  calendatt delete-range --project PRJ001 --node N01 --activity ATT01 --from \"$(date +%F)\" \\\n"
       "                         --to \"$(date -d '+4 days' +%F)\" --every 1 --yes\n"
       "  calendatt delete-range --project PRJ001 --node N01 --activity ATT01 --from \"$(date +%F)\" \\\n"
       "                         --to \"$(date -d '+27 days' +%F)\" --weekdays sab,dom \\\n"
       "                         --yes --dry-run --format json\n"},
      {"days",
       "days --project P --node N --activity A [--link ID] [--from D] [--to D] [--format table|csv|json]",
       "one activity's days with their totals per week, per month and in all",
       {"--db", "--company", "--lang", "--project", "--node", "--activity", "--link", "--from", "--to",
        "--format"},
       codes_and({}),
       "Lists the planned days of the activity in date order with their durations, then the number of\n"
       "days and the time planned per ISO week, per month and in all, the planning period and the days that\n"
       "lie outside it. Reads the database without opening the calendar window.\n",
       CODES_HELP LINK_HELP
       "  --from D, --to D     only the days from D, up to D (both included)\n"
       "  --format F           table (the default, in the words of --lang), csv or json (keys that never\n"
       "                       change: row, period, day, weekday, days, hours, minutes, total_minutes,\n"
       "                       planning_start, planning_end, outside_planning); dates are ISO\n" DB_HELP
       "  --company, --lang as for the other commands\n",
       "  calendatt days --project PRJ001 --node N01 --activity ATT01\n"
       "  calendatt days --project PRJ001 --node N01 --activity ATT01 --from \"$(date +%F)\" \\\n"
       "                 --to \"$(date -d '+27 days' +%F)\" --format json --lang en\n"},
      {"history",
       "history [--project P --node N --activity A] [--since D] [--action ID] [--prune-before D]\n"
       "                    [--format table|csv|json]",
       "the actions that changed the calendar, newest first, from the journal",
       {"--db", "--company", "--lang", "--project", "--node", "--activity", "--since", "--action", "--format",
        "--prune-before"},
       {},
       "Lists, newest first, every action that changed the company's days: when (UTC), who, the command\n"
       "and how many days it added, changed and deleted. The database writes its journal itself, so a\n"
       "change made with plain SQL is listed too, as an action of its own. With --action, the days that\n"
       "action changed, each with its hours and minutes before and after.\n",
       CODES_HELP
       "  --since D            only the actions from day D\n"
       "  --action ID          the days of that action\n"
       "  --prune-before D     remove the company's journal rows older than day D (never a calendar day),\n"
       "                       and say how many\n"
       "  --format F           table (the default), csv or json (keys: action, when, who, command, added,\n"
       "                       changed, deleted; with --action: row, change, day_id, date, was_hours,\n"
       "                       was_minutes, hours, minutes)\n" DB_HELP
       "  --company, --lang as for the other commands\n",
       "  calendatt history --project PRJ001 --node N01 --activity ATT01\n"
       "  calendatt history --action 12 --format json --lang en\n"},
      {"undo",
       "undo --action ID [--dry-run] [--yes]",
       "put back exactly what one action changed",
       {"--db", "--company", "--lang", "--action", "--dry-run", "--yes", "--format"},
       {"--action"},
       "Puts back what the action (see history) changed in the company's days, and nothing else: days it\n"
       "deleted come back with their own key (so their allocated resources point at them again), days it\n"
       "changed get their hours and minutes back, days it added go. When another action changed one of\n"
       "those days since, nothing is undone and each such day is named. The undo is an action of its own,\n"
       "so it can be undone in turn. Without --yes it only lists what it would do.\n",
       "  --action ID          the action to undo\n"
       "  --dry-run            list what would be put back, write nothing\n"
       "  --yes                put it back\n" DB_HELP "  --company, --lang as for the other commands\n",
       "  calendatt undo --action 12 --dry-run\n"
       "  calendatt undo --action 12 --yes\n"},
      {"export-ics",
       "export-ics --project P --node N --activity A [--link ID] [--from D] [--to D] > days.ics",
       "write one activity's days as an iCalendar file for calendar programs",
       {"--db", "--company", "--lang", "--project", "--node", "--activity", "--link", "--from", "--to"},
       codes_and({}),
       "Writes to standard output an iCalendar file (RFC 5545) with one all-day event per planned day of "
       "the\n"
       "activity, its duration in the summary and the description. Each event's UID is made of the date,\n"
       "the company and the codes, so that importing a later export updates the events instead of adding\n"
       "them twice.\n",
       CODES_HELP LINK_HELP "  --from D, --to D     only the days from D, up to D (both included)\n"
                            "  --lang it|en         the language of the events' texts (default it)\n" DB_HELP
                            "  --company as for the other commands\n",
       "  calendatt export-ics --project PRJ001 --node N01 --activity ATT01 > att01.ics\n"
       "  calendatt export-ics --project PRJ001 --node N01 --activity ATT01 --from \"$(date +%F)\" \\\n"
       "                       --to \"$(date -d '+27 days' +%F)\" --lang en > month.ics\n"},
      {"grant",
       "grant --role NAME --company N --access read|write [--db DB]",
       "let a role of the PostgreSQL server read or write one company",
       {"--db", "--lang", "--role", "--company", "--access"},
       {"--role", "--company", "--access"},
       "Run by the owner of the database (the role that ran init): the role may from now on read, or\n"
       "read and write, the company's days, and the server gives it the table rights that needs. On a\n"
       "SQLite file the file's own permissions decide who may read or write it.\n",
       "  --role NAME          the server's role (CREATE ROLE NAME LOGIN)\n"
       "  --company N          the company\n"
       "  --access A           read, or write (which includes read)\n" DB_HELP,
       "  calendatt grant --db postgresql://owner@server/calendar --role mario --company 1 --access write\n"
       "  calendatt grant --db postgresql://owner@server/calendar --role anna --company 2 --access read\n"},
      {"revoke",
       "revoke --role NAME --company N [--db DB]",
       "take back a role's access to one company",
       {"--db", "--lang", "--role", "--company"},
       {"--role", "--company"},
       "Run by the owner of the database: the role no longer reads or writes the company, from its next\n"
       "statement on; table rights no other grant of the role needs are taken back.\n",
       "  --role NAME          the server's role\n"
       "  --company N          the company\n" DB_HELP,
       "  calendatt revoke --db postgresql://owner@server/calendar --role mario --company 1\n"
       "  calendatt revoke --role anna --company 2 --lang en\n"},
      {"grants",
       "grants [--db DB]",
       "list who may read or write which company",
       {"--db", "--lang"},
       {},
       "Lists the grants of the PostgreSQL database, by role and company; the owner may use every company.\n",
       DB_HELP,
       "  calendatt grants --db postgresql://owner@server/calendar\n"
       "  calendatt grants --lang en\n"},
  };
  return entries;
}

const CommandEntry* find_command(const std::string& name) {
  for (const auto& c : commands())
    if (name == c.name) return &c;
  return nullptr;
}

const char* kWindowOptionsHelp =
    "Common options:\n" DB_HELP
    "  --company N          the company (default 1)\n"
    "  --lang it|en         the language of messages, captions and every line (default it)\n"
    "  --yes, --no          answer every question in advance (else at the terminal's prompt)\n"
    "  --on-error abort|retry|ignore\n"
    "                       the answer to an error report (default abort; retry at most 3 times)\n"
    "  --called             open the window for the activity of the three codes, as the program that\n"
    "                       calls the calendar for one activity does\n"
    "  --durable            wait for the disk at every statement (also CALENDATT_DURABLE=1); without it\n"
    "                       a power cut may lose the last fraction of a second, never a torn day\n"
    "Dates are ISO: YYYY-MM-DD. The demo (init --demo) plans its days from the day it is written, so the\n"
    "examples reckon their dates from today.\n";

const char* kExitHelp =
    "Messages of the calendar go to standard error, one line per message line, each prefixed with its\n"
    "number: [77192] ...; lines of the command line's own start with \"calendatt:\".\n"
    "Exit status: 0 done; 1 refused by a rule or declined (a message says why); 2 wrong usage;\n"
    "3 failure (an error report, a database that cannot be opened, a question nobody answered).\n";

// Options that take a value.
const std::set<std::string> kValued = {
    "--db",       "--company",      "--lang",   "--on-error", "--project",    "--node",
    "--activity", "--day",          "--from",   "--to",       "--every",      "--hours",
    "--minutes",  "--existing",     "--format", "--weekdays", "--skip-dates", "--since",
    "--action",   "--prune-before", "--link",   "--role",     "--access"};
const std::set<std::string> kFlags = {"--yes",     "--no",      "--called", "--demo",
                                      "--version", "--dry-run", "--durable"};

// The number of characters of a UTF-8 text; -1 when the text is not valid UTF-8.
long utf8_length(const std::string& text) {
  long count = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    if (c >= 0xC2 && c <= 0xDF)
      extra = 1;
    else if (c >= 0xE0 && c <= 0xEF)
      extra = 2;
    else if (c >= 0xF0 && c <= 0xF4)
      extra = 3;
    else if (c >= 0x80)
      return -1;
    if (i + extra >= text.size() && extra > 0) return -1;
    for (std::size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return -1;
    i += extra + 1;
    ++count;
  }
  return count;
}

// A value for a field of the window or of a dialog is checked here, before anything is opened, against
// what the field can hold: the field would otherwise keep only its first characters, and the command
// would act on a value nobody gave.
bool code_value(const std::string& lang, const std::string& name, const std::string& value,
                std::string& error) {
  constexpr long kCodeChars = 25;  // the code fields hold 25 characters
  long length = utf8_length(value);
  if (length < 0) {
    error = name + say(lang, " deve essere testo UTF-8, ha byte che non lo sono",
                       " must be text in UTF-8, got bytes that are not");
    return false;
  }
  for (unsigned char c : value) {
    if (c < 0x20 || c == 0x7F) {
      error = name + say(lang, " non deve contenere caratteri di controllo (a capo, tabulazioni e simili)",
                         " must not contain control characters (line breaks, tabs and the like)");
      return false;
    }
  }
  if (length > kCodeChars) {
    error = name + say(lang, " deve essere un codice di al massimo ", " must be a code of at most ") +
            std::to_string(kCodeChars) + say(lang, " caratteri, ne ha ", " characters, got ") +
            std::to_string(length) + say(lang, "", " characters");
    return false;
  }
  return true;
}

// What a person shown the value would read: long values are shortened, control characters escaped.
std::string shown(const std::string& value) {
  constexpr std::size_t kShown = 40;
  std::string out;
  for (std::size_t i = 0; i < value.size() && i < kShown; ++i) {
    auto c = static_cast<unsigned char>(value[i]);
    if (c < 0x20 || c == 0x7F) {
      static const char* hex = "0123456789abcdef";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += value[i];
    }
  }
  if (value.size() > kShown) out += "...";
  return out;
}

// A whole number written with digits only, from `low` to `high`.
bool whole_value(const std::string& lang, const std::string& name, const std::string& value, long low,
                 long high, std::string& error) {
  bool digits = !value.empty() && value.size() <= 9 &&
                std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
  long n = digits ? std::stol(value) : -1;
  if (!digits || n < low || n > high) {
    error = name + say(lang, " deve essere un numero intero da ", " must be a whole number from ") +
            std::to_string(low) + say(lang, " a ", " to ") + std::to_string(high) +
            say(lang, ", non \"", ", got \"") + shown(value) + "\"";
    return false;
  }
  return true;
}

// One of the option's words: the value it stands for goes into `slot`; any other value is refused with the
// words listed in their order.
template <typename T>
bool one_of(const std::string& lang, const std::string& name, const std::string& value,
            const std::vector<std::pair<std::string, T>>& words, T& slot, std::string& error) {
  std::string listed;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i].first == value) {
      slot = words[i].second;
      return true;
    }
    listed += (i == 0 ? "" : i + 1 < words.size() ? ", " : say(lang, " o ", " or ")) + words[i].first;
  }
  error = name + say(lang, " accetta ", " takes ") + listed + say(lang, ", non \"", ", not \"") +
          shown(value) + "\"";
  return false;
}

bool set_value(Options& o, const std::string& name, const std::string& value, std::string& error) {
  auto date = [&](std::optional<runtime::Date>& slot) {
    slot = parse_iso_date(value);
    if (!slot)
      error = name +
              say(o.language, " vuole un giorno vero scritto AAAA-MM-GG, non \"",
                  " needs a real day written YYYY-MM-DD, got \"") +
              shown(value) + "\"";
    return slot.has_value();
  };
  if (name == "--db") {
    if (value.empty()) {
      error = say(o.language, "--db vuole un nome di file o una connessione PostgreSQL",
                  "--db needs a file name or a PostgreSQL connection");
      return false;
    }
    o.db = value;
  } else if (name == "--company") {
    // The company code travels as a 16-bit whole number to the activity's resolution.
    if (!whole_value(o.language, name, value, 1, 32767, error)) return false;
    o.company = static_cast<std::int32_t>(std::stol(value));
  } else if (name == "--lang") {
    return one_of<std::string>(o.language, name, value, {{"it", "it"}, {"en", "en"}}, o.language, error);
  } else if (name == "--on-error") {
    return one_of(o.language, name, value,
                  {{"abort", OnError::kAbort}, {"retry", OnError::kRetry}, {"ignore", OnError::kIgnore}},
                  o.on_error, error);
  } else if (name == "--project") {
    if (!code_value(o.language, name, value, error)) return false;
    o.codes.project = value;
  } else if (name == "--node") {
    if (!code_value(o.language, name, value, error)) return false;
    o.codes.node = value;
  } else if (name == "--activity") {
    if (!code_value(o.language, name, value, error)) return false;
    o.codes.activity = value;
  } else if (name == "--day") {
    if (value == "none") {
      o.no_day = true;
      o.day.reset();
      return true;
    }
    o.no_day = false;
    return date(o.day);
  } else if (name == "--from") {
    return date(o.from);
  } else if (name == "--since") {
    return date(o.since);
  } else if (name == "--prune-before") {
    return date(o.prune_before);
  } else if (name == "--action") {
    if (!whole_value(o.language, name, value, 1, 999999999, error)) return false;
    o.action = std::stoll(value);
  } else if (name == "--link") {
    if (!whole_value(o.language, name, value, 1, 999999999, error)) return false;
    o.link = std::stoll(value);
  } else if (name == "--to") {
    return date(o.to);
  } else if (name == "--every") {
    // The step field holds three digits, from 1 to 999 days.
    if (!whole_value(o.language, name, value, 1, 999, error)) return false;
    o.every = value;
  } else if (name == "--hours") {
    // A day lasts 0 to 24 hours and an hour 0 to 59 minutes; the calendar's own rules then check the
    // two together (24 hours and no minutes at most). An empty value is no duration at all: the field
    // would be left blank and read as 00, a day nobody asked for.
    if (!whole_value(o.language, name, value, 0, 24, error)) return false;
    o.hours = value;
  } else if (name == "--minutes") {
    if (!whole_value(o.language, name, value, 0, 59, error)) return false;
    o.minutes = value;
  } else if (name == "--existing") {
    Existing treatment{};
    if (!one_of(o.language, name, value,
                {{"stop", Existing::kStop}, {"skip", Existing::kSkip}, {"overwrite", Existing::kOverwrite}},
                treatment, error))
      return false;
    o.existing = treatment;
  } else if (name == "--weekdays") {
    auto days = planner::parse_weekdays(value, o.language, error);
    if (!days) return false;
    o.weekdays = *days;
  } else if (name == "--skip-dates") {
    if (value.empty()) {
      error = say(o.language, "--skip-dates vuole un nome di file", "--skip-dates needs a file name");
      return false;
    }
    o.skip_dates_file = value;
  } else if (name == "--role") {
    // A role's name as the server keeps it: at most 63 bytes, no control characters.
    if (value.empty() || value.size() > 63 ||
        std::any_of(value.begin(), value.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; })) {
      error = say(o.language, "--role vuole il nome di un ruolo del server (al massimo 63 byte), non \"",
                  "--role needs the name of a server's role (at most 63 bytes), not \"") +
              shown(value) + "\"";
      return false;
    }
    o.role = value;
  } else if (name == "--access") {
    if (value != "read" && value != "write") {
      error =
          say(o.language, "--access accetta read o write, non \"", "--access takes read or write, not \"") +
          shown(value) + "\"";
      return false;
    }
    o.access = value;
  } else if (name == "--format") {
    return one_of(o.language, name, value,
                  {{"table", Format::kTable}, {"csv", Format::kCsv}, {"json", Format::kJson}}, o.format,
                  error);
  }
  return true;
}

}  // namespace

std::optional<runtime::Date> parse_iso_date(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9')) return std::nullopt;
  return runtime::parse_date(text);
}

bool known_command(const std::string& command) {
  return find_command(command) != nullptr;
}

bool parse_arguments(const std::vector<std::string>& args, Options& o, std::string& error) {
  if (const char* db = std::getenv("CALENDATT_DB"); db && *db) o.db = db;
  // The language is known before anything else, so that even a mistake before --lang is told in it.
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string value;
    if (args[i] == "--lang" && i + 1 < args.size())
      value = args[i + 1];
    else if (args[i].rfind("--lang=", 0) == 0)
      value = args[i].substr(7);
    if (value == "it" || value == "en") o.language = value;
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    if (a == "-h" || a == "--help") {
      o.help = true;
      continue;
    }
    if (a.size() > 2 && a.rfind("--", 0) == 0) {
      std::string name = a, value;
      bool inline_value = false;
      if (auto eq = a.find('='); eq != std::string::npos) {
        name = a.substr(0, eq);
        value = a.substr(eq + 1);
        inline_value = true;
      }
      if (kFlags.count(name)) {
        if (inline_value) {
          error = name + say(o.language, " non accetta valori", " takes no value");
          return false;
        }
        if (name == "--yes" || name == "--no") {
          bool yes = name == "--yes";
          if (o.answer && *o.answer != yes) {
            error = say(o.language, "--yes e --no si escludono", "--yes and --no exclude each other");
            return false;
          }
          o.answer = yes;
        } else if (name == "--called") {
          o.called = true;
        } else if (name == "--dry-run") {
          o.dry_run = true;
        } else if (name == "--durable") {
          o.durable = true;
        } else if (name == "--version") {
          o.version = true;
          continue;
        } else {
          o.demo = true;
        }
        o.given.insert(name);
        continue;
      }
      if (kValued.count(name)) {
        if (!inline_value) {
          if (i + 1 >= args.size() || (args[i + 1].size() > 2 && args[i + 1].rfind("--", 0) == 0)) {
            error = name + say(o.language, " vuole un valore", " needs a value");
            return false;
          }
          value = args[++i];
        }
        if (!set_value(o, name, value, error)) return false;
        o.given.insert(name);
        continue;
      }
      error = say(o.language, "opzione sconosciuta ", "unknown option ") + shown(name);
      return false;
    }
    if (!a.empty() && a[0] == '-') {
      error = say(o.language, "opzione sconosciuta ", "unknown option ") + shown(a);
      return false;
    }
    if (!o.command.empty()) {
      error = say(o.language, "argomento inatteso ", "unexpected argument ") + shown(a);
      return false;
    }
    o.command = a;
  }
  if (o.help || o.version) return true;
  if (o.command.empty()) {
    error = say(o.language, "nessun comando dato", "no command given");
    return false;
  }
  const CommandEntry* entry = find_command(o.command);
  if (!entry) {
    error = say(o.language, "comando sconosciuto ", "unknown command ") + shown(o.command);
    return false;
  }
  for (const auto& name : o.given) {
    if (std::find(entry->options.begin(), entry->options.end(), name) == entry->options.end()) {
      error = o.command + say(o.language, " non accetta ", " takes no ") + name;
      return false;
    }
  }
  for (const auto& name : entry->required) {
    if (!o.given.count(name)) {
      error = o.command + say(o.language, " vuole ", " needs ") + name;
      return false;
    }
  }
  if (o.given.count("--format") && o.command != "list" && o.command != "days" && o.command != "history" &&
      o.command != "undo" && o.command != "contents" && !o.dry_run) {
    error = o.command +
            say(o.language, " accetta --format solo con --dry-run", " takes --format only with --dry-run");
    return false;
  }
  if (o.command == "add-range" || o.command == "delete-range") {
    if (o.given.count("--every") && o.given.count("--weekdays")) {
      error =
          say(o.language, "--every e --weekdays si escludono", "--every and --weekdays exclude each other");
      return false;
    }
    if (!o.given.count("--every") && !o.given.count("--weekdays")) {
      error = o.command + say(o.language, " vuole --every o --weekdays", " needs --every or --weekdays");
      return false;
    }
  }
  // A plain range with the dates the wrong way round reaches the dialog, which says so itself; a pattern
  // or a report has nothing to work on.
  const bool pattern = !o.weekdays.empty() || !o.skip_dates_file.empty();
  if ((pattern || o.command == "days" || o.command == "export-ics") && o.from && o.to && *o.to < *o.from) {
    error = say(o.language, "--to non deve venire prima di --from", "--to must not come before --from");
    return false;
  }
  // Only the window opened on the whole calendar can be left without a day: the one opened for an
  // activity always shows a day of its planning period, and a day's command needs its day.
  if (o.no_day && (o.command != "list" || o.called)) {
    error = say(o.language, "--day none vale solo per list senza --called: indicare un giorno AAAA-MM-GG",
                "--day none is for list without --called only: give a day as YYYY-MM-DD");
    return false;
  }
  if (o.command == "list") {
    bool any_code = o.given.count("--project") || o.given.count("--node") || o.given.count("--activity") ||
                    o.given.count("--link");
    if (any_code && !o.called) {
      error = say(o.language, "list accetta --project, --node, --activity e --link solo con --called",
                  "list takes --project, --node, --activity and --link only with --called");
      return false;
    }
    if (o.called) {
      for (const auto& name : kCodes) {
        if (!o.given.count(name)) {
          error = say(o.language, "list --called vuole ", "list --called needs ") + name;
          return false;
        }
      }
    }
  }
  return true;
}

std::string usage(const std::string& command, const std::string& language) {
  const bool english = language == "en";
  auto say = [&](const char* italian, const char* english_text) {
    return std::string(english ? english_text : italian);
  };
  if (const CommandEntry* entry = find_command(command)) {
    const ItalianHelp* it = english ? nullptr : italian_help(command);
    std::string out = say("Uso: calendatt ", "Usage: calendatt ") + entry->synopsis + "\n\n" +
                      (it ? it->details : entry->details) + "\n" + say("Opzioni:\n", "Options:\n") +
                      (it ? it->own_options : entry->own_options) + say("\nEsempi:\n", "\nExamples:\n") +
                      entry->examples;
    if (std::find(entry->options.begin(), entry->options.end(), "--called") != entry->options.end())
      out += std::string("\n") + (english ? kWindowOptionsHelp : kItalianWindowOptionsHelp);
    return out;
  }
  std::string out =
      say("Uso: calendatt <comando> [opzioni]\n\n", "Usage: calendatt <command> [options]\n\n") +
      (english ? "The WBS activity calendar from scripts and terminals: every command acts on the "
                 "calendar window\nand its dialogs as a person would.\n"
               : kItalianIntro) +
      say("\nComandi:\n", "\nCommands:\n");
  for (const auto& c : commands()) {
    std::string name = c.name;
    const ItalianHelp* it = english ? nullptr : italian_help(name);
    out += "  " + name + std::string(14 - name.size(), ' ') + (it ? it->summary : c.summary) + "\n";
  }
  out += say(
      "\n'calendatt <comando> --help' dà le opzioni e gli esempi di un comando; 'calendatt --version' la\n"
      "versione.\n\n",
      "\n'calendatt <command> --help' gives a command's options and examples; 'calendatt --version' the\n"
      "version.\n\n");
  out += english ? kWindowOptionsHelp : kItalianWindowOptionsHelp;
  out += "\n";
  out += english ? kExitHelp : kItalianExitHelp;
  return out;
}

std::string usage_hint(const std::string& command, const std::string& language) {
  const std::string see = say(language, "vedi", "see");
  return known_command(command) ? see + " 'calendatt " + command + " --help'" : see + " 'calendatt --help'";
}

}  // namespace cli
