#include "render/flags.h"

#include <QPainter>

namespace velaro {

QImage drawJapanFlag(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(188, 0, 45));
  const double r = size.height() * 0.3;
  p.drawEllipse(QPointF(size.width() / 2.0, size.height() / 2.0), r, r);
  p.setPen(QColor(160, 160, 160));
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, 0, size.width() - 1, size.height() - 1);
  return image;
}

QImage drawEnglishFlag(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  const int stripes = 13;
  for (int i = 0; i < stripes; i += 2) {
    const int y0 = i * size.height() / stripes;
    const int y1 = (i + 1) * size.height() / stripes;
    p.fillRect(0, y0, size.width(), y1 - y0, QColor(178, 34, 52));
  }
  p.fillRect(0, 0, size.width() * 2 / 5, 7 * size.height() / stripes, QColor(60, 59, 110));
  p.setPen(QColor(160, 160, 160));
  p.drawRect(0, 0, size.width() - 1, size.height() - 1);
  return image;
}

}  // namespace velaro
