#include "core/analysis/speedcolours.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

TEST(SpeedColours, BinsClampAtTheEdgesOfTheRange) {
  const SpeedRange range{4, 9};
  const struct {
    double knots;
    int bin;
  } cases[] = {{0, 0}, {4, 0}, {4.49, 0}, {4.5, 1}, {6.5, 5}, {8.99, 9}, {9, 9}, {30, 9}, {NAN, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(speedBin(c.knots, range), c.bin) << c.knots;
  }
  EXPECT_EQ(speedBin(5, SpeedRange{5, 5}), 0);
  EXPECT_DOUBLE_EQ(speedBinEdge(range, 0), 4);
  EXPECT_DOUBLE_EQ(speedBinEdge(range, kSpeedColourBins), 9);
  // Blue for the slowest, red for the fastest, every colour its own.
  EXPECT_GT(speedBinColour(0).b, 200);
  EXPECT_GT(speedBinColour(kSpeedColourBins - 1).r, 200);
  EXPECT_EQ(speedBinColour(-3), speedBinColour(0));
  for (int k = 1; k < kSpeedColourBins; ++k) {
    EXPECT_NE(speedBinColour(k), speedBinColour(k - 1)) << k;
  }
  EXPECT_EQ(speedBinKmlColour(kSpeedColourBins - 1), QStringLiteral("ff0000d7"));
}

// Boat 1 speeds up a tenth of a knot a second, racing from 0 s (2 knots)
// to 99 s; boat 2 never starts and sails 20 knots.
TEST(SpeedColours, FleetRangeCountsOnlyTheRacing) {
  Race race;
  CourseResults results;
  results.itemCount = 2;
  for (int b = 0; b < 2; ++b) {
    Boat boat;
    for (int t = -20; t <= 120; ++t) {
      const double knots = b == 1 ? 20 : (t + 20) / 10.0;
      boat.fixes.push_back({double(t), 0, 0, knots, 0});
    }
    race.boats.push_back(boat);
    results.PassTime.push_back(b == 0 ? std::vector<double>{0, 99}
                                      : std::vector<double>{kNotPassed, kNotPassed});
  }
  SpeedRange range = FleetSpeedRange(race, results);
  EXPECT_NEAR(range.lowKnots, 2.4, 0.02);
  EXPECT_NEAR(range.highKnots, 11.4, 0.02);
  std::vector<double> speeds;
  colourSpeeds(race.boats[0], speeds);
  EXPECT_NEAR(speeds[50], 5, 1e-9);  // a steady acceleration averages to itself

  // Without a course every fix from the gun counts; one speed alone is
  // widened to the narrowest range.
  results = CourseResults{};
  race.boats.pop_back();
  for (Fix& f : race.boats[0].fixes) {
    f.speed = 6;
  }
  range = FleetSpeedRange(race, results);
  EXPECT_NEAR(range.lowKnots, 6 - kMinSpeedSpanKnots / 2, 0.01);
  EXPECT_NEAR(range.highKnots, 6 + kMinSpeedSpanKnots / 2, 0.01);
}

// A boat at 4 knots, then 8: its colours, kept until its track or its
// racing time changes.
TEST(SpeedColours, CacheFollowsTheRace) {
  Race race;
  race.boats.emplace_back();
  for (int t = 0; t <= 100; ++t) {
    race.boats[0].fixes.push_back({double(t), 0, 0, t < 50 ? 4.0 : 8.0, 0});
  }
  CourseResults results;
  results.itemCount = 2;
  results.PassTime = {{0, 100}};
  TrackColourCache cache;
  EXPECT_EQ(cache.of(race, results).bins[0][10], 0);
  EXPECT_EQ(cache.of(race, results).bins[0][90], kSpeedColourBins - 1);

  Race slowing = race;
  for (Fix& f : slowing.boats[0].fixes) {
    f.speed = 12 - f.speed;
  }
  EXPECT_EQ(cache.of(slowing, results).bins[0][10], kSpeedColourBins - 1);
  // Finished at 40 s: only the 8 knots count.
  results.PassTime = {{0, 40}};
  EXPECT_NEAR(cache.of(slowing, results).range.lowKnots, 8 - kMinSpeedSpanKnots / 2, 0.01);
}

}  // namespace
}  // namespace velaro
