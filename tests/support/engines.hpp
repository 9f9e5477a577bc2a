#pragma once
// The two database engines the scenario suites run on, with the same assertions: a SQLite file in a
// scratch directory, or a fresh database on the PostgreSQL server named by CALENDATT_TEST_PG (a libpq
// URI or key=value parameters of a server the tests may create and drop databases on;
// scripts/with-postgres.sh starts a throwaway one and sets it). Without CALENDATT_TEST_PG the PostgreSQL
// cases fail, saying so: they never pass by being skipped.

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/connection.hpp"
#include "database/schema.hpp"
#include "database/temp_database.hpp"

namespace calendatt::testing {

enum class Engine { SQLite, PostgreSQL };

inline void PrintTo(Engine engine, std::ostream* os) {
  *os << (engine == Engine::SQLite ? "SQLite" : "PostgreSQL");
}

inline std::string engine_name(const ::testing::TestParamInfo<Engine>& info) {
  return info.param == Engine::SQLite ? "SQLite" : "PostgreSQL";
}

#define CALENDATT_ON_EACH_ENGINE(fixture)                                                                \
  INSTANTIATE_TEST_SUITE_P(                                                                              \
      Engines, fixture,                                                                                  \
      ::testing::Values(::calendatt::testing::Engine::SQLite, ::calendatt::testing::Engine::PostgreSQL), \
      ::calendatt::testing::engine_name)

inline const char* kNoServer =
    "CALENDATT_TEST_PG is not set: the PostgreSQL cases need a server. Run the suite with "
    "scripts/test.sh, or under scripts/with-postgres.sh, which starts a throwaway server and sets it.";

// The server of the tests, from CALENDATT_TEST_PG ("" when not set).
inline std::string test_server() {
  const char* server = std::getenv("CALENDATT_TEST_PG");
  return server ? server : "";
}

// The connection parameters of the test server with another database, as key=value parameters.
inline std::string server_database(const std::string& dbname) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(test_server().c_str(), &error);
  PQfreemem(error);
  if (!options) throw std::runtime_error("CALENDATT_TEST_PG is not a connection string libpq reads");
  std::string out;
  auto quoted = [](const std::string& v) {
    std::string q = "'";
    for (char c : v) {
      if (c == '\'' || c == '\\') q += '\\';
      q += c;
    }
    return q + "'";
  };
  for (PQconninfoOption* o = options; o->keyword; ++o) {
    if (!o->val || !*o->val || std::string(o->keyword) == "dbname") continue;
    out += std::string(o->keyword) + "=" + quoted(o->val) + " ";
  }
  PQconninfoFree(options);
  return out + "dbname=" + quoted(dbname);
}

// A plain libpq session that runs text exactly as given and shows rows as the SQLite helper does.
class ServerSession {
 public:
  explicit ServerSession(const std::string& conninfo) : conn_(PQconnectdb(conninfo.c_str())) {
    if (PQstatus(conn_) != CONNECTION_OK) {
      std::string message = PQerrorMessage(conn_);
      PQfinish(conn_);
      conn_ = nullptr;
      throw std::runtime_error("cannot reach the test server: " + message);
    }
    exec("SET client_min_messages TO warning; SET DateStyle TO ISO, YMD");
  }
  ~ServerSession() { PQfinish(conn_); }
  ServerSession(const ServerSession&) = delete;
  ServerSession& operator=(const ServerSession&) = delete;

  void exec(const std::string& sql) {
    PGresult* r = PQexec(conn_, sql.c_str());
    bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    std::string message = PQresultErrorMessage(r);
    PQclear(r);
    if (!ok) throw std::runtime_error(message + " in: " + sql);
  }

  // Every row as "type:value|..." with SQLite's type numbers (1 integer, 2 real, 3 text, 5 null), sorted.
  std::vector<std::string> rows(const std::string& sql) const {
    std::vector<std::string> out;
    PGresult* r = query(sql);
    for (int row = 0; row < PQntuples(r); ++row) {
      std::string text;
      for (int c = 0; c < PQnfields(r); ++c) {
        Oid type = PQftype(r, c);
        int code = type == 20 || type == 21 || type == 23 ? 1 : type == 700 || type == 701 ? 2 : 3;
        text += PQgetisnull(r, row, c) ? std::string("5:NULL|")
                                       : std::to_string(code) + ":" + PQgetvalue(r, row, c) + "|";
      }
      out.push_back(text);
    }
    PQclear(r);
    std::sort(out.begin(), out.end());
    return out;
  }

