// Pixels of the live scene where their colours are fixed: marks, the start
// counter, the grid, lights, the course route, sails, hulls, wakes and the
// clock.
#include "render/scene/scenelayers.h"
#include "core/datetime.h"
#include "core/scene/scenerules.h"
#include "render/scene/renderscene.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace velaro {
namespace {

constexpr double kLat = 2100;
constexpr double kLon = 8340;
const QSize kMap(400, 300);

const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

// Boats sailing north side by side, 0.01' apart, fixes every second, course 0
// at 6 knots; boat k is boats[k].
LoadedRace raceOf(int boats) {
  LoadedRace loaded;
  Race& race = loaded.race;
  race.TimeAxisStart = -190;
  race.TimeAxisEnd = 1000;
  race.WindDirection = 45;
  race.BoatLength = 8;
  race.LaylineAngleA = 45;
  race.LaylineAngleB = 150;
  for (int b = 0; b < boats; ++b) {
    Boat boat;
    boat.BoatName = QStringLiteral("Boat%1").arg(b + 1);
    boat.LogInterval = 1;
    for (int t = -100; t <= 600; ++t) {
      boat.fixes.push_back({double(t), kLat + t * 0.0001, kLon + b * 0.01, 6, 0});
    }
    race.boats.push_back(boat);
  }
  loaded.geometry = SetsMap(race, kMap);
  loaded.colours = AssignColours(race.BoatCount());
  loaded.outline = boatOutlineFor(race.BoatLength);
  return loaded;
}

SceneOptions optionsFor(QSize map = kMap) {
  SceneOptions o;
  o.mapArea = map;
  o.northUp = true;
  o.SeaBrightness = 100;
  return o;
}

QImage blank(QSize size = kMap) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(160, 220, 255));
  return image;
}

// Text is antialiased, so its colour is counted by hue.
int countReddish(const QImage& image, QRect area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb c = image.pixel(x, y);
      n += qRed(c) > 200 && qGreen(c) < 120 && qBlue(c) < 140 ? 1 : 0;
    }
  }
  return n;
}

int countWhitish(const QImage& image, QRect area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb c = image.pixel(x, y);
      n += qRed(c) > 230 && qGreen(c) > 230 && qBlue(c) > 230 ? 1 : 0;
    }
  }
  return n;
}

int countColour(const QImage& image, QRgb colour, QRect area = QRect()) {
  const QRect r = area.isNull() ? image.rect() : area.intersected(image.rect());
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) {
      n += image.pixel(x, y) == colour ? 1 : 0;
    }
  }
  return n;
}

// Draws one layer with antialiasing off, as the scene does.
template <typename Layer>
QImage drawLayer(const LoadedRace& loaded, const SceneOptions& options, const SceneState& state,
                 Layer layer) {
  QImage image = blank(options.mapArea);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  layer(painter, SceneContext{loaded, options, state});
  return image;
}

TEST(SceneLayers, MarkIsAYellowDiscInABlackRingWithItsNameInRed) {
  LoadedRace loaded = raceOf(2);
  loaded.race.marks = {{kLat + 0.012, kLon + 0.005}};
  SceneOptions options = optionsFor();
  SceneCursor cursor;
  QImage scene(kMap, QImage::Format_RGB32);
  const SceneState s = RenderScene(scene, loaded, options, 100, cursor);
  const QPoint m = s.projection.toPixel(loaded.race.marks[0]);
  EXPECT_EQ(scene.pixel(m), kYellow);
  EXPECT_EQ(scene.pixel(m + QPoint(2, 1)), kYellow);
  EXPECT_EQ(scene.pixel(m + QPoint(-4, 0)), kBlack);
  EXPECT_GT(countReddish(scene, QRect(m + QPoint(8, -6), QSize(30, 14))), 10);
}

