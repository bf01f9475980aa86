#pragma once

#include "core/race.h"

#include <cmath>

namespace velaro::racegen {

inline constexpr double kMetresPerMinute = 1852.0;
inline constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

inline double toRadians(double deg) {
  return deg * M_PI / 180.0;
}
inline double toDegrees(double rad) {
  return rad * 180.0 / M_PI;
}
// Into 0 <= a < 360.
inline double normDeg(double a) {
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360.0 : a;
}
// Signed difference a - b folded into -180 < d <= 180.
inline double diffDeg(double a, double b) {
  double d = normDeg(a - b);
  return d > 180.0 ? d - 360.0 : d;
}

// Metres east (x) and north (y) in the flat frame of the race area.
struct Vec {
  double x = 0;
  double y = 0;
  Vec operator+(Vec o) const { return {x + o.x, y + o.y}; }
  Vec operator-(Vec o) const { return {x - o.x, y - o.y}; }
  Vec operator*(double k) const { return {x * k, y * k}; }
  double dot(Vec o) const { return x * o.x + y * o.y; }
  double cross(Vec o) const { return x * o.y - y * o.x; }
  double length() const { return std::hypot(x, y); }
  Vec unit() const {
    const double l = length();
    return l > 0 ? Vec{x / l, y / l} : Vec{};
  }
  // Turned 90 degrees clockwise: the right-hand side of a direction.
  Vec right() const { return {y, -x}; }
};

// Unit vector of a true bearing (0 = north, clockwise).
inline Vec bearingVec(double deg) {
  return {std::sin(toRadians(deg)), std::cos(toRadians(deg))};
}
inline double bearingOf(Vec v) {
  return normDeg(toDegrees(std::atan2(v.x, v.y)));
}

// The flat projection the whole program uses: a minute of latitude is 1852 m,
// a minute of longitude 1852 m times the cosine of the area's latitude.
class LocalFrame {
 public:
  explicit LocalFrame(GeoPoint origin)
      : m_origin(origin), m_metresPerLonMinute(kMetresPerMinute * std::cos(toRadians(origin.lat / 60.0))) {}

  GeoPoint toGeo(Vec v) const {
    return {m_origin.lat + v.y / kMetresPerMinute, m_origin.lon + v.x / m_metresPerLonMinute};
  }
  Vec toLocal(GeoPoint p) const {
    return {(p.lon - m_origin.lon) * m_metresPerLonMinute, (p.lat - m_origin.lat) * kMetresPerMinute};
  }
  const GeoPoint& origin() const { return m_origin; }

 private:
  GeoPoint m_origin;
  double m_metresPerLonMinute;
};

// Where segment a-b crosses segment c-d, as the fraction along a-b; negative
// when they do not cross.
inline double segmentCrossing(Vec a, Vec b, Vec c, Vec d) {
  const Vec r = b - a;
  const Vec s = d - c;
  const double denom = r.cross(s);
  if (denom == 0) {
    return -1;
  }
  const double t = (c - a).cross(s) / denom;
  const double u = (c - a).cross(r) / denom;
  if (t < 0 || t > 1 || u < 0 || u > 1) {
    return -1;
  }
  return t;
}

}  // namespace velaro::racegen
