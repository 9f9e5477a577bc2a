#pragma once
// The server engine's client library is loaded when it is first needed: a run on a SQLite file never
// loads it, nor the thirty libraries it brings (network security, directory services), whose loading
// costs more than a small listing. The engine calls the client's functions as usual; the definitions in
// postgres_client.cpp forward each call to the library, loaded once.

#include <string>

namespace database {

// Loads the client library if it is not loaded yet. Empty when it is there; otherwise why not, in a form
// fit for the message that the connection could not be opened.
std::string postgres_client_problem();

}  // namespace database
