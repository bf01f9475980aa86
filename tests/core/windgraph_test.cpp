#include "core/analysis/windgraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace velaro {
namespace {

std::vector<WindSample> samples(std::initializer_list<std::pair<double, int>> timeAndDir) {
  std::vector<WindSample> wind;
  for (const auto& [t, dir] : timeAndDir) {
    wind.push_back({t, 5.0, dir});
  }
  return wind;
}

TEST(WindGraph, WindThroughNorthStaysInOnePiece) {
  const auto wind = samples({{0, 350}, {900, 355}, {1800, 0}, {2700, 5}, {3600, 10}});
  const WindGraph g = BuildWindGraph(wind, -190, 3630);
  EXPECT_DOUBLE_EQ(g.Cdir, 0);
  EXPECT_DOUBLE_EQ(g.Fdir, 40);
  ASSERT_EQ(g.curve.size(), 5u);
  // 350 is 10 degrees left of the middle, 10 degrees is 10 right: x = 50 -/+ 22.5.
  EXPECT_EQ(g.curve.front().x(), 28);
  EXPECT_EQ(g.curve[2].x(), 50);
  EXPECT_EQ(g.curve.back().x(), 72);
  for (size_t i = 1; i < g.curve.size(); ++i) {
    EXPECT_GT(g.curve[i].x(), g.curve[i - 1].x());
    EXPECT_LT(g.curve[i].y(), g.curve[i - 1].y());  // later is higher
    EXPECT_LE(std::abs(g.curve[i].x() - g.curve[i - 1].x()), 12);
  }
  // The 0-degree line is in the middle, with 350 and 10 either side.
  EXPECT_EQ(g.directionGridX, (std::vector<int>{50, 72, 28}));
}

TEST(WindGraph, ConstantWindIsAVerticalLineInTheMiddle) {
  const auto wind = samples({{0, 200}, {600, 200}, {1200, 200}, {1800, 200}});
  const WindGraph g = BuildWindGraph(wind, -190, 3630);
  EXPECT_DOUBLE_EQ(g.Fdir, 20);
  EXPECT_DOUBLE_EQ(g.Cdir, -160);
  for (const QPoint& p : g.curve) {
    EXPECT_EQ(p.x(), 50);
  }
  // 190 and 210 fall on the plot's edges (x = 5 and 95) and are left out.
  EXPECT_EQ(g.directionGridX, (std::vector<int>{50}));
}

TEST(WindGraph, TimeGridStepKeepsAtMostFifteenLines) {
  struct Case {
    double span;
    int step;
  };
  const Case cases[] = {{4000, 300},   {4500, 300},   {4501, 600},   {9000, 600},    {9001, 1800},
                        {14600, 1800}, {36000, 3600}, {54001, 7200}, {259200, 18000}};
  for (const Case& c : cases) {
    const WindGraph g = BuildWindGraph({}, -190, c.span - 190);
    EXPECT_EQ(g.gridStep, c.step) << c.span;
  }
}

TEST(WindGraph, FourHourRaceHasAGridLineEveryHalfHourFromTheStart) {
  const double start = -190;
  const double end = 14410;  // a span of 14,600 s
  const WindGraph g = BuildWindGraph(samples({{0, 90}, {7200, 100}}), start, end);
  EXPECT_EQ(g.gridStep, 1800);
  // From the start signal up to the last half hour before the end: 0 .. 12600 s.
  ASSERT_EQ(g.timeGridY.size(), 8u);
  EXPECT_EQ(g.timeGridY.front(), WindGraphY(0, start, end));
  EXPECT_EQ(g.timeGridY.front(), 94);  // 95 - 190 * 90 / 14600 = 93.83
  EXPECT_EQ(g.timeGridY.back(), WindGraphY(12600, start, end));
  EXPECT_EQ(WindGraphY(start, start, end), 95);
  EXPECT_EQ(WindGraphY(end, start, end), 5);
}

TEST(WindGraph, SamplesOutsideTheAxisLieOutsideThePlot) {
  const auto wind = samples({{-7490, 90}, {0, 95}, {3000, 100}, {14600, 95}});
  const WindGraph g = BuildWindGraph(wind, -190, 7110);  // span 7300
  ASSERT_EQ(g.curve.size(), 4u);
  EXPECT_EQ(g.curve.front().y(), 185);  // 95 + 90
  EXPECT_LT(g.curve.back().y(), 5);
}

TEST(WindGraph, FewOrNoSamplesAndAnEmptyAxisAreSafe) {
  const WindGraph none = BuildWindGraph({}, -190, 3630);
  EXPECT_TRUE(none.curve.empty());
  EXPECT_FALSE(none.timeGridY.empty());
  EXPECT_DOUBLE_EQ(none.Fdir, 20);

  const WindGraph one = BuildWindGraph(samples({{100, 45}}), -190, 3630);
  EXPECT_DOUBLE_EQ(one.Cdir, 45);
  EXPECT_DOUBLE_EQ(one.Fdir, 20);
  ASSERT_EQ(one.curve.size(), 1u);
  EXPECT_EQ(one.curve.front().x(), 50);

  // A finish before the start leaves no time axis.
  const WindGraph backwards = BuildWindGraph(samples({{0, 45}, {60, 50}}), 100, 100);
  EXPECT_TRUE(backwards.timeGridY.empty());
  for (const QPoint& p : backwards.curve) {
    EXPECT_EQ(p.y(), 95);
  }
}

}  // namespace
}  // namespace velaro
