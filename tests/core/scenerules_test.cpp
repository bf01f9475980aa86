// The numbers the layers of the live scene draw with: wakes, labels, sails,
// hulls, grid, lights, the time counter and the clock.
#include "core/scene/scenerules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

TEST(SceneRules, WakeStepGrowsAsTheMapZoomsOut) {
  EXPECT_EQ(wakeStep(200, 2), 25);
  EXPECT_EQ(wakeStep(6000, 2), 1);
  EXPECT_EQ(wakeStep(100, 1), 100);
  EXPECT_EQ(wakeStep(200, 0), 50);  // a log without an interval counts as 1 s
  EXPECT_EQ(wakeFixes(60, 25), (std::array<int, 4>{60, 35, 10, 0}));
  EXPECT_EQ(wakeFixes(3, 1), (std::array<int, 4>{3, 2, 1, 0}));
}

TEST(SceneRules, RedWakeOnlyAboveTheAverageOfItsPointOfSail) {
  EXPECT_FALSE(isRedWake(9, 30, 10000, 4));  // nobody upwind: every upwind wake white
  EXPECT_TRUE(isRedWake(5, 120, 10000, 4));
  EXPECT_FALSE(isRedWake(4, -90, 3, 4));  // 90 off counts as downwind
  EXPECT_TRUE(isRedWake(4, -89, 3, 4));
}

TEST(SceneRules, SpeedsAndLabels) {
  EXPECT_EQ(knotsText(6.25), QStringLiteral("6.25"));
  EXPECT_EQ(knotsText(6.2), QStringLiteral("6.2"));
  EXPECT_EQ(knotsText(6.0), QStringLiteral("6"));
  EXPECT_EQ(knotsText(6.004), QStringLiteral("6"));
  EXPECT_EQ(knotsText(-0.001), QStringLiteral("0"));
  const QString name = QStringLiteral("Kestrel");
  struct Case {
    int level;
    bool focused;
    const char* text;
  };
  const Case cases[] = {
      {0, true, ""},  {1, true, "Kestrel"}, {2, true, "Kestrel  5.5Kts"}, {3, true, "Kestrel  5.5Kts"},
      {1, false, ""}, {2, false, "Kestrel"}};
  for (const Case& c : cases) {
    EXPECT_EQ(boatLabel(name, 5.5, c.level, c.focused), QString::fromLatin1(c.text)) << c.level << c.focused;
  }
}

TEST(SceneRules, PairDifferenceHasSignAndColourOnlyWhenAhead) {
  const PairSuffix same = pairSuffix(5.2, 5.2);
  EXPECT_EQ(same.text, QStringLiteral(" (0kts)"));
  EXPECT_FALSE(same.faster);
  const PairSuffix ahead = pairSuffix(5.7, 5.2);
  EXPECT_EQ(ahead.text, QStringLiteral(" (+0.5kts)"));
  EXPECT_TRUE(ahead.faster);
  const PairSuffix behind = pairSuffix(5.2, 5.7);
  EXPECT_EQ(behind.text, QStringLiteral(" (-0.5kts)"));
  EXPECT_FALSE(behind.faster);
}

TEST(SceneRules, TwoBoatRangeAndDistanceAlongTheWind) {
  const GeoPoint a{2100, 8340};
  const GeoPoint north{2100 + 1000 / 1852.0, 8340};
  const BoatPair upwind = boatPair(a, north, 0.8, 0, 0);
  EXPECT_NEAR(upwind.RangeMetres, 1000, 1e-6);
  EXPECT_EQ(upwind.alongWindMetres, 1000);
  EXPECT_EQ(upwind.text, QStringLiteral("1000m( 1000m)"));
  // The same pair in an east wind is level: all of the range is across it.
  EXPECT_EQ(boatPair(a, north, 0.8, 0, 90).alongWindMetres, 0);
  // Magnetic bearings are turned back to true before they meet the wind.
  const BoatPair varied = boatPair(a, north, 0.8, -7, 60);
  EXPECT_NEAR(varied.BearingMag, 7, 1e-9);
  EXPECT_EQ(varied.alongWindMetres, 500);
}

