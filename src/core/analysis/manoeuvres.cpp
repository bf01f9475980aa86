// Tacks and gybes from the fixes alone. Each boat's track is sampled once a
// second; the course at each second comes from the positions a few seconds
// either side (more for sparse logs), which smooths a fix's wander and
// ignores spikes the sampling has already dropped. Every second at which the
// boat sails faster than a knot and clearly on one side of the wind is
// labelled with that side; runs of one side shorter than a few seconds are
// noise and merge into their neighbours. Where a settled run on one side
// follows one on the other, the boat changed sides: through the wind (a
// tack) or through its opposite (a gybe), told apart by following the angle
// to the wind across the change.
#include "core/analysis/manoeuvres.h"

#include "core/orderedwork.h"

#include "core/analysis/mapgeometry.h"
#include "core/analysis/starts.h"
#include "core/analysis/trackgrid.h"
#include "core/angles.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace velaro {

namespace {

constexpr double kKnotsPerMetrePerSecond = 3600 / 1852.0;
constexpr double kMinSpeed = 1 / kKnotsPerMetrePerSecond;  // one knot
// The angles to the wind at which a side is clear: closer to the wind or to
// dead downwind a wandering course may read as either side.
constexpr double kMinSideAngle = 10;
constexpr double kMaxSideAngle = 178;
// Labelled seconds a run of one side needs to count as settled.
constexpr int kMinRunSeconds = 8;
// Seconds of track sampled before the gun and after the finish, so that a
// manoeuvre right after the start or before the finish can be measured.
constexpr double kSearchMarginSeconds = 120;
constexpr double kMaxRaceSeconds = 24 * 3600;
// The longest change of side: more is two separate courses.
constexpr double kMaxChangeSeconds = 40;
// The least a course changes in a tack (twice the angle to the wind) and in
// a gybe (twice the angle to dead downwind); less is a wind reading a few
// degrees off on a boat sailing close to the wind or by the lee.
constexpr double kMinTackTurn = 30;
constexpr double kMinGybeTurn = 6;
// A small turn across dead downwind that costs no speed at all is a course
// wandering about a wind known only to a few degrees, not a gybe.
constexpr double kQuietGybeTurn = 15;
constexpr double kQuietGybeSpeedShare = 0.97;

// Half turns count as 180, not -180.
double wrap180(double a) {
  const double folded = foldAngle(a);
  return folded == -180 ? 180 : folded;
}

// The wind once a second over the race, looked up without a search.
class WindTable {
 public:
  WindTable(const Race& race, double from, double to) : m_from(std::floor(from)) {
    const int n = std::max(0, static_cast<int>(std::ceil(to) - m_from) + 1);
    m_dir.resize(n);
    m_sin.resize(n);
    m_cos.resize(n);
    for (int i = 0; i < n; ++i) {
      m_dir[i] = trueWindAt(race, m_from + i);
      m_sin[i] = std::sin(m_dir[i] * M_PI / 180);
      m_cos[i] = std::cos(m_dir[i] * M_PI / 180);
    }
  }
  double at(double t) const { return m_dir.empty() ? 0 : m_dir[index(t)]; }
  double sinAt(double t) const { return m_dir.empty() ? 0 : m_sin[index(t)]; }
  double cosAt(double t) const { return m_dir.empty() ? 1 : m_cos[index(t)]; }

