#pragma once

#include "racegen/course.h"
#include "racegen/logwriters.h"
#include "racegen/simulation.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace velaro::racegen {

// A sailing area: where the course is laid, the usual wind there and the
// harbour the boats come from.
struct Location {
  QString key;
  QString nameEn;
  QString nameJa;
  GeoPoint centre;          // middle of the start line, minutes of arc
  GeoPoint harbour;         // minutes of arc
  double windDir = 180;     // degrees true, the afternoon sea breeze
  double windSpeed = 9;     // knots
  double magVariation = 0;  // degrees, east positive
};

std::optional<Location> locationByKey(const QString& key);
QStringList locationKeys();

enum class BoatNames { English, Japanese, Mixed };

struct RaceOptions {
  QString stem = QStringLiteral("race");  // race file name without .txt; prefixes the other files
  int boats = 12;
  int durationMinutes = 40;  // gun to the leaders' finish, roughly
  int logInterval = 0;       // seconds for every logger; 0 gives each its own (1 to 10 s)
  int fixesPerSecond = 1;    // above 1, every logger writes this many fixes each second
  std::uint64_t seed = 1;
  CourseShape shape = CourseShape::WindwardLeeward;
  int laps = 2;
  QString location = QStringLiteral("enoshima");
  std::optional<LogFormat> format;  // one format for all logs; otherwise mixed
  BoatNames names = BoatNames::Mixed;
  bool northUp = false;
  QDate date = QDate(2025, 5, 18);
  QTime gun = QTime(11, 0);
  int timeDifferenceHours = 9;
  int preStartMinutes = 5;
  double windDir = -1;     // degrees true; negative takes the location's
  double windSpeed = -1;   // knots; negative takes the location's
  bool retirement = true;  // one boat retires mid-race (fleets of 8 or more)
  QString title;           // T1; empty makes one
  QString subtitle;        // T2; empty makes one
};

// What the logger of one boat did.
struct BoatLog {
  QString fileName;
  QString boatName;
  QString sailNumber;
  LogFormat format = LogFormat::Gpx;
  int intervalSeconds = 1;
  int fixesPerSecond = 1;
  int clockErrorSeconds = 0;  // logger time minus true time; BN carries the negation
  bool focused = true;
  std::vector<LogFix> fixes;    // as written
  std::vector<int> fixSeconds;  // true seconds from the gun of each fix (the whole second it lies in)
  std::vector<int> outliers;    // indices into fixes
  // Each fix's GPS error, metres east and north of where the boat was: what
  // no analysis of the log alone can take out.
  std::vector<Vec> fixErrors;
};

struct GeneratedRace {
  RaceOptions options;
  Location location;
  SimResult sim;
  std::vector<BoatLog> logs;
  double gunLocal = 0;  // date-time
  double finishLocal = 0;
  std::vector<double> passSeconds;  // per course item, the first boat's time
  // Relative path inside the races folder -> bytes.
  std::map<QString, QByteArray> files;
};

// The demo races shipped in data/demo, the first being the one shown at start.
std::vector<RaceOptions> demoRaceOptions();

// Simulates the race and produces every file of its folder.
GeneratedRace generateRace(const RaceOptions& options);

// The race file text (UTF-8, CR LF).
QByteArray raceFileText(const GeneratedRace& race);

// Writes the files below root, creating folders; false with a message on the
// first failure.
bool writeRaceFiles(const GeneratedRace& race, const QString& root, QString* error);

// The position of a boat's simulated track in minutes of arc.
GeoPoint truthPosition(const GeneratedRace& race, Vec local);

}  // namespace velaro::racegen
