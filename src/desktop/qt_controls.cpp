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
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "desktop/lookup_dialog.hpp"
#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "standin/code_lookup.hpp"

namespace desktop {

using runtime::Variant;

namespace {

constexpr std::int32_t kInvalidPropertyValue = 380;
constexpr std::int32_t kInvalidArrayIndex = 381;

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

// Raises an event slot on a copy of its handler.
template <class Slot, class... Args>
void raise(const Slot& slot, Args&&... args) {
  if (!slot) return;
  Slot handler = slot;
  handler(std::forward<Args>(args)...);
}

// A whole number written with an optional sign and digits; blanks around.
std::optional<double> whole_number(const std::string& text) {
  std::string s = runtime::trim(text);
  std::size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  if (i == s.size()) return std::nullopt;
  for (std::size_t k = i; k < s.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(s[k]))) return std::nullopt;
  return std::strtod(s.c_str(), nullptr);
}

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

// Typed text becomes upper case.
class UpperCase : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    input = input.toUpper();
    return Acceptable;
  }
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

QtInput* FormInput::control_of(QWidget* widget) const {
  auto it = by_widget.find(widget);
  return it == by_widget.end() ? nullptr : it->second;
}

// ---- QtInput

QtInput::QtInput(host::ControlDesign design, std::shared_ptr<FormInput> window)
    : design_(std::move(design)), window_(std::move(window)) {
  enabled_ = setting_bool("enabled", true);
}

QtInput::~QtInput() {
  if (window_->focused == this) window_->focused = nullptr;
  if (window_->leaving == this) window_->leaving = nullptr;
  std::erase_if(window_->by_widget, [this](const auto& entry) { return entry.second == this; });
  if (filter_) static_cast<FocusFilter*>(filter_.data())->detach();
}

Variant QtInput::setting(const std::string& key) const {
  auto it = design_.settings.find(key);
  return it == design_.settings.end() ? Variant() : it->second;
}

bool QtInput::setting_bool(const char* key, bool fallback) const {
  Variant v = setting(key);
  return v.is_empty() || v.is_null() ? fallback : v.to_bool();
}

std::optional<double> QtInput::setting_number(const char* key) const {
  Variant v = setting(key);
  if (v.is_empty() || v.is_null()) return std::nullopt;
  return v.to_double();
}

void QtInput::set_widgets(QWidget* widget, QWidget* focus_widget) {
  widget_ = widget;
  if (widget) {
    widget->setObjectName(qs(name()));
    widget->setEnabled(enabled_);
  }
  focus_widget_ = focus_target(focus_widget);
  if (focus_widget_) {
    auto* filter = new FocusFilter(this, focus_widget_);
    focus_widget_->installEventFilter(filter);
    filter_ = filter;
    window_->by_widget[focus_widget_] = this;
  }
}

void QtInput::set_enabled(bool value) {
  enabled_ = value;
  if (!widget_) return;
  // Switching off the field that has the focus moves the focus on: that is the code's move, not the
  // person's, and raises no validation.
  ++window_->code_moves;
  widget_->setEnabled(value);
  --window_->code_moves;
}

void QtInput::focus_from_code() {
  window_->focused = this;
  if (!focus_widget_ || !focus_widget_->isEnabled()) return;
  ++window_->code_moves;
  focus_widget_->setFocus(Qt::OtherFocusReason);
  --window_->code_moves;
}

bool QtInput::click_into() {
  if (!enabled_ || !focus_widget_) return false;
  if (focused()) return true;
  // A move of the person: the field that has the focus raises its validation.
  focus_widget_->setFocus(Qt::OtherFocusReason);
  return focused();
}

void QtInput::focus_in() {
  // While a validation runs, the focus wanders (message boxes, lookups); the outcome decides.
  if (window_->leaving) return;
  window_->focused = this;
}

