#include "core/analysis/gaps.h"

#include "core/analysis/kinematics.h"
#include "core/analysis/manoeuvres.h"
#include "core/analysis/trackgrid.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>

namespace velaro {
namespace {

constexpr double kNaN = BoatGap::kUnknown;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A boat credited with passing an item further off it than this, and than
// twice the fleet's usual distance there, turned away short of it: the
// boats that round a mark pass within a few lengths of it.
constexpr double kOffItemMetres = 50;

// Reaching across the wind, a boat takes about as long per metre as it
// takes to make this many metres along it, beating or running.
constexpr double kAcrossShare = 0.6;

struct Xy {
  double x = 0;
  double y = 0;
};

double distance(Xy a, Xy b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// The wind's direction as a unit vector, worked out once for the fleet.
struct WindAxis {
  explicit WindAxis(double windDeg)
      : east(std::sin(windDeg * M_PI / 180)), north(std::cos(windDeg * M_PI / 180)) {}
  double along(Xy d) const { return d.x * east + d.y * north; }
  double across(Xy d) const { return d.x * north - d.y * east; }
  double east;
  double north;
};

// How far a span of values (the two ends of a line, seen along or across the
// wind) lies from zero.
double spanOff(double a, double b) {
  return a * b <= 0 ? 0 : std::min(std::fabs(a), std::fabs(b));
}

// The course in local metres (east, north). A leg's metres run from the
// middle of one item to the next (to the nearest point of a line reached
// across the wind). On beats and runs the part of the leg still to sail is
// what a boat must still make along the wind, as boats zig-zag there, or,
// when it lies so far to the side that it must reach across, what that
// takes; to a line, to the nearest of its points. It is scaled to the leg's
// metres, so that a boat at an item has exactly the legs after it to go
// whatever the wind does meanwhile.
class CourseMetres {
 public:
  CourseMetres(const Race& race, const CourseResults& results, double cosCentreLat)
      : m_sail(results.LegSail), m_metresPerLonMinute(kMetresPerLatMinute * cosCentreLat) {
    const int n = results.itemCount;
    m_points.resize(n);
    m_lines.resize(n);
    m_leg.assign(n, 0.0);
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
      if (m_points[k] && m_points[k + 1]) {
        m_leg[k] = m_sail[k] == PointOfSail::Reach ? offItem(k + 1, *m_points[k])
                                                   : distance(*m_points[k], *m_points[k + 1]);
      }
      m_after[k] = m_after[k + 1] + m_leg[k];
    }
  }

  int itemCount() const { return static_cast<int>(m_points.size()); }

  Xy toXy(const GeoPoint& p) const { return {p.lon * m_metresPerLonMinute, p.lat * kMetresPerLatMinute}; }

  // Metres from p to item k: to its mark, or to the nearest point of its
  // line. NaN for an item the race does not place.
  double offItem(int k, Xy p) const {
    if (m_lines[k]) {
      return distance(p, nearestOnLine(k, p));
    }
    return m_points[k] ? distance(p, *m_points[k]) : kNaN;
  }

  // Metres still to sail from p with item `next` the next to pass. Before
  // the start a boat sails to the nearest point of the line and the first
  // leg from there.
  double remaining(int next, Xy p, const WindAxis& wind) const {
    if (next == 0 && m_lines[0] && itemCount() > 1) {
      const Xy q = nearestOnLine(0, p);
      return distance(p, q) + legLeft(1, q, wind) + m_after[1];
    }
    return legLeft(next, p, wind) + m_after[next];
  }

  double after(int k) const { return m_after[k]; }

  // Metres of the leg to item k still to sail from p.
  double legLeft(int k, Xy p, const WindAxis& wind) const {
    if (!m_points[k]) {
      return 0;
    }
    if (k == 0 || m_sail[k - 1] == PointOfSail::Reach || !m_points[k - 1]) {
      return offItem(k, p);
    }
    const double leg = m_leg[k - 1];
    // A leg that a shift has turned across the wind still counts at least
    // half its length.
    const double whole = std::max(windMetres(k, *m_points[k - 1], wind), 0.5 * leg);
    return whole > 0 ? windMetres(k, p, wind) * leg / whole : windMetres(k, p, wind);
  }

 private:
  double windMetres(int k, Xy p, const WindAxis& wind) const {
    if (m_lines[k]) {
      const Xy a{m_lines[k]->first.x - p.x, m_lines[k]->first.y - p.y};
      const Xy b{m_lines[k]->second.x - p.x, m_lines[k]->second.y - p.y};
      return std::max(spanOff(wind.along(a), wind.along(b)),
                      kAcrossShare * spanOff(wind.across(a), wind.across(b)));
    }
    const Xy d{m_points[k]->x - p.x, m_points[k]->y - p.y};
    return std::max(std::fabs(wind.along(d)), kAcrossShare * std::fabs(wind.across(d)));
  }

  Xy nearestOnLine(int k, Xy p) const {
    const auto& [a, b] = *m_lines[k];
    const double ex = b.x - a.x;
    const double ey = b.y - a.y;
    const double len2 = ex * ex + ey * ey;
    const double f = len2 > 0 ? std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / len2, 0.0, 1.0) : 0;
    return {a.x + f * ex, a.y + f * ey};
  }

