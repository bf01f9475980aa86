#include "app/replay/replayscreen.h"

#include "app/panels/hintbox.h"

#include "app/panels/boatlistpanel.h"
#include "app/panels/compasspanel.h"
#include "app/panels/flagpanel.h"
#include "app/panels/mapview.h"
#include "app/panels/overviewpanel.h"
#include "app/panels/racecontrolpanel.h"
#include "app/panels/scoreboard.h"
#include "app/panels/timebarwidget.h"
#include "app/panels/windgraphpanel.h"
#include "core/replay/lightflasher.h"
#include "render/overviewmap.h"
#include "render/trackhighlight.h"

#include <algorithm>

namespace velaro {

void ReplayScreen::setRace(const LoadedRace* loaded) {
  m_loaded = loaded;
  m_highlightBoat = -1;
  m_scene.options().lights =
      loaded ? flashLights(loaded->race.lights, m_flashTick) : std::vector<LightFlash>{};
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
  o.PickedBoat = m_panels.boatList->PickedBoat();
  o.HoverBoat = m_panels.boatList->HoverBoat();
}

void ReplayScreen::showFrame(double sceneTime) {
  if (!m_loaded) {
    return;
  }
  showOnMap(m_scene.render(sceneTime));
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
  std::vector<QRect> keepClear;
  if (m_readoutArea) {
    keepClear.push_back(*m_readoutArea);
  }
  showOnMap(m_scene.renderWholeRace(view, sceneTime, keepClear));
  m_panels.timeBar->setSceneTime(sceneTime);
}

bool ReplayScreen::setReadoutArea(std::optional<QRect> area) {
  if (area == m_readoutArea) {
    return false;
  }
  m_readoutArea = area;
  return true;
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

void ReplayScreen::lightTimerTick() {
  ++m_flashTick;
  SceneOptions& o = m_scene.options();
  o.lights = m_loaded ? flashLights(m_loaded->race.lights, m_flashTick) : std::vector<LightFlash>{};
  o.LightPhase = 0;
}

void ReplayScreen::setTrackHighlight(int boat) {
  if (boat == m_highlightBoat) {
    return;
  }
  m_highlightBoat = boat;
  if (m_loaded && !m_scene.SceneBitmap().isNull()) {
    showOnMap(m_scene.SceneBitmap());
  }
}

void ReplayScreen::showOnMap(const QImage& picture) {
  const int b = m_highlightBoat;
  if (!m_loaded || b < 0 || b >= m_loaded->race.BoatCount()) {
    m_panels.map->setImage(picture);
    return;
  }
  const Rgb colour = b < static_cast<int>(m_loaded->colours.BoatColour.size())
                         ? m_loaded->colours.BoatColour[b]
                         : Rgb{255, 255, 255};
  m_panels.map->setImage(
      HighlightTrack(picture, m_scene.viewProjection(), m_loaded->race.boats[b].fixes, colour));
}

void ReplayScreen::showFrameOutcome(const FrameOutcome& out) {
  SceneOptions& o = m_scene.options();
  o.LightPhase = advanceLightPhase(o.LightPhase, ReplayClock::kFrameIntervalMs);
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
  keepHintOnTop();
  if (out.clockText) {
    m_panels.overview->setClockText(*out.clockText);
  }
}

void ReplayScreen::showSecondOutcome(const SecondOutcome& out) {
  m_scene.options().AvgSpeedUp = out.averages.AvgSpeedUp;
  m_scene.options().AvgSpeedDown = out.averages.AvgSpeedDown;
  m_panels.scoreBoard->apply(out.resultsCleared, {}, out.board);
  m_panels.flags->showFlags(out.flagPanelVisible, out.blueFlagVisible);
  keepHintOnTop();
}

void ReplayScreen::keepHintOnTop() {
  // The score board and the flags come to the front as they change; a hint
  // on show stays in front of them.
  if (m_panels.hints && !m_panels.hints->isHidden()) {
    m_panels.hints->raise();
  }
}

void ReplayScreen::showJump(const JumpOutcome& jump, const MapViewState& view) {
  if (jump.renderLive || jump.renderWholeRace) {
    m_panels.scoreBoard->apply(jump.resultsCleared, {}, jump.board);
    showMap(view, jump.sceneTime);
  }
  m_panels.overview->setClockText(jump.clockText);
}

}  // namespace velaro
