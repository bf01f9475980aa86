#include "render/scene/scenelayers.h"

#include "core/datetime.h"
#include "core/scene/scenerules.h"
#include "render/rgbcolour.h"
#include "render/scene/pixellines.h"
#include "render/scene/wholerace.h"

#include <QFontMetrics>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velaro {

namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kGrey(128, 128, 128);
const QColor kHalo(192, 255, 255);

// An ellipse given by its bounding corners, the far corner excluded.
void ellipse(QPainter& p, int x1, int y1, int x2, int y2) {
  p.drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

QPoint pixel(const SceneContext& scene, GeoPoint p) {
  return scene.state.projection.toPixel(p);
}

int labelOffset(int BoatSize) {
  return roundToInt(BoatSize / 2.0) + 7;
}

// The grid spacing is taken from the window height, which the map height
// stands for when the options do not say.
double gridSpacing(const SceneContext& scene) {
  const int height = scene.options.FormHeight > 0 ? scene.options.FormHeight : scene.options.mapArea.height();
  return gridSpacingKm(height, scene.state.scale.PixelsPerKm);
}

// A mark or line end with its name, as DrawMarks and DrawCourseLines draw
// them.
QRect markBox(const QFontMetrics& fm, QPoint c, const QString& name) {
  return QRect(c.x() - 4, c.y() - 4, 9, 9)
      .united(QRect(c.x() + 8, c.y() - 6, fm.horizontalAdvance(name), fm.height()));
}

// The boxes of the course's marks and line ends, as obstacles to labels.
void addCourseObstacles(LabelPlacer& placer, const SceneContext& scene, const QFontMetrics& fm) {
  const Projection& projection = scene.state.projection;
  const std::vector<GeoPoint>& marks = scene.race().marks;
  for (size_t n = 0; n < marks.size(); ++n) {
    if (nearPicture(projection.toPointF(marks[n]), scene.options.mapArea)) {
      placer.addObstacle(markBox(fm, pixel(scene, marks[n]), QStringLiteral("MK%1").arg(n + 1)));
    }
  }
  const std::vector<GeoLine>& lines = scene.race().lines;
  for (size_t n = 0; n < lines.size(); ++n) {
    for (const GeoPoint& end : {lines[n].end1, lines[n].end2}) {
      if (nearPicture(projection.toPointF(end), scene.options.mapArea)) {
        placer.addObstacle(markBox(fm, pixel(scene, end), QStringLiteral("L%1").arg(n + 1)));
      }
    }
  }
}

// Labels moved off their place keep this far from their boat's centre, so
// that they and their leader lines clear the corners of its hull's box.
int hullClearance(int half) {
  return roundToInt(half * std::numbers::sqrt2) + 1;
}

// A label's text and colour: the pair's faster boat in red.
struct BoatText {
  QString text;
  QColor colour;
};

bool pairShown(const SceneContext& scene) {
  const SceneState& s = scene.state;
  return s.focusedCount == 2 && s.FocusedBoats.size() == 2 && scene.options.LabelLevel > 2;
}

BoatText boatText(const SceneContext& scene, int i, bool pair) {
  const SceneState& s = scene.state;
  const BoatScene& b = s.boats[i];
  BoatText out{
      boatLabel(scene.race().boats[i].BoatName, b.BoatSpeed, scene.options.LabelLevel, b.BoatFocused),
      kWhite};
  if (pair && b.BoatFocused && (i == s.FocusedBoats[0] || i == s.FocusedBoats[1])) {
    const int other = i == s.FocusedBoats[0] ? s.FocusedBoats[1] : s.FocusedBoats[0];
    const PairSuffix suffix = pairSuffix(b.BoatSpeed, s.boats[other].BoatSpeed);
    out.text += suffix.text;
    if (suffix.faster) {
      out.colour = kRed;
    }
  }
  return out;
}

QString hoverText(const SceneContext& scene, int i) {
  return scene.race().boats[i].BoatName + QStringLiteral("  ") + knotsText(scene.state.boats[i].BoatSpeed) +
         QStringLiteral("Kts");
}

// The names go down in the fleet's order, the leader's first: a name
// placed earlier keeps the better place. out holds each boat's label by
// boat; boatOf tells whose each request is.
void placeInRankOrder(LabelPlacer& placer, std::vector<LabelRequest>& requests,
                      const std::vector<int>& boatOf, const std::vector<int>& ranks,
                      std::vector<LabelPlacement>& out) {
  for (size_t k = 0; k < requests.size(); ++k) {
    requests[k].rank = ranks[static_cast<size_t>(boatOf[k])];
  }
  const std::vector<LabelPlacement> placed = placer.place(requests);
  for (size_t k = 0; k < requests.size(); ++k) {
    out[static_cast<size_t>(boatOf[k])] = placed[k];
  }
}

void markCircle(QPainter& p, QPoint c) {
  p.setPen(kBlack);
  p.setBrush(kYellow);
  ellipse(p, c.x() - 4, c.y() - 4, c.x() + 4, c.y() + 4);
}

}  // namespace