  std::string value(const std::string& sql) const {
    PGresult* r = query(sql);
    std::string out = PQntuples(r) == 0 ? "" : PQgetisnull(r, 0, 0) ? "NULL" : PQgetvalue(r, 0, 0);
    PQclear(r);
    return out;
  }

 private:
  // The rows of a query; its error as an exception.
  PGresult* query(const std::string& sql) const {
    PGresult* r = PQexec(conn_, sql.c_str());
    if (PQresultStatus(r) != PGRES_TUPLES_OK) {
      std::string message = PQresultErrorMessage(r);
      PQclear(r);
      throw std::runtime_error(message + " in: " + sql);
    }
    return r;
  }

  PGconn* conn_ = nullptr;
};

// Plain access to a scratch database of either engine: text run exactly as given.
class RawAccess {
 public:
  explicit RawAccess(std::unique_ptr<database::testing::RawDatabase> file) : file_(std::move(file)) {}
  explicit RawAccess(std::unique_ptr<ServerSession> server) : server_(std::move(server)) {}

  void exec(const std::string& sql) { file_ ? file_->exec(sql) : server_->exec(sql); }
  std::vector<std::string> rows(const std::string& sql) const {
    return file_ ? file_->rows(sql) : server_->rows(sql);
  }
  std::string value(const std::string& sql) const { return file_ ? file_->value(sql) : server_->value(sql); }

 private:
  std::unique_ptr<database::testing::RawDatabase> file_;
  std::unique_ptr<ServerSession> server_;
};

// An empty database of one engine for one test, removed at the end: a file in a scratch directory, or
// a database of its own on the test server. The scratch directory exists for both engines.
class ScratchDatabase {
 public:
  explicit ScratchDatabase(Engine engine) : engine_(engine) {
    if (engine_ == Engine::SQLite) {
      target_ = files_.path();
      return;
    }
    if (test_server().empty()) throw std::runtime_error(kNoServer);
    static std::atomic<int> counter{0};
    name_ = "calendatt_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    ServerSession admin(test_server());
    admin.exec("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    admin.exec("CREATE DATABASE " + name_);
    target_ = server_database(name_);
  }
  ~ScratchDatabase() {
    if (name_.empty()) return;
    try {
      ServerSession admin(test_server());
      admin.exec("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    } catch (const std::exception&) {
      // The throwaway server goes with everything in it.
    }
  }
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;

  Engine engine() const { return engine_; }
  // What --db takes: the file, or the server's connection parameters.
  const std::string& target() const { return target_; }
  std::string connection_string() const { return database::connection_string_for(target_); }
  // The connection string of a database that does not exist, on the same engine.
  std::string missing_connection_string() const {
    return engine_ == Engine::SQLite ? database::connection_string_for(target_ + ".missing")
                                     : server_database(name_ + "_missing");
  }
  const std::filesystem::path& dir() const { return files_.dir(); }

  // Creates the schema (and the demo content when asked); returns the open connection.
  std::shared_ptr<host::Connection> create(bool demo = false) {
    auto connection = database::open_target(target_, true);
    database::ensure_schema(*connection);
    if (demo) database::insert_demo_data(*connection);
    return connection;
  }

  std::unique_ptr<RawAccess> raw() const {
    if (engine_ == Engine::SQLite)
      return std::make_unique<RawAccess>(std::make_unique<database::testing::RawDatabase>(target_));
    return std::make_unique<RawAccess>(std::make_unique<ServerSession>(target_));
  }

 private:
  Engine engine_;
  database::testing::TempDatabase files_;
  std::string target_;
  std::string name_;
};

// A fixture with a virtual engine() run once on each engine (the test parameter).
template <class Fixture>
class OnEachEngine : public Fixture, public ::testing::WithParamInterface<Engine> {
 protected:
  Engine engine() const override { return this->GetParam(); }
};

// A fixture with a virtual engine() run on one engine only.
template <class Fixture, Engine kEngine>
class OnEngine : public Fixture {
 protected:
  Engine engine() const override { return kEngine; }
};

}  // namespace calendatt::testing
