#pragma once

#include "core/analysis/courseresults.h"
#include "core/race.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace velaro {

struct LoadedRace;

// The file name the Table page writes into the documents folder.
inline constexpr const char* kPerformanceTableFileName = "NoName.csv";

// The boat with the shortest elapsed time to the finish (0-based index);
// the lower-numbered boat wins a tie. None when no boat has a finish time.
std::optional<int> BestBoat(const Race& race, const CourseResults& results);

// The performance table of a race, one document of seven sections: time,
// position, course length, sailed distance and speed by leg, the upwind and
// downwind summary, and the differences from the best boat. Fields are
// separated by commas and never quoted; every line ends with CR LF.
QString performanceTableText(const Race& race, const CourseResults& results);

// The same table as the bytes of the file: UTF-8, no byte-order mark.
QByteArray WritePerformanceTable(const Race& race, const CourseResults& results);
QByteArray WritePerformanceTable(const LoadedRace& loaded);

}  // namespace velaro
