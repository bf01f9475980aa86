#include "core/readers/trackreader.h"

#include "core/datetime.h"
#include "core/readers/dtrreader.h"
#include "core/readers/gdbreader.h"
#include "core/readers/gpxreader.h"
#include "core/readers/mpsreader.h"
#include "core/readers/trlreader.h"
#include "core/textutil.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace velaro {

namespace {

// A position this close to 0/0 on both axes is what loggers write when they
// have no position (about 0.1 m).
constexpr double kNullPositionDeg = 1e-6;

constexpr double kMinDaysAway = 365;
const QString kFarDate = QStringLiteral("2000/1/1");

// Seconds from a to b as a whole number, or nothing when they are further
// apart than a 32-bit count of seconds reaches.
std::optional<qint64> secondsWithin32Bits(double a, double b) {
  const double magnitude = std::fabs(b - a) * kSecondsPerDay;
  if (!(magnitude <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
    return std::nullopt;
  }
  return SecondsBetween(a, b);
}

int monthByAbbreviation(const QString& text) {
  static const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  for (int m = 0; m < 12; ++m) {
    if (text.compare(QLatin1String(kMonths[m]), Qt::CaseInsensitive) == 0) {
      return m + 1;
    }
  }
  return 0;
}

// Empty text reads as 0: a coordinate may leave out the leading degrees.
std::optional<double> partValue(QStringView text) {
  if (text.isEmpty()) {
    return 0.0;
  }
  return parseReal(text.toString());
}

}  // namespace

TrackFormat trackFormatFor(const QString& fileName) {
  const QString ext = fileName.right(3).toLower();
  if (ext == QLatin1String("gpx")) {
    return TrackFormat::Gpx;
  }
  if (ext == QLatin1String("gdb")) {
    return TrackFormat::Gdb;
  }
  if (ext == QLatin1String("mps")) {
    return TrackFormat::Mps;
  }
  if (ext == QLatin1String("trl")) {
    return TrackFormat::Trl;
  }
  if (ext == QLatin1String("dtr") || ext == QLatin1String("trk")) {
    return TrackFormat::Dtr;
  }
  return TrackFormat::Unknown;
}

bool isBinaryTrackFormat(TrackFormat format) {
  return format == TrackFormat::Gdb || format == TrackFormat::Mps || format == TrackFormat::Trl;
}

TrackReadResult readTrackBytes(QByteArrayView bytes, TrackFormat format, const TrackReadOptions& options) {
  switch (format) {
    case TrackFormat::Gpx:
      return readGpx(bytes, options);
    case TrackFormat::Gdb:
      return readGdb(bytes, options);
    case TrackFormat::Mps:
      return readMps(bytes, options);
    case TrackFormat::Trl:
      return readTrl(bytes, options);
    case TrackFormat::Dtr:
      return readDtr(bytes, options);
    case TrackFormat::Unknown:
      break;
  }
  return {};
}

bool isPlausiblePosition(double latDeg, double lonDeg) {
  if (!std::isfinite(latDeg) || !std::isfinite(lonDeg)) {
    return false;
  }
  if (std::fabs(latDeg) > 90 || std::fabs(lonDeg) > 180) {
    return false;
  }
  return !(std::fabs(latDeg) < kNullPositionDeg && std::fabs(lonDeg) < kNullPositionDeg);
}

TrackWindow trackWindowFor(const Race& race, const Boat& boat) {
  return {race.RaceStartUtc, race.RaceFinishUtc, race.PreStartSeconds, boat.BoatTimeOffset};
}

std::optional<Fix> StoreFix(const RawFix& raw, const TrackWindow& window) {
  // A time too far from the race to count in seconds is outside any window,
  // whatever the boat's offset.
  const auto sinceStart = secondsWithin32Bits(window.RaceStartUtc, raw.timeUtc);
  const auto sinceFinish = secondsWithin32Bits(window.RaceFinishUtc, raw.timeUtc);
  if (!sinceStart || !sinceFinish) {
    return std::nullopt;
  }
  const qint64 t = *sinceStart + window.BoatTimeOffset;
  const qint64 f = *sinceFinish;
  if (!(t > -static_cast<qint64>(window.PreStartSeconds) - 60 && f < 30)) {
    return std::nullopt;
  }
  Fix fix;
  fix.time = static_cast<double>(t);
  fix.lat = raw.lat;
  fix.lon = raw.lon;
  return fix;
}

QString NormaliseDate(const QString& dateText, std::optional<double> raceDate) {
  if (!dateText.contains(u'-')) {
    return dateText;
  }
  QString date;
  const QStringList parts = dateText.split(u'-');
  if (parts.size() == 3 && monthByAbbreviation(parts[1]) > 0) {
    // "25-MAY-02": day, month name, year.
    date = parts[2] + u'/' + QString::number(monthByAbbreviation(parts[1])) + u'/' + parts[0];
  } else {
    date = parts.join(u'/');
  }
  if (raceDate) {
    const auto value = TextToDateTime(date);
    if (value && std::fabs(roundHalfEven(dateOnly(*value) - dateOnly(*raceDate))) >= kMinDaysAway) {
      return kFarDate;
    }
  }
  return date;
}

std::optional<double> fixDateTime(const QString& timeText, const QString& dateText,
                                  std::optional<double> raceDate) {
  return TextToDateTime(timeText + u' ' + NormaliseDate(dateText, raceDate));
}

std::optional<double> ParseCoordinate(QStringView text, CoordinateNotation notation) {
  if (text.size() < 2) {
    return std::nullopt;
  }
  const QChar hemisphere = text[0].toUpper();
  const QStringView number = text.mid(1);
  std::optional<double> minutes;
  if (notation == CoordinateNotation::DecimalDegrees) {
    const auto degrees = parseReal(number.toString());
    if (degrees) {
      minutes = *degrees * 60;
    }
  } else {
    const qsizetype p = number.indexOf(u'.');
    if (p < 0) {
      return std::nullopt;
    }
    if (notation == CoordinateNotation::DegreesMinutes) {
      const qsizetype split = std::max<qsizetype>(p - 2, 0);
      const auto degrees = partValue(number.left(split));
      const auto mins = partValue(number.mid(split));
      if (degrees && mins) {
        minutes = *degrees * 60 + *mins;
      }
    } else {
      const qsizetype secondsAt = std::max<qsizetype>(p - 2, 0);
      const qsizetype minutesAt = std::max<qsizetype>(p - 4, 0);
      const auto degrees = partValue(number.left(minutesAt));
      const auto mins = partValue(number.mid(minutesAt, secondsAt - minutesAt));
      const auto secs = partValue(number.mid(secondsAt));
      if (degrees && mins && secs) {
        minutes = *degrees * 60 + *mins + *secs / 60;
      }
    }
  }
  if (!minutes) {
    return std::nullopt;
  }
  return hemisphere == u'S' || hemisphere == u'W' ? -*minutes : *minutes;
}

int logIntervalThreshold(TrackFormat format) {
  return isBinaryTrackFormat(format) ? kBinaryLogIntervalThreshold : kTextLogIntervalThreshold;
}

int logIntervalFor(const std::vector<Fix>& fixes, int threshold) {
  const int n = static_cast<int>(fixes.size());
  if (n <= std::max(threshold, 10)) {
    return kDefaultLogInterval;
  }
  // The first and last few fixes are left out: loggers often write them
  // before the receiver settles or while it is switched off.
  return roundToInt((fixes[n - 5 - 1].time - fixes[5 - 1].time) / (n - 10));
}

}  // namespace velaro
