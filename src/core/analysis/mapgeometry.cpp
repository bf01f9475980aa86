#include "core/analysis/mapgeometry.h"

#include "core/datetime.h"

#include <QTime>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velaro {

namespace {

constexpr double kMetresPerMinute = 1852.0;

// The race area is the extent of the tracks plus a tenth on every side.
constexpr double kSpanMargin = 1.2;

// The live view fits its box into this share of the map height, leaving room
// for labels and wakes at the edges.
constexpr double kLiveFill = 0.65;

// Sun times of a race at 135 degrees east: 6:00 and 18:00 at the equinoxes,
// 4500 seconds earlier and later at midsummer.
constexpr double kMeanSunrise = 21600;
constexpr double kMeanSunset = 64800;
constexpr double kSunSwing = 4500;
constexpr int kSpringEquinoxDay = 83;
constexpr double kYearAngle = 6.28;
// One minute of arc of longitude is four seconds of solar time; a time zone
// of one hour is 15 degrees (900 minutes) of longitude.
constexpr double kSolarSecondsPerLonMinute = 4;
constexpr double kLonMinutesPerZoneHour = 900;

// The area the map is fitted to: the tracks during the replay time axis, so
// that boats sailing out to the start long before the pre-start period do not
// shrink the race to a corner. A race with no fix on the axis falls back to all
// its fixes, then to its marks and lines, so that the map still shows it.
GeoBox raceExtentOf(const Race& race) {
  GeoBox box = GeoBox::startingFrom(kRaceExtentStart);
  for (const Boat& boat : race.boats) {
    for (const Fix& fix : boat.fixes) {
      if (race.TimeAxisStart <= fix.time && fix.time <= race.TimeAxisEnd) {
        box.widen({fix.lat, fix.lon});
      }
    }
  }
  if (!box.isEmpty()) {
    return box;
  }
  for (const Boat& boat : race.boats) {
    for (const Fix& fix : boat.fixes) {
      box.widen({fix.lat, fix.lon});
    }
  }
  if (!box.isEmpty()) {
    return box;
  }
  for (const GeoPoint& mark : race.marks) {
    box.widen(mark);
  }
  for (const GeoLine& line : race.lines) {
    box.widen(line.end1);
    box.widen(line.end2);
  }
  if (!box.isEmpty()) {
    return box;
  }
  return GeoBox{0, 0, 0, 0};
}

// Clock times of sunrise and sunset on the race day at the race centre, from
// a sine over the year. The race start is local clock time, so the offset is
// taken from the meridian of the race's time zone; a race file without a time
// difference gets the 15-degree meridian nearest to the race.
void setDayLight(const Race& race, MapGeometry& g) {
  const QDateTime start = fromDateTime(race.RaceStart);
  const QTime time = start.time();
  g.StartSecondOfDay = time.hour() * 3600 + time.minute() * 60 + time.second();

  const double zoneMeridian = race.TimeDifference != 0
                                  ? race.TimeDifference * kLonMinutesPerZoneHour
                                  : std::round(g.CentreLon / kLonMinutesPerZoneHour) * kLonMinutesPerZoneHour;
  g.LonTimeOffset = (g.CentreLon - zoneMeridian) * kSolarSecondsPerLonMinute;
  const int day = start.date().dayOfYear();
  const double phi = (day - kSpringEquinoxDay) / 365.0 * kYearAngle;
  g.SunriseSecond = kMeanSunrise - kSunSwing * std::sin(phi) - g.LonTimeOffset;
  g.SunsetSecond = kMeanSunset + kSunSwing * std::sin(phi) - g.LonTimeOffset;
}

}  // namespace

MapGeometry SetsMap(const Race& race, QSize mapArea) {
  MapGeometry g;
  g.RaceExtent = raceExtentOf(race);
  const GeoBox& e = g.RaceExtent;
  g.CentreLat = (e.MaxLat + e.MinLat) / 2;
  g.CentreLon = (e.MaxLon + e.MinLon) / 2;
  g.CosCentreLat = std::cos(g.CentreLat / 60 * std::numbers::pi / 180);
  g.MetresPerLatMinute = kMetresPerMinute;
  g.MetresPerLonMinute = kMetresPerMinute * g.CosCentreLat;

  // One pixel must mean the same distance north-south and east-west, so the
  // shorter side (in metres) is stretched to the longer one.
  g.SpanLat = std::max(e.MaxLat - e.MinLat, kMinBoxLat) * kSpanMargin;
  g.SpanLon = std::max(e.MaxLon - e.MinLon, kMinBoxLon) * kSpanMargin;
  if (g.SpanLat <= g.SpanLon * g.CosCentreLat) {
    g.SpanLat = g.SpanLon * g.CosCentreLat;
  } else {
    g.SpanLon = g.SpanLat / g.CosCentreLat;
  }

  g.OverviewLatScale = kOverviewSize / g.SpanLat;
  g.OverviewLonScale = kOverviewSize / g.SpanLon;
  const double side = std::min(mapArea.width(), mapArea.height());
  g.WholeRaceScaleLat = side / g.SpanLat;
  g.WholeRaceScaleLon = side / g.SpanLon;

  setDayLight(race, g);
  return g;
}

