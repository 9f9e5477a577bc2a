#pragma once
// The Italian wording of the command line's help. The commands' table (options.cpp) holds the English
// wording, the synopses and the examples, which read the same in both languages; here are the words that
// change with the language.

#include <string>

namespace cli {

struct ItalianHelp {
  const char* summary;      // one line in the list of commands
  const char* details;      // what the command does
  const char* own_options;  // its own options, one per line
};

// The Italian help of a command; null for a command that has none.
const ItalianHelp* italian_help(const std::string& command);

// The general help's texts in Italian.
extern const char* const kItalianIntro;
extern const char* const kItalianWindowOptionsHelp;
extern const char* const kItalianExitHelp;

}  // namespace cli
