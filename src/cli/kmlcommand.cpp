#include "cli/commands.h"
#include "cli/exportoutput.h"
#include "cli/raceargs.h"

#include "core/racefolders.h"
#include "core/reports/kmlexport.h"
#include "render/kmlicons.h"

#include <QCoreApplication>
#include <QDir>

#include <optional>

namespace velaro::cli {

int runKml(const QStringList& args, QTextStream& out, QTextStream& err) {
  const auto usage = [&err] {
    err << "usage: velaro-cli kml RACEFILE [--scene SECONDS] [--hide-unfocused] [--speed-colours] "
           "[-o FILE.kml]\n"
           "  --speed-colours: the tracks coloured by speed, the fleet's 5 to 95 % of speeds while racing\n";
    return 2;
  };
  QString raceFile;
  QString outPath;
  std::optional<double> sceneTime;
  bool hideUnfocused = false;
  bool speedColours = false;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QLatin1String("-o") && i + 1 < args.size()) {
      outPath = args[++i];
    } else if (a == QLatin1String("--scene") && i + 1 < args.size()) {
      bool ok = false;
      sceneTime = args[++i].toDouble(&ok);
      if (!ok) {
        return usage();
      }
    } else if (a == QLatin1String("--hide-unfocused")) {
      hideUnfocused = true;
    } else if (a == QLatin1String("--speed-colours")) {
      speedColours = true;
    } else if (raceFile.isEmpty() && !a.startsWith(u'-')) {
      raceFile = a;
    } else {
      return usage();
    }
  }
  if (raceFile.isEmpty()) {
    return usage();
  }
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err, Manoeuvres::Skip);
  if (!loaded) {
    return 1;
  }

  // The pictures the placemarks name: the races folder's own, else the
  // program's.
  const RaceLocation where = locateRace(raceFile);
  const QString iconFolder = kmlIconFolder(where.folders.folder(QString::fromLatin1(kIconFolder)),
                                           QCoreApplication::applicationDirPath());
  KmlOptions options;
  options.hideUnfocused = hideUnfocused;
  options.iconFolder = QDir::cleanPath(iconFolder) + u'/';
  if (speedColours) {
    options.speedColours = FleetSpeedRange(loaded->race, loaded->results);
  }

  const Race& race = loaded->race;
  const QByteArray kml = sceneTime
                             ? ExportPresentScene(race, *sceneTime, sceneBoatsAt(race, *sceneTime), options)
                             : ExportAllRace(race, options);
  return deliverExport(kml, outPath, out, err);
}

}  // namespace velaro::cli
