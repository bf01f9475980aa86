#include "core/readers/mpsreader.h"

#include "core/readers/patternscan.h"

namespace velaro {

namespace {

// MPS track points have one record form:
//   00 00 | lat | lon | 00/01 | altitude (8) | 01 | time | nine bytes 00

// The scan runs as far as a whole record still fits: the last byte a match
// reads is i + 22. Stopping 30 bytes short of the end, as the scan start
// does, would lose a track point that ends the file.
constexpr qsizetype kRecordTail = 23;

bool trackPointAt(const unsigned char* b, qsizetype i) {
  if (b[i] > 1 || b[i - 10] != 0 || b[i - 9] != 0 || b[i + 9] != 1) {
    return false;
  }
  for (qsizetype k = i + 14; k <= i + 22; ++k) {
    if (b[k] != 0) {
      return false;
    }
  }
  return true;
}

constexpr ScanForm kForms[] = {{trackPointAt, -8, -4, 10, 24}};

}  // namespace

TrackReadResult readMps(QByteArrayView bytes, const TrackReadOptions& options) {
  return scanTrackPoints(bytes, options, kForms, kRecordTail);
}

}  // namespace velaro
