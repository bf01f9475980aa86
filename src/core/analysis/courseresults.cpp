#include "core/analysis/courseresults.h"

#include "core/analysis/kinematics.h"
#include "core/analysis/mapgeometry.h"
#include "core/angles.h"
#include "core/datetime.h"
#include "core/textutil.h"

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

// Proximity fallback: a boat passes a point where it first comes within this
// many minutes of arc of it and then moves kLeaveMinutes further away.
constexpr double kNearMinutes = 0.2;
constexpr double kLeaveMinutes = 0.1;
// The start line is sought in the first fifth of the time axis only.
constexpr double kStartSearchShare = 0.2;
// Tracks end this many seconds after the boat's finish.
constexpr double kSecondsAfterFinish = 60;
// Faster than any boat keeps up over a leg: an item passed sooner after the
// last one than this allows for the legs between was not sailed to.
constexpr double kFastestKnots = 40;

double rawMinutes(const GeoPoint& a, const GeoPoint& b) {
  const double dLat = a.lat - b.lat;
  const double dLon = a.lon - b.lon;
  return std::sqrt(dLat * dLat + dLon * dLon);
}

GeoPoint midpoint(const GeoLine& line) {
  return {(line.end1.lat + line.end2.lat) / 2, (line.end1.lon + line.end2.lon) / 2};
}

// Which side of a line's infinite extension a point lies on, as a signed value
// in raw minutes. A north-south line has no slope and is told by longitude.
class LineSide {
 public:
  explicit LineSide(const GeoLine& line)
      : m_northSouth(line.end2.lon == line.end1.lon), m_lon1(line.end1.lon) {
    if (!m_northSouth) {
      m_slope = (line.end2.lat - line.end1.lat) / (line.end2.lon - line.end1.lon);
      m_offset = line.end1.lat - m_slope * line.end1.lon;
    }
  }
  double operator()(const Fix& fix) const {
    return m_northSouth ? fix.lon - m_lon1 : m_slope * fix.lon + m_offset - fix.lat;
  }

 private:
  bool m_northSouth;
  double m_lon1;
  double m_slope = 0;
  double m_offset = 0;
};

// Fixes are numbered from 1 in the searches below, as the search bounds are
// easiest to follow that way; fix i is fixes[i - 1].
int halfTrack(int fixCount) {
  return roundToInt(fixCount / 2.0);
}

// Seeks the first step of the track that crosses the line between its ends.
// The start (item 0) is sought from fix 1 through the first half of the track
// and while the fixes lie in the first fifth of the time axis; a later item
// from after the previous item's crossing or closest approach.
void crossLine(const Boat& boat, const GeoLine& line, int itemIndex, double timeAxisEnd, double notBefore,
               int& searchFrom, double& passTime) {
  const std::vector<Fix>& fixes = boat.fixes;
  const double length = rawMinutes(line.end1, line.end2);
  const LineSide side(line);
  int first = searchFrom + 1;
  int stop = boat.FixCount();
  if (itemIndex == 0) {
    searchFrom = 1;
    first = 1;
    stop = halfTrack(boat.FixCount());
  }
  for (int i = first; i <= stop - 1; ++i) {
    const Fix& a = fixes[i - 1];
    const Fix& b = fixes[i];
    const double s1 = side(a);
    const double s2 = side(b);
    if (s1 * s2 <= 0) {
      double f = s1 == s2 ? 0.0 : std::abs(s1 / (s2 - s1));
      if (f > 1) {
        f = 0;
      }
      searchFrom = i + 1;
      const GeoPoint x{a.lat + (b.lat - a.lat) * f, a.lon + (b.lon - a.lon) * f};
      // A crossing of the line's extension beyond either end is no passing.
      const double t = a.time + (b.time - a.time) * f;
      if (rawMinutes(x, line.end1) < length && rawMinutes(x, line.end2) < length && t >= notBefore) {
        passTime = t;
        return;
      }
    }
    if (itemIndex == 0 && a.time > kStartSearchShare * timeAxisEnd) {
      return;
    }
  }
}

