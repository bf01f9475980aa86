#pragma once

#include "core/readers/trackreader.h"

#include <QByteArrayView>

#include <span>

namespace velaro {

// Byte-pattern scan of the binary logs (gdb, mps)
//
// These files are chains of variable records; rather than walk them, every
// offset i is tried as the flag byte that follows a track point's position.
// A form says which bytes around i must hold which values and where the
// position and time lie. A match that holds no plausible position is taken
// for chance bytes and the scan goes on at the next offset; after a real
// match it skips most of the record.
struct ScanForm {
  bool (*matches)(const unsigned char* bytes, qsizetype i);
  qsizetype latAt;  // offsets from i
  qsizetype lonAt;
  qsizetype timeAt;
  qsizetype step;  // record length
};

// Tries the forms in order at every offset from 30 on while a whole record
// still fits (recordTail: one past the last byte a match reads). Files
// shorter than 60 bytes hold no track.
TrackReadResult scanTrackPoints(QByteArrayView bytes, const TrackReadOptions& options,
                                std::span<const ScanForm> forms, qsizetype recordTail);

}  // namespace velaro
