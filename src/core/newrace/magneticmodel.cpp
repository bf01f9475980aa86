#include "core/newrace/magneticmodel.h"

namespace velaro {

MagneticField magneticFieldAt(double, double, double, double) {
  return {};
}

double magneticVariationAt(double, double, double) {
  return 0;
}

double magneticModelEpoch() {
  return 2025.0;
}

double magneticModelEnd() {
  return 2030.0;
}

}  // namespace velaro
