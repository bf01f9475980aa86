#pragma once

// Races built in memory for the table and KML tests: a course, boats with
// their passage times and sailed distances, as the analysis would leave them.
#include "core/analysis/courseresults.h"
#include "core/race.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace velaro::testdata {

// A race with the given course items and no boats; legs of 1000 m alternate
// upwind and downwind, bearing 10 degrees for upwind legs and 190 for
// downwind ones.
struct TableRace {
  Race race;
  CourseResults results;

  // Adds a boat with its passage times (one per item, kNotPassed where it
  // did not pass) and sailed metres (one per item slot; the last is the
  // whole race).
  void addBoat(const QString& name, std::vector<double> passTimes, std::vector<double> sailed);
};

TableRace tableRace(const QStringList& course);

// The lines of a text file, without their CR LF ends. Fails the calling test
// through EXPECT when a line ends in a bare LF.
QStringList crlfLines(const QByteArray& bytes);

// Fields of one CSV line (RFC 4180: quoted fields may hold commas).
QStringList csvFields(const QString& line);

// Texts compared as std::string, so that a failure prints them readably.
inline std::string str(const QString& text) {
  return text.toStdString();
}
inline std::string str(QLatin1String text) {
  return QString(text).toStdString();
}
inline std::string str(const QByteArray& bytes) {
  return bytes.toStdString();
}
inline std::string str(const QStringList& lines) {
  return lines.join(QStringLiteral("\n")).toStdString();
}
template <typename T>
const T& str(const T& value) {
  return value;
}

}  // namespace velaro::testdata

#define EXPECT_QEQ(a, b) EXPECT_EQ(::velaro::testdata::str(a), ::velaro::testdata::str(b))
