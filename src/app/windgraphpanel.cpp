#include "app/windgraphpanel.h"

#include "app/controls.h"
#include "render/windgraphimage.h"

#include <QPixmap>

namespace velaro {

WindGraphPanel::WindGraphPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("windGraphPanel"));
  setGeometry(5, 110, 100, 100);
  m_windGraph = named(new QLabel, "windGraph", this, QRect(0, 0, 100, 100));
  hide();
}

void WindGraphPanel::showRace(const LoadedRace& loaded) {
  if (loaded.windGraphOn) {
    m_windGraph->setPixmap(QPixmap::fromImage(DrawWindGraph(loaded.windGraph)));
  }
  setVisible(loaded.windGraphOn);
}

}  // namespace velaro
