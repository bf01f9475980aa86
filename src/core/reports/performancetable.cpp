#include "core/reports/performancetable.h"

#include "core/loadedrace.h"
#include "core/reports/reporttext.h"

#include <QStringList>

namespace velaro {

namespace {

constexpr double kMetresPerMile = 1852.0;
constexpr double kSecondsPerHour = 3600.0;
// The table counts a passage below this value; the stored marker lies far above.
constexpr double kValidLimit = 999'999;
// Elapsed times up to this value may make a boat the best boat.
constexpr double kBestLimit = 1'000'000;

const QString kMissing = QStringLiteral("-");
const QString kBlankLine = QStringLiteral(" ");

bool valid(double passTime) {
  return passTime < kValidLimit;
}

double knots(double metres, double seconds) {
  return metres / seconds * kSecondsPerHour / kMetresPerMile;
}

// The race and its results seen through the table's definitions: items and
// slots 0-based, any value a short table row lacks reads as "not passed" or
// "not sailed".
class TableData {
 public:
  TableData(const Race& race, const CourseResults& results)
      : m_race(race), m_results(results), m_items(race.CourseCount()) {}

  int items() const { return m_items; }
  double magVariation() const { return m_race.MagVariation; }
  int legs() const { return m_items > 1 ? m_items - 1 : 0; }
  int boats() const { return m_race.BoatCount(); }
  QString name(int b) const { return csvField(m_race.boats[b].BoatName); }

  double pass(int b, int item) const {
    if (b < 0 || b >= static_cast<int>(m_results.PassTime.size())) {
      return kNotPassed;
    }
    const auto& row = m_results.PassTime[b];
    return item >= 0 && item < static_cast<int>(row.size()) ? row[item] : kNotPassed;
  }

  // Metres sailed on leg slot s; the last slot (items() - 1) is the whole race.
  double sailed(int b, int slot) const {
    if (b < 0 || b >= static_cast<int>(m_results.LegSailedDistance.size())) {
      return 0;
    }
    const auto& row = m_results.LegSailedDistance[b];
    return slot >= 0 && slot < static_cast<int>(row.size()) ? row[slot] : 0;
  }

  double legLength(int slot) const {
    return slot >= 0 && slot < static_cast<int>(m_results.LegLength.size()) ? m_results.LegLength[slot] : 0;
  }
  double legBearing(int leg) const {
    return leg >= 0 && leg < static_cast<int>(m_results.LegBearing.size()) ? m_results.LegBearing[leg] : 0;
  }
  PointOfSail sail(int leg) const {
    return leg >= 0 && leg < static_cast<int>(m_results.LegSail.size()) ? m_results.LegSail[leg]
                                                                        : PointOfSail::Reach;
  }

  // Leg time: leg 1 counts from the start signal, later legs between the
  // passages of their two items.
  double legTime(int b, int leg) const { return leg == 0 ? pass(b, 1) : pass(b, leg + 1) - pass(b, leg); }
  bool legDone(int b, int leg) const { return valid(pass(b, leg + 1)); }
  // Both items of the leg passed, the start crossing included for leg 1.
  bool legBothEnds(int b, int leg) const { return valid(pass(b, leg)) && valid(pass(b, leg + 1)); }
  // The leg has a time that means something: for leg 1 the passage of its
  // end (timed from the signal), for later legs the passages of both items.
  bool legTimed(int b, int leg) const { return leg == 0 ? legDone(b, 0) : legBothEnds(b, leg); }

  double elapsed(int b) const { return m_items > 0 ? pass(b, m_items - 1) : kNotPassed; }
  bool hasFinish(int b) const {
    const double a = elapsed(b);
    return a > 0 && a < kValidLimit;
  }
  double totalSailed(int b) const { return sailed(b, m_items - 1); }

  QString item(int k) const { return csvField(m_race.Course[k]); }

  QString legLabel(int leg) const {
    const QString from = leg == 0 ? QStringLiteral("ST") : m_race.Course[leg];
    return csvField(from + QStringLiteral("->") + m_race.Course[leg + 1]);
  }
  QString sailTag(int leg) const {
    switch (sail(leg)) {
      case PointOfSail::Upwind:
        return QStringLiteral("(UP)");
      case PointOfSail::Downwind:
        return QStringLiteral("(DN)");
      case PointOfSail::Reach:
        break;
    }
    return {};
  }

