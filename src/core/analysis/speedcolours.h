#pragma once

#include "core/analysis/boatcolours.h"
#include "core/analysis/courseresults.h"
#include "core/race.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velaro {

// Tracks coloured by speed use this many colours, slowest first.
inline constexpr int kSpeedColourBins = 10;
// The ramp spans the fleet's speeds between these shares, so that a few
// drifting or spiking fixes do not squeeze everyone else into one colour.
inline constexpr double kSpeedRangeLowShare = 0.05;
inline constexpr double kSpeedRangeHighShare = 0.95;
// The narrowest range the ramp is spread over, for fleets that all sailed
// one speed.
inline constexpr double kMinSpeedSpanKnots = 0.5;

// A track is coloured by its speed averaged over this many seconds about
// each fix: the speed of a single second jitters with the log and the waves,
// which would scatter the colours along a steady leg.
inline constexpr double kSpeedColourWindowSeconds = 10;

// The speeds a track is coloured by, fix by fix, into speeds (resized to the
// fix count). One pass with a running sum.
void colourSpeeds(const Boat& boat, std::vector<double>& speeds);

struct SpeedRange {
  double lowKnots = 0;
  double highKnots = kMinSpeedSpanKnots;
};

// The fleet's colour speeds while racing: each boat from its start to its finish
// (the end of its log when it did not finish); boats that never started do
// not count. A race without a course, or whose boats never started, takes
// every fix from the gun on. No sort: the speeds are counted in steps of a
// hundredth of a knot.
SpeedRange FleetSpeedRange(const Race& race, const CourseResults& results);
// The same, leaving every boat's colour speeds (boat n at n - 1) for
// drawing: one pass over the fixes for both.
SpeedRange FleetColourSpeeds(const Race& race, const CourseResults& results,
                             std::vector<std::vector<double>>& colourSpeeds);

// Every track's colour bin fix by fix (boat n at n - 1), and the fleet's
// range they were cut from.
struct TrackColours {
  SpeedRange range;
  std::vector<std::vector<std::uint8_t>> bins;
};
TrackColours FleetTrackColours(const Race& race, const CourseResults& results);

// The track colours of the race drawn last, worked out when first asked
// for: every frame of the whole-race view needs them, they depend on the
// race alone, and smoothing the fleet's speeds costs as much as drawing a
// frame. They are worked out anew when a track or a boat's racing time is
// not the one they were taken from, the way a search cursor tells a new
// track from the one it knows.
class TrackColourCache {
 public:
  const TrackColours& of(const Race& race, const CourseResults& results);

 private:
  struct TrackKey {
    const Fix* fixes = nullptr;
    size_t count = 0;
    double first = 0;
    double last = 0;
    double racingFrom = 0;
    double racingTo = 0;
    bool operator==(const TrackKey&) const = default;
  };
  std::vector<TrackKey> m_key;
  TrackColours m_colours;
  bool m_valid = false;
};

// The colour bin of a speed, 0 .. kSpeedColourBins - 1: the range split
// evenly, speeds outside it in the end bins.
// Inline: it runs for every fix of every drawn track.
inline int speedBin(double knots, const SpeedRange& range) {
  const double span = range.highKnots - range.lowKnots;
  if (!(span > 0) || !(knots > range.lowKnots)) {
    return 0;
  }
  const double f = (knots - range.lowKnots) / span;
  return f >= 1 ? kSpeedColourBins - 1
                : std::min(static_cast<int>(f * kSpeedColourBins), kSpeedColourBins - 1);
}
// The lower edge of bin k in knots; k = kSpeedColourBins gives the top.
double speedBinEdge(const SpeedRange& range, int k);

// Blue through green and gold to red, slowest to fastest; dark enough to
// read on the bright sea of the day.
Rgb speedBinColour(int bin);
// The same as the "aabbggrr" text of a KML line.
QString speedBinKmlColour(int bin);

}  // namespace velaro
