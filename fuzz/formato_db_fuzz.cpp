// FormatoDB of the calendar window, on a window the headless host has shown over a demo database (so the
// host's number and date objects are the real ones).
//
// Input: a kind, whether the column admits null, the type of the value and the value. FormatoDB never
// raises. Texts (kinds 0 and 4) are one well-formed literal: every quote inside doubled, read back by
// SQLite as exactly the text given; dates (kind 3) are a quoted literal without quotes inside, or null.

#include <sqlite3.h>

#include <fuzzer/FuzzedDataProvider.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "calendar_window/frmpd_calendatt.hpp"
#include "database/temp_database.hpp"
#include "module/clspd_calendatt.hpp"
#include "common/mdlpd_calendatt.hpp"
#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "runtime/variant.hpp"
#include "standin/host_setup.hpp"
#include "standin/responder.hpp"

namespace {

using calendatt::FRMPD_CALENDATT;
using runtime::Variant;

// The host, its database and the shown window, for the whole run.
struct Host {
  database::testing::TempDatabase db;
  standin::ScriptedResponder responder;
  std::unique_ptr<standin::HostEnvironment> env;
  std::shared_ptr<host::Cinterface> module;
  std::shared_ptr<FRMPD_CALENDATT> window;
  sqlite3* sqlite = nullptr;

  Host() {
    db.create(true)->Close();
    standin::HostSettings settings;
    settings.connection_string = "Provider=SQLite;Data Source=" + db.path();
    env = std::make_unique<standin::HostEnvironment>(settings, responder);
    module = env->create_module();
    module->Cinterface_ShowForm();
    if (auto c = std::dynamic_pointer_cast<calendatt::CLSPD_CALENDATT>(module)) window = c->window();
    if (!window) {
      std::fprintf(stderr, "the calendar window did not open\n");
      std::abort();
    }
    if (sqlite3_open(":memory:", &sqlite) != SQLITE_OK) std::abort();
  }
};

Host& host_once() {
  // Kept to the end of the process (the window stays shown); only its scratch directory goes.
  static Host* host = [] {
    auto* h = new Host();
    std::atexit([] { std::filesystem::remove_all(host_once().db.dir()); });
    return h;
  }();
  return *host;
}

[[noreturn]] void finding(const char* what, const Variant& value, std::int32_t kind, const std::string& got) {
  std::string text;
  try {
    text = value.to_string();
  } catch (const runtime::Error&) {
    text = "(no text)";
  }
  std::fprintf(stderr, "%s: kind %d, value \"%s\" (type %d), result \"%s\"\n", what, kind, text.c_str(),
               static_cast<int>(value.type()), got.c_str());
  std::abort();
}

// The text SQLite reads from a literal; false when it is not one literal.
bool sqlite_reads(const std::string& literal, std::string& out) {
  sqlite3* db = host_once().sqlite;
  std::string sql = "SELECT " + literal;
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  bool ok = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, &tail) == SQLITE_OK &&
            stmt && *tail == '\0' && sqlite3_column_count(stmt) == 1 && sqlite3_step(stmt) == SQLITE_ROW &&
            sqlite3_column_type(stmt, 0) == SQLITE_TEXT;
  if (ok) {
    out.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
               static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
  }
  sqlite3_finalize(stmt);
  return ok;
}

// Checks a text literal: prefix, then quotes, with every quote inside doubled.
void check_text_literal(const Variant& value, std::int32_t kind, bool nullable, const Variant& result) {
  std::string text;
  bool has_text = true;
  try {
    text = value.is_null() ? std::string() : value.to_string();
  } catch (const runtime::Error&) {
    has_text = false;  // no text: FormatoDB reports it and gives nothing
  }
  if (!has_text) {
    if (!result.is_empty()) finding("a value without text gave a literal", value, kind, result.to_string());
    return;
  }
  if (result.type() != runtime::VarType::String) finding("a text gave no literal", value, kind, "");
  std::string got = result.to_string();
  if (runtime::rtrim(text).empty()) {
    const char* blank = nullable ? "null" : kind == 0 ? "''" : "N''";
    if (got != blank) finding("a blank text gave another literal", value, kind, got);
    return;
  }
  std::string prefix = kind == 4 ? "N'" : "'";
  if (got.size() < prefix.size() + 1 || got.compare(0, prefix.size(), prefix) != 0 || got.back() != '\'')
    finding("not a quoted literal", value, kind, got);
  std::string inside;
  for (std::size_t i = prefix.size(); i + 1 < got.size(); ++i) {
    if (got[i] == '\'') {
      if (i + 2 >= got.size() || got[i + 1] != '\'')
        finding("a quote inside is not doubled", value, kind, got);
      ++i;
    }
    inside += got[i];
  }
  if (inside != text) finding("the literal holds another text", value, kind, got);
  // SQLite reads it as one literal holding exactly the text (its N prefix is the server's).
  if (text.find('\0') != std::string::npos) return;
  std::string read;
  if (!sqlite_reads(got.substr(prefix.size() - 1), read) || read != text)
    finding("SQLite reads another text from the literal", value, kind, got);
}

void check_date_literal(const Variant& value, std::int32_t kind, const Variant& result) {
  if (result.is_empty()) return;  // refused, with its message kept
  std::string got = result.to_string();
  if (got == "null") return;
  if (got.size() < 2 || got.front() != '\'' || got.back() != '\'' || got.find('\'', 1) != got.size() - 1)
    finding("a date literal is not one quoted text", value, kind, got);
}

Variant make_value(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 9)) {
    case 0:
      return Variant::null();
    case 1:
      return Variant();
    case 2:
      return Variant(in.ConsumeBool());
    case 3:
      return Variant(in.ConsumeIntegral<std::int32_t>());
    case 4:
      return Variant(in.ConsumeFloatingPoint<double>());
    case 5:
      // A day from year 100 to 9999, with a time of day.
      return Variant(runtime::Date{in.ConsumeFloatingPointInRange(-657434.0, 2958465.99)});
    default:
      return Variant(in.ConsumeRandomLengthString(512));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  host_once();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 2048) return 0;
  FuzzedDataProvider in(data, size);
  static constexpr std::int32_t kKinds[] = {0, 4, 0, 4, 1, 2, 3, 7};
  std::int32_t kind = in.PickValueInArray(kKinds);
  bool nullable = in.ConsumeBool();
  Variant value = make_value(in);
  Variant result = host_once().window->FormatoDB(value, kind, nullable);
  if (kind == 0 || kind == 4) check_text_literal(value, kind, nullable, result);
  if (kind == 3) check_date_literal(value, kind, result);
  return 0;
}
