#include "core/race.h"

#include "core/datetime.h"

namespace velaro {

int boatRowsFor(int boatCount) {
  return roundToInt((boatCount + 0.6) / 2.0);
}

}  // namespace velaro
