#pragma once
// Host service objects the module creates through the registry: error display, connection and record
// providers, the date and number objects of the standard library, lookup and decode preparation,
// maintenance program links and the hypermedia object.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/contract.hpp"
#include "host/database.hpp"
#include "runtime/error.hpp"
#include "runtime/variant.hpp"

namespace host {

class Control;
class CodeEdit;

// Shows the error report: the error object, the provider's errors and the routine name.
class ErrorDisplay : public virtual runtime::Object {
 public:
  virtual void set_Error(const runtime::ErrorInfo& error) = 0;
  virtual void set_ProviderErrors(const std::vector<ProviderError>& errors) = 0;
  // Shows the report; returns the button pressed (3 Abort, 4 Retry, 5 Ignore).
  virtual std::int32_t ShowReport(const std::string& application, const std::string& caption,
                                  const std::string& routine, std::int32_t style, std::int32_t& extra) = 0;
};

class ConnectionFactory : public virtual runtime::Object {
 public:
  // A new, unopened connection.
  virtual std::shared_ptr<Connection> NewConnection() = 0;
};

class RecordService : public virtual runtime::Object {
 public:
  // A new, unopened recordset.
  virtual std::shared_ptr<Recordset> NewRecordset() = 0;
};

// The standard library's date object: a text goes in, the error indicator tells whether it was a date,
// DBFormat gives the database literal without quotes.
class DateObject : public virtual runtime::Object {
 public:
  virtual void set_Text(const std::string& text) = 0;
  virtual std::int32_t ErrorCode() const = 0;  // 0 when the text was a valid date
  virtual std::string DBFormat() = 0;
};

class NumberObject : public virtual runtime::Object {
 public:
  // SQL text of a number, ready to concatenate.
  virtual std::string DBFormat(const runtime::Variant& value) = 0;
};

// Prepares the lookup of a code field; the prepared values are then read in this order: value B, text A,
// text C, the lookup setting.
class LookupService : public virtual runtime::Object {
 public:
  virtual void set_Interface(std::shared_ptr<Cinterface> value) = 0;
  virtual void PrepareProjectLookup(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                                    std::int32_t e, const runtime::Variant& omitted) = 0;
  virtual void PrepareNodeLookup(const runtime::Variant& omitted, const runtime::Variant& node_description,
                                 const std::string& project) = 0;
  virtual void PrepareActivityLookup(const std::string& project, const std::string& node,
                                     const runtime::Variant& omitted) = 0;
  virtual runtime::Variant ValueB() = 0;
  virtual std::string TextA() = 0;
  virtual std::string TextC() = 0;
  virtual runtime::Variant Setting() = 0;
};

// Prepares the decode of a code field (text A, value B) and answers the three checks (True = rejected).
class DecodeService : public virtual runtime::Object {
 public:
  virtual void set_Interface(std::shared_ptr<Cinterface> value) = 0;
  virtual void PrepareProjectDecode(const std::string& project, const std::shared_ptr<Control>& description,
                                    std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                                    std::int32_t e) = 0;
  virtual void PrepareNodeDecode(const std::string& project, const std::string& node,
                                 const std::shared_ptr<Control>& description) = 0;
  virtual void PrepareActivityDecode(const std::string& project, const std::string& activity,
                                     const std::shared_ptr<Control>& description) = 0;
  virtual std::string TextA() = 0;
  virtual runtime::Variant ValueB() = 0;
  virtual bool ProjectRejected(const std::string& project) = 0;
  virtual bool NodeRejected(const std::string& project, const std::string& node) = 0;
  virtual bool ActivityRejected(const std::string& project, const std::string& activity) = 0;
};

// Link to the node and activity maintenance programs.
class MaintenanceProg : public virtual runtime::Object {
 public:
  virtual void set_Interface(std::shared_ptr<Cinterface> value) = 0;
  virtual void set_Control(std::shared_ptr<Control> value) = 0;
  virtual void set_NodeCode(const std::string& value) = 0;
  virtual void set_ProjectCode(const std::string& value) = 0;
  virtual void set_ActivityCode(const std::string& value) = 0;
  virtual runtime::Variant OpenNodeMaintenance() = 0;
  virtual runtime::Variant OpenActivityMaintenance() = 0;
  virtual runtime::Variant Close() = 0;
};

// Link to the project maintenance program; a chosen project code comes back through TransferData.
class MaintenanceProd : public virtual runtime::Object {
 public:
  virtual void set_Interface(std::shared_ptr<Cinterface> value) = 0;
  virtual void set_Control(std::shared_ptr<Control> value) = 0;
  virtual void set_ProjectCode(const std::string& value) = 0;
  virtual runtime::Variant OpenProjectMaintenance() = 0;
  virtual runtime::Variant Close() = 0;
  // Raised with the program key (45 = project maintenance) and the data sent back.
  std::function<void(bool& Cancel, const runtime::Variant& data, std::int32_t& tsCalledProgram)> TransferData;
};

class HyperMedia : public virtual runtime::Object {
 public:
  virtual std::shared_ptr<Connection> DBConnection() = 0;
  virtual void set_DBConnection(std::shared_ptr<Connection> value) = 0;
  // The media manager: two values of the global object, the connection string, the media id, the host
  // window handle, 1 and 0.
  virtual void MediaManager(runtime::Variant& value1, runtime::Variant& value2,
                            std::string& connection_string, runtime::Variant& media_id,
                            const runtime::Variant& hwnd_parent, std::int32_t a, std::int32_t b) = 0;
  std::function<void(bool& Cancel, const runtime::Variant& CodiceMedia)> AfterMediaCreate;
};

}  // namespace host
