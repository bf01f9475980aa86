#pragma once

#include "core/race.h"

#include <optional>

namespace velaro {

inline constexpr double kMetresPerLatMinute = 1852.0;

// Boats with this many fixes or fewer get no speeds or courses at all.
inline constexpr int kMaxFixesWithoutKinematics = 5;

// Speeds at or above this count as GPS spikes for the race's top speed; the
// fix keeps its speed all the same.
inline constexpr double kSpikeSpeedKnots = 10.0;

// Fills speed (knots) and course (whole degrees true, 0..360) of every fix of
// every boat and returns MaxTrackSpeed: the largest fix speed below 10 knots,
// which scales the speed axes of the graphs. cosCentreLat is the cosine of the
// race's centre latitude from the map geometry. One pass over the fixes, no
// allocation.
double ComputeKinematics(Race& race, double cosCentreLat);

// Where a boat was at time t, interpolated linearly between the two fixes that
// bracket t. index is the 0-based index of the earlier fix of the pair; the
// time bar preview uses that fix without interpolating.
struct TrackPosition {
  int index = 0;
  GeoPoint pos;
};

// The first fix pair k, k+1 with time(k) <= t < time(k+1); none before the
// boat's first fix and none at or after its last one. Fixes are kept in file
// order, so the pairs are scanned in order rather than bisected.
std::optional<TrackPosition> PositionAt(const Boat& boat, double t);

}  // namespace velaro