TEST(SceneLayers, LaylinesStartUnderTheMarkCircle) {
  LoadedRace loaded = raceOf(1);
  loaded.race.marks = {{kLat + 0.012, kLon + 0.005}};
  SceneOptions options = optionsFor();
  options.chkLL = true;
  SceneCursor cursor;
  const SceneState s = computeScene(loaded, options, 100, cursor);
  const QImage image = drawLayer(loaded, options, s, DrawMarks);
  const QPoint m = s.projection.toPixel(loaded.race.marks[0]);
  EXPECT_EQ(image.pixel(m), kYellow);
  const QRgb axis = loaded.colours.WindAxisColour.argb();
  // The wind axis leaves the mark towards 45 and 225 degrees; dotted, so
  // some of its pixels are there beyond the circle.
  EXPECT_GT(countColour(image, axis, QRect(m + QPoint(6, -60), QSize(60, 54))), 5);
  EXPECT_GT(countColour(image, loaded.colours.LaylineColourA.argb()), 20);
  EXPECT_GT(countColour(image, loaded.colours.LaylineColourB.argb()), 20);
}

TEST(SceneLayers, StartCounterRedBeforeBlueAfterBigAroundTheGun) {
  struct Case {
    double t;
    QRgb background;
    bool big;
  };
  for (const Case c :
       {Case{-10, kRed, true}, Case{10, kBlue, true}, Case{-100, kRed, false}, Case{100, kBlue, false}}) {
    QImage image = blank();
    {
      QPainter p(&image);
      DrawTimeCounter(p, c.t, kMap);
    }
    const QString text = counterText(c.t);
    const CounterPlacement place = counterPlacement(c.t, static_cast<int>(text.size()), kMap);
    EXPECT_EQ(place.big, c.big);
    const QRect box(place.topLeft, QSize(place.big ? 40 : 12, place.big ? 40 : 12));
    EXPECT_GT(countColour(image, c.background, box), box.width() * box.height() / 3) << c.t;
    EXPECT_GT(countColour(image, kWhite, box), 0) << c.t;
  }
}

TEST(SceneLayers, GridLinesInTheGridColourAtTheSpacing) {
  for (const double brightness : {100.0, 30.0}) {
    LoadedRace loaded = raceOf(2);
    SceneOptions options = optionsFor();
    options.SeaBrightness = brightness;
    SceneCursor cursor;
    const SceneState s = computeScene(loaded, options, 100, cursor);
    const QImage image = drawLayer(loaded, options, s, DrawGrid);
    const QRgb grid = seaShadeFor(brightness).GridColour.argb();
    std::vector<int> rows;
    for (int y = 0; y < kMap.height(); ++y) {
      if (countColour(image, grid, QRect(0, y, kMap.width(), 1)) == kMap.width()) {
        rows.push_back(y);
      }
    }
    ASSERT_GE(rows.size(), 2u) << brightness;
    const double step = gridSpacingKm(kMap.height(), s.scale.PixelsPerKm) * s.scale.PixelsPerKm;
    EXPECT_NEAR(rows[1] - rows[0], step, 1.0);
  }
}

TEST(SceneLayers, LightsByDayShowOnlyTheirMarker) {
  LoadedRace loaded = raceOf(1);
  Light light;
  light.kind = QStringLiteral("Fl G 4s");
  light.pos = {kLat + 0.01, kLon - 0.005};
  light.range = 5;
  loaded.race.lights = {light};
  SceneOptions options = optionsFor();
  options.lights = {{1, {0, 128, 0}}};
  SceneCursor cursor;
  const SceneState s = computeScene(loaded, options, 100, cursor);
  options.LightPhase = 20 / (light.range / 2 * s.scale.ScaleLat);  // a ring of 20 pixels
  const QRgb green = qRgb(0, 128, 0);
  const QPoint at = s.projection.toPixel(light.pos);
  options.NightMode = 0;
  options.LabelLevel = 1;
  const QImage day = drawLayer(loaded, options, s, DrawLights);
  EXPECT_EQ(countColour(day, green), 0);
  EXPECT_EQ(day.pixel(at), kYellow);
  EXPECT_EQ(countColour(day, kBlack), 0);  // no name below level 2
  options.LabelLevel = 2;
  EXPECT_GT(countColour(drawLayer(loaded, options, s, DrawLights), kBlack), 0);
  options.NightMode = 1;
  EXPECT_GT(countColour(drawLayer(loaded, options, s, DrawLights), green), 0);
  options.lights = {{0, {0, 128, 0}}};  // dark in this phase of its period
  EXPECT_EQ(countColour(drawLayer(loaded, options, s, DrawLights), green), 0);
}

