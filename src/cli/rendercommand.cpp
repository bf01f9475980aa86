#include "cli/commands.h"
#include "cli/exportoutput.h"
#include "cli/raceargs.h"

#include "core/loadpipeline.h"
#include "core/replay/lightflasher.h"
#include "core/replay/replayclock.h"
#include "render/scene/renderscene.h"

#include <QImage>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <optional>

namespace velaro::cli {

namespace {

constexpr int kMaxSide = 10000;
// With --flash-tick the picture shows the rings half a second after the tick.
constexpr double kFlashPictureLightPhase = 0.5;

void renderUsage(QTextStream& err) {
  err << "usage: velaro-cli render RACEFILE --time SECONDS [--size WxH] [--north-up] [--label-level N] "
         "[--zoom N] [--flash-tick N] -o FILE.png\n"
         "       velaro-cli render RACEFILE --whole-race [--zoom Z] [--centre LAT,LON] --time SECONDS "
         "[--size WxH] [--north-up] -o FILE.png\n"
         "  live scene: --label-level 0..3 (default 2), --zoom 1..10 zooms out (default 1)\n"
         "  --whole-race: every focused boat's whole track; --zoom Z magnifies (default 1, the whole race),\n"
         "  --centre in decimal degrees, north and east positive, e.g. 35.29,139.47 (default the race's "
         "middle)\n"
         "  --flash-tick N: the lights as the light timer leaves them N seconds after program start,\n"
         "    their rings half grown (lights flash only at night; without it they stay dark)\n";
}

// "35.29,139.47": decimal degrees to minutes of arc.
std::optional<GeoPoint> parseCentre(const QString& text) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() != 2) {
    return std::nullopt;
  }
  bool okLat = false;
  bool okLon = false;
  const double lat = parts[0].trimmed().toDouble(&okLat);
  const double lon = parts[1].trimmed().toDouble(&okLon);
  if (!okLat || !okLon || std::fabs(lat) > 90 || std::fabs(lon) > 180) {
    return std::nullopt;
  }
  return GeoPoint{lat * 60, lon * 60};
}

}  // namespace

// The live scene of one moment as a picture, as the window would show it with
// the pointer in a label zone: sails and wakes on, laylines when the race file
// gives layline angles, boats drawn at least the big-boat size, the sea as
// bright as the sun makes it at that time. With --whole-race, the view the
// window shows with Auto Trace unchecked, at a zoom and centre of choice.
int runRender(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString raceFile;
  QString outFile;
  std::optional<double> time;
  QSize size(1024, 768);
  bool northUp = false;
  int labelLevel = 2;
  double zoom = 1;
  bool wholeRace = false;
  std::optional<GeoPoint> centre;
  std::optional<qint64> flashTick;
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
      zoom = args[++i].toDouble(&ok);
      if (!ok || !(zoom >= kMinWholeRaceZoom && zoom <= kMaxWholeRaceZoom)) {
        err << "velaro-cli: --zoom needs a number\n";
        return 2;
      }
    } else if (a == QLatin1String("--whole-race")) {
      wholeRace = true;
    } else if (a == QLatin1String("--centre") && hasValue) {
      centre = parseCentre(args[++i]);
      if (!centre) {
        err << "velaro-cli: --centre is LAT,LON in decimal degrees\n";
        return 2;
      }
    } else if (a == QLatin1String("--flash-tick") && hasValue) {
      bool ok = false;
      flashTick = args[++i].toLongLong(&ok);
      if (!ok || *flashTick < 0) {
        err << "velaro-cli: --flash-tick is a whole number of seconds, 0 or more\n";
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
  if (!wholeRace && (centre || zoom != std::trunc(zoom) || zoom < 1 || zoom > 10)) {
    err << (centre ? "velaro-cli: --centre goes with --whole-race\n"
                   : "velaro-cli: --zoom is 1 to 10 in the live scene\n");
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
  o.ZoomDivisor = wholeRace ? 1 : zoom;
  o.ShowSails = true;
  o.chkLL = race.LaylineAngleA != 0 || race.LaylineAngleB != 0;
  o.ChkBigBoat = true;
  o.TimeOfDay = timeOfDayAt(g.StartSecondOfDay, *time);
  o.SeaBrightness = daylightBrightness(o.TimeOfDay, g.SunriseSecond, g.SunsetSecond);
  o.NightMode = isNightAt(o.TimeOfDay, g.SunriseSecond, g.SunsetSecond) ? 1 : 0;
  if (flashTick) {
    o.lights = flashLights(race.lights, *flashTick);
    o.LightPhase = kFlashPictureLightPhase;
  }
  // The averages behind the red wakes come from the same moment, as the
  // replay clock's second tick would have taken them.
  SceneCursor probe;
  const SpeedAverages averages = averageSpeeds(boatMotions(computeScene(loaded, o, *time, probe)));
  o.AvgSpeedUp = averages.AvgSpeedUp;
  o.AvgSpeedDown = averages.AvgSpeedDown;
  const QImage* picture = &renderer.render(*time);
  if (wholeRace) {
    // The live frame above leaves the wind the boats' angles are taken from,
    // as the window's last frame does when Auto Trace is unchecked.
    MapViewState view;
    view.enterWholeRace(g);
    view.WholeRaceZoom = zoom;
    if (centre) {
      view.WholeRaceCentre = *centre;
    }
    picture = &renderer.renderWholeRace(view, *time);
  }
  if (const int rc = deliverPicture(*picture, outFile, err); rc != 0) {
    return rc;
  }
  if (wholeRace) {
    const WholeRaceFrame& frame = renderer.wholeRaceFrame();
    const GeoPoint c = frame.projection.centre();
    const auto shown =
        std::count_if(frame.boats.begin(), frame.boats.end(), [](const WholeRaceBoat& b) { return b.shown; });
    out << outFile << ": " << size.width() << 'x' << size.height() << ", t " << *time
        << " s, whole race at zoom " << zoom << " about " << QString::number(c.lat / 60, 'f', 5) << ','
        << QString::number(c.lon / 60, 'f', 5) << ", " << shown << " boats shown\n";
    return 0;
  }
  const SceneState& s = renderer.state();
  out << outFile << ": " << size.width() << 'x' << size.height() << ", t " << *time << " s, " << s.activeCount
      << " boats sailing, wind " << s.wind.TrueDir << " deg true, " << race.coastline.pointCount()
      << " coastline points, " << race.lights.size() << " lights";
  if (flashTick) {
    const auto lit =
        std::count_if(o.lights.begin(), o.lights.end(), [](const LightFlash& l) { return l.LightLit > 0; });
    out << " (" << lit << " lit" << (o.NightMode > 0 ? "" : ", not shown by day") << ')';
  }
  out << '\n';
  return 0;
}

}  // namespace velaro::cli
