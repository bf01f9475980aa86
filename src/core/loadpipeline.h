#pragma once

#include "core/loadedrace.h"
#include "core/race.h"
#include "core/racefolders.h"
#include "core/readerror.h"

#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace velaro {

struct LoadOptions {
  RaceCarryOver previous;  // the race on screen, for settings a race file omits
  bool coverShown = false;
  QSize mapArea{800, 600};  // MapWidth x MapHeight
  // Finding every tack and gybe is some tenth of a load; without it the
  // manoeuvres and their tallies stay empty, for readers that show none.
  bool findManoeuvres = true;
};

struct LoadCallbacks {
  // The race file has been read (titles for the splash window).
  std::function<void(const Race&)> raceFileRead;
  // Before boat k of count is read.
  std::function<void(int k, int count, const QString& fileName)> progress;
  // Lets pending window events run during long steps.
  std::function<void()> yield;
  std::function<void()> beep;
};

enum class LoadFailure {
  None,
  NoBoats,   // no race file, or no boat with a usable log
  ReadError  // a file that does not convert; error names it
};

struct LoadResult {
  std::optional<LoadedRace> loaded;  // set only when every step completed
  LoadFailure failure = LoadFailure::None;
  std::optional<ReadError> error;
  // Records of the race file left out (also of a load that found no boat),
  // as loaded->race.ignored holds them when the race loads.
  std::vector<IgnoredRecord> ignored;
};

// Reads a race file and everything it names, then analyses the race: wind
// log, colours, tracks, map geometry, coastline and lights, speeds and
// courses, passing times and trimmed tracks, result board, sailed distances
// and legs, tacks and gybes (unless options skip them), wind graph. The
// steps run in this order because each needs what the earlier ones produced.
// Nothing is returned of a load that failed.
LoadResult LoadRacePipeline(const QString& raceFilePath, const RaceFolders& folders,
                            const LoadOptions& options, const LoadCallbacks& callbacks = {});

}  // namespace velaro
