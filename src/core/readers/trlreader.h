#pragma once

#include "core/readers/trackreader.h"

#include <QByteArrayView>

namespace velaro {

// A .trl file: 16-byte records of Unix time (int32), latitude and longitude
// (float degrees) and four unused bytes. Records that hold no plausible
// position are passed over; a trailing part record is not read.
TrackReadResult readTrl(QByteArrayView bytes, const TrackReadOptions& options);

}  // namespace velaro