void QtInput::focus_out(Qt::FocusReason reason) {
  if (window_->focused != this || window_->leaving) return;
  if (window_->code_moves > 0) {
    window_->focused = nullptr;
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
  bool left = leave();
  window_->leaving = nullptr;
  if (left) {
    if (window_->focused != this) return;  // the field's handler put the focus somewhere
    window_->focused = window_->control_of(QApplication::focusWidget());
    // The validation may have switched on the fields that follow: Tab goes to the next one now.
    if (moved_by_tab && focus_widget_) {
      QWidget* next = next_in_tab_order(focus_widget_, reason == Qt::TabFocusReason);
      if (next && next != QApplication::focusWidget()) {
        ++window_->code_moves;
        next->setFocus(reason);
        --window_->code_moves;
        window_->focused = window_->control_of(next);
      }
    }
    return;
  }
  // Refused: the focus goes back into the field (or wherever the field's handler put it), and the rest
  // of a click that tried to move it is not delivered.
  QtInput* target = window_->focused && window_->focused != this ? window_->focused : this;
  window_->focused = target;
  if (session() && reason == Qt::MouseFocusReason) session()->swallow_click = true;
  if (target->focus_widget_) {
    ++window_->code_moves;
    target->focus_widget_->setFocus(Qt::OtherFocusReason);
    --window_->code_moves;
    window_->focused = target;
  }
}

bool QtInput::validate(const std::function<void(bool&)>& slot) {
  bool cancel = false;
  raise(slot, cancel);
  return !cancel;
}

void QtInput::notice(const std::string& text) const {
  if (session() && session()->notice) session()->notice(text, design_.caption);
}

// ---- Text controls

template <class Interface>
QtTextControl<Interface>::QtTextControl(host::ControlDesign design, std::shared_ptr<FormInput> window,
                                        QWidget* parent)
    : QtControl<Interface>(std::move(design), std::move(window)) {
  if (auto max = this->setting_number("maxchar"); max && *max > 0)
    max_chars_ = static_cast<std::size_t>(*max);
  Variant text_case = this->setting("case");
  upper_case_ =
      text_case.type() == runtime::VarType::String && runtime::upper(text_case.to_string()) == "MAIUSCOLO";
  mandatory_ = this->setting_bool("obbligatorio", false);

  edit_ = new QLineEdit(parent);
  if (max_chars_ > 0) edit_->setMaxLength(static_cast<int>(max_chars_));
  if (upper_case_) edit_->setValidator(new UpperCase(edit_));
  edit_->setProperty("mandatory", mandatory_);
  QString tip = qs(this->design().caption);
  if (mandatory_)
    tip += this->session() ? qs(this->session()->text(" (obbligatorio)", " (required)")) : QString();
  edit_->setToolTip(tip);
  edit_->setAccessibleName(qs(this->design().caption));
  QObject::connect(edit_, &QLineEdit::textEdited, edit_, [this](const QString& text) {
    text_ = text.toStdString();
    auto keep = this->shared_from_this();
    typed();
  });
}

template <class Interface>
std::string QtTextControl<Interface>::Text() const {
  return edit_ ? edit_->text().toStdString() : text_;
}

template <class Interface>
void QtTextControl<Interface>::set_Text(const std::string& value) {
  text_ = value;
  if (edit_) edit_->setText(qs(value));
  text_set_by_code();
}

template <class Interface>
void QtTextControl<Interface>::SelectText() {
  if (edit_) edit_->selectAll();
}

template class QtTextControl<host::CodeEdit>;
template class QtTextControl<host::DateEdit>;
template class QtTextControl<host::NumericEdit>;

// ---- Code edit

QtCodeEdit::QtCodeEdit(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent)
    : QtTextControl(std::move(design), std::move(window), parent) {
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
    key_button_->setText("G");
    key_button_->setToolTip(s ? qs(s->text("Gestione", "Maintenance")) : QString());
    key_button_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(key_button_);
    QObject::connect(key_button_, &QToolButton::clicked, key_button_,
                     [this] { press_key(Variant("Kgestione")); });
  }
  box->setFocusProxy(line_edit());
  set_widgets(box, line_edit());
  line_edit()->setObjectName(qs(name()));
  box->setObjectName(qs(name() + "_BOX"));
}