TEST(SceneRules, ApparentWindAndSailAngle) {
  EXPECT_NEAR(apparentWindAngle(6, 45), 28.4, 0.05);
  EXPECT_NEAR(sailAngle(6, 45), -165.8, 0.05);
  EXPECT_NEAR(sailAngle(6, -45), 165.8, 0.05);
  // Running dead downwind the boom is out at right angles.
  EXPECT_NEAR(std::fabs(sailAngle(0, 180)), 90, 1e-9);
  // Ten knots straight downwind: no apparent wind; the boom stays abeam.
  EXPECT_DOUBLE_EQ(apparentWindAngle(10, 180), 90);
}

TEST(SceneRules, SailLiesOnTheLeewardSideAft) {
  const QPoint mast(100, 100);
  const Orientation northUp{1, 0};
  // Heading north, wind 45 degrees on the starboard bow: the sail goes aft
  // and to port (left, down on screen).
  const std::array<QPoint, 4> starboard = sailPoints(mast, 40, 0, 6, 45, northUp);
  EXPECT_EQ(starboard[0], mast);
  EXPECT_LT(starboard[3].x(), mast.x());
  EXPECT_GT(starboard[3].y(), mast.y());
  EXPECT_EQ(starboard[3], QPoint(95, 119));
  const std::array<QPoint, 4> port = sailPoints(mast, 40, 0, 6, -45, northUp);
  EXPECT_EQ(port[3], QPoint(105, 119));
  // Wind up with the wind from 90: the same boat heading 90 is drawn upwards.
  const std::array<QPoint, 4> windUp = sailPoints(mast, 40, 90, 6, -45, {0, 90});
  EXPECT_EQ(windUp[3], QPoint(105, 119));
}

TEST(SceneRules, HullOutlineByBoatLengthTurnedAlongTheCourse) {
  const BoatOutline dinghy = boatOutlineFor(2.3);
  const BoatOutline keelboat = boatOutlineFor(3.01);
  EXPECT_EQ(dinghy.HullX[1], 10);
  EXPECT_EQ(dinghy.HullY[1], -50);  // square bow
  EXPECT_EQ(keelboat.HullX[1], 12);
  EXPECT_EQ(keelboat.HullY[1], -10);
  const std::array<QPoint, 9> north = hullPoints(keelboat, 20, {100, 100}, 0);
  EXPECT_EQ(north[0], QPoint(100, 90));
  EXPECT_EQ(north[8], QPoint(100, 97));
  const std::array<QPoint, 9> east = hullPoints(keelboat, 20, {100, 100}, 90);
  EXPECT_EQ(east[0], QPoint(110, 100));
  EXPECT_EQ(east[3], QPoint(90, 102));
  EXPECT_DOUBLE_EQ(screenCourse(10, {0, 200}), 170);
  EXPECT_DOUBLE_EQ(screenCourse(350, {1, 200}), -10);
}

TEST(SceneRules, VanesAndHullPens) {
  const std::array<QPointF, 3> v = vaneOffsets(0, 10, {1, 0});
  EXPECT_NEAR(v[0].x(), 0, 1e-9);
  EXPECT_NEAR(v[0].y(), -10, 1e-9);
  EXPECT_LT(v[1].x(), 0);
  EXPECT_GT(v[2].x(), 0);
  // Wind up: the wind always comes from the top.
  const std::array<QPointF, 3> up = vaneOffsets(250, 10, {0, 250});
  EXPECT_NEAR(up[0].x(), 0, 1e-9);
  EXPECT_NEAR(up[0].y(), -10, 1e-9);
  EXPECT_EQ(hullPenColour({1, 2, 3}, 76), (Rgb{1, 2, 3}));
  EXPECT_EQ(hullPenColour({1, 2, 3}, 75), (Rgb{192, 192, 192}));
}

TEST(SceneRules, GridSpacingAndScaleBarLabel) {
  struct Case {
    int height;
    double pixelsPerKm;
    double g;
    const char* label;
  };
  const Case cases[] = {
      {700, 30, 5, "5Km"},  {700, 3000, 0.05, "50M"}, {700, 560, 0.3, "300M"}, {700, 250, 0.5, "500M"},
      {700, 100, 1, "1Km"}, {700, 60, 2, "2Km"},      {700, 6, 20, "20Km"},    {700, 0, 0.05, "50M"},
  };
  for (const Case& c : cases) {
    const double g = gridSpacingKm(c.height, c.pixelsPerKm);
    EXPECT_DOUBLE_EQ(g, c.g) << c.pixelsPerKm;
    EXPECT_EQ(scaleBarLabel(g), QString::fromLatin1(c.label)) << c.pixelsPerKm;
  }
}

