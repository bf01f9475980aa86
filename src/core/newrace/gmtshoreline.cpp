#include "core/newrace/gmtshoreline.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace velaro {

namespace {

constexpr char kResolutions[] = "fhilc";  // finest first

// Area sizes in square degrees up to which a resolution is asked for first:
// full (tens of metres) up to about three degrees a side, the area of a race
// of some 70 km, where a sheet holds a few thousand points; high up to ten.
constexpr double kFullUpToSqDeg = 10;
constexpr double kHighUpToSqDeg = 100;
constexpr double kIntermediateUpToSqDeg = 2500;

std::optional<double> numberFrom(std::string_view text) {
  double value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

QString degreesText(double minutes) {
  return QString::number(minutes / 60, 'f', 6);
}

}  // namespace

char gmtResolutionFor(double south, double north, double west, double east) {
  const double sqDeg = std::fabs((north - south) / 60 * (east - west) / 60);
  if (sqDeg <= kFullUpToSqDeg) {
    return 'f';
  }
  if (sqDeg <= kHighUpToSqDeg) {
    return 'h';
  }
  return sqDeg <= kIntermediateUpToSqDeg ? 'i' : 'l';
}

std::vector<std::vector<GeoPoint>> parseGmtShoreline(QByteArrayView text, double centreLonDeg) {
  std::vector<std::vector<GeoPoint>> polylines;
  std::vector<GeoPoint> segment;
  auto close = [&] {
    if (segment.size() > 1) {
      polylines.push_back(std::move(segment));
    }
    segment.clear();
  };
  for (const QByteArrayView line : QByteArray::fromRawData(text.data(), text.size()).split('\n')) {
    const QByteArrayView row = line.trimmed();
    if (row.isEmpty() || row.front() == '#') {
      continue;
    }
    if (row.front() == '>') {
      close();
      continue;
    }
    const std::string_view s(row.data(), row.size());
    const size_t gap = s.find_first_of(" \t,");
    if (gap == std::string_view::npos) {
      continue;
    }
    const size_t latStart = s.find_first_not_of(" \t,", gap);
    const size_t latEnd = s.find_first_of(" \t,", latStart);
    const auto lon = numberFrom(s.substr(0, gap));
    const auto lat =
        latStart == std::string_view::npos
            ? std::nullopt
            : numberFrom(s.substr(latStart, latEnd == std::string_view::npos ? latEnd : latEnd - latStart));
    if (!lon || !lat) {
      continue;
    }
    // GMT may give a longitude in -180..180 for an area drawn across 180.
    const double lonDeg = *lon + 360 * std::round((centreLonDeg - *lon) / 360);
    segment.push_back(GeoPoint{*lat * 60, lonDeg * 60});
  }
  close();
  return polylines;
}

// Shorelines of level 1 (sea) and 2 (lakes) of any size. The finest
// resolution asked for is followed by coarser ones when GMT fails, and "+"
// lets GMT itself step down when a resolution is not installed. GMT writes a
// gmt.history into its working folder, so it works in a scratch folder.
std::vector<std::vector<GeoPoint>> gmtShoreline(double south, double north, double west, double east) {
  south = std::max(south, -90.0 * 60);
  north = std::min(north, 90.0 * 60);
  if (!std::isfinite(south + north + west + east) || !(north > south) || !(east > west) ||
      east - west > 360.0 * 60) {
    return {};
  }
  const QString gmt = QStandardPaths::findExecutable(QStringLiteral("gmt"));
  if (gmt.isEmpty()) {
    return {};
  }
  QTemporaryDir scratch;
  if (!scratch.isValid()) {
    return {};
  }
  const QString region =
      QStringLiteral("-R%1/%2/%3/%4")
          .arg(degreesText(west), degreesText(east), degreesText(south), degreesText(north));
  const QDeadlineTimer deadline(kGmtTimeLimitMs);
  const std::string_view resolutions(kResolutions);
  for (size_t i = resolutions.find(gmtResolutionFor(south, north, west, east)); i < resolutions.size(); ++i) {
    QProcess process;
    process.setWorkingDirectory(scratch.path());
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(
        gmt, {QStringLiteral("coast"), region, QStringLiteral("-W"), QStringLiteral("-M"),
              QStringLiteral("-D%1+").arg(QChar::fromLatin1(resolutions[i])), QStringLiteral("-A0/1/2")});
    if (!process.waitForStarted(static_cast<int>(deadline.remainingTime()))) {
      return {};
    }
    if (!process.waitForFinished(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
      process.kill();
      process.waitForFinished(1000);
      return {};
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
      return parseGmtShoreline(process.readAllStandardOutput(), (west + east) / 120);
    }
    if (deadline.hasExpired()) {
      return {};
    }
  }
  return {};
}

}  // namespace velaro
