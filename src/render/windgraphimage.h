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

}  // namespace velaro
