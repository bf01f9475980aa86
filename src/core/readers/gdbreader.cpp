#include "core/readers/gdbreader.h"

#include "core/readers/patternscan.h"

namespace velaro {

namespace {

// GDB track points come in two record forms. The long form is
//   00 00 | lat | lon | 01 | altitude (8) | 01 | time | 00/01 | 00
// (the byte after the time is 1 in some files, as in the 42 points of
// gdb-sample2.gdb; requiring 0 there misses them all); the short form
//   00 00 | lat | lon | 00 01 | time | 00 00
// is tried where the long one does not match.

// The scan runs as far as a whole record still fits: the last byte a match
// reads is i + 15. Stopping 30 bytes short of the end, as the scan start
// does, would lose a track point that ends the file.
constexpr qsizetype kRecordTail = 16;

bool longFormAt(const unsigned char* b, qsizetype i) {
  return b[i] == 1 && b[i - 10] == 0 && b[i - 9] == 0 && b[i + 9] == 1 && b[i + 14] <= 1 && b[i + 15] == 0;
}

bool shortFormAt(const unsigned char* b, qsizetype i) {
  return b[i - 1] == 0 && b[i] == 1 && b[i - 11] == 0 && b[i - 10] == 0 && b[i + 5] == 0 && b[i + 6] == 0;
}

// The long form is tried first.
constexpr ScanForm kForms[] = {{longFormAt, -8, -4, 10, 24}, {shortFormAt, -9, -5, 1, 16}};

}  // namespace

TrackReadResult readGdb(QByteArrayView bytes, const TrackReadOptions& options) {
  return scanTrackPoints(bytes, options, kForms, kRecordTail);
}

}  // namespace velaro
