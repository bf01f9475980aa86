#pragma once

#include "core/race.h"

#include <QString>

#include <optional>
#include <vector>

namespace velaro {

// A pass time for an item the boat did not pass. Any time above kPassedLimit
// means "not passed", so readers of the results test against that limit.
inline constexpr double kNotPassed = 10'000'000;
inline constexpr double kPassedLimit = 999'999;
// The best time of an item that no boat passed.
inline constexpr double kNoBestTime = 1'000'000;

inline bool isPassed(double passTime) {
  return passTime <= kPassedLimit;
}

// A course item names a line ("L2": any text containing "L", numbered from its
// second character on) or a mark ("MK3": numbered from its third character).
struct CourseItem {
  enum class Kind { Mark, Line };
  Kind kind = Kind::Mark;
  int number = 0;  // 1-based mark or line number; 0 when the text has none
};
CourseItem parseCourseItem(const QString& text);

// The point a boat must come near to pass an item: the mark, or the first end
// of a line. None when the item names a mark or line the race does not have.
std::optional<GeoPoint> itemReferencePoint(const Race& race, const CourseItem& item);
// The line an item names, when it names one the race has.
std::optional<GeoLine> itemLine(const Race& race, const CourseItem& item);

enum class PointOfSail { Upwind = 1, Downwind = 2, Reach = 3 };

// Results of the course analysis. Boats and items are 0-based here: boat n,
// item k is PassTime[n - 1][k - 1]. Every course item is analysed, up to the
// 20 a course can hold.
struct CourseResults {
  int itemCount = 0;  // CourseCount

  // Seconds from the start signal at which each boat passed each item;
  // kNotPassed when it did not.
  std::vector<std::vector<double>> PassTime;  // [boat][item]
  // First boat past each item (1-based boat number, 0 when none passed) and
  // its time (kNoBestTime when none passed).
  std::vector<int> PointLeader;       // [item]
  std::vector<double> PointBestTime;  // [item]
  // 1 + the number of boats that finished strictly earlier; boats without a
  // finish share the rank after the last finisher.
  std::vector<int> FinishRank;  // [boat]
  // The last course item's line, drawn by the map view; none when the course
  // ends at a mark.
  std::optional<GeoLine> FinishLine;

  // Leg k runs from item k to item k + 1 (legs 0..itemCount-2). LegLength has
  // one more slot holding the total course length.
  std::vector<double> LegBearing;                    // [leg], degrees true
  std::vector<double> LegLength;                     // [leg], metres; [itemCount - 1] = total
  std::vector<PointOfSail> LegSail;                  // [leg]
  std::vector<std::optional<GeoPoint>> CoursePoint;  // [item]: mark or midpoint of the line

  // Metres each finished boat sailed per leg, measured along its track
  // between the pass times (leg 1 from the start signal); slot itemCount - 1
  // holds the whole race. 0 where the leg was not sailed or the boat did not
  // finish.
  std::vector<std::vector<double>> LegSailedDistance;  // [boat][slot]

  bool finished(int boatIndex) const { return itemCount > 0 && isPassed(PassTime[boatIndex][itemCount - 1]); }
};

// Pass times of every boat at every course item: a line is passed where the
// track crosses it within the line's length, a mark (or a line never crossed)
// at the fix closest to it; then the leaders, the finish ranks and the finish
// line copy.
CourseResults FindRoundings(const Race& race);

// Ends every finished boat's track one minute after its finish, so that the
// replay, graphs and exports stop there. Does nothing for a course of fewer
// than two items, whose only item is the start.
void TrimTracks(Race& race, const CourseResults& results);

// Text and vertical place of each boat's line on the result board, in boat
// order: " 2  Name  (+35sec)". Empty when the race has no course lines.
struct ResultLabel {
  QString text;
  int top = 0;  // pixels inside the result panel
};
std::vector<ResultLabel> BuildResultLabels(const Race& race, const CourseResults& results);

// LegSailedDistance of every boat. Run on the trimmed tracks.
void ComputeSailedDistances(const Race& race, CourseResults& results, double cosCentreLat);

// Metres along a boat's track between two times; a time before the first fix
// counts from the first fix, one after the last fix ends at the last fix.
double sailedMetres(const Boat& boat, double fromTime, double toTime, double cosCentreLat);

// LegBearing, LegLength, LegSail and CoursePoint.
void ComputeLegs(const Race& race, CourseResults& results, double cosCentreLat);

}  // namespace velaro
