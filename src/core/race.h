#pragma once

#include "core/ignoredrecord.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace velaro {

// Capacities of the race tables; records beyond them are ignored.
inline constexpr int kMaxBoats = 81;
inline constexpr int kMaxMarks = 20;
inline constexpr int kMaxLines = 10;
inline constexpr int kMaxRefLines = 10;
inline constexpr int kMaxCourseItems = 20;
inline constexpr int kMaxMapNames = 10;
inline constexpr int kMaxAttachments = 10;
inline constexpr int kMaxRaceFiles = 200;

inline constexpr int kDefaultPreStartSeconds = 180;
inline constexpr double kDefaultPlaySpeed = 5.0;

// Boats with fewer kept fixes than this are dropped from the race.
inline constexpr int kMinFixesPerBoat = 50;

// Positions are minutes of arc (degrees x 60), north and east positive.
struct GeoPoint {
  double lat = 0;
  double lon = 0;
  friend bool operator==(const GeoPoint&, const GeoPoint&) = default;
};

// A course line (start, finish, gate) or a reference line, by its two ends.
struct GeoLine {
  GeoPoint end1;
  GeoPoint end2;
  friend bool operator==(const GeoLine&, const GeoLine&) = default;
};

// One kept GPS fix. time is seconds from the UTC race start with the boat's
// offset added; speed (knots) and course (whole degrees true) are derived
// after loading.
struct Fix {
  double time = 0;
  double lat = 0;
  double lon = 0;
  double speed = 0;
  double course = 0;
};

struct Boat {
  QString BoatFile;        // log file name inside gpsdat/
  QString BoatName;        // display name
  int BoatTimeOffset = 0;  // seconds added to every fix time
  int BoatFocused = 1;     // 1 = checked in the boat list
  int LogInterval = 30;    // mean seconds between logged fixes
  int RaceFileLine = 0;    // the line of its BN record
  std::vector<Fix> fixes;  // file order, fix i of the boat is fixes[i - 1]

  int FixCount() const { return static_cast<int>(fixes.size()); }
};

struct WindSample {
  double time = 0;   // seconds from the local race start
  double speed = 0;  // as written in the file
  int dir = 0;       // whole degrees, magnetic as the wind log writes it
};

struct Light {
  QString kind;
  GeoPoint pos;
  int period = 0;   // ticks of the light timer
  int onTime = 0;   // ticks lit within a period
  QString colours;  // colour letters
  double range = 0;
};

// Coastline polylines, already split: each polyline is a run of points.
struct Coastline {
  std::vector<std::vector<GeoPoint>> polylines;

  int pointCount() const {
    int n = 0;
    for (const auto& p : polylines) {
      n += static_cast<int>(p.size());
    }
    return n;
  }
};

// The values of the race description that a race file may leave out and that
// then keep what the previously loaded race had (0 at program start).
struct RaceCarryOver {
  double RaceStart = 0;
  double RaceFinish = 0;
  int TimeDifference = 0;
  double MagVariation = 0;
  int WindDirection = 0;
  int LaylineAngleA = 0;
  int LaylineAngleB = 0;
  double BoatLength = 0;
};

// One race as its files describe it. Boat numbers shown to users are
// 1-based: boat n is boats[n - 1].
struct Race {
  QString raceFilePath;

  // Race description
  double RaceStart = 0;    // local date-time
  double RaceFinish = 0;   // local date-time
  int TimeDifference = 0;  // hours, local minus UTC
  double RaceStartUtc = 0;
  double RaceFinishUtc = 0;
  double RaceDate = 0;  // date part of RaceStart
  int PreStartSeconds = kDefaultPreStartSeconds;
  double TimeAxisStart = -kDefaultPreStartSeconds - 10;
  double TimeAxisEnd = 30;
  double MagVariation = 0;  // degrees, east positive
  int WindDirection = 0;    // degrees, used when no wind sample applies
  int WindAxis = 0;         // Round(MagVariation) + WindDirection
  int LaylineAngleA = 0;
  int LaylineAngleB = 0;
  double BoatLength = 0;  // metres
  int NorthUp = 0;        // > 0: north up, else wind up
  double PlaySpeed = kDefaultPlaySpeed;
  QString WindFileName;  // inside winddat/
  QString RaceTitle1;
  QString RaceTitle2;
  QString RaceNote;
  QString RaceFlag;
  QString RaceCaption;
  QString RaceSubcaption;

  // Boats and their tracks
  std::vector<Boat> boats;
  int DroppedBoats = 0;  // logs with too few fixes in the race
  // Records of the race file the race does not hold, in file order; a log
  // that turns out unreadable while the tracks are read joins them there.
  std::vector<IgnoredRecord> ignored;
  int BoatRows = 0;
  int BoatListHeight = 25;

  // Course
  std::vector<GeoPoint> marks;    // MK, mark n is marks[n - 1]
  std::vector<GeoLine> lines;     // LN, line n is lines[n - 1]
  std::vector<GeoLine> refLines;  // RL
  QStringList Course;             // CRS items in sailing order, 0-based
  QStringList MapName;            // MAP sheet names, 0-based
  QStringList Attachment;         // AT file names inside attachment/

  // Wind, coastline and lights
  std::vector<WindSample> wind;
  Coastline coastline;
  std::vector<Light> lights;

  int BoatCount() const { return static_cast<int>(boats.size()); }
  int MarkCount() const { return static_cast<int>(marks.size()); }
  int LineCount() const { return static_cast<int>(lines.size()); }
  int RefLineCount() const { return static_cast<int>(refLines.size()); }
  int CourseCount() const { return static_cast<int>(Course.size()); }
  int AttachmentCount() const { return static_cast<int>(Attachment.size()); }
  int WindCount() const { return static_cast<int>(wind.size()); }

  RaceCarryOver carryOver() const {
    return {RaceStart,     RaceFinish,    TimeDifference, MagVariation,
            WindDirection, LaylineAngleA, LaylineAngleB,  BoatLength};
  }
};

// Rows of the two-column boat list: half the boat count rounded up.
int boatRowsFor(int boatCount);
inline int boatListHeightFor(int boatRows) {
  return boatRows * 14 + 25;
}

}  // namespace velaro
