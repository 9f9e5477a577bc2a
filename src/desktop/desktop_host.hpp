#pragma once
// The desktop host: a main window in the host's style (the navigator toolbar, a status bar, and the
// module's window inside it), the stand-in host services with the Qt form factory and responder in
// place, and the module created through the registry and handed its contract, optionally in called
// mode for one activity.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/qt_forms.hpp"
#include "desktop/qt_responder.hpp"
#include "host/contract.hpp"
#include "standin/host_setup.hpp"

class QAction;
class QLabel;
class QStackedWidget;
class QTimer;

namespace desktop {

class DaysPanel;

// What the program opens: the host settings and, in called mode, the activity's codes.
struct DesktopOptions {
  std::string db_path = "demo/calendatt-demo.db";
  std::int32_t company = 1;
  std::string language = "it";
  std::string short_date_form = "dd/mm/yyyy";
  bool called = false;
  std::string project, node, activity;

  standin::HostSettings host_settings() const;
};

// Parses the command line: --db FILE, --company N, --lang it|en, --date-form PATTERN, --called with
// --project P --node N --activity A, --screenshots DIR, --settings FILE, -h/--help. The values go over
// the defaults into `options`. Returns false with `error` set on wrong usage.
struct CommandLine {
  DesktopOptions options;
  std::string screenshots_dir;
  std::string settings_file;
  bool help = false;
  // The options given on the command line (they win over the settings file).
  std::map<std::string, std::string> given;
};
bool parse_command_line(const std::vector<std::string>& args, CommandLine& out, std::string& error);
// Puts the command line's values over `options` (those read from the settings file).
bool apply_command_line(const CommandLine& line, DesktopOptions& options, std::string& error);
// The command line's help in the language ("en" English, else Italian).
const char* usage_text(const std::string& language);

// Qt's own texts (standard buttons, file dialogs) in `language`: Debian's Qt translations for Italian,
// Qt's built-in English otherwise. Needs a QApplication; false when the translation was not found.
bool use_qt_translations(const std::string& language);

// The settings file (an INI file): the database file, the company, the language and the short date
// form. Values missing from the file keep those of `options`.
void read_settings_file(const std::string& path, DesktopOptions& options);
void write_settings_file(const std::string& path, const DesktopOptions& options);
// The settings file of the user ($XDG_CONFIG_HOME or ~/.config, calendatt/desktop.ini).
std::string default_settings_file();

class DesktopHost;
class RangeSummary;
struct PatternOrder;

class HostWindow : public QMainWindow {
 public:
  explicit HostWindow(DesktopHost& host);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  DesktopHost* host_;
};

class DesktopHost {
 public:
  static constexpr const char* kMainWindowName = "FRMPD_CALENDATT";

  // Builds the host for these options; the settings file (when not empty) receives the settings the
  // person changes. Needs a QApplication.
  explicit DesktopHost(DesktopOptions options, std::string settings_file = {});
  ~DesktopHost();
  DesktopHost(const DesktopHost&) = delete;
  DesktopHost& operator=(const DesktopHost&) = delete;

  HostWindow* window() const { return window_; }
  const DesktopOptions& options() const { return options_; }
  standin::HostEnvironment& environment() { return *env_; }
  QtFormFactory& forms() { return *forms_; }
  QtResponder& responder() { return *responder_; }
  std::shared_ptr<host::Cinterface> module() const { return module_; }
  // The calendar window's site while it is open.
  std::shared_ptr<QtFormSite> main_site() const;
  // A navigator command by name: new, save, delete, cancel, first, previous, next, last, company,
  // export, multimedia; also undo, history, settings and open.
  QAction* action(const std::string& name) const;

  // Creates the module through the registry, hands it the contract (the activity's codes, ids and
  // planning period in called mode) and shows its window in the workspace. False, after telling the
  // person, when the called activity does not exist or the window did not open.
  bool open_module();
  // Asks the module to close its window; true when it closed (or none was open). The module is let go.
  bool close_module();
  // A day being entered or changed is saved, given up or kept, as the person answers (Save, Discard,
  // Cancel). True when nothing is pending any more.
  bool settle_pending_change();
  // Takes new settings: the module is closed first (false when it refused), then reopened.
  bool apply_options(const DesktopOptions& options);

