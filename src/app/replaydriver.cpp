#include "app/replaydriver.h"

#include "app/hintbox.h"
#include "app/mapinteraction.h"
#include "app/overviewpanel.h"
#include "app/pageswitcher.h"
#include "app/platform.h"
#include "app/racecontrolpanel.h"
#include "app/replayscreen.h"
#include "app/stopwatchwidget.h"
#include "app/timebarwidget.h"

#include <QTimer>

namespace velaro {

ReplayDriver::ReplayDriver(const Panels& panels, Replay replay, Platform& platform, QObject* parent)
    : QObject(parent), m_panels(panels), m_replay(std::move(replay)), m_platform(platform) {}

Page ReplayDriver::page() const {
  return m_replay.pages->page();
}

bool ReplayDriver::backToLiveScene() {
  MapViewState& view = m_replay.map->state();
  if (!m_loaded || !view.isWholeRace()) {
    return false;
  }
  // As an Auto Trace click sounds.
  m_platform.beep();
  m_platform.beep();
  view.enterLive();
  return true;
}

void ReplayDriver::play(Transport transport) {
  if (idle()) {
    m_panels.controls->showTransport(m_replay.clock->transport());
    return;
  }
  const bool switched = backToLiveScene();
  m_replay.clock->press(transport);
  m_panels.controls->showTransport(transport);
  if (transport == Transport::Stop) {
    m_replay.frameTimer->stop();
    m_replay.secondTimer->stop();
  } else {
    m_replay.frameTimer->start(ReplayClock::kFrameIntervalMs);
    m_replay.secondTimer->start(ReplayClock::kSecondIntervalMs);
  }
  if (switched) {
    emit viewSwitched();
  }
}

void ReplayDriver::step(int direction) {
  if (idle()) {
    return;
  }
  // A single step stops the replay where the step leaves it, in the live
  // scene; the view's switch draws the step's moment.
  const bool switched = backToLiveScene();
  play(Transport::Stop);
  const Race& r = m_loaded->race;
  ReplayClock& clock = *m_replay.clock;
  const double t = clock.SceneTime();
  clock.setSceneTime(direction > 0 ? SceneRenderer::stepPlus(t, r.TimeAxisStart, r.TimeAxisEnd)
                                   : SceneRenderer::stepMinus(t, r.TimeAxisStart, r.TimeAxisEnd));
  if (switched) {
    emit viewSwitched();
  } else {
    redrawMap();
  }
  showClockAtSceneTime();
}

void ReplayDriver::onAutoTraceClicked(bool checked) {
  m_platform.beep();
  m_platform.beep();
  if (idle()) {
    return;
  }
  MapViewState& view = m_replay.map->state();
  if (checked) {
    view.enterLive();
    play(Transport::Forward);
    emit viewSwitched();
    return;
  }
  play(Transport::Stop);
  view.enterWholeRace(m_loaded->geometry);
  emit viewSwitched();
}

void ReplayDriver::onFrameTick() {
  if (!m_loaded) {
    return;
  }
  RaceSelection& selection = *m_replay.selection;
  FrameTickInput input;
  input.Page = replayPageNumber(page());
  input.AutoNext = m_panels.controls->autoNext() ? 1 : 0;
  input.RaceFileCount = static_cast<int>(selection.raceFiles.size());
  input.CurrentRace = selection.CurrentRace;
  input.AutoBrightness = m_panels.controls->autoBrightness() ? 1 : 0;
  input.MouseOnTimeBar = m_panels.timeBar->mouseOnTimeBar();
  input.raceFileExists = [this](int race) {
    return m_replay.selection->raceFileExists(*m_replay.folders, race);
  };
  const FrameOutcome out = m_replay.clock->frameTick(input);
  if (!out.ran) {
    return;
  }
  selection.CurrentRace = out.CurrentRace;
  if (out.loadRace) {
    selection.selectListed(*m_replay.folders, out.CurrentRace);
    emit nextRaceSelected();
    return;
  }
  m_replay.screen->showFrameOutcome(out);
  m_panels.stopwatch->frame(m_replay.clock->SceneTime());
  if (out.playGun) {
    m_platform.playGun();
  }
}

void ReplayDriver::onSecondTick() {
  if (!m_loaded) {
    return;
  }
  const SecondOutcome out =
      m_replay.clock->secondTick(replayPageNumber(page()), m_replay.screen->scene().boatMotions());
  if (!out.ran) {
    return;
  }
  if (out.startFrameTimer && !m_replay.frameTimer->isActive()) {
    m_replay.frameTimer->start(ReplayClock::kFrameIntervalMs);
  }
  m_replay.screen->showSecondOutcome(out);
  if (out.beep) {
    m_platform.beep();
  }
}

void ReplayDriver::onLightTick() {
  m_replay.screen->lightTimerTick();
}

void ReplayDriver::timeBarJump(double t) {
  if (idle()) {
    return;
  }
  const MapViewState& view = m_replay.map->state();
  const JumpOutcome o = m_replay.clock->timeBarClick(t, replayPageNumber(page()), view.isWholeRace() ? 0 : 1);
  if (o.ran) {
    m_replay.screen->showJump(o, view);
  }
}

void ReplayDriver::timeBarPreview(double t) {
  m_replay.screen->showPreview(t);
  const TimeBarPreview& preview = m_panels.timeBar->preview();
  if (m_panels.controls->hintsOn() && page() == Page::Track) {
    const TimeBarHint hint = hintFor(m_language, preview.clockText, preview.y);
    m_panels.hints->showHint(hint.text, hint.rectFor(m_replay.mapWidth()));
  }
}

void ReplayDriver::rewindToStart() {
  if (idle()) {
    return;
  }
  m_replay.clock->rewindToStart();
  redrawMap();
}

void ReplayDriver::redrawMap() {
  if (m_loaded && page() == Page::Track) {
    m_replay.screen->showMap(m_replay.map->state(), m_replay.clock->SceneTime());
  }
}

void ReplayDriver::resumeTrack() {
  redrawMap();
  if (m_replay.clock->timersRunning()) {
    m_replay.frameTimer->start(ReplayClock::kFrameIntervalMs);
    m_replay.secondTimer->start(ReplayClock::kSecondIntervalMs);
  }
}

void ReplayDriver::redrawStoppedScene() {
  if (!m_replay.frameTimer->isActive() && page() == Page::Track && !m_replay.map->state().isWholeRace()) {
    redrawMap();
  }
}

void ReplayDriver::showClockAtSceneTime() {
  m_panels.overview->setClockText(clockTextAt(m_loaded->race.RaceStart, m_replay.clock->SceneTime()));
}

std::optional<QString> ReplayDriver::holdWhile(const std::function<std::optional<QString>()>& work) {
  const bool frameTimerRan = m_replay.frameTimer->isActive();
  const bool secondTimerRan = m_replay.secondTimer->isActive();
  m_replay.frameTimer->stop();
  m_replay.secondTimer->stop();
  std::optional<QString> result = work();
  if (frameTimerRan) {
    m_replay.frameTimer->start(ReplayClock::kFrameIntervalMs);
  }
  if (secondTimerRan) {
    m_replay.secondTimer->start(ReplayClock::kSecondIntervalMs);
  }
  return result;
}

}  // namespace velaro
