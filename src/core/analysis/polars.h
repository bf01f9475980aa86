#pragma once

#include "core/analysis/courseresults.h"
#include "core/analysis/manoeuvres.h"
#include "core/race.h"

#include <array>
#include <limits>
#include <vector>

namespace velaro {

// True wind angles 0..180 in bins of this width, port and starboard folded.
inline constexpr int kPolarBinDegrees = 5;
inline constexpr int kPolarBins = 180 / kPolarBinDegrees;
// Speeds are counted from this many seconds in a bin on: an angle held
// through one quiet stretch between tacks may give no more than that. Bins
// sailed at least kPolarFirmSeconds set the best angles for velocity made
// good and carry the chart's curves, so that one stretch sailed fast or
// slow, often where a boat bears away from a mark, does neither.
inline constexpr int kPolarMinSeconds = 5;
inline constexpr int kPolarFirmSeconds = 10;
// A wind log with speeds splits the samples into bands this wide.
inline constexpr double kPolarBandKnots = 4;
// The share of a bin's speeds below its polar speed: what the boat makes
// when sailed well, not its average with the lulls and the mistakes.
inline constexpr double kPolarPercentile = 0.9;
// Seconds on either side of a tack, gybe or rounding left out.
inline constexpr double kPolarManoeuvreSeconds = 20;

struct PolarBin {
  int seconds = 0;  // one sample a second
  static constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
  double speedKnots = kUnknown;  // NaN below kPolarMinSeconds
  // Sailed long enough to set a best angle and carry the chart's curve.
  bool firm() const { return seconds >= kPolarFirmSeconds; }
};

struct PolarBand {
  // Knots of true wind; NaN for the single band of a race without wind speeds.
  double fromKnots = PolarBin::kUnknown;
  double toKnots = PolarBin::kUnknown;
  std::array<PolarBin, kPolarBins> bins;  // bin i: [5 i, 5 i + 5) degrees
  // The bin centres of the best velocity made good towards and away from the
  // wind, and those speeds made good in knots; NaN without bins of at least
  // kPolarFirmSeconds on that side.
  double beatAngleDeg = PolarBin::kUnknown;
  double beatVmgKnots = PolarBin::kUnknown;
  double runAngleDeg = PolarBin::kUnknown;
  double runVmgKnots = PolarBin::kUnknown;
};

struct BoatPolar {
  std::vector<PolarBand> bands;  // by wind speed; none when the boat never started
};

// Every boat's polar from its track between its start and its finish (the end
// of its log when it did not finish), sampled each second over 30 to 50 s of
// track, the wind from the wind log at that moment, else the race's wind.
std::vector<BoatPolar> ComputePolars(const Race& race, const CourseResults& results,
                                     const std::vector<Manoeuvre>& manoeuvres, double cosCentreLat);

}  // namespace velaro
