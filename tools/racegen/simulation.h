#pragma once

#include "racegen/course.h"
#include "racegen/geometry.h"
#include "racegen/polar.h"
#include "racegen/rng.h"
#include "racegen/windmodel.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace velaro::racegen {

struct SimParams {
  int boats = 12;
  CourseParams course;
  WindModel::Params wind;
  int preStartSeconds = 300;
  double expectedRaceSeconds = 3600;  // gun to the leaders' finish, roughly
  bool oneOverTheLine = true;         // one boat starts early and must return
  int retiringBoat = -1;              // 0-based boat that retires mid-race, or -1
  Vec harbour;                        // where boats head when done, metres from the start line
};

// Where a boat was, second by second.
struct TruthFix {
  int t = 0;  // seconds from the gun
  Vec pos;
  double heading = 0;  // degrees true
  double speed = 0;    // knots
  double windDir = 0;  // the true wind the boat sailed in, degrees true
};

// A change of side while racing: the moment the heading passed the wind (a
// tack) or its opposite (a gybe), and the metres it cost, measured on the
// true track the way the analysis measures it on the logs.
struct SimManoeuvre {
  double t = 0;
  bool gybe = false;
  double metresLost = std::numeric_limits<double>::quiet_NaN();
  // Within a few seconds of rounding a mark or passing a gate: part of the
  // rounding, which the analysis does not list.
  bool atRounding = false;
};

struct SimBoat {
  std::vector<TruthFix> track;  // one per second, log start to log end
  // When the boat passed each course item (seconds from the gun): where it
  // crossed a line the way the course goes, or its closest approach to a
  // mark while rounding it; NaN when it never did. The start is the crossing
  // after the gun; a boat over early has its first crossing in earlyCrossing.
  std::vector<double> passTimes;
  // Seconds (negative) when it crossed the start line before the gun; NaN
  // when it started properly.
  double earlyCrossing = std::numeric_limits<double>::quiet_NaN();
  // The first time the boat's track crosses the start line between its ends,
  // either way and at any time (NaN when never): where a track alone puts
  // the start.
  double firstStartCrossing = std::numeric_limits<double>::quiet_NaN();
  bool finished = false;
  bool retired = false;
  int tacks = 0;
  int gybes = 0;
  std::vector<SimManoeuvre> manoeuvres;
  // Metres from the true position at the gun to the start line, negative on
  // the course side; NaN when the boat was not logging then.
  double gunLineMetres = std::numeric_limits<double>::quiet_NaN();
  double speedFactor = 1;
};

struct SimResult {
  CourseLayout course;
  std::vector<SimBoat> boats;
  int firstSecond = 0;  // the earliest logged second, negative
  int lastSecond = 0;
  double lastFinish = 0;
};

// Sails the fleet through the pre-start, the start and the course, one
// second at a time, from the polar table, in the given wind.
SimResult simulateRace(const SimParams& params, const Polar& polar, const WindModel& wind, Rng& rng);

}  // namespace velaro::racegen
