// The whole-race view's pixels: tracks of the focused boats only, every boat
// at the time, a boat gone at its last fix, zoom without end; and the wind
// marker, read-out, time marker and swatch.
#include "render/scene/wholerace.h"

#include "core/analysis/speedcolours.h"
#include "core/scene/scenestate.h"
#include "render/overviewmap.h"
#include "render/seacolour.h"
#include "render/windgraphimage.h"

#include <QImage>

#include <gtest/gtest.h>

namespace velaro {
namespace {

constexpr double kLat = 2100;
constexpr double kLon = 8340;
const QSize kMap(400, 300);
const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kRed = qRgb(255, 0, 0);

// Boats sailing north side by side 0.05' apart, a fix every second from -100
// to 600 s; a start line across them at the bottom.
LoadedRace raceOf(int boats) {
  LoadedRace loaded;
  Race& race = loaded.race;
  race.TimeAxisStart = -100;
  race.TimeAxisEnd = 600;
  race.BoatLength = 8;
  race.WindDirection = 0;
  for (int b = 0; b < boats; ++b) {
    Boat boat;
    boat.BoatName = QStringLiteral("B%1").arg(b + 1);
    for (int t = -100; t <= 600; ++t) {
      boat.fixes.push_back({double(t), kLat + t * 0.0005, kLon + b * 0.05, 6, 0});
    }
    race.boats.push_back(boat);
  }
  race.lines.push_back({{kLat - 0.06, kLon - 0.02}, {kLat - 0.06, kLon + 0.12}});
  loaded.geometry = SetsMap(race, kMap);
  loaded.colours = AssignColours(race.BoatCount());
  loaded.outline = boatOutlineFor(race.BoatLength);
  return loaded;
}

SceneOptions optionsFor(std::vector<int> focus) {
  SceneOptions o;
  o.mapArea = kMap;
  o.northUp = true;
  o.SeaBrightness = 100;
  o.BoatFocused = std::move(focus);
  return o;
}

int countColour(const QImage& image, QRgb colour, QRect area) {
  const QRect r = area.intersected(image.rect());
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) {
      n += image.pixel(x, y) == colour ? 1 : 0;
    }
  }
  return n;
}

TEST(WholeRaceView, FocusedTracksEveryBoatAtTheTimeAndNoneAtItsLastFix) {
  const LoadedRace loaded = raceOf(3);
  const SceneOptions options = optionsFor({1, 1, 0});
  MapViewState view;
  view.enterWholeRace(loaded.geometry);
  SceneCursor cursor;
  QImage image(kMap, QImage::Format_RGB32);
  const WholeRaceFrame frame = RenderWholeRace(image, loaded, options, view, 300, 0, cursor);
  const Projection& p = frame.projection;
  const auto colourOf = [&](int b) { return loaded.colours.BoatColour[b].argb(); };

  // Boats 1 and 2 leave their whole track, from before the start to the
  // end; boat 3, out of focus, none.
  for (int b = 0; b < 3; ++b) {
    const QPoint early = p.toPixel({kLat - 0.04, kLon + b * 0.05});
    const QPoint late = p.toPixel({kLat + 0.29, kLon + b * 0.05});
    EXPECT_EQ(image.pixel(early) == colourOf(b), b < 2) << b;
    EXPECT_EQ(image.pixel(late) == colourOf(b), b < 2) << b;
  }
  // Every boat is a 16-pixel hull in its colour with a white rim, named.
  for (int b = 0; b < 3; ++b) {
    ASSERT_TRUE(frame.boats[b].shown);
    const QPoint at = p.toPixel({kLat + 0.15, kLon + b * 0.05});
    EXPECT_GT(countColour(image, colourOf(b), QRect(at - QPoint(3, 7), QSize(7, 15))), 20) << b;
    EXPECT_GT(countColour(image, qRgb(255, 255, 255), QRect(at - QPoint(3, 8), QSize(7, 17))), 10) << b;
  }
  // The start line is drawn; no layline leaves its ends.
  const QPoint lineMid = p.toPixel({kLat - 0.06, kLon + 0.025});
  EXPECT_EQ(image.pixel(lineMid + QPoint(3, 0)), kYellow);

  // At its last fix boat 3 is gone; half a second before it is there.
  const QPoint last = p.toPixel({kLat + 0.3, kLon + 0.1});
  const QRect around(last - QPoint(3, 7), QSize(7, 15));
  RenderWholeRace(image, loaded, options, view, 600, 0, cursor);
  EXPECT_EQ(countColour(image, colourOf(2), around), 0);
  RenderWholeRace(image, loaded, options, view, 599.5, 0, cursor);
  EXPECT_GT(countColour(image, colourOf(2), around), 20);
}

