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
constexpr double kInfinity = std::numeric_limits<double>::infinity();
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
// The courses and speed that tell a manoeuvre from a wandering course: over
// 20 s ending 10 s before the change of side, and from 10 to 30 s after it.
constexpr double kCourseLeadSeconds = 10;
constexpr double kCourseSeconds = 20;
// A fix this far off the cleaned track is a spike it left out.
constexpr double kSpikeMetres = 25;
constexpr double kSteadyHalfSeconds = 4;

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

// The boat's fixes inside [from, to] in local metres, without the spikes the
// grid left out.
std::vector<TrackPoint> fixesBetween(const Boat& boat, const TrackGrid& grid, GeoPoint origin,
                                     double cosCentreLat, double from, double to) {
  std::vector<TrackPoint> points;
  const auto first = std::lower_bound(boat.fixes.begin(), boat.fixes.end(), from,
                                      [](const Fix& f, double t) { return f.time < t; });
  for (auto it = first; it != boat.fixes.end() && it->time <= to; ++it) {
    if (!points.empty() && it->time <= points.back().t) {
      continue;
    }
    TrackPoint p{it->time, 0, 0};
    TrackGrid::toLocal({it->lat, it->lon}, origin, cosCentreLat, p.x, p.y);
    double gx, gy;
    if (grid.position(p.t, gx, gy) && std::hypot(gx - p.x, gy - p.y) <= kSpikeMetres) {
      points.push_back(p);
    }
  }
  return points;
}

