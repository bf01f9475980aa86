#pragma once

#include <QColor>

#include <array>

namespace velaro {

// The five sea colours, light to dark; the first is the overview map's sea.
inline const std::array<QColor, 5> kSeaColourPresets = {QColor(160, 225, 255), QColor(128, 192, 255),
                                                        QColor(96, 160, 223), QColor(64, 128, 192),
                                                        QColor(32, 96, 160)};

}  // namespace velaro
