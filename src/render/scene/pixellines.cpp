#include "render/scene/pixellines.h"

#include "core/datetime.h"

#include <QImage>

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

// Lines are cut to this many pixels around the picture, so that a line
// ending just outside still leaves its last pixels at the edge.
constexpr double kCutMargin = 2;

// Cuts the segment a-b to the box (Liang-Barsky); false when none of it is
// inside.
bool cutToBox(QPointF& a, QPointF& b, double left, double top, double right, double bottom) {
  if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y())) {
    return false;
  }
  const double dx = b.x() - a.x();
  const double dy = b.y() - a.y();
  double t0 = 0;
  double t1 = 1;
  const double pq[4][2] = {
      {-dx, a.x() - left}, {dx, right - a.x()}, {-dy, a.y() - top}, {dy, bottom - a.y()}};
  for (const auto& [p, q] : pq) {
    if (p == 0) {
      if (q < 0) {
        return false;
      }
      continue;
    }
    const double r = q / p;
    if (p < 0) {
      t0 = std::max(t0, r);
    } else {
      t1 = std::min(t1, r);
    }
  }
  if (t0 > t1) {
    return false;
  }
  const QPointF from = a;
  a = QPointF(from.x() + t0 * dx, from.y() + t0 * dy);
  b = QPointF(from.x() + t1 * dx, from.y() + t1 * dy);
  return true;
}

void bresenham(QImage& image, QPoint a, QPoint b, QRgb rgb) {
  const int w = image.width();
  const int h = image.height();
  uchar* bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  int x0 = a.x();
  int y0 = a.y();
  const int x1 = b.x();
  const int y1 = b.y();
  const int ex = std::abs(x1 - x0);
  const int ey = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int err = ex + ey;
  for (;;) {
    if (x0 >= 0 && x0 < w && y0 >= 0 && y0 < h) {
      reinterpret_cast<QRgb*>(bits + y0 * stride)[x0] = rgb;
    }
    if (x0 == x1 && y0 == y1) {
      break;
    }
    const int e2 = 2 * err;
    if (e2 >= ey) {
      err += ey;
      x0 += sx;
    }
    if (e2 <= ex) {
      err += ex;
      y0 += sy;
    }
  }
}

// The picture a painter draws on when its pixels may be set directly.
QImage* plainImage(QPainter& p) {
  auto* image = dynamic_cast<QImage*>(p.device());
  if (image == nullptr || image->format() != QImage::Format_RGB32 || !p.transform().isIdentity() ||
      p.hasClipping()) {
    return nullptr;
  }
  return image;
}

}  // namespace

bool nearPicture(QPointF p, QSize picture) {
  return p.x() >= -kFarOutsidePixels && p.y() >= -kFarOutsidePixels &&
         p.x() <= picture.width() + kFarOutsidePixels && p.y() <= picture.height() + kFarOutsidePixels;
}

namespace {

void cutLine(QPainter& p, QImage* image, QPointF a, QPointF b, const QColor& colour) {
  const QPaintDevice* device = p.device();
  const double right = device != nullptr ? device->width() : 0;
  const double bottom = device != nullptr ? device->height() : 0;
  if (!cutToBox(a, b, -kCutMargin, -kCutMargin, right + kCutMargin, bottom + kCutMargin)) {
    return;
  }
  const QPoint from(roundToInt(a.x()), roundToInt(a.y()));
  const QPoint to(roundToInt(b.x()), roundToInt(b.y()));
  if (image == nullptr) {
    p.setPen(colour);
    p.drawLine(from, to);
    return;
  }
  bresenham(*image, from, to, colour.rgb());
}

}  // namespace

void solidLine(QPainter& p, QPointF a, QPointF b, const QColor& colour) {
  cutLine(p, plainImage(p), a, b, colour);
}

PolylineDrawer::PolylineDrawer(QPainter& painter, const Projection& projection, const QColor& colour)
    : m_painter(painter), m_image(plainImage(painter)), m_projection(projection), m_colour(colour) {}

void PolylineDrawer::add(GeoPoint geo) {
  const QPointF p = m_projection.toPointF(geo);
  const QPoint pixel(roundToInt(p.x()), roundToInt(p.y()));
  if (!m_open) {
    // A run that never leaves its first pixel still shows as a dot.
    m_open = true;
    cutLine(m_painter, m_image, p, p, m_colour);
    m_last = p;
    m_lastPixel = pixel;
    return;
  }
  if (pixel == m_lastPixel) {
    return;
  }
  cutLine(m_painter, m_image, m_last, p, m_colour);
  m_last = p;
  m_lastPixel = pixel;
}

}  // namespace velaro
