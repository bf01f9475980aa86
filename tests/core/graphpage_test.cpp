#include "core/reports/graphpage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

Race raceWithAxis(double TimeAxisStart, double TimeAxisEnd, int WindAxis = 0, double MagVariation = 0) {
  Race race;
  race.TimeAxisStart = TimeAxisStart;
  race.TimeAxisEnd = TimeAxisEnd;
  race.WindAxis = WindAxis;
  race.MagVariation = MagVariation;
  return race;
}

QStringList labelsOf(const std::vector<GraphGridLine>& lines) {
  QStringList labels;
  for (const GraphGridLine& line : lines) {
    labels << line.label;
  }
  return labels;
}

TEST(GraphPage, TimeGridStepsLabelsAndColours) {
  // 9000 seconds: a line every five minutes from the start signal, one step
  // past the end of the axis, the last ones above the chart.
  const GraphAxes axes = GraphAxes::of(QSize(1000, 766), raceWithAxis(-190, 8810), 4);
  ASSERT_EQ(axes.TimeSpan, 9000);
  ASSERT_EQ(axes.H, 700);
  const std::vector<GraphGridLine> grid = GraphTimeGrid(axes);
  ASSERT_EQ(grid.size(), 32u);
  const QStringList labels = labelsOf(grid);
  EXPECT_EQ(labels.first(), QStringLiteral("0:00"));
  EXPECT_EQ(labels[1], QStringLiteral("0:05"));
  EXPECT_EQ(labels[18], QStringLiteral("1:30"));
  EXPECT_EQ(labels.last(), QStringLiteral("2:35"));
  EXPECT_EQ(grid.front().at, axes.timeY(0));
  EXPECT_EQ(grid.front().colour, kGraphStartColour);
  EXPECT_EQ(grid[12].colour, kGraphHourColour);  // 1:00
  EXPECT_EQ(grid[13].colour, kGraphGridColour);
  EXPECT_EQ(grid.front().labelAt, QPoint(kGraphLabelX, grid.front().at - 4));
  EXPECT_GE(grid[29].at, kGraphTop);  // 2:25 is on the axis
  EXPECT_LT(grid[30].at, kGraphTop);  // 2:30 and 2:35 lie above the chart
  EXPECT_LT(grid[31].at, grid[30].at);

  // The step grows only when the span is strictly longer than 3, 6, 12, 24 h.
  EXPECT_EQ(GraphTimeStep(3 * 3600), 300);
  EXPECT_EQ(GraphTimeStep(3 * 3600 + 1), 600);
  EXPECT_EQ(GraphTimeStep(6 * 3600 + 1), 900);
  EXPECT_EQ(GraphTimeStep(12 * 3600 + 1), 1800);
  EXPECT_EQ(GraphTimeStep(24 * 3600), 1800);
  EXPECT_EQ(GraphTimeStep(24 * 3600 + 1), 3600);
  const GraphAxes long3h1s = GraphAxes::of(QSize(1000, 766), raceWithAxis(0, 3 * 3600 + 1), 0);
  EXPECT_EQ(labelsOf(GraphTimeGrid(long3h1s))[1], QStringLiteral("0:10"));

  // An axis that ends before it starts has nothing to plot on.
  const GraphAxes reversed = GraphAxes::of(QSize(1000, 766), raceWithAxis(100, 0), 0);
  EXPECT_TRUE(GraphTimeGrid(reversed).empty());
  EXPECT_FALSE(reversed.plotted(50));
}

