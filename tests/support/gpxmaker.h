#pragma once

// Small GPS logs for tests that need a race to load end to end.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cmath>

namespace velaro::testing {

// A GPX log of count fixes every stepSeconds from firstUtc, sailing north
// from (latDeg, lonDeg) at about speedKnots.
inline QByteArray makeGpx(const QDateTime& firstUtc, int count, int stepSeconds = 10, double latDeg = 35.29,
                          double lonDeg = 139.48, double speedKnots = 5.0) {
  QByteArray out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"test\">\n<trk><trkseg>\n";
  const double degreesPerSecond = speedKnots / 3600.0 / 60.0;
  for (int i = 0; i < count; ++i) {
    const double lat = latDeg + degreesPerSecond * i * stepSeconds;
    const double lon = lonDeg + 0.0002 * std::sin(i / 5.0);
    const QString time = firstUtc.addSecs(static_cast<qint64>(i) * stepSeconds).toString(Qt::ISODate);
    out += QStringLiteral("<trkpt lat=\"%1\" lon=\"%2\"><ele>1</ele><time>%3</time></trkpt>\n")
               .arg(lat, 0, 'f', 7)
               .arg(lon, 0, 'f', 7)
               .arg(time)
               .toUtf8();
  }
  out += "</trkseg></trk>\n</gpx>\n";
  return out;
}

}  // namespace velaro::testing
