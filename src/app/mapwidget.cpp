#include "app/mapwidget.h"

#include <QPaintEvent>
#include <QPainter>

namespace velaro {

MapWidget::MapWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
}

void MapWidget::setImage(const QImage& image) {
  m_image = image;
  update();
}

void MapWidget::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  if (m_image.isNull()) {
    p.fillRect(rect(), palette().window());
    return;
  }
  p.drawImage(event ? event->rect().topLeft() : QPoint(), m_image,
              event ? event->rect() : QRect(QPoint(), m_image.size()));
  // Any part of the widget the picture does not cover shows the window colour.
  if (m_image.width() < width()) {
    p.fillRect(QRect(m_image.width(), 0, width() - m_image.width(), height()), palette().window());
  }
  if (m_image.height() < height()) {
    p.fillRect(QRect(0, m_image.height(), width(), height() - m_image.height()), palette().window());
  }
}

}  // namespace velaro
