#include "desktop/database_file.hpp"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "database/connection.hpp"
#include "database/file_check.hpp"
#include "database/postgres_connection.hpp"
#include "database/schema.hpp"
#include "database/sqlite_connection.hpp"
#include "desktop/qt_text.hpp"
#include "runtime/error.hpp"

namespace desktop {

namespace {

void show_problem(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, "Database", qs(text), QMessageBox::Ok, parent);
  box.setObjectName("database_problem");
  // Named like the buttons of the host's message boxes (answer 1 is OK).
  if (auto* ok = box.button(QMessageBox::Ok)) ok->setObjectName("answer_1");
  box.exec();
}

}  // namespace

DatabaseFile check_server_database(QWidget* parent, const std::string& target, const std::string& language) {
  // A server the program cannot reach is left to the connection, which says why.
  const auto version = database::target_schema_version(target);
  const std::string problem =
      version ? database::describe_version(*version, database::describe_target(target), language) : "";
  if (problem.empty()) return DatabaseFile::kReady;
  show_problem(parent, problem);
  return DatabaseFile::kFailed;
}

DatabaseFile prepare_database_file(QWidget* parent, const std::string& path, const std::string& language) {
  const bool english = language == "en";
  auto text = [english](const char* it, const char* en) { return std::string(english ? en : it); };
  database::FileCheck check = database::check_calendar_file(path);
  if (check.state == database::FileState::kCalendar) return DatabaseFile::kReady;
  if (check.state != database::FileState::kMissing) {
    show_problem(parent, database::describe(check, language));
    return DatabaseFile::kFailed;
  }

  QMessageBox question(QMessageBox::Question, qs(text("Database", "Database")),
                       qs(text("Il database ", "There is no database at ") + path +
                          text(" non esiste.\nCrearlo adesso?", ".\nCreate it now?")),
                       QMessageBox::NoButton, parent);
  question.setObjectName("create_database");
  auto* demo = question.addButton(qs(text("Crea con i dati dimostrativi", "Create with the demo data")),
                                  QMessageBox::AcceptRole);
  demo->setObjectName(kCreateWithDemo);
  auto* empty = question.addButton(qs(text("Crea vuoto", "Create empty")), QMessageBox::AcceptRole);
  empty->setObjectName(kCreateEmpty);
  auto* cancel = question.addButton(qs(text("Non creare", "Do not create")), QMessageBox::RejectRole);
  cancel->setObjectName(kDoNotCreate);
  question.setDefaultButton(cancel);
  question.setEscapeButton(cancel);
  question.exec();
  if (question.clickedButton() != demo && question.clickedButton() != empty) return DatabaseFile::kDeclined;

  try {
    QString folder = QFileInfo(qs(path)).absolutePath();
    if (!QDir().mkpath(folder))
      throw runtime::Error(
          0, text("Impossibile creare la cartella ", "Cannot create the folder ") + folder.toStdString());
    auto connection = database::open_or_create(path);
    database::ensure_schema(*connection);
    if (question.clickedButton() == demo) database::insert_demo_data(*connection);
    connection->Close();
  } catch (const runtime::Error& e) {
    show_problem(parent, e.description());
    return DatabaseFile::kFailed;
  }
  return DatabaseFile::kReady;
}

}  // namespace desktop