// The painter fills the background itself, so the text is laid out once.
void textOut(QPainter& p, QPoint topLeft, const QString& text, const QColor& colour,
             const QColor& background) {
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(background);
  p.setPen(colour);
  p.drawText(QPoint(topLeft.x(), topLeft.y() + p.fontMetrics().ascent()), text);
  p.setBackgroundMode(Qt::TransparentMode);
}

QFont canvasFont(int pointSize) {
  QFont font;
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(pointSize);
  return font;
}

void DrawLights(QPainter& p, const SceneContext& scene) {
  const SceneOptions& o = scene.options;
  const SceneState& s = scene.state;
  const QColor sea = scene.sea();
  const std::vector<Light>& lights = scene.race().lights;
  p.setFont(canvasFont());
  for (size_t i = 0; i < lights.size(); ++i) {
    const Light& light = lights[i];
    const QPoint c = pixel(scene, light.pos);
    const LightFlash flash = i < o.lights.size() ? o.lights[i] : LightFlash{};
    if (o.NightMode > 0 && flash.LightLit > 0 &&
        lightRingShown(light.pos, s.projection.centre(), s.scale.ScaleLat, s.scale.ScaleLon, o.mapArea,
                       o.ZoomDivisor)) {
      const int r = lightRingRadius(light.range, s.scale.ScaleLat, o.LightPhase);
      p.setPen(qcolour(flash.LightColour));
      p.setBrush(sea);
      ellipse(p, c.x() - r, c.y() - r, c.x() + r, c.y() + r);
    }
    if (c.x() > 0 && c.x() < o.mapArea.width() && c.y() > 0 && c.y() < o.mapArea.height()) {
      p.setPen(kRed);
      p.setBrush(kYellow);
      ellipse(p, c.x() - 3, c.y() - 3, c.x() + 3, c.y() + 3);
      if (o.LabelLevel > 1) {
        textOut(p, {c.x() + 10, c.y() - 5}, light.kind, kBlack, kYellow);
      }
    }
  }
  p.setBrush(sea);
}

// Lines every g kilometres about a point near the view centre, square to
// the screen in both orientations; at most 101 on each side.
void DrawGrid(QPainter& p, const SceneContext& scene) {
  const SceneState& s = scene.state;
  const int w = scene.options.mapArea.width();
  const int h = scene.options.mapArea.height();
  const double g = gridSpacing(scene);
  const GeoPoint centre = s.projection.centre();
  const GeoPoint anchor{std::trunc(centre.lat / g + 0.5) * g, std::trunc(centre.lon / g + 0.5) * g};
  const QPoint a = pixel(scene, anchor);
  const double step = g * s.scale.PixelsPerKm;
  const QColor colour = qcolour(s.GridColour);
  for (int i = 0; i <= 100; ++i) {
    const int y = roundToInt(a.y() + i * step);
    if (y > h) {
      break;
    }
    if (y > 0) {
      p.fillRect(0, y, w, 1, colour);
    }
  }
  for (int i = 1; i <= 100; ++i) {
    const int y = roundToInt(a.y() - i * step);
    if (y < 0) {
      break;
    }
    if (y < h) {
      p.fillRect(0, y, w, 1, colour);
    }
  }
  for (int i = 0; i <= 100; ++i) {
    const int x = roundToInt(a.x() + i * step);
    if (x > w) {
      break;
    }
    if (x > 0) {
      p.fillRect(x, 0, 1, h, colour);
    }
  }
  for (int i = 1; i <= 100; ++i) {
    const int x = roundToInt(a.x() - i * step);
    if (x < 0) {
      break;
    }
    if (x < w) {
      p.fillRect(x, 0, 1, h, colour);
    }
  }
}

