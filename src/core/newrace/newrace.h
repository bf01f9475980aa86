#pragma once

#include "core/race.h"
#include "core/readerror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace velaro {

// What the user asks for beyond the logs; every value set is taken over the
// estimate.
struct NewRaceRequest {
  QStringList logPaths;
  QString name;        // race file name without .txt; empty: made from the date and the first boat
  QString title;       // T1; empty: made from the place and date
  QString startText;   // local "yyyy/MM/dd HH:mm:ss" or "HH:mm[:ss]" on the race's day; empty: estimated
  QString finishText;  // the same for the finish
  std::optional<double> windDirTrue;
  std::optional<int> utcOffsetHours;  // local minus UTC; else the computer's zone on that date
  std::vector<GeoPoint> marks;        // minutes of arc
  QStringList course;                 // CRS items
};

// What the making of a race asks of the machine, replaceable in tests.
struct NewRaceServices {
  // The shore of an area (minutes of arc) from the installed shorelines;
  // empty when none are installed or the area has no shore.
  std::function<std::vector<std::vector<GeoPoint>>(double south, double north, double west, double east)>
      shoreline;
  // Local time minus UTC, in whole hours, at a UTC date-time.
  std::function<int(double utcDateTime)> localOffsetHours;
};

// The services of this computer: the GMT shorelines when installed, the
// system's time zone.
NewRaceServices systemNewRaceServices();

struct NewRaceResult {
  std::optional<ReadError> error;  // nothing was written
  QString raceFileName;            // "<name>.txt" inside raceadmin/
  QString raceFilePath;            // full path
  QStringList estimates;           // one line each, with how sure it is
  QStringList notes;               // logs used once, values taken as given
};

// Relative path inside the races folder -> bytes, for every file of the new
// race (race file, logs, wind log, coastline sheets), or the error.
struct NewRaceFiles {
  std::map<QString, QByteArray> files;
  QString raceFileName;
  QStringList estimates;
  QStringList notes;
  std::optional<ReadError> error;
};

// Reads the logs and makes every file of the race; touches no folder.
// racesFolder is read only to choose names that do not clash with its races.
NewRaceFiles makeNewRaceFiles(const NewRaceRequest& request, const QString& racesFolder,
                              const NewRaceServices& services);

// Makes the race and writes it into racesFolder (created when missing):
// every file or none. racefile.st names the race when the folder had none.
NewRaceResult createNewRace(const NewRaceRequest& request, const QString& racesFolder,
                            const NewRaceServices& services);

}  // namespace velaro
