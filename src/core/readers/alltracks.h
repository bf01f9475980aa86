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
  // Lets pending window events run between files and during long scans.
  std::function<void()> yield;
  // Once after each binary log has been scanned.
  std::function<void()> beep;
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
// On error the race is not changed.
TrackLoadResult ReadAllTracks(Race& race, const RaceFolders& folders,
                              const TrackLoadCallbacks& callbacks = {});

}  // namespace velaro
