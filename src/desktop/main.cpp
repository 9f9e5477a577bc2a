// calendatt-desktop: the desktop host of the WBS activity calendar.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyleFactory>
#include <cstdlib>
#include <iostream>

#include "database/postgres_connection.hpp"
#include "desktop/database_file.hpp"
#include "desktop/desktop_host.hpp"
#include "desktop/screenshots.hpp"
#include "runtime/error.hpp"

namespace {

constexpr int kUsageError = 2;
constexpr int kFailure = 3;

bool has_display() {
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
  desktop::CommandLine line;
  std::string error;
  if (!desktop::parse_command_line(std::vector<std::string>(argv + 1, argv + argc), line, error)) {
    std::cerr << "calendatt-desktop: " << error << "\n\n" << desktop::usage_text(line.options.language);
    return kUsageError;
  }
  if (line.help) {
    std::cout << desktop::usage_text(line.options.language);
    return 0;
  }
  const bool screenshots = !line.screenshots_dir.empty();
  const bool en = line.options.language == "en";
  if (!has_display()) {
    if (!screenshots) {
      std::cerr
          << (en ? "calendatt-desktop: there is no display here (neither DISPLAY nor WAYLAND_DISPLAY is "
                   "set).\nRun it under a virtual display:\n  xvfb-run -a calendatt-desktop "
                 : "calendatt-desktop: qui non c'è uno schermo (né DISPLAY né WAYLAND_DISPLAY sono "
                   "impostati).\nLo si avvia in uno schermo virtuale:\n  xvfb-run -a calendatt-desktop ")
          << (argc > 1 ? (en ? "[the same options]" : "[le stesse opzioni]") : "") << "\n"
          << (en ? "or without any display, as the tests do: QT_QPA_PLATFORM=offscreen calendatt-desktop "
                   "...\n"
                 : "o senza alcuno schermo, come fanno i test: QT_QPA_PLATFORM=offscreen calendatt-desktop "
                   "...\n");
      return kFailure;
    }
    // The screenshots need no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("calendatt-desktop");
  QApplication::setStyle(QStyleFactory::create("Fusion"));

  if (screenshots) {
    QDir().mkpath(QString::fromStdString(line.screenshots_dir));
    return desktop::take_screenshots(line.screenshots_dir, line.options.language);
  }

  std::string settings_file =
      line.settings_file.empty() ? desktop::default_settings_file() : line.settings_file;
  desktop::DesktopOptions options;
  desktop::read_settings_file(settings_file, options);
  if (!desktop::apply_command_line(line, options, error)) {
    std::cerr << "calendatt-desktop: " << error << "\n";
    return kUsageError;
  }

  desktop::use_qt_translations(options.language);
  try {
    // A server database is not a file: only its schema version is checked here, and the connection says
    // what else is wrong with it.
    switch (database::is_postgres_target(options.db_path)
                ? desktop::check_server_database(nullptr, options.db_path, options.language)
                : desktop::prepare_database_file(nullptr, options.db_path, options.language)) {
      case desktop::DatabaseFile::kReady:
        break;
      case desktop::DatabaseFile::kDeclined:
        return 1;
      case desktop::DatabaseFile::kFailed:
        return kFailure;
    }
    desktop::DesktopHost host(options, settings_file);
    host.window()->resize(1180, 820);
    host.window()->show();
    if (!host.open_module() && options.called) return 1;
    // CALENDATT_OPEN_AND_CLOSE (benchmarks): the window opens, shows its rows and the program ends.
    if (qEnvironmentVariableIsSet("CALENDATT_OPEN_AND_CLOSE")) {
      QApplication::processEvents();
      return 0;
    }
    return app.exec();
  } catch (const runtime::Error& e) {
    std::cerr << "calendatt-desktop: " << e.description()
              << (options.language == "en" ? " (error " : " (errore ") << e.number() << ")\n";
    return kFailure;
  }
}
