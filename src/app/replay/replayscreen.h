#pragma once

#include "core/loadedrace.h"
#include "core/replay/replayclock.h"
#include "core/scene/mapviewstate.h"
#include "render/scene/renderscene.h"

#include <QRect>
#include <QSize>

#include <optional>

namespace velaro {

class BoatListPanel;
class CompassPanel;
class FlagPanel;
class MapView;
class OverviewPanel;
class RaceControlPanel;
class ScoreBoard;
class TimeBarWidget;
class WindGraphPanel;

// The panels the replay shows itself on.
class HintBox;

struct ReplayPanels {
  MapView* map = nullptr;
  TimeBarWidget* timeBar = nullptr;
  OverviewPanel* overview = nullptr;
  CompassPanel* compass = nullptr;
  BoatListPanel* boatList = nullptr;
  RaceControlPanel* controls = nullptr;
  ScoreBoard* scoreBoard = nullptr;
  FlagPanel* flags = nullptr;
  WindGraphPanel* windGraph = nullptr;
  // Kept in front of the panels the replay brings forward.
  HintBox* hints = nullptr;
};

// The replay on screen: renders the scene for a moment and shows it on the
// map, the time bar's pointer and the overview's dots, and shows what the
// replay clock's ticks said (score board, flags, read-out, day light). It
// keeps no replay state of its own: the window's clock decides the moment.
class ReplayScreen {
 public:
  // The panels, once the window has made them.
  void setPanels(const ReplayPanels& panels) { m_panels = panels; }

  // A newly loaded race (it must outlive the next call): the overview and
  // compass are drawn afresh and the dots forgotten.
  void setRace(const LoadedRace* loaded);
  // Redraws the overview and compass for the orientation the controls show.
  void drawOverview();
  // The display switches, the boats in focus and the map size as the
  // scene's options.
  void updateOptions(QSize mapArea, int formHeight);
  // Renders the scene at sceneTime and shows it everywhere, with its wind on
  // the compass and the wind graph.
  void showFrame(double sceneTime);
  // Draws the whole-race view at sceneTime and shows it on the map and the
  // time bar.
  void showWholeRace(const MapViewState& view, double sceneTime);
  // The measuring read-out over the whole-race view, which the boats' names
  // keep clear of; none when it is not shown. True when it changed.
  bool setReadoutArea(std::optional<QRect> area);
  // The live scene or the whole-race view, as the view state says.
  void showMap(const MapViewState& view, double sceneTime);

  // The time bar previews another moment: its read-out and boat dots.
  void showPreview(double time);

  // One tick of the light timer: every light's state for the coming second,
  // and the rings start to grow again.
  void lightTimerTick();
  qint64 FlashTick() const { return m_flashTick; }

  // Picks out boat b's whole track (0-based; -1: none) on the pictures the
  // map shows, over a copy so that the scene's own picture stays as drawn.
  void setTrackHighlight(int boat);
  int trackHighlight() const { return m_highlightBoat; }

  void showFrameOutcome(const FrameOutcome& out);
  void showSecondOutcome(const SecondOutcome& out);
  void showJump(const JumpOutcome& jump, const MapViewState& view);

  const SceneRenderer& scene() const { return m_scene; }
  // What the pointer over the map sets for the next frame.
  SceneOptions& sceneOptions() { return m_scene.options(); }

 private:
  void keepHintOnTop();
  // The scene's picture as the map shows it: with the track highlight.
  void showOnMap(const QImage& picture);

  ReplayPanels m_panels;
  const LoadedRace* m_loaded = nullptr;
  std::optional<QRect> m_readoutArea;
  SceneRenderer m_scene;
  qint64 m_flashTick = 0;  // light timer ticks since program start
  int m_highlightBoat = -1;
};

}  // namespace velaro
