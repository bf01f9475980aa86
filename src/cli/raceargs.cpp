#include "cli/raceargs.h"

#include <QDir>
#include <QFileInfo>

namespace velaro::cli {

RaceLocation locateRace(const QString& raceFileArg) {
  const QFileInfo info(raceFileArg);
  QDir dir = info.absoluteDir();
  dir.cdUp();
  return {info.absoluteFilePath(), RaceFolders(dir.absolutePath())};
}

}  // namespace velaro::cli
