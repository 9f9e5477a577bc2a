#include "planner/preview.hpp"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

#include "database/connection.hpp"
#include "host/database.hpp"
#include "runtime/error.hpp"

namespace planner {
namespace {

Preview* running = nullptr;

using Days = std::vector<std::pair<std::string, Duration>>;

const Duration* find_day(const Days& days, const std::string& iso) {
  for (const auto& [date, duration] : days)
    if (date == iso) return &duration;
  return nullptr;
}

std::optional<Duration> optional_day(const Days& days, const std::string& iso) {
  const Duration* d = find_day(days, iso);
  return d ? std::optional<Duration>(*d) : std::nullopt;
}

// The ISO date of a value read back from either engine (a date, or a text that starts with one).
std::optional<std::string> iso_of(const runtime::Variant& value) {
  if (runtime::is_blank(value)) return std::nullopt;
  if (value.type() == runtime::VarType::Date) return value.to_date().iso();
  std::string text = value.to_string();
  if (text.size() < 10) return std::nullopt;
  try {
    return runtime::Variant(text.substr(0, 10)).to_date().iso();
  } catch (const runtime::Error&) {
    return std::nullopt;
  }
}

std::int32_t whole(const runtime::Variant& value) {
  return runtime::is_blank(value) ? 0 : static_cast<std::int32_t>(value.to_double());
}

// The calendar rows of the link that a statement wrote: ISO date -> the duration it wrote (or removed).
Days written_days(const database::ObservedStatement& statement, std::int32_t company, std::int32_t link) {
  Days out;
  if (!statement.rows_known) return out;
  auto column = [&](const char* name) -> std::ptrdiff_t {
    auto it = std::find(statement.columns.begin(), statement.columns.end(), name);
    return it == statement.columns.end() ? -1 : it - statement.columns.begin();
  };
  std::ptrdiff_t date = column("PD4G_DATAATTIVITA"), owner = column("PD4G_DITTA_CG18"),
                 linked = column("PD4G_IDLEGAME_PD0H"), hours = column("PD4G_DURATAORE"),
                 minutes = column("PD4G_DURATAMINUTI");
  if (date < 0 || owner < 0 || linked < 0) return out;
  for (const auto& row : statement.rows) {
    auto at = [&](std::ptrdiff_t i) { return row[static_cast<std::size_t>(i)]; };
    if (whole(at(owner)) != company || whole(at(linked)) != link) continue;
    auto iso = iso_of(at(date));
    if (!iso) continue;
    out.emplace_back(*iso, Duration{hours < 0 ? 0 : whole(at(hours)), minutes < 0 ? 0 : whole(at(minutes))});
  }
  return out;
}

}  // namespace

const char* effect_key(Effect effect) {
  switch (effect) {
    case Effect::kAdd:
      return "add";
    case Effect::kOverwrite:
      return "overwrite";
    case Effect::kSkip:
      return "skip";
    case Effect::kStopHere:
      return "stop here";
    case Effect::kNotWritten:
      return "not written";
    case Effect::kDelete:
      return "delete";
    case Effect::kSpared:
      return "spared: allocated resources";
    case Effect::kAbsent:
      return "absent";
  }
  return "";
}

std::string effect_words(Effect effect, const std::string& language) {
  if (language != "it") return effect_key(effect);
  switch (effect) {
    case Effect::kAdd:
      return "aggiunto";
    case Effect::kOverwrite:
      return "sovrascritto";
    case Effect::kSkip:
      return "tralasciato";
    case Effect::kStopHere:
      return "si ferma qui";
    case Effect::kNotWritten:
      return "non scritto";
    case Effect::kDelete:
      return "eliminato";
    case Effect::kSpared:
      return "risparmiato: risorse allocate";
    case Effect::kAbsent:
      return "assente";
  }
  return "";
}

int Totals::of(Effect effect) const {
  switch (effect) {
    case Effect::kAdd:
      return add;
    case Effect::kOverwrite:
      return overwrite;
    case Effect::kSkip:
      return skip;
    case Effect::kStopHere:
      return stop_here;
    case Effect::kNotWritten:
      return not_written;
    case Effect::kDelete:
      return deleted;
    case Effect::kSpared:
      return spared;
    case Effect::kAbsent:
      return absent;
  }
  return 0;
}

std::vector<DateEffect> classify(RunKind kind, RunEnd end, std::int32_t company, std::int32_t link,
                                 const std::vector<runtime::Date>& dates, const Days& before,
                                 const Days& after, const std::vector<database::ObservedStatement>& written) {
  std::set<std::string> inserted, updated, deleted;
  for (const auto& statement : written) {
    auto& into = statement.kind == database::ObservedStatement::Kind::kInsert   ? inserted
                 : statement.kind == database::ObservedStatement::Kind::kUpdate ? updated
                                                                                : deleted;
    for (const auto& day : written_days(statement, company, link)) into.insert(day.first);
  }
  std::vector<DateEffect> out;
  for (const runtime::Date& date : dates) {
    const std::string iso = date.iso();
    DateEffect e{date, Effect::kNotWritten, optional_day(before, iso), optional_day(after, iso)};
    if (kind == RunKind::kInsertion) {
      if (inserted.count(iso))
        e.effect = Effect::kAdd;
      else if (updated.count(iso))
        e.effect = Effect::kOverwrite;
      else if (end == RunEnd::kConflict && e.before)
        e.effect = Effect::kStopHere;
      else if (end == RunEnd::kDone && e.after)
        e.effect = Effect::kSkip;
    } else {
      if (deleted.count(iso))
        e.effect = Effect::kDelete;
      else if (!e.before)
        e.effect = Effect::kAbsent;
      else if (end == RunEnd::kDone && e.after)
        e.effect = Effect::kSpared;
    }
    out.push_back(e);
  }
  return out;
}

Preview::Preview(std::string target) : target_(std::move(target)) {
  if (running) throw std::logic_error("a preview is already running");
  rehearsal_.emplace();
  previous_ = database::observe_statements(this);
  running = this;
}

Preview::~Preview() {
  finish();
}

Preview* Preview::current() {
  return running;
}

void Preview::finish() {
  if (running != this) return;
  database::observe_statements(previous_);
  running = nullptr;
  rehearsal_.reset();
}

void Preview::begin_run(RunKind kind, std::int32_t company, double node, std::int32_t link,
                        std::vector<runtime::Date> dates) {
  if (running != this) return;
  run_.emplace();
  run_->kind = kind;
  run_->company = company;
  run_->node = node;
  run_->link = link;
  run_->dates = std::move(dates);
  run_->before = days_now(*run_);
  ++runs_;
}

void Preview::end_run(RunEnd end) {
  if (!run_) return;
  Days after = days_now(*run_);
  auto dated =
      classify(run_->kind, end, run_->company, run_->link, run_->dates, run_->before, after, run_->written);
  effects_.insert(effects_.end(), dated.begin(), dated.end());
  run_.reset();
}

Totals Preview::totals() const {
  Totals t;
  for (const auto& e : effects_) {
    switch (e.effect) {
      case Effect::kAdd:
        ++t.add;
        break;
      case Effect::kOverwrite:
        ++t.overwrite;
        break;
      case Effect::kSkip:
        ++t.skip;
        break;
      case Effect::kStopHere:
        ++t.stop_here;
        break;
      case Effect::kNotWritten:
        ++t.not_written;
        break;
      case Effect::kDelete:
        ++t.deleted;
        break;
      case Effect::kSpared:
        ++t.spared;
        break;
      case Effect::kAbsent:
        ++t.absent;
        break;
    }
  }
  return t;
}

void Preview::statement_ran(const database::ObservedStatement& statement) {
  if (run_) run_->written.push_back(statement);
  if (previous_) previous_->statement_ran(statement);
}

Days Preview::days_now(const Run& run) const {
  Days days;
  if (run.dates.empty()) return days;
  auto [first, last] = std::minmax_element(run.dates.begin(), run.dates.end());
  // Inside the rehearsal this connection shares the engine of the run's own (database/connection.hpp).
  auto connection = database::open_target(target_, false);
  const std::string sql =
      "SELECT PD4G_DATAATTIVITA AS D, PD4G_DURATAORE AS H, PD4G_DURATAMINUTI AS M FROM PD4G_CALENDATT "
      "WHERE PD4G_DITTA_CG18 = " +
      std::to_string(run.company) + " AND PD4G_IDDISBAPROG_PD0G = " + runtime::number_text(run.node) +
      " AND PD4G_IDLEGAME_PD0H = " + std::to_string(run.link) + " AND PD4G_DATAATTIVITA >= '" + first->iso() +
      "' AND PD4G_DATAATTIVITA < '" + last->add_days(1).iso() + "'";
  std::map<std::string, Duration> all;
  auto rs = connection->Execute(sql, host::kAdCmdText);
  for (; !rs->Eof(); rs->MoveNext())
    if (auto iso = iso_of(rs->Field("D"))) all[*iso] = Duration{whole(rs->Field("H")), whole(rs->Field("M"))};
  rs->Close();
  connection->Close();
  for (const auto& date : run.dates)
    if (auto it = all.find(date.iso()); it != all.end()) days.emplace_back(*it);
  return days;
}

}  // namespace planner
