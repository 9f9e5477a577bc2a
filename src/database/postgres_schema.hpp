#pragma once
// The schema of schema.hpp on PostgreSQL: the same tables, columns, keys and indexes, with the
// server's types. Integer columns are bigint (SQLite's integers are 64-bit); texts are bpchar without a
// length in the "C" collation, so that a comparison ignores trailing blanks as the module's server does
// while keeping the texts as stored and comparing byte by byte as SQLite does; dates are date. A table
// whose key SQLite numbers by itself (INTEGER PRIMARY KEY) gets the next number of a sequence of its own
// when a row comes without one, and a row written with its own number moves the sequence past it.

#include "host/database.hpp"

namespace database {

// Creates whatever is missing, and upgrades a database of an older `version` (schema_version()) in
// place, in one transaction serialised with any other run of it on the same database; never drops or
// deletes anything.
void ensure_postgres_schema(host::Connection& connection, int version);

}  // namespace database
