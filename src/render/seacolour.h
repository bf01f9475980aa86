#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include <array>

namespace velaro {

// The five sea colours, light to dark; the first is the overview map's sea.
inline const std::array<QColor, 5> kSeaColourPresets = {QColor(160, 225, 255), QColor(128, 192, 255),
                                                        QColor(96, 160, 223), QColor(64, 128, 192),
                                                        QColor(32, 96, 160)};

// The swatch beside the brightness bar: the sea at that brightness framed
// in the grid colour that goes with it.
QImage SeaSwatch(QSize size, double SeaBrightness);

}  // namespace velaro