// Closest approach to a point within 0.2', searched from where the last
// item was passed, stopping once the boat has moved 0.1' away from its
// closest approach.
void approachPoint(const Boat& boat, const GeoPoint& point, int itemIndex, double notBefore, int& searchFrom,
                   double& passTime) {
  const std::vector<Fix>& fixes = boat.fixes;
  int first = searchFrom;
  int last = boat.FixCount() - 1;
  // After a missed item the search still goes on from the last item that
  // was passed: going back to fix 1 would let the pre-start manoeuvres near
  // a later mark or the finish count as its passing (a boat that retired
  // could then finish first).
  if (itemIndex == 0) {
    first = 1;
    last = halfTrack(boat.FixCount());
  }
  double best = kNearMinutes;
  for (int e = first; e <= last; ++e) {
    const Fix& fix = fixes[e - 1];
    if (fix.time < notBefore) {
      continue;
    }
    const double d = rawMinutes(point, {fix.lat, fix.lon});
    if (d < best) {
      best = d;
      passTime = roundHalfEven(fix.time);
      searchFrom = e + 1;
    }
    if (best < kNearMinutes && d > best + kLeaveMinutes) {
      return;
    }
  }
}

// Track position at t for measuring: clamped to the track's first fix before
// it starts and to its last fix after it ends.
TrackPosition clampedPositionAt(const Boat& boat, double t) {
  const std::vector<Fix>& fixes = boat.fixes;
  if (t < fixes.front().time) {
    return {0, {fixes.front().lat, fixes.front().lon}};
  }
  if (const auto at = PositionAt(boat, t)) {
    return *at;
  }
  return {boat.FixCount() - 1, {fixes.back().lat, fixes.back().lon}};
}

// The least time from passing one item to passing a later one: the legs
// between, through the items some boat passed (a mark nobody came near is
// taken to lie elsewhere), less how far off each item a boat may pass it, at
// kFastestKnots. A retired boat that re-crosses a gate line while rounding it
// has not passed the same gate a lap later.
class LegTimes {
 public:
  explicit LegTimes(const Race& race) {
    const int n = race.CourseCount();
    m_points.resize(n);
    m_offMetres.assign(n, 0.0);
    for (int k = 0; k < n; ++k) {
      const CourseItem item = parseCourseItem(race.Course[k]);
      m_points[k] = itemReferencePoint(race, item);
      const std::optional<GeoLine> line = itemLine(race, item);
      m_offMetres[k] = line ? metres(line->end1, line->end2) : kNearMinutes * kMetresPerLatMinute;
    }
  }

  double leastSeconds(int from, int to, const std::vector<bool>& passedByFleet) const {
    double path = 0;
    double off = m_offMetres[from] + m_offMetres[to];
    int last = from;
    for (int k = from + 1; k <= to; ++k) {
      if (!m_points[k] || (k < to && !passedByFleet[k])) {
        continue;
      }
      if (m_points[last]) {
        path += metres(*m_points[last], *m_points[k]);
      }
      off += k < to ? 2 * m_offMetres[k] : 0;
      last = k;
    }
    return std::max(0.0, path - off) / (kFastestKnots * kMetresPerLatMinute / 3600);
  }

 private:
  static double metres(const GeoPoint& a, const GeoPoint& b) {
    const double cosLat = std::cos(a.lat / 60 * M_PI / 180);
    return std::hypot(b.lat - a.lat, (b.lon - a.lon) * cosLat) * kMetresPerLatMinute;
  }

  std::vector<std::optional<GeoPoint>> m_points;
  std::vector<double> m_offMetres;
};

}  // namespace

CourseItem parseCourseItem(const QString& text) {
  CourseItem item;
  item.kind = text.contains(QLatin1Char('L')) ? CourseItem::Kind::Line : CourseItem::Kind::Mark;
  const int from = item.kind == CourseItem::Kind::Line ? 1 : 2;
  item.number = parseInt(text.mid(from)).value_or(0);
  return item;
}

std::optional<GeoLine> itemLine(const Race& race, const CourseItem& item) {
  if (item.kind != CourseItem::Kind::Line || item.number < 1 || item.number > race.LineCount()) {
    return std::nullopt;
  }
  return race.lines[item.number - 1];
}

std::optional<GeoPoint> itemReferencePoint(const Race& race, const CourseItem& item) {
  if (item.kind == CourseItem::Kind::Line) {
    if (const auto line = itemLine(race, item)) {
      return line->end1;
    }
    return std::nullopt;
  }
  if (item.number < 1 || item.number > race.MarkCount()) {
    return std::nullopt;
  }
  return race.marks[item.number - 1];
}

