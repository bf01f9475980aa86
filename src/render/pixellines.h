#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>

#include <algorithm>
#include <vector>

namespace velaro {

// Solid one-pixel lines set straight into a 32-bit picture, end points
// included. The painter's own line drawing costs a call per pixel, which for
// thousands of short segments is most of a picture's time. Each line is cut
// to a box just around the picture first, so far-off ends cost nothing.
// Pictures in other formats are left alone; callers check isPixelSurface().
bool isPixelSurface(const QImage& image);
// Cuts the segment a-b to the box (Liang-Barsky); false when none of it is
// inside, or an end is not finite. A cut end lies exactly on the edge that
// cut it, so that a line from far off the picture keeps its position across
// it.
bool cutToBox(QPointF& a, QPointF& b, double left, double top, double right, double bottom);
// Bresenham from a to b on a picture of w x h pixels whose rows start at
// bits with stride bytes each, cut to a box just around the picture first;
// pixels outside the picture are skipped.
void bresenham(uchar* bits, qsizetype stride, int w, int h, QPoint a, QPoint b, QRgb rgb);
void pixelLine(QImage& image, QPoint a, QPoint b, QRgb colour);
// A polyline fed point by point: each point joined to the one before, a
// single point setting one pixel. A curve sampled densely in time crosses
// each row with many short segments that share their end pixels; segments
// inside the picture that stay in a row or step to the next are collected
// as one run of pixels per row, so each pixel is set once. Bresenham moves
// from a segment's first row to its second after ceil(|dx| / 2) pixels,
// which the runs repeat exactly; every other segment is drawn by Bresenham
// itself. The picture must outlive the polyline, which is finished when it
// goes.
class PixelPolyline {
 public:
  PixelPolyline(QImage& image, QRgb colour);
  ~PixelPolyline();
  PixelPolyline(const PixelPolyline&) = delete;
  PixelPolyline& operator=(const PixelPolyline&) = delete;

  // Inline for the common case, a point in the row of the one before (the
  // pending run, when there is one, is in the last point's row).
  void lineTo(QPoint p) {
    if (p.y() == m_row && m_row >= 0 && unsigned(p.x()) < unsigned(m_w)) {
      m_lo = std::min(m_lo, p.x());
      m_hi = std::max(m_hi, p.x());
      m_last = p;
      ++m_count;
      return;
    }
    step(p);
  }
  // Sets what is pending; the next point starts a new polyline.
  void finish();

 private:
  bool inside(QPoint p) const { return unsigned(p.x()) < unsigned(m_w) && unsigned(p.y()) < unsigned(m_h); }
  void step(QPoint p);
  void flush();
  void startRun(int y, int xa, int xb);

  QRgb m_colour;
  bool m_usable;
  uchar* m_bits;
  qsizetype m_stride;
  int m_w;
  int m_h;
  int m_count = 0;
  QPoint m_last;
  int m_row = -1;  // the pending run of pixels, none when -1
  int m_lo = 0;
  int m_hi = 0;
};

void pixelPolyline(QImage& image, const std::vector<QPoint>& points, QRgb colour);

}  // namespace velaro