TEST(SceneLayers, LightJustOffTheMapShowsItsRingWithoutMarker) {
  LoadedRace loaded = raceOf(1);
  SceneOptions options = optionsFor();
  options.NightMode = 1;
  SceneCursor cursor;
  const SceneState s = computeScene(loaded, options, 100, cursor);
  Light light;
  light.kind = QStringLiteral("Iso R 2s");
  light.range = 5;
  // 30 pixels beyond the right edge, level with the middle.
  light.pos = {s.projection.centre().lat,
               s.projection.centre().lon + (kMap.width() / 2 + 30) / s.scale.ScaleLon};
  loaded.race.lights = {light};
  options.lights = {{1, {255, 0, 0}}};
  options.LightPhase = 60 / (light.range / 2 * s.scale.ScaleLat);
  options.LabelLevel = 3;
  const QImage image = drawLayer(loaded, options, s, DrawLights);
  EXPECT_GT(countColour(image, kRed, QRect(kMap.width() - 40, 0, 40, kMap.height())), 20);
  EXPECT_EQ(countColour(image, kYellow), 0);
}

TEST(SceneLayers, TwoFocusedBoatsShowTheirRangeAtLevelThree) {
  LoadedRace loaded = raceOf(3);
  SceneOptions options = optionsFor();
  options.BoatFocused = {1, 0, 1};
  options.LabelLevel = 3;
  SceneCursor cursor;
  const SceneState s = computeScene(loaded, options, 100, cursor);
  ASSERT_EQ(s.focusedCount, 2);
  const QImage image = drawLayer(loaded, options, s, DrawBoatPair);
  const QPoint a = s.projection.toPixel(s.boats[0].position());
  const QPoint c = s.projection.toPixel(s.boats[2].position());
  // The line runs from boat to boat; the range text covers its middle.
  EXPECT_EQ(image.pixel(a + QPoint(1, 0)), kYellow);
  EXPECT_GT(countColour(image, kYellow), 5);
  const QPoint text((a.x() + c.x()) / 2 - 35, (a.y() + c.y()) / 2 - 5);
  EXPECT_GT(countWhitish(image, QRect(text, QSize(60, 14))), 20);
  options.LabelLevel = 2;
  EXPECT_EQ(countColour(drawLayer(loaded, options, s, DrawBoatPair), kYellow), 0);
  options.LabelLevel = 3;
  options.BoatFocused = {1, 1, 1};
  const SceneState three = computeScene(loaded, options, 100, cursor);
  EXPECT_EQ(countColour(drawLayer(loaded, options, three, DrawBoatPair), kYellow), 0);
}

TEST(SceneLayers, CourseRouteOnlyWithoutReferenceLinesFromLevelTwo) {
  LoadedRace loaded = raceOf(1);
  loaded.results.CoursePoint = {GeoPoint{kLat, kLon - 0.02}, GeoPoint{kLat + 0.02, kLon + 0.02}};
  SceneOptions options = optionsFor();
  SceneCursor cursor;
  const SceneState s = computeScene(loaded, options, 100, cursor);
  options.LabelLevel = 2;
  EXPECT_GT(countColour(drawLayer(loaded, options, s, DrawCourseRoute), kRed), 10);
  options.LabelLevel = 1;
  EXPECT_EQ(countColour(drawLayer(loaded, options, s, DrawCourseRoute), kRed), 0);
  options.LabelLevel = 3;
  loaded.race.refLines = {{{kLat + 5, kLon + 5}, {kLat + 5.1, kLon + 5}}};  // off the map
  EXPECT_EQ(countColour(drawLayer(loaded, options, s, DrawCourseRoute), kRed), 0);
}

