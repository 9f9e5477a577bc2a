#include "desktop/desktop_host.hpp"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "common/mdlpd_calendatt.hpp"
#include "database/connection.hpp"
#include "database/journal.hpp"
#include "database/postgres_connection.hpp"
#include "database/postgres_roles.hpp"
#include "desktop/database_file.hpp"
#include "desktop/days_panel.hpp"
#include "desktop/file_chooser.hpp"
#include "desktop/journal_dialogs.hpp"
#include "desktop/preview_dialog.hpp"
#include "desktop/qt_text.hpp"
#include "desktop/range_pattern.hpp"
#include "desktop/range_summary.hpp"
#include "host/registry.hpp"
#include "planner/days_report.hpp"
#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "standin/calling_program.hpp"
#include "standin/dictionary.hpp"
#include "standin/media.hpp"
#include "standin/navigator.hpp"
#include "standin/wbs_services.hpp"

namespace desktop {

namespace {

// The session's role on a server and the companies it may use, asked once per database: "mario: 1
// (write), 2 (read)"; "" on a file, or when the server cannot be asked.
std::string role_companies(const std::string& db, bool english) {
  static std::map<std::string, std::string> asked;
  if (!database::is_postgres_target(db)) return {};
  if (auto it = asked.find(db); it != asked.end()) return it->second;
  std::string out;
  runtime::suppressed([&] {
    auto connection = database::open_target(db, false);
    auto& c = dynamic_cast<database::EngineConnection&>(*connection);
    const auto session = database::company_access(c, 0);
    if (session.role.empty()) return;  // no roles kept apart on this database
    if (session.owner) {
      out = session.role + (english ? ": owner, every company" : ": proprietario, ogni ditta");
      return;
    }
    for (const auto& [company, access] : database::usable_companies(c))
      out += (out.empty() ? session.role + ": " : ", ") + std::to_string(company) +
             (access == database::Access::kWrite ? (english ? " (write)" : " (scrittura)")
                                                 : (english ? " (read)" : " (lettura)"));
    if (out.empty()) out = session.role + (english ? ": no company" : ": nessuna ditta");
  });
  return asked[db] = out;
}

bool valid_date_form(const std::string& form) {
  return form == "dd/mm/yyyy" || form == "mm/dd/yyyy" || form == "yyyy-mm-dd" || form == "dd.mm.yyyy" ||
         form == "dd-mm-yyyy";
}

}  // namespace

// ---- Options and settings

standin::HostSettings DesktopOptions::host_settings() const {
  standin::HostSettings s;
  s.connection_string = database::connection_string_for(db_path);
  s.company = company;
  s.short_date_form = short_date_form;
  s.language = language;
  return s;
}

const char* usage_text(const std::string& language) {
  if (language == "en")
    return "Usage: calendatt-desktop [options]\n"
           "\n"
           "The WBS activity calendar in a desktop window.\n"
           "\n"
           "Options:\n"
           "  --db DB              the database: a SQLite file, or a PostgreSQL server's database as\n"
           "                       postgresql://user@host:port/dbname or \"host=... dbname=...\"\n"
           "                       (default: $CALENDATT_DB, else demo/calendatt-demo.db)\n"
           "  --company N          the company (default 1)\n"
           "  --lang it|en         the language of the messages (default it)\n"
           "  --date-form FORM     the short date form: dd/mm/yyyy (default), mm/dd/yyyy, yyyy-mm-dd,\n"
           "                       dd.mm.yyyy or dd-mm-yyyy\n"
           "  --called             open the calendar for one activity, given by --project P --node N\n"
           "                       --activity A\n"
           "  --settings FILE      the settings file (default ~/.config/calendatt/desktop.ini); the\n"
           "                       command line wins over it\n"
           "  --screenshots DIR    write the screenshots of the windows as PNG files into DIR and exit\n"
           "  -h, --help           this text\n"
           "\n"
           "Without a display, run it under a virtual one: xvfb-run -a calendatt-desktop ...\n";
  return "Uso: calendatt-desktop [opzioni]\n"
         "\n"
         "Il calendario delle attività WBS in una finestra.\n"
         "\n"
         "Opzioni:\n"
         "  --db DB              il database: un file SQLite, o il database di un server PostgreSQL come\n"
         "                       postgresql://utente@host:porta/nome o \"host=... dbname=...\"\n"
         "                       (predefinito: $CALENDATT_DB, altrimenti demo/calendatt-demo.db)\n"
         "  --company N          la ditta (predefinita 1)\n"
         "  --lang it|en         la lingua dei messaggi (predefinita it)\n"
         "  --date-form FORMATO  il formato data breve: dd/mm/yyyy (predefinito), mm/dd/yyyy,\n"
         "                       yyyy-mm-dd, dd.mm.yyyy o dd-mm-yyyy\n"
         "  --called             apre il calendario di una sola attività, data da --project P --node N\n"
         "                       --activity A\n"
         "  --settings FILE      il file delle impostazioni (predefinito ~/.config/calendatt/desktop.ini);\n"
         "                       la riga di comando vale sopra di esso\n"
         "  --screenshots DIR    scrive le immagini delle finestre come file PNG in DIR ed esce\n"
         "  -h, --help           questo testo\n"
         "\n"
         "Senza schermo, lo si avvia in uno virtuale: xvfb-run -a calendatt-desktop ...\n";
}

namespace {

// The language the command line's own messages speak: its --lang when that is one, else `fallback`.
std::string language_of(const std::vector<std::string>& args, const std::string& fallback) {
  std::string language = fallback;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string value;
    if (args[i] == "--lang" && i + 1 < args.size())
      value = args[i + 1];
    else if (args[i].rfind("--lang=", 0) == 0)
      value = args[i].substr(7);
    else
      continue;
    if (standin::Dictionary::supports(value)) language = runtime::upper(value) == "EN" ? "en" : "it";
  }
  return language;
}

}  // namespace

