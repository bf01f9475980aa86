#pragma once

#include "core/race.h"

#include <vector>

namespace velaro {

// A boat's track cleaned of what a logger gets wrong and sampled once a
// second, in metres east (x) and north (y) of a common origin, so that
// manoeuvres and starts read logs of any interval alike.
class TrackGrid {
 public:
  // Keeps fixes whose time runs forward, drops single-fix spikes (a fix far
  // off both neighbours that are close to each other), and samples the
  // rest at whole seconds from the first to the last fix. A second inside a
  // gap of more than gapSeconds between fixes has no position.
  // Only the fixes from `from` to `to` (seconds) are used, with a margin.
  TrackGrid(const Boat& boat, GeoPoint origin, double cosCentreLat, double from = -1e12, double to = 1e12);

  bool empty() const { return m_x.empty(); }
  double firstTime() const { return m_first; }
  double lastTime() const { return m_first + static_cast<double>(m_x.size()) - 1; }
  // The median seconds between the kept fixes.
  double logInterval() const { return m_interval; }

  // Position at any time inside the track, interpolated between the grid
  // seconds; false outside it or inside a gap.
  bool position(double t, double& x, double& y) const;
  // Velocity (metres per second east and north) at time t from the
  // positions half a window either side: the window grows with the log
  // interval so that a fix's wander does not read as a turn.
  bool velocity(double t, double& vx, double& vy) const { return velocity(t, m_half, vx, vy); }
  double halfWindow() const { return m_half; }
  // The same over a wider window, for the course: downwind a boat changes
  // sides by turning only 15 to 40 degrees, which a short window blurs.
  bool courseVelocity(double t, double& vx, double& vy) const { return velocity(t, m_courseHalf, vx, vy); }
  double courseHalfWindow() const { return m_courseHalf; }
  bool velocity(double t, double half, double& vx, double& vy) const;

  // Metres east and north of origin of a position in minutes of arc.
  static void toLocal(GeoPoint p, GeoPoint origin, double cosCentreLat, double& x, double& y);

 private:
  std::vector<double> m_x;
  std::vector<double> m_y;
  std::vector<char> m_valid;
  double m_first = 0;
  double m_interval = 1;
  double m_half = 2;
  double m_courseHalf = 5;
};

}  // namespace velaro
