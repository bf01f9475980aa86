#include "render/windgraphimage.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

QColor at(const QImage& image, int x, int y) {
  return image.pixelColor(x, y);
}

TEST(WindGraphImage, FrameGridAndCurve) {
  // Constant wind: the curve is the vertical line x = 50 from the first to the
  // last sample.
  std::vector<WindSample> wind;
  for (double t = 0; t <= 3600; t += 600) {
    wind.push_back({t, 5, 200});
  }
  const WindGraph graph = BuildWindGraph(wind, -190, 3630);
  const QImage image = DrawWindGraph(graph);
  ASSERT_EQ(image.size(), QSize(100, 100));

  EXPECT_EQ(at(image, 0, 0), QColor(0, 128, 0));
  EXPECT_EQ(at(image, 99, 99), QColor(0, 128, 0));
  EXPECT_EQ(at(image, 95, 50), QColor(0, 128, 0));  // the frame ends at 94
  EXPECT_EQ(at(image, 5, 5), QColor(192, 192, 225));
  EXPECT_EQ(at(image, 94, 94), QColor(192, 192, 225));
  EXPECT_EQ(at(image, 5, 60), QColor(192, 192, 225));

  // The 300-second grid line at 1500 s (clear of the curve's ends).
  ASSERT_EQ(graph.gridStep, 300);
  const int y = WindGraphY(1500, -190, 3630);
  EXPECT_EQ(at(image, 20, y), QColor(192, 192, 225));
  EXPECT_EQ(at(image, 20, y - 1), QColor(0, 128, 0));

  const int top = graph.curve.back().y();
  const int bottom = graph.curve.front().y();
  for (int row = top; row <= bottom; ++row) {
    EXPECT_EQ(at(image, 50, row), QColor(0, 255, 225)) << row;
  }
  EXPECT_EQ(at(image, 51, WindGraphY(1650, -190, 3630)), QColor(0, 128, 0));  // between grid lines
}

TEST(WindGraphImage, NoSamplesDrawsTheEmptyFrame) {
  const QImage image = DrawWindGraph(BuildWindGraph({}, -190, 3630));
  for (int x = 6; x < 94; ++x) {
    EXPECT_NE(at(image, x, 50), QColor(0, 255, 225));
  }
  EXPECT_EQ(at(image, 5, 5), QColor(192, 192, 225));
}

}  // namespace
}  // namespace velaro
