#pragma once

#include "core/analysis/mapgeometry.h"
#include "core/race.h"

#include <QPoint>
#include <QSize>

#include <vector>

namespace velaro {

// What the map shows: the live scene following the focused boats ("Auto
// Trace" checked), or the whole-race view with its own centre and zoom.
enum class ReplayMode { WholeRace = 0, Live = 1 };

// No measuring base point: a latitude no position can have.
inline constexpr double kNoBasePointLat = -6000;
inline constexpr double kNoBasePointLon = -12000;

// Each left click zooms the whole-race view in by this factor, any other
// button out by it.
inline constexpr double kClickZoomFactor = 1.5;
// The zoom is held about 50 clicks either way from the start: a billion
// times in, a pixel is far finer than a logged position can be told apart
// and offsets off the picture still cut cleanly; a billion times out, the
// race is long one dot.
inline constexpr double kMinWholeRaceZoom = 1e-9;
inline constexpr double kMaxWholeRaceZoom = 1e9;

// What a click on the map asks of the window.
enum class MapClickAction {
  None,
  ToggleWindGraph,  // live scene with wind data: show or hide the wind graph
  Redraw,           // the whole-race view moved and zoomed: draw it again
  BasePointSet,     // Shift held: the measuring base point is placed, the view stays
};

// The view state of the map that lives across frames and redraws: the mode,
// the whole-race view's centre and zoom, and the measuring tool (Shift and
// its base point). Reset by every race load.
struct MapViewState {
  ReplayMode mode = ReplayMode::Live;
  GeoPoint WholeRaceCentre;
  double WholeRaceZoom = 1;

  bool ShiftDown = false;
  GeoPoint BasePoint{kNoBasePointLat, kNoBasePointLon};
  QPoint BasePointXY;  // window pixel of the base point

  bool isWholeRace() const { return mode == ReplayMode::WholeRace; }

  // The base point counts from a click until any key is released.
  bool basePointSet() const { return BasePoint.lat > -5400 && BasePoint.lat != 0; }
  void clearBasePoint() { BasePoint = {kNoBasePointLat, kNoBasePointLon}; }

  // Keys, previewed for the whole window: any other key pressed while Shift
  // is held ends the measuring mode; any key released also drops the base
  // point, so the next Shift press asks for a new click.
  void keyDown(bool isShift) { ShiftDown = isShift; }
  void keyUp() {
    ShiftDown = false;
    clearBasePoint();
  }

  // "Auto Trace" unchecked: the whole race at zoom 1 about the middle of the
  // race extent. Checked: back to the live scene; centre and zoom no longer
  // matter.
  void enterWholeRace(const MapGeometry& geometry);
  void enterLive() { mode = ReplayMode::Live; }

  Projection wholeRaceProjection(const MapGeometry& geometry, Orientation orientation, QSize mapArea) const;

  // A click on the map at a pixel. In the live scene it only toggles the wind
  // graph, and only on the Track page of a race with wind data. In the
  // whole-race view on the Track page it recentres on the clicked point and
  // zooms by kClickZoomFactor (in for the left button, out for any other),
  // or with Shift held sets the base point there and leaves the view alone.
  struct Click {
    QPoint at;
    bool leftButton = true;
    bool shift = false;
    bool trackPage = true;
    bool hasWind = false;
  };
  MapClickAction click(const Click& c, const MapGeometry& geometry, Orientation orientation, QSize mapArea);

  // A click on the overview map (its own pixels): the whole-race view moves
  // its centre there and keeps its zoom. False, changing nothing, outside the
  // whole-race view or off the Track page.
  bool overviewClick(QPoint at, bool trackPage, const MapGeometry& geometry, Orientation orientation);
};

// One boat of the whole-race view at the scene time. Unlike the live scene
// there is no gap rule: a boat is drawn anywhere between two fixes that
// bracket the time, and not at or after its last fix.
struct WholeRaceBoat {
  bool shown = false;
  double BoatLat = 0;
  double BoatLon = 0;
  double BoatCourse = 0;  // the earlier fix's course, not turned smoothly
  double BoatSpeed = 0;
  double BoatWindAngle = 0;

  GeoPoint position() const { return {BoatLat, BoatLon}; }
};
// TrueDir is the wind of the last live frame; cursor carries the fix pair
// searches, shared with the live scene.
struct SceneCursor;
std::vector<WholeRaceBoat> WholeRaceBoats(const Race& race, double SceneTime, int TrueDir,
                                          SceneCursor& cursor);

}  // namespace velaro
