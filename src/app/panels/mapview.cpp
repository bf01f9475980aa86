#include "app/panels/mapview.h"

#include "app/controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace velaro {

MapView::MapView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("mapView"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  m_measureReadout = makeReadout("measureReadout", this);
  m_measureReadout->setStyleSheet(QStringLiteral("QPlainTextEdit { background: white; color: black; }"));
  // The read-out follows the pointer; it must not take the pointer's moves
  // from the map.
  m_measureReadout->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_measureReadout->viewport()->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_measureReadout->hide();
}

void MapView::showMeasure(const std::optional<MeasureReadout>& measure) {
  const std::optional<QLine> line = measure ? measure->line : std::nullopt;
  if (line != m_measureLine) {
    m_measureLine = line;
    update();
  }
  if (!measure) {
    m_measureReadout->hide();
    return;
  }
  m_measureReadout->setGeometry(measure->rect);
  if (m_measureReadout->toPlainText() != measure->text) {
    m_measureReadout->setPlainText(measure->text);
  }
  m_measureReadout->show();
  m_measureReadout->raise();
}

void MapView::setImage(const QImage& image) {
  m_image = image;
  ++m_picturesShown;
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
  if (m_measureLine) {
    p.setPen(QPen(Qt::red, 2));
    p.drawLine(*m_measureLine);
  }
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
  emit mousePressed(event->position().toPoint(), event->button(), event->modifiers());
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
