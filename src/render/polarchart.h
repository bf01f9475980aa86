#pragma once

#include "core/analysis/polars.h"
#include "core/loadedrace.h"
#include "render/chartparts.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <vector>

namespace velaro {

struct PolarChart {
  QString title;
  std::vector<ChartBoat> boats;   // the first lies on top
  std::vector<BoatPolar> polars;  // one for each of boats
};

// The polars of a loaded race's boats given by number, as ComputePolars gives
// them for every boat of the race.
PolarChart PolarChartOf(const LoadedRace& loaded, const std::vector<BoatPolar>& polars,
                        const std::vector<int>& boats);

// Each boat's speed against true wind angle in its colour, on a half circle
// with the wind at the top and rings of knots: one half circle for each wind
// band (the four with the most sailing when there are more), the bins the boat
// sailed as dots joined across gaps of one bin, its best angles towards and
// away from the wind ringed.
QImage DrawPolarChart(const PolarChart& chart, QSize size);

}  // namespace velaro
