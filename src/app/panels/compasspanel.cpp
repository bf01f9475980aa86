#include "app/panels/compasspanel.h"

#include "app/controls.h"
#include "core/scene/pointerrules.h"
#include "render/overviewmap.h"

#include <QMouseEvent>
#include <QPixmap>

namespace velaro {

CompassPanel::CompassPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("compassPanel"));
  setGeometry(5, 5, 100, 100);
  m_compass = named(new QLabel, "compass", this, QRect(0, 0, 100, 100));
  m_compass->setMouseTracking(true);
  m_compass->installEventFilter(this);
}

void CompassPanel::setCompass(const QImage& compass) {
  m_rose = compass;
  redraw();
}

void CompassPanel::showWind(QPoint markerTopLeft, int DataDir) {
  if (markerTopLeft == m_marker && DataDir == m_dataDir) {
    return;
  }
  m_marker = markerTopLeft;
  m_dataDir = DataDir;
  redraw();
}

// Before the first frame there is no wind to show, only the rose.
void CompassPanel::redraw() {
  if (m_rose.isNull()) {
    return;
  }
  m_compass->setPixmap(
      QPixmap::fromImage(m_dataDir < 0 ? m_rose : CompassWithWind(m_rose, m_marker, m_dataDir)));
}

bool CompassPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_compass && event->type() == QEvent::MouseMove) {
    emit hovered(
        compassLabelLevel(static_cast<QMouseEvent*>(event)->position().toPoint(), m_compass->width()));
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace velaro
