#pragma once
// The host's standard service objects: the error display, the connection and record providers, and the
// date and number objects that write database literals.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/services.hpp"
#include "runtime/date.hpp"
#include "standin/responder.hpp"

namespace standin {

// Shows the error report through the responder. The responder must outlive the object.
class StandinErrorDisplay : public host::ErrorDisplay {
 public:
  explicit StandinErrorDisplay(MessageResponder& responder) : responder_(&responder) {}

  const runtime::ErrorInfo& error() const { return error_; }
  const std::vector<host::ProviderError>& provider_errors() const { return provider_errors_; }

  void set_Error(const runtime::ErrorInfo& error) override { error_ = error; }
  void set_ProviderErrors(const std::vector<host::ProviderError>& errors) override {
    provider_errors_ = errors;
  }
  // Leaves `extra` as it is.
  std::int32_t ShowReport(const std::string& application, const std::string& caption,
                          const std::string& routine, std::int32_t style, std::int32_t& extra) override;

 private:
  MessageResponder* responder_;
  runtime::ErrorInfo error_;
  std::vector<host::ProviderError> provider_errors_;
};

// Supplies new, unopened connections of the database layer.
class StandinConnectionFactory : public host::ConnectionFactory {
 public:
  std::shared_ptr<host::Connection> NewConnection() override;
};

// Supplies new, unopened recordsets of the database layer.
class StandinRecordService : public host::RecordService {
 public:
  std::shared_ptr<host::Recordset> NewRecordset() override;
};

// A text goes in; ErrorCode tells whether it was a date (the short date form or ISO, optionally with a
// time); DBFormat writes it as the ISO literal "YYYY-MM-DD", followed by " HH:MM:SS" when the time is not
// midnight. Before any text, and after a text that is not a date, ErrorCode is 1 and DBFormat throws
// runtime::Error 13.
class StandinDateObject : public host::DateObject {
 public:
  void set_Text(const std::string& text) override;
  std::int32_t ErrorCode() const override { return date_ ? 0 : 1; }
  std::string DBFormat() override;

 private:
  std::string text_;
  std::optional<runtime::Date> date_;
};

// SQL text of a number: the runtime's number text with a point as decimal separator; Null, Empty and a
// blank text give "null". A value that is not a number throws the runtime's conversion error.
class StandinNumberObject : public host::NumberObject {
 public:
  std::string DBFormat(const runtime::Variant& value) override;
};

}  // namespace standin
