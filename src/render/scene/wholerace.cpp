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

// Every boat between two fixes, focused or not, as a filled outline with a
// white rim, then all names over the hulls.
void drawBoats(QPainter& p, const LoadedRace& loaded, const std::vector<WholeRaceBoat>& boats,
               const Projection& projection, QSize picture, const QColor& sea) {
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
      continue;
    }
    textOut(p, {roundToInt(centres[i].x() + 10), roundToInt(centres[i].y() - 6)}, race.boats[i].BoatName,
            Qt::white, sea);
  }
}

}  // namespace

WholeRaceFrame RenderWholeRace(QImage& SceneBitmap, const LoadedRace& loaded, const SceneOptions& options,
                               const MapViewState& view, double SceneTime, int TrueDir, SceneCursor& cursor) {
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
  drawBoats(p, loaded, frame.boats, frame.projection, SceneBitmap.size(), sea);

  const QString time = formatTime(race.RaceStart + roundToInt(SceneTime) / kSecondsPerDay).left(20);
  p.setFont(canvasFont(12));
  // 63 pixels from the right edge fit the time in the narrow face it was
  // laid out for; a wider face moves it left rather than cut it off.
  const int x =
      std::min(SceneBitmap.width() - 63, SceneBitmap.width() - p.fontMetrics().horizontalAdvance(time) - 4);
  textOut(p, {x, SceneBitmap.height() - 25}, time, Qt::white, sea);
  p.setFont(canvasFont());
  return frame;
}

}  // namespace velaro
