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
  selection.SelectedRacePath = chooseFirstRace(folders, selection.raceFiles);
  selection.CurrentRace = findCurrentRace(selection.raceFiles, selection.SelectedRacePath);
  selection.ChosenRaceIndex = selection.CurrentRace;
  return selection;
}

bool RaceSelection::isSelected(const QString& text) const {
  return !text.isEmpty() &&
         QFileInfo(SelectedRacePath).fileName().compare(text.trimmed(), Qt::CaseInsensitive) == 0;
}

void RaceSelection::selectNamed(const RaceFolders& folders, const QString& text, int selectorIndex) {
  SelectedRacePath = folders.folder(QString::fromLatin1(kRaceAdminFolder)) + u'/' + text.trimmed();
  CurrentRace = ChosenRaceIndex > 0 ? ChosenRaceIndex : selectorIndex + 1;
}

void RaceSelection::selectListed(const RaceFolders& folders, int race) {
  CurrentRace = race;
  SelectedRacePath = folders.folder(QString::fromLatin1(kRaceAdminFolder)) + u'/' + raceFiles[race - 1];
}

bool RaceSelection::raceFileExists(const RaceFolders& folders, int race) const {
  return race >= 1 && race <= raceFiles.size() &&
         folders.existingFile(QString::fromLatin1(kRaceAdminFolder), raceFiles[race - 1]).has_value();
}

}  // namespace velaro
