#include "racegen/polar.h"

#include "racegen/geometry.h"

#include <algorithm>
#include <cmath>

namespace velaro::racegen {

namespace {

constexpr std::array<double, 7> kWindSpeeds = {4, 6, 8, 10, 12, 16, 20};
constexpr std::array<double, 11> kAngles = {45, 52, 60, 75, 90, 110, 120, 135, 150, 165, 180};
// Rows follow kWindSpeeds, columns kAngles; knots.
constexpr double kSpeeds[7][11] = {
    {2.9, 3.3, 3.6, 3.9, 4.0, 3.9, 3.7, 3.2, 2.6, 2.3, 2.2},
    {4.2, 4.6, 4.9, 5.2, 5.3, 5.3, 5.1, 4.6, 3.9, 3.5, 3.3},
    {5.0, 5.4, 5.7, 5.9, 6.0, 6.0, 5.9, 5.5, 4.8, 4.3, 4.1},
    {5.5, 5.8, 6.0, 6.3, 6.4, 6.5, 6.4, 6.1, 5.5, 5.0, 4.8},
    {5.7, 6.0, 6.2, 6.5, 6.6, 6.9, 6.9, 6.6, 6.1, 5.6, 5.4},
    {5.9, 6.2, 6.4, 6.7, 6.9, 7.3, 7.5, 7.4, 7.0, 6.6, 6.3},
    {6.0, 6.3, 6.5, 6.8, 7.1, 7.6, 8.0, 8.2, 7.9, 7.3, 6.9},
};
// Head to wind the sails flog: speed falls from the 45-degree value to none.
constexpr double kStallAngle = 28.0;

double interpolate(double x, double x0, double x1, double y0, double y1) {
  return x1 == x0 ? y0 : y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

}  // namespace

Polar::Polar() {
  for (int i = 0; i <= 60; ++i) {
    m_optima.push_back(optimumAt(i * 0.5));
  }
}

double Polar::tableSpeed(double twa, double tws) const {
  tws = std::clamp(tws, 0.0, 25.0);
  twa = std::clamp(twa, kAngles.front(), kAngles.back());
  std::size_t a = 0;
  while (a + 2 < kAngles.size() && twa > kAngles[a + 1]) {
    ++a;
  }
  auto row = [&](std::size_t w) {
    return interpolate(twa, kAngles[a], kAngles[a + 1], kSpeeds[w][a], kSpeeds[w][a + 1]);
  };
  if (tws <= kWindSpeeds.front()) {
    return row(0) * tws / kWindSpeeds.front();
  }
  std::size_t w = 0;
  while (w + 2 < kWindSpeeds.size() && tws > kWindSpeeds[w + 1]) {
    ++w;
  }
  return std::max(0.0, interpolate(tws, kWindSpeeds[w], kWindSpeeds[w + 1], row(w), row(w + 1)));
}

double Polar::speed(double twa, double tws) const {
  twa = std::fabs(twa);
  if (twa > 180) {
    twa = 360 - twa;
  }
  if (twa >= kAngles.front()) {
    return tableSpeed(twa, tws);
  }
  const double at45 = tableSpeed(kAngles.front(), tws);
  if (twa <= kStallAngle) {
    return 0.0;
  }
  // A steep fall just inside the close-hauled angle: pinching costs a lot.
  const double f = (twa - kStallAngle) / (kAngles.front() - kStallAngle);
  return at45 * (1.0 - (1.0 - f) * (1.0 - f));
}

Polar::Optimum Polar::optimumAt(double tws) const {
  Optimum o{45, 0, 150, 0};
  for (double a = 30; a <= 70; a += 0.25) {
    const double vmg = speed(a, tws) * std::cos(toRadians(a));
    if (vmg > o.beatVmg) {
      o.beatVmg = vmg;
      o.beatAngle = a;
    }
  }
  for (double a = 110; a <= 180; a += 0.25) {
    const double vmg = -speed(a, tws) * std::cos(toRadians(a));
    if (vmg > o.runVmg) {
      o.runVmg = vmg;
      o.runAngle = a;
    }
  }
  return o;
}

double Polar::beatAngle(double tws) const {
  const double i = std::clamp(tws * 2.0, 0.0, 60.0);
  const auto lo = static_cast<std::size_t>(i);
  const std::size_t hi = std::min<std::size_t>(lo + 1, 60);
  return interpolate(i, lo, hi, m_optima[lo].beatAngle, m_optima[hi].beatAngle);
}
double Polar::runAngle(double tws) const {
  const double i = std::clamp(tws * 2.0, 0.0, 60.0);
  const auto lo = static_cast<std::size_t>(i);
  const std::size_t hi = std::min<std::size_t>(lo + 1, 60);
  return interpolate(i, lo, hi, m_optima[lo].runAngle, m_optima[hi].runAngle);
}
double Polar::beatVmg(double tws) const {
  return speed(beatAngle(tws), tws) * std::cos(toRadians(beatAngle(tws)));
}
double Polar::runVmg(double tws) const {
  return -speed(runAngle(tws), tws) * std::cos(toRadians(runAngle(tws)));
}

}  // namespace velaro::racegen
