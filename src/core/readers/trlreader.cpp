#include "core/readers/trlreader.h"

namespace velaro {

namespace {

constexpr qsizetype kRecordSize = 16;

}  // namespace

TrackReadResult readTrl(QByteArrayView bytes, const TrackReadOptions& options) {
  TrackReadResult result;
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype count = bytes.size() / kRecordSize;
  const qsizetype recordsPerYield = kYieldEveryBytes / kRecordSize;
  for (qsizetype k = 0; k < count; ++k) {
    if (k > 0 && k % recordsPerYield == 0 && options.yield) {
      options.yield();
    }
    const unsigned char* record = b + k * kRecordSize;
    const std::int32_t seconds = readInt32Le(record);
    const double latDeg = readFloatLe(record + 4);
    const double lonDeg = readFloatLe(record + 8);
    // Other loggers write .trl files of another layout; their records read
    // here as zeros or as positions off the globe and are passed over.
    if (!isPlausiblePosition(latDeg, lonDeg)) {
      continue;
    }
    result.fixes.push_back({unixSecondsToDateTime(seconds), latDeg * 60, lonDeg * 60});
  }
  return result;
}

}  // namespace velaro
