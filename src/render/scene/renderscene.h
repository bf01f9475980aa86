#pragma once

#include "core/loadedrace.h"
#include "core/replay/replayclock.h"
#include "core/scene/scenestate.h"
#include "render/scene/wholerace.h"

#include <QImage>

#include <vector>

namespace velaro {

enum class SceneFill {
  Sea,   // fill the picture with the sea colour first (every frame)
  None,  // draw over what is there (the retouch export)
};

enum class LabelPlacing {
  ClearOfEachOther,  // labels that would overlap move aside or, last in the fleet, go
  BesideTheBoat,     // every label beside its boat, whatever it covers
};

// Computes the live scene at replay time t and draws all its layers into
// SceneBitmap, which must already have the map area's size.
SceneState RenderScene(QImage& SceneBitmap, const LoadedRace& loaded, const SceneOptions& options, double t,
                       SceneCursor& cursor, SceneFill fill = SceneFill::Sea,
                       LabelPlacing placing = LabelPlacing::ClearOfEachOther);

// The focused boats' speeds and wind angles of a frame, as the replay
// clock's second tick averages them.
std::vector<BoatMotion> boatMotions(const SceneState& state);

// The live scene of the main window's map: one picture, redrawn per frame,
// with the searches carried from frame to frame. It keeps a pointer to the
// loaded race, which must outlive it or be replaced by setRace.
class SceneRenderer {
 public:
  void setRace(const LoadedRace* loaded) { m_loaded = loaded; }
  const LoadedRace* race() const { return m_loaded; }

  // The view options the next frame reads; mapArea sets the picture size.
  SceneOptions& options() { return m_options; }
  const SceneOptions& options() const { return m_options; }

  // Fills the picture with the sea and draws the scene at t. Without a race
  // the picture is just sea.
  const QImage& render(double t);
  // Draws the scene at t over the present picture without filling it.
  const QImage& renderOver(double t);
  // Draws the whole-race view at t into the same picture, the boats' wind
  // angles from the wind of the last live frame. Without a race the picture
  // is just sea. The boats' names keep clear of keepClear: what lies over
  // the picture, such as the range and bearing read-out.
  const QImage& renderWholeRace(const MapViewState& view, double t, const std::vector<QRect>& keepClear = {});

  const QImage& SceneBitmap() const { return m_bitmap; }
  const SceneState& state() const { return m_state; }
  // The projection of the picture drawn last, live or whole-race: what the
  // pointer's position is read through.
  const Projection& viewProjection() const {
    return m_wholeRace ? m_wholeRaceFrame.projection : m_state.projection;
  }
  bool showsWholeRace() const { return m_wholeRace; }
  const WholeRaceFrame& wholeRaceFrame() const { return m_wholeRaceFrame; }
  std::vector<BoatMotion> boatMotions() const { return velaro::boatMotions(m_state); }

  // The single-step buttons `plus` and `minus`: the replay time one second
  // on or back, on a whole second, wrapping round the time axis.
  static double stepPlus(double SceneTime, double TimeAxisStart, double TimeAxisEnd);
  static double stepMinus(double SceneTime, double TimeAxisStart, double TimeAxisEnd);

 private:
  // Gives the picture the map area's size (sea when there is no race);
  // true when it was made anew.
  bool prepareBitmap();
  const QImage& draw(double t, SceneFill fill);

  const LoadedRace* m_loaded = nullptr;
  SceneOptions m_options;
  SceneCursor m_cursor;
  SceneState m_state;
  WholeRaceFrame m_wholeRaceFrame;
  bool m_wholeRace = false;
  QImage m_bitmap;
};

}  // namespace velaro
