#include "standin/headless_controls.hpp"

#include "standin/code_lookup.hpp"

#include "host/registry.hpp"
#include "host/services.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "runtime/date.hpp"
#include "runtime/error.hpp"

namespace standin {

using runtime::Variant;

namespace {

constexpr std::int32_t kInvalidPropertyValue = 380;
constexpr std::int32_t kInvalidArrayIndex = 381;

bool is_continuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

bool setting_bool(const HeadlessInput& control, const char* key, bool fallback) {
  Variant v = control.setting(key);
  return v.is_empty() || v.is_null() ? fallback : v.to_bool();
}

std::optional<double> setting_number(const HeadlessInput& control, const char* key) {
  Variant v = control.setting(key);
  if (v.is_empty() || v.is_null()) return std::nullopt;
  return v.to_double();
}

// A number written with an optional sign, digits and (when `fraction`) one decimal point; blanks around.
std::optional<double> plain_number(const std::string& text, bool fraction) {
  std::string s = runtime::trim(text);
  std::size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  bool digits = false, point = false;
  for (std::size_t k = i; k < s.size(); ++k) {
    if (std::isdigit(static_cast<unsigned char>(s[k]))) {
      digits = true;
    } else if (s[k] == '.' && fraction && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  return std::strtod(s.c_str(), nullptr);
}

// Raises an event slot on a copy of its handler.
template <class Slot, class... Args>
void raise(const Slot& slot, Args&&... args) {
  if (!slot) return;
  Slot handler = slot;
  handler(std::forward<Args>(args)...);
}

}  // namespace

// ---- Text helpers

std::size_t utf8_length(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text)
    if (!is_continuation(c)) ++n;
  return n;
}

std::string utf8_truncate(const std::string& text, std::size_t max_chars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!is_continuation(static_cast<unsigned char>(text[i]))) {
      if (chars == max_chars) return text.substr(0, i);
      ++chars;
    }
  }
  return text;
}

std::string utf8_upper(const std::string& text) {
  std::string out = text;
  for (std::size_t i = 0; i < out.size(); ++i) {
    auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'a' && c <= 'z') {
      out[i] = static_cast<char>(c - 'a' + 'A');
    } else if (c == 0xC3 && i + 1 < out.size()) {
      // U+00E0..U+00FE (except U+00F7, the division sign) are the lower case of U+00C0..U+00DE.
      auto next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0xA0 && next <= 0xBE && next != 0xB7) out[i + 1] = static_cast<char>(next - 0x20);
      ++i;
    }
  }
  return out;
}

// ---- HeadlessInput

