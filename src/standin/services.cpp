#include "standin/services.hpp"

#include <cmath>
#include <cstdio>

#include "database/engine_recordset.hpp"
#include "database/sqlite_connection.hpp"
#include "runtime/error.hpp"

namespace standin {

std::int32_t StandinErrorDisplay::ShowReport(const std::string& application, const std::string& caption,
                                             const std::string& routine, std::int32_t style, std::int32_t&) {
  ErrorReport report{error_, provider_errors_, application, caption, routine, style};
  return responder_->answer_report(report);
}

std::shared_ptr<host::Connection> StandinConnectionFactory::NewConnection() {
  return database::new_connection();
}

std::shared_ptr<host::Recordset> StandinRecordService::NewRecordset() {
  return std::make_shared<database::EngineRecordset>();
}

void StandinDateObject::set_Text(const std::string& text) {
  text_ = text;
  date_ = runtime::parse_date(text);
}

std::string StandinDateObject::DBFormat() {
  if (!date_)
    throw runtime::Error(runtime::err::kTypeMismatch, "Not a date: \"" + text_ + "\"", "CLSFW_Date");
  return date_->iso() + date_->clock(' ');
}

std::string StandinNumberObject::DBFormat(const runtime::Variant& value) {
  if (runtime::is_blank(value)) return "null";
  return runtime::number_text(value.to_double());
}

}  // namespace standin