bool parse_command_line(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
  // Said in the language asked for, even when another option is wrong.
  out.options.language = language_of(args, out.options.language);
  const bool en = out.options.language == "en";
  auto say = [en](std::string italian, std::string english) { return en ? english : italian; };
  static const std::vector<std::string> with_value = {"--db",        "--company",  "--lang",
                                                      "--date-form", "--project",  "--node",
                                                      "--activity",  "--settings", "--screenshots"};
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    if (a == "-h" || a == "--help") {
      out.help = true;
      continue;
    }
    if (a == "--called") {
      out.given["--called"] = "1";
      continue;
    }
    std::string value;
    bool has_value = false;
    if (auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
      has_value = true;
    }
    if (std::find(with_value.begin(), with_value.end(), a) == with_value.end()) {
      error = a.rfind("-", 0) == 0 ? say("opzione sconosciuta ", "unknown option ") + a
                                   : say("argomento inatteso ", "unexpected argument ") + a;
      return false;
    }
    if (!has_value) {
      if (i + 1 >= args.size()) {
        error = a + say(" vuole un valore", " needs a value");
        return false;
      }
      value = args[++i];
    }
    out.given[a] = value;
  }
  if (auto it = out.given.find("--settings"); it != out.given.end()) out.settings_file = it->second;
  if (auto it = out.given.find("--screenshots"); it != out.given.end()) out.screenshots_dir = it->second;
  return apply_command_line(out, out.options, error);
}

bool apply_command_line(const CommandLine& line, DesktopOptions& options, std::string& error) {
  const auto& g = line.given;
  auto get = [&](const char* key) -> const std::string* {
    auto it = g.find(key);
    return it == g.end() ? nullptr : &it->second;
  };
  const std::string* lang = get("--lang");
  const bool en =
      lang && standin::Dictionary::supports(*lang) ? runtime::upper(*lang) == "EN" : options.language == "en";
  auto say = [en](std::string italian, std::string english) { return en ? english : italian; };
  if (auto v = get("--db")) options.db_path = *v;
  if (auto v = get("--company")) {
    char* end = nullptr;
    long n = std::strtol(v->c_str(), &end, 10);
    if (v->empty() || *end != '\0' || n < 1 || n > 32767) {
      error = say("--company vuole un numero intero da 1 a 32767",
                  "--company needs a whole number from 1 to 32767");
      return false;
    }
    options.company = static_cast<std::int32_t>(n);
  }
  if (auto v = get("--lang")) {
    if (!standin::Dictionary::supports(*v)) {
      error = say("--lang accetta it o en", "--lang takes it or en");
      return false;
    }
    options.language = runtime::upper(*v) == "EN" ? "en" : "it";
  }
  if (auto v = get("--date-form")) {
    if (!valid_date_form(*v)) {
      error = say("--date-form accetta dd/mm/yyyy, mm/dd/yyyy, yyyy-mm-dd, dd.mm.yyyy o dd-mm-yyyy",
                  "--date-form takes dd/mm/yyyy, mm/dd/yyyy, yyyy-mm-dd, dd.mm.yyyy or dd-mm-yyyy");
      return false;
    }
    options.short_date_form = *v;
  }
  const bool any_code = get("--project") || get("--node") || get("--activity");
  options.called = get("--called") != nullptr;
  if (any_code && !options.called) {
    error = say("--project, --node e --activity valgono solo con --called",
                "--project, --node and --activity are taken only with --called");
    return false;
  }
  if (options.called) {
    for (const char* key : {"--project", "--node", "--activity"}) {
      if (!get(key) || runtime::trim(*get(key)).empty()) {
        error = say("--called vuole ", "--called needs ") + key;
        return false;
      }
    }
    options.project = *get("--project");
    options.node = *get("--node");
    options.activity = *get("--activity");
  }
  return true;
}

void read_settings_file(const std::string& path, DesktopOptions& options) {
  // CALENDATT_DB is the database when neither the settings nor the command line name one.
  if (const char* db = std::getenv("CALENDATT_DB"); db && *db) options.db_path = db;
  if (path.empty() || !QFileInfo::exists(qs(path))) return;
  QSettings file(qs(path), QSettings::IniFormat);
  if (file.contains("database")) options.db_path = file.value("database").toString().toStdString();
  if (file.contains("company")) {
    bool ok = false;
    int company = file.value("company").toInt(&ok);
    if (ok && company >= 1 && company <= 32767) options.company = company;
  }
  if (file.contains("language")) {
    std::string language = file.value("language").toString().toStdString();
    if (standin::Dictionary::supports(language))
      options.language = runtime::upper(language) == "EN" ? "en" : "it";
  }
  if (file.contains("date_form")) {
    std::string form = file.value("date_form").toString().toStdString();
    if (valid_date_form(form)) options.short_date_form = form;
  }
}

void write_settings_file(const std::string& path, const DesktopOptions& options) {
  if (path.empty()) return;
  QDir().mkpath(QFileInfo(qs(path)).absolutePath());
  QSettings file(qs(path), QSettings::IniFormat);
  file.setValue("database", qs(options.db_path));
  file.setValue("company", options.company);
  file.setValue("language", qs(options.language));
  file.setValue("date_form", qs(options.short_date_form));
  file.sync();
}

std::string default_settings_file() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    base = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home)
    base = std::string(home) + "/.config";
  else
    return {};
  return base + "/calendatt/desktop.ini";
}

bool use_qt_translations(const std::string& language) {
  static QTranslator* installed = nullptr;
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
    installed = nullptr;
  }
  if (language != "it") return true;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QLocale(QLocale::Italian), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  installed = translator.release();
  QCoreApplication::installTranslator(installed);
  return true;
}

// ---- Main window

HostWindow::HostWindow(DesktopHost& host) : host_(&host) {}

void HostWindow::closeEvent(QCloseEvent* event) {
  if (host_->settle_pending_change() && host_->close_module())
    event->accept();
  else
    event->ignore();
}

// ---- Host

