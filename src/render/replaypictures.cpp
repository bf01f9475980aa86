#include "render/replaypictures.h"

#include <QPainter>
#include <QPolygonF>

namespace velaro {

QImage drawTransportPicture(TransportPicture kind, bool pressed, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  const QColor face = pressed ? QColor(255, 230, 120) : QColor(225, 225, 225);
  image.fill(face);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  const double w = size.width();
  const double h = size.height();
  // Raised or sunk bevel.
  p.setPen(pressed ? QColor(90, 90, 90) : Qt::white);
  p.drawLine(0, 0, size.width() - 1, 0);
  p.drawLine(0, 0, 0, size.height() - 1);
  p.setPen(pressed ? Qt::white : QColor(90, 90, 90));
  p.drawLine(0, size.height() - 1, size.width() - 1, size.height() - 1);
  p.drawLine(size.width() - 1, 0, size.width() - 1, size.height() - 1);

  p.setPen(Qt::NoPen);
  p.setBrush(pressed ? QColor(200, 0, 0) : QColor(40, 40, 40));
  switch (kind) {
    case TransportPicture::Forward:
      p.drawPolygon(
          QPolygonF({QPointF(w / 2, h * 0.2), QPointF(w * 0.75, h * 0.8), QPointF(w * 0.25, h * 0.8)}));
      break;
    case TransportPicture::Backward:
      p.drawPolygon(
          QPolygonF({QPointF(w / 2, h * 0.8), QPointF(w * 0.75, h * 0.2), QPointF(w * 0.25, h * 0.2)}));
      break;
    case TransportPicture::Stop:
      p.drawRect(QRectF(w / 2 - h * 0.3, h * 0.2, h * 0.6, h * 0.6));
      break;
  }
  return image;
}

QImage drawBluePeter(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(0, 40, 160));
  QPainter p(&image);
  const int bw = size.width() / 3;
  const int bh = size.height() / 3;
  p.fillRect(bw, bh, size.width() - 2 * bw, size.height() - 2 * bh, Qt::white);
  p.setPen(Qt::black);
  p.drawRect(0, 0, size.width() - 1, size.height() - 1);
  return image;
}

}  // namespace velaro
