#include "core/readers/gdbreader.h"

namespace velaro {

namespace {

// GDB byte-pattern scan
//
// A MapSource file is a chain of variable records; rather than walk them,
// every offset is tried as the flag byte that follows a track point's
// position. The long form is
//   00 00 | lat | lon | 01 | altitude (8) | 01 | time | 00/01 | 00
// (the byte after the time is 1 in some files, as in the 42 points of
// gdb-sample2.gdb; requiring 0 there misses them all); the short form
//   00 00 | lat | lon | 00 01 | time | 00 00
// is tried where the long one does not match. A match that holds no
// plausible position is taken for chance bytes and the scan goes on at the
// next offset; after a real match the scan skips most of the record.

constexpr qsizetype kMinScanSize = 60;
constexpr qsizetype kScanMargin = 30;
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

// Where a form keeps its fields, relative to the flag byte; the long form is
// tried first.
struct Form {
  bool (*matches)(const unsigned char*, qsizetype);
  qsizetype latAt;
  qsizetype lonAt;
  qsizetype timeAt;
  qsizetype step;
};
constexpr Form kForms[] = {{longFormAt, -8, -4, 10, 24}, {shortFormAt, -9, -5, 1, 16}};

}  // namespace

TrackReadResult readGdb(QByteArrayView bytes, const TrackReadOptions& options) {
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
    bool matched = false;
    for (const Form& form : kForms) {
      if (!form.matches(b, i)) {
        continue;
      }
      const double latDeg = semicirclesToDegrees(readInt32Le(b + i + form.latAt));
      const double lonDeg = semicirclesToDegrees(readInt32Le(b + i + form.lonAt));
      if (!isPlausiblePosition(latDeg, lonDeg)) {
        continue;
      }
      const std::int32_t seconds = readInt32Le(b + i + form.timeAt);
      if (seconds > 0) {
        result.fixes.push_back({unixSecondsToDateTime(seconds), latDeg * 60, lonDeg * 60});
      }
      i += form.step - 3;
      matched = true;
      break;
    }
    if (!matched) {
      ++i;
    }
  }
  return result;
}

}  // namespace velaro
