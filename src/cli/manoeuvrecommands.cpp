#include "cli/commands.h"
#include "cli/exportoutput.h"
#include "cli/raceargs.h"

#include "core/analysis/manoeuvres.h"
#include "core/analysis/starts.h"
#include "core/reports/manoeuvrereport.h"

namespace velaro::cli {

int runManoeuvres(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString raceFile;
  QString outPath;
  if (!parseRaceAndOutput(args, raceFile, outPath)) {
    err << "usage: velaro-cli manoeuvres RACEFILE [-o FILE.csv]\n";
    return 2;
  }
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err, Manoeuvres::Find);
  if (!loaded) {
    return 1;
  }
  return deliverExport(WriteManoeuvresCsv(loaded->race, loaded->manoeuvres), outPath, out, err);
}

int runStarts(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString raceFile;
  QString outPath;
  if (!parseRaceAndOutput(args, raceFile, outPath)) {
    err << "usage: velaro-cli starts RACEFILE [-o FILE.csv]\n";
    return 2;
  }
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err, Manoeuvres::Skip);
  if (!loaded) {
    return 1;
  }
  const std::vector<BoatStart> starts =
      AnalyseStarts(loaded->race, loaded->results, loaded->geometry.CosCentreLat);
  if (starts.empty()) {
    err << "velaro-cli: " << raceFile << ": the course does not begin with a start line\n";
    return 1;
  }
  return deliverExport(WriteStartsCsv(loaded->race, starts), outPath, out, err);
}

}  // namespace velaro::cli
