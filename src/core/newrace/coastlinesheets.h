#pragma once

#include "core/race.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

namespace velaro {

// The area (minutes of arc) whose shore covers every coastline sheet the
// load may read for a race whose tracks span these bounds: every grid sheet
// that the window of the extent, or of any extent inside it (the fixes of the
// replay time axis only), may cross, with a margin of kShoreMargin around
// them so that shore lines leaving a sheet are cut at its edge here and not
// by the shoreline source. Empty (all zero) when the bounds are no place.
struct ShoreArea {
  double south = 0;
  double north = 0;
  double west = 0;
  double east = 0;
};
ShoreArea shoreAreaFor(double minLat, double maxLat, double minLon, double maxLon);

inline constexpr double kShoreMargin = 3;

// The coastline files of that area ("coastline/<sheet>.cst", relative to the
// races folder) holding the given shore polylines (minutes of arc, WGS 84),
// named and laid out so that the coastline reader finds them for the race.
// They are world sheets ("w<row>_<column>.cst"), one for each grid sheet lying
// wholly inside the area that holds some shore, each holding exactly the shore
// inside the sheet, so that a sheet of the same name written for another race
// from the same shorelines holds the same lines. No overview sheet is made.
std::map<QString, QByteArray> coastlineFilesFor(const ShoreArea& area,
                                                const std::vector<std::vector<GeoPoint>>& shore);

}  // namespace velaro