// Pass times: lines by crossing within their length, then a proximity search
// near the reference point for marks and for lines not crossed. Each boat's
// search for an item starts after the fix where it passed the previous one,
// so a mark used on two legs is matched in course order. The finish is found
// by crossing only.
CourseResults FindRoundings(const Race& race) {
  CourseResults r;
  const int boatCount = race.BoatCount();
  const int itemCount = race.CourseCount();
  r.itemCount = itemCount;
  r.PassTime.assign(boatCount, std::vector<double>(itemCount, kNotPassed));
  r.PointLeader.assign(itemCount, 0);
  r.PointBestTime.assign(itemCount, kNoBestTime);
  r.FinishRank.assign(boatCount, 1);
  if (itemCount < 1) {
    return r;
  }
  r.FinishLine = itemLine(race, parseCourseItem(race.Course.back()));

  std::vector<int> searchFrom(boatCount, 1);
  const LegTimes legTimes(race);
  std::vector<bool> passedByFleet(itemCount, false);
  std::vector<int> lastPassed(boatCount, -1);
  for (int k = 0; k < itemCount; ++k) {
    const CourseItem item = parseCourseItem(race.Course[k]);
    const std::optional<GeoPoint> point = itemReferencePoint(race, item);
    if (!point) {
      continue;
    }
    const std::optional<GeoLine> line = itemLine(race, item);
    for (int b = 0; b < boatCount; ++b) {
      const Boat& boat = race.boats[b];
      double& passTime = r.PassTime[b][k];
      const int last = lastPassed[b];
      const double notBefore =
          last < 0 ? -kNotPassed : r.PassTime[b][last] + legTimes.leastSeconds(last, k, passedByFleet);
      if (line) {
        crossLine(boat, *line, k, race.TimeAxisEnd, notBefore, searchFrom[b], passTime);
      }
      if (!isPassed(passTime) && k < itemCount - 1) {
        approachPoint(boat, *point, k, notBefore, searchFrom[b], passTime);
      }
      if (isPassed(passTime)) {
        lastPassed[b] = k;
        passedByFleet[k] = true;
      }
    }
  }

  // Leaders: on equal times the lower boat number leads.
  for (int k = 0; k < itemCount; ++k) {
    for (int b = 0; b < boatCount; ++b) {
      if (r.PassTime[b][k] < r.PointBestTime[k]) {
        r.PointBestTime[k] = r.PassTime[b][k];
        r.PointLeader[k] = b + 1;
      }
    }
  }

  for (int b = 0; b < boatCount; ++b) {
    int rank = 1;
    for (int c = 0; c < boatCount; ++c) {
      if (r.PassTime[c][itemCount - 1] < r.PassTime[b][itemCount - 1]) {
        ++rank;
      }
    }
    r.FinishRank[b] = rank;
  }
  return r;
}

// The track keeps its fixes up to one minute after the finish, and at least
// the first fix after the finish, so the finish stays on the track even when
// the log has a gap of over a minute there.
void TrimTracks(Race& race, const CourseResults& results) {
  if (results.itemCount < 2) {
    return;
  }
  for (int b = 0; b < race.BoatCount(); ++b) {
    if (!results.finished(b)) {
      continue;
    }
    const double finish = results.PassTime[b][results.itemCount - 1];
    std::vector<Fix>& fixes = race.boats[b].fixes;
    const int n = static_cast<int>(fixes.size());
    for (int j = n; j >= 1; --j) {
      if (fixes[j - 1].time < finish + kSecondsAfterFinish) {
        int keep = j;
        if (fixes[j - 1].time < finish && keep < n) {
          ++keep;
        }
        fixes.resize(keep);
        break;
      }
    }
  }
}

std::vector<ResultLabel> BuildResultLabels(const Race& race, const CourseResults& results) {
  std::vector<ResultLabel> labels;
  if (race.LineCount() < 1 || results.itemCount < 1) {
    return labels;
  }
  const int last = results.itemCount - 1;
  labels.reserve(race.BoatCount());
  for (int b = 0; b < race.BoatCount(); ++b) {
    const int rank = results.FinishRank[b];
    const int behind = roundToInt(results.PassTime[b][last] - results.PointBestTime[last]);
    // One multi-argument arg() so that a "%1" in a boat name stays as written.
    labels.push_back({QStringLiteral(" %1  %2  (+%3sec)")
                          .arg(QString::number(rank), race.boats[b].BoatName, QString::number(behind)),
                      rank * 15 - 10});
  }
  return labels;
}

