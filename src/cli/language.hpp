#pragma once
// The language of the command line's own lines: Italian by default, English with --lang en. The calendar's
// messages and captions come from the host's dictionary; the lines the command line writes itself pick
// their wording here, so that a run speaks one language from its first line to its last.

#include <string>
#include <utility>

#include "runtime/language.hpp"

namespace cli {

using runtime::say;

// A text from the database layer as a line of a run in `language`: the layer words its errors in
// Italian, as the calendar's reports carry them; an English run shows their known openings in English
// and leaves the rest (the engine's own words, names, statements) as it is.
inline std::string engine_text(std::string text, const std::string& language) {
  if (language != "en") return text;
  static const std::pair<const char*, const char*> kOpenings[] = {
      {"Errore SQLite: ", "SQLite error: "},
      {"Errore PostgreSQL: ", "PostgreSQL error: "},
      {"Impossibile aprire il database PostgreSQL: ", "Cannot open the PostgreSQL database: "},
      {"Impossibile aprire il database ", "Cannot open the database "},
      {"Impossibile preparare la sessione su ", "Cannot prepare the session on "},
  };
  for (const auto& [italian, english] : kOpenings) {
    // Only where a sentence starts: at the beginning or after ": ".
    for (auto at = text.find(italian); at != std::string::npos; at = text.find(italian, at)) {
      if (at == 0 || text.compare(at - 2, 2, ": ") == 0) {
        text.replace(at, std::char_traits<char>::length(italian), english);
        at += std::char_traits<char>::length(english);
      } else {
        ++at;
      }
    }
  }
  return text;
}

}  // namespace cli
