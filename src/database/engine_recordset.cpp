#include "database/engine_recordset.hpp"

#include <cmath>

#include "database/sql_tokens.hpp"
#include "runtime/error.hpp"

namespace database {
namespace {

using sql::equals_ci;
using sql::hash_ci;

constexpr std::int32_t kNoCurrentRecord = 3021;
constexpr std::int32_t kBadArgument = 3001;
constexpr std::int32_t kNotUpdatable = 3251;
constexpr std::int32_t kItemNotFound = 3265;
constexpr std::int32_t kFieldNotWritable = -2147217887;
constexpr std::int32_t kRowNotLocated = -2147217864;
constexpr std::int32_t kRowDeleted = -2147217885;

std::string quote_identifier(const std::string& name) {
  return "\"" + runtime::replace_all(name, "\"", "\"\"") + "\"";
}

}  // namespace

void EngineRecordset::raise(std::int32_t number, const std::string& description) const {
  throw runtime::Error(number, description, source_);
}

void EngineRecordset::Open(const std::string& source, const std::shared_ptr<host::Connection>& connection,
                           std::int32_t, std::int32_t, std::int32_t) {
  if (open_) raise(kObjectOpen, "Operazione non consentita se il recordset è aperto.");
  auto engine = std::dynamic_pointer_cast<EngineConnection>(connection);
  if (!engine) raise(kBadArgument, "Il recordset richiede una connessione del database.");
  attach(engine, engine->query(source));
}

void EngineRecordset::attach(std::shared_ptr<EngineConnection> connection, QueryResult result) {
  connection_ = std::move(connection);
  source_ = connection_ && connection_->dialect() == Dialect::PostgreSQL ? "PostgreSQL provider"
                                                                         : "SQLite provider";
  columns_ = std::move(result.columns);
  rows_ = std::move(result.rows);
  open_ = !columns_.empty();
  position_ = 0;
  deleted_current_ = false;
  edit_ = Edit{};
  key_known_ = false;
  key_column_.clear();
  key_index_ = -1;
  base_database_.clear();
  base_table_.clear();
  for (const ResultColumn& c : columns_) {
    if (!c.table.empty()) {
      base_database_ = c.database;
      base_table_ = c.table;
      break;
    }
  }
  writable_.assign(columns_.size(), false);
  name_hashes_.clear();
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    writable_[i] = from_base_table(columns_[i]) && equals_ci(columns_[i].name, columns_[i].origin);
    name_hashes_.push_back(hash_ci(columns_[i].name));
  }
}

void EngineRecordset::Close() {
  require_open();
  connection_.reset();
  columns_.clear();
  name_hashes_.clear();
  rows_.clear();
  writable_.clear();
  edit_ = Edit{};
  open_ = false;
}

void EngineRecordset::require_open() const {
  if (!open_) raise(kObjectClosed, "Operazione non consentita se il recordset è chiuso.");
}

void EngineRecordset::require_current() const {
  require_open();
  if (deleted_current_) raise(kRowDeleted, "Il record corrente è stato eliminato.");
  if (Eof() || Bof()) {
    raise(kNoCurrentRecord,
          "BOF o EOF è True oppure il record corrente è stato eliminato. L'operazione richiesta richiede un "
          "record "
          "corrente.");
  }
}

std::int32_t EngineRecordset::RecordCount() const {
  require_open();
  return size();
}

bool EngineRecordset::Eof() const {
  require_open();
  if (deleted_current_) return false;
  return rows_.empty() || position_ >= size();
}

bool EngineRecordset::Bof() const {
  require_open();
  if (deleted_current_) return false;
  return rows_.empty() || position_ < 0;
}

void EngineRecordset::commit_pending() {
  if (edit_.active) Update();
}

void EngineRecordset::MoveFirst() {
  require_open();
  commit_pending();
  if (rows_.empty()) raise(kNoCurrentRecord, "Il recordset non contiene record.");
  deleted_current_ = false;
  position_ = 0;
}

void EngineRecordset::MoveLast() {
  require_open();
  commit_pending();
  if (rows_.empty()) raise(kNoCurrentRecord, "Il recordset non contiene record.");
  deleted_current_ = false;
  position_ = size() - 1;
}

void EngineRecordset::MoveNext() {
  require_open();
  commit_pending();
  if (deleted_current_) {
    // The row after the deleted one already stands at its position.
    deleted_current_ = false;
    return;
  }
  if (Eof()) raise(kNoCurrentRecord, "EOF è True: non ci sono altri record.");
  ++position_;
}

void EngineRecordset::MovePrevious() {
  require_open();
  commit_pending();
  if (deleted_current_) {
    deleted_current_ = false;
    --position_;
    return;
  }
  if (Bof()) raise(kNoCurrentRecord, "BOF è True: non ci sono record precedenti.");
  --position_;
}

