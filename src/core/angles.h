#pragma once

#include <cmath>

namespace velaro {

// Angles in degrees folded into -180..180 by whole turns, for the difference
// of two directions. -180 and 180 both stay as they are.
inline double foldAngle(double degrees) {
  degrees = std::fmod(degrees, 360);
  if (degrees < -180) {
    degrees += 360;
  }
  if (degrees > 180) {
    degrees -= 360;
  }
  return degrees;
}

inline int foldWholeDegrees(int degrees) {
  degrees %= 360;
  if (degrees < -180) {
    degrees += 360;
  } else if (degrees > 180) {
    degrees -= 360;
  }
  return degrees;
}

}  // namespace velaro
