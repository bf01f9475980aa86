#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace velaro::racegen {

// One fix as a logger stores it: UTC seconds since 1970 (and thousandths
// for loggers that write several fixes a second), WGS 84 degrees.
struct LogFix {
  qint64 unixSeconds = 0;
  double latDeg = 0;
  double lonDeg = 0;
  double eleMetres = 0;
  int milliseconds = 0;
};

enum class LogFormat { Gpx, Gdb, Mps, Trl, Dtr, Trk };
inline constexpr LogFormat kAllLogFormats[] = {LogFormat::Gpx, LogFormat::Gdb, LogFormat::Mps,
                                               LogFormat::Trl, LogFormat::Dtr, LogFormat::Trk};

QString logFormatExtension(LogFormat format);
std::optional<LogFormat> logFormatByName(const QString& name);

struct LogMeta {
  QString trackName;  // ASCII; devices write their own track names
  QDateTime saved;    // when the file was written, UTC
  bool withAltitude = true;
  bool withMilliseconds = false;  // GPX times carry ".zzz"; other formats hold whole seconds
};

// Each writer produces the bytes a real device or its desktop program
// writes: GPX 1.1 as handheld units save it; MapSource .gdb (version 2) and
// .mps files with one track; 16-byte .trl records; PCX5 text tracks (.trk,
// degrees and minutes) and the same columns in degrees, minutes and seconds
// (.dtr). Lines of text formats end in CR LF.
QByteArray writeGpx(const std::vector<LogFix>& fixes, const LogMeta& meta);
QByteArray writeGdb(const std::vector<LogFix>& fixes, const LogMeta& meta);
QByteArray writeMps(const std::vector<LogFix>& fixes, const LogMeta& meta);
QByteArray writeTrl(const std::vector<LogFix>& fixes);
QByteArray writeTrk(const std::vector<LogFix>& fixes, const LogMeta& meta);
QByteArray writeDtr(const std::vector<LogFix>& fixes, const LogMeta& meta);
QByteArray writeLog(LogFormat format, const std::vector<LogFix>& fixes, const LogMeta& meta);

// Degrees to the signed 32-bit semicircles of Garmin files.
qint32 toSemicircles(double degrees);

// "N3515.82345" / "E13928.12345" (degrees and minutes, five decimals) and
// "N351549.38" (degrees, minutes and seconds, two decimals).
QString degreesMinutesText(double degrees, bool latitude);
QString degreesMinutesSecondsText(double degrees, bool latitude);

}  // namespace velaro::racegen
