#pragma once

#include "core/analysis/boatcolours.h"
#include "core/analysis/courseresults.h"
#include "core/analysis/manoeuvres.h"
#include "core/analysis/mapgeometry.h"
#include "core/analysis/windgraph.h"
#include "core/boatoutline.h"
#include "core/race.h"

#include <vector>

namespace velaro {

// A race as the program shows it: what its files say and everything derived
// from them before the replay starts.
struct LoadedRace {
  Race race;
  BoatColours colours;
  MapGeometry geometry;
  CourseResults results;
  std::vector<ResultLabel> resultLabels;
  BoatOutline outline;
  double MaxTrackSpeed = 0;  // fastest fix below the spike limit, knots
  bool windGraphOn = false;  // the race has a wind log
  WindGraph windGraph;
  // Every boat's tacks and gybes, and each boat's tally of them.
  std::vector<Manoeuvre> manoeuvres;
  std::vector<ManoeuvreTally> manoeuvreTally;
  bool resetZoom = false;  // a short GPX or DTR/TRK log: zoom back to 1
};

}  // namespace velaro
