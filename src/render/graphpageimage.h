#pragma once

#include "core/analysis/boatcolours.h"
#include "core/loadedrace.h"

#include <QImage>

#include <vector>

namespace velaro {

struct GraphPageOptions {
  Rgb SeaColour{160, 220, 255};
  // The boat list's check boxes, boat n at n - 1; empty: the race file's focus.
  std::vector<int> BoatFocused;
};

// Draws the graph page of a loaded race over the whole of GraphBitmap, whose
// size is the map area's: both charts with their grids and labels, then the
// course and speed curves of the boats in focus and the wind direction in
// the colour of boat 1. A null picture becomes one of 800 x 600.
void DrawGraphPage(QImage& GraphBitmap, const LoadedRace& loaded, const GraphPageOptions& options);

// A copy of the graph picture with boat n's (1-based) course and speed curves
// emphasised, white under the boat's colour; the graph picture itself stays
// as it is, so showing it again removes the emphasis. Any other n gives the
// plain copy.
QImage DrawGraphHighlight(const QImage& GraphBitmap, const LoadedRace& loaded, int boat);

}  // namespace velaro
