#include "desktop/days_panel.hpp"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "common/mdlpd_calendatt.hpp"
#include "desktop/qt_text.hpp"
#include "host/controls.hpp"
#include "host/database.hpp"
#include "planner/range_runs.hpp"
#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "runtime/language.hpp"
#include "standin/host_setup.hpp"

namespace desktop {

namespace {

using runtime::say;

QTableWidget* new_table(QWidget* parent, const char* name) {
  auto* table = new QTableWidget(parent);
  table->setObjectName(name);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void fill(QTableWidget* table, const QStringList& captions, const std::vector<QStringList>& rows) {
  table->clear();
  table->setColumnCount(static_cast<int>(captions.size()));
  table->setHorizontalHeaderLabels(captions);
  table->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < rows[r].size(); ++c) {
      auto* item = new QTableWidgetItem(rows[r][c]);
      if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table->setItem(r, c, item);
    }
  table->resizeColumnsToContents();
}

}  // namespace

DaysPanel::DaysPanel(QWidget* parent) : QDockWidget(parent) {
  setObjectName("DAYS_PANEL");
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  heading_ = new QLabel(content);
  heading_->setObjectName("DAYS_HEADING");
  heading_->setWordWrap(true);
  layout->addWidget(heading_);
  days_ = new_table(content, "DAYS_TABLE");
  layout->addWidget(days_, 3);
  totals_ = new_table(content, "DAYS_TOTALS");
  layout->addWidget(totals_, 2);
  setWidget(content);
  setMinimumWidth(260);
  connect(days_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
    if (day_chooser_ && row >= 0 && row < static_cast<int>(report_.days.size()))
      day_chooser_(report_.days[static_cast<std::size_t>(row)].day);
  });
}

std::optional<planner::FoundActivity> browsed_activity(standin::HostEnvironment& env,
                                                       const std::shared_ptr<host::RecordFrame>& frame) {
  namespace m = calendatt::MDLPD_CALENDATT;
  if (!frame) return std::nullopt;
  double node = m::pIDDisBaProgWBS, link = m::pIDLegameWBS;
  runtime::suppressed([&] {
    if (frame->Status() == host::RecordFrame::kStatusNew) return;
    auto rs = frame->Recordset();
    if (!rs || rs->Eof() || rs->Bof()) return;
    runtime::Variant row_node = rs->Field("PD4G_IDDISBAPROG_PD0G"),
                     row_link = rs->Field("PD4G_IDLEGAME_PD0H");
    if (runtime::is_blank(row_node) || runtime::is_blank(row_link) || row_link.to_double() == 0) return;
    node = row_node.to_double();
    link = row_link.to_double();
  });
  std::optional<planner::FoundActivity> found;
  if (node == 0 || link == 0) return found;
  // A database that cannot be read gives none; the calendar reports its own failures.
  runtime::suppressed([&] {
    const planner::QueryRunner query = [&env](const std::string& sql) { return env.run_query(sql); };
    found = planner::read_activity(query, static_cast<std::int32_t>(env.global()->Company().to_long()), node,
                                   link);
  });
  return found;
}

void DaysPanel::refresh(standin::HostEnvironment& env, const std::shared_ptr<host::RecordFrame>& frame,
                        const std::string& language) {
  setWindowTitle(qs(say(language, "Giorni dell'attività", "Activity days")));
  std::optional<planner::FoundActivity> found;
  if (isVisible()) {
    found = browsed_activity(env, frame);
    runtime::suppressed([&] {
      const planner::QueryRunner query = [&env](const std::string& sql) { return env.run_query(sql); };
      if (!found) return;
      report_ = planner::days_report(query, found->activity);
      // The days of the activity that resources are allocated to.
      allocated_.clear();
      auto rs = query(
          "SELECT DISTINCT G.PD4G_DATAATTIVITA AS GIORNO FROM PD4G_CALENDATT G INNER JOIN PD4H_ALLRISPROG H "
          "ON "
          "H.PD4H_IDCALENDARIO_PD4G = G.PD4G_IDCALENDARIO WHERE G.PD4G_DITTA_CG18 = " +
          std::to_string(found->activity.company) +
          " AND G.PD4G_IDDISBAPROG_PD0G = " + runtime::number_text(found->activity.node_id) +
          " AND G.PD4G_IDLEGAME_PD0H = " + runtime::number_text(found->activity.link_id));
      for (; !rs->Eof(); rs->MoveNext())
        allocated_.push_back(runtime::Date{std::floor(rs->Field("GIORNO").to_date().serial)});
      rs->Close();
    });
  }
  // Hidden, the panel keeps what it showed and reads nothing.
  if (!isVisible() && frame) return;
  has_activity_ = found.has_value();
  if (!found) {
    report_ = {};
    allocated_.clear();
  }
  show_report(language, found ? found->codes() : std::string());
}

