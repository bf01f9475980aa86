#include "cli/commands.h"
#include "cli/exportoutput.h"
#include "cli/raceargs.h"

#include "core/reports/performancetable.h"

namespace velaro::cli {

int runTable(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString raceFile;
  QString outPath;
  if (!parseRaceAndOutput(args, raceFile, outPath)) {
    err << "usage: velaro-cli table RACEFILE [-o FILE.csv]\n";
    return 2;
  }
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err, Manoeuvres::Skip);
  if (!loaded) {
    return 1;
  }
  return deliverExport(WritePerformanceTable(*loaded), outPath, out, err);
}

}  // namespace velaro::cli
