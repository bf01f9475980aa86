#include "app/desktop/racesfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace velaro {

namespace {

bool holdsRaces(const QString& folder) {
  return QFileInfo(QDir(folder).filePath(QStringLiteral("raceadmin"))).isDir();
}

}  // namespace

QString chooseRacesFolder(const QStringList& arguments, const QString& programFolder,
                          const QStringList& demoFolders) {
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--races") && i + 1 < arguments.size()) {
      return QDir(arguments[i + 1]).absolutePath();
    }
    if (a.startsWith(QLatin1String("--races="))) {
      return QDir(a.mid(8)).absolutePath();
    }
  }
  if (holdsRaces(programFolder)) {
    return QDir(programFolder).absolutePath();
  }
  for (const QString& demo : demoFolders) {
    if (holdsRaces(demo)) {
      return QDir::cleanPath(QDir(demo).absolutePath());
    }
  }
  return demoFolders.isEmpty() ? QString() : QDir::cleanPath(QDir(demoFolders.last()).absolutePath());
}

QStringList logArguments(const QStringList& arguments) {
  QStringList files;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--races")) {
      ++i;
    } else if (!a.startsWith(u'-')) {
      files.append(QFileInfo(a).absoluteFilePath());
    }
  }
  return files;
}

QString userRacesFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
      .filePath(QStringLiteral("races"));
}

}  // namespace velaro
