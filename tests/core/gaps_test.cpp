#include "core/analysis/gaps.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace velaro {
namespace {

constexpr double kLat = 2000;
constexpr double kLon = 8000;
const double kCosLat = std::cos(kLat / 60 * M_PI / 180);

struct Waypoint {
  double time;
  double dLat;
  double dLon;
};

// One fix a second along straight lines between the waypoints, shifted by
// `late` seconds and ending at `until` (seconds before the shift).
Boat track(const std::vector<Waypoint>& waypoints, double late, double until = 1e9) {
  Boat boat;
  for (size_t w = 0; w + 1 < waypoints.size(); ++w) {
    const Waypoint& a = waypoints[w];
    const Waypoint& b = waypoints[w + 1];
    for (double t = a.time; t < b.time && t <= until; t += 1) {
      const double f = (t - a.time) / (b.time - a.time);
      boat.fixes.push_back(
          {t + late, kLat + a.dLat + (b.dLat - a.dLat) * f, kLon + a.dLon + (b.dLon - a.dLon) * f});
    }
  }
  return boat;
}

// Wind from the north. Start line L1, windward mark MK1 a mile up with the
// offset mark MK2 77 m east of it, the gate L2 at the bottom, which is also
// the finish: L1 MK1 MK2 L2 MK1 MK2 L2. The leader's track rounds the gate
// by sailing 28 m past it and back.
class GapsRace : public ::testing::Test {
 protected:
  void SetUp() override {
    race.TimeAxisEnd = 3000;
    race.lines = {{{kLat, kLon}, {kLat, kLon + 0.2}}, {{kLat + 0.3, kLon + 0.08}, {kLat + 0.3, kLon + 0.12}}};
    race.marks = {{kLat + 1.0, kLon + 0.1}, {kLat + 1.0, kLon + 0.15}};
    race.Course = {QStringLiteral("L1"),  QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("L2"),
                   QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("L2")};
    const std::vector<Waypoint> course = {{-40, -0.05, 0.1},  {0, 0, 0.1},        {700, 0.998, 0.1},
                                          {735, 1.0, 0.148},  {1170, 0.3, 0.1},   {1182, 0.285, 0.108},
                                          {1194, 0.3, 0.112}, {1930, 0.998, 0.1}, {1965, 1.0, 0.148},
                                          {2400, 0.3, 0.1},   {2411, 0.28, 0.1}};
    race.boats = {track(course, 0),          // the leader
                  track(course, 8),          // 8 s behind all the way
                  track(course, 100, 1470),  // its log ends up the second beat
                  track(course, 20, 640)};
    // The fourth boat turns away 160 m short of the windward mark.
    race.boats[3].fixes.push_back({760, kLat + 0.8, kLon - 0.1});
    results = FindRoundings(race);
    ComputeLegs(race, results, kCosLat);
    steps = ComputeGaps(race, results, kCosLat, 1);
  }

  Race race;
  CourseResults results;
  std::vector<GapStep> steps;
};

// The third boat crosses the gate line back 24 s after passing it, as it
// rounds: no finish through the gate a lap early.
TEST_F(GapsRace, RecrossingTheGateWhileRoundingItIsNoPassingOfItALapLater) {
  EXPECT_NEAR(results.PassTime[2][3], 1270, 1);
  EXPECT_FALSE(isPassed(results.PassTime[2][6]));
  EXPECT_TRUE(results.finished(0));
  EXPECT_TRUE(results.finished(1));
}

// The leader leads throughout, the boat behind it stays 8 s behind through
// every rounding, and a boat out of the race is ranked last from when it
// came nearest the finish: the fourth when it turned away, the third when
// its log ends (and before its log begins).
TEST_F(GapsRace, LeaderKeepsTheLeadAndBoatsOutOfTheRaceAreRankedLast) {
  ASSERT_EQ(steps.back().time, 2408);
  std::vector<double> leaderLost, followerOff, turnedAwayWrong, logEndedWrong;
  for (const GapStep& s : steps) {
    if (s.boats[0].rank != 1) {
      leaderLost.push_back(s.time);
    }
    if (s.time >= 20 && (s.boats[1].rank != 2 || !(std::fabs(s.boats[1].secondsToLeader - 8) <= 1))) {
      followerOff.push_back(s.time);
    }
    if (std::isnan(s.boats[3].remainingMetres) != (s.time > 660)) {
      turnedAwayWrong.push_back(s.time);
    }
    if (std::isnan(s.boats[2].remainingMetres) != (s.time < 60 || s.time > 1570)) {
      logEndedWrong.push_back(s.time);
    }
  }
  EXPECT_THAT(leaderLost, ::testing::IsEmpty());
  EXPECT_THAT(followerOff, ::testing::IsEmpty());
  EXPECT_THAT(turnedAwayWrong, ::testing::IsEmpty());
  EXPECT_THAT(logEndedWrong, ::testing::IsEmpty());
  EXPECT_EQ(steps.back().boats[2].rank, 3);
  EXPECT_EQ(steps.back().boats[3].rank, 3);
}

// Rounding marks, the offset mark and the gate, the leader's distance to go
// never steps by more than it sails in a second, and never grows.
TEST_F(GapsRace, DistanceToGoRunsOnThroughRoundings) {
  for (size_t i = 1; i < steps.size(); ++i) {
    const double change = steps[i].boats[0].remainingMetres - steps[i - 1].boats[0].remainingMetres;
    EXPECT_LE(change, 0.01) << steps[i].time;
    EXPECT_GE(change, -4) << steps[i].time;
  }
}

}  // namespace
}  // namespace velaro