DesktopHost::DesktopHost(DesktopOptions options, std::string settings_file)
    : options_(std::move(options)),
      settings_file_(std::move(settings_file)),
      responder_(std::make_unique<QtResponder>(options_.language)),
      env_(std::make_unique<standin::HostEnvironment>(options_.host_settings(), *responder_)),
      forms_(std::make_shared<QtFormFactory>()),
      range_summary_(std::make_unique<RangeSummary>()) {
  auto& session = *forms_->session();
  session.language = options_.language;
  session.query_runner = [env = env_.get()](const std::string& sql) { return env->run_query(sql); };
  session.notice = [this](const std::string& text, const std::string& title) {
    responder_->answer_message(standin::ShownMessage{0, text, 48, title});
  };
  session.active_frame = [this] { return frame(); };
  session.planned_days = [this](int year, unsigned month) {
    return standin::planned_days(*env_, env_->global()->Company().to_long(),
                                 calendatt::MDLPD_CALENDATT::pIDDisBaProgWBS,
                                 calendatt::MDLPD_CALENDATT::pIDLegameWBS, year, month);
  };
  session.embed = [this](QWidget* content, const std::string& caption) {
    if (!workspace_) return false;
    if (workspace_->indexOf(content) < 0) workspace_->addWidget(content);
    workspace_->setCurrentWidget(content);
    if (window_) window_->setWindowTitle(qs(caption));
    return true;
  };
  session.unembed = [this](QWidget* content) {
    if (!workspace_) return;
    workspace_->removeWidget(content);
    workspace_->setCurrentWidget(closed_page_);
  };
  session.dialog_parent = [this]() -> QWidget* { return window_.data(); };
  // The range dialogs get a Preview button (preview_dialog.hpp).
  session.site_created = [this](QtFormSite& site) {
    add_preview_button(site, [this] { return preview_source(options_); });
    add_pattern_row(
        site, [this] { return preview_source(options_); },
        [this](const PatternOrder& order) { carry_out(order); });
  };
  // The range dialogs a pattern opens once per run are worked in without being shown (range_pattern.hpp).
  forms_->unshown().set_language(options_.language);
  forms_->unshown().set_query_runner(session.query_runner);
  forms_->unshown().set_notice(session.notice);
  session.modal_loop = [this](QtFormSite& site, bool started) { range_dialog_loop(site, started); };
  // Typed work is never dropped without a question, and a day without rows shows nothing to type into.
  session.leave_row = [this] { return settle_pending_change(); };
  session.blank_field = [this](const standin::InputModel& field) { return shows_no_row(field); };
  session.row_left = [this] { refresh_status(); };
  session.month_marks = [this](int year, int month) { return month_marks(year, month); };
  responder_->set_parent([this]() -> QWidget* { return window_.data(); });

  use_qt_translations(options_.language);
  env_->register_classes();
  auto factory = forms_;
  env_->add_class(host::progid::kFormFactory, [factory] { return factory; });
  env_->global()->set_MediaValue(1, runtime::Variant(options_.company));
  env_->global()->set_MediaValue(2, runtime::Variant("CALENDATT"));
  build_window();
  install_programs();
  refresh_status();
}

DesktopHost::~DesktopHost() {
  if (status_timer_) status_timer_->stop();
  runtime::suppressed([&] {
    if (!module_) return;
    // At the end a row being entered is given up rather than keeping the program alive.
    if (auto f = frame(); f && f->Status() != host::RecordFrame::kStatusStored) f->CancelEdit();
    close_module();
  });
  runtime::clear_pending_error();
  if (module_ && env_) env_->global()->set_MainInterface(nullptr);
  module_.reset();
  standin::MaintenancePrograms::instance() = {};
  standin::MediaManagerProgram::instance().create = nullptr;
  delete window_.data();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  env_.reset();
  forms_.reset();
}

std::string DesktopHost::text(const char* italian, const char* english) const {
  return options_.language == "en" ? english : italian;
}

void DesktopHost::add_action(const std::string& name, const std::string& it, const std::string& en, int icon,
                             const QKeySequence& shortcut, std::function<void()> command) {
  auto* action = new QAction(window_);
  action->setObjectName(qs("NAV_" + runtime::upper(name)));
  if (icon >= 0) action->setIcon(window_->style()->standardIcon(static_cast<QStyle::StandardPixmap>(icon)));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  QObject::connect(action, &QAction::triggered, window_, [command = std::move(command)] { command(); });
  actions_[name] = action;
  translated(action, it, en);
}

void DesktopHost::translated(QObject* object, const std::string& it, const std::string& en) {
  QPointer<QObject> target = object;
  auto apply = [this, target, it, en] {
    if (!target) return;
    QString shown = qs(text(it.c_str(), en.c_str()));
    if (auto* a = qobject_cast<QAction*>(target.data()))
      a->setText(shown);
    else if (auto* m = qobject_cast<QMenu*>(target.data()))
      m->setTitle(shown);
    else if (auto* b = qobject_cast<QAbstractButton*>(target.data()))
      b->setText(shown);
    else if (auto* l = qobject_cast<QLabel*>(target.data()))
      l->setText(shown);
    else if (auto* w = qobject_cast<QWidget*>(target.data()))
      w->setWindowTitle(shown);
  };
  apply();
  retranslators_.push_back(std::move(apply));
}

void DesktopHost::retranslate() {
  for (const auto& apply : retranslators_) apply();
  refresh_status();
}

