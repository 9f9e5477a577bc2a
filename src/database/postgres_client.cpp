#include "database/postgres_client.hpp"

#include <dlfcn.h>
#include <libpq-fe.h>

#include "database/engine.hpp"
#include "runtime/error.hpp"

namespace database {
namespace {

constexpr const char* kClientLibrary = "libpq.so.5";

struct Client {
  void* handle = nullptr;
  std::string problem;
};

const Client& client() {
  static const Client loaded = [] {
    Client c;
    c.handle = dlopen(kClientLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!c.handle) {
      const char* why = dlerror();
      c.problem = std::string("la libreria client di PostgreSQL (") + kClientLibrary +
                  ") non si carica: " + (why ? why : "motivo sconosciuto");
    }
    return c;
  }();
  return loaded;
}

// The client's function of that name. Only the connection string's parsing runs before a connection has
// checked that the library is there; every other call comes after it.
template <typename Function>
Function* function(const char* name) {
  const Client& c = client();
  void* symbol = c.handle ? dlsym(c.handle, name) : nullptr;
  if (!symbol) {
    throw runtime::Error(
        kOpenError,
        c.problem.empty() ? std::string("la libreria client di PostgreSQL non ha ") + name : c.problem,
        "PostgreSQL provider");
  }
  return reinterpret_cast<Function*>(symbol);
}

}  // namespace

std::string postgres_client_problem() {
  return client().problem;
}

}  // namespace database

using database::function;

#define CALENDATT_CLIENT(name) static auto* const call = function<decltype(::name)>(#name)

extern "C" {

PGconn* PQconnectdbParams(const char* const* keywords, const char* const* values, int expand_dbname) {
  CALENDATT_CLIENT(PQconnectdbParams);
  return call(keywords, values, expand_dbname);
}
void PQfinish(PGconn* conn) {
  if (!conn) return;
  CALENDATT_CLIENT(PQfinish);
  call(conn);
}
void PQreset(PGconn* conn) {
  CALENDATT_CLIENT(PQreset);
  call(conn);
}
ConnStatusType PQstatus(const PGconn* conn) {
  CALENDATT_CLIENT(PQstatus);
  return call(conn);
}
PGTransactionStatusType PQtransactionStatus(const PGconn* conn) {
  CALENDATT_CLIENT(PQtransactionStatus);
  return call(conn);
}
char* PQerrorMessage(const PGconn* conn) {
  CALENDATT_CLIENT(PQerrorMessage);
  return call(conn);
}
PQnoticeProcessor PQsetNoticeProcessor(PGconn* conn, PQnoticeProcessor proc, void* arg) {
  CALENDATT_CLIENT(PQsetNoticeProcessor);
  return call(conn, proc, arg);
}
int PQsetClientEncoding(PGconn* conn, const char* encoding) {
  CALENDATT_CLIENT(PQsetClientEncoding);
  return call(conn, encoding);
}
PGresult* PQexec(PGconn* conn, const char* query) {
  CALENDATT_CLIENT(PQexec);
  return call(conn, query);
}
PGresult* PQexecParams(PGconn* conn, const char* command, int n_params, const Oid* param_types,
                       const char* const* param_values, const int* param_lengths, const int* param_formats,
                       int result_format) {
  CALENDATT_CLIENT(PQexecParams);
  return call(conn, command, n_params, param_types, param_values, param_lengths, param_formats,
              result_format);
}
PGresult* PQprepare(PGconn* conn, const char* name, const char* query, int n_params, const Oid* param_types) {
  CALENDATT_CLIENT(PQprepare);
  return call(conn, name, query, n_params, param_types);
}
PGresult* PQexecPrepared(PGconn* conn, const char* name, int n_params, const char* const* param_values,
                         const int* param_lengths, const int* param_formats, int result_format) {
  CALENDATT_CLIENT(PQexecPrepared);
  return call(conn, name, n_params, param_values, param_lengths, param_formats, result_format);
}
PGresult* PQdescribePrepared(PGconn* conn, const char* name) {
  CALENDATT_CLIENT(PQdescribePrepared);
  return call(conn, name);
}
ExecStatusType PQresultStatus(const PGresult* res) {
  CALENDATT_CLIENT(PQresultStatus);
  return call(res);
}
char* PQresultErrorField(const PGresult* res, int field_code) {
  CALENDATT_CLIENT(PQresultErrorField);
  return call(res, field_code);
}
void PQclear(PGresult* res) {
  if (!res) return;
  CALENDATT_CLIENT(PQclear);
  call(res);
}
int PQntuples(const PGresult* res) {
  CALENDATT_CLIENT(PQntuples);
  return call(res);
}
int PQnfields(const PGresult* res) {
  CALENDATT_CLIENT(PQnfields);
  return call(res);
}
char* PQfname(const PGresult* res, int field) {
  CALENDATT_CLIENT(PQfname);
  return call(res, field);
}
Oid PQftable(const PGresult* res, int field) {
  CALENDATT_CLIENT(PQftable);
  return call(res, field);
}
int PQftablecol(const PGresult* res, int field) {
  CALENDATT_CLIENT(PQftablecol);
  return call(res, field);
}
Oid PQftype(const PGresult* res, int field) {
  CALENDATT_CLIENT(PQftype);
  return call(res, field);
}
char* PQcmdStatus(PGresult* res) {
  CALENDATT_CLIENT(PQcmdStatus);
  return call(res);
}
char* PQcmdTuples(PGresult* res) {
  CALENDATT_CLIENT(PQcmdTuples);
  return call(res);
}
char* PQgetvalue(const PGresult* res, int row, int field) {
  CALENDATT_CLIENT(PQgetvalue);
  return call(res, row, field);
}
int PQgetisnull(const PGresult* res, int row, int field) {
  CALENDATT_CLIENT(PQgetisnull);
  return call(res, row, field);
}
int PQgetlength(const PGresult* res, int row, int field) {
  CALENDATT_CLIENT(PQgetlength);
  return call(res, row, field);
}
int PQnparams(const PGresult* res) {
  CALENDATT_CLIENT(PQnparams);
  return call(res);
}
void PQfreemem(void* ptr) {
  if (!ptr) return;
  CALENDATT_CLIENT(PQfreemem);
  call(ptr);
}
unsigned char* PQunescapeBytea(const unsigned char* text, size_t* length) {
  CALENDATT_CLIENT(PQunescapeBytea);
  return call(text, length);
}
void PQconninfoFree(PQconninfoOption* options) {
  if (!options) return;
  CALENDATT_CLIENT(PQconninfoFree);
  call(options);
}
// A text is a server's connection string only if the client can read it as one: without the client,
// none is (the caller then takes it for a file, whose opening says what is wrong).
PQconninfoOption* PQconninfoParse(const char* text, char** error) {
  if (!database::postgres_client_problem().empty()) {
    if (error) *error = nullptr;
    return nullptr;
  }
  CALENDATT_CLIENT(PQconninfoParse);
  return call(text, error);
}

}  // extern "C"
