#include "app/windgraphpanel.h"

#include "app/controls.h"
#include "app/shellhints.h"
#include "render/windgraphimage.h"

#include <QPixmap>

namespace velaro {

WindGraphPanel::WindGraphPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("windGraphPanel"));
  setGeometry(5, 110, 100, 100);
  m_windGraph = named(new QLabel, "windGraph", this, QRect(0, 0, 100, 100));
  m_windGraph->installEventFilter(this);
  m_windGraph->setMouseTracking(true);
  hide();
}

bool WindGraphPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
    if (const std::optional<Hint> hint = ShellHints::windGraph(installedLanguage(), m_replayMode == 1)) {
      emit hintRequested(*hint);
    }
  } else if (event->type() == QEvent::Leave) {
    emit hintEnded();
  }
  return QWidget::eventFilter(watched, event);
}

void WindGraphPanel::showRace(const LoadedRace& loaded) {
  if (loaded.windGraphOn) {
    m_windGraph->setPixmap(QPixmap::fromImage(DrawWindGraph(loaded.windGraph)));
  }
  setVisible(loaded.windGraphOn);
}

}  // namespace velaro
