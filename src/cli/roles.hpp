#pragma once
// Who may read and write which company on a PostgreSQL database (database/postgres_roles.hpp), from the
// command line: the owner's grant, revoke and grants, the one line that tells a role it may not use the
// company of --company, and the server's refusals told in the person's words.

#include <optional>
#include <ostream>
#include <string>

#include "cli/options.hpp"
#include "database/engine.hpp"

namespace cli {

// `calendatt grant`, `revoke` and `grants`. On a SQLite file they only say that the file's own
// permissions decide, with the usage status.
int run_roles_command(const Options& options, std::ostream& out, std::ostream& err);

// Before a command that reads or writes the company of --company on a server of the current schema: when
// the session's role may not, the one line that says so; empty when it may or the command needs neither.
// The server refuses such a run anyway; this only says so before anything starts.
std::string company_refusal(const Options& options, database::EngineConnection& connection);

// What a refusal or failure of the server means for the person, in one line of `language` naming what
// they may do: a right the role lacks, a row of a company it may not write, a lock held too long, a
// connection lost. Empty for any other error. `sql_state` may be empty: the text decides then.
std::string server_error_words(const std::string& sql_state, const std::string& full_text,
                               const std::string& language);

// The warning for a --db that carries a password, or "".
std::string password_warning(const Options& options);

}  // namespace cli
