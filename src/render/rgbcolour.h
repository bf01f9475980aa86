#pragma once

#include "core/analysis/boatcolours.h"

#include <QColor>

namespace velaro {

// The painter's colour of a core colour (always opaque).
inline QColor qcolour(Rgb c) {
  return QColor::fromRgb(c.argb());
}

}  // namespace velaro
