#pragma once
// The database file the desktop opens: a missing file is created only when the person says so (empty
// or with the demo data); any other problem with the file is shown in a dialog and nothing is written.

#include <string>

class QWidget;

namespace desktop {

enum class DatabaseFile {
  kReady,     // a calendar database, ready to be opened
  kDeclined,  // it did not exist and the person chose not to create it
  kFailed,    // it cannot be used (the dialog said why)
};

// Object names of the question's buttons, for the person's clicks in the tests.
inline constexpr const char* kCreateWithDemo = "create_demo";
inline constexpr const char* kCreateEmpty = "create_empty";
inline constexpr const char* kDoNotCreate = "do_not_create";

// A PostgreSQL database of another schema version than this program's is shown as a problem (kFailed);
// anything else is left to the connection (kReady).
DatabaseFile check_server_database(QWidget* parent, const std::string& target, const std::string& language);

DatabaseFile prepare_database_file(QWidget* parent, const std::string& path, const std::string& language);

}  // namespace desktop
