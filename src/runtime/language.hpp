#pragma once
// The two languages of the program's own lines: Italian by default, English when the language is "en".

#include <string>
#include <utility>

namespace runtime {

// `italian` or `english`, as `language` says ("en" is English, anything else Italian).
inline std::string say(const std::string& language, std::string italian, std::string english) {
  return language == "en" ? std::move(english) : std::move(italian);
}

}  // namespace runtime
