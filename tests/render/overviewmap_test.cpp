#include "render/overviewmap.h"

#include "core/datetime.h"
#include "render/seacolour.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

constexpr double kLat = 35 * 60;
constexpr double kLon = 139.5 * 60;

// Two boats on the same east-west line across the race area, a coastline
// along the north edge and one light in the south-west.
Race twoBoatRace() {
  Race race;
  race.RaceStart = toDateTime(QDate(2025, 5, 18), QTime(10, 0));
  race.TimeDifference = 9;
  race.TimeAxisStart = -190;
  race.TimeAxisEnd = 3630;
  for (int b = 0; b < 2; ++b) {
    Boat boat;
    for (int i = 0; i <= 100; ++i) {
      boat.fixes.push_back({i * 30.0, kLat, kLon - 1 + i * 0.02});
    }
    boat.fixes.push_back({3000, kLat + 0.8, kLon});
    race.boats.push_back(boat);
  }
  race.coastline.polylines = {{{kLat + 0.7, kLon - 1}, {kLat + 0.7, kLon + 1}}};
  race.lights = {{QStringLiteral("L"), {kLat - 0.5, kLon - 0.5}, 4, 1, QStringLiteral("R"), 5}};
  race.MagVariation = -7;
  return race;
}

TEST(OverviewMap, TracksCoastlineAndLights) {
  const Race race = twoBoatRace();
  const MapGeometry geometry = SetsMap(race, QSize(800, 600));
  const Orientation north{1, 0};
  const OverviewPictures pictures =
      DrawOverview(race, geometry, north, AssignColours(race.BoatCount()), CompassRoseSource());
  ASSERT_EQ(pictures.map.size(), QSize(170, 170));
  ASSERT_EQ(pictures.compass.size(), QSize(100, 100));

  const Projection projection = OverviewProjection(geometry, north);
  EXPECT_EQ(pictures.map.pixelColor(0, 0), kSeaColourPresets[0]);
  // Boat 1 is drawn last and lies on top of boat 2's identical track.
  const QPoint onTrack = projection.toPixel({kLat, kLon});
  EXPECT_EQ(pictures.map.pixelColor(onTrack), QColor(255, 0, 0));
  const QPoint coast = projection.toPixel({kLat + 0.7, kLon + 0.3});
  EXPECT_EQ(pictures.map.pixelColor(coast), QColor(Qt::white));
  const QPoint light = projection.toPixel({kLat - 0.5, kLon - 0.5});
  const QColor lightColour = pictures.map.pixelColor(light - QPoint(1, 1));
  EXPECT_TRUE(lightColour == QColor(Qt::yellow) || lightColour == QColor(Qt::red));
}

TEST(OverviewMap, CompassRoseAngleFollowsTheOrientation) {
  EXPECT_DOUBLE_EQ(CompassRoseAngle(-7, Orientation{1, 200}), -7);
  EXPECT_DOUBLE_EQ(CompassRoseAngle(-7, Orientation{0, 200}), -207);
}

TEST(OverviewMap, BoatDotsAreCentredOnThePosition) {
  const Race race = twoBoatRace();
  const MapGeometry geometry = SetsMap(race, QSize(800, 600));
  const GeoPoint east{geometry.CentreLat, geometry.CentreLon + geometry.SpanLon / 4};

  const Projection north = OverviewProjection(geometry, Orientation{1, 90});
  const std::vector<QPoint> dots = PlaceBoatDots(north, {geometry.centre(), east});
  ASSERT_EQ(dots.size(), 2u);
  // The image's middle (3 + 85 = 88) less half a dot.
  EXPECT_EQ(dots[0], QPoint(85, 85));
  EXPECT_EQ(dots[1], QPoint(128, 85));  // 85 + 42.5 rounds to even

  // With the wind from the east, east is up.
  const Projection windUp = OverviewProjection(geometry, Orientation{0, 90});
  EXPECT_EQ(BoatDotTopLeft(windUp, east), QPoint(85, 42));

  QImage panel(200, 200, QImage::Format_RGB32);
  panel.fill(Qt::black);
  {
    QPainter p(&panel);
    DrawBoatDot(p, dots[0], Rgb{0, 0, 255});
  }
  EXPECT_EQ(panel.pixelColor(88, 88), QColor(0, 0, 255));
  EXPECT_EQ(panel.pixelColor(88, 85), QColor(Qt::white));
  EXPECT_EQ(panel.pixelColor(84, 88), QColor(Qt::black));
  EXPECT_EQ(panel.pixelColor(92, 88), QColor(Qt::black));
}

TEST(CompassRose, UnturnedRoseIsCopiedToTheMiddle) {
  QImage source(83, 83, QImage::Format_RGB32);
  source.fill(Qt::white);
  const QImage target = CompassRose(source, 0);
  EXPECT_EQ(target.pixelColor(7, 50), QColor(Qt::black));
  EXPECT_EQ(target.pixelColor(8, 8), QColor(Qt::white));  // corners too
  EXPECT_EQ(target.pixelColor(90, 90), QColor(Qt::white));
  EXPECT_EQ(target.pixelColor(91, 50), QColor(Qt::black));
}

TEST(CompassRose, TurnedRoseKeepsTheCardAndMovesNorth) {
  // A card with a red north mark at the top.
  QImage source(83, 83, QImage::Format_RGB32);
  source.fill(Qt::white);
  for (int x = 39; x <= 43; ++x) {
    for (int y = 2; y <= 6; ++y) {
      source.setPixelColor(x, y, Qt::red);
    }
  }
  const QImage east = CompassRose(source, 90);
  // North now points right; the top of the card is plain.
  EXPECT_EQ(east.pixelColor(87, 50), QColor(Qt::red));
  EXPECT_EQ(east.pixelColor(50, 12), QColor(Qt::white));
  // Only the round card is turned: the corners stay black.
  EXPECT_EQ(east.pixelColor(10, 10), QColor(Qt::black));
  // No holes inside the card, at a right angle or any other turn.
  for (double angle : {90.0, -33.0, 180.0, 271.5}) {
    const QImage turned = CompassRose(source, angle);
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 100; ++x) {
        if ((x - 50) * (x - 50) + (y - 50) * (y - 50) < 40 * 40) {
          ASSERT_NE(turned.pixelColor(x, y), QColor(Qt::black)) << angle << ": " << x << "," << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace velaro
