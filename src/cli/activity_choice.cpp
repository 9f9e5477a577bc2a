#include "cli/activity_choice.hpp"

#include <string>

#include "cli/language.hpp"
#include "runtime/variant.hpp"

namespace cli {

std::optional<standin::CalledActivity> pick_activity(const std::vector<standin::CalledActivity>& rows,
                                                     const Options& o, CliResponder& responder) {
  auto say = [&](std::string italian, std::string english) {
    return cli::say(o.language, std::move(italian), std::move(english));
  };
  const std::string codes = o.codes.text();
  if (rows.empty()) {
    responder.note(say("nessuna attività WBS " + codes + " nella ditta " + std::to_string(o.company),
                       "no WBS activity " + codes + " in company " + std::to_string(o.company)));
    return std::nullopt;
  }
  if (o.link) {
    for (const auto& row : rows)
      if (row.link_id == static_cast<double>(*o.link)) return row;
    responder.note(
        say("--link " + std::to_string(*o.link) + " non è una riga WBS di " + codes + ", che sta in:",
            "--link " + std::to_string(*o.link) + " is no WBS row of " + codes + ", which stands in:"));
  } else if (rows.size() == 1) {
    return rows.front();
  } else {
    responder.note(say("l'attività " + codes + " sta in " + std::to_string(rows.size()) + " righe della WBS:",
                       "the activity " + codes + " stands in " + std::to_string(rows.size()) + " WBS rows:"));
  }
  std::vector<std::string> entries;
  for (const auto& row : rows) {
    std::string period = row.start ? row.start->iso() + " - " + row.end->iso() : say("nessuno", "none");
    entries.push_back("--link " + runtime::number_text(row.link_id) + say(", periodo ", ", period ") +
                      period);
  }
  if (auto picked = responder.choose(entries)) return rows[*picked];
  responder.note(say("indicare quale con --link ID", "say which one with --link ID"));
  return std::nullopt;
}

}  // namespace cli
