#pragma once

#include "core/race.h"

#include <QByteArrayView>

#include <vector>

namespace velaro {

// The shore of an area (minutes of arc) from the GMT shorelines installed on
// this computer, as polylines in minutes of arc; empty when GMT or its
// shorelines are missing or the area holds no shore. Runs `gmt coast` in a
// scratch folder, for at most kGmtTimeLimitMs in all.
std::vector<std::vector<GeoPoint>> gmtShoreline(double south, double north, double west, double east);

inline constexpr int kGmtTimeLimitMs = 20000;

// The GSHHG resolution asked for first: 'f' (full) for a race-sized area,
// coarser as the area grows; the command falls back to coarser ones.
char gmtResolutionFor(double south, double north, double west, double east);

// The polylines of `gmt coast -M` output ("> header" lines between segments of
// "lon lat" rows in degrees), in minutes of arc, with longitudes brought to
// within half a turn of centreLonDeg. Segments of fewer than two points are
// dropped.
std::vector<std::vector<GeoPoint>> parseGmtShoreline(QByteArrayView text, double centreLonDeg);

}  // namespace velaro
