#pragma once
// The recordset on a query of either engine (SQLite or PostgreSQL, through engine.hpp). It holds every row in
// memory, so RecordCount is exact, and writes the current row back to the base table of the query with
// parameterised statements.
//
// Reading: each value keeps its own type (see column_values.hpp): whole numbers as Long (Double above 32
// bits, overflow above 2^53), reals as Double, texts as String, NULL as Null; a column declared as a date
// or time, and an expression column holding ISO date text, read as Date.
//
// Navigation follows the original provider: an empty recordset is at BOF and EOF at once; moving past
// EOF or before BOF, MoveFirst/MoveLast on an empty recordset, and reading a field at BOF/EOF raise 3021.
// Moving away from a row with pending changes writes them first (as Update does).
//
// Writing: the base table is the table of the first column that comes from a table. Its columns that
// appear under their own name are writable; an alias (`A AS B`), an expression or a column of another
// table is not, and SetField on it raises an error. A written value is converted at once to the column's
// kind (a text in the short date form or ISO into a date column becomes a Date, a text into a number
// column a number) and kept in memory until Update/UpdateBatch. The row is found by the base table's
// integer primary key (SQLite's INTEGER PRIMARY KEY), which must be among the query's columns. After a write
// the row is read back from the table, so generated keys and the values of aliases of written columns are
// current.
//
// Delete removes the row from the table and from the recordset; the deleted row stays current (its fields
// can no longer be read) until the next move, and MoveNext then reaches the row that followed it.

#include <memory>
#include <string>
#include <vector>

#include "database/engine.hpp"
#include "host/database.hpp"

namespace database {

class EngineRecordset : public host::Recordset {
 public:
  void Open(const std::string& source, const std::shared_ptr<host::Connection>& connection,
            std::int32_t cursor_type, std::int32_t lock_type, std::int32_t options) override;
  // Pending changes are discarded.
  void Close() override;
  std::int32_t State() const override { return open_ ? host::kAdStateOpen : host::kAdStateClosed; }
  std::int32_t RecordCount() const override;
  bool Eof() const override;
  bool Bof() const override;
  void MoveFirst() override;
  void MoveLast() override;
  void MoveNext() override;
  void MovePrevious() override;
  std::int32_t AbsolutePosition() const override;
  void SetAbsolutePosition(std::int32_t position) override;

  std::vector<std::string> FieldNames() const override;
  bool HasField(const std::string& name) const override;
  runtime::Variant Field(const std::string& name) const override;
  std::int32_t FieldIndex(const std::string& name) const override;
  runtime::Variant FieldAt(std::int32_t index) const override;
  void SetField(const std::string& name, const runtime::Variant& value) override;

  void AddNew() override;
  void Update() override;
  // Every affect value writes the current row: only the current row can hold pending changes.
  void UpdateBatch(std::int32_t affect) override;
  void CancelUpdate() override;
  void Delete() override;
  bool EditPending() const override { return edit_.active; }
  bool IsNewRow() const override { return edit_.active && edit_.is_new; }

  // Opens on rows a connection has already read (Execute uses it). A statement without result columns
  // leaves the recordset closed, as the original provider does.
  void attach(std::shared_ptr<EngineConnection> connection, QueryResult result);

 private:
  struct Edit {
    bool active = false;
    bool is_new = false;
    std::vector<bool> changed;
    std::vector<runtime::Variant> original;
    std::int32_t return_position = 0;  // where CancelUpdate of a new row goes back to
  };

  void require_open() const;
  void require_current() const;
  // Errors name the engine of the recordset's connection (the file engine's until it is opened).
  [[noreturn]] void raise(std::int32_t number, const std::string& description) const;
  std::size_t field_index(const std::string& name) const;
  std::int32_t find_field(const std::string& name) const;  // -1 when none
  std::int32_t size() const { return static_cast<std::int32_t>(rows_.size()); }
  bool from_base_table(const ResultColumn& column) const;
  void commit_pending();
  void require_key();
  EngineConnection& connection();
  std::int64_t key_of(const std::vector<runtime::Variant>& row) const;
  void read_back(std::int64_t key);
  std::string table_name() const;

  std::shared_ptr<EngineConnection> connection_;
  const char* source_ = "SQLite provider";
  std::vector<ResultColumn> columns_;
  std::vector<std::uint64_t> name_hashes_;  // of the columns' names, for looking a field up by name
  std::vector<std::vector<runtime::Variant>> rows_;
  bool open_ = false;
  std::int32_t position_ = 0;  // -1 before the first row, size() after the last
  bool deleted_current_ = false;

  std::string base_database_;
  std::string base_table_;
  std::vector<bool> writable_;
  bool key_known_ = false;
  std::string key_column_;
  std::int32_t key_index_ = -1;

  Edit edit_;
};

}  // namespace database
