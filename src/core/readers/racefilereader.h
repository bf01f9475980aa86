#pragma once

#include "core/race.h"
#include "core/racefolders.h"
#include "core/readerror.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace velaro {

// Why a name of a BN record gives no log to read.
struct LogProblem {
  IgnoredReason reason = IgnoredReason::LogMissing;
  QString detail;
};

// The problem of gpsdat/<name> in folders, or nothing when it is a file. A
// FIFO or device is recognised by its type and never opened.
std::optional<LogProblem> logFileProblem(const RaceFolders& folders, const QString& name);

struct RaceFileOptions {
  // Values the previous race leaves for records the file omits.
  RaceCarryOver previous;
  // The splash shows a cover picture: no default titles.
  bool coverShown = false;
  // Whether a file named by a BN (gpsdat/) or AT (attachment/) record exists.
  // Left empty, the races folder given to ReadRaceFile is asked.
  std::function<bool(const QString& folder, const QString& name)> fileExists;
  // Why the log a BN record names cannot be read. Left empty, a log
  // fileExists denies is missing; with both empty, ReadRaceFile asks
  // logFileProblem.
  std::function<std::optional<LogProblem>(const QString& name)> logProblem;
};

struct RaceFileResult {
  Race race;
  std::optional<ReadError> error;
  bool missing = false;  // the race file does not exist: nothing was read
  // Lines of the records that set the start, the finish and the course (0
  // when the file has none), for messages about how they fit together.
  int startLine = 0;
  int finishLine = 0;
  int courseLine = 0;
};

// Reads a race file into a new race description. The race keeps what the
// previous race carried over for MG, LG, LL, TD, WD, ST and FT.
RaceFileResult ReadRaceFile(const QString& path, const RaceFolders& folders, RaceFileOptions options = {});

// The same on bytes already read; fileName names the file in errors and in
// the default caption.
RaceFileResult parseRaceFile(QByteArrayView bytes, const QString& fileName, const RaceFileOptions& options);

// What a race file read without error may still get wrong for a replay: a
// finish before the start, or a course item naming a mark or line the file
// does not define. Checked before a load, not by the reader, which keeps
// every record as written.
std::optional<ReadError> checkRaceForReplay(const RaceFileResult& read, const QString& fileName);

// Fills the values derived from the records (UTC times, time axis, wind axis,
// boat list rows, titles).
void computeDerivedRaceValues(Race& race, const QString& fileName, bool coverShown);

}  // namespace velaro
