#include "core/readers/dtrreader.h"

#include "core/textutil.h"

#include <QStringList>

namespace velaro {

namespace {

constexpr int kTrackLineColumns = 6;
constexpr int kLinesPerYield = 20000;

}  // namespace

TrackReadResult readDtr(QByteArrayView bytes, const TrackReadOptions& options) {
  TrackReadResult result;
  const QStringList lines = splitLines(decodeText(bytes));
  CoordinateNotation notation = CoordinateNotation::DegreesMinutes;
  for (qsizetype n = 0; n < lines.size(); ++n) {
    if (n > 0 && n % kLinesPerYield == 0 && options.yield) {
      options.yield();
    }
    const QString& line = lines[n];
    // A line naming both notations leaves decimal degrees.
    if (line.contains(QLatin1String("DMS"))) {
      notation = CoordinateNotation::DegreesMinutesSeconds;
    }
    if (line.contains(QLatin1String("DEG"))) {
      notation = CoordinateNotation::DecimalDegrees;
    }
    const FieldList f = SplitFields(line, u' ');
    if (f.count() != kTrackLineColumns || !f.at(0).contains(u'T')) {
      continue;
    }
    const auto time = fixDateTime(f.at(4), f.at(3), options.raceDate);
    if (!time) {
      continue;
    }
    const auto lat = ParseCoordinate(f.at(1), notation);
    const auto lon = lat ? ParseCoordinate(f.at(2), notation) : std::nullopt;
    if (!lat || !lon) {
      ReadError error;
      error.file = options.fileName;
      error.line = static_cast<int>(n + 1);
      error.text = lat ? f.at(2) : f.at(1);
      error.message = QStringLiteral("coordinate is not a number");
      result.error = error;
      return result;
    }
    if (isPlausiblePosition(*lat / 60, *lon / 60)) {
      result.fixes.push_back({*time, *lat, *lon});
    }
  }
  return result;
}

}  // namespace velaro