TEST(WholeRaceView, ZoomWithoutEndNeverBreaksTheDrawing) {
  const LoadedRace loaded = raceOf(3);
  const SceneOptions options = optionsFor({1, 1, 1});
  const QRgb sea = seaShadeFor(100).SeaColour.argb();
  SceneCursor cursor;
  QImage image(kMap, QImage::Format_RGB32);
  MapViewState view;
  view.enterWholeRace(loaded.geometry);
  const Orientation northUp{1, 0};

  // Zoomed in without end on the middle of the start line: its ends are
  // far off the picture and the line still crosses it.
  view.WholeRaceCentre = {kLat - 0.06, kLon + 0.05};
  for (int k = 0; k < 400; ++k) {
    view.click({QPoint(200, 150), true, false, true, false}, loaded.geometry, northUp, kMap);
  }
  ASSERT_EQ(view.WholeRaceZoom, kMaxWholeRaceZoom);
  RenderWholeRace(image, loaded, options, view, 300, 0, cursor);
  EXPECT_EQ(countColour(image, kYellow, QRect(0, 150, 400, 1)), 400);

  // Zoomed out without end: every track on the middle pixel.
  for (int k = 0; k < 800; ++k) {
    view.click({QPoint(200, 150), false, false, true, false}, loaded.geometry, northUp, kMap);
  }
  ASSERT_EQ(view.WholeRaceZoom, kMinWholeRaceZoom);
  RenderWholeRace(image, loaded, options, view, 300, 0, cursor);
  const QRect middle(100, 70, 230, 150);  // the boats' glyphs and their names set round them
  int outside = 0;
  for (int y = 0; y < 250; ++y) {
    for (int x = 0; x < 400; ++x) {
      outside += !middle.contains(x, y) && image.pixel(x, y) != sea ? 1 : 0;
    }
  }
  EXPECT_EQ(outside, 0);
}

// Boats sailing 4, 6 and 8 knots: the slowest in the first colour, the
// fastest in the last, and the key in the bottom left corner.
TEST(WholeRaceView, SpeedColoursSpanTheFleetsRange) {
  LoadedRace loaded = raceOf(3);
  for (int b = 0; b < 3; ++b) {
    for (Fix& f : loaded.race.boats[b].fixes) {
      f.speed = 4 + 2 * b;
    }
  }
  SceneOptions options = optionsFor({1, 1, 1});
  options.speedColours = true;
  MapViewState view;
  view.enterWholeRace(loaded.geometry);
  SceneCursor cursor;
  QImage image(kMap, QImage::Format_RGB32);
  const WholeRaceFrame frame = RenderWholeRace(image, loaded, options, view, 300, 0, cursor);
  const int bins[] = {0, kSpeedColourBins / 2 - 1, kSpeedColourBins - 1};
  for (int b = 0; b < 3; ++b) {
    const QPoint late = frame.projection.toPixel({kLat + 0.29, kLon + b * 0.05});
    EXPECT_EQ(image.pixel(late), speedBinColour(bins[b]).argb()) << b;
  }
  for (int k = 0; k < kSpeedColourBins; ++k) {
    EXPECT_GT(countColour(image, speedBinColour(k).argb(), QRect(0, kMap.height() - 40, kMap.width(), 40)),
              100)
        << k;
  }
}

// Before the start the boat lies at the bottom edge, where the key is drawn:
// its name keeps clear of it.
TEST(WholeRaceView, NamesKeepClearOfTheSpeedKey) {
  const LoadedRace loaded = raceOf(1);
  SceneOptions options = optionsFor({1});
  options.speedColours = true;
  MapViewState view;
  view.enterWholeRace(loaded.geometry);
  SceneCursor cursor;
  QImage image(kMap, QImage::Format_RGB32);
  const WholeRaceFrame frame = RenderWholeRace(image, loaded, options, view, -100, 0, cursor);
  // The key's rim is the one long white row near the bottom.
  int rim = kMap.height() - 1;
  while (rim > kMap.height() / 2 &&
         countColour(image, qRgb(255, 255, 255), QRect(0, rim, kMap.width(), 1)) < 300) {
    --rim;
  }
  const QRect key(0, rim, 360, kMap.height() - rim);
  int nearKey = 0;
  for (size_t b = 0; b < frame.names.size(); ++b) {
    nearKey +=
        key.adjusted(0, -20, 0, 0).contains(frame.projection.toPixel(frame.boats[b].position())) ? 1 : 0;
    EXPECT_FALSE(frame.names[b].shown && frame.names[b].box.intersects(key)) << b;
  }
  EXPECT_GT(nearKey, 0);
}

TEST(WindDisplay, MarkerOnTheRimReadOutTimeMarkerAndSeaSwatch) {
  QImage rose(kCompassSize, kCompassSize, QImage::Format_RGB32);
  rose.fill(Qt::black);
  const QPoint marker = windMarkerTopLeft(90, Orientation{1, 0});
  const QImage compass = CompassWithWind(rose, marker, 225);
  EXPECT_EQ(compass.pixel(marker + QPoint(4, 4)), kRed);
  EXPECT_EQ(marker + QPoint(4, 4), QPoint(96, 50));  // wind from the east, on the rim
  int white = 0;
  for (int y = 40; y < 60; ++y) {
    for (int x = 35; x < 65; ++x) {
      white += qGreen(compass.pixel(x, y)) > 150 ? 1 : 0;
    }
  }
  EXPECT_GT(white, 10);

  QImage graph(kWindGraphSize, kWindGraphSize, QImage::Format_RGB32);
  graph.fill(kWindGraphBackground);
  const QImage marked = WindGraphWithTime(graph, 40);
  EXPECT_EQ(countColour(marked, kRed, QRect(0, 40, 100, 2)), 2 * 90);
  EXPECT_EQ(marked.pixel(5, 40), kRed);
  EXPECT_EQ(marked.pixel(94, 41), kRed);
  EXPECT_EQ(marked.pixel(95, 40), kWindGraphBackground.rgb());
  EXPECT_EQ(marked.pixel(5, 42), kWindGraphBackground.rgb());

  const QImage night = SeaSwatch(QSize(20, 10), 0);
  EXPECT_EQ(night.pixel(10, 5), qRgb(0, 0, 70));
  EXPECT_EQ(night.pixel(0, 0), qRgb(80, 80, 150));
  EXPECT_EQ(SeaSwatch(QSize(20, 10), 100).pixel(10, 5), qRgb(160, 220, 255));
}

}  // namespace
}  // namespace velaro
