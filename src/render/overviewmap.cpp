#include "render/overviewmap.h"

#include "core/datetime.h"
#include "render/rgbcolour.h"
#include "render/scene/scenelayers.h"
#include "render/seacolour.h"

#include <QColor>
#include <QFontMetrics>
#include <QPolygon>

#include <cmath>
#include <numbers>

namespace velaro {

namespace {

Rgb boatColourIn(const BoatColours& colours, int index) {
  return index < static_cast<int>(colours.BoatColour.size()) ? colours.BoatColour[index]
                                                             : BoatColour(index + 1);
}

// Panel offset of a dot's corner from the projected point: the map's middle
// moved by the image origin, less half a dot.
constexpr double kDotOrigin = kOverviewOrigin.x() + kOverviewSize / 2.0 - kBoatDotSize / 2;

}  // namespace

double CompassRoseAngle(double MagVariation, Orientation orientation) {
  return orientation.isNorthUp() ? MagVariation : MagVariation - orientation.WindAxis;
}

// Tracks are drawn from the last boat to the first so that boat 1 lies on top;
// they are whole tracks, not just the time axis, to show where boats came from.
OverviewPictures DrawOverview(const Race& race, const MapGeometry& geometry, Orientation orientation,
                              const BoatColours& colours, const QImage& roseSource) {
  OverviewPictures pictures;
  pictures.map = QImage(kOverviewSize, kOverviewSize, QImage::Format_RGB32);
  pictures.map.fill(kSeaColourPresets[0]);
  const Projection projection = OverviewProjection(geometry, orientation);
  {
    QPainter p(&pictures.map);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPolygon points;
    for (int b = race.BoatCount() - 1; b >= 0; --b) {
      const std::vector<Fix>& fixes = race.boats[b].fixes;
      points.resize(static_cast<qsizetype>(fixes.size()));
      for (size_t i = 0; i < fixes.size(); ++i) {
        points[static_cast<qsizetype>(i)] = projection.toPixel({fixes[i].lat, fixes[i].lon});
      }
      p.setPen(qcolour(boatColourIn(colours, b)));
      p.drawPolyline(points);
    }

    p.setPen(Qt::white);
    for (const std::vector<GeoPoint>& line : race.coastline.polylines) {
      points.resize(static_cast<qsizetype>(line.size()));
      for (size_t i = 0; i < line.size(); ++i) {
        points[static_cast<qsizetype>(i)] = projection.toPixel(line[i]);
      }
      p.drawPolyline(points);
    }

    p.setPen(Qt::red);
    p.setBrush(Qt::yellow);
    for (const Light& light : race.lights) {
      const QPoint c = projection.toPixel(light.pos);
      p.drawEllipse(QRect(c.x() - 2, c.y() - 2, 3, 3));
    }
  }
  pictures.compass = CompassRose(roseSource, CompassRoseAngle(race.MagVariation, orientation));
  return pictures;
}

QPoint BoatDotTopLeft(const Projection& overview, GeoPoint position) {
  const QPointF o = overview.offset(position);
  return {roundToInt(kDotOrigin + o.x()), roundToInt(kDotOrigin + o.y())};
}

std::vector<QPoint> PlaceBoatDots(const Projection& overview, const std::vector<GeoPoint>& boatPositions) {
  std::vector<QPoint> dots;
  dots.reserve(boatPositions.size());
  for (const GeoPoint& pos : boatPositions) {
    dots.push_back(BoatDotTopLeft(overview, pos));
  }
  return dots;
}

void DrawBoatDot(QPainter& painter, QPoint topLeft, Rgb colour) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::white);
  painter.setBrush(qcolour(colour));
  painter.drawEllipse(QRect(topLeft, QSize(kBoatDotSize - 1, kBoatDotSize - 1)));
  painter.restore();
}

