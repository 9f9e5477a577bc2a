#pragma once
// The file of --skip-dates read before anything is opened: the dates it names go into the options, and a
// file that cannot be read, or holds what we cannot read, is a usage error that says which line and why.

#include <string>

#include "cli/options.hpp"

namespace cli {

// Reads options.skip_dates_file (nothing to do when no file was given) into options.skip_dates. False
// with the reason.
bool read_skip_dates(Options& options, std::string& error);

}  // namespace cli
