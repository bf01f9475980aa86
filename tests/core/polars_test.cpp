#include "core/analysis/polars.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace velaro {
namespace {

constexpr double kLat = 2000;
constexpr double kLon = 8000;
const double kCosLat = std::cos(kLat / 60 * M_PI / 180);

struct Stretch {
  double until;  // seconds from the gun
  double headingDeg;
  double knots;
};

// One fix a second from the gun, each stretch sailed straight on.
Boat sail(const std::vector<Stretch>& stretches) {
  Boat boat;
  double lat = kLat;
  double lon = kLon;
  double t = 0;
  for (const Stretch& s : stretches) {
    for (; t <= s.until; t += 1) {
      boat.fixes.push_back({t, lat, lon});
      const double nm = s.knots / 3600;
      lat += nm * std::cos(s.headingDeg * M_PI / 180);
      lon += nm * std::sin(s.headingDeg * M_PI / 180) / kCosLat;
    }
  }
  return boat;
}

BoatPolar polarOf(const Boat& boat, const std::vector<double>& manoeuvreTimes) {
  Race race;
  race.WindAxis = 0;  // from the north, no wind log
  race.boats = {boat};
  CourseResults results;
  results.itemCount = 2;
  results.PassTime = {{0, kNotPassed}};
  std::vector<Manoeuvre> manoeuvres;
  for (double t : manoeuvreTimes) {
    manoeuvres.push_back({0, t});
  }
  return ComputePolars(race, results, manoeuvres, kCosLat).front();
}

// A beat at 42 degrees on either tack at 5 kn, and between tacks at 600 and
// 648 s a short stretch at 62 degrees and 9 kn, a better speed made good
// than the beat's.
TEST(Polars, ChordsStayClearOfTacksAndAShortStretchDoesNotSetTheBeatAngle) {
  const Boat boat = sail({{300, 42, 5}, {600, 318, 5}, {648, 62, 9}, {1000, 318, 5}});
  const BoatPolar polar = polarOf(boat, {300, 600, 648});
  ASSERT_EQ(polar.bands.size(), 1u);
  const PolarBand& band = polar.bands.front();

  // Every second more than 20 s from the start or a tack, read over a chord
  // that reaches no closer than 5 s to either: none reads the turn's angle.
  const PolarBin& beat = band.bins[42 / kPolarBinDegrees];
  EXPECT_EQ(beat.seconds, (279 - 21 + 1) + (579 - 321 + 1) + (975 - 669 + 1));
  EXPECT_NEAR(beat.speedKnots, 5, 0.01);
  const PolarBin& reach = band.bins[62 / kPolarBinDegrees];
  EXPECT_EQ(reach.seconds, 627 - 621 + 1);
  EXPECT_NEAR(reach.speedKnots, 9, 0.01);
  int others = 0;
  for (const PolarBin& bin : band.bins) {
    others += bin.seconds;
  }
  EXPECT_EQ(others, beat.seconds + reach.seconds);

  EXPECT_DOUBLE_EQ(band.beatAngleDeg, 42.5);
  EXPECT_NEAR(band.beatVmgKnots, 5 * std::cos(42.5 * M_PI / 180), 0.01);
}

}  // namespace
}  // namespace velaro
