#pragma once

#include "core/readers/trackreader.h"

#include <QByteArrayView>

namespace velaro {

// Track points of a MapSource .gdb file, found by their byte pattern: a long
// record form (24-byte step) and, where it does not match, a short one
// (16-byte step). Records without a time are passed over.
TrackReadResult readGdb(QByteArrayView bytes, const TrackReadOptions& options);

}  // namespace velaro
