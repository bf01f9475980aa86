#include "app/panels/windgraphpanel.h"

#include "app/controls.h"
#include "app/desktop/shellhints.h"
#include "render/windgraphimage.h"

#include <QEvent>
#include <QPixmap>

namespace velaro {

WindGraphPanel::WindGraphPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("windGraphPanel"));
  setGeometry(5, 110, 100, 100);
  m_windGraph = named(new QLabel, "windGraph", this, QRect(0, 0, 100, 100));
  m_windGraph->setMouseTracking(true);
  m_windGraph->installEventFilter(this);
  hide();
}

bool WindGraphPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
    emit hovered();
    if (const std::optional<Hint> hint =
            ShellHints::windGraph(installedLanguage(), m_replayMode == ReplayMode::Live)) {
      emit hintRequested(*hint);
    }
  } else if (event->type() == QEvent::Leave) {
    emit hintEnded();
  }
  return QWidget::eventFilter(watched, event);
}

void WindGraphPanel::showRace(const LoadedRace& loaded) {
  m_graph = loaded.windGraphOn ? DrawWindGraph(loaded.windGraph) : QImage();
  m_barTop = -1;
  if (loaded.windGraphOn) {
    m_windGraph->setPixmap(QPixmap::fromImage(m_graph));
  }
  setVisible(loaded.windGraphOn);
}

void WindGraphPanel::showTimeMarker(int barTop) {
  if (m_graph.isNull() || barTop == m_barTop) {
    return;
  }
  m_barTop = barTop;
  m_windGraph->setPixmap(QPixmap::fromImage(WindGraphWithTime(m_graph, barTop)));
}

}  // namespace velaro
