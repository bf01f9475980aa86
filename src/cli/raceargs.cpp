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

bool parseRaceAndOutput(const QStringList& args, QString& raceFile, QString& outPath) {
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("-o") && i + 1 < args.size()) {
      outPath = args[++i];
    } else if (raceFile.isEmpty() && !args[i].startsWith(u'-')) {
      raceFile = args[i];
    } else {
      return false;
    }
  }
  return !raceFile.isEmpty();
}

}  // namespace velaro::cli
