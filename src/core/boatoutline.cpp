#include "core/boatoutline.h"

namespace velaro {

BoatOutline boatOutlineFor(double boatLengthMetres) {
  if (boatLengthMetres > 3) {
    return {{0, 12, 15, 10, -10, -15, -12, 0, 0}, {-50, -10, 20, 50, 50, 20, -10, -50, -15}};
  }
  return {{0, 10, 27, 20, -20, -27, -10, 0, 0}, {-50, -50, 10, 50, 50, 10, -50, -50, -20}};
}

}  // namespace velaro
