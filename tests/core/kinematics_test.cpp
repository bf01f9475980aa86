#include "core/analysis/kinematics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace velaro {
namespace {

// 5 knots northward over 10 seconds, in minutes of latitude.
constexpr double kFiveKnotLatStep = 5.0 / 360.0;

double knots(double metres, double seconds) {
  return metres / seconds * 3.6 / 1.852;
}

Boat boatOf(const std::vector<Fix>& fixes) {
  Boat boat;
  boat.fixes = fixes;
  return boat;
}

// A boat sailing a straight line: one fix every `interval` seconds, each step
// moving by (dLat, dLon).
Boat straightBoat(int count, double dLat, double dLon, double interval = 10) {
  std::vector<Fix> fixes;
  for (int i = 0; i < count; ++i) {
    fixes.push_back({i * interval, 2000 + i * dLat, 8000 + i * dLon});
  }
  return boatOf(fixes);
}

TEST(Kinematics, StraightTrackGivesSpeedAndCourseAndLastFixStaysZero) {
  Race race;
  // 0.02' of longitude at cos 0.5 is 18.52 m: 1.852 m/s, 3.6 knots east.
  race.boats.push_back(straightBoat(10, 0, 0.02));
  const double max = ComputeKinematics(race, 0.5);
  const auto& fixes = race.boats[0].fixes;
  for (int i = 0; i < 9; ++i) {
    EXPECT_NEAR(fixes[i].speed, 3.6, 1e-9) << i;
    EXPECT_EQ(fixes[i].course, 90) << i;
  }
  EXPECT_EQ(fixes[9].speed, 0);
  EXPECT_EQ(fixes[9].course, 0);
  EXPECT_NEAR(max, 3.6, 1e-9);
}

TEST(Kinematics, WindowHasTwoStepsAtEitherEndAndThreeInBetween) {
  // Northward steps of growing length at uneven times tell the windows apart.
  const std::vector<double> times = {0, 10, 20, 40, 50, 60, 70};
  std::vector<Fix> fixes;
  double lat = 2000;
  for (size_t i = 0; i < times.size(); ++i) {
    fixes.push_back({times[i], lat, 8000});
    lat += 0.001 * (i + 1);
  }
  Race race;
  race.boats.push_back(boatOf(fixes));
  ComputeKinematics(race, 0.8);
  const auto& f = race.boats[0].fixes;
  const double m = 0.001 * 1852;
  // Fix 1: fixes 1..3.
  EXPECT_NEAR(f[0].speed, knots((1 + 2) * m, 20), 1e-9);
  // Fix 2: fixes 1..4, three steps.
  EXPECT_NEAR(f[1].speed, knots((1 + 2 + 3) * m, 40), 1e-9);
  // Fix 4: fixes 3..6.
  EXPECT_NEAR(f[3].speed, knots((3 + 4 + 5) * m, 40), 1e-9);
  // Fix FixCount - 1: fixes FixCount - 2..FixCount.
  EXPECT_NEAR(f[5].speed, knots((5 + 6) * m, 20), 1e-9);
  EXPECT_EQ(f[6].speed, 0);
}

TEST(Kinematics, AnchoredBoatKeepsTheCourseItHadBeforeStopping) {
  std::vector<Fix> fixes;
  // North-east at cos 0.5: 0.01' north and 0.02' east are the same metres.
  for (int i = 0; i < 10; ++i) {
    fixes.push_back({i * 10.0, 2000 + i * 0.01, 8000 + i * 0.02});
  }
  const Fix stop = fixes.back();
  for (int i = 10; i < 20; ++i) {
    fixes.push_back({i * 10.0, stop.lat, stop.lon});
  }
  for (int i = 20; i < 25; ++i) {
    fixes.push_back({i * 10.0, stop.lat - (i - 19) * 0.01, stop.lon});
  }
  Race race;
  race.boats.push_back(boatOf(fixes));
  ComputeKinematics(race, 0.5);
  const auto& f = race.boats[0].fixes;
  EXPECT_EQ(f[0].course, 45);
  for (int i = 9; i < 19; ++i) {
    EXPECT_EQ(f[i].course, 45) << i;
  }
  EXPECT_EQ(f[12].speed, 0);
  EXPECT_EQ(f[19].course, 180);
}

TEST(Kinematics, BoatThatNeverMovedFromItsFirstFixShowsNorth) {
  std::vector<Fix> fixes;
  for (int i = 0; i < 8; ++i) {
    fixes.push_back({i * 10.0, 2000, 8000});
  }
  for (int i = 8; i < 12; ++i) {
    fixes.push_back({i * 10.0, 2000, 8000 + (i - 7) * 0.01});
  }
  Race race;
  race.boats.push_back(boatOf(fixes));
  ComputeKinematics(race, 0.8);
  const auto& f = race.boats[0].fixes;
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(f[i].course, 0) << i;
  }
  EXPECT_EQ(f[7].course, 90);
}

