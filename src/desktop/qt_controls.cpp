#include "desktop/qt_controls.hpp"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTableWidget>
#include <QTextCharFormat>
#include <QToolButton>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "desktop/lookup_dialog.hpp"
#include "desktop/qt_text.hpp"
#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "standin/code_lookup.hpp"

namespace desktop {

using runtime::Variant;

namespace {

// The widget that really takes the focus for `widget` (its deepest focus proxy).
QWidget* focus_target(QWidget* widget) {
  while (widget && widget->focusProxy()) widget = widget->focusProxy();
  return widget;
}

// The widget Tab (or Backtab) moves to from `from` in its window, as Qt chooses it.
QWidget* next_in_tab_order(QWidget* from, bool forward) {
  QWidget* window = from->window();
  for (QWidget* w = forward ? from->nextInFocusChain() : from->previousInFocusChain(); w && w != from;
       w = forward ? w->nextInFocusChain() : w->previousInFocusChain()) {
    if (w->window() == window && !w->focusProxy() && w->isEnabled() && w->isVisibleTo(window) &&
        (w->focusPolicy() & Qt::TabFocus))
      return w;
  }
  return nullptr;
}

// Watches a control's focus widget: focus changes and keys reach the control.
class FocusFilter : public QObject {
 public:
  FocusFilter(QtInput* input, QObject* parent) : QObject(parent), input_(input) {}
  void detach() { input_ = nullptr; }

  bool eventFilter(QObject*, QEvent* event) override {
    if (!input_) return false;
    switch (event->type()) {
      case QEvent::FocusIn:
        input_->focus_in();
        return false;
      case QEvent::FocusOut:
        input_->focus_out(static_cast<QFocusEvent*>(event)->reason());
        return false;
      case QEvent::KeyPress:
        return input_->key_pressed(static_cast<QKeyEvent*>(event)->key());
      default:
        return false;
    }
  }

