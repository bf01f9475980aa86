#pragma once

#include "core/readers/trackreader.h"

#include <QByteArrayView>

namespace velaro {

// A .dtr or .trk text log: blank-separated columns; a line of exactly six
// columns whose first contains "T" is a fix (latitude, longitude, date, time,
// one unused column). Lines containing "DMS" or "DEG" switch the coordinate
// notation. A fix whose date or time does not convert is passed over; a
// coordinate that does not convert ends the read with an error.
TrackReadResult readDtr(QByteArrayView bytes, const TrackReadOptions& options);

}  // namespace velaro
