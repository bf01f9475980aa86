#pragma once

#include "core/analysis/courseresults.h"
#include "core/race.h"

#include <limits>
#include <vector>

namespace velaro {

inline constexpr double kDefaultGapStepSeconds = 10;

// One boat at one moment. A boat out of the race shares the rank after the
// boats still racing and has NaN figures: one that never started, and one
// that did not finish from the moment it came nearest the finish (where it
// retired, or its log ends).
struct BoatGap {
  int rank = 0;
  static constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
  // Metres still to sail: to the next item to pass (on beats and runs along
  // the wind, as boats zig-zag there), plus the legs after it. A pass
  // credited where the boat was far off the item is not believed. A boat
  // overshooting an item as it rounds it is still at the item; of boats as
  // far, the one that got there first ranks ahead.
  double remainingMetres = kUnknown;
  double metresToLeader = kUnknown;
  // How long ago the leader was as far from the finish as this boat is now;
  // between finished boats, the difference of their finishing times.
  double secondsToLeader = kUnknown;
};

struct GapStep {
  double time = 0;             // seconds from the gun
  std::vector<BoatGap> boats;  // boat order
};

// Every boat's gap to the leader at the gun and every stepSeconds after it,
// up to the first step at or after the last finish (the end of the time axis
// when nobody finished). Empty for a course of fewer than two items.
std::vector<GapStep> ComputeGaps(const Race& race, const CourseResults& results, double cosCentreLat,
                                 double stepSeconds = kDefaultGapStepSeconds);

}  // namespace velaro