QImage CompassRoseSource() {
  constexpr int kSide = kCompassRoseSourceSize;
  constexpr double kMid = kSide / 2.0;
  QImage image(kSide, kSide, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.translate(kMid, kMid);

  const double rim = kMid - 2;
  p.setPen(QPen(QColor(220, 220, 220), 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(0, 0), rim, rim);
  for (int deg = 0; deg < 360; deg += 10) {
    const double a = deg * std::numbers::pi / 180;
    const double inner = deg % 90 == 0 ? rim - 8 : (deg % 30 == 0 ? rim - 5 : rim - 3);
    p.drawLine(QPointF(inner * std::sin(a), -inner * std::cos(a)),
               QPointF(rim * std::sin(a), -rim * std::cos(a)));
  }

  // An eight-pointed star; each point rises from the two gaps beside it, and
  // the north point is red.
  const double star = rim - 10;
  const double waist = 6;
  p.setPen(Qt::NoPen);
  for (int k = 7; k >= 0; --k) {
    const double a = k * std::numbers::pi / 4;
    const double len = k % 2 == 0 ? star : star * 0.55;
    const auto at = [](double radius, double angle) {
      return QPointF(radius * std::sin(angle), -radius * std::cos(angle));
    };
    const QPolygonF point({at(waist, a - std::numbers::pi / 8), at(len, a),
                           at(waist, a + std::numbers::pi / 8), QPointF(0, 0)});
    p.setBrush(k == 0 ? QColor(230, 40, 40) : (k % 2 == 0 ? QColor(230, 230, 230) : QColor(150, 150, 150)));
    p.drawPolygon(point);
  }
  return image;
}

// Each target pixel takes the source pixel that the turn brings onto it.
// Sampling backwards leaves no gaps: a card turned by a right angle lands its
// pixel centres on exact halves, which a forward turn with rounding to even
// would pile onto every second column.
QImage CompassRose(const QImage& source, double angle) {
  QImage target(kCompassSize, kCompassSize, QImage::Format_RGB32);
  target.fill(Qt::black);
  if (source.isNull()) {
    return target;
  }
  if (angle == 0) {
    QPainter p(&target);
    p.drawImage(QPoint((kCompassSize - source.width()) / 2, (kCompassSize - source.height()) / 2), source);
    return target;
  }

  constexpr double kMid = kCompassSize / 2.0;
  const double a = (angle < 0 ? angle + 360 : angle) * std::numbers::pi / 180;
  const double sn = std::sin(a);
  const double cs = std::cos(a);
  const double r = source.width() / 2.0;
  const double halfHeight = source.height() / 2.0;
  const QImage src = source.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < kCompassSize; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(target.scanLine(y));
    const double v = y - kMid;
    for (int x = 0; x < kCompassSize; ++x) {
      const double u = x - kMid;
      const int i = static_cast<int>(std::floor(u * cs + v * sn + r + 0.5));
      const int j = static_cast<int>(std::floor(-u * sn + v * cs + halfHeight + 0.5));
      const double dx = i - r;
      const double dy = j - halfHeight;
      if (dx * dx + dy * dy >= r * r || i < 0 || j < 0 || i >= src.width() || j >= src.height()) {
        continue;
      }
      row[x] = reinterpret_cast<const QRgb*>(src.constScanLine(j))[i];
    }
  }
  return target;
}

// The read-out stands on a black plate over the middle of the card, so that
// it stays legible over the star in every orientation.
QImage CompassWithWind(const QImage& compass, QPoint markerTopLeft, int DataDir) {
  QImage picture = compass.convertToFormat(QImage::Format_RGB32);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, true);

  QFont font = canvasFont();
  font.setBold(true);
  p.setFont(font);
  const QString text = QString::number(DataDir);
  const QFontMetrics metrics(font);
  const QSize plate(metrics.horizontalAdvance(text) + 6, metrics.height());
  const QRect plateRect(
      QPoint((picture.width() - plate.width()) / 2, (picture.height() - plate.height()) / 2), plate);
  p.fillRect(plateRect, Qt::black);
  p.setPen(Qt::white);
  p.drawText(plateRect, Qt::AlignCenter, text);

  p.setPen(QColor(128, 0, 0));
  p.setBrush(Qt::red);
  p.drawEllipse(QRect(markerTopLeft, QSize(kWindMarkerSize - 1, kWindMarkerSize - 1)));
  return picture;
}

}  // namespace velaro