TEST(GraphPage, AxesPlaceTimesDirectionsAndSpeeds) {
  Race race = raceWithAxis(-190, 3630, 200, 7);
  const GraphAxes axes = GraphAxes::of(QSize(1001, 700), race, 6.3);
  EXPECT_EQ(axes.WL, 456);   // Round(500.5 - 45), the half to even
  EXPECT_EQ(axes.x0R, 510);  // Round(500.5) + 10
  EXPECT_EQ(axes.WR, 480);

  // Both ends of the axis are plotted, a second before it is not.
  EXPECT_TRUE(axes.plotted(3630));
  EXPECT_TRUE(axes.plotted(-190));
  EXPECT_FALSE(axes.plotted(-191));
  EXPECT_FALSE(axes.plotted(3631));
  EXPECT_EQ(axes.timeY(-190), kGraphTop + axes.H);
  EXPECT_EQ(axes.timeY(3630), kGraphTop);

  // The wind axis a quarter across; directions fold about the left edge.
  EXPECT_EQ(axes.directionX(200), 40 + 114);
  EXPECT_EQ(axes.directionX(110), 40);
  EXPECT_EQ(axes.directionX(109), axes.directionX(469));
  EXPECT_EQ(axes.directionX(470), 40 + 456);  // 360 past the left edge stays at the right edge
  EXPECT_EQ(axes.directionX(-250), axes.directionX(110));
  // A true course is drawn as its magnetic direction.
  EXPECT_EQ(axes.courseX(207), axes.directionX(200));

  // 6.3 knots at most: the chart spans 7 knots and the 8 to 10 knot lines lie
  // right of it.
  EXPECT_EQ(SpeedFullScale(6.3), 7);
  EXPECT_EQ(SpeedFullScale(6), 7);
  EXPECT_EQ(SpeedFullScale(0), 1);
  ASSERT_EQ(axes.S, 7);
  EXPECT_EQ(axes.speedX(7), axes.x0R + axes.WR);
  // A logger's wild spike or a missing value lands far off the picture.
  EXPECT_GT(axes.speedX(1e12), 1000000);
  EXPECT_LT(axes.speedX(std::nan("")), -1000000);
  EXPECT_LT(axes.directionX(std::nan("")), -1000000);
  const std::vector<GraphGridLine> speeds = GraphSpeedGrid(axes);
  ASSERT_EQ(speeds.size(), 10u);
  EXPECT_EQ(speeds[6].at, axes.x0R + axes.WR);
  for (int n = 8; n <= 10; ++n) {
    EXPECT_GT(speeds[n - 1].at, axes.x0R + axes.WR) << n;
  }
  EXPECT_EQ(speeds[9].label, QStringLiteral("10"));
  EXPECT_EQ(speeds[9].labelAt.x(), speeds[9].at - 6);

  const std::vector<GraphGridLine> directions = GraphDirectionGrid(axes);
  ASSERT_EQ(directions.size(), 36u);
  EXPECT_EQ(directions[3].label, QStringLiteral("30"));
  EXPECT_EQ(directions[3].colour, kGraphThirtyDegreeColour);
  EXPECT_TRUE(directions[4].label.isEmpty());
  EXPECT_EQ(directions[3].labelAt, QPoint(directions[3].at - 6, kGraphTop + axes.H + 5));
}

// The multiplication that stands in for each division must round as the
// division does, halves included.
TEST(GraphPage, ScaledRowsAndColumnsRoundAsTheExactQuotient) {
  // Among these are a row (height 372, span 9000, 6750 s on the axis) and a
  // column (width 482, 315 degrees past the left edge) that land exactly on
  // a half, where the multiplication alone would round down.
  for (const int span : {9000, 3600, 7, 10830}) {
    for (const QSize picture : {QSize(1920, 1080), QSize(482, 372), QSize(1001, 766)}) {
      const Race race = raceWithAxis(-300, span - 300, 17, 6.5);
      const GraphAxes axes = GraphAxes::of(picture, race, 6.3);
      for (double s = -300; s <= span - 300; s += 0.5) {
        ASSERT_EQ(axes.timeY(s), roundToInt(kGraphTop + axes.H - (s + 300) * axes.H / axes.TimeSpan))
            << span << ' ' << picture.height() << ' ' << s;
      }
      for (double d = 0; d < 360; d += 0.5) {
        const double e = d - 17 + 90 > 360 ? d - 17 + 90 - 360 : d - 17 + 90;
        ASSERT_EQ(axes.directionX(d), roundToInt(axes.WL * e / 360 + axes.x0L)) << d;
      }
      for (double v = 0; v < 10; v += 0.125) {
        ASSERT_EQ(axes.speedX(v), roundToInt(axes.WR * v / axes.S + axes.x0R)) << v;
      }
    }
  }
}

TEST(GraphPage, CurvesTakeTheFixesOnTheAxisInFileOrder) {
  Race race = raceWithAxis(-10, 100, 0, 0);
  Boat boat;
  boat.fixes = {{-11, 0, 0, 3, 90}, {-10, 0, 0, 4, 180}, {50, 0, 0, 5, 270},
                {100, 0, 0, 6, 0},  {101, 0, 0, 7, 90},  {20, 0, 0, 2, 45}};
  race.boats.push_back(boat);
  race.wind = {{-20, 5, 10}, {0, 5, 20}, {100, 5, 30}};
  const GraphAxes axes = GraphAxes::of(QSize(800, 600), race, 6.9);
  const BoatCurves curves = boatCurves(axes, race.boats[0]);
  ASSERT_EQ(curves.course.size(), 4u);
  ASSERT_EQ(curves.speed.size(), 4u);
  EXPECT_EQ(curves.course[0], QPoint(axes.directionX(180), axes.timeY(-10)));
  EXPECT_EQ(curves.course[2], QPoint(axes.directionX(0), kGraphTop));
  EXPECT_EQ(curves.speed[3], QPoint(axes.speedX(2), axes.timeY(20)));
  const std::vector<QPoint> wind = WindCurve(axes, race.wind);
  ASSERT_EQ(wind.size(), 2u);
  EXPECT_EQ(wind[1], QPoint(axes.directionX(30), kGraphTop));

  // The boat list decides the focus when it is given.
  race.boats[0].BoatFocused = 0;
  EXPECT_FALSE(graphBoatFocused(race, {}, 1));
  EXPECT_TRUE(graphBoatFocused(race, {1}, 1));
  EXPECT_FALSE(graphBoatFocused(race, {1}, 2));
}

}  // namespace
}  // namespace velaro
