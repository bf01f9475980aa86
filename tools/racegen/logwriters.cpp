#include "racegen/logwriters.h"

#include <QTimeZone>

#include <cmath>
#include <cstring>

namespace velaro::racegen {

namespace {

void putInt32(QByteArray& out, qint32 v) {
  const auto u = static_cast<quint32>(v);
  for (int i = 0; i < 4; ++i) {
    out.append(static_cast<char>((u >> (8 * i)) & 0xFF));
  }
}

void putDouble(QByteArray& out, double v) {
  quint64 bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) {
    out.append(static_cast<char>((bits >> (8 * i)) & 0xFF));
  }
}

void putFloat(QByteArray& out, float v) {
  quint32 bits;
  std::memcpy(&bits, &v, sizeof bits);
  putInt32(out, static_cast<qint32>(bits));
}

void putString(QByteArray& out, const QByteArray& s) {
  out.append(s);
  out.append('\0');
}

// MapSource files are a sequence of records: a 32-bit length, a type letter
// and the body.
void putRecord(QByteArray& out, char type, const QByteArray& body) {
  putInt32(out, static_cast<qint32>(body.size()));
  out.append(type);
  out.append(body);
}

QDateTime utc(qint64 unixSeconds) {
  return QDateTime::fromSecsSinceEpoch(unixSeconds, Qt::UTC);
}

// The 'A' record: program version, build date and time as MapSource writes
// them ("Aug  8 2005").
QByteArray versionRecordBody(const QByteArray& version, const QDateTime& saved) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const QDate d = saved.date();
  QByteArray body = version;
  body.append("SQA");
  body.append('\0');
  body.append(QByteArray(kMonths[d.month() - 1]) + ' ' + QByteArray::number(d.day()).rightJustified(2, ' ') +
              ' ' + QByteArray::number(d.year()));
  body.append('\0');
  body.append(saved.time().toString(QStringLiteral("HH:mm:ss")).toLatin1());
  body.append('\0');
  return body;
}

// The closing record names the map product the file was saved with.
QByteArray mapSetRecordBody() {
  QByteArray body("City Navigator Japan NT");
  body.append('\0');
  body.append('\x01');
  return body;
}

QByteArray crlfLines(const QStringList& lines) {
  QByteArray out;
  for (const QString& line : lines) {
    out.append(line.toUtf8());
    out.append("\r\n");
  }
  return out;
}

}  // namespace

QString logFormatExtension(LogFormat format) {
  switch (format) {
    case LogFormat::Gpx:
      return QStringLiteral("gpx");
    case LogFormat::Gdb:
      return QStringLiteral("gdb");
    case LogFormat::Mps:
      return QStringLiteral("mps");
    case LogFormat::Trl:
      return QStringLiteral("trl");
    case LogFormat::Dtr:
      return QStringLiteral("dtr");
    case LogFormat::Trk:
      return QStringLiteral("trk");
  }
  return {};
}

std::optional<LogFormat> logFormatByName(const QString& name) {
  for (LogFormat f : kAllLogFormats) {
    if (name.compare(logFormatExtension(f), Qt::CaseInsensitive) == 0) {
      return f;
    }
  }
  return std::nullopt;
}

qint32 toSemicircles(double degrees) {
  return static_cast<qint32>(std::llround(degrees / 180.0 * 2147483648.0));
}

QString degreesMinutesText(double degrees, bool latitude) {
  const QChar hemi = latitude ? (degrees < 0 ? u'S' : u'N') : (degrees < 0 ? u'W' : u'E');
  // Whole units of 0.00001 minute, so that 59.999996 minutes carries.
  const qint64 units = std::llround(std::fabs(degrees) * 60.0 * 100000.0);
  const qint64 deg = units / (60 * 100000);
  const qint64 minUnits = units % (60 * 100000);
  return QStringLiteral("%1%2%3.%4")
      .arg(hemi)
      .arg(deg, latitude ? 2 : 3, 10, QChar(u'0'))
      .arg(minUnits / 100000, 2, 10, QChar(u'0'))
      .arg(minUnits % 100000, 5, 10, QChar(u'0'));
}

