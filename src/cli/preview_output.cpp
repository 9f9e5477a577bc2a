#include "cli/preview_output.hpp"

#include <algorithm>
#include <sstream>
#include <utility>
#include <vector>

#include "cli/grid_output.hpp"
#include "cli/language.hpp"

namespace cli {
namespace {

using planner::Effect;

// The effects a command's totals count, in the order they are written.
std::vector<Effect> counted(const Options& options) {
  if (options.command == "delete-range")
    return {Effect::kDelete, Effect::kSpared, Effect::kAbsent, Effect::kNotWritten};
  return {Effect::kAdd, Effect::kOverwrite, Effect::kSkip, Effect::kStopHere, Effect::kNotWritten};
}

std::string total_key(Effect effect) {
  switch (effect) {
    case Effect::kStopHere:
      return "stop_here";
    case Effect::kNotWritten:
      return "not_written";
    case Effect::kSpared:
      return "spared";
    default:
      return planner::effect_key(effect);
  }
}

// "3 added" / "aggiunti 3".
std::string total_words(Effect effect, int n, const std::string& language) {
  auto both = [&](const char* italian, const char* english) {
    return say(language, std::string(italian) + " " + std::to_string(n), std::to_string(n) + " " + english);
  };
  switch (effect) {
    case Effect::kAdd:
      return both("aggiunti", "added");
    case Effect::kOverwrite:
      return both("sovrascritti", "overwritten");
    case Effect::kSkip:
      return both("tralasciati", "skipped");
    case Effect::kStopHere:
      return both("in conflitto", "in conflict");
    case Effect::kNotWritten:
      return both("non scritti", "not written");
    case Effect::kDelete:
      return both("eliminati", "deleted");
    case Effect::kSpared:
      return both("risparmiati (risorse allocate)", "spared (resources allocated)");
    case Effect::kAbsent:
      return both("assenti", "absent");
  }
  return "";
}

runtime::Variant number_or_null(const std::optional<planner::Duration>& d, bool hours) {
  if (!d) return runtime::Variant::null();
  return runtime::Variant(static_cast<std::int32_t>(hours ? d->hours : d->minutes));
}

}  // namespace

void write_preview(const planner::Preview& preview, const Options& options, std::ostream& out,
                   CliResponder& responder) {
  const std::string& lang = options.language;
  bool table = options.format == Format::kTable;
  GridView view;
  view.keys = {"date", "effect", "hours", "minutes", "was_hours", "was_minutes"};
  view.captions = {say(lang, "Data", "Date"),
                   say(lang, "Effetto", "Effect"),
                   say(lang, "Ore", "Hours"),
                   say(lang, "Minuti", "Minutes"),
                   say(lang, "Ore prima", "Hours before"),
                   say(lang, "Minuti prima", "Minutes before")};
  // In date order, as a planner reads a calendar: the runs of a weekday pattern interleave.
  std::vector<planner::DateEffect> effects = preview.effects();
  std::stable_sort(
      effects.begin(), effects.end(),
      [](const planner::DateEffect& a, const planner::DateEffect& b) { return a.date < b.date; });
  for (const auto& e : effects) {
    view.rows.push_back({runtime::Variant(e.date),
                         runtime::Variant(table ? planner::effect_words(e.effect, lang)
                                                : std::string(planner::effect_key(e.effect))),
                         number_or_null(e.after, true), number_or_null(e.after, false),
                         number_or_null(e.before, true), number_or_null(e.before, false)});
  }
  planner::Totals totals = preview.totals();
  std::string line;
  for (Effect effect : counted(options))
    line += (line.empty() ? "" : ", ") + total_words(effect, totals.of(effect), lang);
  line = say(lang, "Totali: ", "Totals: ") + line + ".";
  switch (options.format) {
    case Format::kTable:
      write_grid(view, Format::kTable, out);
      out << line << "\n";
      break;
    case Format::kCsv:
      write_grid(view, Format::kCsv, out);
      responder.note(line);
      break;
    case Format::kJson: {
      std::ostringstream dates;
      write_grid(view, Format::kJson, dates);
      std::string array = dates.str();
      while (!array.empty() && array.back() == '\n') array.pop_back();
      out << "{\"dates\": " << array << ",\n \"totals\": {";
      bool first = true;
      for (Effect effect : counted(options)) {
        out << (first ? "" : ", ") << json_string(total_key(effect)) << ": " << totals.of(effect);
        first = false;
      }
      out << "}}\n";
      break;
    }
  }
}

}  // namespace cli
