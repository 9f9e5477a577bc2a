#pragma once
// The database schema: the module's calendar tables, the WBS tables it plans against, the host's master
// tables of codes with descriptions, the media table, and indexes that serve the module's queries.

#include "host/database.hpp"
#include "runtime/date.hpp"

namespace database {

// The schema version written in CALENDATT_INFO ('schema_version').
inline constexpr int kSchemaVersion = 1;

// Creates whatever table or index is missing, one statement per call; never drops or deletes anything,
// so running it on a database in use is harmless.
void ensure_schema(host::Connection& connection);

// Writes the demo content of demo.hpp when PD0G_DISBAPROG is empty, inside one transaction (all or
// nothing); returns whether it wrote. Never deletes. Every date of demo.hpp is moved by the days from
// demo::kBaseDay to `base`, so that the demo's first planned day falls on `base` with the same shapes
// around it; without a base the dates are written as demo.hpp gives them.
bool insert_demo_data(host::Connection& connection);
bool insert_demo_data(host::Connection& connection, runtime::Date base);

}  // namespace database