 private:
  QtInput* input_;
};

}  // namespace

QDate to_qdate(const runtime::Date& date) {
  auto ymd = date.ymd();
  return QDate(static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
               static_cast<int>(static_cast<unsigned>(ymd.day())));
}

runtime::Date from_qdate(const QDate& date) {
  return runtime::Date::from_ymd(date.year(), static_cast<unsigned>(date.month()),
                                 static_cast<unsigned>(date.day()));
}

standin::InputModel* FormInput::model_of(QWidget* widget) const {
  auto it = by_widget.find(widget);
  return it == by_widget.end() ? nullptr : &it->second->input_model();
}

QtInput* FormInput::focused() const {
  if (!models->focused) return nullptr;
  auto it = by_model.find(models->focused);
  return it == by_model.end() ? nullptr : it->second;
}

// ---- QtInput

QtInput::QtInput(std::shared_ptr<standin::InputModel> model, std::shared_ptr<FormInput> window)
    : input_(std::move(model)), window_(std::move(window)) {
  window_->by_model[input_.get()] = this;
}

QtInput::~QtInput() {
  input_->set_view({});
  if (window_->leaving == this) window_->leaving = nullptr;
  std::erase_if(window_->by_widget, [this](const auto& entry) { return entry.second == this; });
  window_->by_model.erase(input_.get());
  if (filter_) static_cast<FocusFilter*>(filter_.data())->detach();
}

void QtInput::set_widgets(QWidget* widget, QWidget* focus_widget) {
  widget_ = widget;
  if (widget) widget->setObjectName(qs(name()));
  focus_widget_ = focus_target(focus_widget);
  if (focus_widget_) {
    auto* filter = new FocusFilter(this, focus_widget_);
    focus_widget_->installEventFilter(filter);
    filter_ = filter;
    window_->by_widget[focus_widget_] = this;
  }
  // The view follows its model from now on; the model's view calls hold no reference to the view.
  standin::ModelView view;
  view.refresh = [this] { refresh(); };
  view.focus = [this] { focus_quietly(); };
  input_->set_view(std::move(view));
  refresh();
}

void QtInput::refresh() {
  if (!widget_ || widget_->isEnabled() == input_->enabled()) return;
  // Switching off the field that has the focus moves the focus on: that is the code's move, not the
  // person's, and raises no validation.
  ++window_->code_moves;
  widget_->setEnabled(input_->enabled());
  --window_->code_moves;
}

void QtInput::focus_quietly() {
  if (!focus_widget_ || !focus_widget_->isEnabled()) return;
  ++window_->code_moves;
  focus_widget_->setFocus(Qt::OtherFocusReason);
  --window_->code_moves;
}

bool QtInput::click_into() {
  if (!input_->enabled() || !focus_widget_) return false;
  if (focused()) return true;
  // A move of the person: the field that has the focus raises its validation.
  focus_widget_->setFocus(Qt::OtherFocusReason);
  return focused();
}

void QtInput::focus_in() {
  // While a validation runs, the focus wanders (message boxes, lookups); the outcome decides.
  if (window_->leaving) return;
  window_->models->focused = input_.get();
}

void QtInput::focus_out(Qt::FocusReason reason) {
  auto& models = *window_->models;
  if (models.focused != input_.get() || window_->leaving) return;
  if (window_->code_moves > 0) {
    models.focused = nullptr;
    return;
  }
  // Another window becoming active (a message box, another program) is no move within the window.
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
      reason == Qt::MenuBarFocusReason || reason == Qt::NoFocusReason)
    return;
  auto keep = shared_from_this();
  // Where Tab goes before the validation runs; when the focus went there, Tab moved it.
  const bool tab = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
  const bool moved_by_tab =
      tab && focus_widget_ &&
      next_in_tab_order(focus_widget_, reason == Qt::TabFocusReason) == QApplication::focusWidget();
  window_->leaving = this;
  bool left = input_->leave();
  window_->leaving = nullptr;
  if (left) {
    // The field's handler put the focus somewhere.
    if (models.focused && models.focused != input_.get()) return;
    models.focused = window_->model_of(QApplication::focusWidget());
    // The validation may have switched on the fields that follow: Tab goes to the next one now.
    if (moved_by_tab && focus_widget_) {
      QWidget* next = next_in_tab_order(focus_widget_, reason == Qt::TabFocusReason);
      if (next && next != QApplication::focusWidget()) {
        ++window_->code_moves;
        next->setFocus(reason);
        --window_->code_moves;
        models.focused = window_->model_of(next);
      }
    }
    return;
  }
  // Refused: the focus goes back into the field (or wherever the field's handler put it), and the rest
  // of a click that tried to move it is not delivered.
  QtInput* target = window_->focused() && window_->focused() != this ? window_->focused() : this;
  models.focused = &target->input_model();
  if (session() && reason == Qt::MouseFocusReason) session()->swallow_click = true;
  if (target->focus_widget_) {
    ++window_->code_moves;
    target->focus_widget_->setFocus(Qt::OtherFocusReason);
    --window_->code_moves;
    models.focused = &target->input_model();
  }
}

// ---- Text controls

template <class Model>
QtTextControl<Model>::QtTextControl(std::shared_ptr<Model> model, std::shared_ptr<FormInput> window,
                                    QWidget* parent)
    : QtInput(model, std::move(window)), model_(std::move(model)) {
  edit_ = new QLineEdit(parent);
  edit_->setProperty("mandatory", model_->mandatory());
  QString tip = qs(input_model().shown_caption());
  if (model_->mandatory())
    tip += session() ? qs(session()->text(" (obbligatorio)", " (required)")) : QString();
  edit_->setToolTip(tip);
  edit_->setAccessibleName(qs(input_model().shown_caption()));
  // Every change of the person's goes to the model, which takes it, changes its case, or refuses it.
  QObject::connect(edit_, &QLineEdit::textEdited, edit_, [this](const QString& text) {
    auto keep = shared_from_this();
    model_->edit(text.toStdString());
  });
}

