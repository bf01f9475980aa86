#pragma once

#include "racegen/geometry.h"
#include "racegen/polar.h"
#include "racegen/rng.h"

#include <QString>

#include <vector>

namespace velaro::racegen {

enum class CourseShape { WindwardLeeward, Triangle };

struct Segment {
  Vec end1;
  Vec end2;
  Vec middle() const { return (end1 + end2) * 0.5; }
};

struct CourseItem {
  bool isLine = false;
  int index = 0;  // 0-based mark or line index
  QString name() const {
    return isLine ? QStringLiteral("L%1").arg(index + 1) : QStringLiteral("MK%1").arg(index + 1);
  }
};

// A course laid by the committee for the wind at the start: a start line
// square to the wind with a little bias, the windward mark straight upwind,
// an offset mark, a leeward gate or leeward and wing marks, and a finish
// line. Marks are rounded to port. Positions are metres from the middle of
// the start line.
struct CourseLayout {
  std::vector<Vec> marks;
  std::vector<Segment> lines;
  std::vector<Segment> refLines;
  std::vector<CourseItem> items;
  int startLine = 0;
  int finishLine = 0;
  int gateLine = -1;
  double windDir = 0;  // the wind the course was laid for, degrees true
  double legMetres = 0;

  // Where a boat rounding item k aims: the mark moved out by offset metres
  // to the outside of the turn (marks), or the middle of the line.
  Vec itemPoint(int k) const;
  Vec incoming(int k) const;  // unit direction of the leg ending at item k
  Vec outgoing(int k) const;  // unit direction of the leg leaving item k
};

struct CourseParams {
  CourseShape shape = CourseShape::WindwardLeeward;
  double windDir = 180;
  double legMetres = 1000;
  int laps = 2;
  int boats = 12;
};

CourseLayout layoutCourse(const CourseParams& params, Rng& rng);

// The leg length that makes the race last about raceSeconds in wind of
// twsKnots for this shape and number of laps.
double legForDuration(CourseShape shape, int laps, double raceSeconds, double twsKnots, const Polar& polar);

}  // namespace velaro::racegen
