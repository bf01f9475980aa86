#include "core/analysis/boatcolours.h"

#include <array>

namespace velaro {

namespace {

constexpr int kPaletteSize = 15;

// Boats 3 and 13, 4 and 14, 5 and 15 share a screen colour; their KML colours
// differ, so a globe viewer still tells them apart.
constexpr std::array<Rgb, kPaletteSize> kScreenColours = {{
    {255, 0, 0},
    {0, 0, 255},
    {0, 128, 0},
    {128, 128, 0},
    {128, 0, 128},
    {0, 128, 128},
    {0, 0, 0},
    {128, 128, 128},
    {192, 192, 0},
    {96, 96, 0},
    {192, 0, 0},
    {0, 0, 192},
    {0, 128, 0},
    {128, 128, 0},
    {128, 0, 128},
}};

constexpr std::array<const char*, kPaletteSize> kKmlColours = {
    "FFFF0000", "FF00FF00", "FF0000FF", "FF00FFFF", "FFFF00FF", "FFFFFF00", "FFFFFFFF", "FFFF8080",
    "FF80FF80", "FF8080FF", "FFFF8000", "FF80FF00", "FF8000FF", "FFFF0080", "FF00FF80",
};

// 0-based palette slot of a 1-based boat number; numbers below 1 take boat 1's.
int paletteSlot(int boatNumber) {
  return boatNumber < 1 ? 0 : (boatNumber - 1) % kPaletteSize;
}

}  // namespace

Rgb BoatColour(int boatNumber) {
  return kScreenColours[paletteSlot(boatNumber)];
}

QString BoatKmlColour(int boatNumber) {
  return QString::fromLatin1(kKmlColours[paletteSlot(boatNumber)]);
}

BoatColours AssignColours(int BoatCount) {
  BoatColours colours;
  const int n = BoatCount > 0 ? BoatCount : 0;
  colours.BoatColour.reserve(n);
  colours.BoatKmlColour.reserve(n);
  for (int boat = 1; boat <= n; ++boat) {
    colours.BoatColour.push_back(BoatColour(boat));
    colours.BoatKmlColour.push_back(BoatKmlColour(boat));
  }
  return colours;
}

}  // namespace velaro
