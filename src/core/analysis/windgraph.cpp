#include "core/analysis/windgraph.h"

#include "core/angles.h"
#include "core/datetime.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace velaro {

namespace {

constexpr double kPlotSide = kWindGraphPlotHigh - kWindGraphPlotLow;
constexpr double kPlotMiddle = (kWindGraphPlotHigh + kWindGraphPlotLow) / 2.0;

// Degrees of free room left and right of the observed directions.
constexpr double kDirectionMargin = 10;

// At most about 15 time lines: the first step that achieves it.
constexpr double kMaxTimeLines = 15;
constexpr std::array<int, 5> kCoarserSteps = {600, 1800, 3600, 7200, 18000};
constexpr int kFinestStep = 300;

int directionX(double dir, double Cdir, double Fdir) {
  return roundToInt(foldAngle(dir - Cdir) / Fdir * kPlotSide + kPlotMiddle);
}

}  // namespace

int WindGraphY(double t, double TimeAxisStart, double TimeAxisEnd) {
  const double span = TimeAxisEnd - TimeAxisStart;
  if (!(span > 0)) {
    return kWindGraphPlotHigh;
  }
  return roundToInt(kWindGraphPlotHigh - (t - TimeAxisStart) * kPlotSide / span);
}

// Horizontal lines every gridStep seconds from the start signal up to the end
// of the axis; vertical lines every 10 degrees; the curve joins the samples.
// The middle direction is the middle of the observed spread, found relative to
// the middle sample so that a wind swinging through north stays in one piece.
WindGraph BuildWindGraph(const std::vector<WindSample>& wind, double TimeAxisStart, double TimeAxisEnd) {
  WindGraph graph;
  const double span = TimeAxisEnd - TimeAxisStart;

  int step = kFinestStep;
  for (int coarser : kCoarserSteps) {
    if (span / step > kMaxTimeLines) {
      step = coarser;
    }
  }
  graph.gridStep = step;
  if (span > 0) {
    const int lines = roundToInt(TimeAxisEnd / step);
    for (int u = 0; u < lines; ++u) {
      graph.timeGridY.push_back(WindGraphY(static_cast<double>(u) * step, TimeAxisStart, TimeAxisEnd));
    }
  }

  if (wind.empty()) {
    graph.Fdir = 2 * kDirectionMargin;
    return graph;
  }

  // The middle sample, 1-based round(count / 2); a single sample is its own middle.
  const int middle = std::max(roundToInt(wind.size() / 2.0), 1);
  const double ref = wind[middle - 1].dir;
  double maxDev = -500;
  double minDev = 500;
  for (const WindSample& s : wind) {
    const double dev = foldAngle(s.dir - ref);
    maxDev = std::max(maxDev, dev);
    minDev = std::min(minDev, dev);
  }
  graph.Cdir = foldAngle(ref + (maxDev + minDev) / 2);

  maxDev = -500;
  minDev = 500;
  for (const WindSample& s : wind) {
    const double dev = foldAngle(s.dir - graph.Cdir);
    maxDev = std::max(maxDev, dev);
    minDev = std::min(minDev, dev);
  }
  graph.Fdir = (maxDev + kDirectionMargin) - (minDev - kDirectionMargin);

  for (int value = 0; value < 360; value += 10) {
    const int x = directionX(value, graph.Cdir, graph.Fdir);
    if (kWindGraphPlotLow < x && x < kWindGraphPlotHigh) {
      graph.directionGridX.push_back(x);
    }
  }

  graph.curve.reserve(wind.size());
  for (const WindSample& s : wind) {
    graph.curve.emplace_back(directionX(s.dir, graph.Cdir, graph.Fdir),
                             WindGraphY(s.time, TimeAxisStart, TimeAxisEnd));
  }
  return graph;
}

}  // namespace velaro
