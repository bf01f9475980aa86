#include "core/newrace/raceinference.h"

#include "core/datetime.h"

#include <QDateTime>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>

namespace velaro {

// The race is read out of the tracks in the order a race officer would:
// 1. every log on a one-second grid in metres around the fleet's middle;
// 2. turns of 50 to 130 degrees between steady courses are tacks or gybes:
//    their mid-headings fall into two groups half a circle apart, and the
//    group whose turns cost more speed are the tacks, whose mid-heading is
//    the wind;
// 3. the gun is when the fleet crosses one line across the wind within
//    seconds: the level up the wind where the boats' last upward crossings
//    bunch tightest is the start line;
// 4. marks are places where most boats turn: tacks are spread over the
//    course, roundings are not;
// 5. the finish is where the boats stop racing after the last mark.
// Every estimate says what it rests on.

namespace {

constexpr double kMetresPerMinute = 1852.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kMinSailingSpeed = 1.0;  // m/s; slower is drifting, not sailing
constexpr int kMaxGapSeconds = 30;        // a longer gap in a log is not bridged
// Boats sail on this long after finishing before they ease sheets.
constexpr int kSailOnSeconds = 20;

double normDeg(double a) {
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360.0 : a;
}

// a - b folded into -180..180.
double diffDeg(double a, double b) {
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

double rad(double deg) {
  return deg * kPi / 180.0;
}

double deg(double r) {
  return r * 180.0 / kPi;
}

double median(std::vector<double> v) {
  if (v.empty()) {
    return std::nan("");
  }
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) {
    return std::nan("");
  }
  std::sort(v.begin(), v.end());
  const double at = p * static_cast<double>(v.size() - 1);
  const std::size_t i = static_cast<std::size_t>(at);
  const double f = at - static_cast<double>(i);
  return i + 1 < v.size() ? v[i] * (1 - f) + v[i + 1] * f : v[i];
}

struct Circular {
  double mean = 0;    // degrees
  double spread = 0;  // circular standard deviation, degrees
  int count = 0;
};

// Mean direction of angles; each weighted.
Circular circularMean(const std::vector<double>& angles, const std::vector<double>* weights = nullptr) {
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
Circular robustMean(const std::vector<double>& angles, double keepWithinDeg) {
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
Vec2 bearingVec(double bearingDeg) {
  return {std::sin(rad(bearingDeg)), std::cos(rad(bearingDeg))};
}

double dot(Vec2 a, Vec2 b) {
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

QString Inference::clock(int t) const {
  return fromDateTime(dateTimeOf(t)).toString(QStringLiteral("HH:mm:ss"));
}

void Inference::buildTracks() {
  double minTime = 1e300;
  std::vector<double> lats;
  std::vector<double> lons;
  for (const InputLog& log : m_logs) {
    minTime = std::min(minTime, log.fixes.front().timeUtc);
    const std::size_t step = std::max<std::size_t>(1, log.fixes.size() / 2000);
    for (std::size_t i = 0; i < log.fixes.size(); i += step) {
      lats.push_back(log.fixes[i].lat);
      lons.push_back(log.fixes[i].lon);
    }
  }
  m_epoch = std::floor(minTime * kSecondsPerDay) / kSecondsPerDay;
  m_frame.centreLat = median(lats);
  m_frame.centreLon = median(lons);
  m_frame.lonScale = std::cos(rad(m_frame.centreLat / 60.0));

  for (std::size_t k = 0; k < m_logs.size(); ++k) {
    const std::vector<RawFix>& fixes = m_logs[k].fixes;
    Track track;
    track.log = static_cast<int>(k);
    std::vector<double> times(fixes.size());
    for (std::size_t i = 0; i < fixes.size(); ++i) {
      times[i] = (fixes[i].timeUtc - m_epoch) * kSecondsPerDay;
    }
    track.first = static_cast<int>(std::ceil(times.front() - 1e-6));
    const int last = static_cast<int>(std::floor(times.back() + 1e-6));
    const int n = std::max(0, last - track.first + 1);
    track.pos.resize(static_cast<std::size_t>(n));
    track.valid.assign(static_cast<std::size_t>(n), 0);
    std::vector<double> gaps;
    std::size_t j = 0;
    for (int i = 0; i < n; ++i) {
      const double t = track.first + i;
      while (j + 1 < times.size() && times[j + 1] < t - 1e-6) {
        ++j;
      }
      if (j + 1 >= times.size()) {
        if (std::fabs(times[j] - t) < 1e-3) {
          track.pos[static_cast<std::size_t>(i)] = m_frame.toLocal(fixes[j].lat, fixes[j].lon);
          track.valid[static_cast<std::size_t>(i)] = 1;
        }
        continue;
      }
      const double span = times[j + 1] - times[j];
      if (span > kMaxGapSeconds) {
        continue;
      }
      const double f = span > 0 ? std::clamp((t - times[j]) / span, 0.0, 1.0) : 0.0;
      const Vec2 a = m_frame.toLocal(fixes[j].lat, fixes[j].lon);
      const Vec2 b = m_frame.toLocal(fixes[j + 1].lat, fixes[j + 1].lon);
      track.pos[static_cast<std::size_t>(i)] = {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f};
      track.valid[static_cast<std::size_t>(i)] = 1;
    }
    for (std::size_t i = 1; i < times.size(); i += std::max<std::size_t>(1, times.size() / 500)) {
      gaps.push_back(times[i] - times[i - 1]);
    }
    track.interval = std::clamp(roundToInt(median(gaps)), 1, 10);
    // Course and speed over a span of a few fixes either side: single fixes
    // carry metres of error that would make the course jitter.
    const int h = std::max(3, track.interval);
    track.heading.assign(static_cast<std::size_t>(n), std::nan(""));
    track.speed.assign(static_cast<std::size_t>(n), 0.0);
    track.unitX.assign(static_cast<std::size_t>(n), 0.0);
    track.unitY.assign(static_cast<std::size_t>(n), 0.0);
    for (int i = h; i + h < n; ++i) {
      const auto a = static_cast<std::size_t>(i - h);
      const auto b = static_cast<std::size_t>(i + h);
      if (!track.valid[a] || !track.valid[b]) {
        continue;
      }
      const double dx = track.pos[b].x - track.pos[a].x;
      const double dy = track.pos[b].y - track.pos[a].y;
      const double v = distance2d(dx, dy) / (2.0 * h);
      track.speed[static_cast<std::size_t>(i)] = v;
      if (v >= kMinSailingSpeed) {
        // The float arc tangent is exact to far better than a degree and,
        // unlike the double one, never falls into a slow path.
        track.heading[static_cast<std::size_t>(i)] =
            normDeg(deg(std::atan2(static_cast<float>(dx), static_cast<float>(dy))));
        track.unitX[static_cast<std::size_t>(i)] = dx / (v * 2.0 * h);
        track.unitY[static_cast<std::size_t>(i)] = dy / (v * 2.0 * h);
      }
    }
    m_tracks.push_back(std::move(track));
  }

  // The span where at least half of the logs run.
  std::vector<double> firsts;
  std::vector<double> lasts;
  for (const Track& t : m_tracks) {
    firsts.push_back(t.first);
    lasts.push_back(t.last());
  }
  m_spanStart = roundToInt(percentile(firsts, 0.5));
  m_spanEnd = roundToInt(percentile(lasts, 0.5));
  if (m_spanEnd <= m_spanStart) {
    m_spanStart = static_cast<int>(*std::min_element(firsts.begin(), firsts.end()));
    m_spanEnd = static_cast<int>(*std::max_element(lasts.begin(), lasts.end()));
  }
}

// Turns of 45 to 135 degrees between two courses each held steady for a
// quarter of a minute; the strongest within half a minute stands for them.
void Inference::findTurns() {
  for (std::size_t b = 0; b < m_tracks.size(); ++b) {
    const Track& tr = m_tracks[b];
    const int n = static_cast<int>(tr.pos.size());
    const int near = std::max(6, 2 * tr.interval);
    const int far = near + std::max(14, 3 * tr.interval);
    // Prefix sums of the course's unit vector make each window's mean cheap.
    std::vector<double> sc(static_cast<std::size_t>(n) + 1, 0);
    std::vector<double> ss(static_cast<std::size_t>(n) + 1, 0);
    std::vector<int> sn(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 0; i < n; ++i) {
      const double h = tr.heading[static_cast<std::size_t>(i)];
      const bool ok = !std::isnan(h);
      sc[static_cast<std::size_t>(i) + 1] =
          sc[static_cast<std::size_t>(i)] + (ok ? tr.unitY[static_cast<std::size_t>(i)] : 0);
      ss[static_cast<std::size_t>(i) + 1] =
          ss[static_cast<std::size_t>(i)] + (ok ? tr.unitX[static_cast<std::size_t>(i)] : 0);
      sn[static_cast<std::size_t>(i) + 1] = sn[static_cast<std::size_t>(i)] + (ok ? 1 : 0);
    }
    // Mean course vector over samples [from, to); false unless steady and
    // sailed. The angle is taken only for the few windows that turn.
    auto window = [&](int from, int to, double* c, double* s) {
      const int count = sn[static_cast<std::size_t>(to)] - sn[static_cast<std::size_t>(from)];
      if (count < (to - from) * 3 / 4) {
        return false;
      }
      *c = sc[static_cast<std::size_t>(to)] - sc[static_cast<std::size_t>(from)];
      *s = ss[static_cast<std::size_t>(to)] - ss[static_cast<std::size_t>(from)];
      return *c * *c + *s * *s >= 0.95 * 0.95 * count * count;
    };
    const double cos45 = std::cos(rad(45));
    std::vector<Turn> found;
    for (int i = far; i + far < n; ++i) {
      double c1 = 0;
      double s1 = 0;
      double c2 = 0;
      double s2 = 0;
      if (!window(i - far, i - near, &c1, &s1) || !window(i + near + 1, i + far + 1, &c2, &s2)) {
        continue;
      }
      if (c1 * c2 + s1 * s2 > cos45 * std::sqrt((c1 * c1 + s1 * s1) * (c2 * c2 + s2 * s2))) {
        continue;  // less than 45 degrees between the two courses
      }
      const double before = normDeg(deg(std::atan2(s1, c1)));
      const double after = normDeg(deg(std::atan2(s2, c2)));
      const double turn = diffDeg(after, before);
      Turn t;
      t.boat = static_cast<int>(b);
      t.t = tr.first + i;
      t.before = before;
      t.after = after;
      t.turn = turn;
      t.pos = tr.at(t.t);
      double slowest = 1e9;
      double speedBefore = 0;
      for (int k = i - far; k < i - near; ++k) {
        speedBefore += tr.speed[static_cast<std::size_t>(k)];
      }
      speedBefore /= far - near;
      for (int k = i - near; k <= i + near; ++k) {
        slowest = std::min(slowest, tr.speed[static_cast<std::size_t>(k)]);
      }
      t.speedLoss = speedBefore > 0 ? slowest / speedBefore : 1.0;
      if (!found.empty() && t.t - found.back().t < 30) {
        // The same turn seen from the next second: keep the sharper view,
        // whose windows sit on either side of it.
        if (std::fabs(t.turn) > std::fabs(found.back().turn)) {
          found.back() = t;
        }
        continue;
      }
      found.push_back(t);
    }
    // The centre of a turn is where the course changes fastest, between the
    // two windows that see it best: move the time to the middle of the turn.
    for (Turn& t : found) {
      double best = -1;
      int at = t.t;
      for (int k = t.t - near; k <= t.t + near; ++k) {
        const double h1 = tr.headingAt(k - 2);
        const double h2 = tr.headingAt(k + 2);
        if (std::isnan(h1) || std::isnan(h2)) {
          continue;
        }
        const double rate = std::fabs(diffDeg(h2, h1));
        if (rate > best) {
          best = rate;
          at = k;
        }
      }
      t.t = at;
      if (tr.has(at)) {
        t.pos = tr.at(at);
      }
    }
    m_turns.insert(m_turns.end(), found.begin(), found.end());
  }
}

// Tacks and gybes: their mid-headings lie in two groups half a circle apart.
// The wind blows from the mid-heading of a tack and towards that of a gybe.
// A tack passes through the wind and costs more speed than a gybe, and the
// boats turn through more of the compass in it.
void Inference::estimateWind() {
  if (m_hints.windDirTrue) {
    m_wind = normDeg(*m_hints.windDirTrue);
    m_windKnown = true;
  }
  std::vector<const Turn*> manoeuvres;
  std::vector<double> doubled;
  for (const Turn& t : m_turns) {
    if (std::fabs(t.turn) <= 130) {
      manoeuvres.push_back(&t);
      doubled.push_back(normDeg(2 * t.mid()));
    }
  }
  if (doubled.empty()) {
    return;
  }
  double axis = circularMean(doubled).mean / 2;
  if (m_windKnown) {
    axis = m_wind;
  }
  std::vector<const Turn*> groupA;
  std::vector<const Turn*> groupB;
  for (const Turn* t : manoeuvres) {
    (std::fabs(diffDeg(t->mid(), axis)) < 90 ? groupA : groupB).push_back(t);
  }
  auto medianOf = [](const std::vector<const Turn*>& g, auto value) {
    std::vector<double> v;
    for (const Turn* t : g) {
      v.push_back(value(*t));
    }
    return median(v);
  };
  bool aTacks = true;
  if (m_windKnown) {
    aTacks = true;  // the axis is the wind itself
  } else if (groupB.empty() || groupA.empty()) {
    const auto& g = groupA.empty() ? groupB : groupA;
    const bool tacks = medianOf(g, [](const Turn& t) { return t.speedLoss; }) < 0.8 ||
                       medianOf(g, [](const Turn& t) { return std::fabs(t.turn); }) > 75;
    aTacks = groupA.empty() ? !tacks : tacks;
  } else {
    const double lossA = medianOf(groupA, [](const Turn& t) { return t.speedLoss; });
    const double lossB = medianOf(groupB, [](const Turn& t) { return t.speedLoss; });
    const double turnA = medianOf(groupA, [](const Turn& t) { return std::fabs(t.turn); });
    const double turnB = medianOf(groupB, [](const Turn& t) { return std::fabs(t.turn); });
    const double vote = (lossB - lossA) / 0.1 + (turnA - turnB) / 15.0 +
                        (static_cast<double>(groupA.size()) - static_cast<double>(groupB.size())) /
                            std::max<double>(4.0, static_cast<double>(groupA.size() + groupB.size()) / 4.0);
    aTacks = vote >= 0;
  }
  const auto& tacks = aTacks ? groupA : groupB;
  const auto& gybes = aTacks ? groupB : groupA;
  std::vector<double> all;
  for (const Turn* t : tacks) {
    m_windPoints.emplace_back(t->t, t->mid());
    all.push_back(t->mid());
  }
  for (const Turn* t : gybes) {
    m_windPoints.emplace_back(t->t, normDeg(t->mid() + 180));
    all.push_back(normDeg(t->mid() + 180));
  }
  std::sort(m_windPoints.begin(), m_windPoints.end());
  if (!m_windKnown) {
    m_wind = robustMean(all, 25).mean;
    m_windKnown = true;
  }
  // Angles of the boats, for the laylines.
  std::vector<double> tackAngles;
  std::vector<double> gybeAngles;
  for (const Turn* t : tacks) {
    tackAngles.push_back(std::fabs(t->turn));
  }
  for (const Turn* t : gybes) {
    gybeAngles.push_back(std::fabs(t->turn));
  }
  if (!tackAngles.empty()) {
    m_out.beatAngle = std::clamp(roundToInt(median(tackAngles) / 2), 30, 60);
  }
  if (!gybeAngles.empty()) {
    m_out.runAngle = std::clamp(roundToInt(180 - median(gybeAngles) / 2), 120, 175);
  }
  m_tackCount = static_cast<int>(tacks.size());
  m_gybeCount = static_cast<int>(gybes.size());
}

// The wind of each minute: the tacks and gybes of the ten minutes around it,
// the nearer weighing more; single manoeuvres far off the race's wind are
// boats bearing away or luffing, not the wind.
void Inference::buildWindTable() {
  int first = m_spanStart;
  int last = m_spanEnd;
  for (const Track& t : m_tracks) {
    first = std::min(first, t.first);
    last = std::max(last, t.last());
  }
  m_windTableStart = first - first % 60;
  const int minutes = (last - m_windTableStart) / 60 + 2;
  m_windTable.assign(static_cast<std::size_t>(std::max(1, minutes)), m_wind);
  if (m_hints.windDirTrue || m_windPoints.empty()) {
    return;
  }
  constexpr double kSigma = 300;
  for (int m = 0; m < minutes; ++m) {
    const double t = m_windTableStart + m * 60.0;
    std::vector<double> angles;
    std::vector<double> weights;
    for (const auto& [when, dir] : m_windPoints) {
      const double d = (when - t) / kSigma;
      if (std::fabs(d) > 3 || std::fabs(diffDeg(dir, m_wind)) > 25) {
        continue;
      }
      angles.push_back(dir);
      weights.push_back(std::exp(-0.5 * d * d));
    }
    const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
    if (total < 1.0) {
      // Too few manoeuvres near this minute: lean on the race's wind.
      angles.push_back(m_wind);
      weights.push_back(1.0 - total);
    }
    m_windTable[static_cast<std::size_t>(m)] = circularMean(angles, &weights).mean;
  }
}

double Inference::windAt(int t) const {
  if (m_windTable.empty()) {
    return m_wind;
  }
  const int m = std::clamp((t - m_windTableStart) / 60, 0, static_cast<int>(m_windTable.size()) - 1);
  return m_windTable[static_cast<std::size_t>(m)];
}

// The start: the fleet turns from waiting to beating all at once. Roughly
// first, from the fleet's speed up the wind; then the level up the wind where
// the boats' last upward crossings bunch tightest, which is the line they
// timed their start on.
void Inference::findStart() {
  const int n = static_cast<int>(m_tracks.size());
  m_startCross.assign(static_cast<std::size_t>(n), INT_MIN);
  int rough = m_spanStart;
  if (m_hints.gunUtc) {
    rough = secondsOf(*m_hints.gunUtc);
  } else {
    std::vector<std::pair<int, double>> fleet;
    std::vector<double> v;
    for (int t = m_spanStart; t + 30 <= m_spanEnd; t += 5) {
      v.clear();
      const Vec2 upNow = bearingVec(windAt(t));
      const Vec2 upLater = bearingVec(windAt(t + 30));
      for (const Track& tr : m_tracks) {
        if (tr.has(t) && tr.has(t + 30)) {
          v.push_back((dot(tr.at(t + 30), upLater) - dot(tr.at(t), upNow)) / 30.0);
        }
      }
      if (static_cast<int>(v.size()) * 2 >= n) {
        fleet.emplace_back(t, median(v));
      }
    }
    if (fleet.empty()) {
      return;
    }
    std::vector<double> speeds;
    for (const auto& f : fleet) {
      speeds.push_back(f.second);
    }
    const double high = percentile(speeds, 0.9);
    if (high <= 0.3) {
      return;
    }
    bool found = false;
    for (std::size_t i = 0; i < fleet.size() && !found; ++i) {
      int good = 0;
      int all = 0;
      for (std::size_t j = i; j < fleet.size() && fleet[j].first < fleet[i].first + 240; ++j) {
        ++all;
        good += fleet[j].second >= 0.5 * high ? 1 : 0;
      }
      if (fleet[i].second >= 0.5 * high && all >= 20 && good * 5 >= all * 4) {
        rough = fleet[i].first;
        found = true;
      }
    }
    if (!found) {
      return;
    }
  }
  const int from = std::max(m_spanStart, rough - 600) - 240;
  const int to = rough + 840;
  // One wind for the whole start: a wind turning under it would move the
  // boats up and down the course.
  const Vec2 startUp = bearingVec(windAt(rough));
  std::vector<std::vector<double>> up(static_cast<std::size_t>(n));
  for (int b = 0; b < n; ++b) {
    const Track& tr = m_tracks[static_cast<std::size_t>(b)];
    auto& u = up[static_cast<std::size_t>(b)];
    u.assign(static_cast<std::size_t>(to - from + 1), std::nan(""));
    for (int t = from; t <= to; ++t) {
      if (tr.has(t)) {
        u[static_cast<std::size_t>(t - from)] = dot(tr.at(t), startUp);
      }
    }
  }
  auto upAt = [&](int b, int t) {
    return t < from || t > to ? std::nan("")
                              : up[static_cast<std::size_t>(b)][static_cast<std::size_t>(t - from)];
  };
  // The last moment, within four minutes either side of the gun, a boat came
  // up through level and stayed above it; NaN when it never was below, or
  // ends below.
  auto crossing = [&](int b, double level, int gun) {
    int t = std::min(to, gun + 240);
    const int first = std::max(from, gun - 240);
    while (t >= first && std::isnan(upAt(b, t))) {
      --t;
    }
    if (t < first || upAt(b, t) < level) {
      return std::nan("");
    }
    while (t > first && (std::isnan(upAt(b, t - 1)) || upAt(b, t - 1) >= level)) {
      --t;
    }
    if (t == first) {
      return std::nan("");
    }
    const double a = upAt(b, t - 1);
    const double c = upAt(b, t);
    return t - 1 + (level - a) / (c - a);
  };
  // At the gun every boat is below the line but the few that are over
  // early (or whose clock runs wrong): the line lies just above the highest
  // of the others. How many are over is not known: each count is tried.
  std::vector<int> overCounts = {0, 1, 2, 3, 4, n / 10, n / 5};
  std::sort(overCounts.begin(), overCounts.end());
  overCounts.erase(std::unique(overCounts.begin(), overCounts.end()), overCounts.end());
  auto levelAt = [&](int gun, int over) {
    std::vector<double> at;
    for (int b = 0; b < n; ++b) {
      if (!std::isnan(upAt(b, gun))) {
        at.push_back(upAt(b, gun));
      }
    }
    if (static_cast<int>(at.size()) <= over || at.size() * 2 < static_cast<std::size_t>(n)) {
      return std::nan("");
    }
    std::sort(at.begin(), at.end(), std::greater<>());
    return at[static_cast<std::size_t>(over)] + 1.0;
  };
  // A gun's score: the most boats that cross one of its lines within 20 s
  // after it.
  auto scoreOf = [&](int gun, double* bestLevel) {
    int best = 0;
    for (int over : overCounts) {
      const double level = levelAt(gun, over);
      if (std::isnan(level)) {
        continue;
      }
      int score = 0;
      for (int b = 0; b < n; ++b) {
        const double c = crossing(b, level, gun);
        score += c >= gun - 2 && c <= gun + 30 ? 1 : 0;
      }
      if (score > best) {
        best = score;
        if (bestLevel) {
          *bestLevel = level;
        }
      }
    }
    return best;
  };
  // At the gun the fleet turns from holding below the line to racing: the
  // fleet's speed in the minute after it less that in the minute before the
  // last half minute is largest then. Starting signals are made on the minute;
  // a start off the minute is looked for every 5 s when no minute fits.
  auto contrastOf = [&](int gun) {
    std::vector<double> after;
    std::vector<double> before;
    for (const Track& tr : m_tracks) {
      double a = 0;
      double c = 0;
      int na = 0;
      int nc = 0;
      for (int t = gun; t < gun + 60; ++t) {
        if (tr.has(t)) {
          a += tr.speedAt(t);
          ++na;
        }
      }
      for (int t = gun - 90; t < gun - 30; ++t) {
        if (tr.has(t)) {
          c += tr.speedAt(t);
          ++nc;
        }
      }
      if (na > 30 && nc > 30) {
        after.push_back(a / na);
        before.push_back(c / nc);
      }
    }
    return after.size() * 2 < static_cast<std::size_t>(n) ? -1e9 : median(after) - median(before);
  };
  int gun = rough;
  double bestContrast = -1e300;
  if (!m_hints.gunUtc) {
    const double epochSeconds = m_epoch * kSecondsPerDay;
    const int firstMinute = roundToInt(std::ceil((epochSeconds + from + 240) / 60.0) * 60.0 - epochSeconds);
    // Boats leaving the harbour speed up too, but not over one line within
    // seconds of each other: the gun is the minute the fleet speeds up most
    // among those after which at least half as many boats cross one line as
    // after the best.
    std::vector<std::pair<int, double>> minutes;
    int bestScore = 0;
    for (int g = firstMinute; g <= rough + 600; g += 60) {
      const int score = scoreOf(g, nullptr);
      minutes.emplace_back(g, score);
      bestScore = std::max(bestScore, score);
    }
    for (const auto& [g, score] : minutes) {
      if (score * 2 < bestScore) {
        continue;
      }
      const double c = contrastOf(g);
      if (c > bestContrast) {
        bestContrast = c;
        gun = g;
      }
    }
    // A start off the minute: looked for every 5 s when no minute fits.
    if (bestScore * 3 < n) {
      double offContrast = -1e300;
      for (int g = from + 240; g <= rough + 600; g += 5) {
        const double c = contrastOf(g);
        if (c > offContrast) {
          offContrast = c;
          gun = g;
        }
      }
    }
  }
  const int best = scoreOf(gun, nullptr);
  double level = std::nan("");
  scoreOf(gun, &level);
  if (std::isnan(level) || best <= 0) {
    return;
  }
  // Boats that held below the line crossed it after the gun: raise the line
  // until no more than the few whose clocks run wrong crossed it before.
  const int allowedEarly = std::max(1, n / 10);
  for (int step = 0; step < 60; ++step) {
    int early = 0;
    for (int b = 0; b < n; ++b) {
      const double c = crossing(b, level, gun);
      early += !std::isnan(c) && c < gun - 3 ? 1 : 0;
    }
    if (early <= allowedEarly) {
      break;
    }
    level += 1;
  }
  m_startLevel = level;
  m_gun = gun;
  m_gunFound = true;
  std::vector<double> times;
  std::vector<Vec2> points;
  std::vector<double> onTime;
  for (int b = 0; b < n; ++b) {
    const double x = crossing(b, level, gun);
    if (std::isnan(x)) {
      continue;
    }
    const int t = static_cast<int>(std::floor(x));
    m_startCross[static_cast<std::size_t>(b)] = t;
    times.push_back(x);
    if (x >= gun - 2) {
      onTime.push_back(x);
    }
    const Track& tr = m_tracks[static_cast<std::size_t>(b)];
    points.push_back(tr.at(std::clamp(t, tr.first, tr.last())));
  }
  const double typical = onTime.empty() ? gun : median(onTime);
  const double front = onTime.empty() ? gun : percentile(onTime, 0.25);
  int close = 0;
  for (double t : times) {
    close += std::fabs(t - typical) <= 10 ? 1 : 0;
  }
  // A logger whose clock runs wrong starts long before the fleet and never
  // goes back, which no boat does that was over the line early.
  m_out.timeOffsets.assign(m_logs.size(), 0);
  for (int b = 0; b < n; ++b) {
    const int c = m_startCross[static_cast<std::size_t>(b)];
    if (c == INT_MIN || c >= m_gun - 3) {
      continue;
    }
    // Taken to have started as late after the gun as the front of the
    // fleet did.
    const int offset = roundToInt(front - c);
    m_out.timeOffsets[static_cast<std::size_t>(m_tracks[static_cast<std::size_t>(b)].log)] = offset;
    m_out.estimates << QStringLiteral(
                           "%1: the logger's clock taken as %2 s behind: it crossed the start line %3 s "
                           "before the gun and never went back")
                           .arg(m_logs[static_cast<std::size_t>(m_tracks[b].log)].boatName)
                           .arg(offset)
                           .arg(offset);
    m_startCross[static_cast<std::size_t>(b)] = c + offset;
  }
  // The line: square to the wind at the level found, as long as the
  // crossings spread along it and a little more.
  const double wind = windAt(m_gun);
  const Vec2 upv = bearingVec(wind);
  const Vec2 right = bearingVec(wind + 90);
  std::vector<double> along;
  for (const Vec2& p : points) {
    along.push_back(dot(p, right));
  }
  const double a10 = percentile(along, 0.1);
  const double a90 = percentile(along, 0.9);
  const double middle = (a10 + a90) / 2;
  const double half = std::max(45.0, (a90 - a10) / 2 + 25);
  auto at = [&](double a) {
    return m_frame.toGeo({upv.x * level + right.x * a, upv.y * level + right.y * a});
  };
  // End 1 is the starboard end, as committees lay it.
  m_out.lines.push_back({at(middle + half), at(middle - half)});
  m_out.estimates << QStringLiteral(
                         "gun %1 UTC from %2 of %3 boats crossing one line within 10 s of each other")
                         .arg(clock(m_gun))
                         .arg(close)
                         .arg(n);
  m_out.estimates << QStringLiteral("start line %1 m long, square to the wind, from %2 boats' starts")
                         .arg(roundToInt(2 * half))
                         .arg(times.size());
}

// The last second each boat raced: after it the boat slows to well below its
// racing speed for good, or its log ends.
void Inference::findRacingEnds() {
  m_racingEnd.assign(m_tracks.size(), 0);
  for (std::size_t b = 0; b < m_tracks.size(); ++b) {
    const Track& tr = m_tracks[b];
    const int begin = m_startCross[b] != INT_MIN ? m_startCross[b] : (m_gunFound ? m_gun : tr.first);
    std::vector<double> speeds;
    for (int t = std::max(begin, tr.first); t <= tr.last(); t += 2) {
      if (tr.has(t)) {
        speeds.push_back(tr.speedAt(t));
      }
    }
    m_racingEnd[b] = tr.last();
    if (speeds.empty()) {
      continue;
    }
    const double racing = percentile(speeds, 0.6);
    const int n = static_cast<int>(tr.pos.size());
    // Mean speed of the 15 s from each second on.
    std::vector<double> sum(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 0; i < n; ++i) {
      sum[static_cast<std::size_t>(i) + 1] =
          sum[static_cast<std::size_t>(i)] + tr.speed[static_cast<std::size_t>(i)];
    }
    auto mean15 = [&](int i) {
      const int j = std::min(n, i + 15);
      return j > i ? (sum[static_cast<std::size_t>(j)] - sum[static_cast<std::size_t>(i)]) / (j - i) : 0.0;
    };
    int slowSince = -1;
    for (int i = std::max(0, begin + 120 - tr.first); i < n; ++i) {
      if (mean15(i) < 0.6 * racing) {
        if (slowSince < 0) {
          slowSince = i;
        }
        if (i - slowSince >= 60 || i + 15 >= n) {
          m_racingEnd[b] = tr.first + slowSince;
          break;
        }
      } else {
        slowSince = -1;
      }
    }
  }
}

// Marks are the places where most of the fleet turns: tacks and gybes are
// spread over the course, roundings are not. A leeward gate splits the fleet
// between two places close together where the boats turn from running to
// beating; it becomes a line.
void Inference::findMarksAndCourse() {
  const int n = static_cast<int>(m_tracks.size());
  if (n < 2 || !m_gunFound) {
    return;
  }
  struct Event {
    int boat;
    int t;
    Vec2 pos;
    double turn;
    Vec2 inward;
    int item = -1;
  };
  std::vector<Event> events;
  int racing = 0;
  for (int b = 0; b < n; ++b) {
    racing += m_startCross[static_cast<std::size_t>(b)] != INT_MIN ? 1 : 0;
  }
  // Every sharp change of course counts here, steady courses either side or
  // not: between two marks close together no course is held for long.
  for (int b = 0; b < n; ++b) {
    const Track& tr = m_tracks[static_cast<std::size_t>(b)];
    const int start = m_startCross[static_cast<std::size_t>(b)];
    if (start == INT_MIN) {
      continue;
    }
    const int k = std::max(6, 2 * tr.interval);
    const int first = std::max(tr.first + k, start + 15);
    const int last = std::min(tr.last() - k, m_racingEnd[static_cast<std::size_t>(b)] - 15);
    std::vector<double> change(static_cast<std::size_t>(std::max(0, last - first + 1)), 0.0);
    for (int t = first; t <= last; ++t) {
      const double h1 = tr.headingAt(t - k);
      const double h2 = tr.headingAt(t + k);
      if (!std::isnan(h1) && !std::isnan(h2)) {
        change[static_cast<std::size_t>(t - first)] = std::fabs(diffDeg(h2, h1));
      }
    }
    for (int t = first; t <= last; ++t) {
      const double c = change[static_cast<std::size_t>(t - first)];
      if (c < 40) {
        continue;
      }
      bool peak = true;
      for (int u = std::max(first, t - 10); u <= std::min(last, t + 10) && peak; ++u) {
        const double o = change[static_cast<std::size_t>(u - first)];
        peak = o < c || (o == c && u >= t);
      }
      if (!peak) {
        continue;
      }
      const double before = tr.headingAt(t - k);
      const double after = tr.headingAt(t + k);
      // A rounding changes the point of sail, or gybes from reach to reach;
      // tacks and gybes on a beat or a run do neither.
      const double wind = windAt(t);
      const double twaBefore = std::fabs(diffDeg(before, wind));
      const double twaAfter = std::fabs(diffDeg(after, wind));
      const bool reaching = twaBefore >= 60 && twaBefore <= 145 && twaAfter >= 60 && twaAfter <= 145;
      if (std::fabs(twaAfter - twaBefore) < 35 && !reaching) {
        continue;
      }
      const Vec2 a = bearingVec(before);
      const Vec2 d = bearingVec(after);
      Vec2 in{d.x - a.x, d.y - a.y};
      const double len = distance2d(in.x, in.y);
      in = len > 0 ? Vec2{in.x / len, in.y / len} : Vec2{};
      if (tr.has(t)) {
        events.push_back({b, t, tr.at(t), diffDeg(after, before), in});
      }
    }
  }
  constexpr double kRadius = 45;
  // Events by grid cell of the search radius: a place's neighbours lie in
  // its cell and the eight around it.
  std::map<std::pair<int, int>, std::vector<int>> cells;
  auto cellOf = [&](Vec2 p) {
    return std::make_pair(static_cast<int>(std::floor(p.x / kRadius)),
                          static_cast<int>(std::floor(p.y / kRadius)));
  };
  for (std::size_t i = 0; i < events.size(); ++i) {
    cells[cellOf(events[i].pos)].push_back(static_cast<int>(i));
  }
  std::vector<int> seenMark(static_cast<std::size_t>(n), -1);
  int seenStamp = 0;
  auto boatsNear = [&](Vec2 p, double radius, std::vector<int>* members) {
    ++seenStamp;
    int count = 0;
    const auto [cx, cy] = cellOf(p);
    for (int dx = -1; dx <= 1; ++dx) {
      for (int dy = -1; dy <= 1; ++dy) {
        const auto cell = cells.find({cx + dx, cy + dy});
        if (cell == cells.end()) {
          continue;
        }
        for (int i : cell->second) {
          const Event& e = events[static_cast<std::size_t>(i)];
          if (e.item != -1 || distance2d(e.pos.x - p.x, e.pos.y - p.y) > radius) {
            continue;
          }
          if (members) {
            members->push_back(i);
          }
          if (seenMark[static_cast<std::size_t>(e.boat)] != seenStamp) {
            seenMark[static_cast<std::size_t>(e.boat)] = seenStamp;
            ++count;
          }
        }
      }
    }
    return count;
  };
  struct Place {
    Vec2 centre;
    std::vector<int> members;
    int boats = 0;
    double medianTurn = 0;
  };
  // Takes the busiest place among the events not yet placed, if it holds at
  // least minBoats boats.
  auto takePlace = [&](int minBoats, Place* place) {
    int best = 0;
    Vec2 at;
    for (const Event& e : events) {
      if (e.item != -1) {
        continue;
      }
      const int count = boatsNear(e.pos, kRadius, nullptr);
      if (count > best) {
        best = count;
        at = e.pos;
      }
    }
    if (best < minBoats) {
      return false;
    }
    std::vector<int> members;
    boatsNear(at, kRadius, &members);
    std::vector<double> xs;
    std::vector<double> ys;
    for (int i : members) {
      xs.push_back(events[static_cast<std::size_t>(i)].pos.x);
      ys.push_back(events[static_cast<std::size_t>(i)].pos.y);
    }
    place->centre = {median(xs), median(ys)};
    place->members.clear();
    place->boats = boatsNear(place->centre, kRadius, &place->members);
    std::vector<double> turns;
    for (int i : place->members) {
      turns.push_back(std::fabs(events[static_cast<std::size_t>(i)].turn));
    }
    place->medianTurn = median(turns);
    return true;
  };
  struct Item {
    bool gate = false;
    Vec2 a;  // the mark, or one end of the gate
    Vec2 b;
    int boats = 0;
  };
  std::vector<Item> items;
  const int markBoats = std::max(2, (racing * 7 + 9) / 10);
  Place place;
  while (takePlace(markBoats, &place)) {
    Vec2 in;
    for (int i : place.members) {
      in.x += events[static_cast<std::size_t>(i)].inward.x;
      in.y += events[static_cast<std::size_t>(i)].inward.y;
    }
    const double len = distance2d(in.x, in.y);
    // Boats round a boat's length or two outside the mark.
    const Vec2 mark =
        len > 0 ? Vec2{place.centre.x + in.x / len * 10, place.centre.y + in.y / len * 10} : place.centre;
    for (int i : place.members) {
      events[static_cast<std::size_t>(i)].item = static_cast<int>(items.size());
    }
    items.push_back({false, mark, mark, place.boats});
  }
  // Gates: two places of sharp turns close together that share the fleet.
  std::vector<Place> halves;
  const int halfBoats = std::max(2, (racing + 3) / 4);
  while (takePlace(halfBoats, &place)) {
    for (int i : place.members) {
      events[static_cast<std::size_t>(i)].item = -2;  // looked at
    }
    if (place.medianTurn >= 110) {
      halves.push_back(place);
    }
  }
  for (Event& e : events) {
    if (e.item == -2) {
      e.item = -1;
    }
  }
  std::vector<char> used(halves.size(), 0);
  for (std::size_t i = 0; i < halves.size(); ++i) {
    for (std::size_t j = i + 1; j < halves.size() && !used[i]; ++j) {
      if (used[j]) {
        continue;
      }
      const Vec2 a = halves[i].centre;
      const Vec2 b = halves[j].centre;
      const double apart = distance2d(a.x - b.x, a.y - b.y);
      if (apart > 150) {
        continue;
      }
      std::vector<char> boats(static_cast<std::size_t>(n), 0);
      for (const Place* p : {&halves[i], &halves[j]}) {
        for (int k : p->members) {
          boats[static_cast<std::size_t>(events[static_cast<std::size_t>(k)].boat)] = 1;
        }
      }
      const int together = static_cast<int>(std::count(boats.begin(), boats.end(), 1));
      if (together < markBoats) {
        continue;
      }
      used[i] = used[j] = 1;
      // The buoys stand a little outside where the boats turned.
      const Vec2 d{(b.x - a.x) / apart, (b.y - a.y) / apart};
      const int id = static_cast<int>(items.size());
      for (const Place* p : {&halves[i], &halves[j]}) {
        for (int k : p->members) {
          events[static_cast<std::size_t>(k)].item = id;
        }
      }
      items.push_back({true, {a.x - d.x * 15, a.y - d.y * 15}, {b.x + d.x * 15, b.y + d.y * 15}, together});
    }
  }
  if (items.empty()) {
    m_out.estimates << QStringLiteral("no marks: no place where most boats turned");
    return;
  }
  // Each boat's roundings in time order, a place turned at twice within two
  // minutes counted once; the course is the order most boats sailed.
  // Boats round a mark the same way; a tack beside it turns either way.
  std::vector<int> itemSign(items.size(), 0);
  for (const Event& e : events) {
    if (e.item >= 0) {
      itemSign[static_cast<std::size_t>(e.item)] += e.turn < 0 ? -1 : 1;
    }
  }
  // Each boat's roundings: every pass close by a mark or through a gate on
  // which its course turned the mark's way. Passes rather than the turns
  // found above, which a boat's log may blur at one mark or another.
  std::vector<std::vector<std::pair<int, int>>> visits(static_cast<std::size_t>(n));
  for (int b = 0; b < n; ++b) {
    const Track& tr = m_tracks[static_cast<std::size_t>(b)];
    const int start = m_startCross[static_cast<std::size_t>(b)];
    if (start == INT_MIN) {
      continue;
    }
    const int first = std::max(tr.first, start + 15);
    const int last = std::min(tr.last(), m_racingEnd[static_cast<std::size_t>(b)] - 10);
    for (std::size_t m = 0; m < items.size(); ++m) {
      const Item& it = items[m];
      const Vec2 centre{(it.a.x + it.b.x) / 2, (it.a.y + it.b.y) / 2};
      const double radius = 40 + distance2d(it.a.x - it.b.x, it.a.y - it.b.y) / 2;
      int t = first;
      while (t <= last) {
        if (!tr.has(t) || distance2d(tr.at(t).x - centre.x, tr.at(t).y - centre.y) > radius) {
          ++t;
          continue;
        }
        // Inside: to where it leaves for more than 20 s.
        const int in = t;
        int out = t;
        double nearest = 1e300;
        int nearestAt = t;
        for (int u = t; u <= last && u - out <= 20; ++u) {
          if (!tr.has(u)) {
            continue;
          }
          const double d = distance2d(tr.at(u).x - centre.x, tr.at(u).y - centre.y);
          if (d <= radius) {
            out = u;
            if (d < nearest) {
              nearest = d;
              nearestAt = u;
            }
          }
        }
        t = out + 21;
        const double before = tr.headingAt(in - 8);
        const double after = tr.headingAt(out + 8);
        if (std::isnan(before) || std::isnan(after)) {
          continue;
        }
        const double turn = diffDeg(after, before);
        const bool theMarksWay = (turn < 0) == (itemSign[m] < 0);
        if (std::fabs(turn) >= 100 || (std::fabs(turn) >= 30 && theMarksWay)) {
          visits[static_cast<std::size_t>(b)].emplace_back(nearestAt, static_cast<int>(m));
        }
      }
    }
    std::sort(visits[static_cast<std::size_t>(b)].begin(), visits[static_cast<std::size_t>(b)].end());
  }
  std::map<std::vector<int>, int> orders;
  for (int b = 0; b < n; ++b) {
    // A mark passed twice within two minutes was rounded once.
    std::vector<int> order;
    int lastT = INT_MIN;
    for (const auto& [t, item] : visits[static_cast<std::size_t>(b)]) {
      if (order.empty() || order.back() != item || t - lastT > 120) {
        order.push_back(item);
      }
      lastT = t;
    }
    if (!order.empty()) {
      ++orders[order];
    }
  }
  // The course is the order closest to every boat's: a boat whose log
  // blurred one rounding differs from it by one step only.
  auto distance = [](const std::vector<int>& a, const std::vector<int>& b) {
    std::vector<int> row(b.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
      int diagonal = row[0];
      row[0] = static_cast<int>(i);
      for (std::size_t j = 1; j <= b.size(); ++j) {
        const int up = row[j];
        row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
        diagonal = up;
      }
    }
    return row[b.size()];
  };
  std::vector<int> course;
  int followers = 0;
  long bestTotal = LONG_MAX;
  for (const auto& [order, count] : orders) {
    long total = 0;
    for (const auto& [other, otherCount] : orders) {
      total += static_cast<long>(distance(order, other)) * otherCount;
    }
    if (total < bestTotal || (total == bestTotal && count > followers)) {
      bestTotal = total;
      course = order;
      followers = count;
    }
  }
  // A place the boats pass only just before they stop racing is where they
  // turned for the finish, not a mark.
  {
    std::vector<double> endX;
    std::vector<double> endY;
    for (int b = 0; b < n; ++b) {
      const Track& tr = m_tracks[static_cast<std::size_t>(b)];
      if (tr.has(m_racingEnd[static_cast<std::size_t>(b)])) {
        endX.push_back(tr.at(m_racingEnd[static_cast<std::size_t>(b)]).x);
        endY.push_back(tr.at(m_racingEnd[static_cast<std::size_t>(b)]).y);
      }
    }
    while (course.size() > 1 && !endX.empty() &&
           std::count(course.begin(), course.end(), course.back()) == 1) {
      const Item& it = items[static_cast<std::size_t>(course.back())];
      const Vec2 centre{(it.a.x + it.b.x) / 2, (it.a.y + it.b.y) / 2};
      if (distance2d(centre.x - median(endX), centre.y - median(endY)) >= 200) {
        break;
      }
      course.pop_back();
    }
  }
  // Marks and gates are numbered in the order the course first reaches them.
  std::vector<int> markNumber(items.size(), 0);
  std::vector<int> lineNumber(items.size(), 0);
  int marks = 0;
  int lines = static_cast<int>(m_out.lines.size());
  for (int item : course) {
    const Item& it = items[static_cast<std::size_t>(item)];
    if (it.gate && lineNumber[static_cast<std::size_t>(item)] == 0) {
      lineNumber[static_cast<std::size_t>(item)] = ++lines;
      m_out.lines.push_back({m_frame.toGeo(it.a), m_frame.toGeo(it.b)});
      m_out.estimates << QStringLiteral("L%1, a gate, from %2 of %3 boats").arg(lines).arg(it.boats).arg(n);
    } else if (!it.gate && markNumber[static_cast<std::size_t>(item)] == 0) {
      markNumber[static_cast<std::size_t>(item)] = ++marks;
      m_marks.push_back(it.a);
      m_out.marks.push_back(m_frame.toGeo(it.a));
      m_out.estimates << QStringLiteral("MK%1 from %2 of %3 boats").arg(marks).arg(it.boats).arg(n);
    }
  }
  m_out.course << QStringLiteral("L1");
  for (int item : course) {
    const Item& it = items[static_cast<std::size_t>(item)];
    m_out.course << (it.gate ? QStringLiteral("L%1").arg(lineNumber[static_cast<std::size_t>(item)])
                             : QStringLiteral("MK%1").arg(markNumber[static_cast<std::size_t>(item)]));
  }
  m_courseFollowers = followers;
  // Comparison lines square to the wind across the first beat, at a third
  // and two thirds of the way from the start line to the first mark.
  if (!m_marks.empty() && m_out.course.size() > 1 && m_out.course[1] == QLatin1String("MK1")) {
    const GeoLine& start = m_out.lines.front();
    const Vec2 s1 = m_frame.toLocal(start.end1.lat, start.end1.lon);
    const Vec2 s2 = m_frame.toLocal(start.end2.lat, start.end2.lon);
    const Vec2 from{(s1.x + s2.x) / 2, (s1.y + s2.y) / 2};
    const Vec2 to = m_marks.front();
    const double leg = distance2d(to.x - from.x, to.y - from.y);
    const Vec2 across = bearingVec(windAt(m_gun) + 90);
    for (double f : {1.0 / 3.0, 2.0 / 3.0}) {
      const Vec2 c{from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f};
      const double half = 0.6 * leg;
      m_out.refLines.push_back({m_frame.toGeo({c.x + across.x * half, c.y + across.y * half}),
                                m_frame.toGeo({c.x - across.x * half, c.y - across.y * half})});
    }
  }
  // Where the last rounding was, per boat that sailed the whole course.
  m_lastRounding.assign(static_cast<std::size_t>(n), INT_MIN);
  m_lastItem = items[static_cast<std::size_t>(course.back())].gate
                   ? Vec2{(items[static_cast<std::size_t>(course.back())].a.x +
                           items[static_cast<std::size_t>(course.back())].b.x) /
                              2,
                          (items[static_cast<std::size_t>(course.back())].a.y +
                           items[static_cast<std::size_t>(course.back())].b.y) /
                              2}
                   : items[static_cast<std::size_t>(course.back())].a;
  for (int b = 0; b < n; ++b) {
    // The last rounding of the last mark, by a boat that rounded about as
    // many marks as the course has: a place turned at for the finish may
    // come after it.
    const auto& v = visits[static_cast<std::size_t>(b)];
    if (v.size() + 1 >= course.size()) {
      for (auto it = v.rbegin(); it != v.rend(); ++it) {
        if (it->second == course.back()) {
          m_lastRounding[static_cast<std::size_t>(b)] = it->first;
          break;
        }
      }
    }
  }
}

// The finish line: square to the last leg, a little short of where the boats
// stopped racing after the last mark.
void Inference::findFinish() {
  if (m_out.course.size() < 2) {
    return;
  }
  const int n = static_cast<int>(m_tracks.size());
  std::vector<int> finishers;
  std::vector<double> ex;
  std::vector<double> ey;
  for (int b = 0; b < n; ++b) {
    const Track& tr = m_tracks[static_cast<std::size_t>(b)];
    const int rounded = m_lastRounding[static_cast<std::size_t>(b)];
    if (rounded == INT_MIN) {
      continue;
    }
    // On the last leg a boat stops racing when it slows well below the
    // speed it left the last mark with: the race's own speeds mix beats and
    // runs too much to tell.
    double legSpeed = 0;
    int samples = 0;
    for (int t = rounded + 10; t < rounded + 60; ++t) {
      if (tr.has(t)) {
        legSpeed += tr.speedAt(t);
        ++samples;
      }
    }
    if (samples > 0) {
      legSpeed /= samples;
      // A tack on a beat to the finish slows a boat as much, but only for
      // a moment: the finish is where it stays slow for the minute after.
      const int lastSecond = m_racingEnd[static_cast<std::size_t>(b)];
      auto window = [&](int t) {
        double sum = 0;
        for (int u = t; u < t + 15; ++u) {
          sum += tr.speedAt(u);
        }
        return sum / 15;
      };
      for (int t = rounded + 40; t <= lastSecond; ++t) {
        if (window(t) >= 0.7 * legSpeed) {
          continue;
        }
        bool stays = true;
        for (int u = t + 5; u <= std::min(t + 60, tr.last() - 15); u += 5) {
          stays = stays && window(u) < 0.85 * legSpeed;
        }
        if (stays) {
          m_racingEnd[static_cast<std::size_t>(b)] = t;
          break;
        }
      }
    }
    const int end = m_racingEnd[static_cast<std::size_t>(b)];
    if (end - rounded < 40 || !tr.has(end - 12)) {
      continue;
    }
    finishers.push_back(b);
    ex.push_back(tr.at(end - 12).x);
    ey.push_back(tr.at(end - 12).y);
  }
  if (finishers.empty()) {
    m_out.estimates << QStringLiteral("no finish line: no boat raced on after the last mark");
    return;
  }
  // The last minute and a half of each finisher's track: how close the
  // boats pass the line's middle sets its length, and when they pass it
  // the race's end.
  std::vector<std::vector<std::pair<int, Vec2>>> tails;
  for (int b : finishers) {
    const Track& tr = m_tracks[static_cast<std::size_t>(b)];
    const int end = m_racingEnd[static_cast<std::size_t>(b)];
    std::vector<std::pair<int, Vec2>> tail;
    // The stretch leaving the last mark is left out.
    for (int t = std::max(m_lastRounding[static_cast<std::size_t>(b)] + 10, end - 90); t <= end; ++t) {
      if (tr.has(t) && distance2d(tr.at(t).x - m_lastItem.x, tr.at(t).y - m_lastItem.y) > 60) {
        tail.emplace_back(t, tr.at(t));
      }
    }
    tails.push_back(std::move(tail));
  }
  auto nearestOf = [](const std::vector<std::pair<int, Vec2>>& tail, Vec2 p) {
    double best = 1e300;
    int at = INT_MIN;
    for (const auto& [t, q] : tail) {
      const double d = distance2d(q.x - p.x, q.y - p.y);
      if (d < best) {
        best = d;
        at = t;
      }
    }
    return std::make_pair(best, at);
  };
  // Boats sail on for a few lengths after finishing before they ease
  // sheets and turn away: the line lies where they were that long before
  // they stopped racing, square to the last leg.
  std::vector<double> atX;
  std::vector<double> atY;
  for (int b : finishers) {
    const Track& tr = m_tracks[static_cast<std::size_t>(b)];
    int t = m_racingEnd[static_cast<std::size_t>(b)] - kSailOnSeconds;
    while (t < tr.last() && !tr.has(t)) {
      ++t;
    }
    if (tr.has(t)) {
      atX.push_back(tr.at(t).x);
      atY.push_back(tr.at(t).y);
    }
  }
  if (atX.empty()) {
    return;
  }
  const Vec2 middle{median(atX), median(atY)};
  std::vector<double> misses;
  for (std::size_t k = 0; k < finishers.size(); ++k) {
    const auto [miss, when] = nearestOf(tails[k], middle);
    if (when != INT_MIN) {
      misses.push_back(miss);
    }
  }
  if (misses.empty()) {
    return;
  }
  // Committees lay the finish square to the last leg.
  const double toMiddle = distance2d(middle.x - m_lastItem.x, middle.y - m_lastItem.y);
  const Vec2 d = toMiddle > 1
                     ? Vec2{(middle.x - m_lastItem.x) / toMiddle, (middle.y - m_lastItem.y) / toMiddle}
                     : Vec2{0, 1};
  const Vec2 side{d.y, -d.x};
  const double half = std::max(40.0, 2 * median(misses) + 25);
  const Vec2 e1{middle.x - side.x * half, middle.y - side.y * half};
  const Vec2 e2{middle.x + side.x * half, middle.y + side.y * half};
  // Crossing times of the finish as found.
  int last = INT_MIN;
  for (std::size_t k = 0; k < finishers.size(); ++k) {
    for (const auto& [t, q] : tails[k]) {
      if (dot({q.x - middle.x, q.y - middle.y}, d) >= 0) {
        last = std::max(last, t);
        break;
      }
    }
  }
  // A finish on the start line keeps one line.
  const GeoLine& start = m_out.lines.front();
  const GeoPoint fm = m_frame.toGeo({(e1.x + e2.x) / 2, (e1.y + e2.y) / 2});
  const GeoPoint sm{(start.end1.lat + start.end2.lat) / 2, (start.end1.lon + start.end2.lon) / 2};
  const Vec2 fl = m_frame.toLocal(fm.lat, fm.lon);
  const Vec2 sl = m_frame.toLocal(sm.lat, sm.lon);
  if (distance2d(fl.x - sl.x, fl.y - sl.y) < 40) {
    m_out.course << QStringLiteral("L1");
  } else {
    m_out.lines.push_back({m_frame.toGeo(e1), m_frame.toGeo(e2)});
    m_out.course << QStringLiteral("L%1").arg(m_out.lines.size());
  }
  m_out.estimates << QStringLiteral(
                         "finish line from where %1 of %2 boats stopped racing after the last mark")
                         .arg(finishers.size())
                         .arg(n);
  if (last != INT_MIN) {
    m_finishTime = last;
    m_finishFound = true;
  }
}

// Marks the user gave replace those found; the course found is kept when
// each mark found lies near a mark given.
void Inference::applyGivenMarks() {
  if (m_hints.marks.empty()) {
    return;
  }
  QStringList course;
  bool matched = true;
  for (const QString& item : m_out.course) {
    if (!item.startsWith(QLatin1String("MK"))) {
      course << item;
      continue;
    }
    const int found = item.mid(2).toInt() - 1;
    const Vec2 p = m_marks[static_cast<std::size_t>(found)];
    int best = -1;
    double bestMetres = 150;
    for (std::size_t j = 0; j < m_hints.marks.size(); ++j) {
      const Vec2 q = m_frame.toLocal(m_hints.marks[j].lat, m_hints.marks[j].lon);
      const double d = distance2d(p.x - q.x, p.y - q.y);
      if (d < bestMetres) {
        bestMetres = d;
        best = static_cast<int>(j);
      }
    }
    if (best < 0) {
      matched = false;
      break;
    }
    course << QStringLiteral("MK%1").arg(best + 1);
  }
  m_out.marks = m_hints.marks;
  m_out.course = matched ? course : QStringList();
}

void Inference::writeWindLog() {
  const int from = m_gun - m_out.preStartMinutes * 60 - 600;
  const int to = m_finishFound ? m_finishTime + 600 : m_spanEnd;
  double widest = 0;
  for (int t = from - from % 60; t <= to; t += 60) {
    widest = std::max(widest, std::fabs(diffDeg(windAt(t), m_out.windDirTrue)));
  }
  if (m_hints.windDirTrue || m_windPoints.empty() || widest <= 4) {
    m_out.estimates
        << QStringLiteral("the wind held within %1 deg: one direction, no wind log").arg(roundToInt(widest));
    return;
  }
  for (int t = from - from % 60; t <= to; t += 60) {
    m_out.windLog.push_back({dateTimeOf(t), windAt(t)});
  }
  m_out.estimates << QStringLiteral(
                         "the wind shifted up to %1 deg from the start's: a wind log, minute by minute")
                         .arg(roundToInt(widest));
}

InferredRace Inference::run() {
  if (m_logs.empty()) {
    return m_out;
  }
  m_out.timeOffsets.assign(m_logs.size(), 0);
  buildTracks();
  findTurns();
  estimateWind();
  buildWindTable();
  findStart();
  if (!m_gunFound) {
    m_gun = m_hints.gunUtc ? secondsOf(*m_hints.gunUtc) : m_spanStart + 60;
    m_out.estimates << QStringLiteral("no start found: the replay begins where the logs do");
  }
  findRacingEnds();
  findMarksAndCourse();
  findFinish();
  applyGivenMarks();
  if (!m_hints.course.isEmpty()) {
    m_out.course = m_hints.course;
  }

  // The wind of the first beat is the wind the course was laid for.
  if (m_windKnown) {
    std::vector<double> first;
    for (int t = m_gun; t <= m_gun + 600; t += 60) {
      first.push_back(windAt(t));
    }
    m_out.windDirTrue = m_hints.windDirTrue ? normDeg(*m_hints.windDirTrue) : circularMean(first).mean;
    std::vector<double> near;
    for (const auto& [t, dir] : m_windPoints) {
      if (t >= m_gun - 300 && t <= m_gun + 900 && std::fabs(diffDeg(dir, m_out.windDirTrue)) <= 25) {
        near.push_back(dir);
      }
    }
    if (m_hints.windDirTrue) {
      m_out.estimates.prepend(QStringLiteral("wind %1 deg as given").arg(roundToInt(m_out.windDirTrue)));
    } else {
      m_out.estimates.prepend(
          QStringLiteral("wind %1 deg from %2 tacks and gybes of the first beat, spread %3 "
                         "deg; %4 tacks and %5 gybes in all")
              .arg(roundToInt(m_out.windDirTrue) % 360)
              .arg(near.size())
              .arg(roundToInt(circularMean(near).spread))
              .arg(m_tackCount)
              .arg(m_gybeCount));
    }
  } else {
    m_out.estimates.prepend(QStringLiteral("no wind found: no tacks or gybes; north taken"));
  }
  m_out.gunUtc = dateTimeOf(m_gun);
  int firstFix = INT_MAX;
  for (const Track& t : m_tracks) {
    firstFix = std::min(firstFix, t.first);
  }
  m_out.preStartMinutes = std::clamp((m_gun - firstFix) / 60, 1, 5);
  // The replay runs until the last log ends, or three minutes after the
  // last finish found if that is later: no boat's finish is cut off.
  int lastFix = INT_MIN;
  for (const Track& t : m_tracks) {
    lastFix = std::max(lastFix, t.last());
  }
  int finish = std::max(lastFix, m_finishFound ? m_finishTime + 180 : lastFix);
  {
    const double at = m_epoch * kSecondsPerDay + finish;
    finish = roundToInt(std::ceil(at / 60.0) * 60.0 - m_epoch * kSecondsPerDay);
  }
  if (m_hints.finishUtc) {
    finish = secondsOf(*m_hints.finishUtc);
  }
  m_out.finishUtc = dateTimeOf(std::max(finish, m_gun + 60));
  m_out.estimates.insert(std::min<qsizetype>(1, m_out.estimates.size()),
                         QStringLiteral("race %1 to %2 UTC; the logs run together from %3 to %4")
                             .arg(clock(m_gun), clock(finish), clock(m_spanStart), clock(m_spanEnd)));
  if (!m_out.course.isEmpty()) {
    m_out.estimates << QStringLiteral("course %1, sailed so by %2 of %3 boats")
                           .arg(m_out.course.join(u','))
                           .arg(m_courseFollowers)
                           .arg(m_tracks.size());
  }
  writeWindLog();

  double minLat = 1e300;
  double maxLat = -1e300;
  double minLon = 1e300;
  double maxLon = -1e300;
  for (const InputLog& log : m_logs) {
    for (const RawFix& f : log.fixes) {
      minLat = std::min(minLat, f.lat);
      maxLat = std::max(maxLat, f.lat);
      minLon = std::min(minLon, f.lon);
      maxLon = std::max(maxLon, f.lon);
    }
  }
  m_out.centre = {(minLat + maxLat) / 2, (minLon + maxLon) / 2};
  m_out.spanMinutes = std::max(maxLat - minLat, (maxLon - minLon) * m_frame.lonScale);
  return m_out;
}

}  // namespace

InferredRace inferRace(const std::vector<InputLog>& logs, const InferenceHints& hints) {
  return Inference(logs, hints).run();
}

}  // namespace velaro
