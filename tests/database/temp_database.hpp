#pragma once
// Test helpers: a database file in a directory of its own (removed with everything in it), and a plain
// SQLite handle that runs text exactly as given, to compare against the layer.

#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/schema.hpp"
#include "database/sqlite_connection.hpp"

namespace database::testing {

class TempDatabase {
 public:
  TempDatabase() {
    std::string pattern = (std::filesystem::temp_directory_path() / "calendatt-db-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    dir_ = pattern;
    path_ = (dir_ / "calendar.db").string();
  }
  ~TempDatabase() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  TempDatabase(const TempDatabase&) = delete;
  TempDatabase& operator=(const TempDatabase&) = delete;

  const std::string& path() const { return path_; }
  const std::filesystem::path& dir() const { return dir_; }

  // Creates the file with the schema (and the demo content when asked); returns the open connection.
  std::shared_ptr<SqliteConnection> create(bool demo = false) {
    auto connection = std::dynamic_pointer_cast<SqliteConnection>(open_or_create(path_));
    ensure_schema(*connection);
    if (demo) insert_demo_data(*connection);
    return connection;
  }

  // Another connection on the same file, opened through the connection string.
  std::shared_ptr<SqliteConnection> connect() const {
    auto connection = std::make_shared<SqliteConnection>();
    connection->Open("Provider=SQLite;Data Source=" + path_, "", "", -1);
    return connection;
  }

 private:
  std::filesystem::path dir_;
  std::string path_;
};

// A plain handle on the file: runs text unchanged.
class RawDatabase {
 public:
  explicit RawDatabase(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      sqlite3_close_v2(db_);
      throw std::runtime_error("cannot open " + path);
    }
    sqlite3_busy_timeout(db_, 5000);
  }
  ~RawDatabase() { sqlite3_close_v2(db_); }
  RawDatabase(const RawDatabase&) = delete;
  RawDatabase& operator=(const RawDatabase&) = delete;

  sqlite3* handle() const { return db_; }

  void exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      std::string text = message ? message : "?";
      sqlite3_free(message);
      throw std::runtime_error(text + " in: " + sql);
    }
  }

  // Every row as one text "typeof:value|typeof:value...", sorted, so that two result sets compare.
  std::vector<std::string> rows(const std::string& sql) const {
    std::vector<std::string> out;
    for_each_row(sql, [&](sqlite3_stmt* stmt) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        row += std::to_string(sqlite3_column_type(stmt, i)) + ":" + (text ? text : "NULL") + "|";
      }
      out.push_back(row);
    });
    std::sort(out.begin(), out.end());
    return out;
  }

  // The first column of the first row as text ("NULL" for null, "" when there is no row).
  std::string value(const std::string& sql) const {
    std::string out;
    bool first = true;
    for_each_row(sql, [&](sqlite3_stmt* stmt) {
      if (!first) return;
      first = false;
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      out = text ? text : "NULL";
    });
    return out;
  }

  // The details of EXPLAIN QUERY PLAN, one line per step.
  std::string plan(const std::string& sql) const {
    std::string out;
    for_each_row("EXPLAIN QUERY PLAN " + sql, [&](sqlite3_stmt* stmt) {
      out += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3));
      out += "\n";
    });
    return out;
  }

 private:
  template <class F>
  void for_each_row(const std::string& sql, F&& f) const {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      std::string text = sqlite3_errmsg(db_);
      sqlite3_finalize(stmt);
      throw std::runtime_error(text + " in: " + sql);
    }
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) f(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
  }

  sqlite3* db_ = nullptr;
};

// A text as a literal: quoted, its quotes doubled.
inline std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

// A lifted text with each placeholder (?n or $n) replaced by literal(n - 1); the literals left in the
// text are copied as they are.
template <class Literal>
std::string put_back(const std::string& t, char placeholder, Literal literal) {
  std::string out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\'') {
      std::size_t end = i + 1;
      while (end < t.size() && !(t[end] == '\'' && (end + 1 >= t.size() || t[end + 1] != '\'')))
        end += t[end] == '\'' ? 2 : 1;
      out += t.substr(i, end + 1 - i);
      i = end;
      continue;
    }
    if (t[i] != placeholder || i + 1 >= t.size() || t[i + 1] < '0' || t[i + 1] > '9') {
      out += t[i];
      continue;
    }
    std::size_t n = 0;
    while (i + 1 < t.size() && t[i + 1] >= '0' && t[i + 1] <= '9')
      n = n * 10 + static_cast<std::size_t>(t[++i] - '0');
    out += literal(n - 1);
  }
  return out;
}

// The module's calendar query, fragment by fragment; empty placeholders take their defaults ('' and 0).
inline std::string calendar_query(int company, const std::string& day, const std::string& node,
                                  const std::string& link, const std::string& start, const std::string& end) {
  auto date = [](const std::string& iso) { return iso.empty() ? std::string("''") : "'" + iso + "'"; };
  auto id = [](const std::string& n) { return n.empty() ? std::string("0") : n; };
  std::string d = date(day), n = id(node), l = id(link), s = date(start), e = date(end);
  return std::string(" SELECT PD4G_CALENDATT.*, ") + "\r\n" +
         " PD4G_IDDISBAPROG_PD0G AS PD4G_IDDISBAPROG_PD68, PD4G_IDDISBAPROG_PD0G AS PD4G_IDDISBAPROG_PD0C, "
         "PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_PD0D, " +
         " PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_INI, PD4G_IDLEGAME_PD0H AS PD4G_IDLEGAME_FIN " +
         " FROM PD4G_CALENDATT " + " WHERE PD4G_DITTA_CG18 = " + std::to_string(company) +
         " AND (PD4G_DATAATTIVITA = " + d + " OR " + d + "='') " + " AND (PD4G_IDDISBAPROG_PD0G = " + n +
         " OR " + n + "=0) " + " AND (PD4G_IDLEGAME_PD0H = " + l + " OR " + l + "=0) " +
         " AND (PD4G_DATAATTIVITA>= " + s + " OR " + s + "='') " + " AND (PD4G_DATAATTIVITA<= " + e + " OR " +
         e + "='') ";
}

}  // namespace database::testing
