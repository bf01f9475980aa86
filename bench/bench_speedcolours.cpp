// The whole-race view of the 81-boat benchmark race (velaro-racegen --big,
// one fix a second, loaded as the window loads it) at full-HD size, every
// boat in focus, with the tracks in their boats' colours and coloured by
// speed, and the colours' share of the first frame. The race is written
// into $TMPDIR/velaro-bench-big-1hz when missing, the folder the load
// benchmarks use.
#include "core/analysis/speedcolours.h"
#include "core/loadpipeline.h"
#include "core/racefolders.h"
#include "render/scene/renderscene.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "benchapp.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>

namespace velaro {
namespace {

const QSize kFullHd(1920, 1080);

const std::optional<LoadedRace>& bigRace() {
  static const std::optional<LoadedRace> race = []() -> std::optional<LoadedRace> {
    const QString root = QDir::temp().filePath(QStringLiteral("velaro-bench-big-1hz"));
    const QString stamp = QDir(root).filePath(QStringLiteral("complete"));
    if (!QFileInfo::exists(stamp)) {
      std::fprintf(stderr, "writing the benchmark race to %s\n", qPrintable(root));
      QDir(root).removeRecursively();
      QFile done(stamp);
      if (QProcess::execute(QStringLiteral(VELARO_RACEGEN),
                            {QStringLiteral("--big"), QStringLiteral("--out"), root}) != 0 ||
          !done.open(QIODevice::WriteOnly)) {
        return std::nullopt;
      }
    }
    const RaceFolders folders(root);
    LoadOptions options;
    options.mapArea = kFullHd;
    LoadResult load = LoadRacePipeline(
        folders.folder(QString::fromLatin1(kRaceAdminFolder)) + QStringLiteral("/big.txt"), folders, options);
    return std::move(load.loaded);
  }();
  return race;
}

void BM_WholeRaceViewSpeedColours(benchmark::State& state) {
  ensureGuiApplication();
  const std::optional<LoadedRace>& race = bigRace();
  if (!race) {
    state.SkipWithError("the benchmark race did not load");
    return;
  }
  SceneRenderer renderer;
  renderer.setRace(&*race);
  SceneOptions& options = renderer.options();
  options.mapArea = kFullHd;
  options.SeaBrightness = 100;
  options.BoatFocused.assign(race->race.BoatCount(), 1);
  options.speedColours = state.range(0) != 0;
  renderer.render(3000);
  MapViewState view;
  view.enterWholeRace(race->geometry);
  double t = 3000;
  // The first frame works out the track colours, once for the race.
  renderer.renderWholeRace(view, t);
  for (auto _ : state) {
    t += 1;
    benchmark::DoNotOptimize(renderer.renderWholeRace(view, t).constBits());
  }
}
BENCHMARK(BM_WholeRaceViewSpeedColours)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("speedColours")
    ->Unit(benchmark::kMillisecond);

// What the first frame with speed colours adds: every track's speeds
// smoothed, the fleet's range and a colour per fix.
void BM_FleetTrackColours(benchmark::State& state) {
  const std::optional<LoadedRace>& race = bigRace();
  if (!race) {
    state.SkipWithError("the benchmark race did not load");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(FleetTrackColours(race->race, race->results).range);
  }
}
BENCHMARK(BM_FleetTrackColours)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velaro
