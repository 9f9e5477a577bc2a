#pragma once
// The database schema: the module's calendar tables, the WBS tables it plans against, the host's master
// tables of codes with descriptions, the media table, and indexes that serve the module's queries.

#include <string>

#include "host/database.hpp"
#include "runtime/date.hpp"

namespace database {

// The schema version written in CALENDATT_INFO ('schema_version'). Version 2 has the database guard what
// the calendar's rules promise: a day that carries allocated resources cannot be deleted (a foreign key
// from PD4H_ALLRISPROG, delete restricted), hours 0 to 24, minutes 0 to 59 and nothing past 24:00
// (checks), and company, node, link and date always given (NOT NULL), and it keeps the journal
// (journal.hpp). Version 3 hands the action to SQLite's journal triggers through the connection instead of
// a table written around each statement. Version 4 has a PostgreSQL server keep each role to the
// companies granted to it (postgres_roles.hpp); a SQLite file only records the number, since the file's
// own permissions decide who reads or writes it.
inline constexpr int kSchemaVersion = 4;

// The version the database holds: 0 without the calendar's tables, 1 for the tables without a version.
int schema_version(host::Connection& connection);

// Creates whatever table or index is missing and upgrades an older version in place, keeping every row;
// never drops or deletes a row, so running it on a database in use is harmless. A database holding rows
// that the new version's rules refuse is left exactly as it was: the error names those rows. A database
// of a newer version is refused.
void ensure_schema(host::Connection& connection);

// The rules of a calendar day that the database checks, the same text on both engines.
struct DayCheck {
  const char* name;
  const char* rule;
};
extern const DayCheck kDayChecks[3];

// The checks as constraints of a table, each led by `lead` ("" in CREATE TABLE, "ADD " in ALTER TABLE):
// " CONSTRAINT name CHECK (rule), ...".
std::string day_checks(const std::string& lead);

// Throws the error that names the rows of a database older than version 2 that version 2 refuses; nothing
// when none.
void refuse_rows_breaking_rules(host::Connection& connection);

// Writes the demo content of demo.hpp when PD0G_DISBAPROG is empty, inside one transaction (all or
// nothing); returns whether it wrote. Never deletes. Every date of demo.hpp is moved by the days from
// demo::kBaseDay to `base`, so that the demo's first planned day falls on `base` with the same shapes
// around it; without a base the dates are written as demo.hpp gives them.
bool insert_demo_data(host::Connection& connection);
bool insert_demo_data(host::Connection& connection, runtime::Date base);

}  // namespace database
