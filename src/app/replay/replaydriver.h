#pragma once

#include "app/captions.h"
#include "app/replay/page.h"
#include "core/loadedrace.h"
#include "core/racecatalogue.h"
#include "core/racefolders.h"
#include "core/replay/replayclock.h"

#include <QObject>

#include <functional>
#include <optional>

class QTimer;

namespace velaro {

class HintBox;
class MapInteraction;
class OverviewPanel;
class PageSwitcher;
class Platform;
class RaceControlPanel;
class ReplayScreen;
class StopwatchWidget;
class TimeBarWidget;

// The replay's transport: play, stop and single steps, the "Auto Trace"
// switch between the live scene and the whole-race view, the frame, second
// and light ticks, and the time bar's jumps and previews. It owns the clock
// and its timers, and says when their state changes.
class ReplayDriver : public QObject {
  Q_OBJECT

 public:
  struct Panels {
    RaceControlPanel* controls = nullptr;
    StopwatchWidget* stopwatch = nullptr;
    TimeBarWidget* timeBar = nullptr;
    OverviewPanel* overview = nullptr;
    HintBox* hints = nullptr;
  };
  // What the transport drives and reads: the replay on screen, the view the
  // map shows, the page shown, the race list a race's end moves along, and
  // the map's present width.
  struct Replay {
    ReplayScreen* screen = nullptr;
    MapInteraction* map = nullptr;
    const PageSwitcher* pages = nullptr;  // may be set later, with setPages
    RaceSelection* selection = nullptr;
    const RaceFolders* folders = nullptr;
    std::function<int()> mapWidth;
  };

  ReplayDriver(const Panels& panels, Replay replay, Platform& platform, QObject* parent);

  // The race on screen (it must outlive the next call); none before the
  // first load completed.
  void setRace(const LoadedRace* loaded) { m_loaded = loaded; }
  void setPages(const PageSwitcher* pages) { m_replay.pages = pages; }

  const ReplayClock& clock() const { return m_clock; }
  double sceneTime() const { return m_clock.SceneTime(); }
  double replaySpeed() const { return m_clock.ReplaySpeed(); }
  // The frames of the live scene are being played.
  bool framesRunning() const;
  // A new race on screen: its clock, the transport playing forward and the
  // race's speed on the speed bar.
  void startRace(const ClockRace& race);
  // Stops both timers (a load begins).
  void halt();
  // After a load: the new race plays from its start; a failed load lets the
  // race on screen go on from where it was, as it was.
  void resumeAfterLoad(bool replaced);
  // The speed bar moved.
  void onSpeedMoved(int position);
  // While a race loads the transport, the steps, Auto Trace and the time
  // bar's jumps do nothing; so they do with no race on screen.
  void setLoading(bool loading) { m_loading = loading; }
  // The language of the time bar's hint.
  void setLanguage(Language language) { m_language = language; }

  // The transport plays the live scene: from the whole-race view it goes
  // back to it first, as an Auto Trace click would.
  void play(Transport transport);
  // One step of the replay forward (direction > 0) or backward, in the live
  // scene.
  void step(int direction);
  // "Auto Trace" clicked: back to the live scene, or the whole-race view.
  void onAutoTraceClicked(bool checked);
  void onFrameTick();
  void onSecondTick();
  void onLightTick();

  void timeBarJump(double t);
  void timeBarPreview(double t);
  // The time bar's start: the replay from the beginning.
  void rewindToStart();

  // The live scene or the whole-race view at the replay time, whichever the
  // map shows; nothing on the Graph and Table pages, where the map keeps the
  // graph.
  void redrawMap();
  // The map as it was left when the Track page comes back: playing, stopped
  // or the whole-race view.
  void resumeTrack();
  // The live scene's labels changed: a stopped live scene shows them at
  // once, a playing one at its next frame.
  void redrawStoppedScene();
  void showClockAtSceneTime();
  // Runs work with the replay held; the timers that ran go on afterwards.
  std::optional<QString> holdWhile(const std::function<std::optional<QString>()>& work);
  // The same for work that ends later: hold() stops the timers, the release()
  // that matches the first hold() starts again those that ran.
  void hold();
  void release();

 signals:
  // The race ended and AutoNext selected the next one: load it.
  void nextRaceSelected();
  // The clock's timers started or stopped, or the transport changed.
  void stateChanged();
  // "Auto Trace" switched the map between the live scene and the whole
  // race: the scene's options follow.
  void viewSwitched();

 private:
  Page page() const;
  // No race to drive, or one being replaced.
  bool idle() const { return !m_loaded || m_loading; }
  // Leaves the whole-race view for the live scene; true when it did.
  bool backToLiveScene();

  Panels m_panels;
  Replay m_replay;
  Platform& m_platform;
  const LoadedRace* m_loaded = nullptr;
  bool m_loading = false;
  ReplayClock m_clock;
  QTimer* m_frameTimer = nullptr;
  QTimer* m_secondTimer = nullptr;
  // Drives the navigation lights, every second from program start.
  QTimer* m_lightTimer = nullptr;
  Language m_language = Language::EnglishFixed;
  int m_holds = 0;
  bool m_frameTimerHeld = false;
  bool m_secondTimerHeld = false;
};

}  // namespace velaro
