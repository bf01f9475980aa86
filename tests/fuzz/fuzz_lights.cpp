// Light list reader on arbitrary bytes: it must neither crash nor read out of bounds.
#include "core/readers/lightsreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto result =
      velaro::parseLights(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                          QStringLiteral("fuzz.lh"));
  return result.lights.size() > size ? 1 : 0;
}