QAction* DesktopHost::action(const std::string& name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

void DesktopHost::build_window() {
  window_ = new HostWindow(*this);
  window_->setObjectName("HOST_WINDOW");
  translated(window_, standin::HostEnvironment::kModuleTitle, "WBS activity calendar");

  add_action("new", "Nuovo", "New", QStyle::SP_FileIcon, QKeySequence::New, [this] {
    if (settle_pending_change()) frame_command(true, [](host::RecordFrame& f) { f.NewRow(); });
  });
  add_action("save", "Salva", "Save", QStyle::SP_DialogSaveButton, QKeySequence::Save, [this] {
    frame_command(true, [this](host::RecordFrame& f) {
      // In browse mode there is nothing to write: the person is told how to add a day.
      if (f.Status() == host::RecordFrame::kStatusStored) {
        responder_->answer_message(standin::ShownMessage{
            0,
            text("Nessuna modifica da salvare. Per aggiungere un giorno premere prima Nuovo.",
                 "There is no change to save. To add a day, press New first."),
            64, standin::HostEnvironment::kModuleTitle});
        return;
      }
      database::ActionInProgress action("desktop: save");
      f.Save(true, 0, true);
    });
  });
  add_action(
      "delete", "Elimina", "Delete", QStyle::SP_TrashIcon, QKeySequence(Qt::CTRL | Qt::Key_Delete), [this] {
        frame_command(false, [this](host::RecordFrame& f) {
          auto rs = f.Recordset();
          if (f.Status() == host::RecordFrame::kStatusNew || !rs || rs->Eof() || rs->Bof()) return;
          // Yes/No with a question mark, No the default.
          int answer = responder_->answer_message(
              standin::ShownMessage{0, text("Eliminare la riga selezionata?", "Delete the selected row?"),
                                    4 + 32 + 256, standin::HostEnvironment::kModuleTitle});
          if (answer == standin::box::kYes) {
            database::ActionInProgress action("desktop: delete");
            f.DeleteRow();
          }
        });
      });
  add_action("cancel", "Annulla", "Cancel", QStyle::SP_DialogCancelButton, QKeySequence(Qt::Key_Escape),
             [this] { frame_command(false, [](host::RecordFrame& f) { f.CancelEdit(); }); });
  add_action("first", "Primo", "First", QStyle::SP_MediaSkipBackward, QKeySequence(Qt::ALT | Qt::Key_Home),
             [this] { move(0); });
  add_action("previous", "Precedente", "Previous", QStyle::SP_MediaSeekBackward,
             QKeySequence(Qt::ALT | Qt::Key_PageUp), [this] { move(1); });
  add_action("next", "Successivo", "Next", QStyle::SP_MediaSeekForward,
             QKeySequence(Qt::ALT | Qt::Key_PageDown), [this] { move(2); });
  add_action("last", "Ultimo", "Last", QStyle::SP_MediaSkipForward, QKeySequence(Qt::ALT | Qt::Key_End),
             [this] { move(3); });
  add_action("company", "Cambio ditta", "Change company", QStyle::SP_ComputerIcon, QKeySequence(Qt::Key_F7),
             [this] { change_company(); });
  add_action("export", "Esporta", "Export", QStyle::SP_DialogSaveButton, QKeySequence(Qt::CTRL | Qt::Key_E),
             [this] { export_grid(); });
  add_action("multimedia", "Multimedia", "Multimedia", QStyle::SP_FileDialogInfoView, QKeySequence(),
             [this] { multimedia(); });
  add_action("undo", "Annulla ultima azione…", "Undo last action…", QStyle::SP_ArrowBack,
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { undo_last(); });
  add_action("history", "Storia…", "History…", QStyle::SP_FileDialogDetailedView,
             QKeySequence(Qt::CTRL | Qt::Key_H), [this] { history(); });
  add_action("open", "Apri calendario", "Open the calendar", -1, QKeySequence(), [this] { open_module(); });
  add_action("settings", "Impostazioni...", "Settings...", -1, QKeySequence::Preferences,
             [this] { edit_settings(); });
  add_action("quit", "Esci", "Quit", -1, QKeySequence::Quit, [this] { window_->close(); });
  add_action("about", "Informazioni su Calendario attività WBS", "About the WBS activity calendar", -1,
             QKeySequence(Qt::Key_F1), [this] { about(); });
  if (auto* settings = action("settings"); settings->shortcut().isEmpty())
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));

  auto* file = window_->menuBar()->addMenu(QString());
  translated(file, "&File", "&File");
  file->addAction(action("open"));
  file->addAction(action("settings"));
  file->addSeparator();
  file->addAction(action("quit"));
  auto* record = window_->menuBar()->addMenu(QString());
  translated(record, "&Record", "&Record");
  for (const char* name : {"new", "save", "delete", "cancel", "first", "previous", "next", "last"})
    record->addAction(action(name));
  record->addSeparator();
  for (const char* name : {"company", "export", "multimedia"}) record->addAction(action(name));
  record->addSeparator();
  for (const char* name : {"undo", "history"}) record->addAction(action(name));
  auto* help = window_->menuBar()->addMenu(QString());
  help->setObjectName("HELP_MENU");
  translated(help, "&Aiuto", "&Help");
  help->addAction(action("about"));

  days_panel_ = new DaysPanel(window_);
  window_->addDockWidget(Qt::RightDockWidgetArea, days_panel_);
  days_panel_->hide();
  // A day double-clicked in the panel: the calendar goes there (and the grid with it), as a click would.
  days_panel_->set_day_chooser([this](runtime::Date day) {
    auto site = main_site();
    if (!site) return;
    for (const auto& view : site->views())
      if (auto calendar = std::dynamic_pointer_cast<QtCalendar>(view))
        calendar->calendar()->setSelectedDate(to_qdate(day));
    refresh_status();
  });
  days_panel_->toggleViewAction()->setShortcut(QKeySequence(Qt::Key_F8));
  record->addSeparator();
  record->addAction(days_panel_->toggleViewAction());

  auto* navigator = window_->addToolBar(QString());
  translated(navigator, "Navigatore", "Navigator");
  navigator->setObjectName("NAVIGATOR");
  navigator->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  navigator->setMovable(false);
  for (const char* name : {"new", "save", "delete", "cancel"}) navigator->addAction(action(name));
  navigator->addSeparator();
  for (const char* name : {"first", "previous", "next", "last"}) navigator->addAction(action(name));
  navigator->addSeparator();
  for (const char* name : {"company", "export", "multimedia"}) navigator->addAction(action(name));

  workspace_ = new QStackedWidget(window_);
  workspace_->setObjectName("WORKSPACE");
  closed_page_ = new QWidget(workspace_);
  auto* closed_layout = new QVBoxLayout(closed_page_);
  closed_layout->addStretch(1);
  auto* closed_label = new QLabel(closed_page_);
  translated(closed_label, "Il calendario è chiuso.", "The calendar is closed.");
  closed_label->setAlignment(Qt::AlignCenter);
  closed_layout->addWidget(closed_label);
  auto* reopen = new QPushButton(closed_page_);
  translated(reopen, "Apri Calendario attività WBS", "Open the WBS activity calendar");
  reopen->setObjectName("REOPEN");
  QObject::connect(reopen, &QPushButton::clicked, window_, [this] { open_module(); });
  closed_layout->addWidget(reopen, 0, Qt::AlignCenter);
  closed_layout->addStretch(1);
  workspace_->addWidget(closed_page_);
  window_->setCentralWidget(workspace_);

  status_frame_ = new QLabel(window_);
  status_frame_->setObjectName("STATUS_FRAME");
  status_company_ = new QLabel(window_);
  status_company_->setObjectName("STATUS_COMPANY");
  status_database_ = new QLabel(window_);
  status_database_->setObjectName("STATUS_DATABASE");
  window_->statusBar()->addWidget(status_frame_, 1);
  window_->statusBar()->addPermanentWidget(status_company_);
  window_->statusBar()->addPermanentWidget(status_database_);

  status_timer_ = new QTimer(window_);
  status_timer_->setInterval(300);
  QObject::connect(status_timer_, &QTimer::timeout, window_, [this] { refresh_status(); });
  status_timer_->start();
}

