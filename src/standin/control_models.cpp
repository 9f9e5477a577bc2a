#include "standin/control_models.hpp"

#include "standin/code_lookup.hpp"
#include "standin/dictionary.hpp"

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

// ---- InputModel

InputModel::InputModel(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : design_(std::move(design)), window_(std::move(window)) {
  enabled_ = setting_bool("enabled", true);
}

std::string ControlSession::caption(const std::string& design_caption) const {
  return translate_caption(design_caption, Dictionary::supports(language) ? language : Dictionary::kItalian);
}

std::string InputModel::shown_caption() const {
  return session() ? session()->caption(design_.caption) : design_.caption;
}

InputModel::~InputModel() {
  drop_focus();
}

Variant InputModel::setting(const std::string& key) const {
  auto it = design_.settings.find(key);
  return it == design_.settings.end() ? Variant() : it->second;
}

bool InputModel::setting_bool(const char* key, bool fallback) const {
  Variant v = setting(key);
  return v.is_empty() || v.is_null() ? fallback : v.to_bool();
}

std::optional<double> InputModel::setting_number(const char* key) const {
  Variant v = setting(key);
  if (v.is_empty() || v.is_null()) return std::nullopt;
  return v.to_double();
}

void InputModel::focus_from_code() {
  window_->focused = this;
  if (view_.focus) view_.focus();
}

void InputModel::notice(const std::string& text) const {
  if (session() && session()->notice) session()->notice(text, shown_caption());
}

bool InputModel::click_into() {
  if (!enabled_) return false;
  if (focused()) return true;
  auto keep = shared_from_this();
  if (InputModel* current = window_->focused) {
    auto keep_current = current->shared_from_this();
    if (!current->leave()) return false;
  }
  if (!enabled_) return false;  // the other control's validation may have disabled this one
  window_->focused = this;
  return true;
}

bool InputModel::leave() {
  drop_focus();
  return true;
}

bool InputModel::validate(const std::function<void(bool&)>& slot) {
  bool cancel = false;
  raise(slot, cancel);
  return !cancel;
}

// ---- Text controls

template <class Interface>
TextModel<Interface>::TextModel(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : ControlModel<Interface>(std::move(design), std::move(window)) {
  if (auto max = this->setting_number("maxchar"); max && *max > 0)
    max_chars_ = static_cast<std::size_t>(*max);
  Variant text_case = this->setting("case");
  upper_case_ =
      text_case.type() == runtime::VarType::String && runtime::upper(text_case.to_string()) == "MAIUSCOLO";
  mandatory_ = this->setting_bool("obbligatorio", false);
}

template <class Interface>
void TextModel<Interface>::set_Text(const std::string& value) {
  text_ = value;
  selected_ = false;
  text_set_by_code();
  this->changed();
}

template <class Interface>
bool TextModel<Interface>::fits(const std::string& text) const {
  return max_chars_ == 0 || utf8_length(text) <= max_chars_;
}

template <class Interface>
bool TextModel<Interface>::type(const std::string& text) {
  auto keep = this->shared_from_this();
  if (!fits(text)) return false;
  if (!this->click_into()) return false;
  return edit(text);
}

template <class Interface>
bool TextModel<Interface>::edit(const std::string& text) {
  auto keep = this->shared_from_this();
  std::string typed_text = upper_case_ ? utf8_upper(text) : text;
  if (!fits(typed_text)) {
    this->changed();  // the view shows the text as it stays
    return false;
  }
  bool changed = typed_text != text_;
  bool recased = typed_text != text;
  text_ = std::move(typed_text);
  selected_ = false;
  if (recased) this->changed();
  typed(changed);
  return true;
}

template class TextModel<host::CodeEdit>;
template class TextModel<host::DateEdit>;
template class TextModel<host::NumericEdit>;

// ---- Code edit

void CodeEditModel::typed(bool changed) {
  if (!changed) return;
  modified_ = true;
  decode_ok_ = false;
  decode_pending_ = true;
  Variant unused;
  raise(TextChange, unused);
  raise(CodeChange);
}

void CodeEditModel::OpenLookup() {
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

bool CodeEditModel::IsValid() {
  return !(mandatory() && runtime::trim(Text()).empty());
}

void CodeEditModel::decode() {
  auto keep = shared_from_this();
  decode_pending_ = false;
  auto result = decode_code_field(Text(), [this](Variant& first, std::string& a, Variant& b, std::string& c) {
    raise(StartDecode, first, a, b, c);
  });
  decode_ok_ = result && result->found;
  if (!result || decode_ok_ || !session()) return;
  notice(result->failure.empty()
             ? session()->text("Codice inesistente: ", "No such code: ") + Text()
             : session()->text("Decodifica non riuscita: ", "The decode failed: ") + result->failure);
}

void CodeEditModel::follow_description() {
  follows_ = true;
  describe_quietly();
}

void CodeEditModel::text_set_by_code() {
  modified_ = false;
  if (follows_) describe_quietly();
}

void CodeEditModel::describe_quietly() {
  if (describing_ || setting("decode").type() != runtime::VarType::Boolean || !setting("decode").to_bool())
    return;
  auto keep = shared_from_this();
  describing_ = true;
  runtime::suppressed([&] {
    auto result = decode_code_field(Text(), [this](Variant& first, std::string& a, Variant& b,
                                                   std::string& c) { raise(StartDecode, first, a, b, c); });
    decode_ok_ = result && result->found;
  });
  describing_ = false;
}

bool CodeEditModel::leave() {
  if (!focused()) return true;
  auto keep = shared_from_this();
  if (decode_pending_ && setting("decode").type() == runtime::VarType::Boolean && setting("decode").to_bool())
    decode();
  if (!validate(Validate) || !validate(PostValidate)) return false;
  drop_focus();
  return true;
}

void CodeEditModel::press_key(const Variant& key) {
  auto keep = shared_from_this();
  if (!enabled()) return;
  Variant first;
  raise(KeyButtonMenuPress, first, key);
}

// ---- Date edit

bool DateEditModel::IsDateValid() const {
  return runtime::parse_date(Text()).has_value();
}

bool DateEditModel::IsValid() {
  if (runtime::trim(Text()).empty()) return !mandatory();
  return IsDateValid();
}

bool DateEditModel::fits(const std::string& text) const {
  if (utf8_length(text) > 10) return false;
  return std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || c == '/' || c == '.' || c == '-';
  });
}

bool DateEditModel::leave() {
  if (!focused()) return true;
  auto keep = shared_from_this();
  std::string text = runtime::trim(Text());
  if (!text.empty()) {
    auto date = runtime::parse_date(text);
    if (!date) {
      if (session()) notice(session()->text("Data non valida: ", "Not a valid date: ") + text);
      return false;
    }
    std::string shown = runtime::date_text(*date);
    if (shown != Text()) set_Text(shown);
  }
  if (!validate(Validate)) return false;
  drop_focus();
  return true;
}

// ---- Numeric edit

NumericEditModel::NumericEditModel(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : TextModel(std::move(design), std::move(window)) {
  min_ = setting_number("min").value_or(-2147483648.0);
  max_ = setting_number("max").value_or(2147483647.0);
}

bool NumericEditModel::IsValid() {
  if (runtime::trim(Text()).empty()) return !mandatory();
  auto n = plain_number(Text(), false);
  return n && *n >= min_ && *n <= max_;
}

bool NumericEditModel::fits(const std::string& text) const {
  if (!TextModel::fits(text)) return false;
  std::size_t start = min_ < 0 && !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

bool NumericEditModel::leave() {
  if (!focused()) return true;
  auto keep = shared_from_this();
  if (!runtime::trim(Text()).empty() && !IsValid()) {
    if (session())
      notice(session()->text("Valore ammesso da ", "Allowed values: from ") + runtime::number_text(min_) +
             session()->text(" a ", " to ") + runtime::number_text(max_));
    return false;
  }
  if (!validate(Validate)) return false;
  drop_focus();
  return true;
}

// ---- Combo

ComboModel::ComboModel(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : ControlModel(std::move(design), std::move(window)) {
  sorted_ = setting_bool("sorted", false);
}

bool ComboModel::choose(std::int32_t position) {
  if (position < 0 || position >= ListCount()) return false;
  if (!click_into()) return false;
  list_index_ = position;
  return true;
}

void ComboModel::Clear() {
  items_.clear();
  list_index_ = -1;
  changed();
}

void ComboModel::AddItem(const std::string& text) {
  if (!sorted_) {
    items_.push_back(text);
    changed();
    return;
  }
  auto before = [](const std::string& a, const std::string& b) {
    return runtime::upper(a) < runtime::upper(b);
  };
  auto at = std::upper_bound(items_.begin(), items_.end(), text, before);
  auto position = static_cast<std::int32_t>(at - items_.begin());
  items_.insert(at, text);
  if (list_index_ >= position) ++list_index_;
  changed();
}

void ComboModel::set_ListIndex(std::int32_t position) {
  if (position < -1 || position >= ListCount())
    throw runtime::Error(kInvalidPropertyValue, "Invalid property value", name());
  list_index_ = position;
  changed();
}

std::string ComboModel::ItemText(std::int32_t position) const {
  if (position < 0 || position >= ListCount())
    throw runtime::Error(kInvalidArrayIndex, "Invalid property array index", name());
  return items_[static_cast<std::size_t>(position)];
}

std::string ComboModel::Value() const {
  return list_index_ < 0 ? std::string() : std::to_string(list_index_);
}

// ---- Calendar

CalendarModel::CalendarModel(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : ControlModel(std::move(design), std::move(window)) {
  if (auto first = setting_number("firstdayofweek")) first_day_of_week_ = runtime::round_to_long(*first);
}

std::vector<runtime::Date> CalendarModel::planned_days(int year, unsigned month) const {
  std::vector<runtime::Date> days;
  if (!session() || !session()->planned_days) return days;
  runtime::suppressed([&] { days = session()->planned_days(year, month); });
  return days;
}

bool CalendarModel::choose(runtime::Date day) {
  auto keep = shared_from_this();
  if (!click_into()) return false;
  Variant previous = value_;
  value_ = Variant(day);
  Variant chosen = value_;
  raise(DateChange, previous, chosen);
  return true;
}

bool CalendarModel::clear() {
  auto keep = shared_from_this();
  if (!click_into()) return false;
  Variant previous = value_;
  value_ = Variant();
  Variant cleared = value_;
  raise(DateChange, previous, cleared);
  return true;
}

// ---- Toolbar button, label, resize, MDI container

bool ToolbarButtonModel::click() {
  if (!enabled()) return false;
  auto keep = shared_from_this();
  raise(ButtonClick);
  return true;
}

LabelModel::LabelModel(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : ControlModel(std::move(design), std::move(window)), caption_(this->design().caption) {}

void ResizeModel::resize() {
  auto keep = shared_from_this();
  raise(Resize);
}

void ResizeModel::PlaceByName(const std::string& control_name, std::int32_t code) {
  placements_.push_back(Placement{control_name, code});
}

void ResizeModel::Place(const std::shared_ptr<host::Control>& control, std::int32_t code) {
  if (!control) throw runtime::Error(runtime::err::kObjectRequired, "Object required", name());
  placements_.push_back(Placement{control->Name(), code});
}

void MdiContainerModel::form_loaded() {
  auto keep = shared_from_this();
  raise(FormLoad);
}

void MdiContainerModel::Initialize(std::int32_t& a, std::int32_t& b, std::int32_t width,
                                   std::int32_t height) {
  initializations_.push_back(Initialization{a, b, width, height});
}

// ---- Grid

namespace {
const char* yes_no(bool value) {
  return value ? "True" : "False";
}
}  // namespace

LookupValues read_lookup_column(const QueryRunner& runner, const std::string& query, const std::string& field,
                                const std::string& control) {
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
  LookupValues values;
  if (rs->RecordCount() > 0) {
    values.reserve(static_cast<std::size_t>(rs->RecordCount()));
    std::int32_t id = rs->FieldIndex(fields[0]), text = rs->FieldIndex(fields[1]);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) values.add(rs->FieldAt(id), rs->FieldAt(text));
  }
  rs->Close();
  return values;
}

namespace {

constexpr std::size_t kIdsPerLookup = 500;

// The name of the first result column of a `SELECT name, ...` text, or empty.
std::string first_column_name(const std::string& query) {
  std::size_t i = query.find_first_not_of(" \t\r\n");
  if (i == std::string::npos || runtime::upper(query.substr(i, 7)) != "SELECT ") return {};
  i = query.find_first_not_of(" \t\r\n", i + 7);
  std::size_t end = i;
  while (end < query.size() && (std::isalnum(static_cast<unsigned char>(query[end])) || query[end] == '_'))
    ++end;
  if (end == i || std::isdigit(static_cast<unsigned char>(query[i]))) return {};
  std::size_t next = query.find_first_not_of(" \t\r\n", end);
  if (next == std::string::npos || query[next] != ',') return {};
  std::string name = query.substr(i, end - i);
  std::string upper = runtime::upper(name);
  if (upper == "DISTINCT" || upper == "ALL" || upper == "TOP") return {};
  return name;
}

}  // namespace

std::optional<std::vector<std::string>> restricted_lookup_queries(const std::string& query,
                                                                  const std::vector<std::int64_t>& ids,
                                                                  std::size_t per_query) {
  std::string id = first_column_name(query);
  if (id.empty()) return std::nullopt;
  std::vector<std::string> out;
  for (std::size_t start = 0; start < ids.size(); start += per_query) {
    std::string text = "SELECT * FROM (" + query + ") AS LOOKUP_ROWS WHERE " + id + " IN (";
    for (std::size_t k = start; k < std::min(ids.size(), start + per_query); ++k)
      text += (k == start ? "" : ", ") + std::to_string(ids[k]);
    out.push_back(text + ")");
  }
  return out;
}

LookupValues read_lookup_ids(const QueryRunner& runner, const std::string& query, const std::string& field,
                             const std::string& control, const std::vector<std::int64_t>& ids) {
  auto texts = restricted_lookup_queries(query, ids, kIdsPerLookup);
  if (!texts) return read_lookup_column(runner, query, field, control);
  LookupValues values;
  values.reserve(ids.size());
  for (const auto& text : *texts) {
    LookupValues part = read_lookup_column(runner, text, field, control);
    values.merge(std::move(part));
  }
  values.restrict_to(ids);
  return values;
}

namespace {

// A number key of lookup_key's rule: a whole number below 10^15 is written exactly ("%.0f"), so two of
// them have the same key text exactly when they are equal.
std::optional<std::int64_t> whole_key(double d) {
  if (d != std::floor(d) || !(std::fabs(d) < 1e15)) return std::nullopt;
  return static_cast<std::int64_t>(d);
}

// Whole numbers by value; otherwise the key text (nullopt for Empty and Null, as lookup_key).
struct SplitKey {
  std::optional<std::int64_t> whole;
  std::optional<std::string> text;
};

SplitKey split_key(const Variant& value) {
  double d = 0;
  switch (value.type()) {
    case runtime::VarType::Empty:
    case runtime::VarType::Null:
      return {};
    case runtime::VarType::String: {
      const auto& text = std::get<std::string>(value.raw());
      auto n = plain_number(text, true);
      if (!n) return {std::nullopt, text};
      d = *n;
      break;
    }
    default:
      d = value.to_double();
  }
  if (auto whole = whole_key(d)) return {whole, std::nullopt};
  return {std::nullopt, runtime::number_text(d)};
}

}  // namespace

std::optional<std::vector<std::int64_t>> whole_ids(const std::vector<Variant>& values) {
  std::vector<std::int64_t> ids;
  for (const auto& value : values) {
    SplitKey key = split_key(value);
    if (key.text) return std::nullopt;
    if (key.whole) ids.push_back(*key.whole);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

void LookupValues::merge(LookupValues other) {
  for (auto& [id, value] : other.whole_) whole_.emplace(id, std::move(value));
  for (auto& [id, value] : other.other_) other_.emplace(id, std::move(value));
}

void LookupValues::restrict_to(const std::vector<std::int64_t>& ids) {
  if (!read_ids_) read_ids_.emplace();
  read_ids_->insert(ids.begin(), ids.end());
}

bool LookupValues::answers(const Variant& id) const {
  if (!read_ids_) return true;
  SplitKey key = split_key(id);
  return !key.whole || read_ids_->contains(*key.whole);
}

void LookupValues::add(const Variant& id, Variant value) {
  SplitKey key = split_key(id);
  if (key.whole) {
    whole_.emplace(*key.whole, std::move(value));
  } else if (key.text) {
    other_.emplace(std::move(*key.text), std::move(value));
  }
}

const Variant* LookupValues::find(const Variant& id) const {
  SplitKey key = split_key(id);
  if (key.whole) {
    auto it = whole_.find(*key.whole);
    return it == whole_.end() ? nullptr : &it->second;
  }
  if (key.text) {
    auto it = other_.find(*key.text);
    return it == other_.end() ? nullptr : &it->second;
  }
  return nullptr;
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

const GridColumn* GridModel::column(const std::string& field) const {
  // Compared as runtime::upper makes them, without the upper-case copies.
  auto same = [&](const std::string& name) {
    return name.size() == field.size() &&
           std::equal(name.begin(), name.end(), field.begin(), [](char a, char b) {
             auto up = [](char x) { return x >= 'a' && x <= 'z' ? static_cast<char>(x - 'a' + 'A') : x; };
             return up(a) == up(b);
           });
  };
  auto it =
      std::find_if(columns_.begin(), columns_.end(), [&](const GridColumn& c) { return same(c.field); });
  return it == columns_.end() ? nullptr : &*it;
}

std::int32_t GridModel::row_count() const {
  if (!attached_ || attached_->State() != host::kAdStateOpen) return 0;
  return attached_->RecordCount();
}

bool GridModel::has_current_row() const {
  return attached_ && attached_->State() == host::kAdStateOpen && !attached_->Eof() && !attached_->Bof();
}

void GridModel::raise_row_change() {
  auto keep = shared_from_this();
  raise(RowChange);
}

bool GridModel::select_row(std::int32_t position) {
  if (position < 0 || position >= row_count()) return false;
  auto keep = shared_from_this();
  auto frame = session() && session()->active_frame ? session()->active_frame() : nullptr;
  if (frame && frame->Recordset() == attached_) {
    // The frame saves a changed row before it moves, and refreshes the window.
    frame->MoveTo(position);
  } else {
    attached_->SetAbsolutePosition(position);
    raise_row_change();
  }
  return true;
}

void GridModel::BeginDefinition() {
  calls_.push_back("BeginDefinition");
  columns_.clear();
  lookups_.clear();
  finalized_ = false;
}

void GridModel::set_Definition(std::shared_ptr<host::GridDefinition> value) {
  calls_.push_back(std::string("set_Definition(") + (value ? "object" : "nothing") + ")");
  definition_ = value;
}

void GridModel::set_Option(std::int32_t value) {
  calls_.push_back("set_Option(" + std::to_string(value) + ")");
  option_ = value;
}

void GridModel::set_Flags(bool first, bool second) {
  calls_.push_back(std::string("set_Flags(") + yes_no(first) + ", " + yes_no(second) + ")");
  flags_ = {first, second};
}

void GridModel::set_Title(const std::string& value) {
  calls_.push_back("set_Title(" + value + ")");
  title_ = value;
}

void GridModel::add_column(GridColumn c, const char* call) {
  if (column(c.field))
    throw runtime::Error(runtime::err::kInvalidArgument, "Column already in the grid: " + c.field, name());
  calls_.push_back(std::string(call) + "(" + c.field + ")");
  columns_.push_back(std::move(c));
}

void GridModel::AddLookupColumn(const std::string& field, const std::string& lookup_query,
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

void GridModel::AddColumn(const std::string& field, const std::string& caption, std::int32_t kind,
                          std::int32_t width, bool visible) {
  GridColumn c;
  c.field = field;
  c.caption = caption;
  c.kind = kind;
  c.width = width;
  c.visible = visible;
  add_column(std::move(c), "AddColumn");
}

void GridModel::EndColumns() {
  calls_.push_back("EndColumns");
  changed();
}

void GridModel::set_ColumnOption(const std::string& field, std::int32_t value) {
  std::string key = runtime::upper(field);
  auto it = std::find_if(columns_.begin(), columns_.end(),
                         [&](const GridColumn& c) { return runtime::upper(c.field) == key; });
  if (it == columns_.end())
    throw runtime::Error(runtime::err::kInvalidArgument, "No column of field " + field, name());
  calls_.push_back("set_ColumnOption(" + field + ", " + std::to_string(value) + ")");
  it->option = value;
}

void GridModel::Finalize() {
  calls_.push_back("Finalize");
  finalized_ = true;
}

void GridModel::AttachRecordset(std::shared_ptr<host::Recordset> value) {
  calls_.push_back(std::string("AttachRecordset(") + (value ? "object" : "nothing") + ")");
  attached_ = std::move(value);
  lookups_.clear();
  changed();
  if (attached_) raise_row_change();
}

void GridModel::DetachRecordset() {
  calls_.push_back("DetachRecordset");
  attached_.reset();
  lookups_.clear();
  changed();
}

void GridModel::Reset() {
  calls_.push_back("Reset");
  attached_.reset();
  lookups_.clear();
  changed();
}

void GridModel::Close() {
  calls_.push_back("Close");
  attached_.reset();
  lookups_.clear();
  closed_ = true;
  changed();
}

// A lookup column reads the rows of the ids the grid shows, not its whole query: the rows of one day
// are a handful among the links of every company.
LookupValues& GridModel::lookup_map(const GridColumn& c) {
  auto found = lookups_.find(c.field);
  if (found != lookups_.end()) return found->second;

  const auto& session = window().session;
  QueryRunner runner = session ? session->query_runner : QueryRunner();
  std::optional<std::vector<std::int64_t>> ids;
  if (attached_ && attached_->State() == host::kAdStateOpen) ids = shown_ids(c.field);
  auto values = ids ? read_lookup_ids(runner, c.lookup_query, c.field, name(), *ids)
                    : read_lookup_column(runner, c.lookup_query, c.field, name());
  ++lookup_queries_run_;
  return lookups_.emplace(c.field, std::move(values)).first->second;
}

std::optional<std::vector<std::int64_t>> GridModel::shown_ids(const std::string& field) {
  std::int32_t at = attached_->FieldIndex(field);
  if (at < 0) return std::nullopt;
  // A row being edited keeps its place: the others are read when they are shown.
  if (attached_->EditPending()) return whole_ids({attached_->Field(field)});
  std::int32_t position = attached_->AbsolutePosition();
  std::int32_t count = attached_->RecordCount();
  std::vector<Variant> values;
  values.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (std::int32_t i = 0; i < count; ++i) {
    attached_->SetAbsolutePosition(i);
    values.push_back(attached_->FieldAt(at));
  }
  if (position >= 0) {
    attached_->SetAbsolutePosition(position);
  } else if (count > 0) {
    attached_->MoveLast();
    attached_->MoveNext();
  }
  return whole_ids(values);
}

const Variant* GridModel::looked_up(const GridColumn& c, LookupValues& values, const Variant& id) {
  if (!values.answers(id)) {
    const auto& session = window().session;
    auto whole = whole_ids({id});
    values.merge(read_lookup_ids(session ? session->query_runner : QueryRunner(), c.lookup_query, c.field,
                                 name(), *whole));
    values.restrict_to(*whole);
  }
  return values.find(id);
}

Variant GridModel::CurrentValue(const std::string& column_name) {
  if (!has_current_row()) return Variant();
  const GridColumn* c = column(column_name);
  if (!c || !c->is_lookup()) return attached_->Field(column_name);
  return value_of(*c);
}

Variant GridModel::value_of(const GridColumn& c) {
  if (!has_current_row()) return Variant();
  if (!c.is_lookup()) return attached_->Field(c.field);
  const Variant* value = looked_up(c, lookup_map(c), attached_->Field(c.field));
  return value ? *value : Variant::null();
}

// ---- Grid navigator

GridNavigatorModel::GridNavigatorModel(host::ControlDesign design, std::shared_ptr<WindowInput> window)
    : ControlModel(std::move(design), std::move(window)) {}

// ---- Construction from a design

std::shared_ptr<host::Control> make_control_model(const host::ControlDesign& design,
                                                  std::shared_ptr<WindowInput> window) {
  const std::string kind = runtime::upper(design.kind);
  auto is = [&](const char* k) { return kind == runtime::upper(k); };
  if (is(host::kind::kCodeEdit)) return std::make_shared<CodeEditModel>(design, std::move(window));
  if (is(host::kind::kDateEdit)) return std::make_shared<DateEditModel>(design, std::move(window));
  if (is(host::kind::kNumericEdit)) return std::make_shared<NumericEditModel>(design, std::move(window));
  if (is(host::kind::kCombo)) return std::make_shared<ComboModel>(design, std::move(window));
  if (is(host::kind::kCalendar)) return std::make_shared<CalendarModel>(design, std::move(window));
  if (is(host::kind::kToolbarButton)) return std::make_shared<ToolbarButtonModel>(design, std::move(window));
  if (is(host::kind::kLabel)) return std::make_shared<LabelModel>(design, std::move(window));
  if (is(host::kind::kResize)) return std::make_shared<ResizeModel>(design, std::move(window));
  if (is(host::kind::kMdiContainer)) return std::make_shared<MdiContainerModel>(design, std::move(window));
  if (is(host::kind::kGrid)) return std::make_shared<GridModel>(design, std::move(window));
  if (is(host::kind::kGridNavigator)) return std::make_shared<GridNavigatorModel>(design, std::move(window));
  if (is(host::kind::kFrame)) return std::make_shared<FrameModel>(design, std::move(window));
  throw runtime::Error(runtime::err::kInvalidArgument, "Unknown control kind " + design.kind, design.name);
}

std::vector<std::string> GridModel::captions() const {
  std::vector<std::string> out;
  for (const auto& c : columns_) out.push_back(c.caption);
  return out;
}

std::vector<std::string> GridModel::shown_captions() const {
  std::vector<std::string> out;
  for (const auto& c : columns_) out.push_back(session() ? session()->caption(c.caption) : c.caption);
  return out;
}

std::vector<std::vector<std::string>> GridModel::shown_rows() {
  std::vector<std::vector<std::string>> rows;
  for (const auto& values : shown_values()) {
    std::vector<std::string> row;
    for (const auto& v : values) row.push_back(runtime::is_blank(v) ? std::string() : v.to_string());
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<std::vector<Variant>> GridModel::shown_values() {
  std::vector<std::vector<Variant>> rows;
  for_each_shown_row([&](const std::vector<Variant>& row) { rows.push_back(row); });
  return rows;
}

void GridModel::for_each_shown_row(const std::function<void(const std::vector<Variant>&)>& take) {
  if (!attached_ || attached_->State() != host::kAdStateOpen) return;
  if (attached_->EditPending())
    throw runtime::Error(5, "La riga corrente ha modifiche non salvate", "GridModel");
  std::int32_t position = attached_->AbsolutePosition();
  std::int32_t count = attached_->RecordCount();
  // Each column's field and lookup values are found once, before the first row; the rows are then read
  // by the fields' positions. A column whose field the recordset lacks is read by name, which says so.
  std::vector<std::int32_t> at;
  std::vector<LookupValues*> lookups;
  if (count > 0) {
    for (const auto& c : columns_) {
      lookups.push_back(c.is_lookup() ? &lookup_map(c) : nullptr);
      at.push_back(attached_->FieldIndex(c.field));
    }
  }
  std::vector<Variant> row;
  for (std::int32_t i = 0; i < count; ++i) {
    attached_->SetAbsolutePosition(i);
    row.clear();
    for (std::size_t k = 0; k < columns_.size(); ++k) {
      if (at[k] < 0) {
        row.push_back(value_of(columns_[k]));
      } else if (lookups[k]) {
        const Variant* value = looked_up(columns_[k], *lookups[k], attached_->FieldAt(at[k]));
        row.push_back(value ? *value : Variant::null());
      } else {
        row.push_back(attached_->FieldAt(at[k]));
      }
    }
    take(row);
  }
  if (position >= 0) {
    attached_->SetAbsolutePosition(position);
  } else if (count > 0) {
    attached_->MoveLast();
    attached_->MoveNext();
  }
}

}  // namespace standin
