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

// The catalogue, the race on screen and the user's choice in the selector.
struct RaceSelection {
  QStringList raceFiles;
  QString SelectedRacePath;
  int CurrentRace = 0;      // 1-based place of the selected race, 0 when not in the catalogue
  int ChosenRaceIndex = 0;  // 1-based place the user picked, 0 before any pick

  // Lists the catalogue and selects the first race.
  static RaceSelection open(const RaceFolders& folders);
  // True when text, surrounding blanks removed, names the file of the
  // selected race (letter case aside; "a.txt" is not ".../ba.txt").
  bool isSelected(const QString& text) const;
  // Selects the race file named by text; its place is the user's pick, else
  // selectorIndex (0-based).
  void selectNamed(const RaceFolders& folders, const QString& text, int selectorIndex);
  // Selects race (1-based) of the catalogue.
  void selectListed(const RaceFolders& folders, int race);
  bool raceFileExists(const RaceFolders& folders, int race) const;
};

}  // namespace velaro