  const std::vector<PointOfSail>& m_sail;  // [leg]
  double m_metresPerLonMinute;
  std::vector<std::optional<Xy>> m_points;
  std::vector<std::optional<std::pair<Xy, Xy>>> m_lines;
  std::vector<double> m_leg;    // [item]: metres of the leg from it
  std::vector<double> m_after;  // [item]: metres of the legs after it
};

// Positions along a boat's track, without the spikes of its log; across a
// gap in the log, on the straight line between the fixes either side.
class Track {
 public:
  Track(const Boat& boat, const CourseMetres& course, double cosCentreLat)
      : m_grid(boat, GeoPoint{0, 0}, cosCentreLat), m_fixes(boat.fixes), m_course(course) {}

  // For times that mostly grow.
  bool at(double t, Xy& out) {
    if (m_grid.position(t, out.x, out.y)) {
      return true;
    }
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
  TrackGrid m_grid;
  const std::vector<Fix>& m_fixes;
  const CourseMetres& m_course;
  int m_index = 0;
};

// A boat's distance to go at a moment, and since when it has been that far:
// a boat that has rounded an item is no further back than the item itself
// while it overshoots it, as from the moment it passed it.
struct Remaining {
  double metres = kNaN;
  double since = 0;
};

// A stretch of a boat's race from one believed pass to the next. At an item
// passed, a boat has exactly the legs after it to go; where it rounded a few
// metres off (a gate at either end, a mark a few lengths away), the
// difference from the distance read off its position is carried into the leg
// and faded out as it closes the next item, so the distance runs on without
// a step.
struct Stage {
  double from = -kInfinity;  // time of the pass that began it
  int next = 0;
  double capMetres = kInfinity;  // the legs after the item passed
  double startCorrection = 0;
  double startLeft = 0;  // of the leg, at the pass that began the stage
  double endCorrection = 0;
  double endLeft = 0;  // at the pass that ends it; 0 when none does
};

class BoatCourse {
 public:
  BoatCourse(const Boat& boat, const CourseMetres& course, double cosCentreLat)
      : m_course(course), m_track(boat, course, cosCentreLat) {
    m_stages.push_back(Stage{});
  }

  // Takes the pass of item k at t as the end of the stage sailed to it and
  // the start of the next, unless the boat was further than offLimit from
  // the item then.
  void pass(int k, double t, double windDeg, double offLimit) {
    Xy p;
    if (t < m_stages.back().from || !m_track.at(t, p) || !(m_course.offItem(k, p) <= offLimit)) {
      return;
    }
    const WindAxis wind(windDeg);
    Stage& sailed = m_stages.back();
    const double before = remaining(sailed, p, wind, t).metres;
    if (sailed.next == k && k > 0) {
      sailed.endLeft = m_course.legLeft(k, p, wind);
      sailed.endCorrection = -sailed.endLeft;
    }
    if (k + 1 >= m_course.itemCount()) {
      return;
    }
    Stage s;
    s.from = t;
    s.next = k + 1;
    s.startLeft = m_course.legLeft(k + 1, p, wind);
    const double raw = m_course.remaining(k + 1, p, wind);
    if (k == 0) {
      // The start is no rounding: where a boat crosses the line tells.
      s.startCorrection = before - raw;
    } else {
      // Also where the boat skipped items the track cannot tell of (a
      // logger silent through a rounding).
      s.capMetres = m_course.after(k);
      s.startCorrection = s.capMetres - raw;
    }
    m_stages.push_back(s);
  }

  // Metres from item k at t; NaN outside the track.
  double offItem(int k, double t) {
    Xy p;
    return m_track.at(t, p) ? m_course.offItem(k, p) : kNaN;
  }

