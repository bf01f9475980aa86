#include "core/analysis/trackgrid.h"

#include "core/analysis/kinematics.h"

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

// A fix whose steps from and to its neighbours are both faster than this,
// while the neighbours lie close together, is a spike. Dinghies plane at
// 15 knots; a spike is hundreds of metres off.
constexpr double kSpikeMetresPerSecond = 20 * 1852.0 / 3600;
// A gap in the log longer than this (and than a few intervals) leaves the
// seconds inside it without a position.
constexpr double kGapSeconds = 30;
// A log whose clock jumped by days must not make a grid of millions of
// seconds: no race runs longer than this.
constexpr double kMaxGridSeconds = 24 * 3600;

struct LocalFix {
  double t, x, y;
};

}  // namespace

void TrackGrid::toLocal(GeoPoint p, GeoPoint origin, double cosCentreLat, double& x, double& y) {
  x = (p.lon - origin.lon) * kMetresPerLatMinute * cosCentreLat;
  y = (p.lat - origin.lat) * kMetresPerLatMinute;
}

TrackGrid::TrackGrid(const Boat& boat, GeoPoint origin, double cosCentreLat, double from, double to) {
  std::vector<LocalFix> fixes;
  fixes.reserve(boat.fixes.size());
  for (const Fix& f : boat.fixes) {
    if ((!fixes.empty() && f.time <= fixes.back().t) || f.time < from - kGapSeconds) {
      continue;  // a repeated or backward time, or outside the window
    }
    if (f.time > to + kGapSeconds) {
      break;
    }
    LocalFix l{f.time, 0, 0};
    toLocal({f.lat, f.lon}, origin, cosCentreLat, l.x, l.y);
    fixes.push_back(l);
  }
  // Spikes: judged against the last kept fix, so that two spikes in a row
  // are both caught.
  std::vector<LocalFix> kept;
  kept.reserve(fixes.size());
  for (std::size_t i = 0; i < fixes.size(); ++i) {
    if (!kept.empty() && i + 1 < fixes.size()) {
      const LocalFix& a = kept.back();
      const LocalFix& b = fixes[i];
      const LocalFix& c = fixes[i + 1];
      auto metres = [](const LocalFix& p, const LocalFix& q) {
        return std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y));
      };
      const double in = metres(a, b) / (b.t - a.t);
      const double out = metres(b, c) / (c.t - b.t);
      const double across = metres(a, c) / (c.t - a.t);
      if (in > kSpikeMetresPerSecond && out > kSpikeMetresPerSecond && across < 0.5 * std::min(in, out)) {
        continue;
      }
    }
    kept.push_back(fixes[i]);
  }
  if (kept.size() < 2) {
    return;
  }
  std::vector<double> steps;
  steps.reserve(kept.size() - 1);
  for (std::size_t i = 1; i < kept.size(); ++i) {
    steps.push_back(kept[i].t - kept[i - 1].t);
  }
  std::nth_element(steps.begin(), steps.begin() + static_cast<long>(steps.size() / 2), steps.end());
  m_interval = steps[steps.size() / 2];
  // Two seconds either side at 1 s logging; a little more than one interval
  // either side for sparser logs.
  m_half = std::max(2.0, std::ceil(m_interval * 1.2));
  m_courseHalf = std::max(5.0, m_half);
  const double gap = std::max(kGapSeconds, 3 * m_interval);

  m_first = std::ceil(kept.front().t);
  const double last = std::min(std::floor(kept.back().t), m_first + kMaxGridSeconds);
  const std::size_t n = last >= m_first ? static_cast<std::size_t>(last - m_first) + 1 : 0;
  m_x.resize(n);
  m_y.resize(n);
  m_valid.resize(n);
  std::size_t k = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = m_first + static_cast<double>(i);
    while (k + 2 < kept.size() && kept[k + 1].t <= t) {
      ++k;
    }
    const LocalFix& a = kept[k];
    const LocalFix& b = kept[k + 1];
    const double f = std::clamp((t - a.t) / (b.t - a.t), 0.0, 1.0);
    m_x[i] = a.x + (b.x - a.x) * f;
    m_y[i] = a.y + (b.y - a.y) * f;
    m_valid[i] = b.t - a.t <= gap ? 1 : 0;
  }
}

bool TrackGrid::position(double t, double& x, double& y) const {
  const double u = t - m_first;
  if (m_x.empty() || u < 0 || u > static_cast<double>(m_x.size() - 1)) {
    return false;
  }
  const std::size_t i = std::min(static_cast<std::size_t>(u), m_x.size() - 1);
  const std::size_t j = std::min(i + 1, m_x.size() - 1);
  if (!m_valid[i] || !m_valid[j]) {
    return false;
  }
  const double f = u - static_cast<double>(i);
  x = m_x[i] + (m_x[j] - m_x[i]) * f;
  y = m_y[i] + (m_y[j] - m_y[i]) * f;
  return true;
}

bool TrackGrid::velocity(double t, double half, double& vx, double& vy) const {
  double x0, y0, x1, y1;
  if (!position(t - half, x0, y0) || !position(t + half, x1, y1)) {
    return false;
  }
  vx = (x1 - x0) / (2 * half);
  vy = (y1 - y0) / (2 * half);
  return true;
}

}  // namespace velaro
