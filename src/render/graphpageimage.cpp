#include "render/graphpageimage.h"

#include "core/reports/graphpage.h"
#include "render/pixellines.h"
#include "render/rgbcolour.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

namespace velaro {

namespace {

constexpr int kHighlightUnderWidth = 6;
constexpr int kHighlightWidth = 2;
// Half the side of a manoeuvre's mark, without its white edge.
constexpr int kMarkRadius = 2;

QFont graphFont() {
  QFont font;
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

// Boat n's colour, also for a race whose palette was never assigned.
QRgb boatRgb(const LoadedRace& loaded, int n) {
  const std::vector<Rgb>& palette = loaded.colours.BoatColour;
  return (size_t(n) <= palette.size() ? palette[size_t(n - 1)] : BoatColour(n)).argb();
}

// A tack's mark is a small square, a gybe's a small diamond, in the boat's
// colour edged in white so that it stands out on the curve it sits on.
void drawManoeuvreMark(QPainter& p, const GraphManoeuvreMark& mark, QRgb colour) {
  const QPoint c = mark.at;
  p.setPen(Qt::NoPen);
  for (const auto& [radius, fill] :
       {std::pair{kMarkRadius + 1, QColor(Qt::white)}, std::pair{kMarkRadius, QColor::fromRgb(colour)}}) {
    p.setBrush(fill);
    if (mark.kind == ManoeuvreKind::Tack) {
      p.drawRect(QRect(c.x() - radius, c.y() - radius, 2 * radius + 1, 2 * radius + 1));
    } else {
      const int r = radius + 1;
      p.drawPolygon(QPolygon({c + QPoint(0, -r), c + QPoint(r, 0), c + QPoint(0, r), c + QPoint(-r, 0)}));
    }
  }
}

void drawManoeuvreMarks(QPainter& p, const std::vector<GraphManoeuvreMark>& marks, const LoadedRace& loaded) {
  for (const GraphManoeuvreMark& mark : marks) {
    drawManoeuvreMark(p, mark, boatRgb(loaded, mark.boat));
  }
}

// White text with its top-left corner at a point, on the sea colour.
void label(QPainter& p, QPoint topLeft, const QString& text) {
  p.drawText(QPoint(topLeft.x(), topLeft.y() + p.fontMetrics().ascent()), text);
}

}  // namespace

// Grids and labels first, then the boats from the last to boat 1, so that
// boat 1 lies on top, and the wind over all courses in boat 1's colour.
// Course and speed curves never share a pixel (the speed chart starts right
// of the course chart and speeds are never negative), so each boat's two
// curves are drawn together from one pass over its fixes, straight into the
// picture. Curves and grid lines are set pixel by pixel: a three-hour race
// logged every second has over a million segments.
void DrawGraphPage(QImage& GraphBitmap, const LoadedRace& loaded, const GraphPageOptions& options) {
  if (GraphBitmap.isNull()) {
    GraphBitmap = QImage(800, 600, QImage::Format_RGB32);
  }
  if (!isPixelSurface(GraphBitmap)) {
    GraphBitmap = GraphBitmap.convertToFormat(QImage::Format_RGB32);
  }
  const Race& race = loaded.race;
  const GraphAxes axes = GraphAxes::of(GraphBitmap.size(), race, loaded.MaxTrackSpeed);
  const QColor sea = qcolour(options.SeaColour);
  GraphBitmap.fill(sea);

  QPainter p(&GraphBitmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(axes.leftArea(), qcolour(kGraphChartColour));
  p.fillRect(axes.rightArea(), qcolour(kGraphChartColour));
  p.setFont(graphFont());
  p.setPen(qcolour(kGraphTextColour));
  p.setBackground(sea);
  p.setBackgroundMode(Qt::OpaqueMode);

  for (const GraphGridLine& line : GraphTimeGrid(axes)) {
    label(p, line.labelAt, line.label);
    const QRgb colour = line.colour.argb();
    pixelLine(GraphBitmap, {axes.x0L, line.at}, {axes.x0L + axes.WL, line.at}, colour);
    pixelLine(GraphBitmap, {axes.x0R, line.at}, {axes.x0R + axes.WR, line.at}, colour);
  }
  label(p, {60, 10}, QStringLiteral("Boat course and Wind Direction (Deg in Mag)"));
  for (const GraphGridLine& line : GraphDirectionGrid(axes)) {
    pixelLine(GraphBitmap, {line.at, kGraphTop}, {line.at, axes.bottom()}, line.colour.argb());
    if (!line.label.isEmpty()) {
      label(p, line.labelAt, line.label);
    }
  }
  label(p, {axes.x0R + 60, 10}, QStringLiteral("Boat Speed (KTS)"));
  for (const GraphGridLine& line : GraphSpeedGrid(axes)) {
    pixelLine(GraphBitmap, {line.at, kGraphTop}, {line.at, axes.bottom()}, line.colour.argb());
    label(p, line.labelAt, line.label);
  }

  const int boats = race.BoatCount();
  for (int b = boats; b >= 1; --b) {
    if (graphBoatFocused(race, options.BoatFocused, b)) {
      PixelPolyline course(GraphBitmap, boatRgb(loaded, b));
      PixelPolyline speed(GraphBitmap, boatRgb(loaded, b));
      forEachBoatPoint(axes, race.boats[b - 1], [&](QPoint c, QPoint s) {
        course.lineTo(c);
        speed.lineTo(s);
      });
    }
  }
  p.setBackgroundMode(Qt::TransparentMode);
  drawManoeuvreMarks(p, GraphManoeuvreMarks(axes, race, loaded.manoeuvres, options.BoatFocused), loaded);
  if (boats > 0) {
    pixelPolyline(GraphBitmap, WindCurve(axes, race.wind), boatRgb(loaded, 1));
  }
}

QImage DrawGraphHighlight(const QImage& GraphBitmap, const LoadedRace& loaded, int boat) {
  QImage picture = GraphBitmap.copy();
  const Race& race = loaded.race;
  if (boat < 1 || boat > race.BoatCount() || picture.isNull()) {
    return picture;
  }
  const GraphAxes axes = GraphAxes::of(picture.size(), race, loaded.MaxTrackSpeed);
  const BoatCurves curves = boatCurves(axes, race.boats[boat - 1]);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QColor colour = QColor::fromRgb(boatRgb(loaded, boat));
  for (const std::vector<QPoint>* curve : {&curves.course, &curves.speed}) {
    const QPolygon polyline(QList<QPoint>(curve->begin(), curve->end()));
    p.setPen(QPen(Qt::white, kHighlightUnderWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(polyline);
    p.setPen(QPen(colour, kHighlightWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(polyline);
  }
  // The boat's marks back on top of its emphasised curve.
  std::vector<int> only(static_cast<size_t>(race.BoatCount()), 0);
  only[static_cast<size_t>(boat - 1)] = 1;
  drawManoeuvreMarks(p, GraphManoeuvreMarks(axes, race, loaded.manoeuvres, only), loaded);
  return picture;
}

}  // namespace velaro
