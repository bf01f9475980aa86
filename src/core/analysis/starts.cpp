#include "core/analysis/starts.h"

#include "core/analysis/trackgrid.h"

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

constexpr double kKnotsPerMetrePerSecond = 3600 / 1852.0;
// A crossing this far outside an end (a fraction of the line's length)
// still counts: a fix wanders a few metres.
constexpr double kEndTolerance = 0.05;

double speedAt(const TrackGrid& grid, double t) {
  double vx, vy;
  if (!grid.velocity(t, vx, vy)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return std::hypot(vx, vy) * kKnotsPerMetrePerSecond;
}

// Offset of a point from the line towards the course, and its place along
// the line from the pin (0) to the committee boat (1).
struct LinePlace {
  double ahead;
  double along;
};

LinePlace placeOf(const StartLine& line, double x, double y) {
  const double dx = line.committeeX - line.pinX;
  const double dy = line.committeeY - line.pinY;
  const double length2 = dx * dx + dy * dy;
  const double px = x - line.pinX;
  const double py = y - line.pinY;
  return {px * line.courseX + py * line.courseY, length2 > 0 ? (px * dx + py * dy) / length2 : 0.5};
}

// A fix this far off the cleaned track is a spike it left out.
constexpr double kSpikeMetres = 25;

// Where the boat was at the gun, in local metres: between the fixes either
// side, along a cubic whose velocity at each of them is fitted from its
// neighbours, so that a boat turning or speeding up between fixes seconds
// apart is followed; the straight line between them where a neighbour is
// missing.
bool gunPosition(const Boat& boat, const TrackGrid& grid, GeoPoint origin, double cosCentreLat, double& x,
                 double& y) {
  if (!grid.position(0, x, y)) {
    return false;
  }
  struct Point {
    double t, x, y;
  };
  std::vector<Point> near;  // up to two kept fixes either side of the gun
  const auto after = std::upper_bound(boat.fixes.begin(), boat.fixes.end(), 0.0,
                                      [](double t, const Fix& f) { return t < f.time; });
  auto keep = [&](const Fix& f, Point& p) {
    p.t = f.time;
    TrackGrid::toLocal({f.lat, f.lon}, origin, cosCentreLat, p.x, p.y);
    double gx, gy;
    return grid.position(p.t, gx, gy) && std::hypot(gx - p.x, gy - p.y) <= kSpikeMetres;
  };
  std::vector<Point> before;
  for (auto it = after; it != boat.fixes.begin() && before.size() < 2;) {
    --it;
    Point p;
    if (keep(*it, p) && (before.empty() || p.t < before.back().t)) {
      before.push_back(p);
    }
  }
  std::vector<Point> later;
  for (auto it = after; it != boat.fixes.end() && later.size() < 2; ++it) {
    Point p;
    if (keep(*it, p) && (later.empty() || p.t > later.back().t)) {
      later.push_back(p);
    }
  }
  if (before.size() < 2 || later.size() < 2) {
    return true;
  }
  const Point& p0 = before[1];
  const Point& p1 = before[0];
  const Point& p2 = later[0];
  const Point& p3 = later[1];
  const double h = p2.t - p1.t;
  if (h <= 0 || p3.t - p0.t > 4 * std::max(1.0, grid.logInterval())) {
    return true;
  }
  const double v1x = (p2.x - p0.x) / (p2.t - p0.t), v1y = (p2.y - p0.y) / (p2.t - p0.t);
  const double v2x = (p3.x - p1.x) / (p3.t - p1.t), v2y = (p3.y - p1.y) / (p3.t - p1.t);
  const double s = -p1.t / h;
  const double h00 = 2 * s * s * s - 3 * s * s + 1, h10 = s * s * s - 2 * s * s + s;
  const double h01 = -2 * s * s * s + 3 * s * s, h11 = s * s * s - s * s;
  x = h00 * p1.x + h10 * h * v1x + h01 * p2.x + h11 * h * v2x;
  y = h00 * p1.y + h10 * h * v1y + h01 * p2.y + h11 * h * v2y;
  return true;
}

}  // namespace