template <class Model>
void QtTextControl<Model>::refresh() {
  QtInput::refresh();
  if (!edit_) return;
  const bool blank = session() && session()->blank_field && session()->blank_field(*model_);
  edit_->setReadOnly(blank);
  // Its lookup and maintenance buttons with it.
  if (widget() && widget() != edit_)
    for (auto* button : widget()->findChildren<QToolButton*>()) button->setEnabled(!blank);
  QString text = blank ? QString() : qs(model_->Text());
  if (edit_->text() != text) {
    int cursor = edit_->cursorPosition();
    edit_->setText(text);
    edit_->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
  }
  if (model_->text_selected() && edit_->selectedText() != edit_->text()) edit_->selectAll();
}

template class QtTextControl<standin::CodeEditModel>;
template class QtTextControl<standin::DateEditModel>;
template class QtTextControl<standin::NumericEditModel>;

// ---- Code edit

QtCodeEdit::QtCodeEdit(std::shared_ptr<standin::CodeEditModel> model, std::shared_ptr<FormInput> window,
                       QWidget* parent)
    : QtTextControl(std::move(model), std::move(window), parent) {
  this->model()->set_lookup_chooser([this](standin::CodeEditModel& m, const standin::LookupRequest& request) {
    return choose(m, request);
  });
  const bool lookup = setting_bool("lookup", false);
  const bool maintenance = setting_bool("isgestione", false);
  if (!lookup && !maintenance) {
    set_widgets(line_edit(), line_edit());
    return;
  }
  auto* box = new QWidget(parent);
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  line_edit()->setParent(box);
  layout->addWidget(line_edit(), 1);
  auto* s = session();
  if (lookup) {
    lookup_button_ = new QToolButton(box);
    lookup_button_->setObjectName(qs(name() + "_LOOKUP"));
    lookup_button_->setText("...");
    lookup_button_->setToolTip(s ? qs(s->text("Ricerca (F4)", "Search (F4)")) : QString());
    lookup_button_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(lookup_button_);
    QObject::connect(lookup_button_, &QToolButton::clicked, lookup_button_, [this] { lookup_clicked(); });
  }
  if (maintenance) {
    key_button_ = new QToolButton(box);
    key_button_->setObjectName(qs(name() + "_KEY"));
    // Named by what it does: it opens the maintenance of the code's table.
    key_button_->setText(s ? qs(s->text("Gestisci…", "Manage…")) : QString("G"));
    key_button_->setToolTip(s ? qs(s->text("Gestione dei codici", "Maintenance of the codes")) : QString());
    key_button_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(key_button_);
    QObject::connect(key_button_, &QToolButton::clicked, key_button_,
                     [this] { this->model()->press_key(Variant("Kgestione")); });
  }
  box->setFocusProxy(line_edit());
  set_widgets(box, line_edit());
  line_edit()->setObjectName(qs(name()));
  box->setObjectName(qs(name() + "_BOX"));
}

bool QtCodeEdit::key_pressed(int key) {
  if (key != Qt::Key_F4 || !lookup_button_) return false;
  lookup_clicked();
  return true;
}

void QtCodeEdit::lookup_clicked() {
  // A field that shows no row takes no code from the list either.
  if (line_edit() && line_edit()->isReadOnly()) return;
  auto keep = shared_from_this();
  if (!click_into()) return;
  model()->OpenLookup();
}

Variant QtCodeEdit::choose(standin::CodeEditModel& m, const standin::LookupRequest& request) {
  LookupList list;
  try {
    list.rows = standin::run_lookup(request);
  } catch (const runtime::Error& e) {
    if (session())
      session()->notice(session()->text("Ricerca non riuscita: ", "The search failed: ") + e.description(),
                        input_model().shown_caption());
    return Variant();
  }
  list.title =
      runtime::is_blank(request.value_b)
          ? input_model().shown_caption()
          : (session() ? session()->caption(request.value_b.to_string()) : request.value_b.to_string());
  Variant setting = m.LookupSetting();
  if (setting.type() == runtime::VarType::String) {
    std::string captions = setting.to_string();
    std::size_t start = 0;
    while (start <= captions.size()) {
      std::size_t bar = captions.find('|', start);
      if (bar == std::string::npos) bar = captions.size();
      std::string caption = captions.substr(start, bar - start);
      list.captions.push_back(session() ? session()->caption(caption) : caption);
      start = bar + 1;
    }
  }
  QWidget* parent = line_edit() ? line_edit()->window() : nullptr;
  auto chosen =
      choose_from_list(list, runtime::trim(m.Text()), session() ? session()->language : "it", parent);
  // The window of the field becomes active again, as the window manager does when a dialog closes.
  if (parent) parent->activateWindow();
  Variant row;
  if (chosen) {
    const auto& values = list.rows[*chosen];
    m.set_Text(values.empty() || runtime::is_blank(values[0]) ? "" : runtime::rtrim(values[0].to_string()));
    m.set_decode_ok(true);
    row = standin::lookup_row(values);
  }
  if (focused()) focus_quietly();
  return row;
}

