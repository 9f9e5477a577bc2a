#pragma once
// The preview of the two range dialogs: the host adds a "Anteprima" / "Preview" button to their toolbar
// (the module's design is not touched). The button runs the command line's own --dry-run of the same
// run, with what the dialog holds now, in a program of its own: the real dialog runs there inside a
// transaction that is rolled back (planner/preview.hpp), so the list is what confirming would do, and
// nothing in this program's windows or connections is touched. The list shows in a dialog of its own.

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QTableWidget;

namespace desktop {

class QtFormSite;
struct DesktopOptions;

// What the preview runs on: the command line program, the database, the company and the language.
struct PreviewSource {
  std::string program;  // $CALENDATT_CLI, else `calendatt` beside this program, else on the PATH
  std::string db;
  std::int32_t company = 1;
  std::string language = "it";
  bool called = false;  // the window was called for one activity
};
PreviewSource preview_source(const DesktopOptions& options);

// The command line's arguments for the run the dialog would make now (the insertion dialog
// FRMPD_ADDCALENDATT or the deletion dialog FRMPD_DELCALENDATT; the deletion's question is answered
// yes). Throws runtime::Error when a date of the dialog cannot be read.
std::vector<std::string> preview_arguments(QtFormSite& dialog, const PreviewSource& source);

// One date of the preview.
struct PreviewLine {
  QString date;              // ISO
  QString effect;            // the stable name (planner/preview.hpp)
  QString duration, before;  // "H:MM", "" for none
};

// What the run said: its exit status, its dates, totals and messages.
struct PreviewOutcome {
  int status = -1;
  std::vector<PreviewLine> lines;
  std::vector<std::pair<QString, int>> totals;  // stable key, count
  QStringList messages;                         // what the run wrote on its standard error
};
PreviewOutcome run_preview(const PreviewSource& source, const std::vector<std::string>& arguments);

// A run of the command line program: its exit status (-1 when it did not run to its end), what it wrote
// on its standard output and, a line each, on its standard error.
struct CommandRun {
  int status = -1;
  QByteArray out;
  QStringList messages;
};
CommandRun run_command(const PreviewSource& source, const std::vector<std::string>& arguments);

// A line the command line wrote, as the window's own messages read: without its marks and with dates in
// the person's form; empty for a line about the command line itself (its options, its answers).
QString message_shown(QString line);

class PreviewDialog : public QDialog {
 public:
  PreviewDialog(const PreviewOutcome& outcome, bool insertion, const std::string& language, QWidget* parent);
  QTableWidget* table() const { return table_; }
  QLabel* totals() const { return totals_; }
  QLabel* messages() const { return messages_; }
  // Adds a button (object name PREVIEW_CARRY_OUT) that closes the dialog accepted.
  void offer_to_carry_out(const QString& text);

 private:
  QTableWidget* table_ = nullptr;
  QLabel* totals_ = nullptr;
  QLabel* messages_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

// Adds the Preview button (object name BTN_ANTEPRIMA) to the toolbar of a range dialog; any other
// window is left as it is. `source` is asked when the button is pressed.
void add_preview_button(QtFormSite& site, std::function<PreviewSource()> source);

}  // namespace desktop