void DrawCoastline(QPainter& p, const SceneContext& scene) {
  PolylineDrawer draw(p, scene.state.projection, kWhite);
  for (const std::vector<GeoPoint>& polyline : scene.race().coastline.polylines) {
    if (polyline.size() < 2) {
      continue;
    }
    draw.start();
    for (const GeoPoint& point : polyline) {
      draw.add(point);
    }
  }
}

void DrawScaleBar(QPainter& p, const SceneContext& scene) {
  const double g = gridSpacing(scene);
  const int y0 = scene.options.mapArea.height() - 10;
  const int x1 = roundToInt(std::min(g * scene.state.scale.PixelsPerKm + 20, 1e6));
  p.setPen(kWhite);
  p.drawLine(20, y0 - 5, 20, y0 + 5);
  p.drawLine(x1, y0 - 5, x1, y0 + 5);
  p.drawLine(20, y0, x1, y0);
  p.setFont(canvasFont());
  textOut(p, {50, y0 - 15}, scaleBarLabel(g), kWhite, scene.sea());
}

void DrawLaylines(QPainter& p, const SceneContext& scene, QPoint at) {
  const Race& race = scene.race();
  const BoatColours& colours = scene.loaded.colours;
  int c = scene.state.wind.TrueDir;
  if (!scene.state.orientation.isNorthUp()) {
    c -= race.WindAxis;
  }
  if (c < 0) {
    c += 360;
  }
  const auto arm = [&](Rgb colour, double b) {
    p.setPen(QPen(qcolour(colour), 1, Qt::DotLine));
    p.drawLine(at, at + ScreenVector(b));
  };
  arm(colours.WindAxisColour, c + 180);
  arm(colours.WindAxisColour, c);
  arm(colours.LaylineColourA, c + race.LaylineAngleA - 180);
  arm(colours.LaylineColourB, c - race.LaylineAngleA + 180);
  arm(colours.LaylineColourA, c + race.LaylineAngleB - 180);
  arm(colours.LaylineColourB, c - race.LaylineAngleB + 180);
  p.setPen(QPen(p.pen().color(), 1, Qt::SolidLine));
}

void DrawMarks(QPainter& p, const SceneContext& scene) {
  p.setFont(canvasFont());
  const std::vector<GeoPoint>& marks = scene.race().marks;
  for (size_t n = 0; n < marks.size(); ++n) {
    if (!nearPicture(scene.state.projection.toPointF(marks[n]), scene.options.mapArea)) {
      continue;
    }
    const QPoint c = pixel(scene, marks[n]);
    if (scene.options.chkLL) {
      DrawLaylines(p, scene, c);
    }
    markCircle(p, c);
    textOut(p, {c.x() + 8, c.y() - 6}, QStringLiteral("MK%1").arg(n + 1), kRed, scene.sea());
  }
}

void DrawCourseLines(QPainter& p, const SceneContext& scene) {
  p.setFont(canvasFont());
  const std::vector<GeoLine>& lines = scene.race().lines;
  const Projection& projection = scene.state.projection;
  for (size_t n = 0; n < lines.size(); ++n) {
    // A line may cross the picture with both ends far off it (zoomed in on
    // a long start line): the line is always drawn, the ends only near it.
    const QPointF f1 = projection.toPointF(lines[n].end1);
    const QPointF f2 = projection.toPointF(lines[n].end2);
    const bool near1 = nearPicture(f1, scene.options.mapArea);
    const bool near2 = nearPicture(f2, scene.options.mapArea);
    const QPoint e1 = pixel(scene, lines[n].end1);
    const QPoint e2 = pixel(scene, lines[n].end2);
    if (scene.options.chkLL) {
      if (near1) {
        DrawLaylines(p, scene, e1);
      }
      if (near2) {
        DrawLaylines(p, scene, e2);
      }
    }
    solidLine(p, f1, f2, kYellow);
    const QString name = QStringLiteral("L%1").arg(n + 1);
    for (const auto& [c, near] : {std::pair{e1, near1}, std::pair{e2, near2}}) {
      if (near) {
        markCircle(p, c);
        textOut(p, {c.x() + 8, c.y() - 6}, name, kRed, scene.sea());
      }
    }
  }
}