// ---- Date edit, numeric edit

QtDateEdit::QtDateEdit(std::shared_ptr<standin::DateEditModel> model, std::shared_ptr<FormInput> window,
                       QWidget* parent)
    : QtTextControl(std::move(model), std::move(window), parent) {
  if (this->model()->enabled()) line_edit()->setPlaceholderText(qs(runtime::short_date_form()));
  set_widgets(line_edit(), line_edit());
}

QtNumericEdit::QtNumericEdit(std::shared_ptr<standin::NumericEditModel> model,
                             std::shared_ptr<FormInput> window, QWidget* parent)
    : QtTextControl(std::move(model), std::move(window), parent) {
  line_edit()->setAlignment(Qt::AlignRight);
  set_widgets(line_edit(), line_edit());
}

// ---- Combo

QtCombo::QtCombo(std::shared_ptr<standin::ComboModel> model, std::shared_ptr<FormInput> window,
                 QWidget* parent)
    : QtInput(model, std::move(window)), model_(std::move(model)) {
  combo_ = new QComboBox(parent);
  combo_->setToolTip(qs(input_model().shown_caption()));
  combo_->setProperty("mandatory", setting_bool("obbligatorio", false));
  combo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  QObject::connect(combo_, &QComboBox::activated, combo_, [this](int index) {
    if (by_code_) return;
    auto keep = shared_from_this();
    if (!model_->choose(index)) refresh();
  });
  set_widgets(combo_, combo_);
}

void QtCombo::refresh() {
  QtInput::refresh();
  if (!combo_) return;
  by_code_ = true;
  QStringList items;
  for (std::int32_t i = 0; i < model_->ListCount(); ++i)
    items << qs(session() ? session()->caption(model_->ItemText(i)) : model_->ItemText(i));
  QStringList shown;
  for (int i = 0; i < combo_->count(); ++i) shown << combo_->itemText(i);
  if (items != shown) {
    combo_->clear();
    combo_->addItems(items);
  }
  combo_->setCurrentIndex(model_->ListIndex());
  by_code_ = false;
}

// ---- Calendar

QtCalendar::QtCalendar(std::shared_ptr<standin::CalendarModel> model, std::shared_ptr<FormInput> window,
                       QWidget* parent)
    : QtInput(model, std::move(window)), model_(std::move(model)) {
  calendar_ = new QCalendarWidget(parent);
  calendar_->setGridVisible(true);
  calendar_->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
  if (session())
    calendar_->setLocale(QLocale(session()->language == "en" ? QLocale::English : QLocale::Italian));
  QObject::connect(calendar_, &QCalendarWidget::selectionChanged, calendar_, [this] {
    if (by_code_ || !calendar_) return;
    auto keep = shared_from_this();
    if ((session() && session()->leave_row && !session()->leave_row()) ||
        !model_->choose(from_qdate(calendar_->selectedDate())))
      refresh();
    else if (session() && session()->row_left)
      session()->row_left();
  });
  QObject::connect(calendar_, &QCalendarWidget::currentPageChanged, calendar_,
                   [this](int, int) { mark_planned_days(); });
  QWidget* view = calendar_->focusProxy() ? calendar_->focusProxy() : calendar_->findChild<QTableView*>();
  set_widgets(calendar_, view ? view : calendar_);
}

