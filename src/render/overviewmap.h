#pragma once

#include "core/analysis/boatcolours.h"
#include "core/analysis/mapgeometry.h"
#include "core/race.h"

#include <QImage>
#include <QPainter>
#include <QPoint>

#include <vector>

namespace velaro {

// The overview block: the map image sits at kOverviewOrigin inside its panel,
// and the boat dots are placed in panel coordinates on top of it.
inline constexpr QPoint kOverviewOrigin(3, 3);
inline constexpr int kBoatDotSize = 7;
inline constexpr int kCompassSize = 100;
inline constexpr int kCompassRoseSourceSize = 83;

struct OverviewPictures {
  QImage map;      // kOverviewSize square
  QImage compass;  // kCompassSize square
};

// The compass rose turns to magnetic north on the map as it is drawn:
// MagVariation, less WindAxis when the map is wind up (degrees, clockwise).
double CompassRoseAngle(double MagVariation, Orientation orientation);

// The overview map (every boat's whole track, the coastline and the lights on
// the first sea colour) and the compass rose for the same orientation.
// roseSource is the compass rose picture, usually CompassRoseSource().
OverviewPictures DrawOverview(const Race& race, const MapGeometry& geometry, Orientation orientation,
                              const BoatColours& colours, const QImage& roseSource);

// Top-left corner, in panel coordinates, of the dot of a boat at position.
QPoint BoatDotTopLeft(const Projection& overview, GeoPoint position);
// The dots of all boats, boat n at index n - 1.
std::vector<QPoint> PlaceBoatDots(const Projection& overview, const std::vector<GeoPoint>& boatPositions);
// One boat dot: a kBoatDotSize circle in the boat's colour with a white rim.
void DrawBoatDot(QPainter& painter, QPoint topLeft, Rgb colour);

// The built-in compass rose picture, kCompassRoseSourceSize square: a card
// with its north mark at the top on black.
QImage CompassRoseSource();

// The rose turned by angle degrees (clockwise) about its middle, on a black
// kCompassSize square. Only the round card turns; unturned, the whole square
// picture is copied.
QImage CompassRose(const QImage& source, double angle);

// Side of the red wind marker that sits on the compass rim.
inline constexpr int kWindMarkerSize = 9;

// The compass as the live scene shows it: the rose with the red wind marker
// at markerTopLeft (windMarkerTopLeft of the scene's wind) and the wind
// direction as the wind log gives it (DataDir, degrees) in its middle.
QImage CompassWithWind(const QImage& compass, QPoint markerTopLeft, int DataDir);

}  // namespace velaro