std::int32_t EngineRecordset::AbsolutePosition() const {
  require_open();
  if (deleted_current_ || Eof() || Bof()) return -1;
  return position_;
}

void EngineRecordset::SetAbsolutePosition(std::int32_t position) {
  require_open();
  commit_pending();
  if (position < 0 || position >= size()) {
    raise(kBadArgument, "Posizione " + std::to_string(position) + " fuori dell'intervallo dei record (0-" +
                            std::to_string(size() - 1) + ").");
  }
  deleted_current_ = false;
  position_ = position;
}

std::vector<std::string> EngineRecordset::FieldNames() const {
  require_open();
  std::vector<std::string> names;
  names.reserve(columns_.size());
  for (const ResultColumn& c : columns_) names.push_back(c.name);
  return names;
}

bool EngineRecordset::HasField(const std::string& name) const {
  require_open();
  for (const ResultColumn& c : columns_)
    if (equals_ci(c.name, name)) return true;
  return false;
}

std::int32_t EngineRecordset::find_field(const std::string& name) const {
  std::uint64_t hash = hash_ci(name);
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (name_hashes_[i] == hash && equals_ci(columns_[i].name, name)) return static_cast<std::int32_t>(i);
  return -1;
}

std::size_t EngineRecordset::field_index(const std::string& name) const {
  require_open();
  if (std::int32_t found = find_field(name); found >= 0) return static_cast<std::size_t>(found);
  raise(kItemNotFound, "Impossibile trovare l'elemento '" + name +
                           "' nell'insieme corrispondente al nome o al numero ordinale richiesto.");
}

runtime::Variant EngineRecordset::Field(const std::string& name) const {
  std::size_t index = field_index(name);
  require_current();
  return rows_[static_cast<std::size_t>(position_)][index];
}

std::int32_t EngineRecordset::FieldIndex(const std::string& name) const {
  require_open();
  return find_field(name);
}

runtime::Variant EngineRecordset::FieldAt(std::int32_t index) const {
  require_open();
  if (index < 0 || static_cast<std::size_t>(index) >= columns_.size())
    raise(kItemNotFound, "Impossibile trovare l'elemento " + std::to_string(index) +
                             " nell'insieme corrispondente al nome o al numero ordinale richiesto.");
  require_current();
  return rows_[static_cast<std::size_t>(position_)][static_cast<std::size_t>(index)];
}

void EngineRecordset::SetField(const std::string& name, const runtime::Variant& value) {
  std::size_t index = field_index(name);
  require_current();
  const ResultColumn& column = columns_[index];
  if (!writable_[index]) {
    std::string why = column.table.empty()                     ? "è un'espressione"
                      : !equals_ci(column.name, column.origin) ? "è un alias di " + column.origin
                                                               : "appartiene alla tabella " + column.table;
    raise(kFieldNotWritable, "Il campo '" + column.name + "' non può essere scritto: " + why + ".");
  }
  runtime::Variant stored = field_value(value, column.kind, column.name, source_);
  auto& row = rows_[static_cast<std::size_t>(position_)];
  if (!edit_.active) {
    edit_.active = true;
    edit_.is_new = false;
    edit_.original = row;
    edit_.changed.assign(columns_.size(), false);
  }
  row[index] = std::move(stored);
  edit_.changed[index] = true;
}

void EngineRecordset::AddNew() {
  require_open();
  commit_pending();
  if (base_table_.empty())
    raise(kNotUpdatable, "Il recordset non consente aggiornamenti: la query non legge una tabella.");
  std::int32_t back = deleted_current_ ? position_ - 1 : position_;
  rows_.emplace_back(columns_.size(), runtime::Variant::null());
  deleted_current_ = false;
  position_ = size() - 1;
  edit_ = Edit{true, true, std::vector<bool>(columns_.size(), false), rows_.back(), back};
}

EngineConnection& EngineRecordset::connection() {
  if (!connection_) raise(kNotUpdatable, "Il recordset non è collegato a una connessione.");
  return *connection_;
}

bool EngineRecordset::from_base_table(const ResultColumn& column) const {
  return !base_table_.empty() && !column.origin.empty() && column.table == base_table_ &&
         column.database == base_database_;
}

std::string EngineRecordset::table_name() const {
  return quote_identifier(base_database_) + "." + quote_identifier(base_table_);
}

void EngineRecordset::require_key() {
  if (base_table_.empty())
    raise(kNotUpdatable, "Il recordset non consente aggiornamenti: la query non legge una tabella.");
  if (!key_known_) {
    key_column_ = connection().integer_key(base_database_, base_table_);
    key_index_ = -1;
    for (std::size_t i = 0; i < columns_.size() && !key_column_.empty(); ++i) {
      if (from_base_table(columns_[i]) && equals_ci(columns_[i].origin, key_column_)) {
        key_index_ = static_cast<std::int32_t>(i);
        break;
      }
    }
    key_known_ = true;
  }
  if (key_column_.empty()) {
    raise(kNotUpdatable,
          "La tabella " + base_table_ +
              " non ha una chiave INTEGER PRIMARY KEY: impossibile aggiornare o eliminare la riga.");
  }
  if (key_index_ < 0) {
    raise(kNotUpdatable, "La chiave " + key_column_ + " della tabella " + base_table_ +
                             " non è tra i campi della query: impossibile aggiornare o eliminare la riga.");
  }
}

