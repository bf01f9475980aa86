#pragma once

#include "core/race.h"

#include <vector>

namespace velaro {

// The shore of an area (minutes of arc) from the GMT shorelines installed on
// this computer, as polylines in minutes of arc; empty when GMT or its
// shorelines are missing or the area holds no shore.
std::vector<std::vector<GeoPoint>> gmtShoreline(double south, double north, double west, double east);

}  // namespace velaro
