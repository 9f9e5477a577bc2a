#pragma once
// What a file offered as a calendar database is, found without changing a byte of it.
//
// check_calendar_file() reads the file's header and, when it is a SQLite database, opens it read-only to
// look for the calendar's tables. It never creates, converts or writes anything: a file that is not a
// calendar database is left exactly as it was. The hosts call it before they open the calendar, so that
// every problem with a path is one clear sentence instead of an error report from inside the window.

#include <optional>
#include <string>

struct sqlite3;

namespace database {

enum class FileState {
  kCalendar,      // a SQLite database holding the calendar's tables
  kMissing,       // nothing at the path
  kDanglingLink,  // a symbolic link to nothing (its target in detail)
  kBadPath,       // a path the system cannot take (too long, empty, not a name)
  kNotAFile,      // a folder or a device
  kUnreadable,    // present, but not readable by this user
  kEmpty,         // a file of 0 bytes
  kNotSqlite,     // a file without the SQLite header
  kNoTables,      // a SQLite database without the calendar's tables
  kDamaged,       // a SQLite header, but the database cannot be read
  kOlder,         // a calendar database of an older schema version: init upgrades it
  kNewer,         // a calendar database of a newer schema version than this program's
};

struct FileCheck {
  FileState state = FileState::kMissing;
  bool read_only = false;  // the file or its folder cannot be written by this user
  std::string path;        // as given
  std::string detail;      // the system's own words for an unreadable or damaged file; else empty
  bool too_long = false;   // kBadPath: the path is too long for this system
  int version = 0;         // kOlder, kNewer: the schema version the database holds
  std::string message;     // one English sentence for a person, empty for kCalendar (see describe())
};

FileCheck check_calendar_file(const std::string& path);

// The check worded for a person in `language` ("it" or "en"; anything else reads English): one sentence,
// empty for kCalendar. The system's own detail stays as the system gives it.
std::string describe(const FileCheck& check, const std::string& language);

// The line for a database whose schema version is not this program's, in `language`; empty when it is.
// `target` names the database as the person gave it.
std::string describe_version(int version, const std::string& target, const std::string& language);

// The schema version of a database named as on a command line (--db), PostgreSQL or SQLite, read on a
// connection of its own; nullopt when it cannot be read (opening it then says why).
std::optional<int> target_schema_version(const std::string& target);

// Opens a SQLite database read-only and checks that it can be read. In a folder where the journal's
// shared-memory file cannot be created, SQLite cannot read a WAL database the usual way; it is then opened
// as immutable (no other program can be writing it there: nobody may create its journal). Returns the
// SQLite result code; on success *db is open (the caller closes it), otherwise *db is null and `error`
// says why.
int open_read_only(const std::string& path, sqlite3** db, std::string& error);

// True when the file's first bytes are the SQLite header. Reads 16 bytes at most.
bool has_sqlite_header(const std::string& path);

// True when the file or the folder it lies in cannot be written by this user (a database in WAL mode
// writes files of its own beside the database).
bool read_only_location(const std::string& path);

}  // namespace database
