#include "core/readers/patternscan.h"

namespace velaro {

namespace {

constexpr qsizetype kMinScanSize = 60;
constexpr qsizetype kScanMargin = 30;

}  // namespace

TrackReadResult scanTrackPoints(QByteArrayView bytes, const TrackReadOptions& options,
                                std::span<const ScanForm> forms, qsizetype recordTail) {
  TrackReadResult result;
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype size = bytes.size();
  if (size < kMinScanSize) {
    return result;
  }
  qsizetype nextYield = kYieldEveryBytes;
  qsizetype i = kScanMargin;
  while (i <= size - recordTail) {
    if (i >= nextYield) {
      if (options.yield) {
        options.yield();
      }
      nextYield = i + kYieldEveryBytes;
    }
    bool matched = false;
    for (const ScanForm& form : forms) {
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
