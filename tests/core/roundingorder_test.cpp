#include "core/analysis/courseresults.h"

#include <gtest/gtest.h>

#include <vector>

namespace velaro {
namespace {

constexpr double kLat = 2000;
constexpr double kLon = 8000;

struct Waypoint {
  double time;
  double dLat;
  double dLon;
};

Boat track(const std::vector<Waypoint>& waypoints) {
  Boat boat;
  for (size_t w = 0; w + 1 < waypoints.size(); ++w) {
    const Waypoint& a = waypoints[w];
    const Waypoint& b = waypoints[w + 1];
    for (double t = a.time; t < b.time; t += 10) {
      const double f = (t - a.time) / (b.time - a.time);
      boat.fixes.push_back({t, kLat + a.dLat + (b.dLat - a.dLat) * f, kLon + a.dLon + (b.dLon - a.dLon) * f});
    }
  }
  boat.fixes.push_back({waypoints.back().time, kLat + waypoints.back().dLat, kLon + waypoints.back().dLon});
  return boat;
}

// Start line L1 and finish line L2 side by side near the start area; the
// windward mark a mile north.
Race raceWithFinishNearTheStart() {
  Race race;
  race.TimeAxisEnd = 4000;
  race.lines.push_back({{kLat, kLon}, {kLat, kLon + 0.2}});
  race.lines.push_back({{kLat + 0.05, kLon + 0.3}, {kLat + 0.05, kLon + 0.5}});
  race.marks.push_back({kLat + 1.0, kLon + 0.1});
  race.marks.push_back({kLat + 1.0, kLon + 0.6});
  race.Course = {QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("L2")};
  return race;
}

// A boat that crosses the finish line while manoeuvring before the gun, then
// starts and retires before the windward mark, has not finished.
TEST(RoundingOrder, PreStartCrossingOfTheFinishIsNoFinish) {
  Race race = raceWithFinishNearTheStart();
  race.boats.push_back(track({{-170, 0.0, 0.4},    // south of the finish line
                              {-120, 0.1, 0.4},    // crosses it northwards
                              {-60, -0.1, 0.1},    // back below the start line
                              {30, 0.2, 0.1},      // starts
                              {400, 0.5, 0.1}}));  // and retires
  const CourseResults r = FindRoundings(race);
  EXPECT_TRUE(isPassed(r.PassTime[0][0]));
  EXPECT_FALSE(isPassed(r.PassTime[0][1]));
  EXPECT_FALSE(isPassed(r.PassTime[0][2]));
  EXPECT_FALSE(isPassed(r.PassTime[0][3]));
  EXPECT_FALSE(r.finished(0));
}

// A missed mark does not send the search for the next items back before the
// last item passed: mark 2 and the finish are still found in course order.
TEST(RoundingOrder, AMissedMarkKeepsTheSearchAfterTheLastPassing) {
  Race race = raceWithFinishNearTheStart();
  race.boats.push_back(track({{-170, 0.0, 0.4},
                              {-120, 0.1, 0.4},
                              {-60, -0.1, 0.1},
                              {30, 0.2, 0.1},
                              {600, 0.4, 0.6},       // away from mark 1
                              {900, 1.0, 0.6},       // rounds mark 2
                              {1500, -0.1, 0.4}}));  // and finishes
  const CourseResults r = FindRoundings(race);
  EXPECT_FALSE(isPassed(r.PassTime[0][1]));
  EXPECT_NEAR(r.PassTime[0][2], 900, 10);
  ASSERT_TRUE(isPassed(r.PassTime[0][3]));
  EXPECT_GT(r.PassTime[0][3], 900);
}

}  // namespace
}  // namespace velaro