TEST(SceneLayers, SailFromNinePixelsUp) {
  LoadedRace loaded = raceOf(1);
  SceneOptions options = optionsFor();
  SceneCursor cursor;
  SceneState s = computeScene(loaded, options, 100, cursor);
  ASSERT_TRUE(s.boats[0].BoatActive);
  for (const int size : {8, 9}) {
    s.BoatSize = size;
    const QImage image = drawLayer(loaded, options, s, DrawHulls);
    EXPECT_EQ(countColour(image, kWhite) > 0, size == 9) << size;
  }
  s.BoatSize = 30;
  options.ShowSails = false;
  EXPECT_EQ(countColour(drawLayer(loaded, options, s, DrawHulls), kWhite), 0);
}

TEST(SceneLayers, BoatOutOfFocusIsAnOutlineFromLevelOneAndHasNoSail) {
  LoadedRace loaded = raceOf(1);
  SceneOptions options = optionsFor();
  options.BoatFocused = {0, 1};
  loaded = raceOf(2);
  SceneCursor cursor;
  SceneState s = computeScene(loaded, options, 100, cursor);
  s.BoatSize = 30;
  const QRgb colour = loaded.colours.BoatColour[0].argb();
  const QRect around(s.projection.toPixel(s.boats[0].position()) - QPoint(20, 20), QSize(40, 40));
  options.LabelLevel = 0;
  EXPECT_EQ(countColour(drawLayer(loaded, options, s, DrawHulls), colour, around), 0);
  options.LabelLevel = 1;
  const QImage outline = drawLayer(loaded, options, s, DrawHulls);
  EXPECT_GT(countColour(outline, colour, around), 10);
  EXPECT_EQ(countColour(outline, kWhite, around), 0);
  EXPECT_EQ(outline.pixel(s.projection.toPixel(s.boats[0].position()) + QPoint(0, 8)), qRgb(160, 220, 255));
  // On a dark sea the outline is silver.
  options.SeaBrightness = 60;
  EXPECT_GT(countColour(drawLayer(loaded, options, s, DrawHulls), qRgb(192, 192, 192), around), 10);
}

TEST(SceneLayers, WakesTurnRedOnlyAboveTheAverage) {
  LoadedRace loaded = raceOf(2);
  SceneOptions options = optionsFor();
  options.RedWakeMode = true;
  SceneCursor cursor;
  const SceneState s = computeScene(loaded, options, 100, cursor);
  // The wind from 45 puts both boats upwind; with no average up every wake
  // is white.
  options.AvgSpeedUp = 10000;
  options.AvgSpeedDown = 1;
  const QImage white = drawLayer(loaded, options, s, DrawWakesAndLabels);
  EXPECT_EQ(countColour(white, kRed), 0);
  EXPECT_GT(countColour(white, kWhite), 10);
  options.AvgSpeedUp = 5.9;
  EXPECT_GT(countColour(drawLayer(loaded, options, s, DrawWakesAndLabels), kRed), 10);
}

// Comparison lines run 600 pixels either way across the wind, in the boat's
// colour, and leave boats out of focus alone.
TEST(SceneLayers, ComparisonLinesAcrossTheWind) {
  LoadedRace loaded = raceOf(2);
  loaded.race.WindDirection = 0;
  SceneOptions options = optionsFor(QSize(1600, 300));
  options.BoatFocused = {1, 0};
  SceneCursor cursor;
  const SceneState s = computeScene(loaded, options, 100, cursor);
  const QRgb colour = loaded.colours.BoatColour[0].argb();
  EXPECT_EQ(countColour(drawLayer(loaded, options, s, DrawWakesAndLabels), colour), 0);
  options.ChkRefLine = true;
  const QImage image = drawLayer(loaded, options, s, DrawWakesAndLabels);
  const QPoint at = s.projection.toPixel(s.boats[0].position());
  // Wind from north: the line is level through the boat, 1201 pixels long.
  EXPECT_EQ(countColour(image, colour, QRect(0, at.y(), 1600, 1)), 1201);
  EXPECT_EQ(image.pixel(at + QPoint(-600, 0)), colour);
  EXPECT_EQ(image.pixel(at + QPoint(600, 0)), colour);
  EXPECT_EQ(countColour(image, loaded.colours.BoatColour[1].argb()), 0);
  // The same through a painter with a clip takes the painter's own line.
  QImage clipped = blank(options.mapArea);
  {
    QPainter p(&clipped);
    p.setClipRect(QRect(0, 0, 1600, 300));
    DrawWakesAndLabels(p, SceneContext{loaded, options, s});
  }
  EXPECT_EQ(countColour(clipped, colour, QRect(0, at.y(), 1600, 1)), 1201);
}