void QtCodeEdit::typed() {
  modified_ = true;
  decode_ok_ = false;
  decode_pending_ = true;
  Variant unused;
  raise(TextChange, unused);
  raise(CodeChange);
}

bool QtCodeEdit::key_pressed(int key) {
  if (key != Qt::Key_F4 || !lookup_button_) return false;
  lookup_clicked();
  return true;
}

void QtCodeEdit::lookup_clicked() {
  auto keep = shared_from_this();
  if (!click_into()) return;
  OpenLookup();
}

void QtCodeEdit::OpenLookup() {
  auto keep = shared_from_this();
  standin::LookupRequest request;
  bool cancel = false;
  raise(StartLookup, cancel, request.text_a, request.value_b, request.text_c, request.connection);
  if (cancel) return;
  LookupList list;
  try {
    list.rows = standin::run_lookup(request);
  } catch (const runtime::Error& e) {
    notice((session() ? session()->text("Ricerca non riuscita: ", "The search failed: ") : std::string()) +
           e.description());
    return;
  }
  list.title = runtime::is_blank(request.value_b) ? design().caption : request.value_b.to_string();
  if (lookup_setting_.type() == runtime::VarType::String) {
    std::string captions = lookup_setting_.to_string();
    std::size_t start = 0;
    while (start <= captions.size()) {
      std::size_t bar = captions.find('|', start);
      if (bar == std::string::npos) bar = captions.size();
      list.captions.push_back(captions.substr(start, bar - start));
      start = bar + 1;
    }
  }
  QWidget* parent = line_edit() ? line_edit()->window() : nullptr;
  auto chosen = choose_from_list(list, runtime::trim(Text()), session() ? session()->language : "it", parent);
  // The window of the field becomes active again, as the window manager does when a dialog closes.
  if (parent) parent->activateWindow();
  Variant row;
  if (chosen) {
    const auto& values = list.rows[*chosen];
    std::string code =
        values.empty() || runtime::is_blank(values[0]) ? "" : runtime::rtrim(values[0].to_string());
    set_Text(code);
    decode_ok_ = true;
    decode_pending_ = false;
    row = standin::lookup_row(values);
  }
  if (line_edit() && focused()) {
    ++window().code_moves;
    line_edit()->setFocus(Qt::OtherFocusReason);
    --window().code_moves;
  }
  raise(CloseLookup, row);
}

bool QtCodeEdit::IsValid() {
  return !(mandatory() && runtime::trim(Text()).empty());
}

void QtCodeEdit::decode() {
  auto keep = shared_from_this();
  decode_pending_ = false;
  auto result =
      standin::decode_code_field(Text(), [this](Variant& first, std::string& a, Variant& b, std::string& c) {
        raise(StartDecode, first, a, b, c);
      });
  decode_ok_ = result && result->found;
  if (!result || decode_ok_ || !session()) return;
  notice(result->failure.empty()
             ? session()->text("Codice inesistente: ", "No such code: ") + Text()
             : session()->text("Decodifica non riuscita: ", "The decode failed: ") + result->failure);
}

bool QtCodeEdit::leave() {
  auto keep = shared_from_this();
  if (decode_pending_ && setting("decode").type() == runtime::VarType::Boolean && setting("decode").to_bool())
    decode();
  return validate(Validate) && validate(PostValidate);
}

void QtCodeEdit::press_key(const Variant& key) {
  auto keep = shared_from_this();
  if (!enabled()) return;
  Variant first;
  raise(KeyButtonMenuPress, first, key);
}

// ---- Date edit

QtDateEdit::QtDateEdit(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent)
    : QtTextControl(std::move(design), std::move(window), parent) {
  line_edit()->setMaxLength(10);
  line_edit()->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9/.\\-]*"), line_edit()));
  if (enabled()) line_edit()->setPlaceholderText(qs(runtime::short_date_form()));
  set_widgets(line_edit(), line_edit());
}

bool QtDateEdit::IsDateValid() const {
  return runtime::parse_date(Text()).has_value();
}

