// Track kinematics and course analysis on a full-size race held in memory: 81
// boats logging one fix a second for three hours on a windward-leeward course.
#include "core/analysis/courseresults.h"
#include "core/analysis/gaps.h"
#include "core/analysis/kinematics.h"
#include "core/analysis/manoeuvres.h"
#include "core/analysis/mapgeometry.h"
#include "core/analysis/polars.h"
#include "core/analysis/starts.h"
#include "core/reports/manoeuvrereport.h"

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
constexpr double kStartLat = 2040;  // 34 N
constexpr double kStartLon = 8100;  // 135 E
const double kCosLat = std::cos(kStartLat / 60 * std::numbers::pi / 180);

// Five beats and four runs between a windward and a leeward mark, started
// and finished on the same line: 11 course items, about 12.6' of course.
Race makeRace() {
  Race race;
  race.TimeAxisEnd = kLogSeconds - kPreStartSeconds + 30;
  race.WindAxis = 0;
  const GeoPoint startMid{kStartLat, kStartLon};
  race.lines.push_back({{kStartLat, kStartLon - 0.1}, {kStartLat, kStartLon + 0.1}});
  const GeoPoint windward{kStartLat + 1.5, kStartLon};
  const GeoPoint leeward{kStartLat + 0.3, kStartLon};
  race.marks = {windward, leeward};
  race.Course.append(QStringLiteral("L1"));
  std::vector<GeoPoint> path = {startMid};
  for (int lap = 0; lap < 4; ++lap) {
    race.Course.append(QStringLiteral("MK1"));
    race.Course.append(QStringLiteral("MK2"));
    path.push_back(windward);
    path.push_back(leeward);
  }
  race.Course.append(QStringLiteral("MK1"));
  race.Course.append(QStringLiteral("L1"));
  path.push_back(windward);
  path.push_back(startMid);
  path.push_back({kStartLat - 0.2, kStartLon});

  for (int b = 0; b < kBoats; ++b) {
    BenchNoise noise(b + 1);
    Boat boat;
    boat.BoatName = QStringLiteral("Boat %1").arg(b + 1);
    boat.fixes.reserve(kLogSeconds);
    // Knots are minutes of arc per hour.
    const double minutesPerSecond = (4.3 + 0.7 * b / kBoats) / 3600;
    const int startDelay = b % 31;
    size_t leg = 0;
    GeoPoint pos{kStartLat - 0.3, kStartLon};
    for (int s = 0; s < kLogSeconds; ++s) {
      const double t = s - kPreStartSeconds;
      if (t < startDelay) {
        // Sail up to the start line, reaching it as the boat's start comes.
        pos.lat = kStartLat - 0.3 * (startDelay - t) / (startDelay + kPreStartSeconds);
      } else if (leg + 1 < path.size()) {
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
      }
      // Tacking and GPS noise across the course.
      const double weave = 0.015 * std::sin(t / 60) + noise.next(0.00005);
      boat.fixes.push_back({t, pos.lat + noise.next(0.00005), pos.lon + weave / kCosLat});
    }
    race.boats.push_back(std::move(boat));
  }
  return race;
}

int fixCount(const Race& race) {
  int n = 0;
  for (const Boat& boat : race.boats) {
    n += boat.FixCount();
  }
  return n;
}

void analyseCourse(Race& race, benchmark::State& state) {
  CourseResults results = FindRoundings(race);
  TrimTracks(race, results);
  const std::vector<ResultLabel> labels = BuildResultLabels(race, results);
  ComputeSailedDistances(race, results, kCosLat);
  ComputeLegs(race, results, kCosLat);
  benchmark::DoNotOptimize(labels.data());
  int finished = 0;
  for (int b = 0; b < race.BoatCount(); ++b) {
    finished += results.finished(b) ? 1 : 0;
  }
  state.counters["finished"] = finished;
}

void BM_Kinematics(benchmark::State& state) {
  Race race = makeRace();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ComputeKinematics(race, kCosLat));
  }
  state.SetItemsProcessed(state.iterations() * fixCount(race));
}
BENCHMARK(BM_Kinematics)->Unit(benchmark::kMillisecond);

