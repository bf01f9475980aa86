#include "app/panels/flagpanel.h"

#include "app/controls.h"
#include "render/replaypictures.h"

#include <QPixmap>

namespace velaro {

FlagPanel::FlagPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("flagPanel"));
  setGeometry(0, 5, 60, 40);
  m_bluePeter = named(new QLabel, "bluePeter", this, QRect(0, 0, 60, 40));
  m_bluePeter->setPixmap(QPixmap::fromImage(drawBluePeter(QSize(60, 40))));
  hide();
}

void FlagPanel::showFlags(bool panelVisible, bool bluePeterVisible) {
  setVisible(panelVisible);
  m_bluePeter->setVisible(bluePeterVisible);
  if (panelVisible) {
    raise();
  }
}

}  // namespace velaro
