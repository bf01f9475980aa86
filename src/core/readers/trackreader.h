#pragma once

#include "core/race.h"
#include "core/readerror.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

namespace velaro {

// One position a log holds, before any race window: the time as a UTC
// date-time, the position in minutes of arc.
struct RawFix {
  double timeUtc = 0;
  double lat = 0;
  double lon = 0;
  friend bool operator==(const RawFix&, const RawFix&) = default;
};

// Every fix a reader found, in file order, or the first conversion error
// (the fixes then hold what came before it).
struct TrackReadResult {
  std::vector<RawFix> fixes;
  std::optional<ReadError> error;
};

struct TrackReadOptions {
  QString fileName;  // names the file in errors
  // Dates of text logs a year or more away from this date are replaced by
  // "2000/1/1"; without it dates are taken as written.
  std::optional<double> raceDate;
  // Called now and then during long scans so that the window can handle
  // pending events; may be empty.
  std::function<void()> yield;
};

enum class TrackFormat { Unknown, Gpx, Gdb, Mps, Trl, Dtr };

// The format by the last three characters of the file name, any case.
TrackFormat trackFormatFor(const QString& fileName);

// Binary logs are scanned whole and announced with a beep when done.
bool isBinaryTrackFormat(TrackFormat format);

// Reads bytes of the given format; Unknown yields no fixes.
TrackReadResult readTrackBytes(QByteArrayView bytes, TrackFormat format, const TrackReadOptions& options);

// --- Steps shared by the readers and the track driver ---

// Positions outside -90..90 / -180..180 degrees, non-finite values, and the
// exact origin that loggers write for "no position" are not fixes.
bool isPlausiblePosition(double latDeg, double lonDeg);

// The race window one boat's fixes are kept in.
struct TrackWindow {
  double RaceStartUtc = 0;
  double RaceFinishUtc = 0;
  int PreStartSeconds = kDefaultPreStartSeconds;
  int BoatTimeOffset = 0;
};
TrackWindow trackWindowFor(const Race& race, const Boat& boat);

// The fix to store for a raw fix, or nothing when it falls outside the
// window: kept when t > -PreStartSeconds - 60 and f < 30, where t counts
// seconds from the start with the boat's offset and f seconds from the
// finish without it.
std::optional<Fix> StoreFix(const RawFix& raw, const TrackWindow& window);

// A date written A-B-C becomes A/B/C; with a race date, a date a year or more
// away from it becomes "2000/1/1". A-MON-YY (month by English abbreviation)
// is read day-month-year. Other texts are returned unchanged.
QString NormaliseDate(const QString& dateText, std::optional<double> raceDate);

// time + " " + NormaliseDate(date), converted; nothing when it does not convert.
std::optional<double> fixDateTime(const QString& timeText, const QString& dateText,
                                  std::optional<double> raceDate);

enum class CoordinateNotation {
  DegreesMinutes,         // "N3512.345": degrees, then minutes with a fraction
  DecimalDegrees,         // "N35.20575"
  DegreesMinutesSeconds,  // "N351220.7": degrees, two digits of minutes, seconds
};

// A hemisphere letter and a number in the given notation, in minutes of arc;
// "S" and "W" are negative. Nothing when the number does not convert (in the
// minutes and seconds notations a number without "." does not).
std::optional<double> ParseCoordinate(QStringView text, CoordinateNotation notation);

// Mean seconds between logged fixes: with more than threshold fixes, the span
// from fix 5 to fix n-5 (1-based) over n - 10, rounded; otherwise 30.
inline constexpr int kTextLogIntervalThreshold = 100;   // GPX, DTR/TRK
inline constexpr int kBinaryLogIntervalThreshold = 50;  // GDB, MPS, TRL
inline constexpr int kDefaultLogInterval = 30;
int logIntervalThreshold(TrackFormat format);
int logIntervalFor(const std::vector<Fix>& fixes, int threshold);

// --- Helpers of the binary readers ---

inline std::int32_t readInt32Le(const unsigned char* p) {
  const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                          (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(v);
}

inline float readFloatLe(const unsigned char* p) {
  const std::uint32_t bits = static_cast<std::uint32_t>(readInt32Le(p));
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Semicircles: 2^31 units make 180 degrees.
inline double semicirclesToDegrees(std::int32_t value) {
  return value / 2147483648.0 * 180.0;
}

// Seconds after 1970-01-01 00:00:00 UTC as a date-time.
inline constexpr double kUnixEpochDateTime = 25569.0;
inline double unixSecondsToDateTime(double seconds) {
  return kUnixEpochDateTime + seconds / 86400.0;
}

// How many bytes a scan covers between two calls of the yield callback.
inline constexpr qsizetype kYieldEveryBytes = 1 << 20;

}  // namespace velaro