void DrawReferenceLines(QPainter& p, const SceneContext& scene) {
  p.setPen(QPen(kRed, 1, Qt::DotLine));
  for (const GeoLine& line : scene.race().refLines) {
    p.drawLine(pixel(scene, line.end1), pixel(scene, line.end2));
  }
  p.setPen(QPen(kRed, 1, Qt::SolidLine));
}

// The course in sailing order, unless reference lines already mark the
// water: both at once would be a tangle of red dots.
void DrawCourseRoute(QPainter& p, const SceneContext& scene) {
  if (scene.options.LabelLevel <= 1 || scene.race().RefLineCount() != 0) {
    return;
  }
  QPolygon route;
  for (const std::optional<GeoPoint>& point : scene.loaded.results.CoursePoint) {
    if (point) {
      route.append(pixel(scene, *point));
    }
  }
  p.setPen(QPen(kRed, 1, Qt::DotLine));
  p.drawPolyline(route);
  p.setPen(QPen(kRed, 1, Qt::SolidLine));
}

void DrawBoatPair(QPainter& p, const SceneContext& scene) {
  const SceneState& s = scene.state;
  if (s.focusedCount != 2 || s.FocusedBoats.size() != 2 || scene.options.LabelLevel <= 2) {
    return;
  }
  const BoatScene& a = s.boats[s.FocusedBoats[0]];
  const BoatScene& b = s.boats[s.FocusedBoats[1]];
  const BoatPair pair = boatPair(a.position(), b.position(), scene.loaded.geometry.CosCentreLat,
                                 scene.race().MagVariation, s.wind.TrueDir);
  const QPoint pa = pixel(scene, a.position());
  const QPoint pb = pixel(scene, b.position());
  p.setPen(kYellow);
  p.drawLine(pa, pb);
  p.setFont(canvasFont());
  textOut(p, {roundToInt((pa.x() + pb.x()) / 2.0) - 35, roundToInt((pa.y() + pb.y()) / 2.0) - 5}, pair.text,
          kWhite, scene.sea());
}

void DrawWakesAndLabels(QPainter& p, const SceneContext& scene) {
  DrawWakesAndPlacedLabels(p, scene, nullptr);
}

// From the highest boat number down, so that boat 1's wake and label lie on
// top.
void DrawWakesAndPlacedLabels(QPainter& p, const SceneContext& scene,
                              const std::vector<LabelPlacement>* labels) {
  const SceneOptions& o = scene.options;
  const SceneState& s = scene.state;
  const Race& race = scene.race();
  const QColor sea = scene.sea();
  const bool pair = pairShown(scene);
  int windUp = s.wind.TrueDir;
  if (!s.orientation.isNorthUp()) {
    windUp -= race.WindAxis;
  }
  if (windUp < 0) {
    windUp += 360;
  }
  const QPoint across1 = ScreenVector(windUp + 90);
  const QPoint across2 = ScreenVector(windUp - 90);
  p.setFont(canvasFont());
  p.setBrush(sea);
  QPolygon trail(5);
  for (int i = race.BoatCount() - 1; i >= 0; --i) {
    const BoatScene& b = s.boats[i];
    if (!b.BoatActive) {
      continue;
    }
    const Boat& boat = race.boats[i];
    const QPoint at = pixel(scene, b.position());
    if (b.BoatFocused) {
      const int step = wakeStep(s.scale.ScaleLat, boat.LogInterval);
      const std::array<int, 4> fixes = wakeFixes(b.BoatSegment, step);
      const bool red = o.RedWakeMode && isRedWake(boat.fixes[b.BoatSegment].speed, b.BoatWindAngle,
                                                  o.AvgSpeedUp, o.AvgSpeedDown);
      p.setPen(red ? kRed : kWhite);
      trail.setPoint(0, at);
      for (int k = 0; k < 4; ++k) {
        const Fix& f = boat.fixes[fixes[k]];
        trail.setPoint(k + 1, pixel(scene, {f.lat, f.lon}));
      }
      p.drawPolyline(trail);
      for (int k = 1; k <= 3; ++k) {
        const QPoint d = trail.point(k);
        ellipse(p, d.x() - 1, d.y() - 1, d.x() + 2, d.y() + 2);
      }
      if (o.ChkRefLine || o.LabelLevel > 2) {
        solidLine(p, at + across1, at + across2, qcolour(scene.loaded.colours.BoatColour[i]));
      }
    }
    if (o.LabelLevel > 0) {
      const BoatText label = boatText(scene, i, pair);
      if (label.text.isEmpty()) {
        continue;
      }
      const QPoint topLeft(at.x() + labelOffset(s.BoatSize), at.y() - 6);
      if (labels == nullptr || ((*labels)[i].shown && (*labels)[i].box.topLeft() == topLeft)) {
        textOut(p, topLeft, label.text, label.colour, sea);
      }
    }
  }
  if (labels == nullptr || o.LabelLevel <= 0) {
    return;
  }
  // Labels moved aside go over every wake and comparison line, so that no
  // line runs through them.
  for (int i = race.BoatCount() - 1; i >= 0; --i) {
    const LabelPlacement& placed = (*labels)[i];
    const QPoint at = pixel(scene, s.boats[i].position());
    if (!s.boats[i].BoatActive || !placed.shown ||
        placed.box.topLeft() == QPoint(at.x() + labelOffset(s.BoatSize), at.y() - 6)) {
      continue;
    }
    const BoatText label = boatText(scene, i, pair);
    if (placed.leader) {
      p.setPen(label.colour);
      p.drawLine(*placed.leader);
    }
    textOut(p, placed.box.topLeft(), label.text, label.colour, sea);
  }
}

