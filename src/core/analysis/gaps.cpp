#include "core/analysis/gaps.h"

#include "core/analysis/kinematics.h"
#include "core/analysis/manoeuvres.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>

namespace velaro {
namespace {

struct Xy {
  double x = 0;
  double y = 0;
};

// The course in local metres (east, north) with the metres of the legs that
// follow each item.
class CourseMetres {
 public:
  CourseMetres(const Race& race, const CourseResults& results, double cosCentreLat)
      : m_results(results), m_metresPerLonMinute(kMetresPerLatMinute * cosCentreLat) {
    const int n = results.itemCount;
    m_points.resize(n);
    m_lines.resize(n);
    m_after.assign(n, 0.0);
    for (int k = 0; k < n; ++k) {
      if (k < static_cast<int>(results.CoursePoint.size()) && results.CoursePoint[k]) {
        m_points[k] = toXy(*results.CoursePoint[k]);
      }
      if (const auto line = itemLine(race, parseCourseItem(race.Course[k]))) {
        m_lines[k] = std::make_pair(toXy(line->end1), toXy(line->end2));
      }
    }
    for (int k = n - 2; k >= 0; --k) {
      m_after[k] = m_after[k + 1] + results.LegLength[k];
    }
  }

  Xy toXy(const GeoPoint& p) const { return {p.lon * m_metresPerLonMinute, p.lat * kMetresPerLatMinute}; }

  // Metres still to sail from p with item `next` the next to pass, in a wind
  // from windDeg.
  double remaining(int next, Xy p, double windDeg) const { return toItem(next, p, windDeg) + m_after[next]; }

 private:
  double toItem(int k, Xy p, double windDeg) const {
    if (!m_points[k]) {
      return 0;
    }
    const Xy d{m_points[k]->x - p.x, m_points[k]->y - p.y};
    const PointOfSail sail = k > 0 ? m_results.LegSail[k - 1] : PointOfSail::Reach;
    if (sail != PointOfSail::Reach) {
      // Beating or running, a boat closes the mark only by what it makes
      // along the wind, however it zig-zags.
      const double a = windDeg * M_PI / 180;
      return std::fabs(d.x * std::sin(a) + d.y * std::cos(a));
    }
    if (m_lines[k]) {
      const auto& [a, b] = *m_lines[k];
      const double ex = b.x - a.x;
      const double ey = b.y - a.y;
      const double len2 = ex * ex + ey * ey;
      const double f = len2 > 0 ? std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / len2, 0.0, 1.0) : 0;
      return std::hypot(a.x + f * ex - p.x, a.y + f * ey - p.y);
    }
    return std::hypot(d.x, d.y);
  }

  const CourseResults& m_results;
  double m_metresPerLonMinute;
  std::vector<std::optional<Xy>> m_points;
  std::vector<std::optional<std::pair<Xy, Xy>>> m_lines;
  std::vector<double> m_after;  // [item]: metres of the legs after it
};

// Positions along a boat's track for times that mostly grow.
class TrackCursor {
 public:
  TrackCursor(const Boat& boat, const CourseMetres& course) : m_fixes(boat.fixes), m_course(course) {}

  bool at(double t, Xy& out) {
    const int n = static_cast<int>(m_fixes.size());
    if (n == 0 || t < m_fixes.front().time || t > m_fixes.back().time) {
      return false;
    }
    if (m_fixes[m_index].time > t) {
      m_index = 0;
    }
    while (m_index + 1 < n && m_fixes[m_index + 1].time <= t) {
      ++m_index;
    }
    const Fix& a = m_fixes[m_index];
    const Fix& b = m_fixes[std::min(m_index + 1, n - 1)];
    const double span = b.time - a.time;
    const double f = span > 0 ? std::clamp((t - a.time) / span, 0.0, 1.0) : 0;
    out = m_course.toXy({a.lat + f * (b.lat - a.lat), a.lon + f * (b.lon - a.lon)});
    return true;
  }

 private:
  const std::vector<Fix>& m_fixes;
  const CourseMetres& m_course;
  int m_index = 0;
};

struct BoatState {
  const Boat& boat;
  const std::vector<double>& passTimes;
  TrackCursor cursor;
  bool started = false;
  double finishTime = kNotPassed;  // kNotPassed when it did not finish
};

constexpr double kNaN = BoatGap::kUnknown;

// Metres still to sail at t; NaN when the boat is out of the race then.
double remainingAt(BoatState& s, const CourseMetres& course, double t, double windDeg, double raceOver) {
  if (!s.started) {
    return kNaN;
  }
  if (t >= s.finishTime) {
    return 0;
  }
  if (s.finishTime > kPassedLimit && t >= raceOver) {
    return kNaN;
  }
  Xy p;
  if (!s.cursor.at(t, p)) {
    return kNaN;
  }
  int next = 0;
  for (int k = static_cast<int>(s.passTimes.size()) - 1; k >= 0; --k) {
    if (s.passTimes[k] <= t) {
      next = k + 1;
      break;
    }
  }
  if (next >= static_cast<int>(s.passTimes.size())) {
    return 0;
  }
  return course.remaining(next, p, windDeg);
}

// How far a boat was from the finish at each whole second since the gun, as
// the least distance to go over the half minute before: a boat that
// overshoots a mark or gate while rounding it is not thrown back in the
// ranking of time. The greatest of each block of seconds lets the last
// time it was so far be found without walking back every second. Seconds
// out of the race hold minus infinity.
class DistanceHistory {
 public:
  static constexpr int kBlock = 64;
  static constexpr int kRoundingSeconds = 30;

