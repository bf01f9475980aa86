#pragma once

#include "core/readerror.h"
#include "core/readers/trackreader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace velaro {

// One GPS log given to make a race of, read whole and reduced to one fix a
// second (the first of each second), sorted by time.
struct InputLog {
  QString path;      // as given
  QString fileName;  // the name it is copied under into gpsdat/, unique among the logs
  QString boatName;  // the log's own track or metadata name, else the file name without extension
  TrackFormat format = TrackFormat::Unknown;
  std::vector<RawFix> fixes;  // UTC date-times, minutes of arc
  QByteArray bytes;           // the file as read, to be copied as it is
};

struct InputLogsResult {
  std::vector<InputLog> logs;      // in the order given, repeats left out
  QStringList notes;               // "b.gpx repeats a.gpx: used once"
  std::optional<ReadError> error;  // a file that is not a log, or a log without fixes
};

// Reads every log; the first that cannot be used is the error.
InputLogsResult readInputLogs(const QStringList& paths);

}  // namespace velaro
