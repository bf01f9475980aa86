#include "cli/commands.h"
#include "cli/exportoutput.h"
#include "cli/viewargs.h"

#include "core/analysis/speedcolours.h"
#include "core/replay/lightflasher.h"
#include "render/scene/replayframes.h"

#include <QImage>

#include <algorithm>

namespace velaro::cli {

namespace {

// With --flash-tick the picture shows the rings half a second after the tick.
constexpr double kFlashPictureLightPhase = 0.5;

void renderUsage(QTextStream& err) {
  err << "usage: velaro-cli render RACEFILE --time SECONDS " << kViewUsage
      << " [--flash-tick N] -o FILE.png\n"
      << kViewHelp
      << "  --flash-tick N: the lights as the light timer leaves them N seconds after program start,\n"
         "    their rings half grown (lights flash only at night; without it they stay dark)\n";
}

}  // namespace

// The live scene of one moment as a picture, as the window would show it with
// the pointer in a label zone, the sea as bright as the sun makes it then.
// With --whole-race, the view the window shows with Auto Trace unchecked, at
// a zoom and centre of choice.
int runRender(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString raceFile;
  QString outFile;
  std::optional<double> time;
  std::optional<qint64> flashTick;
  ExportView view;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool hasValue = i + 1 < args.size();
    const ViewArg viewArg = takeViewArg(args, i, view, err);
    if (viewArg == ViewArg::Bad) {
      return 2;
    }
    if (viewArg == ViewArg::Taken) {
      continue;
    }
    if (a == QLatin1String("--time") && hasValue) {
      bool ok = false;
      time = args[++i].toDouble(&ok);
      if (!ok) {
        err << "velaro-cli: --time needs seconds from the start\n";
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
  if (!viewIsConsistent(view, err)) {
    return 2;
  }

  const std::optional<LoadedRace> loaded = loadRaceForExport(raceFile, err, Manoeuvres::Skip, view.size);
  if (!loaded) {
    return 1;
  }
  const Race& race = loaded->race;
  SceneRenderer renderer;
  renderer.setRace(&*loaded);
  SceneOptions& o = renderer.options();
  o = exportSceneOptions(*loaded, view);
  followReplayTime(o, loaded->geometry, *time);
  if (flashTick) {
    o.lights = flashLights(race.lights, *flashTick);
    o.LightPhase = kFlashPictureLightPhase;
  }
  takeAveragesAt(o, *loaded, *time);
  const QImage* picture = &renderer.render(*time);
  if (view.wholeRace) {
    // The live frame above leaves the wind the boats' angles are taken from,
    // as the window's last frame does when Auto Trace is unchecked.
    picture = &renderer.renderWholeRace(wholeRaceView(*loaded, view), *time);
  }
  if (const int rc = deliverPicture(*picture, outFile, err); rc != 0) {
    return rc;
  }
  const QSize size = view.size;
  if (view.wholeRace) {
    const WholeRaceFrame& frame = renderer.wholeRaceFrame();
    const GeoPoint c = frame.projection.centre();
    const auto shown =
        std::count_if(frame.boats.begin(), frame.boats.end(), [](const WholeRaceBoat& b) { return b.shown; });
    out << outFile << ": " << size.width() << 'x' << size.height() << ", t " << *time
        << " s, whole race at zoom " << view.zoom << " about " << QString::number(c.lat / 60, 'f', 5) << ','
        << QString::number(c.lon / 60, 'f', 5) << ", " << shown << " boats shown";
    if (const std::optional<SpeedRange>& range = frame.speedRange) {
      out << ", tracks coloured from " << QString::number(range->lowKnots, 'f', 2) << " to "
          << QString::number(range->highKnots, 'f', 2) << " kn";
    }
    out << '\n';
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
