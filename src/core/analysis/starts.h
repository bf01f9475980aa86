#pragma once

#include "core/analysis/courseresults.h"
#include "core/race.h"

#include <limits>
#include <optional>
#include <vector>

namespace velaro {

// The start line as the starts are measured against it. The committee boat
// lies at the starboard end: the end on the right hand of a boat crossing
// the line towards the next course item (towards the wind when the course
// has no second item), as committees lay their lines. The file's order of
// the two ends does not decide it.
struct StartLine {
  GeoPoint origin;  // the local metres below count from here
  double pinX = 0, pinY = 0;
  double committeeX = 0, committeeY = 0;
  double courseX = 0, courseY = 1;  // unit vector square to the line, towards the course
};

// The race's start line: course item 1 when it is a line the race has.
std::optional<StartLine> raceStartLine(const Race& race, const CourseResults& results, double cosCentreLat);

// Where along the line a boat was: the third nearer the pin, the middle, or
// the committee boat's third.
enum class LineThird { Pin, Middle, Committee };

enum class StartStatus {
  Started,     // behind the line at the gun and crossed it
  Returned,    // on the course side at the gun, came back and started
  Ocs,         // on the course side at the gun and never came back
  NotStarted,  // no crossing between the ends in its log
  NoPosition   // the log does not cover the gun
};

struct BoatStart {
  StartStatus status = StartStatus::NoPosition;
  // At the gun: metres to the line (negative on the course side), the third
  // of the line it was nearest, speed in knots. NaN without a position.
  double gunLineMetres = std::numeric_limits<double>::quiet_NaN();
  LineThird third = LineThird::Middle;
  double gunSpeed = std::numeric_limits<double>::quiet_NaN();
  // Seconds after the gun at which it crossed towards the course between
  // the ends, and its speed then; NaN when it did not.
  double crossTime = std::numeric_limits<double>::quiet_NaN();
  double crossSpeed = std::numeric_limits<double>::quiet_NaN();
};

// Every boat's start, in boat order; empty when the course does not begin
// with a line.
std::vector<BoatStart> AnalyseStarts(const Race& race, const CourseResults& results, double cosCentreLat);

class TrackGrid;
// One boat's start from its sampled track (local metres about the line's
// origin).
BoatStart analyseStart(const StartLine& line, const TrackGrid& grid, const CourseResults& results, int boat);
// The stretch of a boat's log its start is sought in: from a minute before
// the gun to its first mark.
double startSearchEnd(const CourseResults& results, int boat);

// Signed metres from a point (local metres about the line's origin) to the
// start line segment: negative on the course side.
double lineDistanceMetres(const StartLine& line, double x, double y);

}  // namespace velaro
