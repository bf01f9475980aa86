#pragma once

#include "core/analysis/mapgeometry.h"
#include "core/race.h"
#include "core/replay/timebar.h"

#include <QImage>
#include <QSize>

namespace velaro {

// The three pictures of the time-bar panel.
struct TimeBarImages {
  QImage BackTimeBar;  // the whole panel: day-light frame and START button
  QImage TimeBar;      // kTimeBarWidth x bar height: the face
  QImage TimePointer;  // kTimePointerWidth x kTimePointerHeight, red
};

// The day-light frame, one shade per panel row, with the START button at the
// panel's foot.
QImage DrawBackTimeBar(const TimeBarScale& scale, QSize panel, int StartSecondOfDay, double SunriseSecond,
                       double SunsetSecond);
// The face: background and outline, the upwind and downwind runs, the start
// mark across the whole width.
QImage DrawTimeBarFace(const TimeBarFace& face);
QImage DrawTimePointer();

// All three pictures for a panel of the given size.
TimeBarImages BuildTimeBarImages(const Race& race, const MapGeometry& geometry, QSize panel);

}  // namespace velaro
