#include "core/newrace/magneticmodel.h"

#include <QDate>
#include <array>
#include <cmath>
#include <limits>

#include "core/datetime.h"

namespace velaro {

namespace {

constexpr int kDegree = 12;
constexpr double kEpochYear = 2025.0;
constexpr double kEndYear = 2030.0;
constexpr double kReferenceRadiusKm = 6371.2;
constexpr double kWgs84SemiMajorKm = 6378.137;
constexpr double kWgs84Flattening = 1 / 298.257223563;
constexpr double kPi = 3.14159265358979323846;
constexpr double kRadPerDeg = kPi / 180;

struct GaussCoefficient {
  int n;
  int m;
  double g;     // nT at the epoch
  double h;     // nT at the epoch
  double gDot;  // nT per year
  double hDot;  // nT per year
};

// WMM2025 (file WMM.COF, header "2025.0 WMM-2025 11/13/2024"), published by NOAA NCEI and the British
// Geological Survey for the US National Geospatial-Intelligence Agency and the UK Defence Geographic
// Centre. A work of the US government, in the public domain.
constexpr std::array<GaussCoefficient, 90> kWmm2025 = {{
    {1, 0, -29351.8, 0.0, 12.0, 0.0},    {1, 1, -1410.8, 4545.4, 9.7, -21.5},
    {2, 0, -2556.6, 0.0, -11.6, 0.0},    {2, 1, 2951.1, -3133.6, -5.2, -27.7},
    {2, 2, 1649.3, -815.1, -8.0, -12.1}, {3, 0, 1361.0, 0.0, -1.3, 0.0},
    {3, 1, -2404.1, -56.6, -4.2, 4.0},   {3, 2, 1243.8, 237.5, 0.4, -0.3},
    {3, 3, 453.6, -549.5, -15.6, -4.1},  {4, 0, 895.0, 0.0, -1.6, 0.0},
    {4, 1, 799.5, 278.6, -2.4, -1.1},    {4, 2, 55.7, -133.9, -6.0, 4.1},
    {4, 3, -281.1, 212.0, 5.6, 1.6},     {4, 4, 12.1, -375.6, -7.0, -4.4},
    {5, 0, -233.2, 0.0, 0.6, 0.0},       {5, 1, 368.9, 45.4, 1.4, -0.5},
    {5, 2, 187.2, 220.2, 0.0, 2.2},      {5, 3, -138.7, -122.9, 0.6, 0.4},
    {5, 4, -142.0, 43.0, 2.2, 1.7},      {5, 5, 20.9, 106.1, 0.9, 1.9},
    {6, 0, 64.4, 0.0, -0.2, 0.0},        {6, 1, 63.8, -18.4, -0.4, 0.3},
    {6, 2, 76.9, 16.8, 0.9, -1.6},       {6, 3, -115.7, 48.8, 1.2, -0.4},
    {6, 4, -40.9, -59.8, -0.9, 0.9},     {6, 5, 14.9, 10.9, 0.3, 0.7},
    {6, 6, -60.7, 72.7, 0.9, 0.9},       {7, 0, 79.5, 0.0, 0.0, 0.0},
    {7, 1, -77.0, -48.9, -0.1, 0.6},     {7, 2, -8.8, -14.4, -0.1, 0.5},
    {7, 3, 59.3, -1.0, 0.5, -0.8},       {7, 4, 15.8, 23.4, -0.1, 0.0},
    {7, 5, 2.5, -7.4, -0.8, -1.0},       {7, 6, -11.1, -25.1, -0.8, 0.6},
    {7, 7, 14.2, -2.3, 0.8, -0.2},       {8, 0, 23.2, 0.0, -0.1, 0.0},
    {8, 1, 10.8, 7.1, 0.2, -0.2},        {8, 2, -17.5, -12.6, 0.0, 0.5},
    {8, 3, 2.0, 11.4, 0.5, -0.4},        {8, 4, -21.7, -9.7, -0.1, 0.4},
    {8, 5, 16.9, 12.7, 0.3, -0.5},       {8, 6, 15.0, 0.7, 0.2, -0.6},
    {8, 7, -16.8, -5.2, 0.0, 0.3},       {8, 8, 0.9, 3.9, 0.2, 0.2},
    {9, 0, 4.6, 0.0, 0.0, 0.0},          {9, 1, 7.8, -24.8, -0.1, -0.3},
    {9, 2, 3.0, 12.2, 0.1, 0.3},         {9, 3, -0.2, 8.3, 0.3, -0.3},
    {9, 4, -2.5, -3.3, -0.3, 0.3},       {9, 5, -13.1, -5.2, 0.0, 0.2},
    {9, 6, 2.4, 7.2, 0.3, -0.1},         {9, 7, 8.6, -0.6, -0.1, -0.2},
    {9, 8, -8.7, 0.8, 0.1, 0.4},         {9, 9, -12.9, 10.0, -0.1, 0.1},
    {10, 0, -1.3, 0.0, 0.1, 0.0},        {10, 1, -6.4, 3.3, 0.0, 0.0},
    {10, 2, 0.2, 0.0, 0.1, 0.0},         {10, 3, 2.0, 2.4, 0.1, -0.2},
    {10, 4, -1.0, 5.3, 0.0, 0.1},        {10, 5, -0.6, -9.1, -0.3, -0.1},
    {10, 6, -0.9, 0.4, 0.0, 0.1},        {10, 7, 1.5, -4.2, -0.1, 0.0},
    {10, 8, 0.9, -3.8, -0.1, -0.1},      {10, 9, -2.7, 0.9, 0.0, 0.2},
    {10, 10, -3.9, -9.1, 0.0, 0.0},      {11, 0, 2.9, 0.0, 0.0, 0.0},
    {11, 1, -1.5, 0.0, 0.0, 0.0},        {11, 2, -2.5, 2.9, 0.0, 0.1},
    {11, 3, 2.4, -0.6, 0.0, 0.0},        {11, 4, -0.6, 0.2, 0.0, 0.1},
    {11, 5, -0.1, 0.5, -0.1, 0.0},       {11, 6, -0.6, -0.3, 0.0, 0.0},
    {11, 7, -0.1, -1.2, 0.0, 0.1},       {11, 8, 1.1, -1.7, -0.1, 0.0},
    {11, 9, -1.0, -2.9, -0.1, 0.0},      {11, 10, -0.2, -1.8, -0.1, 0.0},
    {11, 11, 2.6, -2.3, -0.1, 0.0},      {12, 0, -2.0, 0.0, 0.0, 0.0},
    {12, 1, -0.2, -1.3, 0.0, 0.0},       {12, 2, 0.3, 0.7, 0.0, 0.0},
    {12, 3, 1.2, 1.0, 0.0, -0.1},        {12, 4, -1.3, -1.4, 0.0, 0.1},
    {12, 5, 0.6, 0.0, 0.0, 0.0},         {12, 6, 0.6, 0.6, 0.1, 0.0},
    {12, 7, 0.5, -0.1, 0.0, 0.0},        {12, 8, -0.1, 0.8, 0.0, 0.0},
    {12, 9, -0.4, 0.1, 0.0, 0.0},        {12, 10, -0.2, -1.0, -0.1, 0.0},
    {12, 11, -1.3, 0.1, 0.0, 0.0},       {12, 12, -0.7, 0.2, -0.1, -0.1},
}};

template <typename T>
using Triangle = std::array<std::array<T, kDegree + 1>, kDegree + 1>;

// Schmidt semi-normalised associated Legendre functions of the geocentric colatitude theta, indexed
// [n][m]: p = P(cos theta), dp = dP/dtheta, and for m >= 1 q = P / sin theta. All three come from
// recursions that never divide by sin theta, so the east component stays finite at the poles.
struct Legendre {
  Triangle<double> p{};
  Triangle<double> dp{};
  Triangle<double> q{};
};

Legendre legendre(double cosTheta, double sinTheta) {
  Legendre l;
  l.p[0][0] = 1;
  l.p[1][1] = sinTheta;
  l.dp[1][1] = cosTheta;
  l.q[1][1] = 1;
  for (int n = 2; n <= kDegree; ++n) {
    const double k = std::sqrt(1 - 1.0 / (2 * n));
    l.p[n][n] = k * sinTheta * l.p[n - 1][n - 1];
    l.dp[n][n] = k * (cosTheta * l.p[n - 1][n - 1] + sinTheta * l.dp[n - 1][n - 1]);
    l.q[n][n] = k * sinTheta * l.q[n - 1][n - 1];
  }
  for (int m = 0; m < kDegree; ++m) {
    for (int n = m + 1; n <= kDegree; ++n) {
      const double a = (2 * n - 1) / std::sqrt(double(n * n - m * m));
      const double b = std::sqrt(double((n - 1) * (n - 1) - m * m) / (n * n - m * m));
      const double p2 = n >= 2 ? l.p[n - 2][m] : 0;
      const double dp2 = n >= 2 ? l.dp[n - 2][m] : 0;
      const double q2 = n >= 2 ? l.q[n - 2][m] : 0;
      l.p[n][m] = a * cosTheta * l.p[n - 1][m] - b * p2;
      l.dp[n][m] = a * (cosTheta * l.dp[n - 1][m] - sinTheta * l.p[n - 1][m]) - b * dp2;
      l.q[n][m] = a * cosTheta * l.q[n - 1][m] - b * q2;
    }
  }
  return l;
}

}  // namespace

// The main field by the method of the WMM technical report: geodetic position to geocentric spherical
// coordinates on WGS 84, the gradient of the potential's spherical-harmonic series with the
// coefficients moved linearly from the epoch, then the vector rotated back to the geodetic vertical.
MagneticField magneticFieldAt(double latDeg, double lonDeg, double heightKm, double decimalYear) {
  const double lat = latDeg * kRadPerDeg;
  const double lon = lonDeg * kRadPerDeg;
  const double e2 = kWgs84Flattening * (2 - kWgs84Flattening);
  const double sinLat = std::sin(lat);
  const double cosLat = std::cos(lat);
  const double primeVerticalKm = kWgs84SemiMajorKm / std::sqrt(1 - e2 * sinLat * sinLat);
  const double pKm = (primeVerticalKm + heightKm) * cosLat;
  const double zKm = (primeVerticalKm * (1 - e2) + heightKm) * sinLat;
  const double rKm = std::hypot(pKm, zKm);
  const double geocentricLat = std::atan2(zKm, pKm);
  // theta, the geocentric colatitude: cos theta = z / r.
  const Legendre l = legendre(zKm / rKm, pKm / rKm);

  const double dt = decimalYear - kEpochYear;
  std::array<double, kDegree + 1> cosMLon{}, sinMLon{};
  for (int m = 0; m <= kDegree; ++m) {
    cosMLon[m] = std::cos(m * lon);
    sinMLon[m] = std::sin(m * lon);
  }
  double north = 0, east = 0, down = 0;  // geocentric
  for (const GaussCoefficient& c : kWmm2025) {
    const double ratio = std::pow(kReferenceRadiusKm / rKm, c.n + 2);
    const double g = c.g + dt * c.gDot;
    const double h = c.h + dt * c.hDot;
    const double cosTerm = g * cosMLon[c.m] + h * sinMLon[c.m];
    const double sinTerm = g * sinMLon[c.m] - h * cosMLon[c.m];
    north += ratio * cosTerm * l.dp[c.n][c.m];
    if (c.m > 0) {
      east += ratio * c.m * sinTerm * l.q[c.n][c.m];
    }
    down -= ratio * (c.n + 1) * cosTerm * l.p[c.n][c.m];
  }

  const double tilt = geocentricLat - lat;
  MagneticField f;
  f.northNt = north * std::cos(tilt) - down * std::sin(tilt);
  f.eastNt = east;
  f.downNt = north * std::sin(tilt) + down * std::cos(tilt);
  f.horizontalNt = std::hypot(f.northNt, f.eastNt);
  f.totalNt = std::hypot(f.horizontalNt, f.downNt);
  f.declinationDeg = std::atan2(f.eastNt, f.northNt) / kRadPerDeg;
  f.inclinationDeg = std::atan2(f.downNt, f.horizontalNt) / kRadPerDeg;
  return f;
}

double magneticVariationAt(double latMinutes, double lonMinutes, double utcDateTime) {
  if (!std::isfinite(utcDateTime)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  // The year's fraction runs over its own length, so 1 July is 2025.4959 and not 2025.5.
  const QDate date = datePart(utcDateTime);
  const double yearStart = toDateTime(QDate(date.year(), 1, 1));
  const double decimalYear = date.year() + (utcDateTime - yearStart) / date.daysInYear();
  return magneticFieldAt(latMinutes / 60, lonMinutes / 60, 0, decimalYear).declinationDeg;
}

double magneticModelEpoch() {
  return kEpochYear;
}

double magneticModelEnd() {
  return kEndYear;
}

}  // namespace velaro