  // What the export writes: the file, and whether as standard CSV for scripts (comma, ISO dates, keys,
  // no title line) or in the spreadsheet form (semicolons, the window's dates and captions, the title).
  struct ExportChoice {
    std::string path;  // "" when the person cancelled
    bool standard = false;
  };
  // Where the export asks for its file and form; by default a file dialog offering both forms.
  void set_export_chooser(std::function<ExportChoice()> chooser) { export_chooser_ = std::move(chooser); }
  // The same, always in the spreadsheet form.
  void set_export_file_chooser(std::function<std::string()> chooser) {
    export_chooser_ = [chooser = std::move(chooser)] { return ExportChoice{chooser(), false}; };
  }

  // Refreshes the status bar from the navigator and the frame, and the side panel of the activity's days.
  void refresh_status();
  // The side panel of the current activity's days (hidden until the person shows it).
  DaysPanel* days_panel() const { return days_panel_; }
  // Shows the host's own texts (menus, navigator, status bar) in the options' language again.
  void retranslate();

 private:
  friend class HostWindow;
  void build_window();
  void add_action(const std::string& name, const std::string& it, const std::string& en, int icon,
                  const QKeySequence& shortcut, std::function<void()> command);
  std::string text(const char* italian, const char* english) const;
  // Gives the object (an action, menu, button, label or window) its text in the language of the moment,
  // and again at every retranslate().
  void translated(QObject* object, const std::string& it, const std::string& en);
  void about();
  // Record menu: the company's last action put back (asked first), and the History of the activity.
  void undo_last();
  void history();
  std::shared_ptr<host::RecordFrame> frame() const;
  // The navigator's record commands: the focused field is left first (its validation may refuse).
  void frame_command(bool validate_first, const std::function<void(host::RecordFrame&)>& command);
  void move(int where);
  void change_company();
  void export_grid();
  void multimedia();
  void edit_settings();
  void module_closed();
  void install_programs();
  void show_current_row();
  // A field of the calendar window while no row is current (the frame browses and its recordset has
  // none): it shows nothing and takes no typing.
  bool shows_no_row(const standin::InputModel& field) const;
  // The month's marks: the days of the activity being browsed with their time, the days of other
  // activities apart; every planned day as the activity's while none is browsed.
  std::vector<MonthMark> month_marks(int year, int month);
  // The calendar window's codes, hours and minutes are all empty.
  static bool nothing_typed(QtFormSite& site);
  // Has every view of the window show its value again when the window gained or lost its current row.
  void show_record_state();
  void range_dialog_loop(QtFormSite& site, bool started);
  // A range dialog starts from the activity being browsed: its codes are typed into the dialog's empty
  // code fields in order, each left as a person leaves it, so the dialog's own checks and descriptions
  // follow; typing stops at the first code refused.
  void start_from_browsed(QtFormSite& site);
  // Carries out a pattern of the range dialogs once its dialog has closed, and says what it wrote.
  void carry_out(const PatternOrder& order);

  DesktopOptions options_;
  std::string settings_file_;
  std::unique_ptr<QtResponder> responder_;
  std::unique_ptr<standin::HostEnvironment> env_;
  std::shared_ptr<QtFormFactory> forms_;
  std::shared_ptr<host::Cinterface> module_;
  QPointer<HostWindow> window_;
  QStackedWidget* workspace_ = nullptr;
  QWidget* closed_page_ = nullptr;
  QLabel* status_frame_ = nullptr;
  QLabel* status_company_ = nullptr;
  QLabel* status_database_ = nullptr;
  QTimer* status_timer_ = nullptr;
  DaysPanel* days_panel_ = nullptr;
  std::map<std::string, QAction*> actions_;
  std::vector<std::function<void()>> retranslators_;
  std::function<ExportChoice()> export_chooser_;
  std::unique_ptr<RangeSummary> range_summary_;
  int shown_before_range_run_ = 0;
  bool showed_blank_ = false;
};

}  // namespace desktop
