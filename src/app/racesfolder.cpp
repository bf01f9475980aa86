#include "app/racesfolder.h"

#include <QDir>
#include <QFileInfo>

namespace velaro {

QString chooseRacesFolder(const QStringList& arguments, const QString& programFolder,
                          const QString& demoFolder) {
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--races") && i + 1 < arguments.size()) {
      return QDir(arguments[i + 1]).absolutePath();
    }
    if (a.startsWith(QLatin1String("--races="))) {
      return QDir(a.mid(8)).absolutePath();
    }
  }
  if (QFileInfo(QDir(programFolder).filePath(QStringLiteral("raceadmin"))).isDir()) {
    return QDir(programFolder).absolutePath();
  }
  return QDir(demoFolder).absolutePath();
}

}  // namespace velaro
