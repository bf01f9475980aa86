// Coastline sheet readers on arbitrary bytes: the grid sheet (with a window
// that covers blocks of sheet 5339), the overview sheet and the window
// filter must neither crash nor read out of bounds.
#include "core/readers/coastlinereader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const velaro::CoastlineWindow window = velaro::coastlineWindow({2140, 2125, 8370, 8350, 2132.5, 8360});
  const auto sheet = velaro::parseCoastlineSheet(bytes, QStringLiteral("5339.cst"), window,
                                                 velaro::DatumShift(2132.5, 8360));
  const velaro::Coastline kept = velaro::filterCoastline(sheet.coastline, window);
  const auto overview = velaro::parseOverviewSheet(bytes, QStringLiteral("toba.cst"));
  if (kept.pointCount() > sheet.coastline.pointCount()) {
    __builtin_trap();
  }
  return overview.coastline.pointCount() > static_cast<int>(size) ? 1 : 0;
}
