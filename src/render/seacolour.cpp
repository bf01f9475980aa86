#include "render/seacolour.h"

#include "core/scene/scenestate.h"

#include <QPainter>

namespace velaro {

QImage SeaSwatch(QSize size, double SeaBrightness) {
  QImage swatch(size, QImage::Format_RGB32);
  const SeaShade shade = seaShadeFor(SeaBrightness);
  swatch.fill(QColor::fromRgb(shade.GridColour.argb()));
  QPainter p(&swatch);
  p.fillRect(QRect(QPoint(1, 1), size - QSize(2, 2)), QColor::fromRgb(shade.SeaColour.argb()));
  return swatch;
}

}  // namespace velaro
