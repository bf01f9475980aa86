#include "app/replay/replaydriver.h"

#include "app/controls.h"
#include "app/desktop/platform.h"
#include "app/panels/hintbox.h"
#include "app/panels/overviewpanel.h"
#include "app/panels/racecontrolpanel.h"
#include "app/panels/stopwatchwidget.h"
#include "app/panels/timebarwidget.h"
#include "app/replay/mapinteraction.h"
#include "app/replay/pageswitcher.h"
#include "app/replay/replayscreen.h"
#include "core/replay/lightflasher.h"

#include <QTimer>

namespace velaro {

ReplayDriver::ReplayDriver(const Panels& panels, Replay replay, Platform& platform, QObject* parent)
    : QObject(parent), m_panels(panels), m_replay(std::move(replay)), m_platform(platform) {
  setObjectName(QStringLiteral("replayDriver"));
  m_frameTimer = makeTimer("frameTimer", ReplayClock::kFrameIntervalMs, this);
  m_secondTimer = makeTimer("secondTimer", ReplayClock::kSecondIntervalMs, this);
  m_lightTimer = makeTimer("lightTimer", kLightTimerIntervalMs, this);
  connect(m_frameTimer, &QTimer::timeout, this, &ReplayDriver::onFrameTick);
  connect(m_secondTimer, &QTimer::timeout, this, &ReplayDriver::onSecondTick);
  connect(m_lightTimer, &QTimer::timeout, this, &ReplayDriver::onLightTick);
  m_lightTimer->start();
}

void ReplayDriver::startRace(const ClockRace& race) {
  m_clock.startRace(race);
  m_panels.controls->showTransport(Transport::Forward);
  m_panels.controls->showSpeed(SetSpeedPosition(m_clock.ReplaySpeed()), speedText(m_clock.ReplaySpeed()));
  emit stateChanged();
}

void ReplayDriver::halt() {
  m_frameTimer->stop();
  m_secondTimer->stop();
  emit stateChanged();
}

void ReplayDriver::resumeAfterLoad(bool replaced) {
  if (replaced) {
    // The one-second tick starts the replay of the new race.
    m_clock.rewindToStart();
    m_secondTimer->start(ReplayClock::kSecondIntervalMs);
  } else if (m_loaded && m_clock.timersRunning()) {
    // The race on screen goes on from where it was.
    m_secondTimer->start(ReplayClock::kSecondIntervalMs);
  }
  emit stateChanged();
}

void ReplayDriver::onSpeedMoved(int position) {
  m_panels.controls->setSpeedText(m_clock.speedSliderMoved(position));
}

bool ReplayDriver::framesRunning() const {
  return m_frameTimer->isActive();
}

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
    m_panels.controls->showTransport(m_clock.transport());
    return;
  }
  const bool switched = backToLiveScene();
  m_clock.press(transport);
  m_panels.controls->showTransport(transport);
  if (transport == Transport::Stop) {
    m_frameTimer->stop();
    m_secondTimer->stop();
  } else {
    m_frameTimer->start(ReplayClock::kFrameIntervalMs);
    m_secondTimer->start(ReplayClock::kSecondIntervalMs);
  }
  emit stateChanged();
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
  ReplayClock& clock = m_clock;
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
  const FrameOutcome out = m_clock.frameTick(input);
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
  m_panels.stopwatch->frame(m_clock.SceneTime());
  if (out.playGun) {
    m_platform.playGun();
  }
}

void ReplayDriver::onSecondTick() {
  if (!m_loaded) {
    return;
  }
  const SecondOutcome out =
      m_clock.secondTick(replayPageNumber(page()), m_replay.screen->scene().boatMotions());
  if (!out.ran) {
    return;
  }
  if (out.startFrameTimer && !m_frameTimer->isActive()) {
    m_frameTimer->start(ReplayClock::kFrameIntervalMs);
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
  const JumpOutcome o = m_clock.timeBarClick(t, replayPageNumber(page()), view.isWholeRace() ? 0 : 1);
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
  m_clock.rewindToStart();
  redrawMap();
}

void ReplayDriver::redrawMap() {
  if (m_loaded && page() == Page::Track) {
    m_replay.screen->showMap(m_replay.map->state(), m_clock.SceneTime());
  }
}

void ReplayDriver::resumeTrack() {
  redrawMap();
  if (m_clock.timersRunning()) {
    m_frameTimer->start(ReplayClock::kFrameIntervalMs);
    m_secondTimer->start(ReplayClock::kSecondIntervalMs);
  }
}

void ReplayDriver::redrawStoppedScene() {
  if (!m_frameTimer->isActive() && page() == Page::Track && !m_replay.map->state().isWholeRace()) {
    redrawMap();
  }
}

void ReplayDriver::showClockAtSceneTime() {
  m_panels.overview->setClockText(clockTextAt(m_loaded->race.RaceStart, m_clock.SceneTime()));
}

std::optional<QString> ReplayDriver::holdWhile(const std::function<std::optional<QString>()>& work) {
  hold();
  std::optional<QString> result = work();
  release();
  return result;
}

void ReplayDriver::hold() {
  if (m_holds++ > 0) {
    return;
  }
  m_frameTimerHeld = m_frameTimer->isActive();
  m_secondTimerHeld = m_secondTimer->isActive();
  m_frameTimer->stop();
  m_secondTimer->stop();
}

void ReplayDriver::release() {
  if (m_holds == 0 || --m_holds > 0) {
    return;
  }
  if (m_frameTimerHeld) {
    m_frameTimer->start(ReplayClock::kFrameIntervalMs);
  }
  if (m_secondTimerHeld) {
    m_secondTimer->start(ReplayClock::kSecondIntervalMs);
  }
}

}  // namespace velaro
