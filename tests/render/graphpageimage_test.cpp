#include "render/graphpageimage.h"

#include "core/reports/graphpage.h"
#include "render/pixellines.h"

#include <gtest/gtest.h>

#include <random>

namespace velaro {
namespace {

const QSize kPicture(900, 666);

// Three boats on steady courses 90 degrees apart at different speeds, from
// the start of the axis to its end; a wind log at 180 degrees (magnetic).
LoadedRace threeBoats(bool windLog) {
  LoadedRace loaded;
  Race& race = loaded.race;
  race.TimeAxisStart = -190;
  race.TimeAxisEnd = 1810;
  race.WindAxis = 180;
  const double courses[] = {90, 180, 270};
  const double speeds[] = {3, 4, 5};
  for (int b = 0; b < 3; ++b) {
    Boat boat;
    for (double t = -190; t <= 1810; t += 10) {
      boat.fixes.push_back({t, 0, 0, speeds[b], courses[b]});
    }
    race.boats.push_back(boat);
  }
  if (windLog) {
    for (double t = -200; t <= 1900; t += 60) {
      race.wind.push_back({t, 5, 120});
    }
  }
  loaded.colours = AssignColours(3);
  loaded.colours.BoatColour[0] = {10, 200, 30};  // not the start line's red
  loaded.MaxTrackSpeed = 5.5;
  return loaded;
}

QImage graphOf(const LoadedRace& loaded, const std::vector<int>& focus = {}) {
  QImage picture(kPicture, QImage::Format_RGB32);
  GraphPageOptions options;
  options.BoatFocused = focus;
  DrawGraphPage(picture, loaded, options);
  return picture;
}

QColor boatColour(const LoadedRace& loaded, int n) {
  return QColor::fromRgb(loaded.colours.BoatColour[n - 1].argb());
}

// The picture's colour at a time on the course chart and on the speed chart.
QColor courseAt(const QImage& picture, const GraphAxes& axes, double direction, double t) {
  return picture.pixelColor(axes.directionX(direction), axes.timeY(t));
}
QColor speedAt(const QImage& picture, const GraphAxes& axes, double v, double t) {
  return picture.pixelColor(axes.speedX(v), axes.timeY(t));
}

TEST(GraphPageImage, ChartsCurvesAndWindInBoatOnesColour) {
  const LoadedRace loaded = threeBoats(true);
  const GraphAxes axes = GraphAxes::of(kPicture, loaded.race, loaded.MaxTrackSpeed);
  const QImage picture = graphOf(loaded);
  ASSERT_EQ(picture.size(), kPicture);
  const QColor sea(160, 220, 255);
  const QColor chart(225, 225, 255);
  EXPECT_EQ(picture.pixelColor(kPicture.width() - 1, kPicture.height() - 1), sea);
  EXPECT_EQ(picture.pixelColor(axes.x0L - 1, kGraphTop - 1), chart);
  EXPECT_EQ(picture.pixelColor(axes.x0L + axes.WL, axes.bottom() + 1), chart);
  EXPECT_EQ(picture.pixelColor(axes.x0L + axes.WL + 1, 300), sea);
  EXPECT_EQ(picture.pixelColor(axes.x0R - 1, 300), chart);
  // The start signal's line in red across both charts, an hour line darker.
  EXPECT_EQ(picture.pixelColor(axes.x0L + 5, axes.timeY(0)), QColor(255, 0, 0));
  EXPECT_EQ(picture.pixelColor(axes.x0R + 5, axes.timeY(0)), QColor(255, 0, 0));
  EXPECT_EQ(picture.pixelColor(axes.x0R + 5, axes.timeY(300)), QColor(192, 192, 225));

  for (int b = 1; b <= 3; ++b) {
    const double course = 90.0 * b;
    EXPECT_EQ(courseAt(picture, axes, course, 1000), boatColour(loaded, b)) << b;
    EXPECT_EQ(courseAt(picture, axes, course, 1810), boatColour(loaded, b)) << b;  // the axis end
    EXPECT_EQ(speedAt(picture, axes, 2.0 + b, 1000), boatColour(loaded, b)) << b;
  }
  EXPECT_EQ(courseAt(picture, axes, 120, 1000), boatColour(loaded, 1));

  // Boat 1 out of focus: its curves go, the wind stays in its colour.
  const QImage without1 = graphOf(loaded, {0, 1, 1});
  EXPECT_NE(courseAt(without1, axes, 90, 1000), boatColour(loaded, 1));
  EXPECT_NE(speedAt(without1, axes, 3, 1000), boatColour(loaded, 1));
  EXPECT_EQ(courseAt(without1, axes, 120, 1000), boatColour(loaded, 1));
  EXPECT_EQ(courseAt(without1, axes, 180, 1000), boatColour(loaded, 2));

  // No boat in focus: only the wind is drawn.
  const QImage none = graphOf(loaded, {0, 0, 0});
  EXPECT_EQ(courseAt(none, axes, 120, 1000), boatColour(loaded, 1));
  EXPECT_NE(courseAt(none, axes, 180, 1000), boatColour(loaded, 2));
}

TEST(GraphPageImage, NoWindLogDrawsNoWindTrace) {
  const LoadedRace loaded = threeBoats(false);
  const GraphAxes axes = GraphAxes::of(kPicture, loaded.race, loaded.MaxTrackSpeed);
  const QImage picture = graphOf(loaded);
  const QColor windColour = boatColour(loaded, 1);
  for (int y = kGraphTop; y <= axes.bottom(); ++y) {
    ASSERT_NE(picture.pixelColor(axes.directionX(120), y), windColour) << y;
  }
  EXPECT_EQ(courseAt(picture, axes, 90, 1000), windColour);  // boat 1 itself is drawn
}

TEST(GraphPageImage, HighlightLiesOnTheBoatsCurvesOfACopy) {
  const LoadedRace loaded = threeBoats(true);
  const GraphAxes axes = GraphAxes::of(kPicture, loaded.race, loaded.MaxTrackSpeed);
  const QImage graph = graphOf(loaded);
  const QImage highlighted = DrawGraphHighlight(graph, loaded, 2);
  ASSERT_EQ(highlighted.size(), graph.size());
  EXPECT_EQ(graph, graphOf(loaded));  // the graph picture is left as it was
  // Boat 2's curves, in its colour, are edged in white three pixels out.
  for (const double t : {0.0, 900.0, 1800.0}) {
    const QPoint course(axes.directionX(180), axes.timeY(t));
    const QPoint speed(axes.speedX(4), axes.timeY(t));
    EXPECT_EQ(highlighted.pixelColor(course), boatColour(loaded, 2)) << t;
    EXPECT_EQ(highlighted.pixelColor(course + QPoint(2, 0)), QColor(Qt::white)) << t;
    EXPECT_EQ(highlighted.pixelColor(speed - QPoint(2, 0)), QColor(Qt::white)) << t;
  }
  // Nothing else changes.
  EXPECT_EQ(highlighted.pixelColor(axes.directionX(90), axes.timeY(900)), boatColour(loaded, 1));
  EXPECT_EQ(DrawGraphHighlight(graph, loaded, 0), graph);
  EXPECT_EQ(DrawGraphHighlight(graph, loaded, 4), graph);
}

// The polyline's runs must set exactly the pixels that Bresenham sets
// segment by segment, for dense curves and for jumps in and out of the
// picture.
TEST(PixelLines, PolylineRunsMatchBresenhamSegments) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> jitter(-30, 30);
  std::uniform_int_distribution<int> rowStep(0, 9);
  std::uniform_int_distribution<int> anywhere(-150, 350);
  for (int round = 0; round < 20; ++round) {
    std::vector<QPoint> points;
    QPoint p(100, 5);
    for (int i = 0; i < 400; ++i) {
      const int r = rowStep(random);
      if (r == 0) {
        p = QPoint(anywhere(random), anywhere(random));  // a jump, often off the picture
      } else {
        p += QPoint(jitter(random), r == 1 ? 1 : r == 2 ? -1 : 0);
      }
      points.push_back(p);
    }
    QImage runs(200, 180, QImage::Format_RGB32);
    runs.fill(Qt::black);
    QImage segments = runs.copy();
    pixelPolyline(runs, points, qRgb(255, 0, 0));
    for (size_t i = 1; i < points.size(); ++i) {
      pixelLine(segments, points[i - 1], points[i], qRgb(255, 0, 0));
    }
    ASSERT_EQ(runs, segments) << round;
  }
  QImage one(10, 10, QImage::Format_RGB32);
  one.fill(Qt::black);
  pixelPolyline(one, {QPoint(3, 4)}, qRgb(0, 0, 255));
  EXPECT_EQ(one.pixel(3, 4), qRgb(0, 0, 255));
}

}  // namespace
}  // namespace velaro
