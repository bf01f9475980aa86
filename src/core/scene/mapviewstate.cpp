#include "core/scene/mapviewstate.h"

#include "core/scene/scenestate.h"

#include <algorithm>
#include <optional>

namespace velaro {

namespace {

double clampZoom(double zoom) {
  return std::clamp(zoom, kMinWholeRaceZoom, kMaxWholeRaceZoom);
}

}  // namespace

void MapViewState::enterWholeRace(const MapGeometry& geometry) {
  mode = ReplayMode::WholeRace;
  WholeRaceZoom = 1;
  WholeRaceCentre = geometry.RaceExtent.centre();
}

Projection MapViewState::wholeRaceProjection(const MapGeometry& geometry, Orientation orientation,
                                             QSize mapArea) const {
  return WholeRaceProjection(geometry, orientation, WholeRaceCentre, WholeRaceZoom, mapArea);
}

MapClickAction MapViewState::click(const Click& c, const MapGeometry& geometry, Orientation orientation,
                                   QSize mapArea) {
  if (!isWholeRace()) {
    return c.trackPage && c.hasWind ? MapClickAction::ToggleWindGraph : MapClickAction::None;
  }
  if (!c.trackPage) {
    return MapClickAction::None;
  }
  const GeoPoint at = wholeRaceProjection(geometry, orientation, mapArea).toGeo(QPointF(c.at));
  if (c.shift) {
    BasePoint = at;
    BasePointXY = c.at;
    return MapClickAction::BasePointSet;
  }
  WholeRaceCentre = at;
  WholeRaceZoom =
      clampZoom(c.leftButton ? WholeRaceZoom * kClickZoomFactor : WholeRaceZoom / kClickZoomFactor);
  return MapClickAction::Redraw;
}

bool MapViewState::overviewClick(QPoint at, bool trackPage, const MapGeometry& geometry,
                                 Orientation orientation) {
  if (!isWholeRace() || !trackPage) {
    return false;
  }
  WholeRaceCentre = OverviewProjection(geometry, orientation).toGeo(QPointF(at));
  return true;
}

std::vector<WholeRaceBoat> WholeRaceBoats(const Race& race, double SceneTime, int TrueDir,
                                          SceneCursor& cursor) {
  const int n = race.BoatCount();
  std::vector<WholeRaceBoat> out(n);
  cursor.BoatSegment.resize(n, 0);
  for (int i = 0; i < n; ++i) {
    const Boat& boat = race.boats[i];
    const std::optional<int> j =
        FindBoatSegment(boat, SceneTime, cursor.BoatSegment[i], cursor.timesInOrder(i, boat));
    if (!j) {
      continue;
    }
    cursor.BoatSegment[i] = *j;
    const Fix& a = boat.fixes[*j];
    const Fix& z = boat.fixes[*j + 1];
    const double f = z.time > a.time ? (SceneTime - a.time) / (z.time - a.time) : 0;
    WholeRaceBoat& b = out[i];
    b.shown = true;
    b.BoatLat = a.lat + (z.lat - a.lat) * f;
    b.BoatLon = a.lon + (z.lon - a.lon) * f;
    b.BoatCourse = a.course;
    b.BoatSpeed = a.speed;
    b.BoatWindAngle = foldAngle(TrueDir - b.BoatCourse);
  }
  return out;
}

}  // namespace velaro
