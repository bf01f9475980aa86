// Wind log reader on arbitrary bytes: it must neither crash nor read out of bounds.
#include "core/readers/windreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto result =
      velaro::parseWindFile(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                            QStringLiteral("fuzz.csv"), 40013.5);
  return result.samples.size() > size ? 1 : 0;
}