void DesktopHost::install_programs() {
  standin::MediaManagerProgram::instance().create =
      [this](const runtime::Variant& current) -> std::optional<standin::MediaRecord> {
    QDialog dialog(window_);
    dialog.setObjectName("MEDIA_MANAGER");
    dialog.setWindowTitle(qs(text("Dati multimediali", "Multimedia data")));
    auto* form = new QFormLayout(&dialog);
    if (!runtime::is_blank(current))
      form->addRow(qs(text("Collegamento attuale:", "Current link:")),
                   new QLabel(qs(current.to_string()), &dialog));
    auto* path = new QLineEdit(&dialog);
    path->setObjectName("MEDIA_PATH");
    auto* browse = new QPushButton(qs(text("Sfoglia...", "Browse...")), &dialog);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, path] {
      QString chosen = choose_file(&dialog, QString(), QString(), QString()).path;
      if (!chosen.isEmpty()) path->setText(chosen);
    });
    auto* row = new QHBoxLayout;
    row->addWidget(path, 1);
    row->addWidget(browse);
    form->addRow(qs(text("File:", "File:")), row);
    auto* note = new QLineEdit(&dialog);
    note->setObjectName("MEDIA_NOTE");
    form->addRow(qs(text("Nota:", "Note:")), note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted || path->text().trimmed().isEmpty()) return std::nullopt;
    return standin::MediaRecord{path->text().trimmed().toStdString(), note->text().toStdString()};
  };
  standin::MaintenancePrograms::instance().project =
      [this](const std::string& project) -> std::optional<std::string> {
    QStringList items;
    std::vector<std::string> codes;
    int current = 0;
    runtime::suppressed([&] {
      auto rs = env_->run_query(
          "SELECT RTRIM(PD68_CODPROG) AS CODICE, PD68_DESCRIZIONE AS DESCRIZIONE FROM PD68_PROGETTI "
          "WHERE PD68_DITTA_CG18 = " +
          env_->global()->Company().to_string() + " ORDER BY 1");
      for (; !rs->Eof(); rs->MoveNext()) {
        std::string code = rs->Field("CODICE").to_string();
        runtime::Variant description = rs->Field("DESCRIZIONE");
        if (runtime::rtrim(code) == runtime::rtrim(project)) current = static_cast<int>(codes.size());
        codes.push_back(code);
        items << qs(code + (runtime::is_blank(description) ? "" : " - " + description.to_string()));
      }
      rs->Close();
    });
    if (codes.empty()) return std::nullopt;
    bool ok = false;
    QString chosen = QInputDialog::getItem(window_, qs(text("Manutenzione progetti", "Project maintenance")),
                                           qs(text("Progetto:", "Project:")), items, current, false, &ok);
    if (!ok) return std::nullopt;
    return codes[static_cast<std::size_t>(items.indexOf(chosen))];
  };
  standin::MaintenancePrograms::instance().node_or_activity =
      [this](const std::string& which, const std::string&, const std::string&, const std::string&) {
        std::string program =
            which == "node" ? text("nodi WBS", "WBS nodes") : text("attività WBS", "WBS activities");
        responder_->answer_message(
            standin::ShownMessage{0,
                                  text("La manutenzione delle ", "The maintenance of ") + program +
                                      text(" è un programma dell'host, non disponibile qui.",
                                           " is a program of the host, not available here."),
                                  64, standin::HostEnvironment::kModuleTitle});
      };
}

std::shared_ptr<QtFormSite> DesktopHost::main_site() const {
  return forms_->site(kMainWindowName);
}

std::shared_ptr<host::RecordFrame> DesktopHost::frame() const {
  if (!module_ || !main_site()) return nullptr;
  std::shared_ptr<host::RecordFrame> f;
  runtime::suppressed([&] { f = module_->Cinterface_ActiveFrame(); });
  return f;
}

bool DesktopHost::open_module() {
  if (module_) return true;
  // A module opened again starts as freshly loaded: no selection kept from its last window. (The
  // module-wide values outlive a module object, and its interface cannot empty the planning end.)
  calendatt::MDLPD_CALENDATT::reset();
  try {
    module_ = env_->create_module();
  } catch (const runtime::Error& e) {
    responder_->answer_message(
        standin::ShownMessage{0, e.description(), 16, standin::HostEnvironment::kModuleTitle});
    return false;
  }
  module_->let_Cinterface_IsActive(true);
  env_->global()->set_MainInterface(module_);
  if (options_.called) {
    std::vector<standin::CalledActivity> found;
    runtime::suppressed([&] {
      found = standin::find_activities(*env_, options_.company, options_.project, options_.node,
                                       options_.activity);
    });
    if (found.empty()) {
      responder_->answer_message(
          standin::ShownMessage{0,
                                text("Attività WBS non trovata: ", "No such WBS activity: ") +
                                    options_.project + " / " + options_.node + " / " + options_.activity,
                                16, standin::HostEnvironment::kModuleTitle});
      env_->global()->set_MainInterface(nullptr);
      module_.reset();
      refresh_status();
      return false;
    }
    // The codes as the code fields hold them: upper case, no trailing blanks.
    options_.project = found.front().project;
    options_.node = found.front().node;
    options_.activity = found.front().activity;
    standin::hand_over(*module_, found.front());
  }
  module_->Cinterface_ShowForm();
  if (!main_site()) {
    env_->global()->set_MainInterface(nullptr);
    module_.reset();
    refresh_status();
    return false;
  }
  show_current_row();
  refresh_status();
  return true;
}

void DesktopHost::show_current_row() {
  auto site = main_site();
  if (!site) return;
  // The descriptions beside the codes follow the codes the window shows, and the grid shows the window
  // its current row once the window is ready for it (the grid chose that row while the window loaded):
  // the highlighted line and the fields hold the same day from the start.
  for (const auto& c : site->controls())
    if (auto code = std::dynamic_pointer_cast<standin::CodeEditModel>(c)) code->follow_description();
  for (const auto& c : site->controls())
    if (auto grid = std::dynamic_pointer_cast<standin::GridModel>(c))
      runtime::suppressed([&] { grid->show_current_row(); });
}

void DesktopHost::carry_out(const PatternOrder& order) {
  auto site = main_site();
  if (!site) return;
  PatternHost host{forms_.get(),     responder_.get(),
                   env_.get(),       site,
                   options_.db_path, static_cast<std::int32_t>(env_->global()->Company().to_long()),
                   options_.language};
  const std::string summary = carry_out_pattern(order, host);
  refresh_status();
  if (window_) window_->statusBar()->showMessage(qs(summary), 30000);
}