void BM_CourseAnalysis(benchmark::State& state) {
  Race source = makeRace();
  ComputeKinematics(source, kCosLat);
  for (auto _ : state) {
    state.PauseTiming();
    Race race = source;
    state.ResumeTiming();
    analyseCourse(race, state);
  }
  state.SetItemsProcessed(state.iterations() * fixCount(source));
}
BENCHMARK(BM_CourseAnalysis)->Unit(benchmark::kMillisecond);

// Map geometry, kinematics, roundings, trimming, result labels, sailed
// distances and legs, as a race load runs them.
void BM_WholeAnalysis(benchmark::State& state) {
  const Race source = makeRace();
  for (auto _ : state) {
    state.PauseTiming();
    Race race = source;
    state.ResumeTiming();
    const MapGeometry geometry = SetsMap(race, QSize(1600, 1000));
    benchmark::DoNotOptimize(geometry.CentreLat);
    benchmark::DoNotOptimize(ComputeKinematics(race, geometry.CosCentreLat));
    analyseCourse(race, state);
  }
  state.SetItemsProcessed(state.iterations() * fixCount(source));
}
BENCHMARK(BM_WholeAnalysis)->Unit(benchmark::kMillisecond);

// The race as loaded: speeds, courses, passing times and trimmed tracks.
struct AnalysedRace {
  Race race;
  CourseResults results;
};
AnalysedRace analysedRace() {
  AnalysedRace a{makeRace(), {}};
  ComputeKinematics(a.race, kCosLat);
  a.results = FindRoundings(a.race);
  TrimTracks(a.race, a.results);
  ComputeLegs(a.race, a.results, kCosLat);
  return a;
}

// What velaro-cli manoeuvres adds to the load.
void BM_Manoeuvres(benchmark::State& state) {
  const AnalysedRace a = analysedRace();
  for (auto _ : state) {
    const std::vector<Manoeuvre> found = FindManoeuvres(a.race, a.results, kCosLat);
    benchmark::DoNotOptimize(WriteManoeuvresCsv(a.race, found).data());
    state.counters["manoeuvres"] = static_cast<double>(found.size());
  }
  state.SetItemsProcessed(state.iterations() * fixCount(a.race));
}
BENCHMARK(BM_Manoeuvres)->Unit(benchmark::kMillisecond);

// What velaro-cli starts adds to the load.
void BM_Starts(benchmark::State& state) {
  const AnalysedRace a = analysedRace();
  for (auto _ : state) {
    const std::vector<BoatStart> starts = AnalyseStarts(a.race, a.results, kCosLat);
    benchmark::DoNotOptimize(WriteStartsCsv(a.race, starts).data());
  }
  state.SetItemsProcessed(state.iterations() * fixCount(a.race));
}
BENCHMARK(BM_Starts)->Unit(benchmark::kMillisecond);

// What velaro-cli gaps adds to the load: the whole race at 10 s steps.
void BM_Gaps(benchmark::State& state) {
  const AnalysedRace a = analysedRace();
  for (auto _ : state) {
    const std::vector<GapStep> steps = ComputeGaps(a.race, a.results, kCosLat);
    benchmark::DoNotOptimize(steps.data());
    state.counters["steps"] = static_cast<double>(steps.size());
  }
}
BENCHMARK(BM_Gaps)->Unit(benchmark::kMillisecond);

// What velaro-cli polar adds to the load once the manoeuvres are known.
void BM_Polars(benchmark::State& state) {
  const AnalysedRace a = analysedRace();
  const std::vector<Manoeuvre> manoeuvres = FindManoeuvres(a.race, a.results, kCosLat);
  for (auto _ : state) {
    const std::vector<BoatPolar> polars = ComputePolars(a.race, a.results, manoeuvres, kCosLat);
    benchmark::DoNotOptimize(polars.data());
  }
  state.SetItemsProcessed(state.iterations() * fixCount(a.race));
}
BENCHMARK(BM_Polars)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velaro