std::optional<StartLine> raceStartLine(const Race& race, const CourseResults& results, double cosCentreLat) {
  if (race.CourseCount() < 1) {
    return std::nullopt;
  }
  const CourseItem first = parseCourseItem(race.Course[0]);
  const std::optional<GeoLine> geo = itemLine(race, first);
  if (first.kind != CourseItem::Kind::Line || !geo) {
    return std::nullopt;
  }
  StartLine line;
  line.origin = geo->end1;
  double x1 = 0, y1 = 0, x2, y2;
  TrackGrid::toLocal(geo->end2, line.origin, cosCentreLat, x2, y2);
  const double length = std::hypot(x2 - x1, y2 - y1);
  if (length <= 0) {
    return std::nullopt;
  }
  // Square to the line, turned towards the next item, else into the wind.
  double nx = -(y2 - y1) / length;
  double ny = (x2 - x1) / length;
  double towardsX, towardsY;
  std::optional<GeoPoint> next;
  if (race.CourseCount() > 1 && static_cast<int>(results.CoursePoint.size()) > 1) {
    next = results.CoursePoint[1];
  }
  if (next) {
    double mx, my;
    TrackGrid::toLocal(*next, line.origin, cosCentreLat, mx, my);
    towardsX = mx - (x1 + x2) / 2;
    towardsY = my - (y1 + y2) / 2;
  } else {
    const double a = race.WindAxis * M_PI / 180;
    towardsX = std::sin(a);
    towardsY = std::cos(a);
  }
  if (nx * towardsX + ny * towardsY < 0) {
    nx = -nx;
    ny = -ny;
  }
  line.courseX = nx;
  line.courseY = ny;
  // The right hand of a boat heading (nx, ny) is (ny, -nx).
  const bool end2Starboard = (x2 - x1) * ny - (y2 - y1) * nx > 0;
  if (end2Starboard) {
    line.pinX = x1, line.pinY = y1, line.committeeX = x2, line.committeeY = y2;
  } else {
    line.pinX = x2, line.pinY = y2, line.committeeX = x1, line.committeeY = y1;
  }
  return line;
}

double lineDistanceMetres(const StartLine& line, double x, double y) {
  const LinePlace p = placeOf(line, x, y);
  const double f = std::clamp(p.along, 0.0, 1.0);
  const double qx = line.pinX + (line.committeeX - line.pinX) * f;
  const double qy = line.pinY + (line.committeeY - line.pinY) * f;
  const double d = std::hypot(x - qx, y - qy);
  return p.ahead > 0 ? -d : d;
}

double startSearchEnd(const CourseResults& results, int boat) {
  if (boat < static_cast<int>(results.PassTime.size())) {
    for (int k = 1; k < results.itemCount; ++k) {
      if (isPassed(results.PassTime[boat][k])) {
        return results.PassTime[boat][k];
      }
    }
  }
  return 1e12;
}

BoatStart analyseStart(const StartLine& line, const TrackGrid& grid, const CourseResults& results, int boat) {
  BoatStart s;
  if (grid.empty()) {
    return s;
  }
  double x, y;
  const bool atGun = grid.position(0, x, y);
  bool over = false;
  if (atGun) {
    s.gunLineMetres = lineDistanceMetres(line, x, y);
    const LinePlace p = placeOf(line, x, y);
    s.third = p.along < 1.0 / 3   ? LineThird::Pin
              : p.along > 2.0 / 3 ? LineThird::Committee
                                  : LineThird::Middle;
    s.gunSpeed = speedAt(grid, 0);
    over = p.ahead > 0;
  }
  // The search ends at the boat's first mark: a later crossing is no start.
  const double until = std::min(grid.lastTime(), startSearchEnd(results, boat));
  bool returned = false;
  double prevAhead = 0;
  bool havePrev = false;
  for (double t = std::max(0.0, std::ceil(grid.firstTime())); t <= until; t += 1) {
    if (!grid.position(t, x, y)) {
      havePrev = false;
      continue;
    }
    const LinePlace p = placeOf(line, x, y);
    if (havePrev) {
      if (over) {
        if (prevAhead > 0 && p.ahead <= 0) {
          over = false;
          returned = true;
        }
      } else if (prevAhead <= 0 && p.ahead > 0) {
        const double f = prevAhead / (prevAhead - p.ahead);
        double px, py;
        grid.position(t - 1, px, py);
        const double along = placeOf(line, px + (x - px) * f, py + (y - py) * f).along;
        if (along >= -kEndTolerance && along <= 1 + kEndTolerance) {
          s.crossTime = t - 1 + f;
          s.crossSpeed = speedAt(grid, s.crossTime);
          break;
        }
      }
    }
    prevAhead = p.ahead;
    havePrev = true;
  }
  if (!atGun) {
    s.status = StartStatus::NoPosition;
  } else if (over) {
    s.status = StartStatus::Ocs;
  } else if (std::isnan(s.crossTime)) {
    s.status = StartStatus::NotStarted;
  } else {
    s.status = returned ? StartStatus::Returned : StartStatus::Started;
  }
  return s;
}

std::vector<BoatStart> AnalyseStarts(const Race& race, const CourseResults& results, double cosCentreLat) {
  std::vector<BoatStart> starts;
  const std::optional<StartLine> line = raceStartLine(race, results, cosCentreLat);
  if (!line) {
    return starts;
  }
  starts.reserve(race.boats.size());
  for (int b = 0; b < race.BoatCount(); ++b) {
    const TrackGrid grid(race.boats[b], line->origin, cosCentreLat, -60, startSearchEnd(results, b));
    BoatStart start = analyseStart(*line, grid, results, b);
    double x, y;
    if (gunPosition(race.boats[b], grid, line->origin, cosCentreLat, x, y)) {
      start.gunLineMetres = lineDistanceMetres(*line, x, y);
    }
    starts.push_back(start);
  }
  return starts;
}

}  // namespace velaro