 private:
  const Race& m_race;
  const CourseResults& m_results;
  int m_items;
};

// Builds the file line by line; one place decides the line end.
class Writer {
 public:
  void line(const QString& text) { m_lines << text; }
  void blank(int count = 1) {
    for (int i = 0; i < count; ++i) {
      m_lines << kBlankLine;
    }
  }
  QString text() const {
    QString all;
    for (const QString& l : m_lines) {
      all += l;
      all += QStringLiteral("\r\n");
    }
    return all;
  }

 private:
  QStringList m_lines;
};

QString kindsRow(const TableData& d) {
  if (d.items() < 2) {
    return {};
  }
  QString row;
  for (int leg = 0; leg < d.legs(); ++leg) {
    row += u',' + d.sailTag(leg);
  }
  return row;
}

QString legLabels(const TableData& d) {
  QString row;
  for (int leg = 0; leg < d.legs(); ++leg) {
    row += u',' + d.legLabel(leg);
  }
  return row;
}

// Mean speed over the whole race (C = B/A), when the boat finished and its
// track was measured.
QString averageSpeed(const TableData& d, int b) {
  if (d.hasFinish(b) && d.totalSailed(b) > 0) {
    return fourDecimalCut(knots(d.totalSailed(b), d.elapsed(b)));
  }
  return kMissing;
}

void writeHeader(Writer& w, const Race& race) {
  w.line(csvField(race.RaceCaption));
  w.line(QStringLiteral("Start Time,") + dateTimeText(race.RaceStart));
  w.line(QStringLiteral("Mean Wind Dir,") + QString::number(race.WindAxis) + QStringLiteral(" deg"));
  w.blank();
}

void writeTimeByLeg(Writer& w, const TableData& d) {
  w.line(QStringLiteral("Time by each leg (Sec)"));
  w.line(kindsRow(d));
  w.line(QStringLiteral("Boat Name") + legLabels(d) +
         QStringLiteral(",Total(A),,Sail Dist(B),BSP(C=B/A),,Start Time"));
  for (int b = 0; b < d.boats(); ++b) {
    QString row = d.name(b);
    for (int leg = 0; leg < d.legs(); ++leg) {
      const double t = d.legTime(b, leg);
      row += u',' + (t > 0 && d.legDone(b, leg) ? wholeNumberText(t) : kMissing);
    }
    row += u',' + (d.hasFinish(b) ? wholeNumberText(d.elapsed(b)) : kMissing);
    row += QStringLiteral(",,") +
           (d.totalSailed(b) > 0 ? fourDecimalCut(d.totalSailed(b) / kMetresPerMile) : kMissing);
    row += u',' + averageSpeed(d, b);
    const double start = d.pass(b, 0);
    if (start > 0 && valid(start)) {
      row += QStringLiteral(", ,") + wholeNumberText(start);
    }
    w.line(row);
  }
  w.blank(2);
}

void writePositions(Writer& w, const TableData& d) {
  w.line(QStringLiteral("Position by each Mark/Line"));
  QString heading = QStringLiteral("Boat Name");
  for (int k = 0; k < d.items(); ++k) {
    if (k == d.items() - 1) {
      heading += QStringLiteral(",FINISH");
    } else if (k == 0) {
      heading += QStringLiteral(",START");
    } else {
      heading += u',' + d.item(k);
    }
  }
  w.line(heading);
  for (int b = 0; b < d.boats(); ++b) {
    QString row = d.name(b);
    for (int k = 0; k < d.items(); ++k) {
      const double t = d.pass(b, k);
      if (!valid(t)) {
        row += u',' + kMissing;
        continue;
      }
      // Equal times share a place and the next place is skipped (1, 1, 3).
      int ahead = 0;
      for (int c = 0; c < d.boats(); ++c) {
        if (d.pass(c, k) < t) {
          ++ahead;
        }
      }
      row += u',' + QString::number(ahead + 1);
    }
    w.line(row);
  }
  w.blank(2);
}

void writeCourseLength(Writer& w, const TableData& d) {
  w.line(QStringLiteral("Course Length by each leg (N Miles)"));
  w.line(QStringLiteral("Line/Mark") + legLabels(d) + QStringLiteral(",Total(A)"));
  QString kinds = QStringLiteral("Point of sail");
  for (int leg = 0; leg < d.legs(); ++leg) {
    kinds += u',' + d.sailTag(leg);
  }
  w.line(kinds + QStringLiteral(",,,UP_DIST,DN_DIST"));

  QString lengths = QStringLiteral("Length");
  for (int slot = 0; slot < d.items(); ++slot) {
    lengths += u',' + fourDecimalCut(d.legLength(slot) / kMetresPerMile);
  }
  double up = 0;
  double down = 0;
  for (int leg = 0; leg < d.legs(); ++leg) {
    if (d.sail(leg) == PointOfSail::Upwind) {
      up += d.legLength(leg) / kMetresPerMile;
    } else if (d.sail(leg) == PointOfSail::Downwind) {
      down += d.legLength(leg) / kMetresPerMile;
    }
  }
  w.line(lengths + QStringLiteral(",,") + generalText(up) + u',' + generalText(down));

  QString bearings = QStringLiteral("BRG(deg/Mag)");
  for (int leg = 0; leg < d.legs(); ++leg) {
    double m = d.legBearing(leg) - d.magVariation();
    if (m < 0) {
      m += 360;
    } else if (m > 360) {
      m -= 360;
    }
    bearings += u',' + bearingText(m);
  }
  w.line(bearings + QStringLiteral(",-"));
  w.blank(2);
}

void writeSailedDistance(Writer& w, const TableData& d) {
  w.line(QStringLiteral("Sailed Distance by each leg (N Miles)"));
  w.line(kindsRow(d));
  w.line(QStringLiteral("Boat Name") + legLabels(d) + QStringLiteral(",Total(B)"));
  for (int b = 0; b < d.boats(); ++b) {
    QString row = d.name(b);
    for (int slot = 0; slot < d.items(); ++slot) {
      const double metres = d.sailed(b, slot);
      row += u',' + (metres > 0 ? fourDecimalCut(metres / kMetresPerMile) : kMissing);
    }
    w.line(row);
  }
  w.blank(2);
}

void writeBoatSpeed(Writer& w, const TableData& d) {
  w.line(QStringLiteral("Boat speed by each leg (KTS)"));
  w.line(kindsRow(d));
  w.line(QStringLiteral("Boat Name") + legLabels(d) + QStringLiteral(",Ave(C)"));
  for (int b = 0; b < d.boats(); ++b) {
    QString row = d.name(b);
    for (int leg = 0; leg < d.legs(); ++leg) {
      const double t = d.legTime(b, leg);
      const double metres = d.sailed(b, leg);
      row += u',' + (t > 0 && d.legDone(b, leg) && metres > 0 ? fourDecimalCut(knots(metres, t)) : kMissing);
    }
    row += u',' + averageSpeed(d, b);
    w.line(row);
  }
  w.blank(2);
}

// Upwind or downwind half of a summary row. Only legs whose two passages
// exist are summed: a leg the boat never finished has no time, and counting
// the "not passed" marker as one would give times of millions of seconds.
// VMC is measured over the course length of the same legs, which for a boat
// that sailed every leg is the length of section 3.
QString summaryHalf(const TableData& d, int b, PointOfSail kind) {
  double time = 0;
  double sailedMiles = 0;
  double lengthMiles = 0;
  for (int leg = 0; leg < d.legs(); ++leg) {
    if (d.sail(leg) != kind || !d.legTimed(b, leg)) {
      continue;
    }
    time += d.legTime(b, leg);
    sailedMiles += d.sailed(b, leg) / kMetresPerMile;
    lengthMiles += d.legLength(leg) / kMetresPerMile;
  }
  const QString bsp = time > 0 ? fiveCharCut(sailedMiles * kSecondsPerHour / time) : QStringLiteral("0");
  const QString vmc = time > 0 ? fiveCharCut(lengthMiles * kSecondsPerHour / time) : QStringLiteral("0");
  return u',' + wholeNumberText(time) + u',' + fiveCharCut(sailedMiles) + u',' + bsp + u',' + vmc;
}

void writeSummary(Writer& w, const TableData& d) {
  w.line(QStringLiteral("SUMMARY OF SAILING PERFORMANCE"));
  w.line(QStringLiteral(",(UP),(UP),(UP),(UP),,(DN),(DN),(DN),(DN)"));
  w.line(QStringLiteral("BOAT NAME,TIME,DIST,BSP,VMC,,TIME,DIST,BSP,VMC"));
  for (int b = 0; b < d.boats(); ++b) {
    w.line(d.name(b) + summaryHalf(d, b, PointOfSail::Upwind) + u',' +
           summaryHalf(d, b, PointOfSail::Downwind));
  }
  w.blank(2);
}

// Every difference below needs the value of both the boat and the best
// boat; without a best boat every value column reads "-".
void writeTimeDifferences(Writer& w, const TableData& d, std::optional<int> best) {
  w.line(QStringLiteral("Difference of Time by each leg (SEC: difference from Best Boat)"));
  w.line(kindsRow(d));
  w.line(QStringLiteral("Boat Name") + legLabels(d) + QStringLiteral(",Total(B)"));
  for (int b = 0; b < d.boats(); ++b) {
    QString row = d.name(b);
    for (int leg = 0; leg < d.legs(); ++leg) {
      if (best && d.legBothEnds(b, leg) && d.legTimed(*best, leg)) {
        // No "+" in the leg columns: only the total is signed.
        row += u',' + wholeNumberText(d.legTime(b, leg) - d.legTime(*best, leg));
      } else {
        row += u',' + kMissing;
      }
    }
    if (best && d.hasFinish(b)) {
      const double diff = d.elapsed(b) - d.elapsed(*best);
      row += u',' + signedText(diff, wholeNumberText(diff));
    } else {
      row += u',' + kMissing;
    }
    w.line(row);
  }
  w.blank(2);
}

void writeDistanceDifferences(Writer& w, const TableData& d, std::optional<int> best) {
  w.line(QStringLiteral("Difference of Sailed Distance by each leg (Meters)"));
  w.line(kindsRow(d));
  w.line(QStringLiteral("Boat Name") + legLabels(d) + QStringLiteral(",Total(B)"));
  for (int b = 0; b < d.boats(); ++b) {
    QString row = d.name(b);
    for (int slot = 0; slot < d.items(); ++slot) {
      if (best && d.sailed(b, slot) > 0 && d.sailed(*best, slot) > 0) {
        const double diff = d.sailed(b, slot) - d.sailed(*best, slot);
        row += u',' + signedText(diff, wholeNumberText(diff));
      } else {
        row += u',' + kMissing;
      }
    }
    w.line(row);
  }
  w.blank(2);
}

bool legSpeedKnown(const TableData& d, int b, int leg) {
  return d.legTime(b, leg) > 0 && d.legDone(b, leg) && d.sailed(b, leg) > 0;
}

void writeSpeedDifferences(Writer& w, const TableData& d, std::optional<int> best) {
  w.line(QStringLiteral("Difference of Boat speed by each leg (KTS)"));
  w.line(kindsRow(d));
  w.line(QStringLiteral("Boat Name") + legLabels(d) + QStringLiteral(",Ave(C)"));
  for (int b = 0; b < d.boats(); ++b) {
    QString row = d.name(b);
    for (int leg = 0; leg < d.legs(); ++leg) {
      if (best && legSpeedKnown(d, b, leg) && legSpeedKnown(d, *best, leg)) {
        const double diff =
            knots(d.sailed(b, leg), d.legTime(b, leg)) - knots(d.sailed(*best, leg), d.legTime(*best, leg));
        row += u',' + signedText(diff, fourDecimalCut(diff));
      } else {
        row += u',' + kMissing;
      }
    }
    if (best && d.hasFinish(b) && d.totalSailed(b) > 0 && d.totalSailed(*best) > 0) {
      const double diff =
          knots(d.totalSailed(b), d.elapsed(b)) - knots(d.totalSailed(*best), d.elapsed(*best));
      row += u',' + signedText(diff, fourDecimalCut(diff));
    } else {
      row += u',' + kMissing;
    }
    w.line(row);
  }
}

}  // namespace

std::optional<int> BestBoat(const Race& race, const CourseResults& results) {
  const TableData d(race, results);
  std::optional<int> best;
  for (int b = 0; b < d.boats(); ++b) {
    const double a = d.elapsed(b);
    // Strictly smaller: on equal times the lower-numbered boat stays best.
    if (a > 0 && a < kBestLimit && (!best || a < d.elapsed(*best))) {
      best = b;
    }
  }
  return best;
}

QString performanceTableText(const Race& race, const CourseResults& results) {
  const TableData d(race, results);
  Writer w;
  writeHeader(w, race);
  writeTimeByLeg(w, d);
  writePositions(w, d);
  writeCourseLength(w, d);
  writeSailedDistance(w, d);
  writeBoatSpeed(w, d);
  writeSummary(w, d);
  w.line(QStringLiteral("COMPARISON OF DATA (Best boat:=0"));
  w.blank();
  const std::optional<int> best = BestBoat(race, results);
  writeTimeDifferences(w, d, best);
  writeDistanceDifferences(w, d, best);
  writeSpeedDifferences(w, d, best);
  return w.text();
}

QByteArray WritePerformanceTable(const Race& race, const CourseResults& results) {
  return performanceTableText(race, results).toUtf8();
}

QByteArray WritePerformanceTable(const LoadedRace& loaded) {
  return WritePerformanceTable(loaded.race, loaded.results);
}

}  // namespace velaro
