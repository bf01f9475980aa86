#pragma once

#include "core/analysis/boatcolours.h"
#include "core/analysis/mapgeometry.h"
#include "core/race.h"

#include <QImage>

#include <vector>

namespace velaro {

inline constexpr int kTrackHighlightHaloWidth = 6;
inline constexpr int kTrackHighlightLineWidth = 2;

// A boat's whole track picked out on a copy of a map picture: every fix
// joined through the projection, first with a broad white pen, then with a
// thin one in the boat's colour. The picture itself is left as it is, so
// showing it again removes the highlight.
QImage HighlightTrack(const QImage& picture, const Projection& projection, const std::vector<Fix>& fixes,
                      Rgb colour);

}  // namespace velaro