// Obstacles: the other boats' hulls (drawn over the labels), the course's
// names, the lights' names, the scale, the two-boat read-out, the hovered
// boat's label and the time overlays. The hovered boat's own label lies
// under its highlight label and needs no place of its own.
std::vector<LabelPlacement> PlaceBoatLabels(const SceneContext& scene, const QFontMetrics& fm) {
  const SceneOptions& o = scene.options;
  const SceneState& s = scene.state;
  const Race& race = scene.race();
  const int n = race.BoatCount();
  std::vector<LabelPlacement> out(static_cast<size_t>(n));
  if (o.LabelLevel <= 0) {
    return out;
  }
  const QSize area = o.mapArea;
  LabelPlacer placer(QRect(QPoint(0, 0), area));
  addCourseObstacles(placer, scene, fm);
  if (o.LabelLevel > 1) {
    for (const Light& light : race.lights) {
      const QPoint c = pixel(scene, light.pos);
      if (c.x() > 0 && c.x() < area.width() && c.y() > 0 && c.y() < area.height()) {
        placer.addObstacle(
            QRect(c.x() - 3, c.y() - 3, 7, 7)
                .united(QRect(c.x() + 10, c.y() - 5, fm.horizontalAdvance(light.kind), fm.height())));
      }
    }
  }
  const int y0 = area.height() - 10;
  placer.addObstacle(
      QRect(50, y0 - 15, fm.horizontalAdvance(scaleBarLabel(gridSpacing(scene))), fm.height()));
  const bool pair = pairShown(scene);
  if (pair) {
    const BoatScene& a = s.boats[s.FocusedBoats[0]];
    const BoatScene& b = s.boats[s.FocusedBoats[1]];
    const QString text = boatPair(a.position(), b.position(), scene.loaded.geometry.CosCentreLat,
                                  race.MagVariation, s.wind.TrueDir)
                             .text;
    const QPoint pa = pixel(scene, a.position());
    const QPoint pb = pixel(scene, b.position());
    placer.addObstacle(QRect(roundToInt((pa.x() + pb.x()) / 2.0) - 35,
                             roundToInt((pa.y() + pb.y()) / 2.0) - 5, fm.horizontalAdvance(text),
                             fm.height()));
  }
  QRect hoverBox;
  if (o.HoverBoat > 0 && o.HoverBoat <= n && s.boats[o.HoverBoat - 1].BoatActive) {
    const QPoint c = pixel(scene, s.boats[o.HoverBoat - 1].position());
    hoverBox = QRect(c.x() + labelOffset(s.BoatSize), c.y() - 6,
                     fm.horizontalAdvance(hoverText(scene, o.HoverBoat - 1)), fm.height());
    placer.addObstacle(hoverBox);
  }
  {
    const QString text = counterText(s.t);
    const CounterPlacement place = counterPlacement(s.t, static_cast<int>(text.size()), area);
    const QFontMetrics counter(canvasFont(place.fontSize));
    placer.addObstacle(QRect(place.topLeft, QSize(counter.horizontalAdvance(text), counter.height())));
  }
  placer.addObstacle(QRect(area.width() - 73, area.height() - 115, 73, 115));

  std::vector<GeoPoint> positions(static_cast<size_t>(n));
  std::vector<bool> present(static_cast<size_t>(n));
  std::vector<LabelRequest> requests;
  std::vector<int> boatOf;
  requests.reserve(static_cast<size_t>(n));
  const QRect picture(QPoint(0, 0), area);
  const int half = roundToInt(s.BoatSize / 2.0);
  const int clearance = hullClearance(half);
  for (int i = 0; i < n; ++i) {
    const BoatScene& b = s.boats[i];
    positions[i] = b.position();
    present[i] = b.BoatActive;
    if (!b.BoatActive) {
      continue;
    }
    const QPointF centre = s.projection.toPointF(b.position());
    const QPoint at = pixel(scene, b.position());
    placer.addObstacle(QRect(at.x() - half, at.y() - half, 2 * half + 1, 2 * half + 1));
    const QString text = boatText(scene, i, pair).text;
    if (text.isEmpty()) {
      continue;
    }
    const QRect box(at.x() + labelOffset(s.BoatSize), at.y() - 6, fm.horizontalAdvance(text), fm.height());
    out[i] = {true, box, std::nullopt};
    if (!box.intersects(picture) || (i == o.HoverBoat - 1 && hoverBox.contains(box))) {
      continue;
    }
    requests.push_back({centre, box, clearance, 0});
    boatOf.push_back(i);
  }
  placeInRankOrder(placer, requests, boatOf, fleetRanks(scene.loaded, s.t, positions, present), out);
  return out;
}

