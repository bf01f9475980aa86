#include "render/pixellines.h"

#include "core/datetime.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velaro {

bool cutToBox(QPointF& a, QPointF& b, double left, double top, double right, double bottom) {
  if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y())) {
    return false;
  }
  const double dx = b.x() - a.x();
  const double dy = b.y() - a.y();
  const double edge[4] = {left, right, top, bottom};
  const double pq[4][2] = {
      {-dx, a.x() - left}, {dx, right - a.x()}, {-dy, a.y() - top}, {dy, bottom - a.y()}};
  double t0 = 0;
  double t1 = 1;
  int edge0 = -1;
  int edge1 = -1;
  for (int k = 0; k < 4; ++k) {
    const double p = pq[k][0];
    const double q = pq[k][1];
    if (p == 0) {
      if (q < 0) {
        return false;
      }
      continue;
    }
    const double r = q / p;
    if (p < 0 && r > t0) {
      t0 = r;
      edge0 = k;
    } else if (p > 0 && r < t1) {
      t1 = r;
      edge1 = k;
    }
  }
  if (t0 > t1) {
    return false;
  }
  const auto at = [&](double t, int k) {
    QPointF p(a.x() + t * dx, a.y() + t * dy);
    if (k >= 0 && k < 2) {
      p.setX(edge[k]);
    } else if (k >= 2) {
      p.setY(edge[k]);
    }
    return p;
  };
  const QPointF from = at(t0, edge0);
  b = at(t1, edge1);
  a = from;
  return true;
}

namespace {

// Bresenham's walk from (x0, y0) to (x1, y1); Checked tests each pixel
// against the picture, for lines that were cut to a box around it.
template <bool Checked>
void walkLine(uchar* bits, qsizetype stride, int w, int h, int x0, int y0, int x1, int y1, QRgb rgb) {
  const int ex = std::abs(x1 - x0);
  const int ey = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int err = ex + ey;
  for (;;) {
    if (!Checked || (x0 >= 0 && x0 < w && y0 >= 0 && y0 < h)) {
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

bool inPicture(QPoint p, int w, int h) {
  return p.x() >= 0 && p.x() < w && p.y() >= 0 && p.y() < h;
}

}  // namespace

// Most lines of a track lie wholly in the picture: they need no cut and no
// test of each pixel.
void bresenham(uchar* bits, qsizetype stride, int w, int h, QPoint a, QPoint b, QRgb rgb) {
  if (inPicture(a, w, h) && inPicture(b, w, h)) {
    walkLine<false>(bits, stride, w, h, a.x(), a.y(), b.x(), b.y(), rgb);
    return;
  }
  QPointF from(a);
  QPointF to(b);
  if (!cutToBox(from, to, -2, -2, w + 2, h + 2)) {
    return;
  }
  walkLine<true>(bits, stride, w, h, roundToInt(from.x()), roundToInt(from.y()), roundToInt(to.x()),
                 roundToInt(to.y()), rgb);
}

bool isPixelSurface(const QImage& image) {
  return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
}

void pixelLine(QImage& image, QPoint a, QPoint b, QRgb colour) {
  if (!isPixelSurface(image)) {
    return;
  }
  bresenham(image.bits(), image.bytesPerLine(), image.width(), image.height(), a, b, colour);
}

PixelPolyline::PixelPolyline(QImage& image, QRgb colour)
    : m_colour(colour),
      m_usable(isPixelSurface(image)),
      m_bits(m_usable ? image.bits() : nullptr),
      m_stride(image.bytesPerLine()),
      m_w(image.width()),
      m_h(image.height()) {}

PixelPolyline::~PixelPolyline() {
  finish();
}

void PixelPolyline::flush() {
  if (m_row >= 0) {
    QRgb* line = reinterpret_cast<QRgb*>(m_bits + m_row * m_stride);
    std::fill(line + m_lo, line + m_hi + 1, m_colour);
    m_row = -1;
  }
}

void PixelPolyline::startRun(int y, int xa, int xb) {
  m_row = y;
  m_lo = std::min(xa, xb);
  m_hi = std::max(xa, xb);
}

void PixelPolyline::step(QPoint b) {
  if (!m_usable) {
    return;
  }
  if (m_count++ == 0) {
    m_last = b;
    if (inside(b)) {
      startRun(b.y(), b.x(), b.x());
    }
    return;
  }
  const QPoint a = m_last;
  m_last = b;
  const int dy = b.y() - a.y();
  // The pending run holds a whenever a is inside the picture.
  if (m_row >= 0 && inside(b)) {
    if (dy == 0) {
      m_lo = std::min(m_lo, b.x());
      m_hi = std::max(m_hi, b.x());
      return;
    }
    const int ex = std::abs(b.x() - a.x());
    if ((dy == 1 || dy == -1) && ex > 0) {
      const int sx = a.x() < b.x() ? 1 : -1;
      const int first = (ex + 1) / 2 - 1;  // pixels after a still in a's row
      m_lo = std::min(m_lo, a.x() + first * sx);
      m_hi = std::max(m_hi, a.x() + first * sx);
      flush();
      startRun(b.y(), a.x() + (first + 1) * sx, b.x());
      return;
    }
  }
  flush();
  bresenham(m_bits, m_stride, m_w, m_h, a, b, m_colour);
  if (inside(b)) {
    startRun(b.y(), b.x(), b.x());
  }
}

void PixelPolyline::finish() {
  if (m_count == 1 && m_row < 0) {
    bresenham(m_bits, m_stride, m_w, m_h, m_last, m_last, m_colour);  // a lone point off the picture
  }
  flush();
  m_count = 0;
}

void pixelPolyline(QImage& image, const std::vector<QPoint>& points, QRgb colour) {
  PixelPolyline line(image, colour);
  for (const QPoint& p : points) {
    line.lineTo(p);
  }
}

}  // namespace velaro
