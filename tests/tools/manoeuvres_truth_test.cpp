// Tacks, gybes and starts measured on generated races against what the
// simulation sailed: the demo races (loggers of mixed intervals) and small
// races whose boats all log at 1, 2 or 5 s in mixed formats.
#include "racegen/racebuilder.h"

#include "core/analysis/manoeuvres.h"
#include "core/analysis/starts.h"
#include "core/loadpipeline.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>

namespace velaro::racegen {
namespace {

constexpr double kMatchSeconds = 5;

// Tallies per logging interval.
struct Tally {
  int simulated = 0;       // manoeuvres away from roundings
  int simulatedFound = 0;  // of those, found within 5 s
  int found = 0;
  int foundReal = 0;               // found and matching a simulated change of side
  std::vector<double> tackErrors;  // |found - true| / true
  // Metres: a gybe costs these boats next to nothing, so only the
  // difference means anything.
  std::vector<double> gybeErrors;
  std::vector<double> lineErrors;  // metres, distance to the line at the gun
  // Metres, the same less the log's own error across the line: what the
  // analysis adds to the logger's.
  std::vector<double> lineReadErrors;
};

double median(std::vector<double> v) {
  if (v.empty()) {
    return 0;
  }
  std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

// How far the log's fixes about the gun put the boat from where it was,
// across the line (positive: further behind it): the GPS error that no
// reading of this log alone can take out.
double logErrorAcrossLine(const BoatLog& log, const StartLine& line) {
  auto timeOf = [&](std::size_t i) { return log.fixSeconds[i] + log.fixes[i].milliseconds / 1000.0; };
  auto across = [&](const Vec& e) { return -(e.x * line.courseX + e.y * line.courseY); };
  for (std::size_t i = 1; i < log.fixes.size(); ++i) {
    const double t0 = timeOf(i - 1);
    const double t1 = timeOf(i);
    if (t0 <= 0 && t1 >= 0 && t1 > t0) {
      const double f = -t0 / (t1 - t0);
      return across(log.fixErrors[i - 1]) * (1 - f) + across(log.fixErrors[i]) * f;
    }
  }
  return std::numeric_limits<double>::quiet_NaN();
}

void tallyRace(const GeneratedRace& race, const QString& raceFile, const QString& root,
               std::map<int, Tally>& tallies) {
  const LoadResult load = LoadRacePipeline(raceFile, RaceFolders(root), LoadOptions{});
  ASSERT_TRUE(load.loaded.has_value());
  const LoadedRace& loaded = *load.loaded;
  ASSERT_EQ(loaded.race.BoatCount(), race.options.boats);
  const double cosLat = loaded.geometry.CosCentreLat;
  const std::vector<Manoeuvre> found = FindManoeuvres(loaded.race, loaded.results, cosLat);
  const std::vector<BoatStart> starts = AnalyseStarts(loaded.race, loaded.results, cosLat);
  ASSERT_EQ(starts.size(), race.sim.boats.size());
  const std::optional<StartLine> line = raceStartLine(loaded.race, loaded.results, cosLat);
  ASSERT_TRUE(line.has_value());

  for (int b = 0; b < race.options.boats; ++b) {
    const SimBoat& sim = race.sim.boats[b];
    Tally& tally = tallies[race.logs[b].intervalSeconds];
    if (!std::isnan(sim.gunLineMetres)) {
      const double error = starts[b].gunLineMetres - sim.gunLineMetres;
      tally.lineErrors.push_back(std::fabs(error));
      const double logError = logErrorAcrossLine(race.logs[b], *line);
      if (!std::isnan(logError)) {
        tally.lineReadErrors.push_back(std::fabs(error - logError));
      }
      // Every simulated crew that is over at the gun goes back; a fix's
      // wander blurs the side of a boat within a few metres of the line.
      if (std::fabs(sim.gunLineMetres) > 8) {
        EXPECT_EQ(starts[b].status, sim.gunLineMetres < 0 ? StartStatus::Returned : StartStatus::Started)
            << "boat " << b + 1;
      }
      // A fix wanders up to 3 m either way across a line that boats cross at
      // some 45 degrees: a few metres along the track, seconds for a slow boat.
      const double metresPerSecond = std::max(0.5, starts[b].crossSpeed * 1852 / 3600);
      EXPECT_NEAR(starts[b].crossTime, sim.passTimes[0], 12 / metresPerSecond)
          << "boat " << b + 1 << ", every " << race.logs[b].intervalSeconds << " s";
    }
    std::vector<const Manoeuvre*> mine;
    for (const Manoeuvre& m : found) {
      if (m.boat == b) {
        mine.push_back(&m);
      }
    }
    auto sameKind = [](const Manoeuvre& m, const SimManoeuvre& s) {
      return (m.kind == ManoeuvreKind::Gybe) == s.gybe;
    };
    for (const SimManoeuvre& s : sim.manoeuvres) {
      if (s.atRounding) {
        continue;
      }
      ++tally.simulated;
      const Manoeuvre* best = nullptr;
      for (const Manoeuvre* m : mine) {
        if (sameKind(*m, s) && std::fabs(m->time - s.t) <= kMatchSeconds &&
            (!best || std::fabs(m->time - s.t) < std::fabs(best->time - s.t))) {
          best = m;
        }
      }
      if (!best) {
        continue;
      }
      ++tally.simulatedFound;
      if (std::isnan(best->metresLost) || std::isnan(s.metresLost)) {
        continue;
      }
      const double error = std::fabs(best->metresLost - s.metresLost);
      if (s.gybe) {
        tally.gybeErrors.push_back(error);
      } else if (s.metresLost > 1) {
        tally.tackErrors.push_back(error / s.metresLost);
      }
    }
    for (const Manoeuvre* m : mine) {
      ++tally.found;
      const bool real = std::any_of(sim.manoeuvres.begin(), sim.manoeuvres.end(), [&](const SimManoeuvre& s) {
        return sameKind(*m, s) && std::fabs(m->time - s.t) <= kMatchSeconds;
      });
      tally.foundReal += real ? 1 : 0;
    }
  }
}

void checkGenerated(const RaceOptions& o, std::map<int, Tally>& tallies) {
  const GeneratedRace race = generateRace(o);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QString error;
  ASSERT_TRUE(writeRaceFiles(race, dir.path(), &error)) << error.toStdString();
  tallyRace(race, dir.filePath(QStringLiteral("raceadmin/") + o.stem + QStringLiteral(".txt")), dir.path(),
            tallies);
}

TEST(ManoeuvreTruth, TacksGybesAndStartsMatchTheSimulation) {
  std::map<int, Tally> tallies;
  for (const RaceOptions& o : demoRaceOptions()) {
    SCOPED_TRACE(o.stem.toStdString());
    checkGenerated(o, tallies);
  }
  int seed = 31;
  for (int interval : {1, 2, 5}) {
    for (CourseShape shape : {CourseShape::WindwardLeeward, CourseShape::Triangle}) {
      RaceOptions o;
      o.stem = QStringLiteral("m%1").arg(interval);
      o.boats = 6;
      o.durationMinutes = 20;
      o.logInterval = interval;
      o.shape = shape;
      o.seed = static_cast<std::uint64_t>(seed++);
      o.retirement = false;
      SCOPED_TRACE(interval);
      checkGenerated(o, tallies);
    }
  }

  Tally all;
  for (const auto& [interval, t] : tallies) {
    std::printf(
        "every %2d s: simulated %3d, found %3d of them (%.1f %%); found %3d, real %3d (%.1f %%); "
        "loss error median: tacks %.0f %%, gybes %.1f m; line at the gun: median %.1f m, max %.1f m, "
        "%d of %d within 5 m; less the log's own error: max %.1f m\n",
        interval, t.simulated, t.simulatedFound, 100.0 * t.simulatedFound / std::max(1, t.simulated), t.found,
        t.foundReal, 100.0 * t.foundReal / std::max(1, t.found), 100 * median(t.tackErrors),
        median(t.gybeErrors), median(t.lineErrors),
        t.lineErrors.empty() ? 0 : *std::max_element(t.lineErrors.begin(), t.lineErrors.end()),
        static_cast<int>(
            std::count_if(t.lineErrors.begin(), t.lineErrors.end(), [](double e) { return e <= 5; })),
        static_cast<int>(t.lineErrors.size()),
        t.lineReadErrors.empty() ? 0 : *std::max_element(t.lineReadErrors.begin(), t.lineReadErrors.end()));
    all.simulated += t.simulated;
    all.simulatedFound += t.simulatedFound;
    all.found += t.found;
    all.foundReal += t.foundReal;
    all.tackErrors.insert(all.tackErrors.end(), t.tackErrors.begin(), t.tackErrors.end());
    all.gybeErrors.insert(all.gybeErrors.end(), t.gybeErrors.begin(), t.gybeErrors.end());
    all.lineErrors.insert(all.lineErrors.end(), t.lineErrors.begin(), t.lineErrors.end());
    all.lineReadErrors.insert(all.lineReadErrors.end(), t.lineReadErrors.begin(), t.lineReadErrors.end());
  }
  EXPECT_GE(all.simulatedFound, 0.95 * all.simulated);
  EXPECT_GE(all.foundReal, 0.95 * all.found);
  EXPECT_LE(median(all.tackErrors), 0.25);
  EXPECT_LE(median(all.gybeErrors), 3.0);
  for (int interval : {1, 2, 5}) {
    const Tally& t = tallies[interval];
    EXPECT_GE(t.simulatedFound, 0.95 * t.simulated) << "every " << interval << " s";
    EXPECT_GE(t.foundReal, 0.95 * t.found) << "every " << interval << " s";
    EXPECT_LE(median(t.tackErrors), 0.25) << "every " << interval << " s";
    // Between fixes up to 5 s apart the boat's position at the gun is read
    // to within 2 m of what its logger says.
    EXPECT_LE(*std::max_element(t.lineReadErrors.begin(), t.lineReadErrors.end()), 2.0)
        << "every " << interval << " s";
  }
  EXPECT_EQ(all.lineReadErrors.size(), all.lineErrors.size());
  EXPECT_LE(*std::max_element(all.lineReadErrors.begin(), all.lineReadErrors.end()), 3.0);
  // Against where the boat really was, a logger's error (1.5 to 3 m each way,
  // drifting over half a minute) puts the odd boat a little over 5 m off.
  const auto within =
      std::count_if(all.lineErrors.begin(), all.lineErrors.end(), [](double e) { return e <= 5; });
  EXPECT_GE(static_cast<double>(within), 0.9 * static_cast<double>(all.lineErrors.size()));
  EXPECT_LE(*std::max_element(all.lineErrors.begin(), all.lineErrors.end()), 8.0);
}

}  // namespace
}  // namespace velaro::racegen
