#pragma once

#include "core/racefolders.h"

#include <QString>

namespace velaro::cli {

struct RaceLocation {
  QString path;         // the race file
  RaceFolders folders;  // the races folder holding its raceadmin/
};

// A race file is named by its path; its races folder is the parent of the
// raceadmin/ folder that holds it (the file's own folder's parent).
RaceLocation locateRace(const QString& raceFileArg);

}  // namespace velaro::cli