std::int64_t EngineRecordset::key_of(const std::vector<runtime::Variant>& row) const {
  const runtime::Variant& key = row[static_cast<std::size_t>(key_index_)];
  double d = key.is_null() || key.is_empty() ? NAN : key.to_double();
  if (!std::isfinite(d) || d != std::floor(d)) {
    raise(kRowNotLocated, "La riga non ha un valore valido nella chiave " + key_column_ + ".");
  }
  return static_cast<std::int64_t>(d);
}

void EngineRecordset::read_back(std::int64_t key) {
  QueryResult stored = connection().run_bound(
      "SELECT * FROM " + table_name() + " WHERE " + quote_identifier(key_column_) + " = ?1", {key});
  if (stored.rows.size() != 1) return;
  auto& row = rows_[static_cast<std::size_t>(position_)];
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!from_base_table(columns_[i])) continue;
    for (std::size_t k = 0; k < stored.columns.size(); ++k) {
      if (equals_ci(stored.columns[k].name, columns_[i].origin)) {
        row[i] = stored.rows[0][k];
        break;
      }
    }
  }
}

void EngineRecordset::Update() {
  require_open();
  if (!edit_.active) return;
  require_key();
  auto& row = rows_[static_cast<std::size_t>(position_)];
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (edit_.changed[i]) changed.push_back(i);
  std::vector<SqlValue> parameters;
  for (std::size_t i : changed) parameters.push_back(sql_value(row[i], columns_[i].name, source_));

  std::int64_t key = 0;
  if (edit_.is_new) {
    std::string sql = "INSERT INTO " + table_name();
    if (changed.empty()) {
      sql += " DEFAULT VALUES";
    } else {
      std::string names, marks;
      for (std::size_t n = 0; n < changed.size(); ++n) {
        names += (n ? ", " : "") + quote_identifier(columns_[changed[n]].origin);
        marks += (n ? ", ?" : "?") + std::to_string(n + 1);
      }
      sql += " (" + names + ") VALUES (" + marks + ")";
    }
    key = connection().insert_returning_key(sql, parameters, key_column_);
  } else {
    if (changed.empty()) {
      edit_ = Edit{};
      return;
    }
    std::int64_t old_key = key_of(edit_.original);
    std::string sql = "UPDATE " + table_name() + " SET ";
    for (std::size_t n = 0; n < changed.size(); ++n)
      sql += (n ? ", " : "") + quote_identifier(columns_[changed[n]].origin) + " = ?" + std::to_string(n + 1);
    sql += " WHERE " + quote_identifier(key_column_) + " = ?" + std::to_string(changed.size() + 1);
    parameters.emplace_back(old_key);
    connection().run_bound(sql, parameters);
    if (connection().RowsAffected() == 0) {
      raise(kRowNotLocated, "Impossibile trovare la riga da aggiornare in " + base_table_ + " (chiave " +
                                std::to_string(old_key) +
                                "): può essere stata eliminata da un altro utente.");
    }
    key = key_of(row);
  }
  edit_ = Edit{};
  read_back(key);
}

void EngineRecordset::UpdateBatch(std::int32_t) {
  Update();
}

void EngineRecordset::CancelUpdate() {
  require_open();
  if (!edit_.active) return;
  if (edit_.is_new) {
    rows_.erase(rows_.begin() + position_);
    position_ = std::min(edit_.return_position, size());
  } else {
    rows_[static_cast<std::size_t>(position_)] = edit_.original;
  }
  edit_ = Edit{};
}

void EngineRecordset::Delete() {
  require_current();
  if (edit_.active && edit_.is_new) {
    CancelUpdate();
    return;
  }
  require_key();
  const auto& row = edit_.active ? edit_.original : rows_[static_cast<std::size_t>(position_)];
  std::int64_t key = key_of(row);
  connection().run_bound("DELETE FROM " + table_name() + " WHERE " + quote_identifier(key_column_) + " = ?1",
                         {key});
  if (connection().RowsAffected() == 0) {
    raise(kRowNotLocated, "Impossibile trovare la riga da eliminare in " + base_table_ + " (chiave " +
                              std::to_string(key) + "): può essere stata eliminata da un altro utente.");
  }
  edit_ = Edit{};
  rows_.erase(rows_.begin() + position_);
  deleted_current_ = true;
}

}  // namespace database