bool QtDateEdit::IsValid() {
  if (runtime::trim(Text()).empty()) return !mandatory();
  return IsDateValid();
}

bool QtDateEdit::leave() {
  auto keep = shared_from_this();
  std::string text = runtime::trim(Text());
  if (!text.empty()) {
    auto date = runtime::parse_date(text);
    if (!date) {
      notice((session() ? session()->text("Data non valida: ", "Not a valid date: ") : std::string()) + text);
      return false;
    }
    std::string shown = runtime::date_text(*date);
    if (shown != Text() && line_edit()) line_edit()->setText(qs(shown));
  }
  return validate(Validate);
}

// ---- Numeric edit

QtNumericEdit::QtNumericEdit(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent)
    : QtTextControl(std::move(design), std::move(window), parent) {
  min_ = setting_number("min").value_or(-2147483648.0);
  max_ = setting_number("max").value_or(2147483647.0);
  QString pattern = min_ < 0 ? "[+-]?[0-9]*" : "[0-9]*";
  line_edit()->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), line_edit()));
  line_edit()->setAlignment(Qt::AlignRight);
  set_widgets(line_edit(), line_edit());
}

bool QtNumericEdit::IsValid() {
  if (runtime::trim(Text()).empty()) return !mandatory();
  auto n = whole_number(Text());
  return n && *n >= min_ && *n <= max_;
}

bool QtNumericEdit::leave() {
  auto keep = shared_from_this();
  if (!runtime::trim(Text()).empty() && !IsValid()) {
    if (session())
      notice(session()->text("Valore ammesso da ", "Allowed values: from ") + runtime::number_text(min_) +
             session()->text(" a ", " to ") + runtime::number_text(max_));
    return false;
  }
  return validate(Validate);
}

// ---- Combo

QtCombo::QtCombo(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent)
    : QtControl(std::move(design), std::move(window)) {
  sorted_ = setting_bool("sorted", false);
  combo_ = new QComboBox(parent);
  combo_->setToolTip(qs(this->design().caption));
  combo_->setProperty("mandatory", setting_bool("obbligatorio", false));
  combo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  QObject::connect(combo_, &QComboBox::activated, combo_, [this](int index) {
    if (!by_code_) list_index_ = index;
  });
  set_widgets(combo_, combo_);
}

void QtCombo::show_items() {
  if (!combo_) return;
  by_code_ = true;
  combo_->clear();
  for (const auto& item : items_) combo_->addItem(qs(item));
  combo_->setCurrentIndex(list_index_);
  by_code_ = false;
}

void QtCombo::Clear() {
  items_.clear();
  list_index_ = -1;
  show_items();
}

void QtCombo::AddItem(const std::string& text) {
  if (!sorted_) {
    items_.push_back(text);
  } else {
    auto before = [](const std::string& a, const std::string& b) {
      return runtime::upper(a) < runtime::upper(b);
    };
    auto at = std::upper_bound(items_.begin(), items_.end(), text, before);
    auto position = static_cast<std::int32_t>(at - items_.begin());
    items_.insert(at, text);
    if (list_index_ >= position) ++list_index_;
  }
  show_items();
}

void QtCombo::set_ListIndex(std::int32_t position) {
  if (position < -1 || position >= ListCount())
    throw runtime::Error(kInvalidPropertyValue, "Invalid property value", name());
  list_index_ = position;
  if (!combo_) return;
  by_code_ = true;
  combo_->setCurrentIndex(position);
  by_code_ = false;
}

std::string QtCombo::ItemText(std::int32_t position) const {
  if (position < 0 || position >= ListCount())
    throw runtime::Error(kInvalidArrayIndex, "Invalid property array index", name());
  return items_[static_cast<std::size_t>(position)];
}

std::string QtCombo::Value() const {
  return list_index_ < 0 ? std::string() : std::to_string(list_index_);
}

// ---- Calendar