void DaysPanel::show_report(const std::string& language, const std::string& codes) {
  std::string key = language + "|" + (has_activity_ ? codes : std::string());
  if (report_.planning_start) key += "|" + report_.planning_start->iso();
  if (report_.planning_end) key += "|" + report_.planning_end->iso();
  for (const auto& d : report_.days)
    key += "|" + d.day.iso() + " " + std::to_string(d.hours) + ":" + std::to_string(d.minutes);
  for (const auto& d : allocated_) key += "|R" + d.iso();
  if (key == shown_) return;
  shown_ = key;

  if (!has_activity_) {
    heading_->setText(qs(
        say(language, "Nessuna attività scelta nel calendario.", "No activity is chosen in the calendar.")));
  } else {
    std::string period =
        report_.planning_start && report_.planning_end
            ? runtime::date_text(*report_.planning_start) + " - " + runtime::date_text(*report_.planning_end)
            : say(language, "nessuno", "none");
    heading_->setText(
        qs(codes + "\n" + say(language, "Periodo di pianificazione: ", "Planning period: ") + period));
  }
  // A day's notes: a short mark that fits beside the day, the whole words as its tooltip.
  std::vector<QStringList> days;
  std::vector<QString> tips;
  for (const auto& d : report_.days) {
    QStringList notes, words;
    if (d.outside_planning) {
      notes << qs(say(language, "fuori", "outside"));
      words << qs(say(language, "fuori dal periodo di pianificazione", "outside the planning period"));
    }
    if (std::find(allocated_.begin(), allocated_.end(), d.day) != allocated_.end()) {
      notes << qs(say(language, "risorse", "resources"));
      words << qs(say(language, "risorse allocate", "resources allocated"));
    }
    tips.push_back(words.join(", "));
    // The person's date form, as the window and its grid write dates.
    days.push_back({qs(runtime::date_text(d.day)),
                    qs(planner::weekday_name(planner::iso_weekday(d.day), language)),
                    qs(planner::duration_text(d.total_minutes())), notes.join(", ")});
  }
  fill(days_,
       {qs(say(language, "Data", "Date")), qs(say(language, "Giorno", "Weekday")),
        qs(say(language, "Durata", "Time")), QString()},
       days);
  for (int r = 0; r < days_->rowCount(); ++r)
    if (auto* item = days_->item(r, 3)) item->setToolTip(tips[static_cast<std::size_t>(r)]);
  // The days' table is as wide as its columns, so that no mark is cut: the panel follows.
  int wide = days_->verticalScrollBar()->sizeHint().width() + 2 * days_->frameWidth() + 4;
  for (int c = 0; c < days_->columnCount(); ++c) {
    if (c == 3)
      for (int r = 0; r < days_->rowCount(); ++r)
        if (auto* item = days_->item(r, c)) item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    wide += days_->columnWidth(c);
  }
  days_->setMinimumWidth(wide);
  std::vector<QStringList> totals;
  auto add = [&](const std::string& label, const planner::Subtotal& s) {
    totals.push_back({qs(label), QString::number(s.days), qs(planner::duration_text(s.minutes))});
  };
  for (const auto& w : report_.weeks) add(w.period, w);
  for (const auto& m : report_.months) add(m.period, m);
  add(say(language, "Fuori periodo", "Outside the period"), report_.outside);
  add(say(language, "Totale", "Total"), report_.total);
  fill(totals_,
       {qs(say(language, "Periodo", "Period")), qs(say(language, "Giorni", "Days")),
        qs(say(language, "Durata", "Time"))},
       totals);
}

}  // namespace desktop
