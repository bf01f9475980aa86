#include "render/scene/scenelayers.h"

#include "core/datetime.h"
#include "core/scene/scenerules.h"
#include "render/rgbcolour.h"
#include "render/scene/pixellines.h"

#include <QFontMetrics>
#include <QPolygon>

#include <algorithm>
#include <cmath>

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

// From the highest boat number down, so that boat 1's wake and label lie on
// top.
void DrawWakesAndLabels(QPainter& p, const SceneContext& scene) {
  const SceneOptions& o = scene.options;
  const SceneState& s = scene.state;
  const Race& race = scene.race();
  const QColor sea = scene.sea();
  const bool pairShown = s.focusedCount == 2 && s.FocusedBoats.size() == 2 && o.LabelLevel > 2;
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
      QString label = boatLabel(boat.BoatName, b.BoatSpeed, o.LabelLevel, b.BoatFocused);
      QColor colour = kWhite;
      if (pairShown && b.BoatFocused && (i == s.FocusedBoats[0] || i == s.FocusedBoats[1])) {
        const int other = i == s.FocusedBoats[0] ? s.FocusedBoats[1] : s.FocusedBoats[0];
        const PairSuffix suffix = pairSuffix(b.BoatSpeed, s.boats[other].BoatSpeed);
        label += suffix.text;
        if (suffix.faster) {
          colour = kRed;
        }
      }
      if (!label.isEmpty()) {
        textOut(p, {at.x() + labelOffset(s.BoatSize), at.y() - 6}, label, colour, sea);
      }
    }
  }
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
    const QString label = scene.race().boats[i].BoatName + QStringLiteral("  ") +
                          knotsText(s.boats[i].BoatSpeed) + QStringLiteral("Kts");
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
