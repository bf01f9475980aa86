#include "render/gapchart.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

const Rgb kLeader{200, 0, 0};
const Rgb kSecond{0, 0, 200};
const Rgb kRetired{0, 150, 0};
const Rgb kStraggler{150, 0, 150};

// Boat 1 leads throughout, boat 2 sails a minute behind, boat 3 leaves the
// race halfway, boat 4 falls 40 minutes behind, boat 5 has no gap at all.
GapChart fiveBoats() {
  GapChart chart;
  chart.title = QStringLiteral("Test race");
  for (double t = 0; t <= 1800; t += 10) {
    GapStep step{t, std::vector<BoatGap>(5)};
    step.boats[0].secondsToLeader = 0;
    step.boats[1].secondsToLeader = 60;
    step.boats[2].secondsToLeader = t <= 900 ? 30 : BoatGap::kUnknown;
    step.boats[3].secondsToLeader = t * 4 / 3;
    chart.steps.push_back(step);
  }
  chart.boats = {{1, QStringLiteral("Leader"), kLeader},
                 {2, QStringLiteral("Second"), kSecond},
                 {3, QStringLiteral("Retired"), kRetired},
                 {4, QStringLiteral("Straggler"), kStraggler},
                 {5, QStringLiteral("Nowhere"), {0, 200, 200}}};
  chart.roundings = {{0, QString(), PointOfSail::Upwind},
                     {900, QStringLiteral("MK1"), PointOfSail::Downwind}};
  chart.gunSecondOfDay = 11 * 3600;
  return chart;
}

int pixelsOf(const QImage& image, Rgb colour, QRect within = {}) {
  if (within.isNull()) {
    within = image.rect();
  }
  int count = 0;
  for (int y = within.top(); y <= within.bottom(); ++y) {
    for (int x = within.left(); x <= within.right(); ++x) {
      count += image.pixel(x, y) == colour.argb() ? 1 : 0;
    }
  }
  return count;
}

TEST(GapChart, CurvesInBoatColoursOnAScaleTheStragglerDoesNotSet) {
  const QSize size(900, 500);
  const QImage image = DrawGapChart(fiveBoats(), size);
  ASSERT_EQ(image.size(), size);
  for (const Rgb& colour : {kLeader, kSecond, kRetired, kStraggler}) {
    EXPECT_GT(pixelsOf(image, colour), 100) << colour.argb();
  }
  // The boat out of the race stops halfway: none of its colour in the
  // chart's last quarter, left of the names.
  const QRect lastQuarter(int(size.width() * 0.55), 40, int(size.width() * 0.1), size.height() - 80);
  EXPECT_EQ(pixelsOf(image, kRetired, lastQuarter), 0);
  EXPECT_GT(pixelsOf(image, kSecond, lastQuarter), 0);

  // A minute behind sits well down the chart: 40 minutes would have set the
  // scale and pressed it against the leader at the top.
  const int column = size.width() / 3;
  int secondRow = -1;
  int leaderRow = -1;
  for (int y = 0; y < size.height(); ++y) {
    const QRgb pixel = image.pixel(column, y);
    secondRow = secondRow < 0 && pixel == kSecond.argb() ? y : secondRow;
    leaderRow = leaderRow < 0 && pixel == kLeader.argb() ? y : leaderRow;
  }
  ASSERT_GE(leaderRow, 0);
  ASSERT_GE(secondRow, 0);
  EXPECT_GT(secondRow - leaderRow, size.height() / 3);
}

TEST(GapChart, EmptyAndSingleBoatChartsAreDrawn) {
  GapChart single = fiveBoats();
  single.boats.resize(1);
  GapChart noSteps = fiveBoats();
  noSteps.steps.clear();
  GapChart nothingKnown = fiveBoats();
  nothingKnown.boats = {nothingKnown.boats.back()};
  for (const GapChart& chart : {GapChart{}, single, noSteps, nothingKnown}) {
    const QImage image = DrawGapChart(chart, QSize(320, 200));
    EXPECT_EQ(image.size(), QSize(320, 200));
  }
  EXPECT_GT(pixelsOf(DrawGapChart(single, QSize(320, 200)), kLeader), 20);
}

TEST(ChartPenStyles, BoatsSharingAColourGetDashesInTurn) {
  const Rgb red{255, 0, 0};
  const Rgb blue{0, 0, 255};
  const std::vector<ChartBoat> boats = {
      {1, {}, red}, {2, {}, blue}, {3, {}, red}, {4, {}, red}, {5, {}, blue}};
  const std::vector<Qt::PenStyle> expected = {Qt::SolidLine, Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                              Qt::DashLine};
  EXPECT_EQ(ChartPenStyles(boats), expected);
}

// Runs of the colour along row y, by their lengths.
std::vector<int> runsAlong(const QImage& image, int y, QRgb colour) {
  std::vector<int> runs;
  for (int x = 0, length = 0; x <= image.width(); ++x) {
    if (x < image.width() && image.pixel(x, y) == colour) {
      ++length;
    } else if (length > 0) {
      runs.push_back(length);
      length = 0;
    }
  }
  return runs;
}

TEST(ChartPolyline, DashesRunOnAcrossTheCorners) {
  // A straight line cut into uneven segments, drawn without antialiasing
  // so that every stroke sets whole pixels.
  const std::vector<QPointF> points = {{10, 20}, {13, 20}, {60, 20}, {61, 20}, {97, 20}, {210, 20}};
  const QColor red(255, 0, 0);
  const auto draw = [&](Qt::PenStyle style) {
    QImage image(220, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    DrawChartPolyline(p, points, red, 2, style);
    return runsAlong(image, 20, red.rgb());
  };
  EXPECT_EQ(draw(Qt::SolidLine), std::vector<int>{202});  // 200 and the caps
  // Dashes of three widths with square caps: eight pixels on, four off.
  const std::vector<int> dashes = draw(Qt::DashLine);
  ASSERT_GE(dashes.size(), 16u);
  for (size_t i = 0; i + 1 < dashes.size(); ++i) {
    EXPECT_NEAR(dashes[i], 8, 1) << i;
  }
}

}  // namespace
}  // namespace velaro
