#include "core/newrace/gmtshoreline.h"

namespace velaro {

std::vector<std::vector<GeoPoint>> gmtShoreline(double, double, double, double) {
  return {};
}

}  // namespace velaro
