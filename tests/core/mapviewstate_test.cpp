// The whole-race view: reading pixels back to positions, the click zoom and
// its ends, the overview click, Shift and the base point, and where each boat
// stands at a time.
#include "core/scene/mapviewstate.h"

#include "core/scene/scenestate.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

constexpr double kLat = 2100;  // 35 N
constexpr double kLon = 8340;  // 139 E
const QSize kMap(800, 600);

MapGeometry geometryOf(double dLat, double dLon) {
  Race race;
  race.TimeAxisStart = -100;
  race.TimeAxisEnd = 100;
  Boat boat;
  boat.fixes = {{0, kLat, kLon, 0, 0}, {10, kLat + dLat, kLon + dLon, 0, 0}};
  race.boats.push_back(boat);
  return SetsMap(race, kMap);
}

TEST(ProjectionInverse, PixelsReadBackToThePositionInBothOrientations) {
  const MapGeometry g = geometryOf(1, 1.5);
  for (const Orientation o : {Orientation{1, 230}, Orientation{0, 230}, Orientation{0, 0}}) {
    const Projection p = WholeRaceProjection(g, o, {kLat + 0.3, kLon + 0.2}, 2.25, kMap);
    for (const GeoPoint at : {GeoPoint{kLat + 0.5, kLon + 0.1}, GeoPoint{kLat - 0.2, kLon + 1.4}}) {
      const GeoPoint back = p.toGeo(p.toPointF(at));
      EXPECT_NEAR(back.lat, at.lat, 1e-9) << o.NorthUp;
      EXPECT_NEAR(back.lon, at.lon, 1e-9) << o.NorthUp;
    }
    // The middle of the map is the centre whatever the turn.
    const GeoPoint mid = p.toGeo(QPointF(400, 300));
    EXPECT_NEAR(mid.lat, kLat + 0.3, 1e-12);
    EXPECT_NEAR(mid.lon, kLon + 0.2, 1e-12);
  }
}

TEST(WholeRaceClick, LeftClicksZoomInAboutEachClickRightClicksZoomOut) {
  const MapGeometry g = geometryOf(1, 1.5);
  const Orientation windUp{0, 200};
  MapViewState v;
  v.enterWholeRace(g);
  EXPECT_EQ(v.WholeRaceZoom, 1);
  EXPECT_EQ(v.WholeRaceCentre, g.RaceExtent.centre());

  for (const QPoint at : {QPoint(100, 80), QPoint(620, 500), QPoint(400, 299)}) {
    const GeoPoint clicked = v.wholeRaceProjection(g, windUp, kMap).toGeo(QPointF(at));
    EXPECT_EQ(v.click({at, true, false, true, true}, g, windUp, kMap), MapClickAction::Redraw);
    EXPECT_NEAR(v.WholeRaceCentre.lat, clicked.lat, 1e-12);
    EXPECT_NEAR(v.WholeRaceCentre.lon, clicked.lon, 1e-12);
    // The clicked point is now the middle of the map.
    const QPointF mid = v.wholeRaceProjection(g, windUp, kMap).toPointF(clicked);
    EXPECT_NEAR(mid.x(), 400, 1e-6);
    EXPECT_NEAR(mid.y(), 300, 1e-6);
  }
  EXPECT_DOUBLE_EQ(v.WholeRaceZoom, 3.375);

  v.click({QPoint(400, 300), false, false, true, true}, g, windUp, kMap);
  EXPECT_DOUBLE_EQ(v.WholeRaceZoom, 2.25);

  // Unchecking Auto Trace again starts afresh.
  v.enterLive();
  v.enterWholeRace(g);
  EXPECT_EQ(v.WholeRaceZoom, 1);
  EXPECT_EQ(v.WholeRaceCentre, g.RaceExtent.centre());
}

