#pragma once

#include "core/readers/trackreader.h"

#include <QByteArrayView>

namespace velaro {

// The track points of a GPX file: every trkpt with lat, lon and time, in file
// order. Elevations and extension elements are not read. Times may carry
// fractional seconds and a zone ("Z", "+02:00"); they are returned in UTC.
// A lat, lon or time that does not convert ends the read with an error.
TrackReadResult readGpx(QByteArrayView bytes, const TrackReadOptions& options);

// The time text of a GPX time element as a UTC date-time.
std::optional<double> parseGpxTime(QByteArrayView text, std::optional<double> raceDate);

}  // namespace velaro
