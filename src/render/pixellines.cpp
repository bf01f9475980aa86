#include "render/pixellines.h"

#include "core/datetime.h"

#include <algorithm>
#include <cstdlib>

namespace velaro {

namespace {

// Bresenham from a to b on a picture of w x h pixels whose rows start at
// bits with stride bytes each; pixels outside the picture are skipped.
void bresenham(uchar* bits, qsizetype stride, int w, int h, QPoint a, QPoint b, QRgb rgb) {
  const double left = -2, top = -2, right = w + 2, bottom = h + 2;
  const double dx = double(b.x()) - a.x();
  const double dy = double(b.y()) - a.y();
  double t0 = 0;
  double t1 = 1;
  const double pq[4][2] = {
      {-dx, a.x() - left}, {dx, right - a.x()}, {-dy, a.y() - top}, {dy, bottom - a.y()}};
  for (const auto& [p, q] : pq) {
    if (p == 0) {
      if (q < 0) {
        return;
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
    return;
  }
  int x0 = roundToInt(a.x() + t0 * dx);
  int y0 = roundToInt(a.y() + t0 * dy);
  const int x1 = roundToInt(a.x() + t1 * dx);
  const int y1 = roundToInt(a.y() + t1 * dy);
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

}  // namespace

bool isPixelSurface(const QImage& image) {
  return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
}

void pixelLine(QImage& image, QPoint a, QPoint b, QRgb colour) {
  if (!isPixelSurface(image)) {
    return;
  }
  bresenham(image.bits(), image.bytesPerLine(), image.width(), image.height(), a, b, colour);
}

void pixelPolyline(QImage& image, const std::vector<QPoint>& points, QRgb colour) {
  if (!isPixelSurface(image) || points.empty()) {
    return;
  }
  uchar* bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  const int w = image.width();
  const int h = image.height();
  if (points.size() == 1) {
    bresenham(bits, stride, w, h, points.front(), points.front(), colour);
    return;
  }
  for (size_t i = 1; i < points.size(); ++i) {
    if (points[i] != points[i - 1] || i == 1) {
      bresenham(bits, stride, w, h, points[i - 1], points[i], colour);
    }
  }
}

}  // namespace velaro