QtCalendar::QtCalendar(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent)
    : QtControl(std::move(design), std::move(window)) {
  calendar_ = new QCalendarWidget(parent);
  calendar_->setGridVisible(true);
  calendar_->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
  if (session())
    calendar_->setLocale(QLocale(session()->language == "en" ? QLocale::English : QLocale::Italian));
  set_FirstDayOfWeek(
      setting_number("firstdayofweek") ? runtime::round_to_long(*setting_number("firstdayofweek")) : 1);
  QObject::connect(calendar_, &QCalendarWidget::selectionChanged, calendar_, [this] { chosen(); });
  QWidget* view = calendar_->focusProxy() ? calendar_->focusProxy() : calendar_->findChild<QTableView*>();
  set_widgets(calendar_, view ? view : calendar_);
}

int QtCalendar::first_day_of_week() const {
  return calendar_ ? calendar_->firstDayOfWeek() : Qt::Monday;
}

void QtCalendar::set_FirstDayOfWeek(std::int32_t value) {
  if (!calendar_) return;
  // 1 is Sunday in the control's numbering, Qt counts from Monday.
  int day = value <= 1 || value > 7 ? Qt::Sunday : value - 1;
  calendar_->setFirstDayOfWeek(static_cast<Qt::DayOfWeek>(day));
}

void QtCalendar::set_Value(const Variant& value) {
  value_ = value;
  if (!calendar_ || runtime::is_blank(value)) return;
  by_code_ = true;
  calendar_->setSelectedDate(to_qdate(value.to_date()));
  by_code_ = false;
}

void QtCalendar::chosen() {
  if (by_code_ || !calendar_) return;
  auto keep = shared_from_this();
  Variant previous = value_;
  value_ = Variant(from_qdate(calendar_->selectedDate()));
  Variant day = value_;
  raise(DateChange, previous, day);
}

// ---- Toolbar button, label, frame, resize, MDI container

QtToolbarButton::QtToolbarButton(host::ControlDesign design, std::shared_ptr<FormInput> window,
                                 QWidget* parent)
    : QtControl(std::move(design), std::move(window)) {
  button_ = new QToolButton(parent);
  button_->setText(qs(this->design().caption));
  button_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button_->setFocusPolicy(Qt::NoFocus);
  QObject::connect(button_, &QToolButton::clicked, button_, [this] {
    if (!enabled()) return;
    auto keep = shared_from_this();
    raise(ButtonClick);
  });
  set_widgets(button_, nullptr);
}

QtLabel::QtLabel(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent)
    : QtControl(std::move(design), std::move(window)), caption_(this->design().caption) {
  label_ = new QLabel(qs(caption_), parent);
  set_widgets(label_, nullptr);
}

void QtLabel::set_Caption(const std::string& value) {
  caption_ = value;
  if (label_) label_->setText(qs(value));
}

QtFrameControl::QtFrameControl(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent)
    : QtControl(std::move(design), std::move(window)) {
  auto* frame = new QFrame(parent);
  frame->setFrameShape(QFrame::StyledPanel);
  set_widgets(frame, nullptr);
}

void QtResizeControl::resized() {
  auto keep = shared_from_this();
  raise(Resize);
}

void QtResizeControl::Place(const std::shared_ptr<host::Control>& control, std::int32_t) {
  if (!control) throw runtime::Error(runtime::err::kObjectRequired, "Object required", name());
}

void QtMdiContainer::form_loaded() {
  auto keep = shared_from_this();
  raise(FormLoad);
}

void QtMdiContainer::Initialize(std::int32_t&, std::int32_t&, std::int32_t width, std::int32_t height) {
  // Twips, 15 to a pixel.
  requested_ = QSize(width / 15, height / 15);
}

// ---- Grid

QtGrid::QtGrid(host::ControlDesign design, std::shared_ptr<FormInput> window, QWidget* parent)
    : QtControl(std::move(design), std::move(window)) {
  table_ = new QTableWidget(parent);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setStretchLastSection(true);
  // Reached by a click, not by Tab: tabbing through the fields must not move the current row.
  table_->setFocusPolicy(Qt::ClickFocus);
  QObject::connect(table_, &QTableWidget::currentCellChanged, table_,
                   [this](int row, int, int previous, int) {
                     if (!by_code_ && row != previous) row_chosen(row);
                   });
  set_widgets(table_, table_);
}

