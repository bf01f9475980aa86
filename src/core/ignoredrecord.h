#pragma once

#include <QString>

#include <vector>

namespace velaro {

// Why a record of a race file was left out of the race.
enum class IgnoredReason {
  BeyondCapacity,  // the table was full; detail holds its capacity ("81")
  LogMissing,      // no file of that name in gpsdat/
  LogOutside,      // the name is absolute or climbs out of gpsdat/
  LogIsFolder,
  LogNotAFile,    // a FIFO, socket or device; detail says which
  LogUnreadable,  // detail holds the system's reason
};

// A record of the race file that the race does not hold, for the user to be
// told: the file format wants such records ignored, not refused.
struct IgnoredRecord {
  int line = 0;     // 1-based line of the race file
  QString keyword;  // BN, MK, LN, RL, AT, MAP or CRS
  QString name;     // the boat's name, or the record's text after the keyword
  QString file;     // the log of a BN record
  IgnoredReason reason = IgnoredReason::BeyondCapacity;
  QString detail;

  friend bool operator==(const IgnoredRecord&, const IgnoredRecord&) = default;
};

// One line for the command line: line 97: BN "Kestrel" (k.gpx): the log is a FIFO, not a file
QString describeIgnored(const IgnoredRecord& record);

// What the file is when it is no regular file: "a FIFO", "a socket", "a
// device"; empty for a regular file or one that does not exist. Never opens it.
QString specialFileKind(const QString& path);

}  // namespace velaro
