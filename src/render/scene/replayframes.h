#pragma once

#include "core/loadedrace.h"
#include "core/scene/mapviewstate.h"
#include "render/scene/renderscene.h"

#include <QImage>
#include <QSize>

#include <optional>

namespace velaro {

// How a picture or video made without the window looks at the map: its size,
// orientation, label detail and zoom, the live scene or the whole-race view.
struct ExportView {
  QSize size{1024, 768};
  bool northUp = false;
  int labelLevel = 2;  // 0..3
  // The live scene: a divisor 1..10 that zooms out; the whole-race view: a
  // magnification, 1 showing the whole race.
  double zoom = 1;
  bool wholeRace = false;
  std::optional<GeoPoint> centre;  // of the whole-race view; none: the race's middle
  bool speedColours = false;       // the whole-race view's tracks coloured by speed
};

// The live scene's options as the window shows a race with the pointer in a
// label zone: sails and wakes on, laylines when the race file gives layline
// angles, boats at least the big-boat size, the boats in focus as the race
// file sets them.
SceneOptions exportSceneOptions(const LoadedRace& loaded, const ExportView& view);

// The whole-race view's centre and zoom for a view.
MapViewState wholeRaceView(const LoadedRace& loaded, const ExportView& view);

// What the replay tick sets for replay time t: the clock's time of day, and
// the sea as bright as the sun makes it then.
void followReplayTime(SceneOptions& options, const MapGeometry& geometry, double t);

// The speed averages behind the red wakes as the second tick would take them
// from a frame at t.
void takeAveragesAt(SceneOptions& options, const LoadedRace& loaded, double t);

// A stretch of the replay played at a fixed speed and sampled at a fixed frame
// rate: frame k shows replay time from + k x speed / fps, and the frames last
// (to - from) / speed seconds together.
struct ReplayTake {
  double from = 0;
  double to = 0;
  double speed = 30;  // replay seconds per second of video
  int fps = 30;

  int frameCount() const;
  double timeOf(int frame) const;
};

// The frames of a take, drawn one after another as the window's replay draws
// them: each frame follows the time of day, and the wake averages are taken
// anew once per second of playing, from the frame drawn last; the lights
// flash (by night) as the light timer makes them. In the
// whole-race view each frame is that view at its time, the boats' wind
// angles from the live scene of the same moment.
class ReplayFrames {
 public:
  ReplayFrames(const LoadedRace& loaded, const SceneOptions& options, const ReplayTake& take);

  // With the sun off the sea keeps the options' brightness, as the window's
  // replay does with automatic brightness off.
  void setFollowSun(bool followSun) { m_followSun = followSun; }
  // Frames of the whole-race view instead of the live scene.
  void setWholeRace(const MapViewState& view) { m_wholeRace = view; }

  int count() const { return m_count; }
  const ReplayTake& take() const { return m_take; }
  QSize size() const { return m_renderer.options().mapArea; }
  // Frames must be asked for in order, from 0.
  const QImage& render(int frame);

 private:
  const LoadedRace& m_loaded;
  ReplayTake m_take;
  int m_count = 0;
  bool m_followSun = true;
  std::optional<MapViewState> m_wholeRace;
  SceneRenderer m_renderer;
};

}  // namespace velaro
