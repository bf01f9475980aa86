// Race file reader on arbitrary bytes: it must neither crash nor read out of bounds.
#include "core/readers/racefilereader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velaro::RaceFileOptions options;
  options.fileExists = [](const QString&, const QString& name) { return name.size() % 2 == 0; };
  const auto result =
      velaro::parseRaceFile(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                            QStringLiteral("fuzz.txt"), options);
  return result.race.BoatCount() > 81 ? 1 : 0;
}
