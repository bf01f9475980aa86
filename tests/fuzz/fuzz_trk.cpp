// A .trk log on arbitrary bytes, reached the way the load reaches it (by its
// extension), with the PCX-style notation seeds: no crash, no read out of
// bounds, and every fix it yields lies on the globe.
#include "core/readers/trackreader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velaro::TrackReadOptions options;
  options.fileName = QStringLiteral("fuzz.trk");
  // Half the inputs are read with a race date, which moves far dates.
  if (size > 0 && data[0] % 2 == 0) {
    options.raceDate = 40013;
  }
  const auto result = velaro::readTrackBytes(
      QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
      velaro::trackFormatFor(options.fileName), options);
  for (const velaro::RawFix& fix : result.fixes) {
    if (!velaro::isPlausiblePosition(fix.lat / 60, fix.lon / 60)) {
      std::abort();
    }
  }
  return 0;
}
