#include "planner/journal_undo.hpp"

#include "database/journal.hpp"
#include "runtime/error.hpp"

namespace planner {
namespace {

// The journal's rows of one company: the company a day had after the change, or before it when it went.
constexpr const char* kCompany = "COALESCE(g.A_PD4G_DITTA_CG18, g.B_PD4G_DITTA_CG18) = ?1";

// The links of the activity named by the three codes in the company; the codes are bound values, and
// both engines compare them without regard to trailing blanks.
constexpr const char* kActivity =
    " AND COALESCE(g.A_PD4G_IDLEGAME_PD0H, g.B_PD4G_IDLEGAME_PD0H) IN (SELECT PD0H_IDLEGAME FROM "
    "PD0H_LEGDISBAPROG "
    "INNER JOIN PD0G_DISBAPROG ON PD0G_IDDISBAPROG = PD0H_IDDISBAPROG_PD0G WHERE PD0G_DITTA_CG18 = ?1 AND "
    "PD0G_CODPROG_PD68 = ?2 AND PD0G_CODNODO_PD0C = ?3 AND PD0H_CODATTIVITA_PD0D = ?4)";

std::int64_t whole(const runtime::Variant& v) {
  return static_cast<std::int64_t>(v.to_double());
}

// A day as the journal gives it (a date, or ISO text on SQLite), as ISO text.
std::string day_text(const runtime::Variant& v) {
  if (v.type() == runtime::VarType::Date) {
    const runtime::Date d = v.to_date();
    return d.iso() + d.clock('T');
  }
  return runtime::rtrim(v.to_string());
}

}  // namespace

std::vector<std::vector<runtime::Variant>> journal_actions(database::EngineConnection& c,
                                                           std::int32_t company,
                                                           const ActivityCodes& activity,
                                                           const std::optional<runtime::Date>& since) {
  std::vector<database::SqlValue> values{std::int64_t{company}};
  std::string where = kCompany;
  if (!activity.empty()) {
    where += kActivity;
    for (const auto* code : {&activity.project, &activity.node, &activity.activity})
      values.emplace_back(runtime::rtrim(runtime::upper(*code)));
  }
  if (since) {
    values.emplace_back(since->iso());
    where += " AND a.AZ_QUANDO >= ?" + std::to_string(values.size());
  }
  return c
      .run_bound(
          "SELECT a.AZ_ID, substr(a.AZ_QUANDO, 1, 19), a.AZ_CHI, a.AZ_COMANDO, "
          "SUM(CASE WHEN g.GI_OPERAZIONE = 'I' THEN 1 ELSE 0 END), SUM(CASE WHEN g.GI_OPERAZIONE = 'U' THEN "
          "1 "
          "ELSE 0 END), SUM(CASE WHEN g.GI_OPERAZIONE = 'D' THEN 1 ELSE 0 END) FROM CALENDATT_AZIONI a INNER "
          "JOIN CALENDATT_GIORNALE g ON g.GI_AZIONE = a.AZ_ID WHERE " +
              where + " GROUP BY a.AZ_ID, a.AZ_QUANDO, a.AZ_CHI, a.AZ_COMANDO ORDER BY a.AZ_ID DESC",
          values)
      .rows;
}

std::vector<std::vector<runtime::Variant>> action_changes(database::EngineConnection& c, std::int32_t company,
                                                          std::int64_t action) {
  return c
      .run_bound(
          "SELECT g.GI_ID, g.GI_OPERAZIONE, g.GI_IDCALENDARIO, COALESCE(g.A_PD4G_DATAATTIVITA, "
          "g.B_PD4G_DATAATTIVITA), g.B_PD4G_DURATAORE, g.B_PD4G_DURATAMINUTI, g.A_PD4G_DURATAORE, "
          "g.A_PD4G_DURATAMINUTI FROM CALENDATT_GIORNALE g WHERE " +
              std::string(kCompany) + " AND g.GI_AZIONE = ?2 ORDER BY g.GI_ID",
          {std::int64_t{company}, action})
      .rows;
}

std::int64_t prune_journal(database::EngineConnection& c, std::int32_t company, const runtime::Date& before) {
  c.run_bound(std::string("DELETE FROM CALENDATT_GIORNALE WHERE GI_QUANDO < ?2 AND ") +
                  runtime::replace_all(kCompany, "g.", ""),
              {std::int64_t{company}, before.iso()});
  const std::int64_t pruned = c.RowsAffected();
  c.run_bound(
      "DELETE FROM CALENDATT_AZIONI WHERE AZ_QUANDO < ?1 AND NOT EXISTS (SELECT 1 FROM CALENDATT_GIORNALE "
      "WHERE "
      "GI_AZIONE = AZ_ID)",
      {before.iso()});
  return pruned;
}

std::optional<std::int64_t> last_action(database::EngineConnection& c, std::int32_t company) {
  auto rows = c.run_bound(std::string("SELECT MAX(g.GI_AZIONE) FROM CALENDATT_GIORNALE g WHERE ") + kCompany,
                          {std::int64_t{company}});
  if (rows.rows.empty() || runtime::is_blank(rows.rows[0][0])) return std::nullopt;
  return whole(rows.rows[0][0]);
}

std::string put_back_text(PutBack effect, const std::string& language) {
  const bool en = language == "en";
  switch (effect) {
    case PutBack::kRemove:
      return en ? "removed" : "tolto";
    case PutBack::kReinsert:
      return en ? "put back" : "rimesso";
    default:
      return en ? "restored" : "ripristinato";
  }
}

UndoPlan plan_undo(database::EngineConnection& c, std::int32_t company, std::int64_t action) {
  UndoPlan plan;
  plan.action = action;
  // Each day from the first and last of the action's journal rows for it; a day it added and deleted
  // again is left out: there is nothing to put back.
  auto rows = c.run_bound(
      "SELECT g.GI_IDCALENDARIO, f.GI_ID, f.GI_OPERAZIONE, l.GI_OPERAZIONE, "
      "COALESCE(l.A_PD4G_DATAATTIVITA, f.B_PD4G_DATAATTIVITA), f.B_PD4G_DURATAORE, f.B_PD4G_DURATAMINUTI, "
      "l.A_PD4G_DURATAORE, l.A_PD4G_DURATAMINUTI FROM (SELECT GI_IDCALENDARIO, MIN(GI_ID) AS F, MAX(GI_ID) "
      "AS L FROM CALENDATT_GIORNALE g WHERE " +
          std::string(kCompany) +
          " AND g.GI_AZIONE = ?2 GROUP BY GI_IDCALENDARIO) g INNER JOIN CALENDATT_GIORNALE f ON f.GI_ID = "
          "g.F INNER JOIN CALENDATT_GIORNALE l ON l.GI_ID = g.L ORDER BY 5, 1",
      {std::int64_t{company}, action});
  for (const auto& r : rows.rows) {
    const bool added = r[2].to_string() == "I", gone = r[3].to_string() == "D";
    if (added && gone) continue;
    plan.days.push_back(UndoneDay{whole(r[0]), whole(r[1]),
                                  added  ? PutBack::kRemove
                                  : gone ? PutBack::kReinsert
                                         : PutBack::kRestore,
                                  r[4], r[5], r[6], r[7], r[8]});
  }
  if (plan.days.empty()) return plan;
  // A day that another action changed since is not this action's to put back. The journal keeps no
  // index by day (it would cost every write of a day one more page): the rows after the action's first
  // are read once, in the order they were written, and those of its days kept.
  const std::string of_action =
      std::string("FROM CALENDATT_GIORNALE g WHERE ") + kCompany + " AND g.GI_AZIONE = ?2";
  auto later = c.run_bound(
      "SELECT COALESCE(l.A_PD4G_DATAATTIVITA, l.B_PD4G_DATAATTIVITA), l.GI_AZIONE FROM CALENDATT_GIORNALE l "
      "WHERE l.GI_ID > (SELECT MIN(g.GI_ID) " +
          of_action +
          ") AND l.GI_AZIONE <> ?2 AND l.GI_IDCALENDARIO IN "
          "(SELECT g.GI_IDCALENDARIO " +
          of_action +
          ") AND l.GI_ID > (SELECT MIN(h.GI_ID) FROM CALENDATT_GIORNALE h "
          "WHERE h.GI_AZIONE = ?2 AND h.GI_IDCALENDARIO = l.GI_IDCALENDARIO) GROUP BY 1, 2 ORDER BY 1, 2",
      {std::int64_t{company}, action});
  for (const auto& r : later.rows) {
    const std::string day = day_text(r[0]), by = std::to_string(whole(r[1]));
    if (!plan.conflicts.empty() && plan.conflicts.back().day == day)
      plan.conflicts.back().actions += ", " + by;
    else
      plan.conflicts.push_back(LaterChange{day, by});
  }
  return plan;
}

std::vector<std::vector<runtime::Variant>> undo_rows(const UndoPlan& plan, const std::string& language) {
  std::vector<std::vector<runtime::Variant>> rows;
  const runtime::Variant none = runtime::Variant::null();
  for (const auto& d : plan.days) {
    const bool removed = d.effect == PutBack::kRemove, reinserted = d.effect == PutBack::kReinsert;
    rows.push_back({d.date, runtime::Variant(put_back_text(d.effect, language)), reinserted ? none : d.hours,
                    reinserted ? none : d.minutes, removed ? none : d.was_hours,
                    removed ? none : d.was_minutes});
  }
  return rows;
}

void put_back(database::EngineConnection& c, const UndoPlan& plan) {
  database::ActionInProgress action("undo " + std::to_string(plan.action));
  const bool server = c.dialect() == database::Dialect::PostgreSQL;
  std::string columns, before;
  for (const auto& col : database::kJournaledColumns) {
    columns += (columns.empty() ? "" : ", ") + col;
    before += (before.empty() ? "" : ", ") + ("B_" + col);
  }
  // One change, all or none.
  c.run_bound(server ? "BEGIN" : "BEGIN IMMEDIATE", {});
  try {
    for (const auto& d : plan.days) {
      switch (d.effect) {
        case PutBack::kRemove:
          c.run_bound("DELETE FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = ?1", {d.day});
          break;
        case PutBack::kReinsert:
          c.run_bound("INSERT INTO PD4G_CALENDATT (PD4G_IDCALENDARIO, " + columns +
                          ") SELECT GI_IDCALENDARIO, " + before + " FROM CALENDATT_GIORNALE WHERE GI_ID = ?1",
                      {d.first});
          break;
        case PutBack::kRestore:
          c.run_bound("UPDATE PD4G_CALENDATT SET (" + columns + ") = (SELECT " + before +
                          " FROM CALENDATT_GIORNALE WHERE GI_ID = ?1) WHERE PD4G_IDCALENDARIO = ?2",
                      {d.first, d.day});
          break;
      }
    }
    c.run_bound("COMMIT", {});
  } catch (const runtime::Error&) {
    runtime::suppressed([&] { c.run_bound("ROLLBACK", {}); });
    throw;
  }
}

}  // namespace planner
