#include "converter/ChooserFolder.h"

#include <QDir>
#include <QFileInfo>

namespace ostrel {

namespace {

QString g_last;

bool IsFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

}  // namespace

QString ChooserFolder::Start(const QString& fieldPath) {
  const QFileInfo info(fieldPath);
  // A relative path would be taken from the working folder: it names no
  // place the user chose.
  if (!fieldPath.isEmpty() && info.isAbsolute()) {
    if (info.isDir()) return info.absoluteFilePath();
    const QFileInfo parent(info.absolutePath());
    if (parent.isDir()) return parent.absoluteFilePath();
  }
  if (IsFolder(g_last)) return g_last;
  return QDir::homePath();
}

void ChooserFolder::Remember(const QString& folder) {
  if (IsFolder(folder)) g_last = QFileInfo(folder).absoluteFilePath();
}

QString ChooserFolder::Last() { return g_last; }

void ChooserFolder::Reset() { g_last.clear(); }

}  // namespace ostrel
