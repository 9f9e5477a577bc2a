// The command line's option parser. The input is the argument list, one argument per line. The parser
// either gives options for a known command (or the help, or the version) or a usage error with a message; it
// never crashes or raises.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/options.hpp"

namespace {

[[noreturn]] void finding(const char* what, const std::vector<std::string>& args, const std::string& error) {
  std::fprintf(stderr, "%s (%s):", what, error.c_str());
  for (const auto& a : args) std::fprintf(stderr, " [%s]", a.c_str());
  std::fprintf(stderr, "\n");
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  if (size == 0) args.clear();

  cli::Options options;
  std::string error;
  bool ok = cli::parse_arguments(args, options, error);
  if (!ok && error.empty()) finding("a usage error without a message", args, error);
  if (ok && !options.help && !options.version && !cli::known_command(options.command))
    finding("options for an unknown command", args, error);
  // Every option that was taken is one the program knows, and the dates it took are real days.
  if (ok) {
    for (const auto& name : options.given)
      if (name.rfind("--", 0) != 0) finding("an option without its dashes", args, name);
    for (const auto* day : {&options.day, &options.from, &options.to})
      if (*day && !cli::parse_iso_date((*day)->iso()))
        finding("a day that is not a real day", args, (*day)->iso());
  }
  // The help text of whatever command was named is always there.
  if (cli::usage(options.command, options.language).empty()) finding("no help text", args, options.command);
  return 0;
}