void findBoatManoeuvres(const Boat& boat, GeoPoint origin, double cosCentreLat, const CourseResults& results,
                        int b, const TrackGrid& grid, const WindTable& wind, double from, double to,
                        std::vector<Manoeuvre>& out) {
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
  // What disturbs the sailing near a manoeuvre: the start, the roundings
  // and the luffs through the wind and back.
  std::vector<double> events = {from};
  for (int k = 1; k < results.itemCount; ++k) {
    if (isPassed(results.PassTime[b][k])) {
      events.push_back(results.PassTime[b][k]);
    }
  }
  auto position = [&](double t, double& x, double& y) { return grid.position(t, x, y); };
  auto speed = [&](double t, double& v) {
    double vx, vy;
    if (!grid.velocity(t, vx, vy)) {
      return false;
    }
    v = std::sqrt(vx * vx + vy * vy);
    return true;
  };
  // Whether the boat is back up to speed is judged over a few seconds more,
  // so that a fix's error does not end the manoeuvre early.
  auto steadySpeed = [&](double t, double& v) {
    double vx, vy;
    if (!grid.velocity(t, std::max(kSteadyHalfSeconds, grid.halfWindow()), vx, vy)) {
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
    const double lead = crossing - kCourseLeadSeconds;
    if (grid.position(lead - kCourseSeconds, x0, y0) && grid.position(lead, x1, y1)) {
      m.courseBefore = Bearing(y1 - y0, x1 - x0);
      m.speedBefore = std::hypot(x1 - x0, y1 - y0) / kCourseSeconds * kKnotsPerMetrePerSecond;
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

    if (m.kind == ManoeuvreKind::Gybe && turned < kQuietGybeTurn) {
      double lowest = kInfinity;
      for (double s = crossing - kLossLeadSeconds; s <= crossing + kRegainMinSeconds; s += 1) {
        double v;
        if (speed(s, v)) {
          lowest = std::min(lowest, v * kKnotsPerMetrePerSecond);
        }
      }
      if (lowest < kInfinity && lowest >= kQuietGybeSpeedShare * m.speedBefore) {
        continue;
      }
    }
    // Through the wind and straight back: neither counts, but the boat
    // slowed for it.
    if (!boatOut.empty() && boatOut.back().kind == m.kind &&
        m.time - boatOut.back().time < kThereAndBackSeconds) {
      events.push_back(boatOut.back().time);
      events.push_back(m.time);
      boatOut.pop_back();
      continue;
    }
    boatOut.push_back(m);
  }
  for (const Manoeuvre& m : boatOut) {
    events.push_back(m.time);
  }
  std::sort(events.begin(), events.end());
  for (Manoeuvre& m : boatOut) {
    // The neighbours either side, the manoeuvre itself left out.
    double previous = -kInfinity;
    double next = kInfinity;
    for (double e : events) {
      if (e < m.time - 0.5) {
        previous = e;
      } else if (e > m.time + 0.5) {
        next = e;
        break;
      }
    }
    LossMeasure loss;
    if (!chooseLossWindows(m.time, previous, next, position, steadySpeed, loss)) {
      continue;
    }
    m.lowestSpeed = loss.lowestSpeed * kKnotsPerMetrePerSecond;
    if (loss.regained) {
      m.regainSeconds = loss.regainTime - m.time;
    }
    if (!loss.windows.valid()) {
      continue;
    }
    const std::vector<TrackPoint> points =
        fixesBetween(boat, grid, origin, cosCentreLat, loss.windows.beforeFrom, loss.windows.afterTo);
    // Each window must be covered without a gap.
    double x, y;
    bool covered = true;
    for (double s = loss.windows.beforeFrom; s <= loss.windows.afterTo && covered; s += 1) {
      covered = (s > loss.windows.beforeTo && s < loss.windows.afterFrom) || grid.position(s, x, y);
    }
    if (covered) {
      m.metresLost = lossBetweenLines(points, loss.windows, m.kind, wind.at(m.time), kGpsErrorSeconds);
    }
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
    findBoatManoeuvres(race.boats[b], origin, cosCentreLat, results, b, grid, wind, from, to, perBoat[b]);
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

// Both lines are fitted together, to the velocity made good (the position
// along the wind) against time, so that the error a fix shares with the
// fixes about it weighs as it should: with it whitened (each fix less the
// part of the error it shares with the one before), the fit is ordinary
// least squares of four unknowns, the two lines' positions at the middle
// of the gap and their velocities.
double lossBetweenLines(const std::vector<TrackPoint>& points, const LossWindows& windows, ManoeuvreKind kind,
                        double windDir, double noiseSeconds) {
  const double sign = kind == ManoeuvreKind::Tack ? 1.0 : -1.0;
  const double ux = std::sin(windDir * M_PI / 180) * sign;
  const double uy = std::cos(windDir * M_PI / 180) * sign;
  const double middle = (windows.beforeTo + windows.afterFrom) / 2;
  double normal[4][5] = {};
  double lastT = 0, lastZ = 0;
  double lastRow[4] = {};
  int before = 0, after = 0;
  bool first = true;
  for (const TrackPoint& p : points) {
    const bool isBefore = p.t >= windows.beforeFrom && p.t <= windows.beforeTo;
    const bool isAfter = p.t >= windows.afterFrom && p.t <= windows.afterTo;
    if (!isBefore && !isAfter) {
      continue;
    }
    before += isBefore ? 1 : 0;
    after += isAfter ? 1 : 0;
    const double z = p.x * ux + p.y * uy;
    const double u = p.t - middle;
    const double row[4] = {isBefore ? 1.0 : 0.0, isBefore ? u : 0.0, isAfter ? 1.0 : 0.0, isAfter ? u : 0.0};
    double white[4];
    double whiteZ = z;
    std::copy(row, row + 4, white);
    if (!first && noiseSeconds > 0) {
      const double r = std::exp(-(p.t - lastT) / noiseSeconds);
      const double g = 1 / std::sqrt(1 - r * r);
      whiteZ = (z - r * lastZ) * g;
      for (int k = 0; k < 4; ++k) {
        white[k] = (row[k] - r * lastRow[k]) * g;
      }
    }
    first = false;
    lastT = p.t;
    lastZ = z;
    std::copy(row, row + 4, lastRow);
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        normal[i][j] += white[i] * white[j];
      }
      normal[i][4] += white[i] * whiteZ;
    }
  }
  if (before < 2 || after < 2) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  // Gauss-Jordan with partial pivoting on the 4 x 4 normal equations.
  for (int c = 0; c < 4; ++c) {
    int pivot = c;
    for (int r = c + 1; r < 4; ++r) {
      if (std::fabs(normal[r][c]) > std::fabs(normal[pivot][c])) {
        pivot = r;
      }
    }
    std::swap(normal[c], normal[pivot]);
    if (std::fabs(normal[c][c]) < 1e-12) {
      return std::numeric_limits<double>::quiet_NaN();
    }
    for (int r = 0; r < 4; ++r) {
      if (r != c) {
        const double f = normal[r][c] / normal[c][c];
        for (int k = c; k < 5; ++k) {
          normal[r][k] -= f * normal[c][k];
        }
      }
    }
  }
  return normal[0][4] / normal[0][0] - normal[2][4] / normal[2][2];
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
