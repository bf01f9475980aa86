#include "app/windgraphpanel.h"

#include "app/controls.h"

#include <QPixmap>

namespace velaro {

WindGraphPanel::WindGraphPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("windGraphPanel"));
  setGeometry(5, 110, 100, 100);
  m_windGraph = named(new QLabel, "windGraph", this, QRect(0, 0, 100, 100));
  hide();
}

void WindGraphPanel::setGraph(const QImage& graph) {
  m_windGraph->setPixmap(QPixmap::fromImage(graph));
}

}  // namespace velaro