std::vector<LabelPlacement> PlaceWholeRaceNames(const SceneContext& course, const QFontMetrics& fm,
                                                const std::vector<WholeRaceBoat>& boats,
                                                const std::vector<QPointF>& centres, double SceneTime,
                                                const QRect& timeBox, const std::vector<QRect>& keepClear) {
  const Race& race = course.race();
  const QRect picture(QPoint(0, 0), course.options.mapArea);
  LabelPlacer placer(picture);
  addCourseObstacles(placer, course, fm);
  placer.addObstacle(timeBox);
  for (const QRect& box : keepClear) {
    placer.addObstacle(box);
  }
  const size_t n = centres.size();
  std::vector<LabelPlacement> out(n);
  std::vector<GeoPoint> positions(n);
  std::vector<bool> present(n);
  std::vector<LabelRequest> requests;
  std::vector<int> boatOf;
  const int half = kWholeRaceBoatSize / 2;
  const int clearance = hullClearance(half);
  for (size_t i = 0; i < n && i < race.boats.size() && i < boats.size(); ++i) {
    const QPointF& c = centres[i];
    if (std::isnan(c.x())) {
      continue;
    }
    present[i] = true;
    positions[i] = boats[i].position();
    const QPoint at(roundToInt(c.x()), roundToInt(c.y()));
    placer.addObstacle(QRect(at.x() - half, at.y() - half, 2 * half + 1, 2 * half + 1));
    const QRect box(roundToInt(c.x() + 10), roundToInt(c.y() - 6),
                    fm.horizontalAdvance(race.boats[i].BoatName), fm.height());
    out[i] = {true, box, std::nullopt};
    if (box.intersects(picture)) {
      requests.push_back({c, box, clearance, 0});
      boatOf.push_back(static_cast<int>(i));
    }
  }
  placeInRankOrder(placer, requests, boatOf, fleetRanks(course.loaded, SceneTime, positions, present), out);
  return out;
}

void DrawHighlights(QPainter& p, const SceneContext& scene) {
  const SceneOptions& o = scene.options;
  const SceneState& s = scene.state;
  const int n = scene.race().BoatCount();
  const int r = roundToInt(s.BoatSize * 0.5 + 3);
  const auto halo = [&](int boatIndex) {
    const QPoint c = pixel(scene, s.boats[boatIndex].position());
    p.setPen(kHalo);
    p.setBrush(kHalo);
    ellipse(p, c.x() - r, c.y() - r, c.x() + r, c.y() + r);
    return c;
  };
  if (o.HoverBoat > 0 && o.HoverBoat <= n && s.boats[o.HoverBoat - 1].BoatActive) {
    const int i = o.HoverBoat - 1;
    const QPoint c = halo(i);
    const QString label = hoverText(scene, i);
    p.setFont(canvasFont());
    textOut(p, {c.x() + labelOffset(s.BoatSize), c.y() - 6}, label,
            qcolour(scene.loaded.colours.BoatColour[i]), kWhite);
  }
  if (o.PickedBoat > 0 && o.PickedBoat <= n && o.PickedBoat != o.HoverBoat &&
      s.boats[o.PickedBoat - 1].BoatActive) {
    halo(o.PickedBoat - 1);
  }
  p.setBrush(scene.sea());
}

