#include "core/readers/mpsreader.h"

namespace velaro {

namespace {

// MPS byte-pattern scan
//
// As in the .gdb scan, every offset is tried as the flag byte after a track
// point's position:
//   00 00 | lat | lon | 00/01 | altitude (8) | 01 | time | nine bytes 00
// A match without a plausible position is taken for chance bytes.

constexpr qsizetype kMinScanSize = 60;
constexpr qsizetype kScanMargin = 30;
// The scan runs as far as a whole record still fits: the last byte a match
// reads is i + 22. Stopping 30 bytes short of the end, as the scan start
// does, would lose a track point that ends the file.
constexpr qsizetype kRecordTail = 23;
constexpr qsizetype kStep = 24;

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

}  // namespace

TrackReadResult readMps(QByteArrayView bytes, const TrackReadOptions& options) {
  TrackReadResult result;
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype size = bytes.size();
  if (size < kMinScanSize) {
    return result;
  }
  qsizetype nextYield = kYieldEveryBytes;
  qsizetype i = kScanMargin;
  while (i <= size - kRecordTail) {
    if (i >= nextYield) {
      if (options.yield) {
        options.yield();
      }
      nextYield = i + kYieldEveryBytes;
    }
    if (trackPointAt(b, i)) {
      const double latDeg = semicirclesToDegrees(readInt32Le(b + i - 8));
      const double lonDeg = semicirclesToDegrees(readInt32Le(b + i - 4));
      if (isPlausiblePosition(latDeg, lonDeg)) {
        const std::int32_t seconds = readInt32Le(b + i + 10);
        if (seconds > 0) {
          result.fixes.push_back({unixSecondsToDateTime(seconds), latDeg * 60, lonDeg * 60});
        }
        i += kStep - 3;
        continue;
      }
    }
    ++i;
  }
  return result;
}

}  // namespace velaro