const QtGridColumn* QtGrid::column(const std::string& field) const {
  std::string key = runtime::upper(field);
  auto it = std::find_if(columns_.begin(), columns_.end(),
                         [&](const QtGridColumn& c) { return runtime::upper(c.field) == key; });
  return it == columns_.end() ? nullptr : &*it;
}

std::vector<std::string> QtGrid::captions() const {
  std::vector<std::string> out;
  for (const auto& c : columns_) out.push_back(c.caption);
  return out;
}

void QtGrid::BeginDefinition() {
  columns_.clear();
  lookups_.clear();
}

void QtGrid::AddLookupColumn(const std::string& field, const std::string& lookup_query,
                             const std::string& caption, std::int32_t width, bool visible) {
  if (lookup_query.empty())
    throw runtime::Error(runtime::err::kInvalidArgument, "Lookup column without a query: " + field, name());
  if (column(field))
    throw runtime::Error(runtime::err::kInvalidArgument, "Column already in the grid: " + field, name());
  columns_.push_back(QtGridColumn{field, caption, lookup_query, width, visible});
}

void QtGrid::AddColumn(const std::string& field, const std::string& caption, std::int32_t, std::int32_t width,
                       bool visible) {
  if (column(field))
    throw runtime::Error(runtime::err::kInvalidArgument, "Column already in the grid: " + field, name());
  columns_.push_back(QtGridColumn{field, caption, "", width, visible});
}

void QtGrid::EndColumns() {
  if (!table_) return;
  table_->setColumnCount(static_cast<int>(columns_.size()));
  QStringList headers;
  for (const auto& c : columns_) headers << qs(c.caption);
  table_->setHorizontalHeaderLabels(headers);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    int index = static_cast<int>(i);
    // Widths are in twips, 15 to a pixel in the original's font, where a date took 60 pixels.
    const double scale = table_->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) / 60.0;
    table_->setColumnWidth(index, std::max(40, static_cast<int>(columns_[i].width / 15 * scale)));
    table_->setColumnHidden(index, !columns_[i].visible);
  }
}

bool QtGrid::has_current_row() const {
  return attached_ && attached_->State() == host::kAdStateOpen && !attached_->Eof() && !attached_->Bof();
}

void QtGrid::raise_row_change() {
  auto keep = shared_from_this();
  raise(RowChange);
}

void QtGrid::AttachRecordset(std::shared_ptr<host::Recordset> value) {
  attached_ = std::move(value);
  lookups_.clear();
  refresh();
  if (attached_) raise_row_change();
}

void QtGrid::DetachRecordset() {
  attached_.reset();
  lookups_.clear();
  refresh();
}

void QtGrid::Reset() {
  DetachRecordset();
}

void QtGrid::Close() {
  DetachRecordset();
}

void QtGrid::refresh() {
  if (!attached_ || attached_->State() != host::kAdStateOpen) {
    rows_.clear();
  } else if (!attached_->EditPending()) {
    // Reading the lines moves the recordset; the current row is put back.
    const bool at_end = attached_->Eof();
    const bool at_start = attached_->Bof();
    const std::int32_t position = attached_->AbsolutePosition();
    std::vector<std::vector<std::string>> rows;
    try {
      for (std::int32_t i = 0; i < attached_->RecordCount(); ++i) {
        attached_->SetAbsolutePosition(i);
        std::vector<std::string> line;
        for (const auto& c : columns_) {
          Variant v = CurrentValue(c.field);
          line.push_back(runtime::is_blank(v) ? std::string() : v.to_string());
        }
        rows.push_back(std::move(line));
      }
      rows_ = std::move(rows);
    } catch (const runtime::Error&) {
      // A lookup that cannot run leaves the lines as they were.
    }
    if (position >= 0) {
      attached_->SetAbsolutePosition(position);
    } else if (attached_->RecordCount() > 0 && at_end) {
      attached_->MoveLast();
      attached_->MoveNext();
    } else if (attached_->RecordCount() > 0 && at_start) {
      attached_->MoveFirst();
      attached_->MovePrevious();
    }
  }
  if (!table_) return;
  by_code_ = true;
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
  int line = has_current_row() && !attached_->IsNewRow() ? attached_->AbsolutePosition() : -1;
  if (line >= 0 && line < table_->rowCount()) {
    table_->setCurrentCell(line, 0);
    table_->selectRow(line);
  } else {
    table_->setCurrentCell(-1, -1);
    table_->clearSelection();
  }
  by_code_ = false;
}

