#pragma once

#include "core/analysis/windgraph.h"

#include <QColor>
#include <QImage>

namespace velaro {

inline const QColor kWindGraphBackground(0, 128, 0);
inline const QColor kWindGraphGrid(192, 192, 225);
inline const QColor kWindGraphCurve(0, 255, 225);

// The wind direction graph as its kWindGraphSize square picture.
QImage DrawWindGraph(const WindGraph& graph);

// The red time marker across the plot: kWindGraphTimeMarkerWidth pixels
// from the plot's left edge, two rows from barTop down.
inline const QColor kWindGraphTimeMarker(255, 0, 0);
inline constexpr int kWindGraphTimeMarkerWidth = 90;
// The graph with the time marker at barTop (the scene's windBarTop, or
// where it stood last when the scene time lies outside the wind samples).
QImage WindGraphWithTime(const QImage& graph, int barTop);

}  // namespace velaro
