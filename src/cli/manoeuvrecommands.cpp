#include "cli/commands.h"
#include "cli/exportoutput.h"

#include "core/analysis/manoeuvres.h"
#include "core/analysis/starts.h"
#include "core/reports/manoeuvrereport.h"

namespace velaro::cli {

namespace {

// RACEFILE [-o FILE.csv]; false on anything else.
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

}  // namespace

int runManoeuvres(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString raceFile;
  QString outPath;
  if (!parseRaceAndOutput(args, raceFile, outPath)) {
    err << "usage: velaro-cli manoeuvres RACEFILE [-o FILE.csv]\n";
    return 2;
  }
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err);
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
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err);
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
