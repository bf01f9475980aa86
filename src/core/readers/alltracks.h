#pragma once

#include "core/race.h"
#include "core/racefolders.h"
#include "core/readerror.h"
#include "core/readers/trackreader.h"

#include <QString>

#include <functional>
#include <optional>

namespace velaro {

// Reads a log file whole (mapped when it can be) and hands it to the reader
// for its extension. A missing file yields no fixes; a file that exists but
// cannot be read is an error.
TrackReadResult readTrackFile(const QString& path, const TrackReadOptions& options);

struct TrackLoadCallbacks {
  // Before boat k (1-based, of count in the race file) is read; the first
  // load of a session shows it on the splash window. May be empty.
  std::function<void(int k, int count, const QString& fileName)> progress;
  // Lets pending window events run between files and, about every 15 ms,
  // while the load waits for a log being read.
  std::function<void()> yield;
  // Once after each binary log has been scanned.
  std::function<void()> beep;
  // Logs read at the same time; 0 reads one per processor core, up to 8.
  int workers = 0;
  // On the reading thread, once the log of boat k has been read and before
  // the load may take its result; lets tests choose which log finishes first.
  std::function<void(int k)> logRead;
};

struct TrackLoadResult {
  std::optional<ReadError> error;  // the load is abandoned; the race is left as it was
  // A GPX or DTR/TRK log kept fewer than 100 fixes: the map zoom goes back to 1.
  bool resetZoom = false;
};

// Reads the log of every boat of a race as read from its race file, keeps the
// fixes inside the race window, sets each boat's LogInterval and drops boats
// with fewer than kMinFixesPerBoat fixes: the boats after a dropped one move
// up a number. Sets DroppedBoats and the boat list rows for the boats left.
// A log that cannot be read (no permission, a failing read) leaves its boat
// out the same way and is added to race.ignored with the system's reason.
// On error (a log that does not convert) the race is not changed.
//
// The race counts whole seconds: a fix belongs to the second it lies in, and
// of several fixes in one second (loggers writing 5 or 10 a second) only the
// first is kept.
//
// The logs are read and parsed on worker threads, one log per thread at a
// time, each reduced to its kept fixes before the thread takes the next log.
// Callbacks run on the calling thread only and in boat order, as if the logs
// were read one after the other: progress for boat k, then yield while the
// load waits for that log, then its beep. Of several logs that do not
// convert, the first in boat order is the error reported.
TrackLoadResult ReadAllTracks(Race& race, const RaceFolders& folders,
                              const TrackLoadCallbacks& callbacks = {});

}  // namespace velaro
