// Tacks, gybes and starts on tracks built by hand, where the answer is known
// to the metre and the second.
#include "core/analysis/manoeuvres.h"
#include "core/analysis/starts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace velaro {
namespace {

constexpr double kLat0 = 2100;  // 35 N
constexpr double kLon0 = 8340;
const double kCos = std::cos(kLat0 / 60 * std::numbers::pi / 180);
constexpr double kKnot = 1852.0 / 3600;

GeoPoint at(double x, double y) {
  return {kLat0 + y / 1852, kLon0 + x / (1852 * kCos)};
}

// A boat steered second by second: each leg holds a course (or turns
// evenly to it) at a speed.
struct Helm {
  Boat boat;
  double x = 0, y = 0, t = 0, course = 0;
  Helm(double x0, double y0, double t0, double c0) : x(x0), y(y0), t(t0), course(c0) { log(); }
  void log() {
    const GeoPoint p = at(x, y);
    boat.fixes.push_back({t, p.lat, p.lon});
  }
  Helm& sail(double seconds, double toCourse, double knots) {
    const double from = course;
    double turn = std::remainder(toCourse - from, 360);
    for (int i = 1; i <= seconds; ++i) {
      course = from + turn * std::min(1.0, i / 8.0);
      const double a = course * std::numbers::pi / 180;
      x += std::sin(a) * knots * kKnot;
      y += std::cos(a) * knots * kKnot;
      t += 1;
      log();
    }
    return *this;
  }
};

CourseResults resultsFor(const Race& race, std::vector<double> markPass) {
  CourseResults r;
  r.itemCount = 3;
  r.CoursePoint = {at(0, 0), at(0, 1000), at(0, 0)};
  for (int b = 0; b < race.BoatCount(); ++b) {
    r.PassTime.push_back({0, markPass[b], kNotPassed});
  }
  r.FinishRank.assign(race.BoatCount(), 1);
  return r;
}

Race raceWithLine() {
  Race race;
  // The line runs west-east; the file names the committee (east) end first,
  // which must not make it the pin.
  race.lines.push_back({at(100, 0), at(-100, 0)});
  race.marks.push_back(at(0, 1000));
  race.Course = QStringList{QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("L1")};
  race.WindAxis = 0;
  return race;
}

TEST(Starts, DistanceThirdCrossingAndOcs) {
  Race race = raceWithLine();
  Helm clean(80, -90, -30, 0);  // 28 m below the line at the gun, committee third
  clean.sail(200, 0, 4);
  Helm over(-80, -20, -30, 0);  // 15 m over at the gun near the pin, never back
  over.sail(200, 0, 3);
  Helm back(0, -20, -30, 0);  // over at the gun, returns below and starts
  back.sail(40, 0, 3).sail(30, 180, 4).sail(200, 0, 4);
  for (Helm* h : {&clean, &over, &back}) {
    race.boats.push_back(h->boat);
  }
  const CourseResults results = resultsFor(race, {kNotPassed, kNotPassed, kNotPassed});
  const std::vector<BoatStart> s = AnalyseStarts(race, results, kCos);
  ASSERT_EQ(s.size(), 3u);

  EXPECT_NEAR(s[0].gunLineMetres, 90 - 30 * 4 * kKnot, 0.5);
  EXPECT_EQ(s[0].third, LineThird::Committee);
  EXPECT_NEAR(s[0].gunSpeed, 4, 0.05);
  EXPECT_NEAR(s[0].crossTime, (90 - 30 * 4 * kKnot) / (4 * kKnot), 0.2);
  EXPECT_EQ(s[0].status, StartStatus::Started);

  EXPECT_NEAR(s[1].gunLineMetres, -(30 * 3 * kKnot - 20), 0.5);
  EXPECT_EQ(s[1].third, LineThird::Pin);
  EXPECT_EQ(s[1].status, StartStatus::Ocs);
  EXPECT_TRUE(std::isnan(s[1].crossTime));

  EXPECT_LT(s[2].gunLineMetres, 0);
  EXPECT_EQ(s[2].third, LineThird::Middle);
  EXPECT_EQ(s[2].status, StartStatus::Returned);
  EXPECT_GT(s[2].crossTime, 40);
}

TEST(Manoeuvres, TackAndGybeFoundSpikeDriftAndRoundingIgnored) {
  Race race = raceWithLine();
  // Beats on 315 and 45 in a north wind; the tack's middle is 4 s into the
  // turn, when the speed is at its lowest.
  Helm beat(0, -10, -20, 315);
  beat.sail(150, 315, 5).sail(8, 45, 2.5).sail(10, 45, 3.5).sail(150, 45, 5);
  // A fix 400 m off in the middle of the first board.
  beat.boat.fixes[100].lat += 400 / 1852.0;
  // Drifting below a knot with the course all over the place.
  for (int i = 0; i < 20; ++i) {
    beat.sail(8, i * 97.0, 0.5);
  }
  // And a last fix whose clock jumped a year.
  beat.boat.fixes.push_back(beat.boat.fixes.back());
  beat.boat.fixes.back().time += 365 * 86400.0;
  // A run on 160, a gybe to 200 at 150 s, and the same turn again at a mark.
  Helm run(0, -10, -20, 160);
  run.sail(170, 160, 5).sail(8, 200, 4.5).sail(120, 200, 5);
  Helm rounding = run;
  // A run wandering 6 degrees either side of dead downwind at an even speed:
  // the wind is known to a few degrees only, so this is no gybe.
  Helm wander(0, -10, -20, 186);
  wander.sail(60, 186, 5).sail(60, 174, 5).sail(60, 186, 5);
  race.boats = {beat.boat, run.boat, rounding.boat, wander.boat};
  const CourseResults results = resultsFor(race, {kNotPassed, kNotPassed, 152, kNotPassed});

  const std::vector<Manoeuvre> found = FindManoeuvres(race, results, kCos);
  ASSERT_EQ(found.size(), 2u);
  const Manoeuvre& tack = found[0];
  EXPECT_EQ(tack.boat, 0);
  EXPECT_EQ(tack.kind, ManoeuvreKind::Tack);
  EXPECT_NEAR(tack.time, 134, 2);
  EXPECT_NEAR(tack.courseBefore, 315, 3);
  EXPECT_NEAR(tack.courseAfter, 45, 3);
  EXPECT_NEAR(tack.speedBefore, 5, 0.1);
  EXPECT_LT(tack.lowestSpeed, 4);
  // 18 s sailed at 2.5 to 3.5 knots instead of 5, at 45 degrees to the wind
  // throughout; the turn itself makes no way to windward for a few seconds.
  EXPECT_GT(tack.metresLost, 10);
  EXPECT_LT(tack.metresLost, 40);
  EXPECT_GT(tack.regainSeconds, 5);

  const Manoeuvre& gybe = found[1];
  EXPECT_EQ(gybe.boat, 1);
  EXPECT_EQ(gybe.kind, ManoeuvreKind::Gybe);
  EXPECT_NEAR(gybe.time, 154, 2);
  EXPECT_NEAR(gybe.courseAfter, 200, 3);

  const std::vector<ManoeuvreTally> tally = TallyManoeuvres(found, 3);
  ASSERT_EQ(tally.size(), 3u);
  EXPECT_EQ(tally[0].tacks, 1);
  EXPECT_EQ(tally[0].gybes, 0);
  EXPECT_DOUBLE_EQ(tally[0].meanMetresLost, tack.metresLost);
  EXPECT_EQ(tally[1].gybes, 1);
  EXPECT_EQ(tally[2].tacks + tally[2].gybes, 0);
  EXPECT_TRUE(std::isnan(tally[2].meanMetresLost));
}

// Lines sailed either side of a manoeuvre in a north wind: the loss is the
// mean of the two velocities made good times the gap, less the distance
// made across it, whatever the weighting for a logger's error.
TEST(Manoeuvres, LossIsReadBetweenTheLinesEitherSide) {
  struct Case {
    const char* what;
    ManoeuvreKind kind;
    double vmgBefore, vmgAfter;  // metres per second along (tack) or away from (gybe) the wind
    double offset;               // metres the line after lies behind the line before at t = 0
    int pointsBefore;
    double expected;  // NaN: too few points
  };
  const LossWindows w{-40, -3, 20, 60};
  const double middle = (w.beforeTo + w.afterFrom) / 2;
  const Case cases[] = {
      {"tack, same speed both ways", ManoeuvreKind::Tack, 2, 2, 15, 38, 15},
      {"tack, faster after", ManoeuvreKind::Tack, 2, 3, 15, 38, 15 - middle},
      {"gybe", ManoeuvreKind::Gybe, 2.5, 2.5, 6, 38, 6},
      {"one fix before", ManoeuvreKind::Tack, 2, 2, 15, 1, std::nan("")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const double sign = c.kind == ManoeuvreKind::Tack ? 1 : -1;
    std::vector<TrackPoint> points;
    for (int i = 0; i < c.pointsBefore; ++i) {
      const double t = w.beforeTo - i;
      points.insert(points.begin(), TrackPoint{t, 1.7 * t, sign * c.vmgBefore * t});
    }
    for (double t = w.afterFrom; t <= w.afterTo; t += 1) {
      points.push_back({t, -1.7 * t + 40, sign * (c.vmgAfter * t - c.offset)});
    }
    for (double noiseSeconds : {0.0, kGpsErrorSeconds}) {
      const double loss = lossBetweenLines(points, w, c.kind, 0, noiseSeconds);
      if (std::isnan(c.expected)) {
        EXPECT_TRUE(std::isnan(loss));
      } else {
        EXPECT_NEAR(loss, c.expected, 1e-6);
      }
    }
  }
}

// The stretch after starts when the speed is back, and a neighbour too
// close leaves no stretch before.
TEST(Manoeuvres, LossWindowsFollowTheSpeedAndKeepClearOfNeighbours) {
  auto position = [](double t, double& x, double& y) {
    x = 0;
    y = 3 * t;
    return true;
  };
  auto speed = [](double t, double& v) {
    v = t > 0 && t < 17 ? 1.5 : 3;
    return true;
  };
  LossMeasure m;
  ASSERT_TRUE(chooseLossWindows(100, -1e9, 1e9, position, speed, m));
  EXPECT_NEAR(m.speedBefore, 3, 1e-9);
  EXPECT_TRUE(m.regained);
  EXPECT_DOUBLE_EQ(m.windows.afterFrom, 112);  // not before 12 s after
  ASSERT_TRUE(chooseLossWindows(5, -1e9, 1e9, position, speed, m));
  EXPECT_DOUBLE_EQ(m.windows.afterFrom, 17);
  EXPECT_DOUBLE_EQ(m.windows.beforeTo - m.windows.beforeFrom, kLossWindowSeconds);
  EXPECT_TRUE(m.windows.valid());
  ASSERT_TRUE(chooseLossWindows(5, -20, 1e9, position, speed, m));
  EXPECT_FALSE(m.windows.valid());
  ASSERT_TRUE(chooseLossWindows(5, -1e9, 25, position, speed, m));
  EXPECT_FALSE(m.windows.valid());
}

TEST(Manoeuvres, WindLogGivesTheWindAtEachTime) {
  Race race;
  race.MagVariation = -7;
  race.WindAxis = 100;
  EXPECT_DOUBLE_EQ(trueWindAt(race, 50), 100);
  race.wind = {{0, 8, 350}, {60, 8, 10}, {120, 8, 20}};
  EXPECT_NEAR(trueWindAt(race, 30), 353, 1e-9);  // across north, magnetic to true
  EXPECT_NEAR(trueWindAt(race, 90), 8, 1e-9);
  EXPECT_NEAR(trueWindAt(race, -100), 343, 1e-9);
  EXPECT_NEAR(trueWindAt(race, 500), 13, 1e-9);
}

}  // namespace
}  // namespace velaro
