#include "core/analysis/mapgeometry.h"

#include "core/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace velaro {
namespace {

constexpr double kLat35 = 35 * 60;
constexpr double kLon135 = 135 * 60;

Race raceOn(QDate date, int timeDifference = 9) {
  Race race;
  race.RaceStart = toDateTime(date, QTime(10, 0));
  race.RaceFinish = race.RaceStart + 1.0 / 24;
  race.TimeDifference = timeDifference;
  race.TimeAxisStart = -190;
  race.TimeAxisEnd = 3630;
  return race;
}

void addBoat(Race& race, std::initializer_list<Fix> fixes) {
  Boat boat;
  boat.fixes = fixes;
  race.boats.push_back(boat);
}

double cosDeg(double deg) {
  return std::cos(deg * std::numbers::pi / 180);
}

TEST(SetsMap, OnlyFixesOnTheTimeAxisWidenTheExtent) {
  Race race = raceOn(QDate(2025, 6, 21));
  addBoat(race, {{-5000, kLat35 + 30, kLon135 - 40},  // sailing out from harbour
                 {-191, kLat35 + 5, kLon135 + 5},
                 {-190, kLat35 + 1, kLon135},  // the first second of the axis counts
                 {100, kLat35, kLon135 + 2},
                 {3630, kLat35 - 0.5, kLon135 + 1},
                 {3631, kLat35 - 9, kLon135 + 9}});
  addBoat(race, {{500, kLat35 + 0.5, kLon135 - 1}});
  const MapGeometry g = SetsMap(race, QSize(800, 600));
  EXPECT_EQ(g.RaceExtent, (GeoBox{kLat35 + 1, kLat35 - 0.5, kLon135 + 2, kLon135 - 1}));
  EXPECT_DOUBLE_EQ(g.CentreLat, kLat35 + 0.25);
  EXPECT_DOUBLE_EQ(g.CentreLon, kLon135 + 0.5);
  EXPECT_NEAR(g.CosCentreLat, cosDeg(35 + 0.25 / 60), 1e-12);
  EXPECT_DOUBLE_EQ(g.MetresPerLatMinute, 1852);
  EXPECT_DOUBLE_EQ(g.MetresPerLonMinute, 1852 * g.CosCentreLat);
}

// The race area is square in metres whichever way the course is elongated,
// and the scales fit it into the overview and the map's shorter side.
TEST(SetsMap, SpansAreSquareInMetres) {
  struct Case {
    const char* name;
    double dLat, dLon;
    bool lonDecides;
  };
  for (const Case& c : {Case{"east-west", 1, 4, true}, Case{"north-south", 4, 1, false},
                        Case{"equal minutes", 2, 2, false}}) {
    Race race = raceOn(QDate(2025, 6, 21));
    addBoat(race, {{0, kLat35, kLon135}, {10, kLat35 + c.dLat, kLon135 + c.dLon}});
    const MapGeometry g = SetsMap(race, QSize(1000, 700));
    EXPECT_NEAR(g.SpanLat, g.SpanLon * g.CosCentreLat, 1e-9) << c.name;
    if (c.lonDecides) {
      EXPECT_DOUBLE_EQ(g.SpanLon, c.dLon * 1.2) << c.name;
    } else {
      EXPECT_DOUBLE_EQ(g.SpanLat, c.dLat * 1.2) << c.name;
    }
    EXPECT_DOUBLE_EQ(g.OverviewLatScale, 170 / g.SpanLat) << c.name;
    EXPECT_DOUBLE_EQ(g.OverviewLonScale, 170 / g.SpanLon) << c.name;
    EXPECT_DOUBLE_EQ(g.WholeRaceScaleLat, 700 / g.SpanLat) << c.name;
    EXPECT_DOUBLE_EQ(g.WholeRaceScaleLon, 700 / g.SpanLon) << c.name;
  }
}

TEST(SetsMap, DegenerateRacesStillGetFiniteScales) {
  // One boat at anchor: a single point gives a small area rather than a
  // division by zero.
  Race anchored = raceOn(QDate(2025, 6, 21));
  addBoat(anchored, {{0, kLat35, kLon135}, {60, kLat35, kLon135}});
  const MapGeometry a = SetsMap(anchored, QSize(800, 600));
  EXPECT_GT(a.SpanLat, 0);
  EXPECT_TRUE(std::isfinite(a.OverviewLatScale));
  EXPECT_TRUE(std::isfinite(a.OverviewLonScale));
  EXPECT_DOUBLE_EQ(a.CentreLat, kLat35);

  // No fix on the time axis: the whole tracks are the area.
  Race early = raceOn(QDate(2025, 6, 21));
  addBoat(early, {{-4000, kLat35, kLon135}, {-3000, kLat35 + 1, kLon135 + 1}});
  const MapGeometry e = SetsMap(early, QSize(800, 600));
  EXPECT_EQ(e.RaceExtent, (GeoBox{kLat35 + 1, kLat35, kLon135 + 1, kLon135}));
  EXPECT_GT(e.SpanLat, 0);
  EXPECT_GT(e.SpanLon, 0);

  // No fix at all: the course marks and lines are the area.
  Race empty = raceOn(QDate(2025, 6, 21));
  empty.marks = {{kLat35, kLon135}};
  empty.lines = {{{kLat35 + 0.2, kLon135 - 0.1}, {kLat35 + 0.2, kLon135 + 0.3}}};
  const MapGeometry m = SetsMap(empty, QSize(800, 600));
  EXPECT_EQ(m.RaceExtent, (GeoBox{kLat35 + 0.2, kLat35, kLon135 + 0.3, kLon135 - 0.1}));
}

// Sunrise and sunset in local clock time; the race file's time difference
// names the zone's meridian.
TEST(SetsMap, DayLightTimes) {
  struct Case {
    const char* name;
    QDate date;
    int timeDifference;
    double lon;
    double sunrise, sunset;
  };
  const Case cases[] = {
      {"midsummer at 135 E", QDate(2025, 6, 21), 9, kLon135, 17104, 69296},
      {"midsummer at 135 E, no time difference", QDate(2025, 6, 21), 0, kLon135, 17104, 69296},
      // 2 degrees further east the sun rises 8 minutes earlier.
      {"midsummer at 137 E", QDate(2025, 6, 21), 9, kLon135 + 120, 17104 - 480, 69296 - 480},
      // Valencia in summer time: the zone meridian is 30 E, the race at 0.3 W.
      {"midsummer at Valencia", QDate(2025, 6, 21), 2, -18, 17104 + 1818 * 4, 69296 + 1818 * 4},
      {"spring equinox at 135 E", QDate(2025, 3, 24), 9, kLon135, 21600, 64800},
  };
  for (const Case& c : cases) {
    Race race = raceOn(c.date, c.timeDifference);
    addBoat(race, {{0, kLat35, c.lon}, {10, kLat35, c.lon}});
    const MapGeometry g = SetsMap(race, QSize(800, 600));
    EXPECT_NEAR(g.SunriseSecond, c.sunrise, 1) << c.name;
    EXPECT_NEAR(g.SunsetSecond, c.sunset, 1) << c.name;
    EXPECT_EQ(g.StartSecondOfDay, 36000) << c.name;
  }
}

TEST(Rotate, NorthUpIgnoresTheAngle) {
  for (double angle : {0.0, 1.0, -std::numbers::pi / 2, 3.0}) {
    EXPECT_EQ(Rotate(angle, 10, -4, true), QPointF(10, -4)) << angle;
  }
}

TEST(Rotate, WindUpTurnsTheWindDirectionToTheTop) {
  // Wind from 90 degrees: a point due east of the centre is drawn above it.
  const Orientation windFromEast{0, 90};
  const QPointF p = Rotate(windFromEast.angle(), 10, 0, windFromEast.isNorthUp());
  EXPECT_NEAR(p.x(), 0, 1e-12);
  EXPECT_NEAR(p.y(), -10, 1e-12);
  // Wind from 270: north turns to the right.
  const Orientation windFromWest{0, 270};
  const QPointF q = Rotate(windFromWest.angle(), 0, -10, false);
  EXPECT_NEAR(q.x(), 10, 1e-12);
  EXPECT_NEAR(q.y(), 0, 1e-12);
}

TEST(Bearing, CompassBearingOfNorthAndEast) {
  struct Case {
    double north, east, bearing;
  };
  const Case cases[] = {{0, 0, 0},    {-1, 0, 180}, {1, -1, 315}, {1, 0, 0},    {0, 1, 90},
                        {0, -1, 270}, {1, 1, 45},   {-1, 1, 135}, {-1, -1, 225}};
  for (const Case& c : cases) {
    EXPECT_NEAR(Bearing(c.north, c.east), c.bearing, 1e-12) << c.north << ", " << c.east;
  }
  // Just west of north stays below 360.
  const double b = Bearing(1, -1e-300);
  EXPECT_GE(b, 0);
  EXPECT_LT(b, 360);
}

TEST(Projection, CentreScalesOrientationAndRounding) {
  const Projection north({kLat35, kLon135}, 100, 80, QSize(170, 170), Orientation{1, 90});
  EXPECT_EQ(north.toPixel({kLat35, kLon135}), QPoint(85, 85));
  EXPECT_EQ(north.toPixel({kLat35 + 0.1, kLon135 + 0.25}), QPoint(105, 75));
  // Halves round to even: 85 + 0.5 -> 86, 85 - 0.5 -> 84, 85 + 1.5 -> 86.
  const Projection halves({0, 0}, 2, 2, QSize(170, 170), Orientation{1, 0});
  EXPECT_EQ(halves.toPixel({0, 0.25}).x(), 86);
  EXPECT_EQ(halves.toPixel({0, -0.25}).x(), 84);
  EXPECT_EQ(halves.toPixel({0, 0.75}).x(), 86);
  EXPECT_EQ(halves.toPixel({-0.25, 0}).y(), 86);

  const Projection windUp({kLat35, kLon135}, 100, 80, QSize(171, 101), Orientation{0, 90});
  // East of the centre is straight up with the wind from the east.
  EXPECT_EQ(windUp.toPixel({kLat35, kLon135 + 0.25}), QPoint(86, 30));  // 85.5 -> 86, 50.5 - 20
  const QPointF f = windUp.toPointF({kLat35, kLon135 + 0.25});
  EXPECT_NEAR(f.x(), 85.5, 1e-9);
  EXPECT_NEAR(f.y(), 30.5, 1e-9);
}

TEST(Projection, TheThreeMapsDifferInCentreAndScale) {
  Race race = raceOn(QDate(2025, 6, 21));
  addBoat(race, {{0, kLat35, kLon135}, {10, kLat35 + 1, kLon135 + 1}});
  const MapGeometry g = SetsMap(race, QSize(1000, 700));
  const Orientation o{1, 0};

  const Projection overview = OverviewProjection(g, o);
  EXPECT_EQ(overview.surface(), QSize(170, 170));
  EXPECT_EQ(overview.toPixel(g.centre()), QPoint(85, 85));
  // The whole extent fits inside the overview with a margin.
  for (GeoPoint corner : {GeoPoint{kLat35, kLon135}, GeoPoint{kLat35 + 1, kLon135 + 1}}) {
    const QPoint p = overview.toPixel(corner);
    EXPECT_GT(p.x(), 0);
    EXPECT_LT(p.x(), 170);
    EXPECT_GT(p.y(), 0);
    EXPECT_LT(p.y(), 170);
  }

  const GeoPoint elsewhere{kLat35 + 0.8, kLon135 + 0.1};
  const Projection whole = WholeRaceProjection(g, o, elsewhere, 2, QSize(1000, 700));
  EXPECT_EQ(whole.toPixel(elsewhere), QPoint(500, 350));
  EXPECT_DOUBLE_EQ(whole.latScale(), 2 * g.WholeRaceScaleLat);
  EXPECT_DOUBLE_EQ(whole.lonScale(), 2 * g.WholeRaceScaleLon);

  const GeoBox box{kLat35 + 0.3, kLat35 + 0.2, kLon135 + 0.5, kLon135 + 0.4};
  const LiveScale s = ComputeLiveScale(box, g.CosCentreLat, 700, 1);
  const Projection live = LiveProjection(box, s, o, QSize(1000, 700));
  EXPECT_EQ(live.toPixel(box.centre()), QPoint(500, 350));
  EXPECT_DOUBLE_EQ(live.latScale(), s.ScaleLat);
}

TEST(LiveScale, FitsTheBoxIntoTheMapHeight) {
  const double c = cosDeg(35);
  struct Case {
    const char* name;
    GeoBox box;
    double zoom;
    double scaleLat, scaleLon;
  };
  const Case cases[] = {
      // Taller than wide in metres: latitude fills 0.65 of the height.
      {"tall", {0.1, 0, 0.1, 0}, 1, 0.65 * 600 / 0.1, c * 0.65 * 600 / 0.1},
      // Wider: longitude does.
      {"wide", {0.1, 0, 1, 0}, 1, 0.65 * 600 / 1 / c, 0.65 * 600 / 1},
      {"wide zoomed out", {0.1, 0, 1, 0}, 2, 0.65 * 600 / 1 / c / 2, 0.65 * 600 / 1 / 2},
      // An empty or tiny box is widened to 0.04 by 0.05 minutes.
      {"empty", GeoBox::startingFrom(kTraceBoxStart), 1, 0.65 * 600 / 0.05 / c, 0.65 * 600 / 0.05},
      {"one point", {2100, 2100, 8100, 8100}, 1, 0.65 * 600 / 0.05 / c, 0.65 * 600 / 0.05},
  };
  for (const Case& k : cases) {
    const LiveScale s = ComputeLiveScale(k.box, c, 600, k.zoom);
    EXPECT_NEAR(s.ScaleLat, k.scaleLat, 1e-9) << k.name;
    EXPECT_NEAR(s.ScaleLon, k.scaleLon, 1e-9) << k.name;
    EXPECT_NEAR(s.PixelsPerKm, s.ScaleLat / 1.852, 1e-9) << k.name;
  }
}

TEST(ZoomDivisor, FromTheScrollBarPosition) {
  struct Case {
    int position;
    double divisor;
  };
  for (const Case& c : {Case{100, 1}, Case{95, 1}, Case{90, 1}, Case{89, 1.1}, Case{50, 5}, Case{45, 5.5},
                        Case{1, 9.9}, Case{0, 10}}) {
    EXPECT_NEAR(ZoomDivisorFromScrollBar(c.position), c.divisor, 1e-12) << c.position;
  }
}

}  // namespace
}  // namespace velaro
