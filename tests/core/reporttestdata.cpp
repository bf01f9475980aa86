#include "reporttestdata.h"

#include <gtest/gtest.h>

namespace velaro::testdata {

TableRace tableRace(const QStringList& course) {
  TableRace t;
  t.race.RaceCaption = QStringLiteral("Test Race");
  t.race.Course = course;
  const int n = static_cast<int>(course.size());
  t.results.itemCount = n;
  const int legs = n > 1 ? n - 1 : 0;
  double total = 0;
  for (int leg = 0; leg < legs; ++leg) {
    const bool up = leg % 2 == 0;
    t.results.LegBearing.push_back(up ? 10 : 190);
    t.results.LegLength.push_back(1000);
    t.results.LegSail.push_back(up ? PointOfSail::Upwind : PointOfSail::Downwind);
    total += 1000;
  }
  if (n > 0) {
    t.results.LegLength.push_back(total);
  }
  return t;
}

void TableRace::addBoat(const QString& name, std::vector<double> passTimes, std::vector<double> sailed) {
  Boat boat;
  boat.BoatName = name;
  race.boats.push_back(boat);
  passTimes.resize(results.itemCount, kNotPassed);
  sailed.resize(results.itemCount, 0);
  results.PassTime.push_back(passTimes);
  results.LegSailedDistance.push_back(sailed);
}

QStringList crlfLines(const QByteArray& bytes) {
  const QString text = QString::fromUtf8(bytes);
  EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n"))) << "last line has no CR LF";
  QStringList lines = text.split(QStringLiteral("\r\n"));
  lines.removeLast();
  for (const QString& line : lines) {
    EXPECT_FALSE(line.contains(u'\n') || line.contains(u'\r'))
        << "stray line break in " << line.toStdString();
  }
  return lines;
}

QStringList csvFields(const QString& line) {
  QStringList fields;
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (quoted) {
      if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
        field += u'"';
        ++i;
      } else if (c == u'"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == u'"' && field.isEmpty()) {
      quoted = true;
    } else if (c == u',') {
      fields << field;
      field.clear();
    } else {
      field += c;
    }
  }
  fields << field;
  return fields;
}

}  // namespace velaro::testdata