void QtGrid::row_chosen(int line) {
  if (!attached_ || line < 0 || line >= attached_->RecordCount()) return;
  auto keep = shared_from_this();
  std::shared_ptr<host::RecordFrame> frame =
      session() && session()->active_frame ? session()->active_frame() : nullptr;
  if (frame && frame->Recordset() == attached_) {
    // The frame saves a changed row before it moves, and refreshes the window.
    frame->MoveTo(line);
  } else {
    attached_->SetAbsolutePosition(line);
    raise_row_change();
  }
  mark_current();
}

const std::map<std::string, Variant>& QtGrid::lookup_map(const QtGridColumn& c) {
  std::string key = runtime::upper(c.field);
  auto found = lookups_.find(key);
  if (found != lookups_.end()) return found->second;
  auto map = standin::read_lookup_column(session() ? session()->query_runner : standin::QueryRunner(),
                                         c.lookup_query, c.field, name());
  return lookups_.emplace(key, std::move(map)).first->second;
}

Variant QtGrid::CurrentValue(const std::string& column_name) {
  if (!has_current_row()) return Variant();
  const QtGridColumn* c = column(column_name);
  if (!c || !c->is_lookup()) return attached_->Field(column_name);
  auto id = standin::lookup_key(attached_->Field(c->field));
  if (!id) return Variant::null();
  const auto& map = lookup_map(*c);
  auto it = map.find(*id);
  return it == map.end() ? Variant::null() : it->second;
}

// ---- Construction from a design

std::shared_ptr<host::Control> make_qt_control(const host::ControlDesign& design,
                                               std::shared_ptr<FormInput> window, QWidget* parent) {
  const std::string kind = runtime::upper(design.kind);
  auto is = [&](const char* k) { return kind == runtime::upper(k); };
  if (is(host::kind::kCodeEdit)) return std::make_shared<QtCodeEdit>(design, std::move(window), parent);
  if (is(host::kind::kDateEdit)) return std::make_shared<QtDateEdit>(design, std::move(window), parent);
  if (is(host::kind::kNumericEdit)) return std::make_shared<QtNumericEdit>(design, std::move(window), parent);
  if (is(host::kind::kCombo)) return std::make_shared<QtCombo>(design, std::move(window), parent);
  if (is(host::kind::kCalendar)) return std::make_shared<QtCalendar>(design, std::move(window), parent);
  if (is(host::kind::kToolbarButton))
    return std::make_shared<QtToolbarButton>(design, std::move(window), parent);
  if (is(host::kind::kLabel)) return std::make_shared<QtLabel>(design, std::move(window), parent);
  if (is(host::kind::kResize)) return std::make_shared<QtResizeControl>(design, std::move(window));
  if (is(host::kind::kMdiContainer)) return std::make_shared<QtMdiContainer>(design, std::move(window));
  if (is(host::kind::kGrid)) return std::make_shared<QtGrid>(design, std::move(window), parent);
  if (is(host::kind::kGridNavigator)) return std::make_shared<QtGridNavigator>(design, std::move(window));
  if (is(host::kind::kFrame)) return std::make_shared<QtFrameControl>(design, std::move(window), parent);
  throw runtime::Error(runtime::err::kInvalidArgument, "Unknown control kind " + design.kind, design.name);
}

}  // namespace desktop