void DesktopHost::start_from_browsed(QtFormSite& site) {
  if (site.name() != RangeSummary::kInsertDialog && site.name() != RangeSummary::kDeleteDialog) return;
  const auto found = browsed_activity(*env_, frame());
  if (!found) return;
  const std::pair<const char*, const std::string*> codes[] = {
      {"TXT_CODPROG", &found->project}, {"TXT_CODNODO", &found->node}, {"TXT_CODATTIVITA", &found->code}};
  const char* refused = nullptr;
  for (const auto& [name, code] : codes) {
    auto field = site.model<standin::CodeEditModel>(name);
    // A field the dialog filled or closed itself (called mode) stays as it is.
    if (!field->enabled() || !runtime::trim(field->Text()).empty()) continue;
    bool typed = false;
    runtime::suppressed([&] { typed = field->type(runtime::rtrim(*code)) && field->leave(); });
    if (!typed) {
      refused = name;
      break;
    }
  }
  // Typing is the person's own in a view, which shows it already: here the views are told.
  for (const auto& [name, code] : codes) site.get<QtInput>(name)->refresh();
  // The person starts where the dialog starts, in the first code (free to choose another activity), or
  // in the code the dialog refused.
  const char* start = refused ? refused : "TXT_CODPROG";
  site.model<standin::CodeEditModel>(start)->focus_from_code();
  site.get<QtInput>(start)->focus_quietly();
}

void DesktopHost::range_dialog_loop(QtFormSite& site, bool started) {
  if (started) {
    range_summary_->opened(site, *responder_);
    shown_before_range_run_ = responder_->shown();
    // Once the dialog shows, as a person would start typing in it.
    std::weak_ptr<QtFormSite> shown = std::static_pointer_cast<QtFormSite>(site.shared_from_this());
    QTimer::singleShot(0, window_, [this, shown] {
      if (auto open = shown.lock(); open && !open->closed()) start_from_browsed(*open);
    });
    return;
  }
  const bool completed = responder_->shown() > shown_before_range_run_ &&
                         responder_->last_number() == RangeSummary::kCompletedMessage;
  if (auto line = range_summary_->closed(site, *responder_, options_.language, completed); line && window_)
    window_->statusBar()->showMessage(qs(*line), 30000);
}

bool DesktopHost::settle_pending_change() {
  auto site = main_site();
  auto f = frame();
  if (!site || !f) return true;
  // The field being typed in is left first: its change reaches the row, or its refusal keeps the window.
  if (!site->validate_focused()) return false;
  if (f->Status() == host::RecordFrame::kStatusStored) return true;
  // A new row nothing was typed into is given up without a question: there is nothing to lose.
  if (f->Status() == host::RecordFrame::kStatusNew && nothing_typed(*site)) {
    f->CancelEdit();
    refresh_status();
    return true;
  }
  QMessageBox box(QMessageBox::Question,
                  qs(standin::translate_caption(standin::HostEnvironment::kModuleTitle, options_.language)),
                  qs(f->Status() == host::RecordFrame::kStatusNew
                         ? text("Il nuovo giorno non è stato salvato. Salvarlo?",
                                "The new day has not been saved. Save it?")
                         : text("Le modifiche al giorno non sono state salvate. Salvarle?",
                                "The changes to the day have not been saved. Save them?")),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window_);
  box.setObjectName("pending_change");
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  int answer = box.exec();
  bool settled = false;
  if (answer == QMessageBox::Save) {
    database::ActionInProgress action("desktop: save");
    f->Save(true, 0, true);
    settled = f->Status() == host::RecordFrame::kStatusStored;
  } else if (answer == QMessageBox::Discard) {
    f->CancelEdit();
    settled = true;
  }
  if (auto s = main_site()) s->refresh_grids();
  refresh_status();
  return settled;
}

std::vector<MonthMark> DesktopHost::month_marks(int year, int month) {
  std::vector<MonthMark> marks;
  const std::int32_t company = env_->global()->Company().to_long();
  const auto first = runtime::Date::from_ymd(year, static_cast<unsigned>(month), 1);
  const auto last = (month == 12 ? runtime::Date::from_ymd(year + 1, 1, 1)
                                 : runtime::Date::from_ymd(year, static_cast<unsigned>(month) + 1, 1))
                        .add_days(-1);
  runtime::suppressed([&] {
    const auto activity = browsed_activity(*env_, frame());
    std::vector<planner::PlannedDay> own;
    if (activity) {
      const planner::QueryRunner query = [this](const std::string& sql) { return env_->run_query(sql); };
      own = planner::read_days(query, activity->activity, first, last);
    }
    for (const auto& d : own)
      marks.push_back(
          {to_qdate(d.day), true, qs(activity->codes() + ": " + planner::duration_text(d.total_minutes()))});
    for (const auto& d : standin::planned_days(*env_, company, 0, 0, year, static_cast<unsigned>(month))) {
      const bool taken = std::any_of(own.begin(), own.end(), [&](const auto& o) { return o.day == d; });
      if (!taken)
        marks.push_back(
            {to_qdate(d), !activity, activity ? qs(text("Altre attività", "Other activities")) : QString()});
    }
  });
  return marks;
}

bool DesktopHost::nothing_typed(QtFormSite& site) {
  for (const char* name : {"TXT_CODPROG", "TXT_CODNODO", "TXT_CODATTIVITA", "TXT_ORE", "TXT_MINUTI"}) {
    bool blank = true;
    runtime::suppressed([&] { blank = runtime::trim(site.model<host::TextControl>(name)->Text()).empty(); });
    if (!blank) return false;
  }
  return true;
}

bool DesktopHost::shows_no_row(const standin::InputModel& field) const {
  auto site = main_site();
  auto f = frame();
  if (!site || !f || f->Status() != host::RecordFrame::kStatusStored) return false;
  const auto& controls = site->controls();
  const bool of_the_window = std::any_of(controls.begin(), controls.end(), [&](const auto& c) {
    return dynamic_cast<const standin::InputModel*>(c.get()) == &field;
  });
  if (!of_the_window) return false;
  bool current = false;
  runtime::suppressed([&] {
    auto rs = f->Recordset();
    current = rs && rs->State() == host::kAdStateOpen && !rs->Eof() && !rs->Bof();
  });
  return !current;
}

