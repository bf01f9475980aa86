#include "core/newrace/inference.h"

#include <QDateTime>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>

namespace velaro::inference {

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

}  // namespace velaro::inference
