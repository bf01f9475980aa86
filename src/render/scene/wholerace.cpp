#include "render/scene/wholerace.h"

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

  drawTracks(p, loaded, options, frame.projection);

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

  p.setFont(canvasFont(12));
  textOut(p, timeOfDayBox(p.fontMetrics(), time, SceneBitmap.size()).topLeft(), time, Qt::white, sea);
  p.setFont(canvasFont());
  return frame;
}

}  // namespace velaro
