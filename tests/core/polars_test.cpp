#include "core/analysis/polars.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

// Wind from the north, no log. A beat at 42 degrees and 5 kn on either tack
// with turns at 300, 600 and 648 s, and between the last two a stretch at 62
// degrees and 9 kn: a better speed made good than the beat's, sailed briefly.
TEST(Polars, ChordsKeepClearOfTurnsAndABriefStretchSetsNoBestAngle) {
  const double cosLat = std::cos(M_PI / 6);
  Race race;
  race.boats.resize(1);
  GeoPoint at{1800, 8000};
  double t = 0;
  for (const auto& [until, heading, knots] :
       {std::tuple{300, 42.0, 5.0}, {600, 318.0, 5.0}, {648, 62.0, 9.0}, {1000, 318.0, 5.0}}) {
    for (; t <= until; ++t) {
      race.boats[0].fixes.push_back({t, at.lat, at.lon});
      at.lat += knots / 3600 * std::cos(heading * M_PI / 180);
      at.lon += knots / 3600 * std::sin(heading * M_PI / 180) / cosLat;
    }
  }
  CourseResults results;
  results.itemCount = 2;
  results.PassTime = {{0, kNotPassed}};
  const PolarBand band = ComputePolars(race, results, {{0, 300}, {0, 600}, {0, 648}}, cosLat)[0].bands.at(0);
  // Each second over 20 s from the start or a turn, over a chord 5 s clear of them: no turn's angle.
  EXPECT_EQ(band.bins[8].seconds, (279 - 21 + 1) + (579 - 321 + 1) + (975 - 669 + 1));
  EXPECT_EQ(band.bins[12].seconds, 627 - 621 + 1);
  int seconds = 0;
  for (const PolarBin& bin : band.bins) {
    seconds += bin.seconds;
  }
  EXPECT_EQ(seconds, band.bins[8].seconds + band.bins[12].seconds);
  EXPECT_NEAR(band.bins[12].speedKnots, 9, 0.01);
  EXPECT_DOUBLE_EQ(band.beatAngleDeg, 42.5);
}

}  // namespace
}  // namespace velaro