  explicit DistanceHistory(const std::vector<double>& metres) : m_metres(metres.size(), -kInfinity) {
    std::deque<int> window;  // seconds whose distances rise from front to back
    for (int s = 0; s < static_cast<int>(metres.size()); ++s) {
      if (!std::isinf(metres[s])) {
        while (!window.empty() && metres[window.back()] >= metres[s]) {
          window.pop_back();
        }
        window.push_back(s);
      }
      while (!window.empty() && window.front() <= s - kRoundingSeconds) {
        window.pop_front();
      }
      if (!window.empty()) {
        m_metres[s] = metres[window.front()];
      }
    }
    m_blockMax.assign((m_metres.size() + kBlock - 1) / kBlock, -kInfinity);
    for (std::size_t s = 0; s < m_metres.size(); ++s) {
      m_blockMax[s / kBlock] = std::max(m_blockMax[s / kBlock], m_metres[s]);
    }
  }

  // Seconds since the boat was last `metres` from the finish, given that it
  // is nearer, leaderNow, at t.
  double secondsBehind(double t, double leaderNow, double metres) const {
    if (leaderNow >= metres || m_metres.empty()) {
      return 0;
    }
    const int last = std::min(static_cast<int>(std::floor(t)), static_cast<int>(m_metres.size()) - 1);
    int s = last;
    while (s >= 0) {
      if (s % kBlock == kBlock - 1 && m_blockMax[s / kBlock] < metres) {
        s -= kBlock;
        continue;
      }
      const double h = m_metres[s];
      if (h >= metres) {
        const bool nextKnown = s < last && !std::isinf(m_metres[s + 1]);
        const double laterTime = nextKnown ? s + 1 : t;
        const double laterMetres = nextKnown ? m_metres[s + 1] : leaderNow;
        const double f = h > laterMetres ? (h - metres) / (h - laterMetres) : 0;
        return t - (s + f * (laterTime - s));
      }
      --s;
    }
    return kNaN;  // further back than the leader ever was since the gun
  }

 private:
  static constexpr double kInfinity = std::numeric_limits<double>::infinity();
  std::vector<double> m_metres;
  std::vector<double> m_blockMax;
};

}  // namespace

std::vector<GapStep> ComputeGaps(const Race& race, const CourseResults& results, double cosCentreLat,
                                 double stepSeconds) {
  const int n = results.itemCount;
  if (n < 2 || stepSeconds <= 0 || static_cast<int>(results.LegSail.size()) < n - 1) {
    return {};
  }
  const CourseMetres course(race, results, cosCentreLat);
  const int boats = race.BoatCount();
  double lastFinish = -1;
  std::vector<BoatState> states;
  states.reserve(boats);
  for (int b = 0; b < boats; ++b) {
    const std::vector<double>& pass = results.PassTime[b];
    BoatState s{race.boats[b], pass, TrackCursor(race.boats[b], course)};
    s.started = std::any_of(pass.begin(), pass.end(), isPassed);
    if (results.finished(b)) {
      s.finishTime = pass[n - 1];
      lastFinish = std::max(lastFinish, s.finishTime);
    }
    states.push_back(s);
  }
  const double end = lastFinish >= 0 ? lastFinish : race.TimeAxisEnd;
  const double raceOver = lastFinish >= 0 ? lastFinish : std::numeric_limits<double>::infinity();
  const int stepCount = std::max(0, static_cast<int>(std::ceil(end / stepSeconds - 1e-9))) + 1;
  const int seconds = static_cast<int>(std::ceil((stepCount - 1) * stepSeconds)) + 1;

  // Every boat's distance to go at each whole second: where the leader was.
  std::vector<double> windAt(seconds);
  for (int s = 0; s < seconds; ++s) {
    windAt[s] = trueWindAt(race, s);
  }
  std::vector<DistanceHistory> history;
  history.reserve(boats);
  for (int b = 0; b < boats; ++b) {
    std::vector<double> metres(seconds);
    for (int s = 0; s < seconds; ++s) {
      const double r = remainingAt(states[b], course, s, windAt[s], raceOver);
      metres[s] = std::isnan(r) ? -std::numeric_limits<double>::infinity() : r;
    }
    history.emplace_back(metres);
  }

  std::vector<GapStep> steps(stepCount);
  std::vector<int> order;
  for (int i = 0; i < stepCount; ++i) {
    GapStep& step = steps[i];
    step.time = i * stepSeconds;
    step.boats.assign(boats, BoatGap{});
    const double wind = trueWindAt(race, step.time);
    order.clear();
    for (int b = 0; b < boats; ++b) {
      step.boats[b].remainingMetres = remainingAt(states[b], course, step.time, wind, raceOver);
      if (!std::isnan(step.boats[b].remainingMetres)) {
        order.push_back(b);
      }
    }
    std::sort(order.begin(), order.end(), [&](int a, int b) {
      const double ra = step.boats[a].remainingMetres;
      const double rb = step.boats[b].remainingMetres;
      if (ra != rb) {
        return ra < rb;
      }
      return states[a].finishTime < states[b].finishTime ||
             (states[a].finishTime == states[b].finishTime && a < b);
    });
    for (int b = 0; b < boats; ++b) {
      step.boats[b].rank = static_cast<int>(order.size()) + 1;
    }
    if (order.empty()) {
      continue;
    }
    const int leader = order.front();
    const double leaderNow = step.boats[leader].remainingMetres;
    for (int r = 0; r < static_cast<int>(order.size()); ++r) {
      BoatGap& g = step.boats[order[r]];
      g.rank = r + 1;
      g.metresToLeader = g.remainingMetres - leaderNow;
      if (step.time >= states[order[r]].finishTime) {
        g.secondsToLeader = states[order[r]].finishTime - states[leader].finishTime;
      } else {
        g.secondsToLeader = history[leader].secondsBehind(step.time, leaderNow, g.remainingMetres);
      }
    }
  }
  return steps;
}

}  // namespace velaro
