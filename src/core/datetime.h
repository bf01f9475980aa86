#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cmath>
#include <limits>
#include <optional>

namespace velaro {

// Absolute times are "date-time doubles": whole days since 1899-12-30 plus the
// time of day as the fraction, the form the race files and readers share.
inline constexpr double kSecondsPerDay = 86400.0;

// Every real-to-whole conversion rounds halves to even (the default FE_TONEAREST
// mode of nearbyint); truncation toward zero is spelt truncToInt.
inline double roundHalfEven(double value) {
  return std::nearbyint(value);
}
// Out-of-range values and NaN clamp to the int range (NaN to the top). Inline
// and without a library call: drawing rounds millions of coordinates.
inline int roundToInt(double value) {
  constexpr double kLow = std::numeric_limits<int>::min();
  constexpr double kHigh = std::numeric_limits<int>::max();
  if (value >= kLow && value <= kHigh) {
#if defined(__SSE2__)
    return _mm_cvtsd_si32(_mm_set_sd(value));  // the current rounding mode: halves to even
#else
    return static_cast<int>(std::nearbyint(value));
#endif
  }
  if (value < kLow) {
    return std::numeric_limits<int>::min();
  }
  return std::numeric_limits<int>::max();
}
int truncToInt(double value);

double toDateTime(const QDate& date, const QTime& time = QTime(0, 0));
double toDateTime(const QDateTime& dateTime);
QDateTime fromDateTime(double dateTime);
QDate datePart(double dateTime);
double dateOnly(double dateTime);

// Converts "2009/07/19 10:30:00", "10:30:00 2009/07/19", a date alone or a time
// alone (on day 0). Returns nothing when the text does not convert.
std::optional<double> TextToDateTime(const QString& text);

// Signed whole seconds from a to b; -1000000 when the magnitude does not fit in
// 32 bits, a value every caller's time window rejects.
inline constexpr int kSecondsOverflow = -1000000;
int SecondsBetween(double a, double b);

// "yyyy/MM/dd" and "HH:mm:ss", independent of the desktop locale.
QString formatDate(double dateTime);
QString formatTime(double dateTime);
QString formatDateTime(double dateTime);

}  // namespace velaro
