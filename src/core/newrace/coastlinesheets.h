#pragma once

#include "core/race.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

namespace velaro {

// The area (minutes of arc) whose shore covers every coastline sheet the
// load may read for a race whose tracks span these bounds.
struct ShoreArea {
  double south = 0;
  double north = 0;
  double west = 0;
  double east = 0;
};
ShoreArea shoreAreaFor(double minLat, double maxLat, double minLon, double maxLon);

// The coastline files of that area ("coastline/<sheet>.cst", relative to the
// races folder) holding the given shore polylines (minutes of arc, WGS 84),
// named and laid out so that the coastline reader finds them for the race.
std::map<QString, QByteArray> coastlineFilesFor(const ShoreArea& area,
                                                const std::vector<std::vector<GeoPoint>>& shore);

}  // namespace velaro