 private:
  int index(double t) const {
    return std::clamp(static_cast<int>(std::lround(t - m_from)), 0, static_cast<int>(m_dir.size()) - 1);
  }
  double m_from;
  std::vector<double> m_dir;
  std::vector<double> m_sin;
  std::vector<double> m_cos;
};

struct Run {
  int side;
  int first;  // seconds
  int last;
  int count;  // labelled seconds
};

std::vector<Run> settledRuns(const std::vector<int>& label, int t0) {
  std::vector<Run> runs;
  for (int i = 0; i < static_cast<int>(label.size()); ++i) {
    if (label[i] == 0) {
      continue;
    }
    if (!runs.empty() && runs.back().side == label[i]) {
      runs.back().last = t0 + i;
      ++runs.back().count;
    } else {
      runs.push_back({label[i], t0 + i, t0 + i, 1});
    }
  }
  // Drop short runs, shortest first, and join the neighbours they split.
  for (;;) {
    auto shortest = std::min_element(runs.begin(), runs.end(),
                                     [](const Run& a, const Run& b) { return a.count < b.count; });
    if (shortest == runs.end() || shortest->count >= kMinRunSeconds) {
      break;
    }
    const std::size_t i = static_cast<std::size_t>(shortest - runs.begin());
    runs.erase(shortest);
    if (i > 0 && i < runs.size() && runs[i - 1].side == runs[i].side) {
      runs[i - 1].last = runs[i].last;
      runs[i - 1].count += runs[i].count;
      runs.erase(runs.begin() + static_cast<long>(i));
    }
  }
  return runs;
}

void findBoatManoeuvres(const CourseResults& results, int b, const TrackGrid& grid, const WindTable& wind,
                        double from, double to, std::vector<Manoeuvre>& out) {
  const double h = std::max(grid.halfWindow(), grid.courseHalfWindow());
  const int t0 = static_cast<int>(std::ceil(std::max(from - 60, grid.firstTime() + h)));
  const int t1 = static_cast<int>(std::floor(std::min(to + 60, grid.lastTime() - h)));
  if (t1 <= t0) {
    return;
  }
  const int n = t1 - t0 + 1;
  // Sides from the velocity and wind vectors: no angle is needed until a
  // change of side is followed.
  std::vector<int> label(n, 0);
  const double cosMin = std::cos(kMinSideAngle * M_PI / 180);
  const double cosMax = std::cos(kMaxSideAngle * M_PI / 180);
  for (int i = 0; i < n; ++i) {
    double vx, vy, cx, cy;
    if (!grid.velocity(t0 + i, vx, vy) || !grid.courseVelocity(t0 + i, cx, cy)) {
      continue;
    }
    const double c = std::sqrt(cx * cx + cy * cy);
    if (vx * vx + vy * vy < kMinSpeed * kMinSpeed || c <= 0) {
      continue;
    }
    const double ws = wind.sinAt(t0 + i);
    const double wc = wind.cosAt(t0 + i);
    const double along = (cx * ws + cy * wc) / c;  // cosine of the angle to the wind
    if (along <= cosMin && along >= cosMax) {
      label[i] = cx * wc - cy * ws < 0 ? 1 : -1;
    }
  }
  auto twaAt = [&](int t) {
    double cx, cy;
    if (!grid.courseVelocity(t, cx, cy)) {
      return std::nan("");
    }
    return wrap180(Bearing(cy, cx) - wind.at(t));
  };
  const std::vector<Run> runs = settledRuns(label, t0);
  std::vector<Manoeuvre> boatOut;
  auto position = [&](double t, double& x, double& y) { return grid.position(t, x, y); };
  auto speed = [&](double t, double& v) {
    double vx, vy;
    if (!grid.velocity(t, vx, vy)) {
      return false;
    }
    v = std::sqrt(vx * vx + vy * vy);
    return true;
  };
  for (std::size_t r = 1; r < runs.size(); ++r) {
    const Run& a = runs[r - 1];
    const Run& c = runs[r];
    if (a.side == c.side || c.first - a.last > kMaxChangeSeconds) {
      continue;
    }
    // Follow the angle to the wind across the change, unwrapped: ending
    // within half a turn of the start means the bow went through the wind.
    double u = twaAt(a.last);
    const double startAngle = u;
    double crossing = std::nan("");
    bool gybe = false;
    for (int t = a.last + 1; t <= c.first; ++t) {
      const double next = twaAt(t);
      if (std::isnan(next)) {
        continue;
      }
      const double v = u + wrap180(next - wrap180(u));
      // Crossing 0 or +-180 between u and v.
      for (double boundary : {-180.0, 0.0, 180.0}) {
        if ((u - boundary) * (v - boundary) < 0 || (v == boundary && u != boundary)) {
          crossing = t - 1 + (boundary - u) / (v - u);
          gybe = boundary != 0;
        }
      }
      u = v;
    }
    if (std::isnan(crossing) || crossing < from || crossing > to) {
      continue;
    }
    bool rounding = false;
    for (int k = 1; k + 1 < results.itemCount; ++k) {
      const double pass = results.PassTime[b][k];
      rounding = rounding || (isPassed(pass) && std::fabs(crossing - pass) <= kRoundingSeconds);
    }
    if (rounding) {
      continue;
    }
    Manoeuvre m;
    m.boat = b;
    m.time = crossing;
    m.kind = gybe ? ManoeuvreKind::Gybe : ManoeuvreKind::Tack;
    double x0, y0, x1, y1;
    const double lead = crossing - kLossLeadSeconds;
    if (grid.position(lead - kVmgBeforeSeconds, x0, y0) && grid.position(lead, x1, y1)) {
      m.courseBefore = Bearing(y1 - y0, x1 - x0);
      m.speedBefore = std::hypot(x1 - x0, y1 - y0) / kVmgBeforeSeconds * kKnotsPerMetrePerSecond;
    }
    if (m.speedBefore < 1) {
      continue;  // drifting, not sailing
    }
    if (grid.position(crossing + 10, x0, y0) && grid.position(crossing + 30, x1, y1)) {
      m.courseAfter = Bearing(y1 - y0, x1 - x0);
    }
    // The turn is the larger of the change between the settled courses and
    // the sweep across the change, so that a penalty circle, which ends
    // on the course it began, still shows its tack and its gybe.
    const double turned =
        std::fmax(std::fabs(wrap180(m.courseAfter - m.courseBefore)), std::fabs(u - startAngle));
    if (turned < (gybe ? kMinGybeTurn : kMinTackTurn)) {
      continue;  // false when neither is known (NaN): kept
    }

    LossMeasure loss;
    if (measureLoss(crossing, m.kind, wind.at(crossing), position, speed, loss)) {
      m.lowestSpeed = loss.lowestSpeed * kKnotsPerMetrePerSecond;
      if (loss.regained) {
        m.regainSeconds = loss.regainTime - crossing;
      }
      m.metresLost = loss.metresLost;
      if (m.kind == ManoeuvreKind::Gybe && turned < kQuietGybeTurn &&
          loss.lowestSpeed >= kQuietGybeSpeedShare * loss.speedBefore) {
        continue;
      }
    }
    // Through the wind and straight back: neither counts.
    if (!boatOut.empty() && boatOut.back().kind == m.kind &&
        m.time - boatOut.back().time < kThereAndBackSeconds) {
      boatOut.pop_back();
      continue;
    }
    boatOut.push_back(m);
  }
  out.insert(out.end(), boatOut.begin(), boatOut.end());
}

}  // namespace

