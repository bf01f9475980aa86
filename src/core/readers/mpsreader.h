#pragma once

#include "core/readers/trackreader.h"

#include <QByteArrayView>

namespace velaro {

// Track points of a MapSource .mps file, found by their byte pattern.
TrackReadResult readMps(QByteArrayView bytes, const TrackReadOptions& options);

}  // namespace velaro