TEST(WholeRaceClick, ShiftSetsTheBasePointLiveClicksOnlyToggleTheWindGraph) {
  const MapGeometry g = geometryOf(1, 1.5);
  const Orientation northUp{1, 0};
  MapViewState v;

  // Live scene: the wind graph only with wind data on the Track page.
  EXPECT_EQ(v.click({QPoint(10, 10), true, false, true, true}, g, northUp, kMap),
            MapClickAction::ToggleWindGraph);
  EXPECT_EQ(v.click({QPoint(10, 10), true, false, true, false}, g, northUp, kMap), MapClickAction::None);
  EXPECT_EQ(v.click({QPoint(10, 10), true, false, false, true}, g, northUp, kMap), MapClickAction::None);
  EXPECT_EQ(v.WholeRaceZoom, 1);

  v.enterWholeRace(g);
  const GeoPoint centre = v.WholeRaceCentre;
  EXPECT_EQ(v.click({QPoint(200, 150), true, false, false, true}, g, northUp, kMap), MapClickAction::None);
  EXPECT_FALSE(v.basePointSet());
  EXPECT_EQ(v.click({QPoint(200, 150), true, true, true, true}, g, northUp, kMap),
            MapClickAction::BasePointSet);
  EXPECT_EQ(v.WholeRaceCentre, centre);
  EXPECT_EQ(v.WholeRaceZoom, 1);
  EXPECT_TRUE(v.basePointSet());
  EXPECT_EQ(v.BasePointXY, QPoint(200, 150));
  // Up and left of the middle: north-west of the centre.
  EXPECT_GT(v.BasePoint.lat, centre.lat);
  EXPECT_LT(v.BasePoint.lon, centre.lon);
}

TEST(WholeRaceClick, EndlessClicksStayFiniteBothWays) {
  const MapGeometry g = geometryOf(1, 1.5);
  const Orientation windUp{0, 45};
  MapViewState v;
  v.enterWholeRace(g);
  for (int k = 0; k < 3000; ++k) {
    v.click({QPoint(401, 299), true, false, true, false}, g, windUp, kMap);
  }
  EXPECT_EQ(v.WholeRaceZoom, kMaxWholeRaceZoom);
  EXPECT_TRUE(std::isfinite(v.WholeRaceCentre.lat) && std::isfinite(v.WholeRaceCentre.lon));
  for (int k = 0; k < 6000; ++k) {
    v.click({QPoint(0, 0), false, false, true, false}, g, windUp, kMap);
  }
  EXPECT_EQ(v.WholeRaceZoom, kMinWholeRaceZoom);
  // The whole race is one pixel.
  const Projection p = v.wholeRaceProjection(g, windUp, kMap);
  EXPECT_EQ(p.toPixel(g.RaceExtent.centre()), p.toPixel({g.RaceExtent.MaxLat, g.RaceExtent.MaxLon}));
}

TEST(OverviewClick, MovesTheCentreKeepsTheZoomOnlyInTheWholeRaceView) {
  const MapGeometry g = geometryOf(1, 1.5);
  const Orientation windUp{0, 90};
  MapViewState v;
  EXPECT_FALSE(v.overviewClick(QPoint(10, 10), true, g, windUp));
  v.enterWholeRace(g);
  v.WholeRaceZoom = 2.25;
  EXPECT_FALSE(v.overviewClick(QPoint(10, 10), false, g, windUp));
  EXPECT_EQ(v.WholeRaceCentre, g.RaceExtent.centre());
  // Wind from the east is up: a click above the overview's middle is east
  // of the race centre.
  EXPECT_TRUE(v.overviewClick(QPoint(85, 85 - 17), true, g, windUp));
  EXPECT_NEAR(v.WholeRaceCentre.lat, g.CentreLat, 1e-9);
  EXPECT_NEAR(v.WholeRaceCentre.lon, g.CentreLon + 17 / g.OverviewLonScale, 1e-9);
  EXPECT_EQ(v.WholeRaceZoom, 2.25);
}

