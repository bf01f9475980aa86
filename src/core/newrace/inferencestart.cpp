#include "core/newrace/inference.h"

#include <QDateTime>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>

namespace velaro::inference {

// The gun is looked for up to this long after the fleet first sails upwind
// as one, and twice as long when nothing fits.
constexpr int kGunSearchAfter = 600;
// Beating on, a boat loses no more than a few metres up the course in a
// tack; one that falls back further turned back to start again.
constexpr double kTurnedBackMetres = 12;

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
  const int to = rough + 2 * kGunSearchAfter + 240;
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
    // The fleet may have beaten out of harbour together well before its
    // start: when no minute in the first ten sees half the fleet over one
    // line, ten more are searched.
    for (const int after : {kGunSearchAfter, 2 * kGunSearchAfter}) {
      std::vector<std::pair<int, double>> minutes;
      int bestScore = 0;
      for (int g = firstMinute; g <= rough + after; g += 60) {
        const int score = scoreOf(g, nullptr);
        minutes.emplace_back(g, score);
        bestScore = std::max(bestScore, score);
      }
      bestContrast = -1e300;
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
        for (int g = from + 240; g <= rough + after; g += 5) {
          const double c = contrastOf(g);
          if (c > offContrast) {
            offContrast = c;
            gun = g;
          }
        }
      }
      if (bestScore * 2 >= n) {
        break;
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
    // A boat over early that turned back fell down the course again after
    // the gun, even where it did not get back below the line found.
    double highest = upAt(b, c);
    double fell = 0;
    for (int t = c; t <= m_gun + 90; ++t) {
      const double u = upAt(b, t);
      if (!std::isnan(u)) {
        highest = std::max(highest, u);
        fell = std::max(fell, highest - u);
      }
    }
    if (fell > kTurnedBackMetres) {
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
                           .arg(m_gun - c);
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
    // Mean speed of the logged seconds among the 15 from each second on. A
    // hole in the log says nothing of the speed: a window inside one is
    // neither slow nor fast.
    std::vector<double> sum(static_cast<std::size_t>(n) + 1, 0);
    std::vector<int> logged(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 0; i < n; ++i) {
      const bool ok = tr.valid[static_cast<std::size_t>(i)] != 0;
      sum[static_cast<std::size_t>(i) + 1] =
          sum[static_cast<std::size_t>(i)] + (ok ? tr.speed[static_cast<std::size_t>(i)] : 0.0);
      logged[static_cast<std::size_t>(i) + 1] = logged[static_cast<std::size_t>(i)] + (ok ? 1 : 0);
    }
    auto mean15 = [&](int i) {
      const int j = std::min(n, i + 15);
      const int count = logged[static_cast<std::size_t>(j)] - logged[static_cast<std::size_t>(i)];
      return count >= 5 ? (sum[static_cast<std::size_t>(j)] - sum[static_cast<std::size_t>(i)]) / count
                        : std::nan("");
    };
    int slowSince = -1;
    for (int i = std::max(0, begin + 120 - tr.first); i < n; ++i) {
      const double mean = mean15(i);
      if (std::isnan(mean)) {
        slowSince = -1;
        continue;
      }
      if (mean < 0.6 * racing) {
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

}  // namespace velaro::inference
