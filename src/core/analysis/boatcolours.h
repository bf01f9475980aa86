#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

namespace velaro {

// A screen colour. The core knows no QColor; the render layer builds one from
// argb() (a QRgb value).
struct Rgb {
  quint8 r = 0;
  quint8 g = 0;
  quint8 b = 0;

  constexpr quint32 argb() const { return 0xff000000u | (quint32(r) << 16) | (quint32(g) << 8) | quint32(b); }
  friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// Pens of the wind axis and of the two layline fans on the map.
inline constexpr Rgb kWindAxisColour{98, 162, 225};
inline constexpr Rgb kLaylineColourA{225, 128, 128};
inline constexpr Rgb kLaylineColourB{0, 225, 0};

// Every boat keeps one colour in every view: boat 16 and beyond repeat boats
// 1..15 in turn, in both the screen and the KML colour.
Rgb BoatColour(int boatNumber);
// An "aabbggrr" text the KML export writes as it stands.
QString BoatKmlColour(int boatNumber);

// The palette of one race, boat n at index n - 1.
struct BoatColours {
  std::vector<Rgb> BoatColour;
  std::vector<QString> BoatKmlColour;
  Rgb WindAxisColour = kWindAxisColour;
  Rgb LaylineColourA = kLaylineColourA;
  Rgb LaylineColourB = kLaylineColourB;
};

BoatColours AssignColours(int BoatCount);

}  // namespace velaro
