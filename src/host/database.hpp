#pragma once
// The database objects the module uses: a connection that runs text commands and a recordset that holds
// the rows of one query. Only the operations listed here exist; every failure throws runtime::Error with
// the provider's number and text, and the provider's errors of the last failed call stay readable on
// the connection.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/variant.hpp"

namespace host {

// One error reported by the database provider.
struct ProviderError {
  std::int32_t number = 0;
  std::string description;
  std::string source;
  std::string sql_state;
};

// Option values of the original database objects.
inline constexpr std::int32_t kAdCmdText = 1;
inline constexpr std::int32_t kAdExecuteNoRecords = 128;
inline constexpr std::int32_t kAdOpenUnspecified = -1;
inline constexpr std::int32_t kAdLockUnspecified = -1;
inline constexpr std::int32_t kAdStateClosed = 0;
inline constexpr std::int32_t kAdStateOpen = 1;
inline constexpr std::int32_t kAdAffectCurrent = 1;

class Recordset;

class Connection : public runtime::Object {
 public:
  virtual std::string ConnectionString() const = 0;
  virtual void SetConnectionString(const std::string& text) = 0;
  // Opens the database named by the connection string (or by `text` when not empty). Options -1 means
  // unspecified. Throws when the database cannot be opened.
  virtual void Open(const std::string& text, const std::string& user, const std::string& password,
                    std::int32_t options) = 0;
  virtual void Close() = 0;
  virtual std::int32_t State() const = 0;
  // Runs one statement. Options 129 (text, no records) returns nothing; options 1 (text) returns an open
  // recordset on the statement's rows. A text holding more than one statement is refused.
  virtual std::shared_ptr<Recordset> Execute(const std::string& sql, std::int32_t options) = 0;
  // The provider's errors of the last failed call (empty after a call that succeeded).
  virtual std::vector<ProviderError> Errors() const = 0;
  // Rows changed by the last statement that wrote.
  virtual std::int64_t RowsAffected() const = 0;
};

// A recordset holds every row of its query, so its count is exact. Field values are read and written by
// name; a write changes the current row in memory until Update or UpdateBatch writes it to the base table
// of the query with a parameterised statement.
class Recordset : public runtime::Object {
 public:
  // Opens on a query text through the connection. Cursor and lock types -1 are unspecified; options 1 is
  // a text command.
  virtual void Open(const std::string& source, const std::shared_ptr<Connection>& connection,
                    std::int32_t cursor_type, std::int32_t lock_type, std::int32_t options) = 0;
  virtual void Close() = 0;
  virtual std::int32_t State() const = 0;
  virtual std::int32_t RecordCount() const = 0;
  virtual bool Eof() const = 0;
  virtual bool Bof() const = 0;
  virtual void MoveFirst() = 0;
  virtual void MoveLast() = 0;
  virtual void MoveNext() = 0;
  virtual void MovePrevious() = 0;
  // 0-based position of the current row; -1 at BOF or EOF.
  virtual std::int32_t AbsolutePosition() const = 0;
  virtual void SetAbsolutePosition(std::int32_t position) = 0;

  virtual std::vector<std::string> FieldNames() const = 0;
  virtual bool HasField(const std::string& name) const = 0;
  // Field by name (case-insensitive). Throws 3265 when the name is not a field of the query.
  virtual runtime::Variant Field(const std::string& name) const = 0;
  virtual void SetField(const std::string& name, const runtime::Variant& value) = 0;
  // For reading many rows: the position of a field among FieldNames() (case-insensitive), -1 when the
  // name is not a field, and the current row's value at that position, as Field gives it. A position
  // holds until the recordset is closed or opened again.
  virtual std::int32_t FieldIndex(const std::string& name) const = 0;
  virtual runtime::Variant FieldAt(std::int32_t index) const = 0;

  // A new row, current, not stored until Update.
  virtual void AddNew() = 0;
  // Writes the current row (insert when new, update of the changed fields otherwise).
  virtual void Update() = 0;
  // Writes the current row; affect 1 is the current record only.
  virtual void UpdateBatch(std::int32_t affect) = 0;
  virtual void CancelUpdate() = 0;
  // Deletes the current row from the base table and from the recordset.
  virtual void Delete() = 0;
  // True while the current row has changes not yet written; true for a new row.
  virtual bool EditPending() const = 0;
  virtual bool IsNewRow() const = 0;
};

}  // namespace host