double trueWindAt(const Race& race, double t) {
  const std::vector<WindSample>& s = race.wind;
  if (s.empty()) {
    return std::fmod(race.WindAxis % 360 + 360.0, 360);
  }
  double dir = s.front().dir;
  if (t >= s.back().time) {
    dir = s.back().dir;
  } else if (t > s.front().time) {
    // The pair that brackets t; logs are in time order, so a search finds
    // it, and a log out of order is walked as the scene walks it.
    const auto it =
        std::upper_bound(s.begin(), s.end(), t, [](double v, const WindSample& w) { return v < w.time; });
    std::size_t c = static_cast<std::size_t>(it - s.begin()) - 1;
    if (it == s.begin() || it == s.end() || !(s[c].time <= t && t < s[c + 1].time)) {
      c = 0;
      while (c + 1 < s.size() && !(s[c].time <= t && t < s[c + 1].time)) {
        ++c;
      }
    }
    if (c + 1 < s.size()) {
      const double f = (t - s[c].time) / (s[c + 1].time - s[c].time);
      dir = s[c].dir + wrap180(s[c + 1].dir - s[c].dir) * f;
    }
  }
  return std::fmod(dir + race.MagVariation + 720, 360);
}

std::vector<Manoeuvre> FindManoeuvres(const Race& race, const CourseResults& results, double cosCentreLat) {
  std::vector<Manoeuvre> out;
  const std::optional<StartLine> line = raceStartLine(race, results, cosCentreLat);
  GeoPoint origin;
  if (line) {
    origin = line->origin;
  } else {
    for (const Boat& boat : race.boats) {
      if (!boat.fixes.empty()) {
        origin = {boat.fixes.front().lat, boat.fixes.front().lon};
        break;
      }
    }
  }
  double first = 0, last = 0;
  for (const Boat& boat : race.boats) {
    if (!boat.fixes.empty()) {
      first = std::min(first, boat.fixes.front().time);
      last = std::max(last, boat.fixes.back().time);
    }
  }
  // Only the race is looked at: a fix stamped days off must not make the
  // table huge.
  const WindTable wind(race, std::max(first, -kSearchMarginSeconds) - 1,
                       std::min(last, kMaxRaceSeconds + kSearchMarginSeconds) + 1);
  // Boats are independent: each is sampled and searched on a thread of its
  // own, and the lists are joined in boat order.
  std::vector<std::vector<Manoeuvre>> perBoat(std::max(0, race.BoatCount()));
  const auto findFor = [&](int b) {
    // From the start (the gun when the boat's start is not known) to the
    // finish, or the end of the log; the start is sought on the same
    // sampled track.
    const double finish = results.finished(b) ? results.PassTime[b][results.itemCount - 1] : 1e12;
    const TrackGrid grid(race.boats[b], origin, cosCentreLat, -kSearchMarginSeconds,
                         finish + kSearchMarginSeconds);
    if (grid.empty()) {
      return;
    }
    double from = 0;
    if (line) {
      const BoatStart start = analyseStart(*line, grid, results, b);
      if (!std::isnan(start.crossTime)) {
        from = start.crossTime;
      }
    }
    const double to = std::min(grid.lastTime(), finish);
    findBoatManoeuvres(results, b, grid, wind, from, to, perBoat[b]);
  };
  {
    const int count = static_cast<int>(perBoat.size());
    OrderedWork work(count, std::min(count, OrderedWork::defaultThreads()), findFor);
    for (int b = 0; b < count; ++b) {
      work.waitFor(b);
    }
  }
  for (std::vector<Manoeuvre>& boat : perBoat) {
    out.insert(out.end(), boat.begin(), boat.end());
  }
  return out;
}

std::vector<ManoeuvreTally> TallyManoeuvres(const std::vector<Manoeuvre>& manoeuvres, int boatCount) {
  std::vector<ManoeuvreTally> tally(std::max(0, boatCount));
  std::vector<int> measured(tally.size(), 0);
  std::vector<double> lost(tally.size(), 0);
  for (const Manoeuvre& m : manoeuvres) {
    if (m.boat < 0 || m.boat >= boatCount) {
      continue;
    }
    ManoeuvreTally& t = tally[m.boat];
    (m.kind == ManoeuvreKind::Tack ? t.tacks : t.gybes) += 1;
    if (!std::isnan(m.metresLost)) {
      lost[m.boat] += m.metresLost;
      ++measured[m.boat];
    }
  }
  for (std::size_t b = 0; b < tally.size(); ++b) {
    if (measured[b] > 0) {
      tally[b].meanMetresLost = lost[b] / measured[b];
    }
  }
  return tally;
}

}  // namespace velaro
