#include "racegen/windmodel.h"

#include "racegen/geometry.h"

#include <algorithm>
#include <cmath>

namespace velaro::racegen {

WindModel::WindModel(const Params& params, Rng& rng) : m_params(params) {
  // The long oscillation gives the shifts a fleet tacks on; the short one
  // the puffs and knocks inside it.
  m_dirWaves.push_back({rng.uniform(3.5, 5.5), rng.uniform(420, 720), rng.uniform(0, 2 * M_PI)});
  m_dirWaves.push_back({rng.uniform(1.0, 2.0), rng.uniform(110, 200), rng.uniform(0, 2 * M_PI)});
  m_speedWaves.push_back({rng.uniform(0.06, 0.12), rng.uniform(600, 1100), rng.uniform(0, 2 * M_PI)});
  m_speedWaves.push_back({rng.uniform(0.04, 0.07), rng.uniform(70, 140), rng.uniform(0, 2 * M_PI)});
}

WindState WindModel::at(double t) const {
  const double along = std::clamp((t - m_params.startSeconds) / m_params.spanSeconds, 0.0, 1.0);
  double dir = m_params.meanDir + m_params.driftDeg * (along - 0.5);
  for (const Wave& w : m_dirWaves) {
    dir += w.amplitude * std::sin(2 * M_PI * t / w.periodSeconds + w.phase);
  }
  double factor = 1.0;
  for (const Wave& w : m_speedWaves) {
    factor += w.amplitude * std::sin(2 * M_PI * t / w.periodSeconds + w.phase);
  }
  return {normDeg(dir), m_params.meanSpeed * factor};
}

}  // namespace velaro::racegen
