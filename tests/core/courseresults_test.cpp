#include "core/analysis/courseresults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace velaro {
namespace {

// Positions near 33 20' N, 133 20' E in minutes of arc.
constexpr double kLat = 2000;
constexpr double kLon = 8000;

struct Waypoint {
  double time;
  double lat;
  double lon;
};

// A track through waypoints (offsets from kLat, kLon), one fix every 10
// seconds, sailed in straight lines at even speed between them.
Boat track(const std::vector<Waypoint>& waypoints, const QString& name = QStringLiteral("Boat"),
           double interval = 10) {
  Boat boat;
  boat.BoatName = name;
  for (size_t w = 0; w + 1 < waypoints.size(); ++w) {
    const Waypoint& a = waypoints[w];
    const Waypoint& b = waypoints[w + 1];
    for (double t = a.time; t < b.time; t += interval) {
      const double f = (t - a.time) / (b.time - a.time);
      boat.fixes.push_back({t, kLat + a.lat + (b.lat - a.lat) * f, kLon + a.lon + (b.lon - a.lon) * f});
    }
  }
  const Waypoint& last = waypoints.back();
  boat.fixes.push_back({last.time, kLat + last.lat, kLon + last.lon});
  return boat;
}

GeoPoint at(double dLat, double dLon) {
  return {kLat + dLat, kLon + dLon};
}

GeoLine lineOf(GeoPoint a, GeoPoint b) {
  return {a, b};
}

// A windward course: start line L1 along the parallel kLat from 0' to 0.2'
// east, windward mark 1 one minute north of its middle, and back to the same
// line as the finish.
Race windwardRace() {
  Race race;
  race.TimeAxisEnd = 4000;
  race.lines.push_back(lineOf(at(0, 0), at(0, 0.2)));
  race.marks.push_back(at(1.0, 0.1));
  race.Course = {QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("L1")};
  return race;
}

// Up the middle of the start line from 0.1' south, crossing it at `start`
// seconds, round the mark 1000 s later and back down to cross the line again.
Boat windwardBoat(double start, const QString& name = QStringLiteral("Boat")) {
  return track({{start - 100, -0.1, 0.1}, {start + 1000, 1.0, 0.1}, {start + 2100, -0.1, 0.1}}, name);
}

TEST(CourseItem, LinesAndMarksAreNumberedFromTheirNameRule) {
  struct Case {
    const char* text;
    CourseItem::Kind kind;
    int number;
  };
  const Case cases[] = {
      {"L1", CourseItem::Kind::Line, 1},  {"L10", CourseItem::Kind::Line, 10},
      {"MK3", CourseItem::Kind::Mark, 3}, {"MK12", CourseItem::Kind::Mark, 12},
      {"M3", CourseItem::Kind::Mark, 0},  {"0", CourseItem::Kind::Mark, 0},
      {"GL1", CourseItem::Kind::Line, 0},
  };
  for (const Case& c : cases) {
    const CourseItem item = parseCourseItem(QString::fromLatin1(c.text));
    EXPECT_EQ(item.kind, c.kind) << c.text;
    EXPECT_EQ(item.number, c.number) << c.text;
  }
}

TEST(FindRoundings, WindwardCourseGivesCrossingsAndClosestApproach) {
  Race race = windwardRace();
  race.boats.push_back(windwardBoat(5));
  const CourseResults r = FindRoundings(race);
  ASSERT_EQ(r.itemCount, 3);
  // Crossings are interpolated between fixes; the mark is the closest fix.
  EXPECT_NEAR(r.PassTime[0][0], 5, 1e-6);
  EXPECT_EQ(r.PassTime[0][1], 1005);
  EXPECT_NEAR(r.PassTime[0][2], 2005, 1e-6);
  EXPECT_EQ(r.PointLeader, (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(r.FinishRank, (std::vector<int>{1}));
  ASSERT_TRUE(r.FinishLine.has_value());
  EXPECT_EQ(*r.FinishLine, race.lines[0]);
  EXPECT_TRUE(r.finished(0));
}

TEST(FindRoundings, StartLineIsSoughtInTheFirstFifthOfTheTimeAxisOnly) {
  Race race = windwardRace();
  // The start line reaches 0.5' east, so a crossing near its far end is
  // beyond the proximity search's 0.2' from the first end.
  race.lines[0] = lineOf(at(0, 0), at(0, 0.5));
  auto crossingAt = [](double start, double lon) {
    return track(
        {{-100, -0.1, lon}, {start - 105, -0.105, lon}, {start + 995, 0.995, lon}, {3000, 1.2, lon}});
  };
  race.boats.push_back(crossingAt(600, 0.1));   // 0.15 of the axis: crossing found
  race.boats.push_back(crossingAt(1000, 0.1));  // 0.25: found near the first end
  race.boats.push_back(crossingAt(1000, 0.4));  // 0.25, far from the first end
  const CourseResults r = FindRoundings(race);
  EXPECT_NEAR(r.PassTime[0][0], 600, 1e-6);
  // Found by proximity: the time of a fix 5 s either side of the crossing.
  EXPECT_TRUE(r.PassTime[1][0] == 995 || r.PassTime[1][0] == 1005) << r.PassTime[1][0];
  EXPECT_EQ(r.PassTime[2][0], kNotPassed);
  EXPECT_EQ(r.PointLeader[0], 1);
}

TEST(FindRoundings, StartLineCrossedOnlyOnItsExtensionIsNotPassed) {
  Race race = windwardRace();
  // Crosses the parallel of the line 0.5' west of its first end, then sails
  // through the line's middle on the way back.
  race.boats.push_back(track({{-100, -0.1, -0.5}, {1000, 1.0, 0.1}, {2100, -0.1, 0.1}}));
  const CourseResults r = FindRoundings(race);
  EXPECT_EQ(r.PassTime[0][0], kNotPassed);
}

TEST(FindRoundings, NorthSouthLineIsToldByLongitude) {
  Race race;
  race.TimeAxisEnd = 4000;
  race.lines.push_back(lineOf(at(0, 0), at(0.2, 0)));
  race.lines.push_back(lineOf(at(0, 1), at(0.2, 1)));
  race.Course = {QStringLiteral("L1"), QStringLiteral("L2")};
  // East through the middle of both lines; a second boat passes north of
  // line 1's upper end and is not started.
  race.boats.push_back(track({{-95, 0.1, -0.1}, {1005, 0.1, 1.0}, {1500, 0.1, 1.45}}));
  race.boats.push_back(track({{-95, 0.5, -0.1}, {1005, 0.5, 1.0}, {1100, 0.1, 1.1}}));
  const CourseResults r = FindRoundings(race);
  EXPECT_NEAR(r.PassTime[0][0], 5, 1e-6);
  EXPECT_NEAR(r.PassTime[0][1], 1005, 1e-6);
  EXPECT_EQ(r.PassTime[1][0], kNotPassed);
}

TEST(FindRoundings, FinishMarkIsNeverFound) {
  Race race = windwardRace();
  race.marks.push_back(at(-0.1, 0.1));
  race.Course = {QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("MK2")};
  race.boats.push_back(windwardBoat(5));
  race.boats.push_back(windwardBoat(15));
  const CourseResults r = FindRoundings(race);
  EXPECT_EQ(r.PassTime[0][2], kNotPassed);
  EXPECT_EQ(r.PointLeader[2], 0);
  EXPECT_EQ(r.PointBestTime[2], kNoBestTime);
  EXPECT_EQ(r.FinishRank, (std::vector<int>{1, 1}));
  EXPECT_FALSE(r.FinishLine.has_value());

  Race trimmed = race;
  TrimTracks(trimmed, r);
  EXPECT_EQ(trimmed.boats[0].FixCount(), race.boats[0].FixCount());
}

TEST(FindRoundings, EqualFinishSecondsShareARankAndTheNextIsSkipped) {
  Race race = windwardRace();
  race.boats.push_back(windwardBoat(25));
  race.boats.push_back(windwardBoat(5));
  race.boats.push_back(windwardBoat(5));
  race.boats.push_back(windwardBoat(15));
  // A fifth boat never starts or finishes.
  race.boats.push_back(track({{-100, -0.5, 0.1}, {2000, -0.6, 0.1}}));
  const CourseResults r = FindRoundings(race);
  EXPECT_EQ(r.FinishRank, (std::vector<int>{4, 1, 1, 3, 5}));
  // On equal times the lower boat number leads.
  EXPECT_EQ(r.PointLeader[2], 2);
  EXPECT_NEAR(r.PointBestTime[2], 2005, 1e-6);
}

TEST(FindRoundings, MarkUsedOnTwoLegsIsMatchedInCourseOrder) {
  Race race = windwardRace();
  race.marks.push_back(at(0.3, 0.1));  // leeward mark
  race.lines.push_back(lineOf(at(1.2, 0), at(1.2, 0.2)));
  race.Course = {QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("MK1"),
                 QStringLiteral("L2")};
  // The first rounding passes 0.1' off the mark and the second right over it:
  // the first search ends once the boat has moved away.
  race.boats.push_back(
      track({{-100, -0.1, 0.1}, {1000, 1.0, 0.2}, {1700, 0.3, 0.1}, {2400, 1.0, 0.1}, {2600, 1.4, 0.1}}));
  const CourseResults r = FindRoundings(race);
  // Closest just after the turn at 1000 s, far from the second rounding.
  EXPECT_GE(r.PassTime[0][1], 1000);
  EXPECT_LE(r.PassTime[0][1], 1050);
  EXPECT_EQ(r.PassTime[0][2], 1700);
  EXPECT_EQ(r.PassTime[0][3], 2400);
  EXPECT_NEAR(r.PassTime[0][4], 2500, 1e-6);
}

// A missed item does not send the search back before the last item passed:
// mark 3, which the boat also sailed past before the start, is passed on the
// way back from mark 1.
TEST(FindRoundings, SearchAfterAMissedItemGoesOnFromTheLastPassing) {
  Race race = windwardRace();
  race.marks.push_back(at(5.0, 5.0));   // mark 2: never approached
  race.marks.push_back(at(-0.1, 0.1));  // mark 3: passed before the start and after mark 1
  race.lines.push_back(lineOf(at(-0.2, 0), at(-0.2, 0.2)));
  race.Course = {QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("MK3"),
                 QStringLiteral("L2")};
  race.boats.push_back(windwardBoat(5));
  race.boats[0].fixes.push_back({2150, kLat - 0.15, kLon + 0.1});
  race.boats[0].fixes.push_back({2200, kLat - 0.18, kLon + 0.1});
  race.boats[0].fixes.push_back({2250, kLat - 0.3, kLon + 0.1});
  const CourseResults r = FindRoundings(race);
  EXPECT_EQ(r.PassTime[0][2], kNotPassed);
  EXPECT_GT(r.PassTime[0][3], r.PassTime[0][1]);
  EXPECT_TRUE(isPassed(r.PassTime[0][3]));
  EXPECT_TRUE(r.finished(0));
}

TEST(FindRoundings, CourseOfFifteenItemsIsAnalysedInFull) {
  Race race;
  race.TimeAxisEnd = 20000;
  race.lines.push_back(lineOf(at(0, 0), at(0, 0.2)));
  race.Course.append(QStringLiteral("L1"));
  std::vector<Waypoint> waypoints = {{-100, -0.1, 0.1}};
  for (int m = 1; m <= 13; ++m) {
    const GeoPoint mark = at(m % 2 ? 1.0 : 0.3, 0.1 + m * 0.5);
    race.marks.push_back(mark);
    race.Course.append(QStringLiteral("MK%1").arg(m));
    waypoints.push_back({m * 1000.0, mark.lat - kLat, mark.lon - kLon});
  }
  race.lines.push_back(lineOf(at(0, 7.5), at(0, 7.7)));
  race.Course.append(QStringLiteral("L2"));
  waypoints.push_back({14000, -0.1, 7.6});
  race.boats.push_back(track(waypoints));
  CourseResults r = FindRoundings(race);
  ASSERT_EQ(r.itemCount, 15);
  for (int k = 1; k <= 13; ++k) {
    EXPECT_EQ(r.PassTime[0][k], k * 1000.0) << k;
  }
  EXPECT_TRUE(r.finished(0));
  ComputeSailedDistances(race, r, 0.8);
  ComputeLegs(race, r, 0.8);
  ASSERT_EQ(r.LegSailedDistance[0].size(), 15u);
  for (double metres : r.LegSailedDistance[0]) {
    EXPECT_GT(metres, 0);
  }
  EXPECT_EQ(r.LegLength.size(), 15u);
  EXPECT_EQ(r.LegBearing.size(), 14u);
}

TEST(FindRoundings, EmptyCourseLeavesEveryBoatUnranked) {
  Race race;
  race.boats.push_back(windwardBoat(5));
  const CourseResults r = FindRoundings(race);
  EXPECT_EQ(r.itemCount, 0);
  EXPECT_EQ(r.FinishRank, (std::vector<int>{1}));
  EXPECT_FALSE(r.finished(0));
  EXPECT_TRUE(BuildResultLabels(race, r).empty());
}

TEST(FindRoundings, ItemNamingNoMarkOfTheRaceIsNeverPassed) {
  Race race = windwardRace();
  race.Course = {QStringLiteral("L1"), QStringLiteral("MK7"), QStringLiteral("L9"), QStringLiteral("L1")};
  race.boats.push_back(windwardBoat(5));
  CourseResults r = FindRoundings(race);
  EXPECT_EQ(r.PassTime[0][1], kNotPassed);
  EXPECT_EQ(r.PassTime[0][2], kNotPassed);
  EXPECT_TRUE(r.finished(0));
  ComputeLegs(race, r, 0.8);
  EXPECT_FALSE(r.CoursePoint[1].has_value());
  EXPECT_EQ(r.LegLength[0], 0);
  EXPECT_EQ(r.LegLength[3], 0);
}

CourseResults finishedAt(const std::vector<double>& finishes) {
  CourseResults r;
  r.itemCount = 2;
  for (double f : finishes) {
    r.PassTime.push_back({0, f});
  }
  return r;
}

TEST(TrimTracks, TracksEndOneMinuteAfterTheFinish) {
  Race race;
  race.boats.push_back(track({{0, 0, 0}, {3000, 1, 0}}));
  race.boats.push_back(track({{0, 0, 0}, {3000, 1, 0}}));
  TrimTracks(race, finishedAt({1505, kNotPassed}));
  EXPECT_EQ(race.boats[0].fixes.back().time, 1560);
  EXPECT_EQ(race.boats[1].fixes.back().time, 3000);
}

TEST(TrimTracks, FinishInsideALoggingGapKeepsTheFixAfterIt) {
  Race race;
  Boat boat;
  boat.fixes = {{1300, 0, 0}, {1480, 0, 0}, {1700, 0, 0}, {1900, 0, 0}};
  race.boats.push_back(boat);
  TrimTracks(race, finishedAt({1500}));
  ASSERT_EQ(race.boats[0].FixCount(), 3);
  EXPECT_EQ(race.boats[0].fixes.back().time, 1700);
}

TEST(TrimTracks, CourseOfOneItemIsNotTrimmed) {
  Race race;
  race.boats.push_back(track({{0, 0, 0}, {3000, 1, 0}}));
  CourseResults r;
  r.itemCount = 1;
  r.PassTime = {{100}};
  TrimTracks(race, r);
  EXPECT_EQ(race.boats[0].fixes.back().time, 3000);
}

TEST(BuildResultLabels, RankNameAndSecondsBehindTheWinner) {
  Race race = windwardRace();
  race.boats.push_back(windwardBoat(40, QStringLiteral("Bravo %1")));
  race.boats.push_back(windwardBoat(5, QStringLiteral("Alpha")));
  race.boats.push_back(track({{-100, -0.5, 0.1}, {2000, -0.6, 0.1}}, QStringLiteral("Charlie")));
  const std::vector<ResultLabel> labels = BuildResultLabels(race, FindRoundings(race));
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[0].text, QStringLiteral(" 2  Bravo %1  (+35sec)"));
  EXPECT_EQ(labels[0].top, 20);
  EXPECT_EQ(labels[1].text, QStringLiteral(" 1  Alpha  (+0sec)"));
  EXPECT_EQ(labels[1].top, 5);
  EXPECT_EQ(labels[2].top, 35);

  race.lines.clear();
  race.Course = {QStringLiteral("MK1")};
  EXPECT_TRUE(BuildResultLabels(race, FindRoundings(race)).empty());
}

TEST(SailedMetres, SumsThePartialAndWholeStepsBetweenTwoTimes) {
  Boat boat;
  // North 0.01', then east 0.01', 10 seconds each.
  boat.fixes = {{0, 0, 0}, {10, 0.01, 0}, {20, 0.01, 0.01}, {30, 0.01, 0.01}};
  const double north = 0.01 * 1852;
  const double east = 0.01 * 1852 * 0.5;
  EXPECT_NEAR(sailedMetres(boat, 5, 15, 0.5), north / 2 + east / 2, 1e-9);
  EXPECT_NEAR(sailedMetres(boat, 2, 8, 0.5), north * 0.6, 1e-9);
  EXPECT_NEAR(sailedMetres(boat, 0, 30, 0.5), north + east, 1e-9);
  // Before the first fix the path starts at it; after the last it ends there.
  EXPECT_NEAR(sailedMetres(boat, -100, 15, 0.5), north + east / 2, 1e-9);
  EXPECT_NEAR(sailedMetres(boat, 15, 100, 0.5), east / 2, 1e-9);
  EXPECT_EQ(sailedMetres(boat, 15, 15, 0.5), 0);
  EXPECT_EQ(sailedMetres(boat, 15, 5, 0.5), 0);
}

TEST(ComputeSailedDistances, LegsAreMeasuredFromTheStartSignalBetweenPassTimes) {
  Race race = windwardRace();
  race.lines.push_back(lineOf(at(1.5, 0), at(1.5, 0.2)));
  race.Course = {QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("L2")};
  // Straight north at 0.001' a second: start at 0, mark at 1000, finish at 1500.
  race.boats.push_back(track({{-100, -0.1, 0.1}, {1600, 1.6, 0.1}}));
  // Starts logging at 200 s, after the start signal, and never crosses the start line.
  race.boats.push_back(track({{200, 0.2, 0.1}, {1600, 1.6, 0.1}}));
  // Never finishes.
  race.boats.push_back(track({{-100, -0.1, 0.1}, {1400, 1.4, 0.1}}));
  CourseResults r = FindRoundings(race);
  TrimTracks(race, r);
  ComputeSailedDistances(race, r, 0.8);
  const double minute = 1852;
  EXPECT_NEAR(r.LegSailedDistance[0][0], 1.0 * minute, 1e-6);
  EXPECT_NEAR(r.LegSailedDistance[0][1], 0.5 * minute, 1e-6);
  EXPECT_NEAR(r.LegSailedDistance[0][2], 1.5 * minute, 1e-6);
  EXPECT_EQ(r.PassTime[1][0], kNotPassed);
  EXPECT_NEAR(r.LegSailedDistance[1][0], 0.8 * minute, 1e-6);
  EXPECT_NEAR(r.LegSailedDistance[1][2], 1.3 * minute, 1e-6);
  EXPECT_EQ(r.LegSailedDistance[2], (std::vector<double>{0, 0, 0}));
}

TEST(ComputeLegs, LegsRunFromTheFirstEndOfALineToTheMiddleOfTheNext) {
  Race race;
  race.lines.push_back(lineOf(at(0, 0), at(0, 0.2)));
  race.lines.push_back(lineOf(at(0, -0.2), at(0, 0.2)));
  race.marks.push_back(at(1.0, 0));
  race.Course = {QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("L2")};
  CourseResults r = FindRoundings(race);
  ComputeLegs(race, r, 0.8);
  ASSERT_EQ(r.LegBearing.size(), 2u);
  EXPECT_NEAR(r.LegBearing[0], 0, 1e-9);
  EXPECT_NEAR(r.LegBearing[1], 180, 1e-9);
  EXPECT_NEAR(r.LegLength[0], 1852, 1e-6);
  EXPECT_NEAR(r.LegLength[1], 1852, 1e-6);
  EXPECT_NEAR(r.LegLength[2], 3704, 1e-6);
  EXPECT_EQ(r.LegSail, (std::vector<PointOfSail>{PointOfSail::Upwind, PointOfSail::Downwind}));
  ASSERT_EQ(r.CoursePoint.size(), 3u);
  const GeoPoint expected[] = {at(0, 0.1), at(1.0, 0), at(0, 0)};
  for (int k = 0; k < 3; ++k) {
    ASSERT_TRUE(r.CoursePoint[k].has_value());
    EXPECT_NEAR(r.CoursePoint[k]->lat, expected[k].lat, 1e-9);
    EXPECT_NEAR(r.CoursePoint[k]->lon, expected[k].lon, 1e-9);
  }
}

TEST(ComputeLegs, PointOfSailComparesTheTrueBearingWithTheTrueWindAxis) {
  struct Case {
    int windAxis;
    PointOfSail north;  // leg bearing 0
    PointOfSail east;   // leg bearing 90
  };
  const Case cases[] = {
      {0, PointOfSail::Upwind, PointOfSail::Reach},     {44, PointOfSail::Upwind, PointOfSail::Reach},
      {45, PointOfSail::Reach, PointOfSail::Reach},     {46, PointOfSail::Reach, PointOfSail::Upwind},
      {91, PointOfSail::Reach, PointOfSail::Upwind},    {135, PointOfSail::Reach, PointOfSail::Reach},
      {136, PointOfSail::Downwind, PointOfSail::Reach}, {180, PointOfSail::Downwind, PointOfSail::Reach},
      {225, PointOfSail::Reach, PointOfSail::Reach},    {226, PointOfSail::Reach, PointOfSail::Downwind},
      {270, PointOfSail::Reach, PointOfSail::Downwind}, {315, PointOfSail::Reach, PointOfSail::Reach},
      {316, PointOfSail::Upwind, PointOfSail::Reach},
  };
  Race race;
  race.marks = {at(0, 0), at(1, 0), at(1, 1)};
  race.Course = {QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("MK3")};
  // The magnetic variation turns the bearings shown, not the point of sail.
  race.MagVariation = -7;
  for (const Case& c : cases) {
    race.WindAxis = c.windAxis;
    CourseResults r;
    ComputeLegs(race, r, 1.0);
    EXPECT_EQ(r.LegSail[0], c.north) << c.windAxis;
    EXPECT_EQ(r.LegSail[1], c.east) << c.windAxis;
  }
}

}  // namespace
}  // namespace velaro
