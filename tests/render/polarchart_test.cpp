#include "render/polarchart.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

// A band sailed close-hauled, on a reach and on a run at the given knots.
PolarBand bandOf(double fromKnots, double knots) {
  PolarBand band;
  band.fromKnots = fromKnots;
  band.toKnots = fromKnots + kPolarBandKnots;
  for (int bin : {7, 8, 9, 22, 23, 33, 34, 35}) {
    band.bins[size_t(bin)] = {60, knots};
  }
  band.beatAngleDeg = 42.5;
  band.runAngleDeg = 172.5;
  return band;
}

int pixelsOf(const QImage& image, Rgb colour, int fromX, int toX) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = fromX; x < toX; ++x) {
      count += image.pixel(x, y) == colour.argb() ? 1 : 0;
    }
  }
  return count;
}

TEST(PolarChart, BoatsInTheirColoursOneHalfCirclePerWindBand) {
  const Rgb red{220, 0, 0};
  const Rgb blue{0, 0, 220};
  PolarChart chart;
  chart.title = QStringLiteral("Test race");
  chart.boats = {{1, QStringLiteral("Red"), red}, {2, QStringLiteral("Blue"), blue}};
  chart.polars = {BoatPolar{{bandOf(8, 6)}}, BoatPolar{{bandOf(8, 5)}}};
  const QSize size(800, 500);
  const QImage one = DrawPolarChart(chart, size);
  ASSERT_EQ(one.size(), size);
  EXPECT_GT(pixelsOf(one, red, 0, 800), 50);
  EXPECT_GT(pixelsOf(one, blue, 0, 800), 50);

  // A lighter band of the red boat adds a half circle at the left; the
  // blue boat sailed only the stronger one, on the right.
  chart.polars[0].bands.insert(chart.polars[0].bands.begin(), bandOf(4, 4));
  const QImage two = DrawPolarChart(chart, size);
  const int middle = 330;  // between the half circles, left of the names
  EXPECT_GT(pixelsOf(two, red, 0, middle), 50);
  EXPECT_GT(pixelsOf(two, red, middle, 640), 50);
  EXPECT_EQ(pixelsOf(two, blue, 0, middle), 0);
  EXPECT_GT(pixelsOf(two, blue, middle, 640), 50);
}

TEST(PolarChart, NoBoatsOrNoBinsAreDrawnToo) {
  PolarChart empty;
  PolarChart neverStarted;
  neverStarted.boats = {{1, QStringLiteral("Ashore"), {1, 2, 3}}};
  neverStarted.polars = {BoatPolar{}};
  PolarChart noSpeedBands;
  noSpeedBands.boats = neverStarted.boats;
  noSpeedBands.polars = {BoatPolar{{PolarBand{}}}};
  for (const PolarChart& chart : {empty, neverStarted, noSpeedBands}) {
    EXPECT_EQ(DrawPolarChart(chart, QSize(300, 200)).size(), QSize(300, 200));
  }
}

}  // namespace
}  // namespace velaro
