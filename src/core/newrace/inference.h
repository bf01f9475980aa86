#pragma once

// The steps of reading a race out of its logs share the state kept here;
// each step lives in a file of its own.
#include "core/newrace/raceinference.h"

#include "core/datetime.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace velaro::inference {

inline constexpr double kMetresPerMinute = 1852.0;
inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kMinSailingSpeed = 1.0;  // m/s; slower is drifting, not sailing
inline constexpr int kMaxGapSeconds = 30;        // a longer gap in a log is not bridged
// Boats sail on this long after finishing before they ease sheets.
inline constexpr int kSailOnSeconds = 20;

inline double normDeg(double a) {
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360.0 : a;
}

// a - b folded into -180..180.
inline double diffDeg(double a, double b) {
  double d = std::fmod(a - b, 360.0);
  if (d > 180) {
    d -= 360;
  } else if (d <= -180) {
    d += 360;
  }
  return d;
}

// Plain length of a vector: positions here are metres, far from where
// hypot's care about overflow matters, and it is called millions of times.
inline double distance2d(double x, double y) {
  return std::sqrt(x * x + y * y);
}

inline double rad(double deg) {
  return deg * kPi / 180.0;
}

inline double deg(double r) {
  return r * 180.0 / kPi;
}

inline double median(std::vector<double> v) {
  if (v.empty()) {
    return std::nan("");
  }
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

inline double percentile(std::vector<double> v, double p) {
  if (v.empty()) {
    return std::nan("");
  }
  const double at = p * static_cast<double>(v.size() - 1);
  const std::size_t i = static_cast<std::size_t>(at);
  const double f = at - static_cast<double>(i);
  // The two neighbours in order without sorting the rest: it is asked of
  // every boat's speeds over the whole race.
  const auto nth = v.begin() + static_cast<std::ptrdiff_t>(i);
  std::nth_element(v.begin(), nth, v.end());
  if (i + 1 >= v.size()) {
    return *nth;
  }
  return *nth * (1 - f) + *std::min_element(nth + 1, v.end()) * f;
}

struct Circular {
  double mean = 0;    // degrees
  double spread = 0;  // circular standard deviation, degrees
  int count = 0;
};

// Mean direction of angles; each weighted.
inline Circular circularMean(const std::vector<double>& angles,
                             const std::vector<double>* weights = nullptr) {
  double c = 0;
  double s = 0;
  double w = 0;
  for (std::size_t i = 0; i < angles.size(); ++i) {
    const double wi = weights ? (*weights)[i] : 1.0;
    c += wi * std::cos(rad(angles[i]));
    s += wi * std::sin(rad(angles[i]));
    w += wi;
  }
  Circular r;
  r.count = static_cast<int>(angles.size());
  if (w <= 0) {
    return r;
  }
  r.mean = normDeg(deg(std::atan2(s, c)));
  const double length = std::min(1.0, distance2d(c, s) / w);
  r.spread = length > 0 ? deg(std::sqrt(-2.0 * std::log(length))) : 180.0;
  return r;
}

// The mean of angles after leaving out, twice over, those far from it.
inline Circular robustMean(const std::vector<double>& angles, double keepWithinDeg) {
  Circular m = circularMean(angles);
  for (int pass = 0; pass < 3; ++pass) {
    std::vector<double> kept;
    for (double a : angles) {
      if (std::fabs(diffDeg(a, m.mean)) <= keepWithinDeg) {
        kept.push_back(a);
      }
    }
    if (kept.empty()) {
      break;
    }
    m = circularMean(kept);
  }
  return m;
}

struct Vec2 {
  double x = 0;  // metres east
  double y = 0;  // metres north
};

// Unit vector of a bearing.
inline Vec2 bearingVec(double bearingDeg) {
  return {std::sin(rad(bearingDeg)), std::cos(rad(bearingDeg))};
}

inline double dot(Vec2 a, Vec2 b) {
  return a.x * b.x + a.y * b.y;
}

// One boat on the common one-second grid: sample i is second first + i.
struct Track {
  int log = 0;  // index into the logs
  int first = 0;
  std::vector<Vec2> pos;
  std::vector<char> valid;
  std::vector<double> heading;  // degrees, NaN where not sailing
  std::vector<double> speed;    // m/s
  std::vector<double> unitX;    // the course as a unit vector, where sailing
  std::vector<double> unitY;
  int interval = 1;  // typical seconds between the log's fixes

  int last() const { return first + static_cast<int>(pos.size()) - 1; }
  bool has(int t) const { return t >= first && t <= last() && valid[static_cast<std::size_t>(t - first)]; }
  Vec2 at(int t) const { return pos[static_cast<std::size_t>(t - first)]; }
  double headingAt(int t) const {
    return has(t) ? heading[static_cast<std::size_t>(t - first)] : std::nan("");
  }
  double speedAt(int t) const { return has(t) ? speed[static_cast<std::size_t>(t - first)] : 0.0; }
};

// A turn between two steady courses.
struct Turn {
  int boat = 0;  // index into the tracks
  int t = 0;
  double before = 0;  // course before, degrees
  double after = 0;
  double turn = 0;       // signed degrees, after - before
  double speedLoss = 0;  // lowest speed in the turn over the speed before
  Vec2 pos;
  double mid() const { return normDeg(before + turn / 2); }
};

struct Frame {
  double centreLat = 0;
  double centreLon = 0;
  double lonScale = 1;  // metres per minute of longitude over metres per minute of latitude
  Vec2 toLocal(double lat, double lon) const {
    return {(lon - centreLon) * kMetresPerMinute * lonScale, (lat - centreLat) * kMetresPerMinute};
  }
  GeoPoint toGeo(Vec2 p) const {
    return {centreLat + p.y / kMetresPerMinute, centreLon + p.x / (kMetresPerMinute * lonScale)};
  }
};

class Inference {
 public:
  Inference(const std::vector<InputLog>& logs, const InferenceHints& hints) : m_logs(logs), m_hints(hints) {}

  InferredRace run();

 private:
  void buildTracks();
  void findTurns();
  void estimateWind();
  double windAt(int t) const;
  void findStart();
  void findMarksAndCourse();
  void findFinish();
  void writeWindLog();
  void buildWindTable();
  void findRacingEnds();
  void applyGivenMarks();
  QString clock(int t) const;
  double dateTimeOf(double t) const { return m_epoch + t / kSecondsPerDay; }
  int secondsOf(double dateTime) const { return roundToInt((dateTime - m_epoch) * kSecondsPerDay); }
  double upwindOf(const Track& track, int t) const { return dot(track.at(t), bearingVec(windAt(t))); }

  const std::vector<InputLog>& m_logs;
  InferenceHints m_hints;
  InferredRace m_out;
  double m_epoch = 0;  // date-time of second 0
  Frame m_frame;
  std::vector<Track> m_tracks;
  std::vector<Turn> m_turns;
  int m_spanStart = 0;  // seconds where most logs run
  int m_spanEnd = 0;
  // Wind: estimates from single tacks and gybes, in time order.
  std::vector<std::pair<int, double>> m_windPoints;
  double m_wind = 0;
  bool m_windKnown = false;
  int m_gun = 0;
  bool m_gunFound = false;
  std::vector<int> m_startCross;  // per track, the second it started; INT_MIN when unknown
  std::vector<int> m_racingEnd;   // per track, the last second it raced
  double m_startLevel = 0;        // metres up the wind of the start line
  std::vector<int> m_markOf;      // per turn, the mark it rounds or -1
  std::vector<Vec2> m_marks;
  std::vector<int> m_courseMarks;             // mark indices in rounding order
  std::vector<std::vector<int>> m_markBoats;  // per mark, the boats that rounded it
  std::vector<int> m_gates;                   // mark pairs that are gates: index of the first of two
  int m_courseFollowers = 0;
  std::vector<int> m_lastRounding;  // per track, when it rounded the last mark; INT_MIN when it did not
  Vec2 m_lastItem;                  // the last mark, or the middle of the last gate
  int m_finishTime = 0;
  bool m_finishFound = false;
  std::vector<double> m_windTable;  // per minute from m_windTableStart
  int m_windTableStart = 0;
  int m_tackCount = 0;
  int m_gybeCount = 0;
  int m_windSamplesAtStart = 0;
};

}  // namespace velaro::inference
