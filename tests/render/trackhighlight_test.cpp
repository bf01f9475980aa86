// A boat's whole track picked out on a copy of the whole-race view.
#include "render/trackhighlight.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(TrackHighlight, ColourLineOnAWhiteHaloOverACopy) {
  QImage view(200, 100, QImage::Format_RGB32);
  view.fill(QColor(0, 0, 70));
  const QImage before = view.copy();
  // One pixel per 0.01' about (2100, 8340): a track along row 50 from x 50 to 150.
  const Projection projection({2100, 8340}, 100, 100, view.size(), Orientation{1, 0});
  std::vector<Fix> fixes;
  for (int k = 0; k <= 10; ++k) {
    fixes.push_back({double(k), 2100, 8339.5 + k * 0.1, 0, 0});
  }
  const Rgb red{255, 0, 0};
  const QImage lit = HighlightTrack(view, projection, fixes, red);

  EXPECT_EQ(view, before);
  ASSERT_EQ(lit.size(), view.size());
  EXPECT_EQ(lit.pixel(100, 50), red.argb());
  EXPECT_EQ(lit.pixel(100, 48), qRgb(255, 255, 255));
  EXPECT_EQ(lit.pixel(100, 52), qRgb(255, 255, 255));
  EXPECT_EQ(lit.pixel(100, 44), before.pixel(100, 44));
  EXPECT_EQ(lit.pixel(100, 56), before.pixel(100, 56));
  EXPECT_EQ(lit.pixel(20, 50), before.pixel(20, 50));

  // A track of one fix is a dot; none leaves the picture as it was.
  EXPECT_EQ(HighlightTrack(view, projection, {fixes[5]}, red).pixel(100, 50), red.argb());
  EXPECT_EQ(HighlightTrack(view, projection, {}, red), before);
}

}  // namespace
}  // namespace velaro
