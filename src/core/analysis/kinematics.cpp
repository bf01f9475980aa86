#include "core/analysis/kinematics.h"

#include "core/analysis/mapgeometry.h"
#include "core/datetime.h"

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

// Metres per second to knots: to kilometres per hour, then to nautical miles.
double knotsFrom(double metresPerSecond) {
  return metresPerSecond * 3.6 / 1.852;
}

}  // namespace

// Course over ground is the bearing of the step to the next fix. Speed is
// smoothed over a window of up to three steps (the step before, the step from
// the fix and the step after) because single GPS steps jitter by metres. A boat
// that did not move keeps the course it had, so an anchored boat does not
// swing to north.
double ComputeKinematics(Race& race, double cosCentreLat) {
  const double metresPerLonMinute = kMetresPerLatMinute * cosCentreLat;
  double maxTrackSpeed = 0;
  for (Boat& boat : race.boats) {
    std::vector<Fix>& fixes = boat.fixes;
    for (Fix& fix : fixes) {
      fix.speed = 0;
      fix.course = 0;
    }
    const int n = boat.FixCount();
    if (n <= kMaxFixesWithoutKinematics) {
      continue;
    }
    auto stepMetres = [&](int i) {
      const double east = (fixes[i + 1].lon - fixes[i].lon) * metresPerLonMinute;
      const double north = (fixes[i + 1].lat - fixes[i].lat) * kMetresPerLatMinute;
      return std::sqrt(north * north + east * east);
    };
    // i is the 0-based fix index; the last fix keeps speed 0 and course 0.
    // The window's step lengths roll along so that each step is measured once.
    double before = 0;
    double current = stepMetres(0);
    for (int i = 0; i + 1 < n; ++i) {
      const double east = (fixes[i + 1].lon - fixes[i].lon) * metresPerLonMinute;
      const double north = (fixes[i + 1].lat - fixes[i].lat) * kMetresPerLatMinute;
      if (north == 0 && east == 0 && i > 0) {
        fixes[i].course = fixes[i - 1].course;
      } else {
        fixes[i].course = roundHalfEven(Bearing(north, east));
      }

      const double after = i + 2 < n ? stepMetres(i + 1) : 0.0;
      const double metres = before + current + after;
      before = current;
      current = after;
      const int lo = std::max(i - 1, 0);
      const int hi = std::min(i + 2, n - 1);
      const double dt = fixes[hi].time - fixes[lo].time;
      const double speed = dt > 0 ? knotsFrom(metres / dt) : 0.0;
      fixes[i].speed = speed;
      if (speed > maxTrackSpeed && speed < kSpikeSpeedKnots) {
        maxTrackSpeed = speed;
      }
    }
  }
  return maxTrackSpeed;
}

std::optional<TrackPosition> PositionAt(const Boat& boat, double t) {
  const std::vector<Fix>& fixes = boat.fixes;
  for (int k = 0; k + 1 < boat.FixCount(); ++k) {
    const Fix& a = fixes[k];
    const Fix& b = fixes[k + 1];
    if (a.time <= t && t < b.time) {
      const double f = (t - a.time) / (b.time - a.time);
      return TrackPosition{k, {a.lat + (b.lat - a.lat) * f, a.lon + (b.lon - a.lon) * f}};
    }
  }
  return std::nullopt;
}

}  // namespace velaro