HeadlessInput::HeadlessInput(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : design_(std::move(design)), window_(std::move(window)) {
  enabled_ = setting_bool(*this, "enabled", true);
}

HeadlessInput::~HeadlessInput() {
  drop_focus();
}

Variant HeadlessInput::setting(const std::string& key) const {
  auto it = design_.settings.find(key);
  return it == design_.settings.end() ? Variant() : it->second;
}

bool HeadlessInput::click_into() {
  if (!enabled_) return false;
  if (focused()) return true;
  auto keep = shared_from_this();
  if (HeadlessInput* current = window_->focused) {
    auto keep_current = current->shared_from_this();
    if (!current->leave()) return false;
  }
  if (!enabled_) return false;  // the other control's validation may have disabled this one
  window_->focused = this;
  return true;
}

bool HeadlessInput::leave() {
  drop_focus();
  return true;
}

bool HeadlessInput::validate(const std::function<void(bool&)>& slot) {
  bool cancel = false;
  raise(slot, cancel);
  return !cancel;
}

// ---- Text controls

template <class Interface>
HeadlessTextControl<Interface>::HeadlessTextControl(host::ControlDesign design,
                                                    std::shared_ptr<WindowInput> window)
    : HeadlessControl<Interface>(std::move(design), std::move(window)) {
  if (auto max = setting_number(*this, "maxchar"); max && *max > 0)
    max_chars_ = static_cast<std::size_t>(*max);
  Variant text_case = this->setting("case");
  upper_case_ =
      text_case.type() == runtime::VarType::String && runtime::upper(text_case.to_string()) == "MAIUSCOLO";
  mandatory_ = setting_bool(*this, "obbligatorio", false);
}

template <class Interface>
void HeadlessTextControl<Interface>::set_Text(const std::string& value) {
  text_ = value;
  selected_ = false;
  text_set_by_code();
}

template <class Interface>
bool HeadlessTextControl<Interface>::type(const std::string& text) {
  auto keep = this->shared_from_this();
  if (!this->click_into()) return false;
  std::string typed_text = upper_case_ ? utf8_upper(text) : text;
  if (max_chars_ > 0) typed_text = utf8_truncate(typed_text, max_chars_);
  bool changed = typed_text != text_;
  text_ = std::move(typed_text);
  selected_ = false;
  typed(changed);
  return true;
}

template class HeadlessTextControl<host::CodeEdit>;
template class HeadlessTextControl<host::DateEdit>;
template class HeadlessTextControl<host::NumericEdit>;

// ---- Code edit

void HeadlessCodeEdit::typed(bool changed) {
  if (!changed) return;
  modified_ = true;
  decode_ok_ = false;
  decode_pending_ = true;
  Variant unused;
  raise(TextChange, unused);
  raise(CodeChange);
}

void HeadlessCodeEdit::OpenLookup() {
  auto keep = shared_from_this();
  ++lookups_opened_;
  LookupRequest request;
  bool cancel = false;
  raise(StartLookup, cancel, request.text_a, request.value_b, request.text_c, request.connection);
  if (cancel) {
    last_lookup_.reset();
    return;
  }
  last_lookup_ = request;
  if (!lookup_chooser_) return;
  auto chooser = lookup_chooser_;
  Variant row = chooser(*this, request);
  raise(CloseLookup, row);
}

bool HeadlessCodeEdit::IsValid() {
  return !(mandatory() && runtime::trim(Text()).empty());
}

void HeadlessCodeEdit::decode() {
  auto keep = shared_from_this();
  decode_pending_ = false;
  auto result = decode_code_field(Text(), [this](Variant& first, std::string& a, Variant& b, std::string& c) {
    raise(StartDecode, first, a, b, c);
  });
  decode_ok_ = result && result->found;
  if (!result || decode_ok_ || !window().session || !window().session->notice) return;
  window().session->notice(result->failure.empty() ? "Codice inesistente: " + Text()
                                                   : "Decodifica non riuscita: " + result->failure,
                           design().caption);
}

bool HeadlessCodeEdit::leave() {
  if (!focused()) return true;
  auto keep = shared_from_this();
  if (decode_pending_ && setting("decode").type() == runtime::VarType::Boolean && setting("decode").to_bool())
    decode();
  if (!validate(Validate) || !validate(PostValidate)) return false;
  drop_focus();
  return true;
}

void HeadlessCodeEdit::press_key(const Variant& key) {
  auto keep = shared_from_this();
  Variant first;
  raise(KeyButtonMenuPress, first, key);
}

// ---- Date edit

bool HeadlessDateEdit::IsDateValid() const {
  return runtime::parse_date(Text()).has_value();
}

bool HeadlessDateEdit::IsValid() {
  if (runtime::trim(Text()).empty()) return !mandatory();
  return IsDateValid();
}

bool HeadlessDateEdit::leave() {
  if (!focused()) return true;
  auto keep = shared_from_this();
  if (!validate(Validate)) return false;
  drop_focus();
  return true;
}

// ---- Numeric edit

HeadlessNumericEdit::HeadlessNumericEdit(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : HeadlessTextControl(std::move(design), std::move(window)) {
  min_ = setting_number(*this, "min").value_or(-2147483648.0);
  max_ = setting_number(*this, "max").value_or(2147483647.0);
}

bool HeadlessNumericEdit::IsValid() {
  if (runtime::trim(Text()).empty()) return !mandatory();
  auto n = plain_number(Text(), false);
  return n && *n >= min_ && *n <= max_;
}

bool HeadlessNumericEdit::leave() {
  if (!focused()) return true;
  auto keep = shared_from_this();
  if (!validate(Validate)) return false;
  drop_focus();
  return true;
}

// ---- Combo

HeadlessCombo::HeadlessCombo(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : HeadlessControl(std::move(design), std::move(window)) {
  sorted_ = setting_bool(*this, "sorted", false);
}

bool HeadlessCombo::choose(std::int32_t position) {
  if (position < 0 || position >= ListCount()) return false;
  if (!click_into()) return false;
  list_index_ = position;
  return true;
}

void HeadlessCombo::Clear() {
  items_.clear();
  list_index_ = -1;
}

void HeadlessCombo::AddItem(const std::string& text) {
  if (!sorted_) {
    items_.push_back(text);
    return;
  }
  auto before = [](const std::string& a, const std::string& b) {
    return runtime::upper(a) < runtime::upper(b);
  };
  auto at = std::upper_bound(items_.begin(), items_.end(), text, before);
  auto position = static_cast<std::int32_t>(at - items_.begin());
  items_.insert(at, text);
  if (list_index_ >= position) ++list_index_;
}

void HeadlessCombo::set_ListIndex(std::int32_t position) {
  if (position < -1 || position >= ListCount())
    throw runtime::Error(kInvalidPropertyValue, "Invalid property value", name());
  list_index_ = position;
}

std::string HeadlessCombo::ItemText(std::int32_t position) const {
  if (position < 0 || position >= ListCount())
    throw runtime::Error(kInvalidArrayIndex, "Invalid property array index", name());
  return items_[static_cast<std::size_t>(position)];
}

std::string HeadlessCombo::Value() const {
  return list_index_ < 0 ? std::string() : std::to_string(list_index_);
}

// ---- Calendar

HeadlessCalendar::HeadlessCalendar(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : HeadlessControl(std::move(design), std::move(window)) {
  if (auto first = setting_number(*this, "firstdayofweek"))
    first_day_of_week_ = runtime::round_to_long(*first);
}

bool HeadlessCalendar::choose(runtime::Date day) {
  auto keep = shared_from_this();
  if (!click_into()) return false;
  Variant previous = value_;
  value_ = Variant(day);
  Variant chosen = value_;
  raise(DateChange, previous, chosen);
  return true;
}

bool HeadlessCalendar::clear() {
  auto keep = shared_from_this();
  if (!click_into()) return false;
  Variant previous = value_;
  value_ = Variant();
  Variant cleared = value_;
  raise(DateChange, previous, cleared);
  return true;
}

// ---- Toolbar button, label, resize, MDI container

bool HeadlessToolbarButton::click() {
  if (!enabled()) return false;
  auto keep = shared_from_this();
  raise(ButtonClick);
  return true;
}

HeadlessLabel::HeadlessLabel(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : HeadlessControl(std::move(design), std::move(window)), caption_(this->design().caption) {}

void HeadlessResizeControl::resize() {
  auto keep = shared_from_this();
  raise(Resize);
}

void HeadlessResizeControl::PlaceByName(const std::string& control_name, std::int32_t code) {
  placements_.push_back(Placement{control_name, code});
}

void HeadlessResizeControl::Place(const std::shared_ptr<host::Control>& control, std::int32_t code) {
  if (!control) throw runtime::Error(runtime::err::kObjectRequired, "Object required", name());
  placements_.push_back(Placement{control->Name(), code});
}

void HeadlessMdiContainer::form_loaded() {
  auto keep = shared_from_this();
  raise(FormLoad);
}

void HeadlessMdiContainer::Initialize(std::int32_t& a, std::int32_t& b, std::int32_t width,
                                      std::int32_t height) {
  initializations_.push_back(Initialization{a, b, width, height});
}

// ---- Grid

namespace {
const char* yes_no(bool value) {
  return value ? "True" : "False";
}
}  // namespace

std::map<std::string, Variant> read_lookup_column(const QueryRunner& runner, const std::string& query,
                                                  const std::string& field, const std::string& control) {
  if (!runner)
    throw runtime::Error(runtime::err::kObjectRequired, "No database to run the lookup of column " + field,
                         control);
  auto rs = runner(query);
  if (!rs)
    throw runtime::Error(runtime::err::kObjectRequired, "The lookup of column " + field + " gave no rows",
                         control);
  auto fields = rs->FieldNames();
  if (fields.size() < 2)
    throw runtime::Error(runtime::err::kInvalidArgument,
                         "The lookup query of column " + field + " must give an id and a text", control);
  std::map<std::string, Variant> map;
  if (rs->RecordCount() > 0) {
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
      if (auto id = lookup_key(rs->Field(fields[0]))) map.emplace(*id, rs->Field(fields[1]));
    }
  }
  rs->Close();
  return map;
}

std::optional<std::string> lookup_key(const Variant& value) {
  switch (value.type()) {
    case runtime::VarType::Empty:
    case runtime::VarType::Null:
      return std::nullopt;
    case runtime::VarType::String: {
      const auto& text = std::get<std::string>(value.raw());
      if (auto n = plain_number(text, true)) return runtime::number_text(*n);
      return text;
    }
    default:
      return runtime::number_text(value.to_double());
  }
}

const GridColumn* HeadlessGrid::column(const std::string& field) const {
  std::string key = runtime::upper(field);
  auto it = std::find_if(columns_.begin(), columns_.end(),
                         [&](const GridColumn& c) { return runtime::upper(c.field) == key; });
  return it == columns_.end() ? nullptr : &*it;
}

std::int32_t HeadlessGrid::row_count() const {
  if (!attached_ || attached_->State() != host::kAdStateOpen) return 0;
  return attached_->RecordCount();
}

bool HeadlessGrid::has_current_row() const {
  return attached_ && attached_->State() == host::kAdStateOpen && !attached_->Eof() && !attached_->Bof();
}

void HeadlessGrid::raise_row_change() {
  auto keep = shared_from_this();
  raise(RowChange);
}

bool HeadlessGrid::select_row(std::int32_t position) {
  if (position < 0 || position >= row_count()) return false;
  attached_->SetAbsolutePosition(position);
  raise_row_change();
  return true;
}

void HeadlessGrid::BeginDefinition() {
  calls_.push_back("BeginDefinition");
  columns_.clear();
  lookups_.clear();
  finalized_ = false;
}

void HeadlessGrid::set_Definition(std::shared_ptr<host::GridDefinition> value) {
  calls_.push_back(std::string("set_Definition(") + (value ? "object" : "nothing") + ")");
  definition_ = value;
}

void HeadlessGrid::set_Option(std::int32_t value) {
  calls_.push_back("set_Option(" + std::to_string(value) + ")");
  option_ = value;
}

void HeadlessGrid::set_Flags(bool first, bool second) {
  calls_.push_back(std::string("set_Flags(") + yes_no(first) + ", " + yes_no(second) + ")");
  flags_ = {first, second};
}

void HeadlessGrid::set_Title(const std::string& value) {
  calls_.push_back("set_Title(" + value + ")");
  title_ = value;
}

void HeadlessGrid::add_column(GridColumn c, const char* call) {
  if (column(c.field))
    throw runtime::Error(runtime::err::kInvalidArgument, "Column already in the grid: " + c.field, name());
  calls_.push_back(std::string(call) + "(" + c.field + ")");
  columns_.push_back(std::move(c));
}

void HeadlessGrid::AddLookupColumn(const std::string& field, const std::string& lookup_query,
                                   const std::string& caption, std::int32_t width, bool visible) {
  if (lookup_query.empty())
    throw runtime::Error(runtime::err::kInvalidArgument, "Lookup column without a query: " + field, name());
  GridColumn c;
  c.field = field;
  c.caption = caption;
  c.lookup_query = lookup_query;
  c.width = width;
  c.visible = visible;
  add_column(std::move(c), "AddLookupColumn");
}

void HeadlessGrid::AddColumn(const std::string& field, const std::string& caption, std::int32_t kind,
                             std::int32_t width, bool visible) {
  GridColumn c;
  c.field = field;
  c.caption = caption;
  c.kind = kind;
  c.width = width;
  c.visible = visible;
  add_column(std::move(c), "AddColumn");
}

void HeadlessGrid::EndColumns() {
  calls_.push_back("EndColumns");
}

void HeadlessGrid::set_ColumnOption(const std::string& field, std::int32_t value) {
  std::string key = runtime::upper(field);
  auto it = std::find_if(columns_.begin(), columns_.end(),
                         [&](const GridColumn& c) { return runtime::upper(c.field) == key; });
  if (it == columns_.end())
    throw runtime::Error(runtime::err::kInvalidArgument, "No column of field " + field, name());
  calls_.push_back("set_ColumnOption(" + field + ", " + std::to_string(value) + ")");
  it->option = value;
}

void HeadlessGrid::Finalize() {
  calls_.push_back("Finalize");
  finalized_ = true;
}

void HeadlessGrid::AttachRecordset(std::shared_ptr<host::Recordset> value) {
  calls_.push_back(std::string("AttachRecordset(") + (value ? "object" : "nothing") + ")");
  attached_ = std::move(value);
  lookups_.clear();
  if (attached_) raise_row_change();
}

void HeadlessGrid::DetachRecordset() {
  calls_.push_back("DetachRecordset");
  attached_.reset();
  lookups_.clear();
}

void HeadlessGrid::Reset() {
  calls_.push_back("Reset");
  attached_.reset();
  lookups_.clear();
}

void HeadlessGrid::Close() {
  calls_.push_back("Close");
  attached_.reset();
  lookups_.clear();
  closed_ = true;
}

const std::map<std::string, Variant>& HeadlessGrid::lookup_map(const GridColumn& c) {
  std::string key = runtime::upper(c.field);
  auto found = lookups_.find(key);
  if (found != lookups_.end()) return found->second;

  const auto& session = window().session;
  auto map =
      read_lookup_column(session ? session->query_runner : QueryRunner(), c.lookup_query, c.field, name());
  ++lookup_queries_run_;
  return lookups_.emplace(key, std::move(map)).first->second;
}

Variant HeadlessGrid::CurrentValue(const std::string& column_name) {
  if (!has_current_row()) return Variant();
  const GridColumn* c = column(column_name);
  if (!c || !c->is_lookup()) return attached_->Field(column_name);
  auto id = lookup_key(attached_->Field(c->field));
  if (!id) return Variant::null();
  const auto& map = lookup_map(*c);
  auto it = map.find(*id);
  return it == map.end() ? Variant::null() : it->second;
}

// ---- Grid navigator

HeadlessGridNavigator::HeadlessGridNavigator(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : HeadlessControl(std::move(design), std::move(window)) {}

// ---- Construction from a design

std::shared_ptr<host::Control> make_headless_control(const host::ControlDesign& design,
                                                     std::shared_ptr<WindowInput> window) {
  const std::string kind = runtime::upper(design.kind);
  auto is = [&](const char* k) { return kind == runtime::upper(k); };
  if (is(host::kind::kCodeEdit)) return std::make_shared<HeadlessCodeEdit>(design, std::move(window));
  if (is(host::kind::kDateEdit)) return std::make_shared<HeadlessDateEdit>(design, std::move(window));
  if (is(host::kind::kNumericEdit)) return std::make_shared<HeadlessNumericEdit>(design, std::move(window));
  if (is(host::kind::kCombo)) return std::make_shared<HeadlessCombo>(design, std::move(window));
  if (is(host::kind::kCalendar)) return std::make_shared<HeadlessCalendar>(design, std::move(window));
  if (is(host::kind::kToolbarButton))
    return std::make_shared<HeadlessToolbarButton>(design, std::move(window));
  if (is(host::kind::kLabel)) return std::make_shared<HeadlessLabel>(design, std::move(window));
  if (is(host::kind::kResize)) return std::make_shared<HeadlessResizeControl>(design, std::move(window));
  if (is(host::kind::kMdiContainer)) return std::make_shared<HeadlessMdiContainer>(design, std::move(window));
  if (is(host::kind::kGrid)) return std::make_shared<HeadlessGrid>(design, std::move(window));
  if (is(host::kind::kGridNavigator))
    return std::make_shared<HeadlessGridNavigator>(design, std::move(window));
  if (is(host::kind::kFrame)) return std::make_shared<HeadlessFrameControl>(design, std::move(window));
  throw runtime::Error(runtime::err::kInvalidArgument, "Unknown control kind " + design.kind, design.name);
}

std::vector<std::string> HeadlessGrid::captions() const {
  std::vector<std::string> out;
  for (const auto& c : columns_) out.push_back(c.caption);
  return out;
}

std::vector<std::vector<std::string>> HeadlessGrid::shown_rows() {
  std::vector<std::vector<std::string>> rows;
  for (const auto& values : shown_values()) {
    std::vector<std::string> row;
    for (const auto& v : values) row.push_back(runtime::is_blank(v) ? std::string() : v.to_string());
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<std::vector<Variant>> HeadlessGrid::shown_values() {
  std::vector<std::vector<Variant>> rows;
  if (!attached_ || attached_->State() != host::kAdStateOpen) return rows;
  if (attached_->EditPending())
    throw runtime::Error(5, "La riga corrente ha modifiche non salvate", "HeadlessGrid");
  std::int32_t position = attached_->AbsolutePosition();
  for (std::int32_t i = 0; i < attached_->RecordCount(); ++i) {
    attached_->SetAbsolutePosition(i);
    std::vector<Variant> row;
    for (const auto& c : columns_) row.push_back(CurrentValue(c.field));
    rows.push_back(std::move(row));
  }
  if (position >= 0) {
    attached_->SetAbsolutePosition(position);
  } else if (!rows.empty()) {
    attached_->MoveLast();
    attached_->MoveNext();
  }
  return rows;
}

}  // namespace standin
