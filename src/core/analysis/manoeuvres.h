#pragma once

#include "core/analysis/courseresults.h"
#include "core/race.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace velaro {

// Seconds before the manoeuvre at which the loss is first counted, and the
// stretch before that whose velocity made good is the yardstick.
inline constexpr double kLossLeadSeconds = 10;
inline constexpr double kVmgBeforeSeconds = 20;
// The speed counts as regained at this fraction of the speed before; the
// loss stops being counted then, or this many seconds after the manoeuvre.
inline constexpr double kRegainFraction = 0.9;
inline constexpr double kRegainLimitSeconds = 60;
// A change of side this close to the passing of a mark or gate is the
// rounding itself, not a tack or gybe.
inline constexpr double kRoundingSeconds = 20;

// Through the wind and back within this time is a luff or a failed tack,
// not two manoeuvres.
inline constexpr double kThereAndBackSeconds = 15;

enum class ManoeuvreKind { Tack, Gybe };

// One tack (bow through the wind) or gybe (stern through the wind).
struct Manoeuvre {
  int boat = 0;     // 0-based
  double time = 0;  // seconds from the gun at which the course passed the wind
  ManoeuvreKind kind = ManoeuvreKind::Tack;
  // Figures the log cannot give (a gap, its end) are NaN.
  static constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
  double courseBefore = kUnknown;  // degrees true, over the stretch before the loss is counted
  double courseAfter = kUnknown;   // degrees true, from 10 to 30 s after
  double speedBefore = kUnknown;   // knots, over the same stretch
  double lowestSpeed = kUnknown;   // knots, from 10 s before to the regain
  // Seconds from the manoeuvre until the speed is back to 90 % of the speed
  // before; NaN when it is not within a minute.
  double regainSeconds = std::numeric_limits<double>::quiet_NaN();
  // Metres towards the wind (downwind: away from it) that the boat would
  // have made at its velocity made good before, less what it made, from
  // 10 s before the manoeuvre until it regained its speed. NaN where the
  // log has a gap.
  double metresLost = std::numeric_limits<double>::quiet_NaN();
};

// The true wind direction at t (seconds from the gun): the wind log
// interpolated, else the race's wind axis.
double trueWindAt(const Race& race, double t);

// Every boat's tacks and gybes between its start and its finish (the end of
// its log when it did not finish), in boat and time order. Roundings of
// marks and gates, GPS spikes and drifting slower than a knot are not
// manoeuvres.
std::vector<Manoeuvre> FindManoeuvres(const Race& race, const CourseResults& results, double cosCentreLat);

// A boat's manoeuvres in three figures, for hints and summaries.
struct ManoeuvreTally {
  int tacks = 0;
  int gybes = 0;
  // Mean metres lost over the manoeuvres whose loss could be measured;
  // NaN when none could.
  double meanMetresLost = std::numeric_limits<double>::quiet_NaN();
};
std::vector<ManoeuvreTally> TallyManoeuvres(const std::vector<Manoeuvre>& manoeuvres, int boatCount);

// The metres lost over [t - 10 s, regain], as defined above, from any
// source of positions (metres east and north) and speeds (metres per
// second): shared with the race generator so that its truth means the same.
struct LossMeasure {
  double speedBefore = 0;  // metres per second
  double vmgBefore = 0;    // metres per second towards (or away from) the wind
  double regainTime = 0;   // absolute seconds; the limit when not regained
  bool regained = false;
  double metresLost = 0;
  double lowestSpeed = 0;  // metres per second
};
template <typename PositionFn, typename SpeedFn>
bool measureLoss(double t, ManoeuvreKind kind, double windDir, PositionFn position, SpeedFn speed,
                 LossMeasure& out) {
  const double a = windDir * 3.14159265358979323846 / 180;
  const double sign = kind == ManoeuvreKind::Tack ? 1.0 : -1.0;
  const double ux = std::sin(a) * sign;
  const double uy = std::cos(a) * sign;
  const double from = t - kLossLeadSeconds;
  double x0, y0, x1, y1;
  if (!position(from - kVmgBeforeSeconds, x0, y0) || !position(from, x1, y1)) {
    return false;
  }
  out.speedBefore = std::hypot(x1 - x0, y1 - y0) / kVmgBeforeSeconds;
  out.vmgBefore = ((x1 - x0) * ux + (y1 - y0) * uy) / kVmgBeforeSeconds;
  out.lowestSpeed = out.speedBefore;
  out.regained = false;
  out.regainTime = t + kRegainLimitSeconds;
  for (double s = from; s <= t + kRegainLimitSeconds; s += 1) {
    double v;
    if (!speed(s, v)) {
      return false;
    }
    out.lowestSpeed = std::min(out.lowestSpeed, v);
    if (s > t && v >= kRegainFraction * out.speedBefore) {
      out.regainTime = s;
      out.regained = true;
      break;
    }
  }
  double x2, y2;
  if (!position(out.regainTime, x2, y2)) {
    return false;
  }
  const double made = (x2 - x1) * ux + (y2 - y1) * uy;
  out.metresLost = out.vmgBefore * (out.regainTime - from) - made;
  return true;
}

}  // namespace velaro
