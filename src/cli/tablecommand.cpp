#include "cli/commands.h"
#include "cli/exportoutput.h"

#include "core/reports/performancetable.h"

namespace velaro::cli {

int runTable(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString raceFile;
  QString outPath;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("-o") && i + 1 < args.size()) {
      outPath = args[++i];
    } else if (raceFile.isEmpty() && !args[i].startsWith(u'-')) {
      raceFile = args[i];
    } else {
      raceFile.clear();
      break;
    }
  }
  if (raceFile.isEmpty()) {
    err << "usage: velaro-cli table RACEFILE [-o FILE.csv]\n";
    return 2;
  }
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err);
  if (!loaded) {
    return 1;
  }
  return deliverExport(WritePerformanceTable(*loaded), outPath, out, err);
}

}  // namespace velaro::cli
