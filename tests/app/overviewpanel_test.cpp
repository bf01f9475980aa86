#include "app/panels/overviewpanel.h"
#include "render/overviewmap.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(OverviewPanel, DotsShowFocusedBoatsAndStayWhereTheBoatWasLastSeen) {
  OverviewPanel panel;
  QImage map(kOverviewSize, kOverviewSize, QImage::Format_RGB32);
  map.fill(Qt::white);
  const Projection projection(GeoPoint{0, 0}, 1, 1, QSize(kOverviewSize, kOverviewSize), Orientation{1, 0});
  const Rgb red{200, 0, 0};
  const Rgb green{0, 200, 0};
  panel.setOverview(map, projection, {red, green});
  const GeoPoint a{10, -20};
  const GeoPoint b{-15, 25};
  // Panel coordinates of a dot's corner are its centre in the picture, which sits at (3, 3).
  const auto pixelAt = [&](GeoPoint p) {
    const QImage shown = panel.findChild<QLabel*>(QStringLiteral("overviewMap"))->pixmap().toImage();
    return QColor(shown.pixel(BoatDotTopLeft(projection, p)));
  };

  panel.showBoatDots({a, b}, {1, 0});
  EXPECT_EQ(pixelAt(a), QColor(red.argb()));
  EXPECT_EQ(pixelAt(b), QColor(Qt::white));

  // No positions at this moment: both dots where the boats were, the second now in focus.
  panel.showBoatDots({std::nullopt, std::nullopt}, {1, 1});
  EXPECT_EQ(pixelAt(a), QColor(red.argb()));
  EXPECT_EQ(pixelAt(b), QColor(green.argb()));

  // A new race forgets them.
  panel.clearBoatDots();
  panel.showBoatDots({std::nullopt, std::nullopt}, {1, 1});
  EXPECT_EQ(pixelAt(a), QColor(Qt::white));
}

}  // namespace
}  // namespace velaro