  // NaN metres outside the track.
  Remaining remainingAt(double t, const WindAxis& wind) {
    Xy p;
    if (!m_track.at(t, p)) {
      return {kNaN, t};
    }
    if (t < m_stages[m_stage].from) {
      m_stage = 0;
    }
    while (m_stage + 1 < m_stages.size() && m_stages[m_stage + 1].from <= t) {
      ++m_stage;
    }
    return remaining(m_stages[m_stage], p, wind, t);
  }

 private:
  Remaining remaining(const Stage& s, Xy p, const WindAxis& wind, double t) const {
    double metres = m_course.remaining(s.next, p, wind);
    if (s.startCorrection != 0 || s.endCorrection != 0) {
      const double left = m_course.legLeft(s.next, p, wind);
      const double f = std::clamp((left - s.endLeft) / std::max(s.startLeft - s.endLeft, 1.0), 0.0, 1.0);
      metres += s.startCorrection * f + s.endCorrection * (1 - f);
    }
    // A millimetre's rounding error at the pass is no gain on the item.
    if (metres >= s.capMetres - 1e-3) {
      return {s.capMetres, s.from};
    }
    // Nor is a boat still sailing to an item nearer the finish than the item.
    return {s.next > 0 ? std::max(metres, m_course.after(s.next)) : metres, t};
  }

  const CourseMetres& m_course;
  Track m_track;
  std::vector<Stage> m_stages;
  std::size_t m_stage = 0;
};

// How far a boat was from the finish at each whole second since the gun, as
// the least distance to go over the half minute before, so that a wind shift
// that sets it back for a moment does not throw the others' gaps. The
// greatest of each block of seconds lets the last time it was so far be
// found without walking back every second. Seconds out of the race hold
// minus infinity.
class DistanceHistory {
 public:
  static constexpr int kBlock = 64;
  static constexpr int kSmoothingSeconds = 30;

