#include "render/scene/wholerace.h"

#include "core/analysis/speedcolours.h"
#include "core/datetime.h"
#include "core/scene/scenerules.h"
#include "render/overviewmap.h"
#include "render/rgbcolour.h"
#include "render/scene/pixellines.h"
#include "render/scene/scenelayers.h"

#include <QFontMetrics>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <optional>

namespace velaro {

namespace {

// Tracks from the last boat to the first, so that boat 1's lies on top.
void drawTracks(QPainter& p, const LoadedRace& loaded, const SceneOptions& options,
                const Projection& projection) {
  const Race& race = loaded.race;
  for (int i = race.BoatCount() - 1; i >= 0; --i) {
    if (!isFocused(options, race, i)) {
      continue;
    }
    PolylineDrawer draw(p, projection, qcolour(loaded.colours.BoatColour[i]));
    for (const Fix& fix : race.boats[i].fixes) {
      draw.add({fix.lat, fix.lon});
    }
  }
}

// The pixel a fix falls in, kept in doubles so that far-off fixes stay exact.
QPointF pixelOf(const Projection& projection, const Fix& fix) {
  const QPointF p = projection.toPointF({fix.lat, fix.lon});
  return {std::floor(p.x() + 0.5), std::floor(p.y() + 0.5)};
}

// The same tracks with each segment in the colour of the speed about its
// earlier fix; a run of one colour is drawn as one line.
void drawSpeedTracks(QPainter& p, const LoadedRace& loaded, const SceneOptions& options,
                     const Projection& projection, const std::vector<std::vector<double>>& speeds,
                     const SpeedRange& range) {
  const Race& race = loaded.race;
  std::vector<PolylineDrawer> draws;
  draws.reserve(kSpeedColourBins);
  for (int k = 0; k < kSpeedColourBins; ++k) {
    draws.emplace_back(p, projection, qcolour(speedBinColour(k)));
  }
  for (int i = race.BoatCount() - 1; i >= 0; --i) {
    const std::vector<Fix>& fixes = race.boats[i].fixes;
    if (!isFocused(options, race, i) || fixes.empty()) {
      continue;
    }
    // A segment within one pixel draws nothing new, so it neither changes
    // the colour nor costs a line; at a fit-to-picture zoom most do.
    int open = -1;
    QPointF last = pixelOf(projection, fixes[0]);
    for (size_t k = 0; k + 1 < fixes.size(); ++k) {
      const QPointF next = pixelOf(projection, fixes[k + 1]);
      if (next == last && open >= 0) {
        continue;
      }
      const int bin = speedBin(speeds[i][k], range);
      PolylineDrawer& draw = draws[bin];
      if (bin != open) {
        draw.start();
        draw.add({fixes[k].lat, fixes[k].lon});
        open = bin;
      }
      draw.add({fixes[k + 1].lat, fixes[k + 1].lon});
      last = next;
    }
    if (fixes.size() == 1) {
      draws[0].start();
      draws[0].add({fixes[0].lat, fixes[0].lon});
    }
  }
}

// The colours' key in the bottom left corner: a bar of the bins, slowest
// on the left, with the knots at every other edge.
void drawSpeedLegend(QPainter& p, const SpeedRange& range, QSize picture, const QColor& sea) {
  constexpr int kSwatchWidth = 30;
  constexpr int kSwatchHeight = 12;
  constexpr int kMargin = 10;
  p.setFont(canvasFont());
  const int labelHeight = p.fontMetrics().height();
  const int left =
      kMargin + p.fontMetrics().horizontalAdvance(QString::number(speedBinEdge(range, 0), 'f', 1));
  const int top = picture.height() - kMargin - labelHeight - kSwatchHeight;
  p.setPen(Qt::NoPen);
  for (int k = 0; k < kSpeedColourBins; ++k) {
    p.setBrush(qcolour(speedBinColour(k)));
    p.drawRect(left + k * kSwatchWidth, top, kSwatchWidth, kSwatchHeight);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::white);
  p.drawRect(left - 1, top - 1, kSpeedColourBins * kSwatchWidth + 1, kSwatchHeight + 1);
  for (int k = 0; k <= kSpeedColourBins; k += 2) {
    QString text = QString::number(speedBinEdge(range, k), 'f', 1);
    if (k == kSpeedColourBins) {
      text += QStringLiteral(" kn");
    }
    const int x = left + k * kSwatchWidth - p.fontMetrics().horizontalAdvance(text.section(u' ', 0, 0)) / 2;
    textOut(p, {x, top + kSwatchHeight + 2}, text, Qt::white, sea);
  }
}

// The time of day in the bottom right corner, in the painter's font. 63
// pixels from the right edge fit the time in the narrow face it was laid out
// for; a wider face moves it left rather than cut it off.
QRect timeOfDayBox(const QFontMetrics& fm, const QString& time, QSize picture) {
  const int width = fm.horizontalAdvance(time);
  return QRect(std::min(picture.width() - 63, picture.width() - width - 4), picture.height() - 25, width,
               fm.height());
}

// Every boat between two fixes, focused or not, as a filled outline with a
// white rim, then all names over the hulls, clear of each other.
std::vector<LabelPlacement> drawBoats(QPainter& p, const SceneContext& course,
                                      const std::vector<WholeRaceBoat>& boats, double SceneTime,
                                      const QRect& timeBox, const std::vector<QRect>& keepClear) {
  const LoadedRace& loaded = course.loaded;
  const Projection& projection = course.state.projection;
  const QSize picture = course.options.mapArea;
  const QColor sea = course.sea();
  const Race& race = loaded.race;
  QPolygon hull(8);
  std::vector<QPointF> centres(boats.size());
  for (size_t i = 0; i < boats.size(); ++i) {
    const WholeRaceBoat& b = boats[i];
    centres[i] = projection.toPointF(b.position());
    if (!b.shown || !nearPicture(centres[i], picture)) {
      continue;
    }
    const std::array<QPoint, 9> points = hullPoints(loaded.outline, kWholeRaceBoatSize, centres[i],
                                                    screenCourse(b.BoatCourse, projection.orientation()));
    for (int k = 0; k < 8; ++k) {
      hull.setPoint(k, points[k]);
    }
    const QColor colour = qcolour(loaded.colours.BoatColour[i]);
    p.setPen(colour);
    p.setBrush(colour);
    p.drawPolygon(hull);
    p.setPen(Qt::white);
    p.drawPolyline(hull);
  }
  p.setFont(canvasFont());
  for (size_t i = 0; i < boats.size(); ++i) {
    if (!boats[i].shown || !nearPicture(centres[i], picture)) {
      centres[i].setX(std::nan(""));
    }
  }
  std::vector<LabelPlacement> names =
      PlaceWholeRaceNames(course, p.fontMetrics(), boats, centres, SceneTime, timeBox, keepClear);
  p.setPen(Qt::white);
  for (size_t i = 0; i < boats.size(); ++i) {
    if (std::isnan(centres[i].x()) || !names[i].shown) {
      continue;
    }
    if (names[i].leader) {
      p.setPen(Qt::white);
      p.drawLine(*names[i].leader);
    }
    textOut(p, names[i].box.topLeft(), race.boats[i].BoatName, Qt::white, sea);
  }
  return names;
}

}  // namespace

WholeRaceFrame RenderWholeRace(QImage& SceneBitmap, const LoadedRace& loaded, const SceneOptions& options,
                               const MapViewState& view, double SceneTime, int TrueDir, SceneCursor& cursor,
                               const std::vector<QRect>& keepClear) {
  const Race& race = loaded.race;
  const Orientation orientation{options.northUp ? 1 : 0, race.WindAxis};
  WholeRaceFrame frame;
  frame.projection = view.wholeRaceProjection(loaded.geometry, orientation, SceneBitmap.size());
  frame.compassAngle = CompassRoseAngle(race.MagVariation, orientation);

  const SeaShade shade = seaShadeFor(options.SeaBrightness);
  const QColor sea = qcolour(shade.SeaColour);
  SceneBitmap.fill(sea);
  QPainter p(&SceneBitmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setBrush(sea);
  p.setFont(canvasFont());

  std::optional<SpeedRange> speeds;
  if (options.speedColours) {
    std::vector<std::vector<double>> boatSpeeds;
    speeds = FleetColourSpeeds(race, loaded.results, boatSpeeds);
    drawSpeedTracks(p, loaded, options, frame.projection, boatSpeeds, *speeds);
  } else {
    drawTracks(p, loaded, options, frame.projection);
  }

  // The course and the coast are the live scene's layers seen through this
  // projection, without laylines.
  SceneOptions courseOptions;
  courseOptions.mapArea = SceneBitmap.size();
  courseOptions.chkLL = false;
  SceneState courseState;
  courseState.projection = frame.projection;
  courseState.orientation = orientation;
  courseState.SeaColour = shade.SeaColour;
  const SceneContext course{loaded, courseOptions, courseState};
  DrawMarks(p, course);
  DrawCourseLines(p, course);
  DrawCoastline(p, course);

  frame.boats = WholeRaceBoats(race, SceneTime, TrueDir, cursor);
  const QString time = formatTime(race.RaceStart + roundToInt(SceneTime) / kSecondsPerDay).left(20);
  const QRect timeBox = timeOfDayBox(QFontMetrics(canvasFont(12)), time, SceneBitmap.size());
  frame.names = drawBoats(p, course, frame.boats, SceneTime, timeBox, keepClear);
  if (speeds) {
    drawSpeedLegend(p, *speeds, SceneBitmap.size(), sea);
  }

  p.setFont(canvasFont(12));
  textOut(p, timeOfDayBox(p.fontMetrics(), time, SceneBitmap.size()).topLeft(), time, Qt::white, sea);
  p.setFont(canvasFont());
  return frame;
}

}  // namespace velaro
