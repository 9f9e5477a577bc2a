#include "standin/code_lookup.hpp"

#include "host/controls.hpp"
#include "host/registry.hpp"
#include "host/services.hpp"
#include "runtime/error.hpp"

namespace standin {

using runtime::Variant;

std::vector<std::vector<Variant>> run_lookup(const LookupRequest& request) {
  auto& registry = host::Registry::instance();
  auto connection =
      registry.create_as<host::ConnectionFactory>(host::progid::kConnectionFactory)->NewConnection();
  connection->SetConnectionString(request.connection);
  connection->Open("", "", "", -1);
  auto rs = registry.create_as<host::RecordService>(host::progid::kRecordService)->NewRecordset();
  rs->Open(request.text_a, connection, host::kAdOpenUnspecified, host::kAdLockUnspecified, host::kAdCmdText);
  std::vector<std::vector<Variant>> rows;
  auto names = rs->FieldNames();
  for (; !rs->Eof(); rs->MoveNext()) {
    std::vector<Variant> row;
    for (const auto& name : names) row.push_back(rs->Field(name));
    rows.push_back(std::move(row));
  }
  rs->Close();
  connection->Close();
  return rows;
}

DecodeResult run_decode(const std::string& text_a, const std::string& connection_text) {
  DecodeResult result;
  try {
    auto rows = run_lookup(LookupRequest{text_a, Variant(), "", connection_text});
    result.found = !rows.empty();
    if (result.found && !rows.front().empty() && !runtime::is_blank(rows.front().front()))
      result.description = rows.front().front().to_string();
  } catch (const runtime::Error& e) {
    result.failure = e.description();
  }
  return result;
}

std::optional<DecodeResult> decode_code_field(const std::string& code,
                                              const StartDecodeRaiser& start_decode) {
  Variant first, value_b;
  std::string text_a, connection_text;
  start_decode(first, text_a, value_b, connection_text);
  auto description = value_b.as<host::TextControl>();
  if (runtime::trim(code).empty() || text_a.empty()) {
    if (description) description->set_Text("");
    return std::nullopt;
  }
  DecodeResult result = run_decode(text_a, connection_text);
  if (description) description->set_Text(result.description);
  return result;
}

Variant lookup_row(const std::vector<Variant>& values) {
  auto array = std::make_shared<runtime::Array2D>(1, 1, 0, static_cast<int>(values.size()) - 1);
  for (std::size_t k = 0; k < values.size(); ++k) array->at(1, static_cast<int>(k)) = values[k];
  return Variant(array);
}

HeadlessCodeEdit::LookupChooser pick_code(std::string code, int occurrence) {
  return
      [code = std::move(code), occurrence](HeadlessCodeEdit& edit, const LookupRequest& request) -> Variant {
        int seen = 0;
        for (const auto& row : run_lookup(request)) {
          if (row.empty() || runtime::is_blank(row[0]) ||
              runtime::rtrim(row[0].to_string()) != runtime::rtrim(code))
            continue;
          if (seen++ < occurrence) continue;
          edit.set_Text(runtime::rtrim(code));
          edit.set_decode_ok(true);
          return lookup_row(row);
        }
        return Variant();
      };
}

}  // namespace standin
