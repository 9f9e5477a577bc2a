#pragma once
// The host's multilanguage dictionary: the text of a message number in the user's language, with the
// placeholders %1 to %9 filled from a parameter list.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/variant.hpp"

namespace standin {

class Dictionary {
 public:
  static constexpr const char* kItalian = "it";
  static constexpr const char* kEnglish = "en";

  // True for the languages the dictionary holds ("it", "en"; case-insensitive).
  static bool supports(const std::string& language);

  // The text of `number` in `language` with %n replaced by the text of params[n - 1] (Null gives the empty
  // text). A placeholder without a parameter stays as written, so that a missing parameter shows. The
  // parameters' own texts are not searched for placeholders. Unknown number: nullopt, and the caller
  // falls back on a text of its own. Throws runtime::Error 5 for a language the dictionary does not hold,
  // and the runtime's conversion error for a parameter that has no text (an array or an object).
  std::optional<std::string> translate(std::int32_t number, const runtime::ParamList& params,
                                       const std::string& language = kItalian) const;

  bool contains(std::int32_t number) const;
};

// A caption of the calendar's windows and dialogs (a field's, a label's, a button's, a title) in
// `language`. The designs carry their captions in Italian; the dictionary holds them in English too. The
// caption may carry the access-key mark "&", which stays on the same letter when the word keeps it and
// moves to the first letter otherwise. A caption the dictionary does not hold comes back as it is, and so
// does every caption in Italian. Throws runtime::Error 5 for a language the dictionary does not hold.
std::string translate_caption(const std::string& caption, const std::string& language);

// Every caption the dictionary holds, as (Italian, English) pairs without the access-key mark.
std::vector<std::pair<std::string, std::string>> caption_pairs();

// Fills %1..%9 of `pattern` from `params` as Dictionary::translate does.
std::string fill_placeholders(const std::string& pattern, const runtime::ParamList& params);

}  // namespace standin
