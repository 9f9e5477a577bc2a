#pragma once
// The language of the command line's own lines: Italian by default, English with --lang en. The calendar's
// messages and captions come from the host's dictionary; the lines the command line writes itself pick
// their wording here, so that a run speaks one language from its first line to its last.

#include <string>

namespace cli {

// `italian` or `english`, as `language` says ("en" is English, anything else Italian).
inline std::string say(const std::string& language, std::string italian, std::string english) {
  return language == "en" ? std::move(english) : std::move(italian);
}

}  // namespace cli
