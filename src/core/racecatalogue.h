#pragma once

#include "core/racefolders.h"

#include <QString>
#include <QStringList>

namespace velaro {

// The race files of raceadmin/ (*.txt, any letter case), sorted by name, at
// most 200.
QStringList ListRaceFiles(const RaceFolders& folders);

// Full path of the race to show first: the race named on the first line of
// raceadmin/racefile.st when it exists (names compare without regard to
// letter case), else the first race of the catalogue; empty when there is none.
QString chooseFirstRace(const RaceFolders& folders, const QStringList& raceFiles);

// 1-based position in raceFiles of the entry naming the file of selectedPath
// (ignoring case), 0 when none does.
int findCurrentRace(const QStringList& raceFiles, const QString& selectedPath);

}  // namespace velaro