TEST(SceneLayers, HoverLabelInTheBoatColourOnWhite) {
  LoadedRace loaded = raceOf(2);
  SceneOptions options = optionsFor();
  options.HoverBoat = 2;
  SceneCursor cursor;
  const SceneState s = computeScene(loaded, options, 100, cursor);
  const QImage image = drawLayer(loaded, options, s, DrawHighlights);
  const QPoint at = s.projection.toPixel(s.boats[1].position());
  EXPECT_EQ(image.pixel(at), qRgb(192, 255, 255));
  const QRect label(at + QPoint(roundToInt(s.BoatSize / 2.0) + 7, -6), QSize(60, 12));
  EXPECT_GT(countColour(image, kWhite, label), 100);
  EXPECT_GT(countColour(image, loaded.colours.BoatColour[1].argb(), label), 5);
}

TEST(SceneLayers, ClockFaceFollowsTheSeaBrightnessAndIsDrawnOncePerTime) {
  struct Case {
    double brightness;
    QRgb face;
  };
  for (const Case c : {Case{100, kWhite}, Case{40, qRgb(192, 192, 55)}}) {
    QImage image = blank();
    double drawnAt = 0;
    {
      QPainter p(&image);
      DrawClock(p, 1, drawnAt, c.brightness, kMap, kMap);
    }
    const QPoint centre(kMap.width() - 40, kMap.height() - 65);
    EXPECT_EQ(image.pixel(centre + QPoint(-15, 10)), c.face);
    EXPECT_EQ(image.pixel(centre + QPoint(-29, 0)), qRgb(128, 128, 128));
    EXPECT_DOUBLE_EQ(drawnAt, 1);
  }
  QImage image = blank();
  double drawnAt = 5;
  {
    QPainter p(&image);
    DrawClock(p, 5, drawnAt, 100, kMap, kMap);
  }
  EXPECT_EQ(countColour(image, qRgb(128, 128, 128)), 0);
}

TEST(SceneRendererTest, FramesWithoutARaceOrBoatsAreSea) {
  SceneRenderer renderer;
  renderer.options() = optionsFor();
  const QImage& empty = renderer.render(0);
  EXPECT_EQ(empty.size(), kMap);
  EXPECT_EQ(empty.pixel(10, 10), qRgb(160, 220, 255));
  LoadedRace none = raceOf(0);
  renderer.setRace(&none);
  renderer.options().mapArea = QSize(200, 150);
  EXPECT_EQ(renderer.render(0).size(), QSize(200, 150));
  EXPECT_EQ(renderer.state().activeCount, 0);
  EXPECT_DOUBLE_EQ(SceneRenderer::stepPlus(1000, -190, 1000), -190);
  EXPECT_DOUBLE_EQ(SceneRenderer::stepMinus(-190, -190, 1000), 1000);
}

TEST(SceneRendererTest, BoatMotionsForTheClockAverages) {
  LoadedRace loaded = raceOf(3);
  SceneRenderer renderer;
  renderer.setRace(&loaded);
  renderer.options() = optionsFor();
  renderer.options().BoatFocused = {1, 0, 1};
  renderer.render(100);
  const std::vector<BoatMotion> motions = renderer.boatMotions();
  ASSERT_EQ(motions.size(), 3u);
  EXPECT_TRUE(motions[0].focused);
  EXPECT_FALSE(motions[1].focused);
  EXPECT_DOUBLE_EQ(motions[2].speed, 6);
  EXPECT_DOUBLE_EQ(motions[2].windAngle, 45);
}

}  // namespace
}  // namespace velaro
