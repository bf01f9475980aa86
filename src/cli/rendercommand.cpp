#include "cli/commands.h"
#include "cli/exportoutput.h"
#include "cli/raceargs.h"

#include "core/loadpipeline.h"
#include "core/replay/replayclock.h"
#include "render/scene/renderscene.h"

#include <QImage>
#include <QRegularExpression>

namespace velaro::cli {

namespace {

constexpr int kMaxSide = 10000;

void renderUsage(QTextStream& err) {
  err << "usage: velaro-cli render RACEFILE --time SECONDS [--size WxH] [--north-up] [--label-level N] "
         "[--zoom N] -o FILE.png\n"
         "  --label-level 0..3 (default 2), --zoom 1..10 zooms out (default 1)\n";
}

}  // namespace

// The live scene of one moment as a picture, as the window would show it with
// the pointer in a label zone: sails and wakes on, laylines when the race file
// gives layline angles, boats drawn at least the big-boat size, the sea as
// bright as the sun makes it at that time.
int runRender(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString raceFile;
  QString outFile;
  std::optional<double> time;
  QSize size(1024, 768);
  bool northUp = false;
  int labelLevel = 2;
  int zoom = 1;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == QLatin1String("--time") && hasValue) {
      bool ok = false;
      time = args[++i].toDouble(&ok);
      if (!ok) {
        err << "velaro-cli: --time needs seconds from the start\n";
        return 2;
      }
    } else if (a == QLatin1String("--size") && hasValue) {
      const QRegularExpressionMatch m =
          QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(args[++i]);
      if (!m.hasMatch() || m.captured(1).toInt() < 50 || m.captured(2).toInt() < 50 ||
          m.captured(1).toInt() > kMaxSide || m.captured(2).toInt() > kMaxSide) {
        err << "velaro-cli: --size is WIDTHxHEIGHT, 50 to " << kMaxSide << " pixels each\n";
        return 2;
      }
      size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
    } else if (a == QLatin1String("--north-up")) {
      northUp = true;
    } else if (a == QLatin1String("--label-level") && hasValue) {
      bool ok = false;
      labelLevel = args[++i].toInt(&ok);
      if (!ok || labelLevel < 0 || labelLevel > 3) {
        err << "velaro-cli: --label-level is 0 to 3\n";
        return 2;
      }
    } else if (a == QLatin1String("--zoom") && hasValue) {
      bool ok = false;
      zoom = args[++i].toInt(&ok);
      if (!ok || zoom < 1 || zoom > 10) {
        err << "velaro-cli: --zoom is 1 to 10\n";
        return 2;
      }
    } else if (a == QLatin1String("-o") && hasValue) {
      outFile = args[++i];
    } else if (!a.startsWith(QLatin1Char('-')) && raceFile.isEmpty()) {
      raceFile = a;
    } else {
      renderUsage(err);
      return 2;
    }
  }
  if (raceFile.isEmpty() || outFile.isEmpty() || !time) {
    renderUsage(err);
    return 2;
  }

  const RaceLocation where = locateRace(raceFile);
  LoadOptions loadOptions;
  loadOptions.mapArea = size;
  const LoadResult load = LoadRacePipeline(where.path, where.folders, loadOptions);
  if (!load.loaded) {
    if (load.error) {
      err << "velaro-cli: " << load.error->toString() << '\n';
    } else {
      err << "velaro-cli: " << where.path << ": no race file or no boat with a usable log\n";
    }
    return 1;
  }
  const LoadedRace& loaded = *load.loaded;
  const Race& race = loaded.race;
  const MapGeometry& g = loaded.geometry;

  SceneRenderer renderer;
  renderer.setRace(&loaded);
  SceneOptions& o = renderer.options();
  o.mapArea = size;
  o.northUp = northUp || race.NorthUp > 0;
  o.LabelLevel = labelLevel;
  o.ZoomDivisor = zoom;
  o.ShowSails = true;
  o.chkLL = race.LaylineAngleA != 0 || race.LaylineAngleB != 0;
  o.ChkBigBoat = true;
  o.TimeOfDay = timeOfDayAt(g.StartSecondOfDay, *time);
  o.SeaBrightness = daylightBrightness(o.TimeOfDay, g.SunriseSecond, g.SunsetSecond);
  o.NightMode = isNightAt(o.TimeOfDay, g.SunriseSecond, g.SunsetSecond) ? 1 : 0;
  // The averages behind the red wakes come from the same moment, as the
  // replay clock's second tick would have taken them.
  SceneCursor probe;
  const SpeedAverages averages = averageSpeeds(boatMotions(computeScene(loaded, o, *time, probe)));
  o.AvgSpeedUp = averages.AvgSpeedUp;
  o.AvgSpeedDown = averages.AvgSpeedDown;
  const QImage& picture = renderer.render(*time);
  if (const int rc = deliverImage(picture, outFile, "PNG", err); rc != 0) {
    return rc;
  }
  const SceneState& s = renderer.state();
  out << outFile << ": " << size.width() << 'x' << size.height() << ", t " << *time << " s, " << s.activeCount
      << " boats sailing, wind " << s.wind.TrueDir << " deg true, " << race.coastline.pointCount()
      << " coastline points, " << race.lights.size() << " lights\n";
  return 0;
}

}  // namespace velaro::cli