TEST(Kinematics, CourseJustWestOfNorthRoundsTo360) {
  // 1000 m north and 5 m west: 359.71 degrees.
  Race race;
  race.boats.push_back(straightBoat(8, 1000 / 1852.0, -5 / 1852.0));
  ComputeKinematics(race, 1.0);
  EXPECT_EQ(race.boats[0].fixes[0].course, 360);
}

TEST(Kinematics, SpikeKeepsItsSpeedButNotTheRaceMaximum) {
  Race race;
  Boat boat = straightBoat(30, kFiveKnotLatStep, 0);
  // One fix 0.1' (185 m) off to the east.
  boat.fixes[15].lon += 0.1;
  race.boats.push_back(boat);
  race.boats.push_back(straightBoat(30, kFiveKnotLatStep * 0.8, 0));
  const double max = ComputeKinematics(race, 1.0);
  double top = 0;
  for (const Fix& f : race.boats[0].fixes) {
    top = std::max(top, f.speed);
  }
  EXPECT_GE(top, 25);
  EXPECT_NEAR(max, 5.0, 1e-9);
}

TEST(Kinematics, RaceWhereEveryBoatIsFasterThanTenKnotsHasNoMaximum) {
  Race race;
  race.boats.push_back(straightBoat(20, 4 * kFiveKnotLatStep, 0));
  race.boats.push_back(straightBoat(20, 0, 3 * kFiveKnotLatStep));
  const double max = ComputeKinematics(race, 1.0);
  EXPECT_EQ(max, 0);
  EXPECT_NEAR(race.boats[0].fixes[3].speed, 20, 1e-9);
  EXPECT_NEAR(race.boats[1].fixes[3].speed, 15, 1e-9);
}

TEST(Kinematics, BoatWithFiveFixesGetsNothingAndSixFixesDo) {
  Race race;
  race.boats.push_back(straightBoat(5, kFiveKnotLatStep, 0));
  race.boats.push_back(straightBoat(6, kFiveKnotLatStep, 0));
  // Values left from an earlier computation must not survive.
  for (Fix& f : race.boats[0].fixes) {
    f.speed = 7;
    f.course = 7;
  }
  const double max = ComputeKinematics(race, 1.0);
  for (const Fix& f : race.boats[0].fixes) {
    EXPECT_EQ(f.speed, 0);
    EXPECT_EQ(f.course, 0);
  }
  EXPECT_NEAR(race.boats[1].fixes[0].speed, 5, 1e-9);
  EXPECT_NEAR(max, 5, 1e-9);
}

TEST(Kinematics, WindowsWithoutElapsedTimeGiveZeroSpeed) {
  // Six fixes logged in the same second, then time running backwards.
  std::vector<Fix> fixes;
  for (int i = 0; i < 6; ++i) {
    fixes.push_back({100, 2000 + i * 0.01, 8000});
  }
  for (int i = 6; i < 10; ++i) {
    fixes.push_back({100.0 - i * 10, 2000 + i * 0.01, 8000});
  }
  Race race;
  race.boats.push_back(boatOf(fixes));
  const double max = ComputeKinematics(race, 1.0);
  for (const Fix& f : race.boats[0].fixes) {
    EXPECT_EQ(f.speed, 0);
    EXPECT_FALSE(std::isnan(f.speed));
  }
  EXPECT_EQ(max, 0);
}

TEST(PositionAt, InterpolatesWithinTheFirstBracketingPair) {
  const Boat boat = boatOf({{0, 2000, 8000}, {10, 2001, 8002}, {10, 2005, 8005}, {20, 2007, 8009}});
  struct Case {
    double t;
    bool found;
    int index;
    double lat;
    double lon;
  };
  const Case cases[] = {
      {-1, false, 0, 0, 0},        // before the first fix
      {0, true, 0, 2000, 8000},    // on the first fix
      {5, true, 0, 2000.5, 8001},  // halfway
      {10, true, 2, 2005, 8005},   // the pair of equal times is skipped
      {15, true, 2, 2006, 8007},   //
      {20, false, 0, 0, 0},        // at the last fix
      {25, false, 0, 0, 0},        // after it
  };
  for (const Case& c : cases) {
    const auto at = PositionAt(boat, c.t);
    ASSERT_EQ(at.has_value(), c.found) << c.t;
    if (c.found) {
      EXPECT_EQ(at->index, c.index) << c.t;
      EXPECT_NEAR(at->pos.lat, c.lat, 1e-9) << c.t;
      EXPECT_NEAR(at->pos.lon, c.lon, 1e-9) << c.t;
    }
  }
  EXPECT_FALSE(PositionAt(Boat{}, 0).has_value());
  EXPECT_FALSE(PositionAt(boatOf({{0, 1, 1}}), 0).has_value());
}

}  // namespace
}  // namespace velaro