TEST(SceneRules, LightRingsReachBeyondTheMapEdge) {
  const GeoPoint centre{2100, 8340};
  const QSize map(800, 600);
  // 100 pixels per minute: the map shows 3' up and down; rings 5' beyond.
  EXPECT_TRUE(lightRingShown({2100 + 3.5, 8340}, centre, 100, 80, map, 1));
  EXPECT_FALSE(lightRingShown({2100 + 8, 8340}, centre, 100, 80, map, 1));
  EXPECT_TRUE(lightRingShown({2100 + 8, 8340}, centre, 100, 80, map, 2));
  EXPECT_FALSE(lightRingShown({2100, 8340 - 11}, centre, 100, 80, map, 1));
  EXPECT_EQ(lightRingRadius(10, 100, 0.5), 250);
  EXPECT_EQ(lightRingRadius(10, 100, 0), 0);
}

TEST(SceneRules, ScreenVectorsOfTheLaylines) {
  EXPECT_EQ(ScreenVector(0), QPoint(0, -600));
  EXPECT_EQ(ScreenVector(90), QPoint(600, 0));
  EXPECT_EQ(ScreenVector(400), ScreenVector(40));
  EXPECT_EQ(ScreenVector(-200), ScreenVector(160));
}

TEST(SceneRules, CounterTexts) {
  struct Case {
    double t;
    const char* text;
  };
  const Case cases[] = {{-59.6, "01:00"}, {-59.4, "59"},     {3000, "50:00"}, {3001, "0:50:01"}, {45, "45"},
                        {754, "12:34"},   {3725, "1:02:05"}, {-0.4, "0"},     {-3725, "1:02:05"}};
  for (const Case& c : cases) {
    EXPECT_EQ(counterText(c.t), QString::fromLatin1(c.text)) << c.t;
  }
}

TEST(SceneRules, CounterIsBigAroundTheStart) {
  const QSize map(1000, 700);
  struct Case {
    double t;
    bool big;
  };
  for (const Case c :
       {Case{-30, true}, Case{-30.5, false}, Case{20, true}, Case{20.5, false}, Case{0, true}}) {
    EXPECT_EQ(counterPlacement(c.t, 2, map).big, c.big) << c.t;
  }
  const CounterPlacement big = counterPlacement(-10, 2, map);
  EXPECT_EQ(big.fontSize, 50);
  EXPECT_EQ(big.topLeft, QPoint(455, 15));
  const CounterPlacement small = counterPlacement(754, 5, map);
  EXPECT_EQ(small.fontSize, 15);
  EXPECT_EQ(small.topLeft, QPoint(1000 - 45 - 15, 675));
}

TEST(SceneRules, ClockTextHandsAndFace) {
  EXPECT_EQ(clockText(9 * 3600 + 5 * 60 + 7), QStringLiteral("9:05:07"));
  EXPECT_EQ(clockText(86399.6), QStringLiteral("24:00:00"));
  const ClockHands noon = clockHands(0, {100, 100});
  EXPECT_EQ(noon.hour.tip, QPoint(100, 82));
  EXPECT_EQ(noon.hour.tail, QPoint(100, 103));
  EXPECT_EQ(noon.minute.tip, QPoint(100, 74));
  EXPECT_EQ(noon.second.tip, QPoint(100, 73));
  const ClockHands three = clockHands(3 * 3600 + 15 * 60, {100, 100});
  EXPECT_EQ(three.hour.tip.y(), 100 + 2);  // a little past three
  EXPECT_GT(three.hour.tip.x(), 117);
  EXPECT_EQ(three.minute.tip, QPoint(126, 100));
  EXPECT_EQ(clockFaceColour(100), (Rgb{255, 255, 255}));
  EXPECT_EQ(clockFaceColour(75), (Rgb{205, 205, 205}));
  EXPECT_EQ(clockFaceColour(50), (Rgb{192, 192, 55}));
  EXPECT_EQ(clockFaceColour(0), (Rgb{192, 192, 55}));
}

}  // namespace
}  // namespace velaro
