#include "app/replayscreen.h"

#include "app/boatlistpanel.h"
#include "app/compasspanel.h"
#include "app/flagpanel.h"
#include "app/mapview.h"
#include "app/overviewpanel.h"
#include "app/racecontrolpanel.h"
#include "app/scoreboard.h"
#include "app/timebarwidget.h"
#include "app/windgraphpanel.h"
#include "render/overviewmap.h"

#include <algorithm>

namespace velaro {

void ReplayScreen::setRace(const LoadedRace* loaded) {
  m_loaded = loaded;
  m_panels.overview->clearBoatDots();
  drawOverview();
  m_panels.timeBar->setRace(loaded);
  m_scene.setRace(loaded);
}

void ReplayScreen::drawOverview() {
  if (!m_loaded) {
    return;
  }
  static const QImage roseSource = CompassRoseSource();
  const Orientation orientation{m_panels.controls->northUp() ? 1 : 0, m_loaded->race.WindAxis};
  const OverviewPictures pictures =
      DrawOverview(m_loaded->race, m_loaded->geometry, orientation, m_loaded->colours, roseSource);
  m_panels.overview->setOverview(pictures.map, OverviewProjection(m_loaded->geometry, orientation),
                                 m_loaded->colours.BoatColour);
  m_panels.compass->setCompass(pictures.compass);
}

void ReplayScreen::updateOptions(QSize mapArea, int formHeight) {
  SceneOptions& o = m_scene.options();
  o.mapArea = QSize(std::max(1, mapArea.width()), std::max(1, mapArea.height()));
  o.FormHeight = formHeight;
  m_panels.controls->applyTo(o);
  o.BoatFocused = m_panels.boatList->focused();
}

void ReplayScreen::showFrame(double sceneTime) {
  if (!m_loaded) {
    return;
  }
  m_panels.map->setImage(m_scene.render(sceneTime));
  m_panels.timeBar->setSceneTime(sceneTime);
  // Boat dots on the overview map at the same moment, unless the time bar
  // is previewing another moment.
  if (!m_panels.timeBar->mouseOnTimeBar()) {
    m_panels.overview->showSceneDots(m_scene.state(), m_panels.boatList->focused());
  }
  if (m_scene.state().refocusedAll) {
    m_panels.boatList->focusAll();
  }
  const SceneState& state = m_scene.state();
  m_panels.compass->showWind(state.windMarker, state.wind.DataDir);
  if (state.windBarTop && m_panels.windGraph) {
    m_panels.windGraph->showTimeMarker(*state.windBarTop);
  }
}

void ReplayScreen::showWholeRace(const MapViewState& view, double sceneTime) {
  if (!m_loaded) {
    return;
  }
  m_panels.map->setImage(m_scene.renderWholeRace(view, sceneTime));
  m_panels.timeBar->setSceneTime(sceneTime);
}

void ReplayScreen::showMap(const MapViewState& view, double sceneTime) {
  if (view.isWholeRace()) {
    showWholeRace(view, sceneTime);
  } else {
    showFrame(sceneTime);
  }
}

void ReplayScreen::showPreview(double time) {
  m_panels.overview->setClockText(m_panels.timeBar->preview().clockText);
  m_panels.overview->showBoatDots(m_panels.timeBar->previewPositions(time), m_panels.boatList->focused());
}

void ReplayScreen::showFrameOutcome(const FrameOutcome& out) {
  SceneOptions& o = m_scene.options();
  o.TimeOfDay = out.TimeOfDay;
  if (out.seaLight) {
    o.NightMode = out.seaLight->NightMode;
    m_panels.controls->showSeaBrightness(out.seaLight->brightness);
    o.SeaBrightness = out.seaLight->brightness;
  }
  if (out.render) {
    showFrame(out.sceneTime);
  }
  m_panels.scoreBoard->apply(out.resultsCleared, out.revealedBoats, out.board);
  if (out.clockText) {
    m_panels.overview->setClockText(*out.clockText);
  }
}

void ReplayScreen::showSecondOutcome(const SecondOutcome& out) {
  m_scene.options().AvgSpeedUp = out.averages.AvgSpeedUp;
  m_scene.options().AvgSpeedDown = out.averages.AvgSpeedDown;
  m_panels.scoreBoard->apply(out.resultsCleared, {}, out.board);
  m_panels.flags->showFlags(out.flagPanelVisible, out.blueFlagVisible);
}

void ReplayScreen::showJump(const JumpOutcome& jump, const MapViewState& view) {
  if (jump.renderLive || jump.renderWholeRace) {
    m_panels.scoreBoard->apply(jump.resultsCleared, {}, jump.board);
    showMap(view, jump.sceneTime);
  }
  m_panels.overview->setClockText(jump.clockText);
}

}  // namespace velaro
