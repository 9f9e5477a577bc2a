#pragma once
// Who may read and write which company on a PostgreSQL database: the server decides, not the program.
//
// The role that created the tables (their owner) keeps every right. Any other role reaches a company's
// rows only through a grant in CALENDATT_PERMESSI (role, company, 'read' or 'write'): row-level security
// on the days, the allocations, the WBS tables, the media and the journal shows it the rows of the
// companies it may read, and refuses a written row of a company it may not write; a trigger refuses a
// change or a deletion of a stored day of such a company (a policy alone would skip the row silently).
// grant_access() gives a role the table rights that its access needs and nothing more; revoking its last
// grant takes them back. A grant takes effect at the next statement of any session.

#include <cstdint>
#include <string>
#include <vector>

#include "database/engine.hpp"

namespace database {

// The statements that create the table of grants, the policies and the trigger; each may run again.
std::vector<std::string> roles_schema();

enum class Access { kNone, kRead, kWrite };

// What the role of the session may do with one company.
struct CompanyAccess {
  std::string role;    // the session's role
  bool owner = false;  // the tables' owner (or a member of it): every company
  Access access = Access::kNone;
};

// Asks the server; a database without the table of grants (SQLite, an older schema) gives the owner's
// full access, since nothing there keeps roles apart.
CompanyAccess company_access(EngineConnection& connection, std::int64_t company);

// The companies the session's role may use, with the access to each (every company for the owner:
// those of the WBS nodes).
std::vector<std::pair<std::int64_t, Access>> usable_companies(EngineConnection& connection);

struct Grant {
  std::string role;
  std::int64_t company = 0;
  Access access = Access::kRead;
};

// The grants, by role and company.
std::vector<Grant> list_grants(EngineConnection& connection);

// Why the session may not manage grants (not the owner; the tables are not there), or "" when it may.
// The words are Italian or English as `language` says.
std::string grants_problem(EngineConnection& connection, const std::string& language);

// True when the server knows a role of that name.
bool role_exists(EngineConnection& connection, const std::string& role);

// Grants the role `access` to the company (replacing what it had there) with the table rights it needs,
// in one transaction.
void grant_access(EngineConnection& connection, const std::string& role, std::int64_t company, Access access);

// Takes back the role's grant for the company, and the table rights no grant of it needs any more;
// false when it had none.
bool revoke_access(EngineConnection& connection, const std::string& role, std::int64_t company);

}  // namespace database
