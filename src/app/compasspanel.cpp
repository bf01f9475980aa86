#include "app/compasspanel.h"

#include "app/controls.h"

#include <QPixmap>

namespace velaro {

CompassPanel::CompassPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("compassPanel"));
  setGeometry(5, 5, 100, 100);
  m_compass = named(new QLabel, "compass", this, QRect(0, 0, 100, 100));
}

void CompassPanel::setCompass(const QImage& compass) {
  m_compass->setPixmap(QPixmap::fromImage(compass));
}

}  // namespace velaro
