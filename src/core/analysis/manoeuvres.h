#pragma once

#include "core/analysis/courseresults.h"
#include "core/race.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace velaro {

// The loss is read from two stretches of steady sailing: before, ending
// this many seconds before the bow (or stern) passes the wind, when the turn
// begins; after, starting when the speed is back to this fraction of the
// speed before (at the earliest and latest these many seconds after). Each
// stretch is at most kLossWindowSeconds long and keeps clear of the
// neighbouring manoeuvres and roundings.
inline constexpr double kLossLeadSeconds = 3;
inline constexpr double kRegainFraction = 0.9;
inline constexpr double kRegainMinSeconds = 12;
inline constexpr double kRegainLimitSeconds = 40;
inline constexpr double kLossWindowSeconds = 45;
inline constexpr double kLossMinWindowSeconds = 8;
// A neighbouring manoeuvre or rounding disturbs the sailing for this long
// after it, and the boat starts to turn for it this long before.
inline constexpr double kSettleSeconds = 25;
inline constexpr double kTurnInSeconds = 5;
// A logger's position error wanders over some tens of seconds: fixes this
// far apart still share much of it.
inline constexpr double kGpsErrorSeconds = 25;
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
  double courseBefore = kUnknown;  // degrees true, over 20 s ending 10 s before
  double courseAfter = kUnknown;   // degrees true, from 10 to 30 s after
  double speedBefore = kUnknown;   // knots, over the same 20 s before
  double lowestSpeed = kUnknown;   // knots, from the turn's start to the regain
  // Seconds from the manoeuvre until the speed is back to 90 % of the speed
  // before; NaN when it is not within 40 s.
  double regainSeconds = std::numeric_limits<double>::quiet_NaN();
  // Metres towards the wind (downwind: away from it) that the boat would
  // have made at the mean of its velocities made good before and after,
  // less what it made, from the turn's start until it was back up to speed.
  // Straight lines fitted to the steady sailing either side carry it, so
  // that neither a fix's error nor where exactly the stretches begin moves
  // it much. NaN where the log has a gap or the neighbouring manoeuvres
  // leave no steady sailing to read it from.
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

// The stretches a loss is read from, in seconds from the gun; empty when
// the neighbours leave too little of either.
struct LossWindows {
  double beforeFrom = 0, beforeTo = 0;
  double afterFrom = 0, afterTo = 0;
  bool valid() const {
    return beforeTo - beforeFrom >= kLossMinWindowSeconds && afterTo - afterFrom >= kLossMinWindowSeconds;
  }
};

// The figures of one manoeuvre that the speed gives, from any source of
// positions (metres east and north) and speeds (metres per second): shared
// with the race generator so that its truth means the same.
struct LossMeasure {
  double speedBefore = 0;  // metres per second over the stretch before
  double regainTime = 0;   // absolute seconds; the limit when not regained
  bool regained = false;
  double lowestSpeed = 0;  // metres per second
  LossWindows windows;
};

// Chooses the stretches around the manoeuvre at t between the previous and
// the next manoeuvre, rounding or start (seconds; +-infinity when none).
template <typename PositionFn, typename SpeedFn>
bool chooseLossWindows(double t, double previous, double next, PositionFn position, SpeedFn speed,
                       LossMeasure& out) {
  LossWindows& w = out.windows;
  w.beforeTo = t - kLossLeadSeconds;
  w.beforeFrom = std::max(w.beforeTo - kLossWindowSeconds, std::ceil(previous + kSettleSeconds));
  if (w.beforeTo - w.beforeFrom < kLossMinWindowSeconds) {
    w.beforeFrom = w.beforeTo - kLossMinWindowSeconds;  // for the speed only
  }
  double x0, y0, x1, y1;
  if (!position(w.beforeFrom, x0, y0) || !position(w.beforeTo, x1, y1)) {
    return false;
  }
  out.speedBefore = std::hypot(x1 - x0, y1 - y0) / (w.beforeTo - w.beforeFrom);
  out.lowestSpeed = out.speedBefore;
  out.regained = false;
  out.regainTime = t + kRegainLimitSeconds;
  for (double s = w.beforeTo; s <= t + kRegainLimitSeconds; s += 1) {
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
  w.afterFrom = std::max(out.regainTime, t + kRegainMinSeconds);
  w.afterTo = std::min(w.afterFrom + kLossWindowSeconds, std::floor(next - kTurnInSeconds));
  if (previous + kSettleSeconds > w.beforeTo - kLossMinWindowSeconds) {
    w.beforeFrom = w.beforeTo;  // too close behind the previous one
  }
  return true;
}

// A point of a track in metres east and north, seconds from the gun.
struct TrackPoint {
  double t = 0, x = 0, y = 0;
};

// The metres lost over the windows' gap: the mean of the velocities made
// good of straight lines fitted to the points of each window, times the
// gap, less the distance made between the lines' ends. Positions whose
// error wanders with a correlation time of noiseSeconds are weighted for it
// (generalised least squares); 0 fits exact positions. NaN when a window
// holds fewer than two points.
double lossBetweenLines(const std::vector<TrackPoint>& points, const LossWindows& windows, ManoeuvreKind kind,
                        double windDir, double noiseSeconds);

// The loss of a manoeuvre on an exact track, sampled once a second.
template <typename PositionFn, typename SpeedFn>
bool measureLoss(double t, ManoeuvreKind kind, double windDir, double previous, double next,
                 PositionFn position, SpeedFn speed, LossMeasure& measure, double& metresLost) {
  metresLost = std::numeric_limits<double>::quiet_NaN();
  if (!chooseLossWindows(t, previous, next, position, speed, measure)) {
    return false;
  }
  if (!measure.windows.valid()) {
    return true;
  }
  std::vector<TrackPoint> points;
  for (double s = measure.windows.beforeFrom; s <= measure.windows.afterTo; s += 1) {
    TrackPoint p{s, 0, 0};
    if (s > measure.windows.beforeTo && s < measure.windows.afterFrom) {
      continue;
    }
    if (!position(s, p.x, p.y)) {
      return false;
    }
    points.push_back(p);
  }
  metresLost = lossBetweenLines(points, measure.windows, kind, windDir, 0);
  return true;
}

}  // namespace velaro