void QtCalendar::mark_planned_days() {
  if (!calendar_) return;
  std::vector<MonthMark> marks;
  if (session() && session()->month_marks) {
    marks = session()->month_marks(calendar_->yearShown(), calendar_->monthShown());
  } else {
    for (const auto& d :
         model_->planned_days(calendar_->yearShown(), static_cast<unsigned>(calendar_->monthShown())))
      marks.push_back({to_qdate(d), true, {}});
  }
  QString key;
  for (const auto& m : marks) key += m.day.toString(Qt::ISODate) + (m.of_activity ? "A" : "O") + m.tip + "|";
  key += QString::number(calendar_->yearShown() * 100 + calendar_->monthShown());
  if (key == marks_shown_) return;
  marks_shown_ = key;
  for (const auto& d : marked_) calendar_->setDateTextFormat(d, QTextCharFormat());
  marked_.clear();
  for (const auto& m : marks) {
    QTextCharFormat format;
    if (m.of_activity) {
      format.setFontWeight(QFont::Bold);
      format.setFontUnderline(true);
    } else {
      format.setFontItalic(true);
      format.setForeground(QColor(0x60, 0x60, 0x90));
    }
    format.setToolTip(m.tip);
    calendar_->setDateTextFormat(m.day, format);
    marked_.push_back(m.day);
  }
}

void QtCalendar::refresh() {
  QtInput::refresh();
  if (!calendar_) return;
  by_code_ = true;
  // 1 is Sunday in the control's numbering, Qt counts from Monday.
  std::int32_t first = model_->first_day_of_week();
  calendar_->setFirstDayOfWeek(static_cast<Qt::DayOfWeek>(first <= 1 || first > 7 ? Qt::Sunday : first - 1));
  if (!runtime::is_blank(model_->Value())) calendar_->setSelectedDate(to_qdate(model_->Value().to_date()));
  by_code_ = false;
  mark_planned_days();
}

// ---- Toolbar button, label, frame

QtToolbarButton::QtToolbarButton(std::shared_ptr<standin::ToolbarButtonModel> model,
                                 std::shared_ptr<FormInput> window, QWidget* parent)
    : QtInput(model, std::move(window)), model_(std::move(model)) {
  button_ = new QToolButton(parent);
  button_->setText(qs(input_model().shown_caption()));
  button_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button_->setFocusPolicy(Qt::NoFocus);
  QObject::connect(button_, &QToolButton::clicked, button_, [this] {
    auto keep = shared_from_this();
    model_->click();
  });
  set_widgets(button_, nullptr);
}

QtLabel::QtLabel(std::shared_ptr<standin::LabelModel> model, std::shared_ptr<FormInput> window,
                 QWidget* parent)
    : QtInput(model, std::move(window)), model_(std::move(model)) {
  label_ = new QLabel(shown(), parent);
  set_widgets(label_, nullptr);
}

QString QtLabel::shown() const {
  return qs(session() ? session()->caption(model_->Caption()) : model_->Caption());
}

void QtLabel::refresh() {
  QtInput::refresh();
  if (label_ && label_->text() != shown()) label_->setText(shown());
}

QtFrameControl::QtFrameControl(std::shared_ptr<standin::FrameModel> model, std::shared_ptr<FormInput> window,
                               QWidget* parent)
    : QtInput(std::move(model), std::move(window)) {
  auto* frame = new QFrame(parent);
  frame->setFrameShape(QFrame::StyledPanel);
  set_widgets(frame, nullptr);
}

// ---- Grid

QtGrid::QtGrid(std::shared_ptr<standin::GridModel> model, std::shared_ptr<FormInput> window, QWidget* parent)
    : QtInput(model, std::move(window)), model_(std::move(model)) {
  table_ = new QTableWidget(parent);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  // The columns keep their widths; the spare room stays empty rather than widening the last one.
  table_->horizontalHeader()->setStretchLastSection(false);
  // Reached by a click, not by Tab: tabbing through the fields must not move the current row.
  table_->setFocusPolicy(Qt::ClickFocus);
  QObject::connect(table_, &QTableWidget::currentCellChanged, table_,
                   [this](int row, int, int previous, int) {
                     if (by_code_ || row == previous) return;
                     auto keep = shared_from_this();
                     if (!session() || !session()->leave_row || session()->leave_row()) {
                       model_->select_row(row);
                       if (session() && session()->row_left) session()->row_left();
                     }
                     mark_current();
                   });
  set_widgets(table_, table_);
}

