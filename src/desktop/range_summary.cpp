#include "desktop/range_summary.hpp"

#include <algorithm>

#include "planner/range_runs.hpp"
#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "standin/control_models.hpp"

namespace desktop {

namespace {

std::string text_of(const standin::FormModel& dialog, const char* name) {
  std::string text;
  runtime::suppressed([&] { text = dialog.model<host::TextControl>(name)->Text(); });
  return runtime::trim(text);
}

}  // namespace

void RangeSummary::opened(const standin::FormModel& dialog, standin::MessageResponder& responder) {
  tally_.reset();
  action_.reset();
  if (dialog.name() != kInsertDialog && dialog.name() != kDeleteDialog) return;
  responder.take_translated(kSparedMessage);
  tally_ = std::make_unique<planner::WriteTally>();
  action_ = std::make_unique<database::ActionInProgress>(
      dialog.name() == kInsertDialog ? "desktop: add-range" : "desktop: delete-range");
}

std::optional<std::string> RangeSummary::closed(const standin::FormModel& dialog,
                                                standin::MessageResponder& responder,
                                                const std::string& language, bool completed) {
  if (!tally_) return std::nullopt;
  const planner::WrittenRows w = tally_->rows();
  tally_.reset();
  action_.reset();
  const auto told = responder.take_translated(kSparedMessage);
  if (!completed && !w.any()) return std::nullopt;
  const bool insert = dialog.name() == kInsertDialog;
  const bool en = language == "en";
  const auto n = [](std::int64_t v) { return std::to_string(v); };
  if (!completed) {
    // Stopped by an error after some statements went through: those days stay written.
    const std::string written = planner::written_words(w, language, true);
    return en ? "Stopped after an error: " + written + " before it, nothing after."
              : "Fermato dopo un errore: " + written + " prima di esso, nulla dopo.";
  }
  const std::string codes = text_of(dialog, "TXT_CODPROG") + " / " + text_of(dialog, "TXT_CODNODO") + " / " +
                            text_of(dialog, "TXT_CODATTIVITA");
  const std::string from_text = text_of(dialog, "TXT_DATAINIZIALE"),
                    to_text = text_of(dialog, "TXT_DATAFINALE");
  const std::string period =
      en ? " from " + from_text + " to " + to_text + ": " : " dal " + from_text + " al " + to_text + ": ";
  if (insert) {
    // The dates of the range that no statement wrote were left as they were.
    const auto from = runtime::parse_date(from_text), to = runtime::parse_date(to_text);
    const std::string every = text_of(dialog, "TXT_RIPETIOGNI");
    std::int64_t dates = 0;
    if (from && to && !every.empty() && every.size() <= 3 &&
        every.find_first_not_of("0123456789") == std::string::npos && std::stoi(every) > 0)
      dates = static_cast<std::int64_t>(planner::RangeRun{*from, *to, std::stoi(every)}.dates().size());
    const std::int64_t skipped = std::max<std::int64_t>(0, dates - w.added - w.changed);
    return en ? "Planned the days of " + codes + period + n(w.added) + " added, " + n(w.changed) +
                    " overwritten, " + n(skipped) + " skipped."
              : "Pianificati i giorni di " + codes + period + "aggiunti " + n(w.added) + ", sovrascritti " +
                    n(w.changed) + ", saltati " + n(skipped) + ".";
  }
  const std::int64_t spared = told && !told->empty() ? told->front().to_long() : 0;
  return en ? "Deleted the days of " + codes + period + n(w.deleted) + " deleted, " + n(spared) +
                  " spared (resources allocated)."
            : "Eliminati i giorni di " + codes + period + "eliminati " + n(w.deleted) + ", risparmiati " +
                  n(spared) + " (con risorse allocate).";
}

}  // namespace desktop