// From the highest boat number down, so that boat 1 lies on top.
void DrawHulls(QPainter& p, const SceneContext& scene) {
  const SceneOptions& o = scene.options;
  const SceneState& s = scene.state;
  const Race& race = scene.race();
  const QColor sea = scene.sea();
  const std::array<QPointF, 3> vane = vaneOffsets(s.wind.TrueDir, s.BoatSize, s.orientation);
  QPolygon hull(8);
  QPolygon sail(4);
  for (int i = race.BoatCount() - 1; i >= 0; --i) {
    const BoatScene& b = s.boats[i];
    if (!b.BoatActive) {
      continue;
    }
    const QPointF centre = s.projection.toPointF(b.position());
    const std::array<QPoint, 9> points =
        hullPoints(scene.loaded.outline, s.BoatSize, centre, screenCourse(b.BoatCourse, s.orientation));
    if (b.BoatFocused || o.LabelLevel != 0) {
      const Rgb colour = scene.loaded.colours.BoatColour[i];
      for (int k = 0; k < 8; ++k) {
        hull.setPoint(k, points[k]);
      }
      p.setPen(qcolour(hullPenColour(colour, o.SeaBrightness)));
      p.setBrush(b.BoatFocused ? qcolour(colour) : sea);
      p.drawPolygon(hull);
    }
    if (o.ShowWindVanes) {
      QPoint v[3];
      for (int k = 0; k < 3; ++k) {
        v[k] = {roundToInt(centre.x() + vane[k].x()), roundToInt(centre.y() + vane[k].y())};
      }
      p.setPen(kYellow);
      p.drawLine(v[0], v[1]);
      p.drawLine(v[1], v[2]);
      p.drawLine(v[2], v[0]);
    }
    if (s.BoatSize > 8 && b.BoatFocused && o.ShowSails) {
      const std::array<QPoint, 4> sp =
          sailPoints(points[8], s.BoatSize, b.BoatCourse, b.BoatSpeed, b.BoatWindAngle, s.orientation);
      for (int k = 0; k < 4; ++k) {
        sail.setPoint(k, sp[k]);
      }
      p.setPen(kWhite);
      p.setBrush(kWhite);
      p.drawPolygon(sail);
    }
  }
  p.setBrush(sea);
}

void DrawTimeCounter(QPainter& p, double SceneTime, QSize mapArea) {
  const QString text = counterText(SceneTime);
  const CounterPlacement place = counterPlacement(SceneTime, static_cast<int>(text.size()), mapArea);
  p.setFont(canvasFont(place.fontSize));
  textOut(p, place.topLeft, text, kWhite, SceneTime > 0 ? kBlue : kRed);
  p.setFont(canvasFont());
  p.setPen(kBlack);
}

void DrawClock(QPainter& p, double TimeOfDay, double& ClockDrawnAt, double SeaBrightness, QSize surface,
               QSize mapArea) {
  if (TimeOfDay == ClockDrawnAt) {
    return;
  }
  const QPoint c(surface.width() - 40, surface.height() - 65);
  const QColor face = qcolour(clockFaceColour(SeaBrightness));
  p.setPen(QPen(kGrey, 5));
  p.setBrush(face);
  ellipse(p, c.x() - 30, c.y() - 30, c.x() + 30, c.y() + 30);
  const ClockHands hands = clockHands(TimeOfDay, c);
  p.setPen(QPen(kBlack, 4));
  p.drawLine(hands.hour.tip, hands.hour.tail);
  p.setPen(QPen(kGrey, 2));
  p.drawLine(hands.minute.tip, hands.minute.tail);
  p.setPen(QPen(kRed, 1));
  p.drawLine(hands.second.tip, hands.second.tail);
  const QString text = clockText(TimeOfDay);
  p.setFont(canvasFont());
  textOut(p, {mapArea.width() - 6 * static_cast<int>(text.size()) - 10, mapArea.height() - 115}, text, kBlack,
          face);
  ClockDrawnAt = TimeOfDay;
}

}  // namespace velaro
