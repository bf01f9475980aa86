#pragma once

#include "core/racefolders.h"

#include <QString>
#include <QStringList>

#include <vector>

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
// The catalogue may join the races of several races folders; each race's
// logs, wind, coastline and attachments are read in the folder it lives in.
struct RaceSelection {
  QStringList raceFiles;
  std::vector<RaceFolders> raceFolders;  // the folder of each race of raceFiles
  QString SelectedRacePath;
  RaceFolders selectedFolders;  // the folder of SelectedRacePath
  int CurrentRace = 0;          // 1-based place of the selected race, 0 when not in the catalogue
  int ChosenRaceIndex = 0;      // 1-based place the user picked, 0 before any pick

  // Lists the catalogue and selects the first race.
  static RaceSelection open(const RaceFolders& folders);
  // Lists the races of another folder (at most 200) after the others, or
  // lists them again when it is already listed; the selected race keeps its
  // place. The folder the catalogue was opened on is not listed twice.
  void listMore(const RaceFolders& folders);
  // 1-based place of the race file name (letter case aside) of folders, 0
  // when it is not listed.
  int placeOf(const RaceFolders& folders, const QString& name) const;
  // True when text, surrounding blanks removed, names the file of the
  // selected race (letter case aside; "a.txt" is not ".../ba.txt").
  bool isSelected(const QString& text) const;
  // Selects the race file named by text; its place is the user's pick, else
  // selectorIndex (0-based). It is read in the folder of that place when the
  // place lists it, else in folders.
  void selectNamed(const RaceFolders& folders, const QString& text, int selectorIndex);
  // Selects the race file name of folders, at its place when listed.
  void selectIn(const RaceFolders& folders, const QString& name);
  // Selects race (1-based) of the catalogue, in its own folder; folders is
  // for races listed without one.
  void selectListed(const RaceFolders& folders, int race);
  bool raceFileExists(const RaceFolders& folders, int race) const;
  // The folder race (1-based) lives in: its own, else folders.
  const RaceFolders& folderOf(const RaceFolders& folders, int race) const;
};

}  // namespace velaro