  explicit DistanceHistory(const std::vector<double>& metres) : m_metres(metres.size(), -kInfinity) {
    std::deque<int> window;  // seconds whose distances rise from front to back
    for (int s = 0; s < static_cast<int>(metres.size()); ++s) {
      if (!std::isinf(metres[s])) {
        while (!window.empty() && metres[window.back()] >= metres[s]) {
          window.pop_back();
        }
        window.push_back(s);
      }
      while (!window.empty() && window.front() <= s - kSmoothingSeconds) {
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

  // The moment, up to t, when the boat was last further than `metres` from
  // the finish; NaN when it never was since the gun.
  double lastFurther(double t, double metres) const {
    if (m_metres.empty() || t < 0) {
      return kNaN;
    }
    const int last = std::min(static_cast<int>(std::floor(t)), static_cast<int>(m_metres.size()) - 1);
    int s = last;
    while (s >= 0) {
      if (s % kBlock == kBlock - 1 && m_blockMax[s / kBlock] <= metres) {
        s -= kBlock;
        continue;
      }
      const double h = m_metres[s];
      if (h > metres) {
        if (s == last) {
          return t;
        }
        const double later = m_metres[s + 1];
        return std::isinf(later) ? s : s + (h - metres) / (h - later);
      }
      --s;
    }
    return kNaN;
  }

 private:
  std::vector<double> m_metres;
  std::vector<double> m_blockMax;
};

// How far off each item boats may be credited with passing it: kOffItemMetres,
// or twice the fleet's median where the race places the item off where the
// boats turned.
std::vector<double> offItemLimits(const CourseResults& results, std::vector<BoatCourse>& courses) {
  const int n = results.itemCount;
  std::vector<std::vector<double>> off(n);
  for (std::size_t b = 0; b < courses.size(); ++b) {
    for (int k = 0; k < n; ++k) {
      const double metres =
          isPassed(results.PassTime[b][k]) ? courses[b].offItem(k, results.PassTime[b][k]) : kNaN;
      if (!std::isnan(metres)) {
        off[k].push_back(metres);
      }
    }
  }
  std::vector<double> limits(n, kOffItemMetres);
  for (int k = 0; k < n; ++k) {
    if (!off[k].empty()) {
      const auto mid = off[k].begin() + static_cast<long>(off[k].size() / 2);
      std::nth_element(off[k].begin(), mid, off[k].end());
      limits[k] = std::max(kOffItemMetres, 2 * *mid);
    }
  }
  return limits;
}

struct BoatState {
  bool started = false;
  double finishTime = kNotPassed;  // kNotPassed when it did not finish
  // A boat that did not finish is out of the race after the moment it came
  // nearest the finish: it retired there, or its log ends.
  double outAfter = kInfinity;
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
  std::vector<BoatCourse> courses;
  courses.reserve(boats);
  for (int b = 0; b < boats; ++b) {
    courses.emplace_back(race.boats[b], course, cosCentreLat);
  }
  const std::vector<double> offLimits = offItemLimits(results, courses);
  double lastFinish = -1;
  std::vector<BoatState> states(boats);
  for (int b = 0; b < boats; ++b) {
    const std::vector<double>& pass = results.PassTime[b];
    BoatState& s = states[b];
    s.started = std::any_of(pass.begin(), pass.end(), isPassed);
    if (results.finished(b)) {
      s.finishTime = pass[n - 1];
      lastFinish = std::max(lastFinish, s.finishTime);
    }
    for (int k = 0; k < n; ++k) {
      if (isPassed(pass[k])) {
        courses[b].pass(k, pass[k], trueWindAt(race, pass[k]), offLimits[k]);
      }
    }
  }
  const double end = lastFinish >= 0 ? lastFinish : race.TimeAxisEnd;
  const double raceOver = lastFinish >= 0 ? lastFinish : kInfinity;
  const int stepCount = std::max(0, static_cast<int>(std::ceil(end / stepSeconds - 1e-9))) + 1;
  const int seconds = static_cast<int>(std::ceil((stepCount - 1) * stepSeconds)) + 1;

  // Metres still to sail at t; NaN while the boat is out of the race.
  const auto remainingAt = [&](int b, double t, const WindAxis& wind) -> Remaining {
    const BoatState& s = states[b];
    if (!s.started || t > s.outAfter || (s.finishTime > kPassedLimit && t >= raceOver)) {
      return {kNaN, t};
    }
    if (t >= s.finishTime) {
      return {0, s.finishTime};
    }
    return courses[b].remainingAt(t, wind);
  };

  // Every boat's distance to go at each whole second: where the leader was,
  // and where a boat that did not finish came nearest the finish.
  std::vector<WindAxis> windAt;
  windAt.reserve(seconds);
  for (int s = 0; s < seconds; ++s) {
    windAt.emplace_back(trueWindAt(race, s));
  }
  std::vector<DistanceHistory> history;
  history.reserve(boats);
  std::vector<double> metres(seconds);
  for (int b = 0; b < boats; ++b) {
    int nearest = -1;
    for (int s = 0; s < seconds; ++s) {
      const double r = remainingAt(b, s, windAt[s]).metres;
      metres[s] = std::isnan(r) ? -kInfinity : r;
      if (!std::isnan(r) && (nearest < 0 || r < metres[nearest])) {
        nearest = s;
      }
    }
    if (states[b].finishTime > kPassedLimit && nearest >= 0) {
      states[b].outAfter = nearest;
      std::fill(metres.begin() + nearest + 1, metres.end(), -kInfinity);
    }
    history.emplace_back(metres);
  }

  std::vector<GapStep> steps(stepCount);
  std::vector<Remaining> now(boats);
  std::vector<int> order;
  for (int i = 0; i < stepCount; ++i) {
    GapStep& step = steps[i];
    step.time = i * stepSeconds;
    step.boats.assign(boats, BoatGap{});
    const WindAxis wind(trueWindAt(race, step.time));
    order.clear();
    for (int b = 0; b < boats; ++b) {
      now[b] = remainingAt(b, step.time, wind);
      step.boats[b].remainingMetres = now[b].metres;
      if (!std::isnan(now[b].metres)) {
        order.push_back(b);
      }
    }
    // Of boats as far from the finish, the one that got there first leads.
    std::sort(order.begin(), order.end(), [&](int a, int b) {
      if (now[a].metres != now[b].metres) {
        return now[a].metres < now[b].metres;
      }
      return now[a].since < now[b].since || (now[a].since == now[b].since && a < b);
    });
    for (int b = 0; b < boats; ++b) {
      step.boats[b].rank = static_cast<int>(order.size()) + 1;
    }
    if (order.empty()) {
      continue;
    }
    const int leader = order.front();
    for (int r = 0; r < static_cast<int>(order.size()); ++r) {
      const int b = order[r];
      BoatGap& g = step.boats[b];
      g.rank = r + 1;
      g.metresToLeader = now[b].metres - now[leader].metres;
      if (step.time >= states[b].finishTime) {
        g.secondsToLeader = states[b].finishTime - states[leader].finishTime;
      } else if (b == leader) {
        g.secondsToLeader = 0;
      } else {
        const double when = history[leader].lastFurther(now[b].since, now[b].metres);
        g.secondsToLeader = std::isnan(when) ? kNaN : std::max(0.0, now[b].since - when);
      }
    }
  }
  return steps;
}

}  // namespace velaro
