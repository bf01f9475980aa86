#pragma once

#include "core/race.h"

#include <QPoint>

#include <vector>

namespace velaro {

// Side of the wind graph image and its plot rectangle (pixels): time runs
// upwards from y = 95 to y = 5, direction left to right from x = 5 to x = 95.
inline constexpr int kWindGraphSize = 100;
inline constexpr int kWindGraphPlotLow = 5;
inline constexpr int kWindGraphPlotHigh = 95;

// What the wind direction graph shows for one race, in its own pixels.
struct WindGraph {
  int gridStep = 0;                 // seconds between horizontal grid lines
  std::vector<int> timeGridY;       // y of each horizontal grid line
  double Cdir = 0;                  // direction at the middle, degrees -180..180
  double Fdir = 0;                  // directions across the plot, degrees
  std::vector<int> directionGridX;  // x of each 10-degree line inside the plot
  std::vector<QPoint> curve;        // one point per wind sample, in sample order
};

// Lays out the graph of the observed wind over the replay time axis. Samples
// outside the axis keep their place outside the plot. With no samples the
// graph has its time grid and no curve.
WindGraph BuildWindGraph(const std::vector<WindSample>& wind, double TimeAxisStart, double TimeAxisEnd);

// Plot row of time t: the axis start at the bottom of the plot, its end at the top.
int WindGraphY(double t, double TimeAxisStart, double TimeAxisEnd);

}  // namespace velaro
