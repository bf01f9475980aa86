#include "app/panels/windowlayout.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

// The boat list needs 14 pixels a row of two boats plus 25.
int listHeightFor(int boats) {
  return (boats + 1) / 2 * 14 + 25;
}

TEST(WindowLayout, ColumnTimeBarAndMapShareTheClientArea) {
  const WindowLayout l = WindowLayout::forClient(QSize(1920, 1080), listHeightFor(6));
  EXPECT_EQ(l.overview, QRect(1655, 0, 265, 200));
  EXPECT_EQ(l.controls, QRect(1655, 825, 265, 255));
  EXPECT_EQ(l.timeBar, QRect(1605, 0, 50, 1080));
  EXPECT_EQ(l.map, QRect(0, 0, 1605, 1080));
  // Six boats fill exactly the height between the overview and the controls.
  EXPECT_EQ(l.boatList, QRect(1655, 200, 265, 625));
  // Panels at the map's top right corner stay 5 pixels inside it.
  EXPECT_EQ(l.mapTopRight(200), QPoint(1400, 5));
  // A window narrower than the column leaves no map rather than a negative one.
  EXPECT_EQ(WindowLayout::forClient(QSize(200, 600), 25).map.width(), 0);
}

TEST(WindowLayout, ALongBoatListReachesIntoTheControlsThenCoversTheOverview) {
  // 60 boats (445 pixels) on a 768-pixel client: below the overview, into the controls.
  const WindowLayout sixty = WindowLayout::forClient(QSize(1024, 768), listHeightFor(60));
  EXPECT_EQ(listHeightFor(60), 445);
  EXPECT_EQ(sixty.boatList, QRect(759, 200, 265, 445));
  EXPECT_GT(sixty.boatList.bottom(), sixty.controls.top());
  // 81 boats (599 pixels) do not fit below the overview: the list starts at the top.
  EXPECT_EQ(listHeightFor(81), 599);
  EXPECT_EQ(WindowLayout::forClient(QSize(1024, 768), listHeightFor(81)).boatList, QRect(759, 0, 265, 599));
}

}  // namespace
}  // namespace velaro