double sailedMetres(const Boat& boat, double fromTime, double toTime, double cosCentreLat) {
  if (boat.FixCount() < 2 || toTime <= fromTime) {
    return 0;
  }
  const double metresPerLonMinute = kMetresPerLatMinute * cosCentreLat;
  auto metres = [&](const GeoPoint& a, const GeoPoint& b) {
    const double north = (b.lat - a.lat) * kMetresPerLatMinute;
    const double east = (b.lon - a.lon) * metresPerLonMinute;
    return std::sqrt(north * north + east * east);
  };
  auto fixPoint = [&](int i) { return GeoPoint{boat.fixes[i].lat, boat.fixes[i].lon}; };

  const TrackPosition from = clampedPositionAt(boat, fromTime);
  const TrackPosition to = clampedPositionAt(boat, toTime);
  if (to.index < from.index) {
    // Only a track whose times run backwards gets here; it has no path.
    return 0;
  }
  if (to.index == from.index) {
    return metres(from.pos, to.pos);
  }
  double sum = metres(from.pos, fixPoint(from.index + 1));
  for (int i = from.index + 1; i < to.index; ++i) {
    sum += metres(fixPoint(i), fixPoint(i + 1));
  }
  return sum + metres(fixPoint(to.index), to.pos);
}

// Leg 1 is measured from the start signal, not from the boat's own start
// crossing, like the leg times of the performance table.
void ComputeSailedDistances(const Race& race, CourseResults& results, double cosCentreLat) {
  const int n = results.itemCount;
  results.LegSailedDistance.assign(race.BoatCount(), std::vector<double>(n, 0.0));
  for (int b = 0; b < race.BoatCount(); ++b) {
    if (!results.finished(b)) {
      continue;
    }
    const std::vector<double>& pass = results.PassTime[b];
    for (int d = 0; d < n; ++d) {
      double from = d == 0 ? 0.0 : pass[d];
      double to = d + 1 < n ? pass[d + 1] : 0.0;
      if (d == n - 1) {
        from = 0;
        to = pass[n - 1];
      }
      if (isPassed(from) && isPassed(to)) {
        results.LegSailedDistance[b][d] = sailedMetres(race.boats[b], from, to, cosCentreLat);
      }
    }
  }
}

// Legs run from the reference point of one item (a mark or the first end of
// a line) to the mark or line midpoint of the next. The point of sail compares
// the leg's true bearing with the true wind axis.
void ComputeLegs(const Race& race, CourseResults& results, double cosCentreLat) {
  const int n = race.CourseCount();
  const double metresPerLonMinute = kMetresPerLatMinute * cosCentreLat;
  results.CoursePoint.assign(n, std::nullopt);
  for (int k = 0; k < n; ++k) {
    const CourseItem item = parseCourseItem(race.Course[k]);
    if (const auto line = itemLine(race, item)) {
      results.CoursePoint[k] = midpoint(*line);
    } else {
      results.CoursePoint[k] = itemReferencePoint(race, item);
    }
  }

  const int legs = std::max(n - 1, 0);
  results.LegBearing.assign(legs, 0.0);
  results.LegSail.assign(legs, PointOfSail::Reach);
  results.LegLength.assign(n, 0.0);
  double total = 0;
  for (int k = 0; k < legs; ++k) {
    const std::optional<GeoPoint> from = itemReferencePoint(race, parseCourseItem(race.Course[k]));
    const std::optional<GeoPoint>& to = results.CoursePoint[k + 1];
    if (!from || !to) {
      continue;
    }
    const double north = (to->lat - from->lat) * kMetresPerLatMinute;
    const double east = (to->lon - from->lon) * metresPerLonMinute;
    const double bearing = Bearing(north, east);
    results.LegBearing[k] = bearing;
    results.LegLength[k] = std::hypot(north, east);
    total += results.LegLength[k];
    const double offWind = std::abs(foldAngle(bearing - race.WindAxis));
    if (offWind < 45) {
      results.LegSail[k] = PointOfSail::Upwind;
    } else if (offWind > 135) {
      results.LegSail[k] = PointOfSail::Downwind;
    }
  }
  if (n > 0) {
    results.LegLength[n - 1] = total;
  }
}

}  // namespace velaro
