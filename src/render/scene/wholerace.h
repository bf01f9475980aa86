#pragma once

#include "core/analysis/speedcolours.h"
#include "core/loadedrace.h"
#include "core/scene/mapviewstate.h"
#include "core/scene/scenestate.h"
#include "render/scene/labelplacer.h"

#include <QImage>

#include <optional>
#include <vector>

namespace velaro {

// Length in pixels of every boat in the whole-race view, whatever the zoom.
inline constexpr int kWholeRaceBoatSize = 16;

// What a whole-race picture leaves behind for the window.
struct WholeRaceFrame {
  // The projection of the picture, for the pointer's position read-out and
  // the click zoom.
  Projection projection{GeoPoint{}, 1, 1, QSize(1, 1), Orientation{}};
  std::vector<WholeRaceBoat> boats;
  std::vector<LabelPlacement> names;  // where each boat's name went
  // The compass rose turns to this angle (degrees) for the same orientation.
  double compassAngle = 0;
  // The fleet's speeds the colour key spans, when the tracks were coloured
  // by speed.
  std::optional<SpeedRange> speedRange;
};

// The whole-race view into SceneBitmap (the map area's size): the full
// tracks of the focused boats, the marks and course lines without laylines,
// the coastline, every boat at SceneTime as a fixed-size outline with its
// name, and the time of day in the bottom right corner. The view's centre
// and zoom come from view; focus, orientation and sea brightness from
// options. TrueDir is the wind of the last live frame, which the boats' wind
// angles are taken from; cursor carries the fix pair searches. The names
// keep clear of each other and of keepClear.
WholeRaceFrame RenderWholeRace(QImage& SceneBitmap, const LoadedRace& loaded, const SceneOptions& options,
                               const MapViewState& view, double SceneTime, int TrueDir, SceneCursor& cursor,
                               const std::vector<QRect>& keepClear = {});

}  // namespace velaro