void QtGrid::refresh() {
  QtInput::refresh();
  auto rs = model_->AttachedRecordset();
  if (!rs || rs->State() != host::kAdStateOpen) {
    rows_.clear();
  } else if (!rs->EditPending()) {
    try {
      rows_ = model_->shown_rows();
    } catch (const runtime::Error&) {
      // A lookup that cannot run leaves the lines as they were.
    }
  }
  if (!table_) return;
  by_code_ = true;
  const auto& columns = model_->columns();
  if (table_->columnCount() != static_cast<int>(columns.size())) {
    table_->setColumnCount(static_cast<int>(columns.size()));
    QStringList headers;
    for (const auto& c : model_->shown_captions()) headers << qs(c);
    table_->setHorizontalHeaderLabels(headers);
    // Widths are in twips, 15 to a pixel in the original's font, where a date took 60 pixels.
    const double scale = table_->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) / 60.0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      int index = static_cast<int>(i);
      // At least as wide as its caption and a date, so that neither is cut.
      const int caption = table_->fontMetrics().horizontalAdvance(headers[index]) + 16;
      const int date = table_->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 12;
      const int width = static_cast<int>(columns[i].width / 15 * scale);
      table_->setColumnWidth(index, std::max({40, width, caption, columns[i].width >= 1000 ? date : 0}));
      table_->setColumnHidden(index, !columns[i].visible);
    }
  }
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    for (std::size_t c = 0; c < rows_[r].size(); ++c) {
      auto* item = new QTableWidgetItem(qs(rows_[r][c]));
      table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  by_code_ = false;
  mark_current();
}

void QtGrid::mark_current() {
  if (!table_) return;
  by_code_ = true;
  auto rs = model_->AttachedRecordset();
  bool current = rs && rs->State() == host::kAdStateOpen && !rs->Eof() && !rs->Bof() && !rs->IsNewRow();
  int line = current ? rs->AbsolutePosition() : -1;
  if (line >= 0 && line < table_->rowCount()) {
    table_->setCurrentCell(line, 0);
    table_->selectRow(line);
  } else {
    table_->setCurrentCell(-1, -1);
    table_->clearSelection();
  }
  by_code_ = false;
}

// ---- Construction

std::shared_ptr<QtInput> make_qt_view(const std::shared_ptr<host::Control>& model,
                                      std::shared_ptr<FormInput> window, QWidget* parent) {
  if (auto m = std::dynamic_pointer_cast<standin::CodeEditModel>(model))
    return std::make_shared<QtCodeEdit>(m, std::move(window), parent);
  if (auto m = std::dynamic_pointer_cast<standin::DateEditModel>(model))
    return std::make_shared<QtDateEdit>(m, std::move(window), parent);
  if (auto m = std::dynamic_pointer_cast<standin::NumericEditModel>(model))
    return std::make_shared<QtNumericEdit>(m, std::move(window), parent);
  if (auto m = std::dynamic_pointer_cast<standin::ComboModel>(model))
    return std::make_shared<QtCombo>(m, std::move(window), parent);
  if (auto m = std::dynamic_pointer_cast<standin::CalendarModel>(model))
    return std::make_shared<QtCalendar>(m, std::move(window), parent);
  if (auto m = std::dynamic_pointer_cast<standin::ToolbarButtonModel>(model))
    return std::make_shared<QtToolbarButton>(m, std::move(window), parent);
  if (auto m = std::dynamic_pointer_cast<standin::LabelModel>(model))
    return std::make_shared<QtLabel>(m, std::move(window), parent);
  if (auto m = std::dynamic_pointer_cast<standin::GridModel>(model))
    return std::make_shared<QtGrid>(m, std::move(window), parent);
  if (auto m = std::dynamic_pointer_cast<standin::FrameModel>(model))
    return std::make_shared<QtFrameControl>(m, std::move(window), parent);
  return nullptr;
}

}  // namespace desktop
