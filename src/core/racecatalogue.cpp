#include "core/racecatalogue.h"

#include "core/race.h"
#include "core/textutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velaro {

namespace {

// Finds name in dir, exactly or else without regard to letter case.
QString findIgnoringCase(const QDir& dir, const QString& name) {
  if (name.isEmpty()) {
    return {};
  }
  if (QFileInfo(dir.filePath(name)).isFile()) {
    return dir.filePath(name);
  }
  const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) {
      return dir.filePath(entry);
    }
  }
  return {};
}

bool sameFolder(const RaceFolders& a, const RaceFolders& b) {
  if (a.root() == b.root()) {
    return true;
  }
  const QString canonical = QFileInfo(a.root()).canonicalFilePath();
  return !canonical.isEmpty() && canonical == QFileInfo(b.root()).canonicalFilePath();
}

}  // namespace

QStringList ListRaceFiles(const RaceFolders& folders) {
  QDir dir(folders.folder(QString::fromLatin1(kRaceAdminFolder)));
  if (!dir.exists()) {
    return {};
  }
  dir.setNameFilters({QStringLiteral("*.txt")});
  dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  // QDir name filters are case-insensitive by default, so "RACE.TXT" is listed too.
  QStringList names = dir.entryList();
  if (names.size() > kMaxRaceFiles) {
    names = names.mid(0, kMaxRaceFiles);
  }
  return names;
}

QString chooseFirstRace(const RaceFolders& folders, const QStringList& raceFiles) {
  const QDir admin(folders.folder(QString::fromLatin1(kRaceAdminFolder)));
  const QString stPath = findIgnoringCase(admin, QStringLiteral("racefile.st"));
  if (!stPath.isEmpty()) {
    QFile st(stPath);
    if (st.open(QIODevice::ReadOnly)) {
      const QStringList lines = splitLines(decodeText(st.readAll()));
      if (!lines.isEmpty()) {
        const QString name = lines.first().trimmed();
        if (RaceFolders::isSafeRelativeName(name)) {
          const QString found = findIgnoringCase(admin, name);
          if (!found.isEmpty()) {
            return found;
          }
        }
      }
    }
  }
  if (raceFiles.isEmpty()) {
    return {};
  }
  return admin.filePath(raceFiles.first());
}

int findCurrentRace(const QStringList& raceFiles, const QString& selectedPath) {
  // The whole file name is compared: "a.txt" must not match ".../ba.txt".
  const QString name = QFileInfo(selectedPath).fileName();
  for (int i = 0; i < raceFiles.size(); ++i) {
    if (raceFiles[i].compare(name, Qt::CaseInsensitive) == 0) {
      return i + 1;
    }
  }
  return 0;
}

RaceSelection RaceSelection::open(const RaceFolders& folders) {
  RaceSelection selection;
  selection.raceFiles = ListRaceFiles(folders);
  selection.raceFolders.assign(selection.raceFiles.size(), folders);
  selection.SelectedRacePath = chooseFirstRace(folders, selection.raceFiles);
  selection.selectedFolders = folders;
  selection.CurrentRace = findCurrentRace(selection.raceFiles, selection.SelectedRacePath);
  selection.ChosenRaceIndex = selection.CurrentRace;
  return selection;
}

void RaceSelection::listMore(const RaceFolders& folders) {
  if (!raceFolders.empty() && sameFolder(raceFolders.front(), folders) &&
      !sameFolder(raceFolders.back(), folders)) {
    return;
  }
  const QString selectedName = QFileInfo(SelectedRacePath).fileName();
  const bool selectedHere = CurrentRace > 0 && sameFolder(selectedFolders, folders);
  // Races of folders are kept together at the end, so a new listing replaces them.
  qsizetype kept = raceFiles.size();
  while (kept > 0 && sameFolder(raceFolders[kept - 1], folders)) {
    --kept;
  }
  raceFiles.resize(kept);
  raceFolders.resize(kept);
  const QStringList more = ListRaceFiles(folders);
  raceFiles += more;
  raceFolders.insert(raceFolders.end(), more.size(), folders);
  if (selectedHere) {
    CurrentRace = placeOf(folders, selectedName);
  }
}

int RaceSelection::placeOf(const RaceFolders& folders, const QString& name) const {
  for (qsizetype i = 0; i < raceFiles.size(); ++i) {
    if (raceFiles[i].compare(name, Qt::CaseInsensitive) == 0 && sameFolder(raceFolders[i], folders)) {
      return static_cast<int>(i) + 1;
    }
  }
  return 0;
}

const RaceFolders& RaceSelection::folderOf(const RaceFolders& folders, int race) const {
  return race >= 1 && race <= static_cast<int>(raceFolders.size()) ? raceFolders[race - 1] : folders;
}

bool RaceSelection::isSelected(const QString& text) const {
  return !text.isEmpty() &&
         QFileInfo(SelectedRacePath).fileName().compare(text.trimmed(), Qt::CaseInsensitive) == 0;
}

void RaceSelection::selectNamed(const RaceFolders& folders, const QString& text, int selectorIndex) {
  const QString name = text.trimmed();
  CurrentRace = ChosenRaceIndex > 0 ? ChosenRaceIndex : selectorIndex + 1;
  const bool listedThere = CurrentRace >= 1 && CurrentRace <= raceFiles.size() &&
                           raceFiles[CurrentRace - 1].compare(name, Qt::CaseInsensitive) == 0;
  selectedFolders = listedThere ? folderOf(folders, CurrentRace) : folders;
  SelectedRacePath = selectedFolders.folder(QString::fromLatin1(kRaceAdminFolder)) + u'/' + name;
}

void RaceSelection::selectIn(const RaceFolders& folders, const QString& name) {
  CurrentRace = placeOf(folders, name);
  selectedFolders = folders;
  SelectedRacePath = folders.folder(QString::fromLatin1(kRaceAdminFolder)) + u'/' + name;
}

void RaceSelection::selectListed(const RaceFolders& folders, int race) {
  CurrentRace = race;
  selectedFolders = folderOf(folders, race);
  SelectedRacePath =
      selectedFolders.folder(QString::fromLatin1(kRaceAdminFolder)) + u'/' + raceFiles[race - 1];
}

bool RaceSelection::raceFileExists(const RaceFolders& folders, int race) const {
  return race >= 1 && race <= raceFiles.size() &&
         folderOf(folders, race)
             .existingFile(QString::fromLatin1(kRaceAdminFolder), raceFiles[race - 1])
             .has_value();
}

}  // namespace velaro
