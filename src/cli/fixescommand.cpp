#include "cli/commands.h"

#include "core/datetime.h"
#include "core/readers/alltracks.h"

#include <QDate>
#include <QFileInfo>

#include <cmath>

namespace velaro::cli {

namespace {

// "YYYY-MM-DDThh:mm:ssZ", rounded to the second.
QString isoTime(double dateTime) {
  const double totalSeconds = std::round(dateTime * kSecondsPerDay);
  const double days = std::floor(totalSeconds / kSecondsPerDay);
  const int secondOfDay = static_cast<int>(totalSeconds - days * kSecondsPerDay);
  const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
  return QStringLiteral("%1-%2-%3T%4:%5:%6Z")
      .arg(date.year(), 4, 10, QLatin1Char('0'))
      .arg(date.month(), 2, 10, QLatin1Char('0'))
      .arg(date.day(), 2, 10, QLatin1Char('0'))
      .arg(secondOfDay / 3600, 2, 10, QLatin1Char('0'))
      .arg(secondOfDay / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(secondOfDay % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

int runFixes(const QStringList& args, QTextStream& out, QTextStream& err) {
  if (args.size() != 1) {
    err << "usage: velaro-cli fixes LOGFILE\n";
    return 2;
  }
  const QString& path = args.first();
  if (!QFileInfo(path).isFile()) {
    err << "velaro-cli: " << path << ": no such file\n";
    return 1;
  }
  if (trackFormatFor(path) == TrackFormat::Unknown) {
    err << "velaro-cli: " << path << ": not a GPS log (gpx, gdb, mps, trl, dtr, trk)\n";
    return 1;
  }
  TrackReadOptions options;
  options.fileName = QFileInfo(path).fileName();
  const TrackReadResult read = readTrackFile(path, options);
  if (read.error) {
    err << "velaro-cli: " << read.error->toString() << '\n';
    return 1;
  }
  if (read.fixes.empty()) {
    err << "velaro-cli: " << path << ": no track points found\n";
    return 1;
  }
  out << "time,lat,lon\n";
  for (const RawFix& fix : read.fixes) {
    out << isoTime(fix.timeUtc) << ',' << QString::number(fix.lat / 60, 'f', 7) << ','
        << QString::number(fix.lon / 60, 'f', 7) << '\n';
  }
  return 0;
}

}  // namespace velaro::cli
