#include "core/newrace/coastlinesheets.h"

namespace velaro {

ShoreArea shoreAreaFor(double minLat, double maxLat, double minLon, double maxLon) {
  return {minLat, maxLat, minLon, maxLon};
}

std::map<QString, QByteArray> coastlineFilesFor(const ShoreArea&, const std::vector<std::vector<GeoPoint>>&) {
  return {};
}

}  // namespace velaro