TEST(MeasuringKeys, AnyKeyReleaseDropsTheBasePointOtherKeysEndShift) {
  MapViewState v;
  EXPECT_FALSE(v.basePointSet());
  v.keyDown(true);
  v.BasePoint = {kLat, kLon};
  EXPECT_TRUE(v.ShiftDown);
  EXPECT_TRUE(v.basePointSet());
  v.keyDown(false);  // another key while Shift is held
  EXPECT_FALSE(v.ShiftDown);
  EXPECT_TRUE(v.basePointSet());
  v.keyUp();
  EXPECT_FALSE(v.ShiftDown);
  EXPECT_FALSE(v.basePointSet());
  EXPECT_EQ(v.BasePoint, (GeoPoint{kNoBasePointLat, kNoBasePointLon}));
  // A latitude south of 90 degrees or exactly 0 is no base point.
  v.BasePoint = {-5400, 10};
  EXPECT_FALSE(v.basePointSet());
  v.BasePoint = {0, 10};
  EXPECT_FALSE(v.basePointSet());
  v.BasePoint = {-5399, 10};
  EXPECT_TRUE(v.basePointSet());
}

TEST(WholeRaceBoatsAt, BetweenTwoFixesNotAtTheLastAndNoGapRule) {
  Race race;
  Boat boat;
  boat.fixes = {
      {0, kLat, kLon, 4, 10}, {10, kLat + 0.01, kLon, 5, 90}, {900, kLat + 0.02, kLon + 0.02, 6, 180}};
  race.boats.push_back(boat);
  SceneCursor cursor;

  const WholeRaceBoat mid = WholeRaceBoats(race, 5, 30, cursor)[0];
  EXPECT_TRUE(mid.shown);
  EXPECT_DOUBLE_EQ(mid.BoatLat, kLat + 0.005);
  EXPECT_EQ(mid.BoatCourse, 10);  // no turn after a fix
  EXPECT_EQ(mid.BoatSpeed, 4);
  EXPECT_EQ(mid.BoatWindAngle, 20);

  // 890 seconds between the last two fixes: the live scene hides the boat,
  // this view shows it; at the last fix it is gone.
  const WholeRaceBoat inGap = WholeRaceBoats(race, 899.5, 0, cursor)[0];
  EXPECT_TRUE(inGap.shown);
  EXPECT_EQ(inGap.BoatCourse, 90);
  EXPECT_EQ(inGap.BoatWindAngle, -90);
  EXPECT_FALSE(WholeRaceBoats(race, 900, 0, cursor)[0].shown);
  EXPECT_FALSE(WholeRaceBoats(race, -1, 0, cursor)[0].shown);
  EXPECT_TRUE(WholeRaceBoats(race, 0, 0, cursor)[0].shown);
}

TEST(RangeAndBearingOf, FlatEarthRangeAndMagneticBearing) {
  const GeoPoint base{kLat, kLon};
  const RangeBearing south = RangeAndBearing(base, {kLat - 1, kLon}, 0.8, 7);
  EXPECT_DOUBLE_EQ(south.RangeMetres, 1852);
  EXPECT_DOUBLE_EQ(south.BearingMag, 173);
  // East over the centre latitude's metres; west variation past north wraps.
  const RangeBearing east = RangeAndBearing(base, {kLat, kLon + 1}, 0.8, -275);
  EXPECT_NEAR(east.RangeMetres, 1852 * 0.8, 1e-9);
  EXPECT_DOUBLE_EQ(east.BearingMag, 5);
  const RangeBearing north = RangeAndBearing(base, {kLat + 1, kLon}, 0.8, 10);
  EXPECT_DOUBLE_EQ(north.BearingMag, 350);
  EXPECT_EQ(RangeAndBearing(base, base, 0.8, 0).RangeMetres, 0);
}

}  // namespace
}  // namespace velaro
