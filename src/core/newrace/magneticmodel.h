#pragma once

namespace velaro {

// The main field of the World Magnetic Model at a place and time.
struct MagneticField {
  double declinationDeg = 0;  // magnetic variation, east positive
  double inclinationDeg = 0;  // dip, down positive
  double northNt = 0;         // X
  double eastNt = 0;          // Y
  double downNt = 0;          // Z
  double horizontalNt = 0;    // H
  double totalNt = 0;         // F
};

// The field at a geodetic latitude and longitude (degrees, WGS 84), a height
// above the ellipsoid in kilometres and a decimal year (2025.5 is about 1 July
// 2025). Years outside the model's span are extrapolated from its secular
// variation.
MagneticField magneticFieldAt(double latDeg, double lonDeg, double heightKm, double decimalYear);

// The magnetic variation (degrees, east positive) at sea level at a UTC
// date-time, positions in minutes of arc.
double magneticVariationAt(double latMinutes, double lonMinutes, double utcDateTime);

// The first and last year the model's coefficients are meant for.
double magneticModelEpoch();
double magneticModelEnd();

}  // namespace velaro
