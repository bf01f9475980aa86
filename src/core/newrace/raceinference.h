#pragma once

#include "core/newrace/inputlogs.h"
#include "core/race.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace velaro {

// Values the user gives; each one set is taken over its estimate.
struct InferenceHints {
  std::optional<double> gunUtc;     // date-time
  std::optional<double> finishUtc;  // date-time
  std::optional<double> windDirTrue;
  std::vector<GeoPoint> marks;  // minutes of arc, MK1, MK2, ... in this order
  QStringList course;           // CRS items, e.g. L1,MK1,MK2,L2
};

// The wind direction at one moment.
struct WindEstimate {
  double timeUtc = 0;  // date-time
  double dirTrue = 0;  // degrees, where the wind blows from
};

// A race read out of its boats' logs.
struct InferredRace {
  double gunUtc = 0;     // date-time of the start
  double finishUtc = 0;  // date-time the replay ends (FT)
  int preStartMinutes = 5;
  double windDirTrue = 0;             // the race's mean wind
  std::vector<WindEstimate> windLog;  // minute by minute; empty when the wind held within a few degrees
  std::vector<GeoPoint> marks;        // MK
  std::vector<GeoLine> lines;         // LN: start line first, then the finish line when it differs
  std::vector<GeoLine> refLines;      // RL: across the first beat at a third and two thirds
  QStringList course;                 // CRS items
  int beatAngle = 45;                 // LL: half the tacking angle
  int runAngle = 150;                 // LL: the course off the wind when running
  // Per log, in the order given: seconds to add to its times (BN's offset),
  // non-zero for a logger whose clock was found to run wrong.
  std::vector<int> timeOffsets;
  GeoPoint centre;         // middle of the fleet's tracks
  double spanMinutes = 0;  // largest extent of the tracks, minutes of arc
  // One line per estimate with how sure it is: "wind 262 deg from 31 tacks,
  // spread 4 deg", "MK2 from 9 of 10 boats".
  QStringList estimates;
};

// Reads the race out of the logs: the time span they share, the wind from the
// boats' tacks (or gybes), the marks where most of the fleet turns, the start
// and finish lines, the course and the gun.
InferredRace inferRace(const std::vector<InputLog>& logs, const InferenceHints& hints);

}  // namespace velaro
