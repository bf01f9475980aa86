#include "app/replay/pageswitcher.h"

#include "app/desktop/desktopdocuments.h"
#include "app/panels/boatlistpanel.h"
#include "app/panels/compasspanel.h"
#include "app/panels/stopwatchwidget.h"
#include "app/panels/windgraphpanel.h"
#include "app/replay/mapinteraction.h"
#include "app/replay/replaydriver.h"
#include "app/replay/replayscreen.h"
#include "core/replay/replayclock.h"
#include "core/scene/scenestate.h"

#include <QTimer>

namespace velaro {

PageSwitcher::PageSwitcher(DesktopDocuments& documents, const Panels& panels, Replay replay, QObject* parent)
    : QObject(parent), m_documents(documents), m_panels(panels), m_replay(std::move(replay)) {
  setObjectName(QStringLiteral("pageSwitcher"));
  m_graph.setMap(m_panels.map);
  m_charts.setMap(m_panels.map);
}

void PageSwitcher::setRace(const LoadedRace* loaded) {
  m_loaded = loaded;
  m_page = Page::Track;
  emit pageChanged(m_page);
  m_graph.setRace(loaded);
  m_charts.setRace(loaded);
}

void PageSwitcher::choose(Page page) {
  m_page = page;
  emit pageChanged(m_page);
  const bool haveRace = m_loaded != nullptr;
  m_panels.stopwatch->setVisible(page == Page::Track && haveRace);
  m_panels.compass->setVisible(page == Page::Track);
  m_panels.windGraph->setVisible(page == Page::Track && haveRace && m_loaded->windGraphOn);
  if (!haveRace) {
    return;
  }
  if (page != Page::Track) {
    redrawPage();
    if (page == Page::Table) {
      report(m_documents.exportTable(*m_loaded));
    }
    return;
  }
  emit trackShown();
}

void PageSwitcher::redrawGraph() {
  if (!m_loaded) {
    return;
  }
  m_graph.draw(m_replay.mapArea(), m_panels.boatList->focused(),
               seaShadeFor(m_replay.screen->scene().options().SeaBrightness).SeaColour);
  if (showsGraph(m_page)) {
    m_graph.show();
  }
}

void PageSwitcher::redrawPage() {
  if (!m_loaded || m_page == Page::Track) {
    return;
  }
  if (showsGraph(m_page)) {
    redrawGraph();
    return;
  }
  m_charts.draw(m_page, m_replay.mapArea(), m_panels.boatList->focused());
  m_charts.show();
}

void PageSwitcher::highlightBoat(int boat) {
  if (m_loaded && showsGraph(m_page)) {
    m_graph.highlight(boat);
  }
}

// The live scene is drawn afresh for the replay time with the replay held,
// and the replay goes on afterwards only if it was running; a failed write
// does not stop it either. The whole-race view is saved as it stands.
void PageSwitcher::retouch() {
  if (!m_loaded) {
    return;
  }
  ReplayScreen& screen = *m_replay.screen;
  if (m_page != Page::Track) {
    report(m_documents.exportPicture(showsGraph(m_page) ? m_graph.GraphBitmap() : m_charts.picture()));
    return;
  }
  if (m_replay.map->state().isWholeRace()) {
    report(m_documents.exportPicture(screen.scene().SceneBitmap()));
    return;
  }
  ReplayDriver& replay = *m_replay.driver;
  const std::optional<QString> error = replay.holdWhile([&] {
    screen.showFrame(replay.sceneTime());
    return m_documents.exportPicture(screen.scene().SceneBitmap());
  });
  report(error);
}

void PageSwitcher::report(const std::optional<QString>& error) {
  if (error) {
    emit failed(*error);
  }
}

}  // namespace velaro
