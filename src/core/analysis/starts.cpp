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
    starts.push_back(analyseStart(*line, grid, results, b));
  }
  return starts;
}

}  // namespace velaro