double Orientation::angle() const {
  return -WindAxis * std::numbers::pi / 180;
}

QPointF Rotate(double angle, double dx, double dy, bool northUp) {
  if (northUp) {
    return {dx, dy};
  }
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  return {dx * c - dy * s, dx * s + dy * c};
}

double Bearing(double north, double east) {
  if (north == 0) {
    if (east == 0) {
      return 0;
    }
    return east > 0 ? 90 : 270;
  }
  double result = std::atan(east / north) * 180 / std::numbers::pi;
  if (north < 0) {
    result += 180;
  }
  if (result < 0) {
    result += 360;
  }
  if (result >= 360) {
    result -= 360;
  }
  return result;
}

RangeBearing RangeAndBearing(GeoPoint from, GeoPoint to, double CosCentreLat, double MagVariation) {
  const double north = (to.lat - from.lat) * kMetresPerMinute;
  const double east = (to.lon - from.lon) * kMetresPerMinute * CosCentreLat;
  RangeBearing out;
  out.RangeMetres = std::sqrt(north * north + east * east);
  double mag = Bearing(north, east) - MagVariation;
  if (mag > 360) {
    mag -= 360;
  }
  if (mag < 0) {
    mag += 360;
  }
  out.BearingMag = mag;
  return out;
}

Projection::Projection(GeoPoint centre, double latScale, double lonScale, QSize surface,
                       Orientation orientation)
    : m_centre(centre),
      m_latScale(latScale),
      m_lonScale(lonScale),
      m_surface(surface),
      m_orientation(orientation),
      m_northUp(orientation.isNorthUp()),
      m_cos(std::cos(orientation.angle())),
      m_sin(std::sin(orientation.angle())),
      m_halfWidth(surface.width() / 2.0),
      m_halfHeight(surface.height() / 2.0) {}

QPoint Projection::toPixel(GeoPoint p) const {
  const QPointF f = toPointF(p);
  return {roundToInt(f.x()), roundToInt(f.y())};
}

GeoPoint Projection::toGeo(QPointF point) const {
  const double x = point.x() - m_halfWidth;
  const double y = point.y() - m_halfHeight;
  // The inverse turn is by +WindAxis: cos stays, sin changes sign.
  double dx = x;
  double dy = y;
  if (!m_northUp) {
    dx = x * m_cos + y * m_sin;
    dy = -x * m_sin + y * m_cos;
  }
  return {m_centre.lat - dy / m_latScale, m_centre.lon + dx / m_lonScale};
}

Projection OverviewProjection(const MapGeometry& geometry, Orientation orientation) {
  return Projection(geometry.centre(), geometry.OverviewLatScale, geometry.OverviewLonScale,
                    QSize(kOverviewSize, kOverviewSize), orientation);
}

Projection WholeRaceProjection(const MapGeometry& geometry, Orientation orientation, GeoPoint centre,
                               double WholeRaceZoom, QSize mapArea) {
  return Projection(centre, geometry.WholeRaceScaleLat * WholeRaceZoom,
                    geometry.WholeRaceScaleLon * WholeRaceZoom, mapArea, orientation);
}

LiveScale ComputeLiveScale(const GeoBox& TraceBox, double CosCentreLat, int MapHeight, double ZoomDivisor) {
  const double dLat = std::max(TraceBox.MaxLat - TraceBox.MinLat, kMinBoxLat);
  const double dLon = std::max(TraceBox.MaxLon - TraceBox.MinLon, kMinBoxLon);
  LiveScale s;
  if (dLon * CosCentreLat > dLat) {
    s.ScaleLon = kLiveFill * MapHeight / dLon;
    s.ScaleLat = s.ScaleLon / CosCentreLat;
  } else {
    s.ScaleLat = kLiveFill * MapHeight / dLat;
    s.ScaleLon = CosCentreLat * s.ScaleLat;
  }
  const double zoom = std::max(ZoomDivisor, 1.0);
  s.ScaleLat /= zoom;
  s.ScaleLon /= zoom;
  s.PixelsPerKm = s.ScaleLat / 1.852;
  return s;
}

Projection LiveProjection(const GeoBox& TraceBox, const LiveScale& scale, Orientation orientation,
                          QSize mapArea) {
  return Projection(TraceBox.centre(), scale.ScaleLat, scale.ScaleLon, mapArea, orientation);
}

double ZoomDivisorFromScrollBar(int position) {
  const double divisor = 10 - position / 10.0;
  return std::clamp(divisor, 1.0, 10.0);
}

}  // namespace velaro
