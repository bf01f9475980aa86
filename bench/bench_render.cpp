// The live scene and the whole-race view of a full-size race at full-HD
// size: 81 boats logging one fix a second for three hours, with labels and
// speeds, wakes in the speed comparison, sails, laylines, a coastline and
// lights, drawn on one core.
#include "core/analysis/courseresults.h"
#include "core/analysis/kinematics.h"
#include "core/loadpipeline.h"
#include "render/graphpageimage.h"
#include "render/scene/renderscene.h"

#include <QGuiApplication>

#include "benchapp.h"
#include "benchnoise.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace velaro {
namespace {

constexpr int kBoats = 81;
constexpr int kLogSeconds = 3 * 3600;
constexpr int kPreStartSeconds = 300;
constexpr double kStartLat = 2100;  // 35 N
constexpr double kStartLon = 8340;  // 139 E
const double kCosLat = std::cos(kStartLat / 60 * std::numbers::pi / 180);
const QSize kFullHd(1920, 1080);

// A windward-leeward course sailed three times round by boats of slightly
// different speeds, tacking and gybing across the course; a shore to the
// east with lights on it; a wind swinging through north.
LoadedRace makeRace() {
  LoadedRace loaded;
  Race& race = loaded.race;
  race.TimeAxisStart = -kPreStartSeconds - 10;
  race.TimeAxisEnd = kLogSeconds - kPreStartSeconds + 30;
  race.WindDirection = 0;
  race.WindAxis = 0;
  race.LaylineAngleA = 45;
  race.LaylineAngleB = 150;
  race.BoatLength = 7.5;
  const GeoPoint windward{kStartLat + 1.5, kStartLon};
  const GeoPoint leeward{kStartLat + 0.2, kStartLon};
  race.lines.push_back({{kStartLat, kStartLon - 0.15}, {kStartLat, kStartLon + 0.15}});
  race.marks = {windward, leeward};
  race.Course = {QStringLiteral("L1"),  QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("MK1"),
                 QStringLiteral("MK2"), QStringLiteral("MK1"), QStringLiteral("L1")};
  for (int s = -600; s <= kLogSeconds; s += 60) {
    race.wind.push_back({double(s), 8, static_cast<int>(std::lround(360 + 12 * std::sin(s / 900.0))) % 360});
  }
  std::vector<GeoPoint> shore;
  for (int k = 0; k < 3000; ++k) {
    const double lat = kStartLat - 1 + k * 0.0012;
    shore.push_back({lat, kStartLon + 0.9 + 0.05 * std::sin(k / 40.0) + 0.01 * std::sin(k / 3.0)});
  }
  race.coastline.polylines.push_back(shore);
  for (int k = 0; k < 12; ++k) {
    Light light;
    light.kind = QStringLiteral("Fl(2) 6s");
    light.pos = shore[k * 250];
    light.period = 6;
    light.onTime = 1;
    light.range = 6;
    race.lights.push_back(light);
  }

  const std::vector<GeoPoint> path = {
      {kStartLat, kStartLon},      windward, leeward, windward, leeward, windward, {kStartLat, kStartLon},
      {kStartLat - 0.2, kStartLon}};
  for (int b = 0; b < kBoats; ++b) {
    BenchNoise noise(b + 1);
    Boat boat;
    boat.BoatName = QStringLiteral("Boat %1").arg(b + 1);
    boat.LogInterval = 1;
    boat.fixes.reserve(kLogSeconds);
    const double minutesPerSecond = (4.3 + 1.2 * b / kBoats) / 3600;
    size_t leg = 0;
    GeoPoint pos{kStartLat - 0.3, kStartLon + (b - kBoats / 2) * 0.003};
    for (int s = 0; s < kLogSeconds; ++s) {
      const double t = s - kPreStartSeconds;
      if (t >= 0 && leg + 1 < path.size()) {
        double step = minutesPerSecond;
        while (step > 0 && leg + 1 < path.size()) {
          const GeoPoint& to = path[leg + 1];
          const double dLat = to.lat - pos.lat;
          const double dLon = (to.lon - pos.lon) * kCosLat;
          const double left = std::hypot(dLat, dLon);
          if (left <= step) {
            pos = to;
            step -= left;
            ++leg;
          } else {
            pos.lat += dLat / left * step;
            pos.lon += dLon / left * step / kCosLat;
            step = 0;
          }
        }
      } else if (t < 0) {
        pos.lat = kStartLat - 0.3 * (-t) / kPreStartSeconds;
      }
      // Tacks every few minutes, each boat on its own side of the course.
      const double weave = (0.12 + 0.002 * b) * std::sin((t + 37 * b) / 240) + noise.next(0.00005);
      boat.fixes.push_back({t, pos.lat + noise.next(0.00005), pos.lon + weave / kCosLat, 0, 0});
    }
    race.boats.push_back(std::move(boat));
  }
  loaded.geometry = SetsMap(race, kFullHd);
  loaded.MaxTrackSpeed = ComputeKinematics(race, loaded.geometry.CosCentreLat);
  loaded.results = FindRoundings(race);
  ComputeLegs(race, loaded.results, loaded.geometry.CosCentreLat);
  loaded.colours = AssignColours(race.BoatCount());
  loaded.outline = boatOutlineFor(race.BoatLength);
  return loaded;
}

const LoadedRace& benchRace() {
  static const LoadedRace race = makeRace();
  return race;
}

SceneOptions fullOptions(int labelLevel) {
  SceneOptions o;
  o.mapArea = kFullHd;
  o.FormHeight = kFullHd.height() + 30;
  o.LabelLevel = labelLevel;
  o.RedWakeMode = true;
  o.AvgSpeedUp = 4.9;
  o.AvgSpeedDown = 4.9;
  o.ShowSails = true;
  o.ShowWindVanes = false;
  o.chkLL = true;
  o.ChkBigBoat = true;
  o.SeaBrightness = 100;
  o.lights.assign(benchRace().race.lights.size(), LightFlash{1, {255, 0, 0}});
  return o;
}

// Play at 5X from a scene time: 0.2 s per frame, as the replay clock steps
// at 25 frames a second. The clock is drawn every frame.
void BM_RenderScenePlaying(benchmark::State& state) {
  ensureGuiApplication();
  const LoadedRace& race = benchRace();
  SceneRenderer renderer;
  renderer.setRace(&race);
  renderer.options() = fullOptions(static_cast<int>(state.range(1)));
  double t = static_cast<double>(state.range(0));
  renderer.render(t);  // the first frame finds every boat's pair
  for (auto _ : state) {
    t += 0.2;
    renderer.options().TimeOfDay = 36000 + t;
    benchmark::DoNotOptimize(renderer.render(t).constBits());
  }
  state.counters["sailing"] = renderer.state().activeCount;
  state.counters["boatPx"] = renderer.state().BoatSize;
}
BENCHMARK(BM_RenderScenePlaying)
    ->ArgsProduct({{-60, 600, 3000, 6000, 9000}, {2, 3}})
    ->ArgNames({"t", "labels"})
    ->Unit(benchmark::kMillisecond);

// The moment the most boats are within 100 m of one mark: where their names
// and speeds crowd each other.
double crowdedRoundingTime() {
  static const double time = [] {
    const LoadedRace& race = benchRace();
    const SceneOptions options = fullOptions(2);
    SceneCursor cursor;
    double best = 0;
    int most = -1;
    for (double t = 0; t < kLogSeconds - kPreStartSeconds; t += 10) {
      const SceneState s = computeScene(race, options, t, cursor);
      for (const GeoPoint& mark : race.race.marks) {
        int near = 0;
        for (const BoatScene& b : s.boats) {
          near +=
              b.BoatActive && std::hypot(b.BoatLat - mark.lat, (b.BoatLon - mark.lon) * kCosLat) * 1852 < 100;
        }
        if (near > most) {
          most = near;
          best = t;
        }
      }
    }
    return best;
  }();
  return time;
}

// Playing through the most crowded rounding, the labels beside their boats
// (placed 0) or clear of each other (placed 1).
void BM_RenderSceneCrowdedRounding(benchmark::State& state) {
  ensureGuiApplication();
  const LoadedRace& race = benchRace();
  SceneOptions options = fullOptions(static_cast<int>(state.range(0)));
  const LabelPlacing placing = state.range(1) ? LabelPlacing::ClearOfEachOther : LabelPlacing::BesideTheBoat;
  QImage SceneBitmap(kFullHd, QImage::Format_RGB32);
  SceneCursor cursor;
  const double start = crowdedRoundingTime();
  double t = start;
  RenderScene(SceneBitmap, race, options, t, cursor, SceneFill::Sea, placing);
  for (auto _ : state) {
    t = t + 0.2 > start + 20 ? start : t + 0.2;
    options.TimeOfDay = 36000 + t;
    RenderScene(SceneBitmap, race, options, t, cursor, SceneFill::Sea, placing);
    benchmark::DoNotOptimize(SceneBitmap.constBits());
  }
  state.counters["t"] = start;
}
BENCHMARK(BM_RenderSceneCrowdedRounding)
    ->ArgsProduct({{2, 3}, {0, 1}})
    ->ArgNames({"labels", "placed"})
    ->Unit(benchmark::kMillisecond);

// Jumps across the race (time bar clicks): every frame needs a fresh search
// of every track.
void BM_RenderSceneJumping(benchmark::State& state) {
  ensureGuiApplication();
  const LoadedRace& race = benchRace();
  SceneRenderer renderer;
  renderer.setRace(&race);
  renderer.options() = fullOptions(2);
  const double times[] = {-60, 3000, 600, 9000, 6000, 1500};
  size_t k = 0;
  for (auto _ : state) {
    const double t = times[k++ % std::size(times)];
    renderer.options().TimeOfDay = 36000 + t;
    benchmark::DoNotOptimize(renderer.render(t).constBits());
  }
}
BENCHMARK(BM_RenderSceneJumping)->Unit(benchmark::kMillisecond);

// The graph page of the whole race, every boat in focus: course and speed
// curves of 81 boats at 10,800 fixes each.
void BM_GraphPage(benchmark::State& state) {
  ensureGuiApplication();
  const LoadedRace& race = benchRace();
  QImage GraphBitmap(kFullHd, QImage::Format_RGB32);
  const GraphPageOptions options;
  for (auto _ : state) {
    DrawGraphPage(GraphBitmap, race, options);
    benchmark::DoNotOptimize(GraphBitmap.constBits());
  }
}
BENCHMARK(BM_GraphPage)->Unit(benchmark::kMillisecond);
// The whole-race view with every boat focused: 81 whole tracks of 10,800
// fixes, the course and every boat at the scene time. Zoom 1 shows the whole
// race; zoom 7.6 (five left clicks) a mark rounding with most fixes off the
// picture; zoom 1e6 a few metres with every track far outside.
void BM_WholeRaceView(benchmark::State& state) {
  ensureGuiApplication();
  const LoadedRace& race = benchRace();
  SceneRenderer renderer;
  renderer.setRace(&race);
  renderer.options() = fullOptions(2);
  renderer.render(3000);
  MapViewState view;
  view.enterWholeRace(race.geometry);
  view.WholeRaceZoom = static_cast<double>(state.range(0)) / 100;
  if (view.WholeRaceZoom > 1) {
    view.WholeRaceCentre = race.race.marks.front();
  }
  double t = 3000;
  for (auto _ : state) {
    t += 1;
    benchmark::DoNotOptimize(renderer.renderWholeRace(view, t).constBits());
  }
}
BENCHMARK(BM_WholeRaceView)
    ->Arg(100)
    ->Arg(759)
    ->Arg(100000000)
    ->ArgName("zoomx100")
    ->Unit(benchmark::kMillisecond);

// The scene state alone, without drawing.
void BM_ComputeScene(benchmark::State& state) {
  const LoadedRace& race = benchRace();
  const SceneOptions options = fullOptions(2);
  SceneCursor cursor;
  double t = 3000;
  for (auto _ : state) {
    t += 0.2;
    benchmark::DoNotOptimize(computeScene(race, options, t, cursor).BoatSize);
  }
}
BENCHMARK(BM_ComputeScene)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velaro
