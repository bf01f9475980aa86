#include "render/scene/replayframes.h"

#include "core/replay/lightflasher.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velaro {

SceneOptions exportSceneOptions(const LoadedRace& loaded, const ExportView& view) {
  const Race& race = loaded.race;
  SceneOptions o;
  o.mapArea = view.size;
  o.northUp = view.northUp || race.NorthUp > 0;
  o.LabelLevel = view.labelLevel;
  o.ZoomDivisor = view.wholeRace ? 1 : view.zoom;
  o.ShowSails = true;
  o.chkLL = race.LaylineAngleA != 0 || race.LaylineAngleB != 0;
  o.ChkBigBoat = true;
  o.speedColours = view.speedColours;
  return o;
}

MapViewState wholeRaceView(const LoadedRace& loaded, const ExportView& view) {
  MapViewState state;
  state.enterWholeRace(loaded.geometry);
  state.WholeRaceZoom = view.zoom;
  if (view.centre) {
    state.WholeRaceCentre = *view.centre;
  }
  return state;
}

void followReplayTime(SceneOptions& options, const MapGeometry& geometry, double t) {
  options.TimeOfDay = timeOfDayAt(geometry.StartSecondOfDay, t);
  options.SeaBrightness =
      daylightBrightness(options.TimeOfDay, geometry.SunriseSecond, geometry.SunsetSecond);
  options.NightMode = isNightAt(options.TimeOfDay, geometry.SunriseSecond, geometry.SunsetSecond) ? 1 : 0;
}

void takeAveragesAt(SceneOptions& options, const LoadedRace& loaded, double t) {
  SceneCursor probe;
  const SpeedAverages averages = averageSpeeds(boatMotions(computeScene(loaded, options, t, probe)));
  options.AvgSpeedUp = averages.AvgSpeedUp;
  options.AvgSpeedDown = averages.AvgSpeedDown;
}

// A take whose length is not a whole number of frames ends with the frame
// that begins in its last part; a take shorter than a frame still has one.
// Years of replay at a slow speed hold more frames than an int: such a take
// counts the largest int, which no video accepts.
int ReplayTake::frameCount() const {
  if (!(speed > 0) || fps <= 0 || !(to > from)) {
    return 1;
  }
  const double frames = std::ceil((to - from) / speed * fps - 1e-9);
  if (!(frames >= 1)) {
    return 1;
  }
  constexpr double kMostFrames = std::numeric_limits<int>::max();
  return static_cast<int>(std::min(frames, kMostFrames));
}

double ReplayTake::timeOf(int frame) const {
  return from + frame * speed / fps;
}

ReplayFrames::ReplayFrames(const LoadedRace& loaded, const SceneOptions& options, const ReplayTake& take)
    : m_loaded(loaded), m_take(take), m_count(take.frameCount()) {
  m_renderer.setRace(&loaded);
  m_renderer.options() = options;
}

const QImage& ReplayFrames::render(int frame) {
  SceneOptions& o = m_renderer.options();
  const double t = m_take.timeOf(frame);
  const int fps = std::max(1, m_take.fps);
  if (frame == 0) {
    takeAveragesAt(o, m_loaded, t);
  } else if (frame % fps == 0) {
    const SpeedAverages averages = averageSpeeds(m_renderer.boatMotions());
    o.AvgSpeedUp = averages.AvgSpeedUp;
    o.AvgSpeedDown = averages.AvgSpeedDown;
  }
  // The light timer ticks once a second of playing; the rings grow between.
  o.lights = flashLights(m_loaded.race.lights, 1 + frame / fps);
  o.LightPhase = double(frame % fps) / fps;
  if (m_followSun) {
    followReplayTime(o, m_loaded.geometry, t);
  } else {
    o.TimeOfDay = timeOfDayAt(m_loaded.geometry.StartSecondOfDay, t);
  }
  const QImage& live = m_renderer.render(t);
  return m_wholeRace ? m_renderer.renderWholeRace(*m_wholeRace, t) : live;
}

}  // namespace velaro
