#pragma once

#include "racegen/rng.h"

#include <vector>

namespace velaro::racegen {

struct WindState {
  double dirTrue = 0;  // where the wind blows from, degrees true
  double speed = 0;    // knots
};

// The race-area wind: a steady drift of the direction over the race (a sea
// breeze veering), two oscillations of a few and of ten-odd minutes, and
// gusts and lulls of speed. The same at every point of the area.
class WindModel {
 public:
  struct Params {
    double meanDir = 180;
    double meanSpeed = 9;
    double driftDeg = 8;        // total change of direction from start to end
    double spanSeconds = 3600;  // over which the drift runs
    double startSeconds = -1200;
  };
  WindModel(const Params& params, Rng& rng);

  WindState at(double t) const;
  const Params& params() const { return m_params; }

 private:
  Params m_params;
  struct Wave {
    double amplitude, periodSeconds, phase;
  };
  std::vector<Wave> m_dirWaves;
  std::vector<Wave> m_speedWaves;
};

}  // namespace velaro::racegen
