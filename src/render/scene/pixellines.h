#pragma once

#include "core/analysis/mapgeometry.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QPointF>
#include <QSize>

namespace velaro {

// Projected points further than this outside a picture are never handed to
// the painter: a mark zoomed far off the map, or a whole-race view zoomed
// without end, would otherwise overflow the painter's whole-number
// coordinates. The band is wider than a layline arm, so that nothing that
// can reach into the picture is dropped.
inline constexpr double kFarOutsidePixels = 2000;

// Whether a projected point lies within kFarOutsidePixels of a picture.
bool nearPicture(QPointF p, QSize picture);

// A solid one-pixel line, end points included, between two points given
// in doubles that may lie anywhere (even far off the picture); the part
// outside a box just around the picture is cut off first. On a plain
// RGB32 picture without transform or clip the pixels are set directly
// (Bresenham): the painter's line drawing costs a call per pixel, which for
// a fleet of comparison lines or whole tracks is most of a frame.
void solidLine(QPainter& painter, QPointF a, QPointF b, const QColor& colour);

// The pixels of a plain RGB32 picture and one colour, for lines set pixel
// by pixel; bits is null where the painter must draw instead.
struct PixelTarget {
  uchar* bits = nullptr;
  qsizetype stride = 0;
  int width = 0;
  int height = 0;
  QRgb rgb = 0;

  // Bresenham, end points included; pixels off the picture are passed over.
  void line(QPoint a, QPoint b) const;
};

// Draws runs of positions as connected one-pixel lines through one
// projection. A point that lands on the pixel drawn last adds nothing and is
// skipped, so a track of thousands of fixes costs about as many lines as
// it has pixels on screen.
class PolylineDrawer {
 public:
  PolylineDrawer(QPainter& painter, const Projection& projection, const QColor& colour);

  PolylineDrawer(const PolylineDrawer&) = delete;
  PolylineDrawer& operator=(const PolylineDrawer&) = delete;
  ~PolylineDrawer() { drawWaitingDot(); }

  // The next point starts a new run.
  void start() {
    drawWaitingDot();
    m_open = false;
  }
  void add(GeoPoint p) { addProjected(m_projection.toPointF(p)); }
  // A point already projected through the drawer's projection.
  void addProjected(QPointF p);
  // A new run from a projected point, as start() and addProjected(p) would
  // begin it, except that the dot a run shows at its first point waits: the
  // next line from there covers it, which spares a line per run where runs
  // change colour every few fixes.
  void startAt(QPointF p);
  // The lines from here on take this colour; the run goes on.
  void setColour(const QColor& colour) {
    drawWaitingDot();
    m_colour = colour;
    m_target.rgb = colour.rgb();
  }

 private:
  void drawWaitingDot() {
    if (m_dotWaits) {
      drawDot();
    }
  }
  void drawDot();

  QPainter& m_painter;
  PixelTarget m_target;
  const Projection& m_projection;
  QColor m_colour;
  QSize m_picture;
  double m_right;
  double m_bottom;
  bool m_open = false;
  bool m_lastInside = false;
  bool m_dotWaits = false;  // at m_lastPixel
  QPointF m_last;
  QPoint m_lastPixel;
};

}  // namespace velaro