void DesktopHost::show_record_state() {
  auto site = main_site();
  if (!site) return;
  bool blank = false;
  runtime::suppressed([&] {
    auto f = frame();
    auto rs = f ? f->Recordset() : nullptr;
    blank = f && f->Status() == host::RecordFrame::kStatusStored &&
            !(rs && rs->State() == host::kAdStateOpen && !rs->Eof() && !rs->Bof());
  });
  if (blank == showed_blank_) return;
  showed_blank_ = blank;
  for (const auto& view : site->views())
    if (view) view->refresh();
}

bool DesktopHost::close_module() {
  if (!module_) return true;
  if (main_site()) {
    runtime::Variant closed = module_->Cinterface_CloseForm();
    if (closed.type() != runtime::VarType::Boolean || !closed.to_bool()) return false;
  }
  module_closed();
  return true;
}

void DesktopHost::module_closed() {
  if (env_) env_->global()->set_MainInterface(nullptr);
  module_.reset();
  if (workspace_) workspace_->setCurrentWidget(closed_page_);
  refresh_status();
}

bool DesktopHost::apply_options(const DesktopOptions& options) {
  if (!close_module()) return false;
  options_ = options;
  responder_->set_language(options_.language);
  forms_->session()->language = options_.language;
  use_qt_translations(options_.language);
  retranslate();
  env_->apply_settings(options_.host_settings());
  env_->global()->set_MediaValue(1, runtime::Variant(options_.company));
  return open_module();
}

void DesktopHost::frame_command(bool validate_first, const std::function<void(host::RecordFrame&)>& command) {
  auto site = main_site();
  auto f = frame();
  if (!site || !f) return;
  if (validate_first && !site->validate_focused()) return;
  command(*f);
  if (auto s = main_site())
    s->refresh_grids();
  else if (module_)
    module_closed();
  refresh_status();
}

void DesktopHost::move(int where) {
  if (!settle_pending_change()) return;
  frame_command(true, [where](host::RecordFrame& f) {
    auto rs = f.Recordset();
    if (!rs || rs->State() != host::kAdStateOpen) return;
    std::int32_t count = rs->RecordCount();
    if (count == 0) return;
    std::int32_t at = rs->AbsolutePosition();
    std::int32_t target = 0;
    switch (where) {
      case 0:
        target = 0;
        break;
      case 1:
        target = at <= 0 ? 0 : at - 1;
        break;
      case 2:
        target = at < 0 ? 0 : std::min(count - 1, at + 1);
        break;
      default:
        target = count - 1;
        break;
    }
    f.MoveTo(target);
  });
}

void DesktopHost::change_company() {
  if (!module_ || !settle_pending_change()) return;
  const int current = env_->global()->Company().to_long();
  // The companies the database holds are offered; another number may be typed.
  QStringList companies{QString::number(current)};
  runtime::suppressed([&] {
    auto rs = env_->run_query("SELECT DISTINCT PD0G_DITTA_CG18 AS DITTA FROM PD0G_DISBAPROG ORDER BY 1");
    for (; rs && !rs->Eof(); rs->MoveNext())
      if (QString n = QString::number(rs->Field("DITTA").to_long()); !companies.contains(n)) companies << n;
  });
  QInputDialog input(window_);
  input.setObjectName("COMPANY_CHOICE");
  input.setWindowTitle(qs(text("Cambio ditta", "Change company")));
  input.setLabelText(
      qs(text("Ditta (il calendario si riapre su di essa):", "Company (the calendar reopens on it):")));
  input.setComboBoxItems(companies);
  input.setComboBoxEditable(true);
  input.setTextValue(QString::number(current));
  if (input.exec() != QDialog::Accepted) return;
  bool number = false;
  const int company = input.textValue().trimmed().toInt(&number);
  if (!number || company < 1 || company > 32767) {
    responder_->answer_message(standin::ShownMessage{
        0,
        text("La ditta è un numero intero da 1 a 32767.", "The company is a whole number from 1 to 32767."),
        48, standin::HostEnvironment::kModuleTitle});
    return;
  }
  if (company == current) return;
  const bool changed = env_->navigator()->change_company(company, *env_->global());
  if (changed) {
    options_.company = company;
    // What the status bar said was about the other company.
    env_->status_bar()->set_text("");
    window_->statusBar()->clearMessage();
  }
  if (!main_site()) {
    // The module closed its window for the change: it opens again on the new company.
    module_closed();
    if (changed) open_module();
  } else if (changed) {
    // A window the module left open through the change was loaded for the other company (its grid's
    // codes are that company's): it is loaded again for this one.
    if (close_module()) open_module();
  } else {
    main_site()->refresh_grids();
  }
  refresh_status();
}

void DesktopHost::export_grid() {
  auto site = main_site();
  if (!site) return;
  std::shared_ptr<standin::GridModel> grid;
  for (const auto& c : site->controls())
    if (auto g = std::dynamic_pointer_cast<standin::GridModel>(c)) grid = g;
  if (!grid) return;
  ExportChoice choice;
  if (export_chooser_) {
    choice = export_chooser_();
  } else {
    const QString standard =
        qs(text("CSV standard: virgole, date ISO (*.csv)", "Standard CSV: commas, ISO dates (*.csv)"));
    const QString sheet = qs(text("CSV per foglio di calcolo: punto e virgola, con titolo (*.csv)",
                                  "Spreadsheet CSV: semicolons, with a title (*.csv)"));
    const ChosenFile chosen =
        choose_file(window_, qs(text("Esporta la griglia", "Export the grid")),
                    qs(text("calendario.csv", "calendar.csv")), standard + ";;" + sheet, true, standard);
    choice.path = chosen.path.toStdString();
    choice.standard = chosen.filter == standard;
  }
  const QString path = qs(choice.path);
  if (path.isEmpty()) return;
  try {
    const bool written = choice.standard
                             ? standin::export_grid_standard_csv(*env_->navigator(), *grid, choice.path)
                             : standin::export_grid_csv(*env_->navigator(), *grid, choice.path);
    if (!written) return;
    window_->statusBar()->showMessage(qs(text("Esportato in ", "Exported to ")) + path, 5000);
  } catch (const runtime::Error& e) {
    responder_->answer_message(
        standin::ShownMessage{0, e.description(), 16, standin::HostEnvironment::kModuleTitle});
  }
}

