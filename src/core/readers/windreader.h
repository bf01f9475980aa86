#pragma once

#include "core/race.h"
#include "core/racefolders.h"
#include "core/readerror.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace velaro {

struct WindReadResult {
  // File order, neither sorted nor limited to the race window.
  std::vector<WindSample> samples;
  // False when the race has no wind log (no name, a refused name or no such
  // file): the caller empties WindFileName and the wind graph stays off.
  bool fileFound = false;
  // A line that does not convert; the load is abandoned.
  std::optional<ReadError> error;
};

// Parses a wind log already in memory. raceStart is the local RaceStart the
// sample times are measured from; fileName names the file in errors.
WindReadResult parseWindFile(QByteArrayView bytes, const QString& fileName, double raceStart);

// Reads winddat/<WindFileName> from the races folder.
WindReadResult ReadWindFile(const RaceFolders& folders, const QString& WindFileName, double raceStart);

}  // namespace velaro
