#include "app/mapview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace velaro {

MapView::MapView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("mapView"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
}

void MapView::setImage(const QImage& image) {
  m_image = image;
  update();
}

void MapView::paintEvent(QPaintEvent* event) {
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

void MapView::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(event->position().toPoint(), event->button(), event->modifiers());
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
  emit mouseReleased(event->position().toPoint(), event->button(), event->modifiers());
}

void MapView::mouseDoubleClickEvent(QMouseEvent* event) {
  emit mouseDoubleClicked(event->position().toPoint(), event->button(), event->modifiers());
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved(event->position().toPoint(), event->buttons(), event->modifiers());
}

void MapView::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  emit mouseLeft();
}

void MapView::keyPressEvent(QKeyEvent* event) {
  emit keyPressed(event->key(), event->modifiers());
}

void MapView::keyReleaseEvent(QKeyEvent* event) {
  emit keyReleased(event->key(), event->modifiers());
}

}  // namespace velaro
