// The gpx track reader on arbitrary bytes: no crash, no read out of bounds,
// and every fix it yields lies on the globe.
#include "core/readers/gpxreader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velaro::TrackReadOptions options;
  options.fileName = QStringLiteral("fuzz.gpx");
  // Half the inputs are read with a race date, which moves far dates.
  if (size > 0 && data[0] % 2 == 0) {
    options.raceDate = 40013;
  }
  const auto result = velaro::readGpx(
      QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), options);
  for (const velaro::RawFix& fix : result.fixes) {
    if (!velaro::isPlausiblePosition(fix.lat / 60, fix.lon / 60)) {
      std::abort();
    }
  }
  return 0;
}