QString degreesMinutesSecondsText(double degrees, bool latitude) {
  const QChar hemi = latitude ? (degrees < 0 ? u'S' : u'N') : (degrees < 0 ? u'W' : u'E');
  const qint64 units = std::llround(std::fabs(degrees) * 3600.0 * 100.0);  // 0.01 second
  const qint64 deg = units / (3600 * 100);
  const qint64 min = (units / (60 * 100)) % 60;
  const qint64 sec = units % (60 * 100);
  return QStringLiteral("%1%2%3%4.%5")
      .arg(hemi)
      .arg(deg, latitude ? 2 : 3, 10, QChar(u'0'))
      .arg(min, 2, 10, QChar(u'0'))
      .arg(sec / 100, 2, 10, QChar(u'0'))
      .arg(sec % 100, 2, 10, QChar(u'0'));
}

QByteArray writeGpx(const std::vector<LogFix>& fixes, const LogMeta& meta) {
  QByteArray out;
  out.reserve(static_cast<qsizetype>(fixes.size()) * 120 + 600);
  out.append("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\r\n");
  out.append(
      "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" creator=\"eTrex 30x\" version=\"1.1\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
      "http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n");
  out.append(
      "  <metadata>\r\n    <link href=\"http://www.garmin.com\">\r\n      <text>Garmin "
      "International</text>\r\n");
  out.append("    </link>\r\n    <time>");
  out.append(meta.saved.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toLatin1());
  out.append("</time>\r\n  </metadata>\r\n  <trk>\r\n    <name>");
  out.append(meta.trackName.toHtmlEscaped().toUtf8());
  out.append("</name>\r\n    <trkseg>\r\n");
  for (const LogFix& f : fixes) {
    out.append("      <trkpt lat=\"");
    out.append(QByteArray::number(f.latDeg, 'f', 7));
    out.append("\" lon=\"");
    out.append(QByteArray::number(f.lonDeg, 'f', 7));
    out.append("\">\r\n");
    if (meta.withAltitude) {
      out.append("        <ele>");
      out.append(QByteArray::number(f.eleMetres, 'f', 2));
      out.append("</ele>\r\n");
    }
    out.append("        <time>");
    out.append(meta.withMilliseconds
                   ? utc(f.unixSeconds)
                         .addMSecs(f.milliseconds)
                         .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"))
                         .toLatin1()
                   : utc(f.unixSeconds).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toLatin1());
    out.append("</time>\r\n      </trkpt>\r\n");
  }
  out.append("    </trkseg>\r\n  </trk>\r\n</gpx>\r\n");
  return out;
}

// Version 2 MapSource file: header, version record, one track record and the
// closing record. A track point holds latitude and longitude, then each of
// altitude, time, depth and temperature behind a flag byte; a missing value
// is just its flag 0.
QByteArray writeGdb(const std::vector<LogFix>& fixes, const LogMeta& meta) {
  QByteArray out("MsRcf", 6);
  putRecord(out, 'D', QByteArray("l", 2));
  putRecord(out, 'A', versionRecordBody(QByteArray("\x60\x02", 2), meta.saved));
  putString(out, "MapSource");

  QByteArray track;
  putString(track, meta.trackName.toLatin1());
  track.append('\x01');  // shown on the map
  putInt32(track, 1);    // colour: dark red
  putInt32(track, static_cast<qint32>(fixes.size()));
  for (const LogFix& f : fixes) {
    putInt32(track, toSemicircles(f.latDeg));
    putInt32(track, toSemicircles(f.lonDeg));
    if (meta.withAltitude) {
      track.append('\x01');
      putDouble(track, f.eleMetres);
    } else {
      track.append('\x00');
    }
    track.append('\x01');
    putInt32(track, static_cast<qint32>(f.unixSeconds));
    track.append('\x00');  // no depth
    track.append('\x00');  // no temperature
  }
  track.append('\x00');  // no link
  putRecord(out, 'T', track);
  putRecord(out, 'V', mapSetRecordBody());
  return out;
}

