#include "core/newrace/inference.h"

#include <QDateTime>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>

namespace velaro::inference {

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
  // Three boats in five: a mark close to another, like an offset mark
  // a short reach from the windward one, blurs into its neighbour's
  // turn in some logs.
  const int markBoats = std::max(2, (racing * 6 + 9) / 10);
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

}  // namespace velaro::inference
