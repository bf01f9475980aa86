#include "render/scene/pixellines.h"

#include "render/pixellines.h"

#include "core/datetime.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velaro {

namespace {

// Lines are cut to this many pixels around the picture, so that a line
// ending just outside still leaves its last pixels at the edge.
constexpr double kCutMargin = 2;

// Rounds half to even like roundToInt, without a library call: adding and
// taking away 1.5 x 2^52 leaves the nearest whole number in the default
// rounding mode. Only for values well inside the int range (points near the
// picture).
inline int pixelRound(double v) {
  constexpr double kShift = 6755399441055744.0;
  return static_cast<int>((v + kShift) - kShift);
}

}  // namespace

void PixelTarget::line(QPoint a, QPoint b) const {
  bresenham(bits, stride, width, height, a, b, rgb);
}

namespace {

// Where a painter's pixels may be set directly: a plain RGB32 picture
// without transform or clip. Otherwise target.bits stays null.
PixelTarget targetOf(QPainter& p, const QColor& colour) {
  PixelTarget target;
  auto* image = dynamic_cast<QImage*>(p.device());
  if (image == nullptr || image->format() != QImage::Format_RGB32 || !p.transform().isIdentity() ||
      p.hasClipping()) {
    return target;
  }
  target.bits = image->bits();
  target.stride = image->bytesPerLine();
  target.width = image->width();
  target.height = image->height();
  target.rgb = colour.rgb();
  return target;
}

QSize deviceSize(QPainter& p) {
  return p.device() != nullptr ? QSize(p.device()->width(), p.device()->height()) : QSize();
}

// A line between two pixels near the picture.
void pixelLine(QPainter& p, const PixelTarget& target, QPoint a, QPoint b, const QColor& colour) {
  if (target.bits == nullptr) {
    p.setPen(colour);
    p.drawLine(a, b);
    return;
  }
  target.line(a, b);
}

void cutLine(QPainter& p, const PixelTarget& target, QSize picture, QPointF a, QPointF b,
             const QColor& colour) {
  if (!cutToBox(a, b, -kCutMargin, -kCutMargin, picture.width() + kCutMargin,
                picture.height() + kCutMargin)) {
    return;
  }
  pixelLine(p, target, QPoint(roundToInt(a.x()), roundToInt(a.y())),
            QPoint(roundToInt(b.x()), roundToInt(b.y())), colour);
}

}  // namespace

bool nearPicture(QPointF p, QSize picture) {
  return p.x() >= -kFarOutsidePixels && p.y() >= -kFarOutsidePixels &&
         p.x() <= picture.width() + kFarOutsidePixels && p.y() <= picture.height() + kFarOutsidePixels;
}

void solidLine(QPainter& p, QPointF a, QPointF b, const QColor& colour) {
  cutLine(p, targetOf(p, colour), deviceSize(p), a, b, colour);
}

PolylineDrawer::PolylineDrawer(QPainter& painter, const Projection& projection, const QColor& colour)
    : m_painter(painter),
      m_target(targetOf(painter, colour)),
      m_projection(projection),
      m_colour(colour),
      m_picture(deviceSize(painter)),
      m_right(m_picture.width() + kCutMargin),
      m_bottom(m_picture.height() + kCutMargin) {}

// Points inside the cut box are rounded once and joined pixel to pixel;
// a segment with an end outside it is cut first, unless both ends lie
// beyond the same edge, when nothing of it can show.
void PolylineDrawer::addProjected(QPointF p) {
  const bool inside = p.x() >= -kCutMargin && p.x() <= m_right && p.y() >= -kCutMargin && p.y() <= m_bottom;
  QPoint pixel;
  if (inside) {
    pixel = QPoint(pixelRound(p.x()), pixelRound(p.y()));
    if (m_open && m_lastInside && pixel == m_lastPixel) {
      return;
    }
  }
  if (!m_open) {
    // A run that never leaves its first pixel still shows as a dot.
    if (inside) {
      pixelLine(m_painter, m_target, pixel, pixel, m_colour);
    }
  } else if (inside && m_lastInside) {
    m_dotWaits = false;
    pixelLine(m_painter, m_target, m_lastPixel, pixel, m_colour);
  } else {
    drawWaitingDot();
    const bool beyondOneEdge =
        (p.x() < -kCutMargin && m_last.x() < -kCutMargin) || (p.x() > m_right && m_last.x() > m_right) ||
        (p.y() < -kCutMargin && m_last.y() < -kCutMargin) || (p.y() > m_bottom && m_last.y() > m_bottom);
    if (!beyondOneEdge) {
      cutLine(m_painter, m_target, m_picture, m_last, p, m_colour);
    }
  }
  m_open = true;
  m_last = p;
  m_lastPixel = pixel;
  m_lastInside = inside;
}

void PolylineDrawer::startAt(QPointF p) {
  drawWaitingDot();
  m_open = true;
  m_last = p;
  m_lastInside = p.x() >= -kCutMargin && p.x() <= m_right && p.y() >= -kCutMargin && p.y() <= m_bottom;
  m_lastPixel = m_lastInside ? QPoint(pixelRound(p.x()), pixelRound(p.y())) : QPoint();
  m_dotWaits = m_lastInside;
}

void PolylineDrawer::drawDot() {
  pixelLine(m_painter, m_target, m_lastPixel, m_lastPixel, m_colour);
  m_dotWaits = false;
}

}  // namespace velaro