// MapSource .mps: fixed-size track points (every field present, each behind
// its flag byte).
QByteArray writeMps(const std::vector<LogFix>& fixes, const LogMeta& meta) {
  QByteArray out("MsRcd", 6);
  putRecord(out, 'D', QByteArray("d", 2));
  putRecord(out, 'A', versionRecordBody(QByteArray("\x2e\x01", 2), meta.saved));

  QByteArray track;
  putString(track, meta.trackName.toLatin1());
  track.append('\x01');  // shown on the map
  putInt32(track, 0);    // colour: default
  putInt32(track, static_cast<qint32>(fixes.size()));
  for (const LogFix& f : fixes) {
    putInt32(track, toSemicircles(f.latDeg));
    putInt32(track, toSemicircles(f.lonDeg));
    track.append(meta.withAltitude ? '\x01' : '\x00');
    putDouble(track, meta.withAltitude ? f.eleMetres : 0.0);
    track.append('\x01');
    putInt32(track, static_cast<qint32>(f.unixSeconds));
    track.append('\x00');
    putDouble(track, 0.0);  // depth, not valid
  }
  putRecord(out, 'T', track);
  putRecord(out, 'V', mapSetRecordBody());
  return out;
}

QByteArray writeTrl(const std::vector<LogFix>& fixes) {
  QByteArray out;
  out.reserve(static_cast<qsizetype>(fixes.size()) * 16);
  for (const LogFix& f : fixes) {
    putInt32(out, static_cast<qint32>(static_cast<quint32>(f.unixSeconds)));
    putFloat(out, static_cast<float>(f.latDeg));
    putFloat(out, static_cast<float>(f.lonDeg));
    putInt32(out, 0);
  }
  return out;
}

QByteArray writeTrk(const std::vector<LogFix>& fixes, const LogMeta& meta) {
  static const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  QStringList lines = {
      QStringLiteral("H  SOFTWARE NAME & VERSION"),
      QStringLiteral("I  PCX5 2.09"),
      QString(),
      QStringLiteral(
          "H  R DATUM                IDX DA            DF            DX            DY            DZ"),
      QStringLiteral("M  G WGS 84               121 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 "
                     "+0.000000e+00"),
      QString(),
      QStringLiteral("H  COORDINATE SYSTEM"),
      QStringLiteral("U  LAT LON DM"),
      QString(),
      QString(),
      QStringLiteral("H  TN ") + meta.trackName,
      QStringLiteral("H  LATITUDE    LONGITUDE    DATE      TIME     ALT  ;track"),
  };
  for (const LogFix& f : fixes) {
    const QDateTime when = utc(f.unixSeconds);
    const QDate d = when.date();
    const QString date = QStringLiteral("%1-%2-%3")
                             .arg(d.day(), 2, 10, QChar(u'0'))
                             .arg(QLatin1String(kMonths[d.month() - 1]))
                             .arg(d.year() % 100, 2, 10, QChar(u'0'));
    lines << QStringLiteral("T  %1 %2 %3 %4 %5")
                 .arg(degreesMinutesText(f.latDeg, true), degreesMinutesText(f.lonDeg, false), date,
                      when.time().toString(QStringLiteral("HH:mm:ss")))
                 .arg(std::lround(f.eleMetres));
  }
  return crlfLines(lines);
}

QByteArray writeDtr(const std::vector<LogFix>& fixes, const LogMeta& meta) {
  QStringList lines = {
      QStringLiteral("H  TRACK LOG ") + meta.trackName,
      QStringLiteral("H  DATUM WGS84"),
      QStringLiteral("U  LAT LON DMS"),
      QStringLiteral("H  LATITUDE   LONGITUDE   DATE       TIME     ALT"),
  };
  for (const LogFix& f : fixes) {
    const QDateTime when = utc(f.unixSeconds);
    lines << QStringLiteral("T  %1 %2 %3 %4 %5")
                 .arg(degreesMinutesSecondsText(f.latDeg, true), degreesMinutesSecondsText(f.lonDeg, false),
                      when.toString(QStringLiteral("yyyy/MM/dd")), when.toString(QStringLiteral("HH:mm:ss")))
                 .arg(std::lround(f.eleMetres));
  }
  return crlfLines(lines);
}

QByteArray writeLog(LogFormat format, const std::vector<LogFix>& fixes, const LogMeta& meta) {
  switch (format) {
    case LogFormat::Gpx:
      return writeGpx(fixes, meta);
    case LogFormat::Gdb:
      return writeGdb(fixes, meta);
    case LogFormat::Mps:
      return writeMps(fixes, meta);
    case LogFormat::Trl:
      return writeTrl(fixes);
    case LogFormat::Trk:
      return writeTrk(fixes, meta);
    case LogFormat::Dtr:
      return writeDtr(fixes, meta);
  }
  return {};
}

}  // namespace velaro::racegen
