#pragma once
// The host's file dialogs. They name the files of a folder without reading them: a file dialog that
// sniffs file contents would open and close the calendar's own database file, and closing any descriptor
// of it drops the locks this process's connections hold on it (another program closing the database
// would then remove its write-ahead log from under them).

#include <QString>

class QWidget;

namespace desktop {

struct ChosenFile {
  QString path;    // empty when the person cancelled
  QString filter;  // the name filter chosen
};

// An existing file to open, or (`save`) a file to write, starting at `start`; `filters` as Qt's
// ";;"-separated name filters, `filter` the one chosen first.
ChosenFile choose_file(QWidget* parent, const QString& title, const QString& start, const QString& filters,
                       bool save = false, const QString& filter = {});

}  // namespace desktop
