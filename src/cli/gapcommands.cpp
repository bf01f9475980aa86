#include "cli/commands.h"
#include "cli/exportoutput.h"

#include "core/analysis/gaps.h"
#include "core/analysis/polars.h"
#include "core/reports/reporttext.h"

#include <cmath>

namespace velaro::cli {
namespace {

QString number(double v, int decimals) {
  return std::isnan(v) ? QString() : QString::number(v, 'f', decimals);
}

QByteArray joinRows(const QStringList& rows) {
  QByteArray out;
  for (const QString& row : rows) {
    out.append(row.toUtf8());
    out.append("\r\n");
  }
  return out;
}

// RACEFILE, -o FILE and one option with a value; false on anything else.
bool parseArgs(const QStringList& args, const QString& option, QString& raceFile, QString& outPath,
               QString& optionValue) {
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("-o") && i + 1 < args.size()) {
      outPath = args[++i];
    } else if (args[i] == option && i + 1 < args.size()) {
      optionValue = args[++i];
    } else if (raceFile.isEmpty() && !args[i].startsWith(u'-')) {
      raceFile = args[i];
    } else {
      return false;
    }
  }
  return !raceFile.isEmpty();
}

bool wantsPicture(const QString& outPath, const char* usage, QTextStream& err) {
  if (!outPath.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
    return false;
  }
  err << "velaro-cli: the picture is not available yet; write FILE.csv\n" << usage;
  return true;
}

}  // namespace

int runGaps(const QStringList& args, QTextStream& out, QTextStream& err) {
  static const char* const kUsage = "usage: velaro-cli gaps RACEFILE [--step SECONDS] [-o FILE.csv]\n";
  QString raceFile;
  QString outPath;
  QString stepText;
  if (!parseArgs(args, QStringLiteral("--step"), raceFile, outPath, stepText)) {
    err << kUsage;
    return 2;
  }
  double step = kDefaultGapStepSeconds;
  if (!stepText.isEmpty()) {
    bool ok = false;
    step = stepText.toDouble(&ok);
    if (!ok || !(step >= 1) || step > 3600) {
      err << "velaro-cli: --step takes 1 to 3600 seconds, not \"" << stepText << "\"\n" << kUsage;
      return 2;
    }
  }
  if (wantsPicture(outPath, kUsage, err)) {
    return 2;
  }
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err);
  if (!loaded) {
    return 1;
  }
  const Race& race = loaded->race;
  if (loaded->results.itemCount < 2) {
    err << "velaro-cli: " << raceFile << ": the race has no course to measure gaps along\n";
    return 1;
  }
  const std::vector<GapStep> steps = ComputeGaps(race, loaded->results, loaded->geometry.CosCentreLat, step);
  QStringList rows = {QStringLiteral("time_s,boat,name,rank,metres_to_leader,seconds_to_leader")};
  for (const GapStep& s : steps) {
    for (int b = 0; b < static_cast<int>(s.boats.size()); ++b) {
      const BoatGap& g = s.boats[b];
      rows << QStringList{generalText(s.time),
                          QString::number(b + 1),
                          csvField(race.boats[b].BoatName),
                          QString::number(g.rank),
                          number(g.metresToLeader, 1),
                          number(g.secondsToLeader, 1)}
                  .join(u',');
    }
  }
  return deliverExport(joinRows(rows), outPath, out, err);
}

int runPolar(const QStringList& args, QTextStream& out, QTextStream& err) {
  static const char* const kUsage = "usage: velaro-cli polar RACEFILE [--boats 1,3,...] [-o FILE.csv]\n";
  QString raceFile;
  QString outPath;
  QString boatsText;
  if (!parseArgs(args, QStringLiteral("--boats"), raceFile, outPath, boatsText)) {
    err << kUsage;
    return 2;
  }
  if (wantsPicture(outPath, kUsage, err)) {
    return 2;
  }
  std::vector<int> chosen;
  if (!boatsText.isEmpty()) {
    for (const QString& part : boatsText.split(u',')) {
      bool ok = false;
      const int boat = part.trimmed().toInt(&ok);
      if (!ok || boat < 1) {
        err << "velaro-cli: --boats takes boat numbers such as 1,3, not \"" << boatsText << "\"\n" << kUsage;
        return 2;
      }
      chosen.push_back(boat);
    }
  }
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err);
  if (!loaded) {
    return 1;
  }
  const Race& race = loaded->race;
  for (int boat : chosen) {
    if (boat > race.BoatCount()) {
      err << "velaro-cli: " << raceFile << " has " << race.BoatCount() << " boats, no boat " << boat << '\n';
      return 2;
    }
  }
  if (chosen.empty()) {
    for (int b = 1; b <= race.BoatCount(); ++b) {
      chosen.push_back(b);
    }
  }
  const std::vector<BoatPolar> polars =
      ComputePolars(race, loaded->results, loaded->manoeuvres, loaded->geometry.CosCentreLat);
  QStringList rows = {QStringLiteral(
      "boat,name,tws_from_kn,tws_to_kn,twa_deg,seconds,speed_kn,beat_angle_deg,run_angle_deg")};
  for (int boat : chosen) {
    for (const PolarBand& band : polars[boat - 1].bands) {
      for (int i = 0; i < kPolarBins; ++i) {
        const PolarBin& bin = band.bins[i];
        if (std::isnan(bin.speedKnots)) {
          continue;
        }
        rows << QStringList{QString::number(boat),
                            csvField(race.boats[boat - 1].BoatName),
                            number(band.fromKnots, 0),
                            number(band.toKnots, 0),
                            number((i + 0.5) * kPolarBinDegrees, 1),
                            QString::number(bin.seconds),
                            number(bin.speedKnots, 2),
                            number(band.beatAngleDeg, 1),
                            number(band.runAngleDeg, 1)}
                    .join(u',');
      }
    }
  }
  return deliverExport(joinRows(rows), outPath, out, err);
}

}  // namespace velaro::cli
