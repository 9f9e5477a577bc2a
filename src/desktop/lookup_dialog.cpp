#include "desktop/lookup_dialog.hpp"
#include "desktop/qt_text.hpp"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <functional>

namespace desktop {

namespace {

std::string cell_text(const runtime::Variant& value) {
  if (runtime::is_blank(value)) return {};
  try {
    return value.to_string();
  } catch (...) {
    return {};
  }
}

// Enter in the search box chooses the first row shown; Down moves into the list.
class FilterKeys : public QObject {
 public:
  FilterKeys(QTableWidget* table, std::function<void()> choose, QObject* parent)
      : QObject(parent), table_(table), choose_(std::move(choose)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      choose_();
      return true;
    }
    if (key == Qt::Key_Down) {
      table_->setFocus(Qt::TabFocusReason);
      return true;
    }
    return false;
  }

 private:
  QTableWidget* table_;
  std::function<void()> choose_;
};

}  // namespace

LookupDialog::LookupDialog(const LookupList& list, const std::string& filter, const std::string& language,
                           QWidget* parent)
    : QDialog(parent) {
  const bool en = language == "en";
  setObjectName("LOOKUP");
  setWindowTitle(qs(list.title));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* search = new QLabel(en ? "Search:" : "Cerca:", this);
  filter_ = new QLineEdit(this);
  filter_->setObjectName("LOOKUP_FILTER");
  filter_->setClearButtonEnabled(true);
  search->setBuddy(filter_);
  auto* top = new QHBoxLayout;
  top->addWidget(search);
  top->addWidget(filter_, 1);
  layout->addLayout(top);

  std::size_t columns = list.captions.size();
  for (const auto& row : list.rows) columns = std::max(columns, row.size());
  table_ = new QTableWidget(static_cast<int>(list.rows.size()), static_cast<int>(columns), this);
  table_->setObjectName("LOOKUP_ROWS");
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  QStringList headers;
  for (std::size_t c = 0; c < columns; ++c)
    headers << (c < list.captions.size() ? qs(list.captions[c]) : QString::number(c + 1));
  table_->setHorizontalHeaderLabels(headers);
  for (std::size_t r = 0; r < list.rows.size(); ++r) {
    for (std::size_t c = 0; c < list.rows[r].size(); ++c) {
      auto* item = new QTableWidgetItem(qs(cell_text(list.rows[r][c])));
      item->setData(Qt::UserRole, static_cast<qulonglong>(r));
      table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  table_->resizeColumnsToContents();
  layout->addWidget(table_, 1);

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton(en ? "OK" : "OK", QDialogButtonBox::AcceptRole);
  ok->setObjectName("LOOKUP_OK");
  auto* cancel = buttons->addButton(en ? "Cancel" : "Annulla", QDialogButtonBox::RejectRole);
  cancel->setObjectName("LOOKUP_CANCEL");
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, [this] { choose_current(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { choose_current(); });
  connect(table_, &QTableWidget::cellActivated, this, [this](int, int) { choose_current(); });
  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) { apply_filter(text); });
  filter_->installEventFilter(new FilterKeys(
      table_, [this] { choose_current(); }, this));

  filter_->setText(qs(filter));
  apply_filter(filter_->text());
  filter_->setFocus(Qt::OtherFocusReason);
  resize(std::min(900, 120 + table_->horizontalHeader()->length()), 420);
}

void LookupDialog::apply_filter(const QString& text) {
  const QString wanted = text.trimmed();
  int first = -1;
  for (int r = 0; r < table_->rowCount(); ++r) {
    bool match = wanted.isEmpty();
    for (int c = 0; !match && c < table_->columnCount(); ++c) {
      auto* item = table_->item(r, c);
      match = item && item->text().contains(wanted, Qt::CaseInsensitive);
    }
    table_->setRowHidden(r, !match);
    if (match && first < 0) first = r;
  }
  if (first >= 0)
    table_->selectRow(first);
  else
    table_->clearSelection();
}

void LookupDialog::choose_current() {
  auto rows = table_->selectionModel()->selectedRows();
  if (rows.isEmpty() || table_->isRowHidden(rows.front().row())) return;
  chosen_ = static_cast<std::size_t>(rows.front().row());
  accept();
}

std::optional<std::size_t> choose_from_list(const LookupList& list, const std::string& filter,
                                            const std::string& language, QWidget* parent) {
  LookupDialog dialog(list, filter, language, parent);
  dialog.exec();
  return dialog.chosen();
}

}  // namespace desktop
