#include "core/newrace/inference.h"

#include <QDateTime>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>

namespace velaro::inference {

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
      // A hole in the log says nothing of the speed: a window inside one
      // is neither slow nor fast.
      auto window = [&](int t) {
        double sum = 0;
        int logged = 0;
        for (int u = t; u < t + 15; ++u) {
          if (tr.has(u)) {
            sum += tr.speedAt(u);
            ++logged;
          }
        }
        return logged >= 5 ? sum / logged : std::nan("");
      };
      for (int t = rounded + 40; t <= lastSecond; ++t) {
        const double now = window(t);
        if (std::isnan(now) || now >= 0.7 * legSpeed) {
          continue;
        }
        bool stays = true;
        for (int u = t + 5; u <= std::min(t + 60, tr.last() - 15); u += 5) {
          stays = stays && !(window(u) >= 0.85 * legSpeed);
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

}  // namespace velaro::inference
