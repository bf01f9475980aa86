#pragma once

#include "core/racefolders.h"

#include <QString>
#include <QStringList>

namespace velaro::cli {

struct RaceLocation {
  QString path;         // the race file
  RaceFolders folders;  // the races folder holding its raceadmin/
};

// A race file is named by its path; its races folder is the parent of the
// raceadmin/ folder that holds it (the file's own folder's parent).
RaceLocation locateRace(const QString& raceFileArg);

// The arguments of a report command, RACEFILE [-o FILE]; false on anything
// else or without a race file.
bool parseRaceAndOutput(const QStringList& args, QString& raceFile, QString& outPath);

}  // namespace velaro::cli
