#pragma once

#include "core/loadpipeline.h"
#include "render/scene/renderscene.h"

#include <QImage>
#include <QSize>

namespace velaro {

// How a picture or video made without the window looks at the map: its size,
// orientation, label detail and zoom.
struct ExportView {
  QSize size{1024, 768};
  bool northUp = false;
  int labelLevel = 2;  // 0..3
  int zoom = 1;        // 1..10 zooms out
};

// The live scene's options as the window shows a race with the pointer in a
// label zone: sails and wakes on, laylines when the race file gives layline
// angles, boats at least the big-boat size, the boats in focus as the race
// file sets them.
SceneOptions exportSceneOptions(const LoadedRace& loaded, const ExportView& view);

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
// anew once per second of playing, from the frame drawn last.
class ReplayFrames {
 public:
  ReplayFrames(const LoadedRace& loaded, const SceneOptions& options, const ReplayTake& take);

  // With the sun off the sea keeps the options' brightness, as the window's
  // replay does with automatic brightness off.
  void setFollowSun(bool followSun) { m_followSun = followSun; }

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
  SceneRenderer m_renderer;
};

}  // namespace velaro