void DesktopHost::undo_last() {
  if (!main_site() || !settle_pending_change()) return;
  std::optional<std::string> done;
  try {
    done = undo_last_action(window_, options_.db_path, options_.company, options_.language);
  } catch (const runtime::Error& e) {
    responder_->answer_message(
        standin::ShownMessage{0, e.description(), 16, standin::HostEnvironment::kModuleTitle});
  }
  if (!done) return;
  // The window reads its days again, through the host's script model, as a script of the host would.
  runtime::suppressed([&] {
    auto script = std::make_shared<standin::StandinScriptObject>();
    env_->navigator()->initialize_script_model(script);
    script->call(kMainWindowName, "Requery");
  });
  if (auto s = main_site()) s->refresh_grids();
  refresh_status();
  window_->statusBar()->showMessage(qs(*done), 30000);
}

void DesktopHost::history() {
  if (!main_site()) return;
  planner::ActivityCodes activity;
  if (auto found = browsed_activity(*env_, frame())) activity = {found->project, found->node, found->code};
  try {
    show_history(window_, options_.db_path, options_.company, activity, options_.language);
  } catch (const runtime::Error& e) {
    responder_->answer_message(
        standin::ShownMessage{0, e.description(), 16, standin::HostEnvironment::kModuleTitle});
  }
}

void DesktopHost::about() {
  QMessageBox box(
      QMessageBox::Information,
      qs(text("Informazioni su Calendario attività WBS", "About the WBS activity calendar")),
      qs(text("Calendario attività WBS", "WBS activity calendar") + " " + CALENDATT_VERSION + "\n\n" +
         text("Pianifica le ore delle attività WBS giorno per giorno.\n"
              "Database: ",
              "Plans the hours of WBS activities day by day.\nDatabase: ") +
         options_.db_path),
      QMessageBox::Ok, window_);
  box.setObjectName("ABOUT");
  box.exec();
}

void DesktopHost::multimedia() {
  if (!main_site()) return;
  env_->navigator()->press_button(standin::StandinNavigator::kMultimediaButton);
  if (auto s = main_site()) s->refresh_grids();
  refresh_status();
}

void DesktopHost::edit_settings() {
  QDialog dialog(window_);
  dialog.setObjectName("SETTINGS");
  dialog.setWindowTitle(qs(text("Impostazioni", "Settings")));
  auto* form = new QFormLayout(&dialog);
  auto* db = new QLineEdit(qs(options_.db_path), &dialog);
  db->setObjectName("SETTINGS_DATABASE");
  // The whole path shows (up to a reasonable width).
  db->setMinimumWidth(std::clamp(db->fontMetrics().horizontalAdvance(db->text()) + 24, 320, 720));
  auto* browse = new QPushButton(qs(text("Sfoglia...", "Browse...")), &dialog);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, db] {
    QString chosen = choose_file(&dialog, QString(), db->text(), QString()).path;
    if (!chosen.isEmpty()) db->setText(chosen);
  });
  auto* db_row = new QHBoxLayout;
  db_row->addWidget(db, 1);
  db_row->addWidget(browse);
  form->addRow(qs(text("Database:", "Database:")), db_row);
  auto* company = new QSpinBox(&dialog);
  company->setRange(1, 32767);
  company->setValue(options_.company);
  form->addRow(qs(text("Ditta:", "Company:")), company);
  auto* language = new QComboBox(&dialog);
  language->addItem("Italiano", "it");
  language->addItem("English", "en");
  language->setCurrentIndex(options_.language == "en" ? 1 : 0);
  form->addRow(qs(text("Lingua:", "Language:")), language);
  auto* date_form = new QComboBox(&dialog);
  for (const char* f : {"dd/mm/yyyy", "mm/dd/yyyy", "yyyy-mm-dd", "dd.mm.yyyy", "dd-mm-yyyy"})
    date_form->addItem(f);
  date_form->setCurrentText(qs(options_.short_date_form));
  form->addRow(qs(text("Formato data breve:", "Short date form:")), date_form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return;
  DesktopOptions changed = options_;
  changed.db_path = db->text().trimmed().toStdString();
  changed.company = company->value();
  changed.language = language->currentData().toString().toStdString();
  changed.short_date_form = date_form->currentText().toStdString();
  // Another database is opened only once it is known to be a calendar (or the person created it).
  if (changed.db_path != options_.db_path &&
      prepare_database_file(window_, changed.db_path, changed.language) != DatabaseFile::kReady)
    return;
  write_settings_file(settings_file_, changed);
  if (!settle_pending_change()) return;
  apply_options(changed);
}

void DesktopHost::refresh_status() {
  if (!window_ || !env_) return;
  const bool open = module_ && main_site();
  for (const char* name : {"new", "save", "delete", "cancel", "first", "previous", "next", "last", "company",
                           "export", "multimedia", "undo", "history"})
    if (auto* a = action(name)) a->setEnabled(open);
  if (auto* a = action("open")) a->setEnabled(!module_);
  std::string state;
  if (!open) {
    state = text("Nessun programma aperto", "No program open");
  } else {
    auto f = frame();
    switch (f ? f->Status() : host::RecordFrame::kStatusStored) {
      case host::RecordFrame::kStatusNew:
        state = text("Inserimento", "New row");
        break;
      case host::RecordFrame::kStatusModified:
        state = text("Modifica", "Changed");
        break;
      default:
        state = text("Visualizzazione", "Browse");
        break;
    }
    if (options_.called)
      state += text(" - richiamato per ", " - called for ") + options_.project + " / " + options_.node +
               " / " + options_.activity;
    if (!env_->status_bar()->text().empty()) state += " - " + env_->status_bar()->text();
  }
  status_frame_->setText(qs(state));
  show_record_state();
  if (days_panel_) days_panel_->refresh(*env_, open ? frame() : nullptr, options_.language);
  // The calendar's marks follow the rows written meanwhile and the selection.
  if (open) {
    if (auto site = main_site())
      for (const auto& view : site->views())
        if (auto calendar = std::dynamic_pointer_cast<QtCalendar>(view)) calendar->mark_planned_days();
  }
  std::string company;
  runtime::suppressed([&] { company = env_->global()->Company().to_string(); });
  status_company_->setText(qs(text("Ditta ", "Company ") + company));
  if (database::is_postgres_target(options_.db_path)) {
    const std::string role = role_companies(options_.db_path, options_.language == "en");
    status_database_->setText(
        qs(database::describe_target(options_.db_path) + (role.empty() ? "" : " \u2014 " + role)));
    status_database_->setToolTip(qs(database::describe_target(options_.db_path)));
  } else {
    status_database_->setText(QFileInfo(qs(options_.db_path)).fileName());
    status_database_->setToolTip(qs(options_.db_path));
  }
}

}  // namespace desktop
