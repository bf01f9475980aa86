// A generated race loaded the way the program loads it: the analysis must find
// the passing times and the finish order the simulation sailed.
#include "racegen/racebuilder.h"

#include "core/loadpipeline.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace velaro::racegen {
namespace {

struct Case {
  const char* name;
  CourseShape shape;
  int boats;
  std::uint64_t seed;
};

class GeneratedRaceAnalysis : public ::testing::TestWithParam<Case> {};

// Loads the race as the program does and compares what the analysis found
// with what the simulation sailed.
void expectAnalysisMatches(const GeneratedRace& race, const QString& raceFile, const QString& root) {
  const int boats = race.options.boats;
  const LoadResult load = LoadRacePipeline(raceFile, RaceFolders(root), LoadOptions{});
  ASSERT_TRUE(load.loaded.has_value()) << (load.error ? load.error->toString().toStdString() : "no boats");
  const LoadedRace& loaded = *load.loaded;
  ASSERT_EQ(loaded.race.BoatCount(), boats);
  const CourseResults& results = loaded.results;
  const std::size_t items = race.sim.course.items.size();
  ASSERT_EQ(results.itemCount, static_cast<int>(items));

  for (int b = 0; b < boats; ++b) {
    const SimBoat& sim = race.sim.boats[b];
    const BoatLog& log = race.logs[b];
    SCOPED_TRACE(log.fileName.toStdString());
    // Between two fixes the analysis can only interpolate; a mark's time is
    // the fix nearest to it, which may lie a little before or after the
    // moment the boat turned.
    const double slack = log.intervalSeconds + 4.0;
    for (std::size_t k = 0; k < items; ++k) {
      const double found = results.PassTime[b][k];
      double expected = sim.passTimes[k];
      if (k == 0) {
        expected = sim.firstStartCrossing;  // the first crossing counts, even before the gun
      }
      if (std::isnan(expected)) {
        // A retired boat: once an item is missed the analysis searches its
        // whole log again, so its pre-start near the leeward mark and the
        // finish line may read as passings. Nothing to compare.
        continue;
      }
      ASSERT_TRUE(isPassed(found)) << "item " << k << " expected at " << expected;
      // A slow boat's crossing is blurred by the few metres a fix wanders.
      const int at = std::clamp(static_cast<int>(expected) - sim.track.front().t, 0,
                                static_cast<int>(sim.track.size()) - 1);
      const double metresPerSecond = std::max(0.3, sim.track[at].speed * 0.5144);
      // A rounding is an arc round the mark: the nearest fix may lie anywhere
      // on it.
      const double markSlack = race.sim.course.items[k].isLine ? slack + 8 / metresPerSecond : slack + 30;
      EXPECT_NEAR(found, expected, markSlack) << "item " << k;
    }
  }
  // Finish order: a boat ahead by more than the timing slack ranks ahead.
  for (int a = 0; a < boats; ++a) {
    for (int b = 0; b < boats; ++b) {
      const double ta = race.sim.boats[a].passTimes.back();
      const double tb = race.sim.boats[b].passTimes.back();
      if (std::isnan(ta) || race.sim.boats[b].retired || (!std::isnan(tb) && ta > tb - 12)) {
        continue;
      }
      EXPECT_LT(results.FinishRank[a], results.FinishRank[b]) << "boats " << a + 1 << " and " << b + 1;
    }
  }
}

TEST_P(GeneratedRaceAnalysis, PassingTimesAndFinishOrderMatchTheSimulation) {
  const Case c = GetParam();
  RaceOptions o;
  o.stem = QStringLiteral("a");
  o.boats = c.boats;
  o.shape = c.shape;
  o.seed = c.seed;
  o.durationMinutes = 25;
  if (c.shape == CourseShape::Triangle) {
    o.location = QStringLiteral("nishinomiya");
  }
  const GeneratedRace race = generateRace(o);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QString error;
  ASSERT_TRUE(writeRaceFiles(race, dir.path(), &error)) << error.toStdString();
  expectAnalysisMatches(race, dir.filePath(QStringLiteral("raceadmin/a.txt")), dir.path());
}

INSTANTIATE_TEST_SUITE_P(Courses, GeneratedRaceAnalysis,
                         ::testing::Values(Case{"wl", CourseShape::WindwardLeeward, 12, 101},
                                           Case{"triangle", CourseShape::Triangle, 16, 202},
                                           Case{"small", CourseShape::WindwardLeeward, 5, 303},
                                           Case{"wl2", CourseShape::WindwardLeeward, 20, 404},
                                           Case{"wl3", CourseShape::WindwardLeeward, 30, 505},
                                           Case{"triangle2", CourseShape::Triangle, 12, 606},
                                           Case{"triangle3", CourseShape::Triangle, 25, 707},
                                           Case{"wl4", CourseShape::WindwardLeeward, 9, 808},
                                           Case{"wl5", CourseShape::WindwardLeeward, 45, 909},
                                           Case{"triangle4", CourseShape::Triangle, 39, 1407},
                                           Case{"triangle5", CourseShape::Triangle, 9, 1037},
                                           Case{"triangle6", CourseShape::Triangle, 45, 5689}),
                         [](const auto& info) { return std::string(info.param.name); });

// The committed demo races are exactly what the generator makes, and the
// analysis finds in them what was simulated.
TEST(DemoRaceAnalysis, CommittedDemoRacesMatchTheGeneratorAndTheSimulation) {
  const QString demo = QStringLiteral(VELARO_SOURCE_DIR "/data/demo");
  for (const RaceOptions& o : demoRaceOptions()) {
    SCOPED_TRACE(o.stem.toStdString());
    const GeneratedRace race = generateRace(o);
    for (const auto& [name, bytes] : race.files) {
      QFile file(demo + u'/' + name);
      ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
      EXPECT_TRUE(file.readAll() == bytes)
          << name.toStdString() << " differs: run tools/racegen/make-demo.sh";
    }
    expectAnalysisMatches(race, demo + QStringLiteral("/raceadmin/") + o.stem + QStringLiteral(".txt"), demo);
  }
}

}  // namespace
}  // namespace velaro::racegen
