#pragma once

#include "core/analysis/gaps.h"
#include "core/loadedrace.h"
#include "render/chartparts.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace velaro {

// The leader passing a course item: a line down the chart with the item's
// name, and the shade of the leg that follows.
struct GapChartRounding {
  double time = 0;  // seconds from the gun
  QString label;    // "MK1", "Finish"; the start's is not drawn
  std::optional<PointOfSail> legAfter;
};

struct GapChart {
  QString title;
  std::vector<GapStep> steps;  // as ComputeGaps gives them, every boat of the race
  // The boats drawn, each by its number in the steps; the first lies on top.
  std::vector<ChartBoat> boats;
  std::vector<GapChartRounding> roundings;
  int gunSecondOfDay = 0;  // the local clock at the gun, for the time labels
};

// The chart of a loaded race's gaps for the boats given by number, the
// roundings those of the first boat past each item.
GapChart GapChartOf(const LoadedRace& loaded, std::vector<GapStep> steps, const std::vector<int>& boats);

// Seconds behind the leader against the time of day: the leader along the
// top, each boat's curve below it in its colour, its name at the right at its
// last gap. Boats out of the race end where their gap does; a boat far
// behind the rest (three times the middle boat's worst gap) runs off the
// bottom rather than squeeze the others flat.
QImage DrawGapChart(const GapChart& chart, QSize size);

}  // namespace velaro
