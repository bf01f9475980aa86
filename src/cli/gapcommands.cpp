#include "cli/commands.h"
#include "cli/exportoutput.h"

#include "core/analysis/gaps.h"
#include "core/analysis/polars.h"
#include "core/reports/reporttext.h"
#include "render/gapchart.h"
#include "render/polarchart.h"

#include <cmath>
#include <numeric>
#include <optional>

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

// RACEFILE, -o FILE, --size WxH and one more option with a value; false on
// anything else.
bool parseArgs(const QStringList& args, const QString& option, QString& raceFile, QString& outPath,
               QString& optionValue, QString& sizeText) {
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("-o") && i + 1 < args.size()) {
      outPath = args[++i];
    } else if (args[i] == option && i + 1 < args.size()) {
      optionValue = args[++i];
    } else if (args[i] == QLatin1String("--size") && i + 1 < args.size()) {
      sizeText = args[++i];
    } else if (raceFile.isEmpty() && !args[i].startsWith(u'-')) {
      raceFile = args[i];
    } else {
      return false;
    }
  }
  return !raceFile.isEmpty();
}

enum class Output { Csv, Picture };

// CSV to standard output or a .csv file, the chart to a .png or .bmp file;
// nothing (after saying why) for any other name or a --size without a chart.
std::optional<Output> outputFor(const QString& outPath, const QString& sizeText, QSize& size,
                                const char* usage, QTextStream& err) {
  const auto endsWith = [&](const char* suffix) {
    return outPath.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
  };
  if (endsWith(".png") || endsWith(".bmp")) {
    if (!sizeText.isEmpty()) {
      const std::optional<QSize> parsed = parsePictureSize(sizeText);
      if (!parsed) {
        err << "velaro-cli: --size is WIDTHxHEIGHT, " << kMinPictureSide << " to " << kMaxPictureSide
            << " pixels each\n";
        return std::nullopt;
      }
      size = *parsed;
    }
    return Output::Picture;
  }
  if (!outPath.isEmpty() && !endsWith(".csv")) {
    err << "velaro-cli: " << outPath
        << ": write the table to FILE.csv or the chart to FILE.png (or FILE.bmp)\n"
        << usage;
    return std::nullopt;
  }
  if (!sizeText.isEmpty()) {
    err << "velaro-cli: --size is for the chart, FILE.png\n" << usage;
    return std::nullopt;
  }
  return Output::Csv;
}

}  // namespace

int runGaps(const QStringList& args, QTextStream& out, QTextStream& err) {
  static const char* const kUsage =
      "usage: velaro-cli gaps RACEFILE [--step SECONDS] [-o FILE.csv | -o FILE.png [--size WxH]]\n";
  QString raceFile;
  QString outPath;
  QString stepText;
  QString sizeText;
  if (!parseArgs(args, QStringLiteral("--step"), raceFile, outPath, stepText, sizeText)) {
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
  QSize size(1200, 700);
  const std::optional<Output> output = outputFor(outPath, sizeText, size, kUsage, err);
  if (!output) {
    return 2;
  }
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err, Manoeuvres::Skip);
  if (!loaded) {
    return 1;
  }
  const Race& race = loaded->race;
  if (loaded->results.itemCount < 2) {
    err << "velaro-cli: " << raceFile << ": the race has no course to measure gaps along\n";
    return 1;
  }
  std::vector<GapStep> steps = ComputeGaps(race, loaded->results, loaded->geometry.CosCentreLat, step);
  if (*output == Output::Picture) {
    std::vector<int> boats(static_cast<size_t>(race.BoatCount()));
    std::iota(boats.begin(), boats.end(), 1);
    const size_t stepCount = steps.size();
    const QImage chart = DrawGapChart(GapChartOf(*loaded, std::move(steps), boats), size);
    if (const int rc = deliverPicture(chart, outPath, err); rc != 0) {
      return rc;
    }
    out << outPath << ": " << size.width() << 'x' << size.height() << ", " << boats.size() << " boats, "
        << stepCount << " steps of " << step << " s\n";
    return 0;
  }
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
  static const char* const kUsage =
      "usage: velaro-cli polar RACEFILE [--boats 1,3,...] [-o FILE.csv | -o FILE.png [--size WxH]]\n"
      "  the chart shows the boats the race file focuses unless --boats names them\n";
  QString raceFile;
  QString outPath;
  QString boatsText;
  QString sizeText;
  if (!parseArgs(args, QStringLiteral("--boats"), raceFile, outPath, boatsText, sizeText)) {
    err << kUsage;
    return 2;
  }
  QSize size(1000, 700);
  const std::optional<Output> output = outputFor(outPath, sizeText, size, kUsage, err);
  if (!output) {
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
  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err, Manoeuvres::Find);
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
  // The table holds every boat unless told; the chart, whose curves crowd,
  // the boats in focus (every boat when the race file focuses none).
  if (chosen.empty() && *output == Output::Picture) {
    for (int b = 1; b <= race.BoatCount(); ++b) {
      if (race.boats[b - 1].BoatFocused > 0) {
        chosen.push_back(b);
      }
    }
  }
  if (chosen.empty()) {
    for (int b = 1; b <= race.BoatCount(); ++b) {
      chosen.push_back(b);
    }
  }
  const std::vector<BoatPolar> polars =
      ComputePolars(race, loaded->results, loaded->manoeuvres, loaded->geometry.CosCentreLat);
  if (*output == Output::Picture) {
    const QImage chart = DrawPolarChart(PolarChartOf(*loaded, polars, chosen), size);
    if (const int rc = deliverPicture(chart, outPath, err); rc != 0) {
      return rc;
    }
    out << outPath << ": " << size.width() << 'x' << size.height() << ", " << chosen.size() << " of "
        << race.BoatCount() << " boats\n";
    return 0;
  }
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
