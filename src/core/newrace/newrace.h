#pragma once

#include "core/newrace/raceinference.h"
#include "core/race.h"
#include "core/readerror.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace velaro {

// What the user asks for beyond the logs; every value set is taken over the
// estimate.
struct NewRaceRequest {
  QStringList logPaths;
  QString name;        // race file name without .txt; empty: "yyyy-MM-dd-HHmm" of the local gun
  QString title;       // T1; empty: made from the date and time of the gun
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

// A local time as the user writes it: "yyyy/MM/dd HH:mm[:ss]", or
// "HH:mm[:ss]" on the race's own day (no date).
struct LocalTimeText {
  std::optional<QDate> date;
  QTime time;
};
std::optional<LocalTimeText> parseLocalTimeText(const QString& text);

// What the race file says beyond the inferred race.
struct RaceFileEntries {
  QString raceName;     // without .txt
  QString windLogName;  // inside winddat/, used when the race has a wind log
  QString title;        // T1; empty: made from the date and time of the gun
  int utcOffsetHours = 0;
  double magVariationDeg = 0;  // east positive
  struct BoatEntry {
    QString fileName;  // inside gpsdat/
    QString boatName;
    int timeOffsetSeconds = 0;  // added to the log's times
  };
  std::vector<BoatEntry> boats;
};

// The race file ("raceadmin/<name>.txt") and, when the race has a wind log,
// the wind log ("winddat/<windLogName>"), UTF-8 with CR LF line ends. Winds
// are written in magnetic degrees, times in local time.
std::map<QString, QByteArray> composeRaceFiles(const InferredRace& race, const RaceFileEntries& entries);

// Reads the logs and makes every file of the race; touches no folder.
// racesFolder is read only to choose names that do not clash with its races.
NewRaceFiles makeNewRaceFiles(const NewRaceRequest& request, const QString& racesFolder,
                              const NewRaceServices& services);

// Makes the race and writes it into racesFolder (created when missing):
// every file or none. racefile.st names the race when the folder had none.
NewRaceResult createNewRace(const NewRaceRequest& request, const QString& racesFolder,
                            const NewRaceServices& services);

}  // namespace velaro
