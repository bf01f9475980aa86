#pragma once

#include "core/race.h"
#include "core/racefolders.h"
#include "core/readerror.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace velaro {

struct RaceFileOptions {
  // Values the previous race leaves for records the file omits.
  RaceCarryOver previous;
  // The splash shows a cover picture: no default titles.
  bool coverShown = false;
  // Whether a file named by a BN (gpsdat/) or AT (attachment/) record exists.
  // Left empty, the races folder given to ReadRaceFile is asked.
  std::function<bool(const QString& folder, const QString& name)> fileExists;
};

struct RaceFileResult {
  Race race;
  std::optional<ReadError> error;
  bool missing = false;  // the race file does not exist: nothing was read
};

// Reads a race file into a new race description. The race keeps what the
// previous race carried over for MG, LG, LL, TD, WD, ST and FT.
RaceFileResult ReadRaceFile(const QString& path, const RaceFolders& folders, RaceFileOptions options = {});

// The same on bytes already read; fileName names the file in errors and in
// the default caption.
RaceFileResult parseRaceFile(QByteArrayView bytes, const QString& fileName, const RaceFileOptions& options);

// Fills the values derived from the records (UTC times, time axis, wind axis,
// boat list rows, titles).
void computeDerivedRaceValues(Race& race, const QString& fileName, bool coverShown);

}  // namespace velaro
