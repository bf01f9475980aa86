#include "app/replay/boatlisthover.h"

#include "app/replay/manoeuvrehint.h"

#include "app/captions.h"
#include "app/panels/boatlistpanel.h"
#include "app/panels/hintbox.h"
#include "app/panels/overviewpanel.h"
#include "app/panels/racecontrolpanel.h"
#include "app/panels/windowlayout.h"
#include "app/replay/mapinteraction.h"
#include "app/replay/replayscreen.h"
#include "core/replay/boatlist.h"

namespace velaro {

BoatListHover::BoatListHover(ReplayScreen& screen, const MapInteraction& map, const Panels& panels,
                             QWidget* window)
    : QObject(window), m_screen(screen), m_map(map), m_panels(panels), m_window(window) {
  setObjectName(QStringLiteral("boatListHover"));
  BoatListPanel* list = m_panels.boatList;
  connect(list, &BoatListPanel::boatHovered, this, &BoatListHover::onBoatHovered);
  connect(list, &BoatListPanel::headerHovered, this, &BoatListHover::onHeaderHovered);
  connect(list, &BoatListPanel::pointerEntered, this, &BoatListHover::fitPanelsToList);
  connect(list, &BoatListPanel::pointerLeft, this, &BoatListHover::onListLeft);
}

void BoatListHover::onBoatHovered(int boat) {
  const int replayMode = m_map.state().isWholeRace() ? 0 : 1;
  const BoatHoverEffect effect =
      boatHoverEffect(replayPageNumber(m_page), replayMode, m_panels.controls->hintsOn(), true);
  if (m_page == Page::Track) {
    m_screen.setTrackHighlight(effect.trackHighlight ? boat : -1);
  }
  if (effect.curveHighlight) {
    emit curvesHighlighted(boat);
  }
  if (m_loaded && boat >= 0 && boat < m_loaded->race.BoatCount() && effect.hint) {
    const bool ja = isJapanese(installedLanguage());
    // The list's own hint, then what the boat's tacks and gybes cost it.
    QString text = BoatListPanel::boatHint(m_loaded->race.boats[boat].BoatName);
    if (boat < static_cast<int>(m_loaded->manoeuvreTally.size())) {
      text += QStringLiteral("\r\n\r\n") + manoeuvreHintText(m_loaded->manoeuvreTally[boat]);
    }
    QRect rect = boatHintRect(QPoint(), m_panels.boatList->boxTop(boat), ja);
    rect.setSize(m_panels.hints->fitting(rect.size(), text));
    m_panels.hints->showHint(text, rect, m_panels.boatList);
  } else {
    m_panels.hints->hideHint();
  }
  emit hoverChanged();
}

void BoatListHover::onHeaderHovered() {
  if (m_panels.controls->hintsOn()) {
    // Where the last hint was.
    m_panels.hints->showHint(BoatListPanel::headerHint(), QRect(m_panels.hints->pos(), headerHintSize()));
  }
}

void BoatListHover::fitPanelsToList() {
  const int listHeight = m_loaded ? m_loaded->race.BoatListHeight : 0;
  const PanelFit fit = fitPanels(m_panels.boatList->y(), m_window->height(), listHeight,
                                 WindowLayout::kOverviewHeight, WindowLayout::kControlHeight);
  m_panels.overview->setVisible(fit.logoVisible);
  m_panels.controls->setVisible(fit.controlVisible);
  m_panels.boatList->raise();
}

void BoatListHover::onListLeft() {
  const PanelFit fit =
      panelsAfterLeavingList(m_window->height(), WindowLayout::kOverviewHeight, WindowLayout::kControlHeight);
  m_panels.overview->setVisible(fit.logoVisible);
  m_panels.controls->setVisible(fit.controlVisible);
  if (fit.neighboursOnTop) {
    m_panels.overview->raise();
    m_panels.controls->raise();
  }
}

}  // namespace velaro
