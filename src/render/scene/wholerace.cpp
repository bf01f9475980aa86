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
#include <array>
#include <cmath>
#include <cstdint>
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

// The pixel a projected point falls in, kept in doubles so that far-off
// fixes stay exact: adding and taking away 1.5 x 2^52 leaves the nearest
// whole number, without the library call floor costs on a plain x86-64
// build. It runs for every fix of the fleet.
QPointF pixelOf(QPointF p) {
  constexpr double kShift = 6755399441055744.0;
  return {(p.x() + kShift) - kShift, (p.y() + kShift) - kShift};
}

// The same tracks with each segment in the colour of the speed about its
// earlier fix; a run of one colour is drawn as one line. Each fix is
// projected once, for both the pixel test and the line.
void drawSpeedTracks(QPainter& p, const LoadedRace& loaded, const SceneOptions& options,
                     const Projection& projection, const TrackColours& colours) {
  const Race& race = loaded.race;
  std::array<QColor, kSpeedColourBins> palette;
  for (int k = 0; k < kSpeedColourBins; ++k) {
    palette[k] = qcolour(speedBinColour(k));
  }
  PolylineDrawer draw(p, projection, palette[0]);
  for (int i = race.BoatCount() - 1; i >= 0; --i) {
    const std::vector<Fix>& fixes = race.boats[i].fixes;
    if (!isFocused(options, race, i) || fixes.empty()) {
      continue;
    }
    const std::vector<std::uint8_t>& bins = colours.bins[i];
    // A segment within one pixel draws nothing new, so it neither changes
    // the colour nor costs a line; at a fit-to-picture zoom most do.
    int open = -1;
    QPointF at = projection.toPointF({fixes[0].lat, fixes[0].lon});
    QPointF atPixel = pixelOf(at);
    for (size_t k = 0; k + 1 < fixes.size(); ++k) {
      const QPointF next = projection.toPointF({fixes[k + 1].lat, fixes[k + 1].lon});
      const QPointF nextPixel = pixelOf(next);
      // Whole numbers compare exactly; QPointF's == is a fuzzy compare, a
      // good part of this loop's time.
      if (open >= 0 && nextPixel.x() == atPixel.x() && nextPixel.y() == atPixel.y()) {
        at = next;
        continue;
      }
      const int bin = bins[k];
      if (bin != open) {
        draw.setColour(palette[bin]);
        draw.startAt(at);
        open = bin;
      }
      draw.addProjected(next);
      at = next;
      atPixel = nextPixel;
    }
    if (fixes.size() == 1) {
      draw.setColour(palette[0]);
      draw.start();
      draw.addProjected(at);
    }
  }
}

// The colours' key in the bottom left corner: a bar of the bins, slowest
// on the left, with the knots at every other edge under it.
constexpr int kKeySwatchWidth = 30;
constexpr int kKeySwatchHeight = 12;
constexpr int kKeyMargin = 10;

QString speedKeyLabel(const SpeedRange& range, int k) {
  QString text = QString::number(speedBinEdge(range, k), 'f', 1);
  if (k == kSpeedColourBins) {
    text += QStringLiteral(" kn");
  }
  return text;
}

// The top left corner of the key's bar, in the canvas font's metrics.
QPoint speedKeyBar(const QFontMetrics& fm, const SpeedRange& range, QSize picture) {
  return {kKeyMargin + fm.horizontalAdvance(speedKeyLabel(range, 0)),
          picture.height() - kKeyMargin - fm.height() - kKeySwatchHeight};
}

// Where a knots label goes: centred on its edge by the number alone.
QPoint speedKeyLabelAt(const QFontMetrics& fm, const QPoint& bar, const QString& text, int k) {
  return {bar.x() + k * kKeySwatchWidth - fm.horizontalAdvance(text.section(u' ', 0, 0)) / 2,
          bar.y() + kKeySwatchHeight + 2};
}

// All the key covers, its rim and labels included.
QRect speedKeyBox(const QFontMetrics& fm, const SpeedRange& range, QSize picture) {
  const QPoint bar = speedKeyBar(fm, range, picture);
  const QString first = speedKeyLabel(range, 0);
  const QString last = speedKeyLabel(range, kSpeedColourBins);
  const QPoint firstAt = speedKeyLabelAt(fm, bar, first, 0);
  const QPoint lastAt = speedKeyLabelAt(fm, bar, last, kSpeedColourBins);
  return QRect(QPoint(std::min(firstAt.x(), bar.x() - 1), bar.y() - 1),
               QPoint(std::max(lastAt.x() + fm.horizontalAdvance(last) - 1,
                               bar.x() + kSpeedColourBins * kKeySwatchWidth),
                      lastAt.y() + fm.height() - 1));
}

void drawSpeedLegend(QPainter& p, const SpeedRange& range, QSize picture, const QColor& sea) {
  p.setFont(canvasFont());
  const QPoint bar = speedKeyBar(p.fontMetrics(), range, picture);
  p.setPen(Qt::NoPen);
  for (int k = 0; k < kSpeedColourBins; ++k) {
    p.setBrush(qcolour(speedBinColour(k)));
    p.drawRect(bar.x() + k * kKeySwatchWidth, bar.y(), kKeySwatchWidth, kKeySwatchHeight);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::white);
  p.drawRect(bar.x() - 1, bar.y() - 1, kSpeedColourBins * kKeySwatchWidth + 1, kKeySwatchHeight + 1);
  for (int k = 0; k <= kSpeedColourBins; k += 2) {
    const QString text = speedKeyLabel(range, k);
    textOut(p, speedKeyLabelAt(p.fontMetrics(), bar, text, k), text, Qt::white, sea);
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

  const std::optional<SpeedRange>& speeds = frame.speedRange;
  if (options.speedColours) {
    const TrackColours& colours = cursor.trackColours.of(race, loaded.results);
    frame.speedRange = colours.range;
    drawSpeedTracks(p, loaded, options, frame.projection, colours);
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
  std::vector<QRect> clearOf = keepClear;
  if (speeds) {
    // The key is drawn last, over the names: they keep clear of it instead.
    p.setFont(canvasFont());
    clearOf.push_back(speedKeyBox(p.fontMetrics(), *speeds, SceneBitmap.size()));
  }
  frame.names = drawBoats(p, course, frame.boats, SceneTime, timeBox, clearOf);
  if (speeds) {
    drawSpeedLegend(p, *speeds, SceneBitmap.size(), sea);
  }

  p.setFont(canvasFont(12));
  textOut(p, timeOfDayBox(p.fontMetrics(), time, SceneBitmap.size()).topLeft(), time, Qt::white, sea);
  p.setFont(canvasFont());
  return frame;
}

}  // namespace velaro
