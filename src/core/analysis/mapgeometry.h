#pragma once

#include "core/race.h"

#include <QPoint>
#include <QPointF>
#include <QSize>

namespace velaro {

// Side of the overview map image in pixels.
inline constexpr int kOverviewSize = 170;

// Start values of the race extent and of the live view's trace box: a box
// that any real position widens on all four sides.
inline constexpr double kRaceExtentStart = 20000;
inline constexpr double kTraceBoxStart = 50000;

// Smallest height and width (minutes) a box is fitted to, so that one boat at
// anchor or an empty box still gives finite scales.
inline constexpr double kMinBoxLat = 0.04;
inline constexpr double kMinBoxLon = 0.05;

// A latitude/longitude box in minutes of arc. Widening is strict, so a box
// that starts inverted (max below min) stays empty until a point arrives.
struct GeoBox {
  double MaxLat = -kRaceExtentStart;
  double MinLat = kRaceExtentStart;
  double MaxLon = -kRaceExtentStart;
  double MinLon = kRaceExtentStart;

  static constexpr GeoBox startingFrom(double limit) { return {-limit, limit, -limit, limit}; }

  void widen(GeoPoint p) {
    if (p.lat > MaxLat) {
      MaxLat = p.lat;
    }
    if (p.lat < MinLat) {
      MinLat = p.lat;
    }
    if (p.lon > MaxLon) {
      MaxLon = p.lon;
    }
    if (p.lon < MinLon) {
      MinLon = p.lon;
    }
  }
  bool isEmpty() const { return MaxLat < MinLat || MaxLon < MinLon; }
  GeoPoint centre() const { return {(MaxLat + MinLat) / 2, (MaxLon + MinLon) / 2}; }
  friend bool operator==(const GeoBox&, const GeoBox&) = default;
};

// The local flat frame of one race, computed once per load after the tracks
// are read. Scales are pixels per minute of arc; day-light values are seconds
// after local midnight.
struct MapGeometry {
  GeoBox RaceExtent;
  double CentreLat = 0;
  double CentreLon = 0;
  double CosCentreLat = 1;
  // Sides of the square race area, in minutes of latitude and of longitude.
  double SpanLat = 0;
  double SpanLon = 0;
  double OverviewLatScale = 0;
  double OverviewLonScale = 0;
  // The whole-race view at zoom 1: the square area fills the map's shorter side.
  double WholeRaceScaleLat = 0;
  double WholeRaceScaleLon = 0;
  double MetresPerLatMinute = 1852;
  double MetresPerLonMinute = 1852;

  int StartSecondOfDay = 0;
  double LonTimeOffset = 0;
  double SunriseSecond = 0;
  double SunsetSecond = 0;

  GeoPoint centre() const { return {CentreLat, CentreLon}; }
};

// Extent, centre, square spans, the overview and whole-race scales and the
// day-light times of a race. mapArea is MapWidth x MapHeight. Reads the race
// only.
MapGeometry SetsMap(const Race& race, QSize mapArea);

// Map orientation: north up, or wind up with the direction the wind blows from
// (WindAxis, degrees true) at the top of the screen.
struct Orientation {
  int NorthUp = 0;  // > 0: north up
  int WindAxis = 0;

  bool isNorthUp() const { return NorthUp > 0; }
  // The angle every map turns its offsets by: -WindAxis, in radians.
  double angle() const;
};

// Turns a screen offset (dx right, dy down, pixels) by angle (radians,
// clockwise on screen). North up leaves the offset as it is whatever the angle.
QPointF Rotate(double angle, double dx, double dy, bool northUp);

// Compass bearing (degrees true, 0 <= result < 360) of an offset given as its
// north and east components in any one unit.
double Bearing(double north, double east);

// Flat-earth range and magnetic bearing from one position to another: metres
// from minute differences at the race's centre latitude; the bearing is
// brought into 0..360 after the variation is taken off.
struct RangeBearing {
  double RangeMetres = 0;
  double BearingMag = 0;
};
RangeBearing RangeAndBearing(GeoPoint from, GeoPoint to, double CosCentreLat, double MagVariation);

// Converts positions to pixels of one drawing surface: offsets from a centre
// position times a scale per axis, north up, turned to the orientation and
// placed about the middle of the surface.
class Projection {
 public:
  Projection(GeoPoint centre, double latScale, double lonScale, QSize surface, Orientation orientation);

  // Turned offset from the middle of the surface, pixels, not rounded.
  // Inline: whole tracks are projected fix by fix.
  QPointF offset(GeoPoint p) const {
    const double dx = (p.lon - m_centre.lon) * m_lonScale;
    const double dy = (m_centre.lat - p.lat) * m_latScale;
    if (m_northUp) {
      return {dx, dy};
    }
    return {dx * m_cos - dy * m_sin, dx * m_sin + dy * m_cos};
  }
  // Position on the surface, not rounded.
  QPointF toPointF(GeoPoint p) const {
    const QPointF o = offset(p);
    return {m_halfWidth + o.x(), m_halfHeight + o.y()};
  }
  // Pixel of a position, rounded half to even.
  QPoint toPixel(GeoPoint p) const;
  // The position under a point of the surface: the offset from the middle
  // turned back by the orientation, then divided by the scales.
  GeoPoint toGeo(QPointF point) const;

  GeoPoint centre() const { return m_centre; }
  double latScale() const { return m_latScale; }
  double lonScale() const { return m_lonScale; }
  QSize surface() const { return m_surface; }
  Orientation orientation() const { return m_orientation; }

 private:
  GeoPoint m_centre;
  double m_latScale;
  double m_lonScale;
  QSize m_surface;
  Orientation m_orientation;
  bool m_northUp;
  double m_cos;
  double m_sin;
  double m_halfWidth;
  double m_halfHeight;
};

// The overview map: the race centre on a kOverviewSize square.
Projection OverviewProjection(const MapGeometry& geometry, Orientation orientation);

// The whole-race view about its own centre, scaled by its zoom factor.
Projection WholeRaceProjection(const MapGeometry& geometry, Orientation orientation, GeoPoint centre,
                               double WholeRaceZoom, QSize mapArea);

// Scales of the live view for one frame.
struct LiveScale {
  double ScaleLat = 0;
  double ScaleLon = 0;
  double PixelsPerKm = 0;
};

// Fits TraceBox into 0.65 of the map height with one pixel meaning the same
// distance on both axes, then zooms out by ZoomDivisor.
LiveScale ComputeLiveScale(const GeoBox& TraceBox, double CosCentreLat, int MapHeight, double ZoomDivisor);

// The live view centred on the middle of TraceBox.
Projection LiveProjection(const GeoBox& TraceBox, const LiveScale& scale, Orientation orientation,
                          QSize mapArea);

// ZoomDivisor (1..10) from the zoom scroll bar's position (0..100): the top
// tenth of the bar is all zoom 1.
double ZoomDivisorFromScrollBar(int position);

}  // namespace velaro
