#include "desktop/file_chooser.hpp"

#include <QAbstractFileIconProvider>
#include <QFileDialog>
#include <QFileInfo>

namespace desktop {
namespace {

// Icons by kind alone (folder or file): nothing is read to find a file's type.
class BlindIcons : public QAbstractFileIconProvider {
 public:
  QIcon icon(IconType type) const override { return QAbstractFileIconProvider::icon(type); }
  QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
  QString type(const QFileInfo& info) const override { return info.isDir() ? "Folder" : "File"; }
};

}  // namespace

ChosenFile choose_file(QWidget* parent, const QString& title, const QString& start, const QString& filters,
                       bool save, const QString& filter) {
  QFileDialog chooser(parent, title, start, filters);
  chooser.setObjectName("FILE_CHOOSER");
  chooser.setOption(QFileDialog::DontUseNativeDialog);
  BlindIcons icons;
  chooser.setIconProvider(&icons);
  chooser.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  chooser.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!filter.isEmpty()) chooser.selectNameFilter(filter);
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return {};
  return {chooser.selectedFiles().front(), chooser.selectedNameFilter()};
}

}  // namespace desktop
