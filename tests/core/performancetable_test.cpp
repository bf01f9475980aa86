#include "core/reports/performancetable.h"

#include "core/datetime.h"
#include "core/loadpipeline.h"
#include "core/reports/reporttext.h"
#include "reporttestdata.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace velaro {
namespace {

using testdata::crlfLines;
using testdata::csvFields;
using testdata::tableRace;
using testdata::TableRace;

const double kNP = kNotPassed;

// The lines of the section that starts with title, up to its first blank line.
QStringList section(const QStringList& lines, const QString& title) {
  const qsizetype start = lines.indexOf(title);
  EXPECT_GE(start, 0) << "no section " << title.toStdString();
  QStringList out;
  for (qsizetype i = start; i >= 0 && i < lines.size() && lines[i] != QStringLiteral(" "); ++i) {
    out << lines[i];
  }
  return out;
}

QStringList tableLines(const TableRace& t) {
  return crlfLines(WritePerformanceTable(t.race, t.results));
}

// The row of a boat in a section: the first line starting with name and ",".
QString rowOf(const QStringList& sectionLines, const QString& name) {
  for (const QString& line : sectionLines) {
    if (line.startsWith(name + u',')) {
      return line;
    }
  }
  ADD_FAILURE() << "no row " << name.toStdString();
  return {};
}

const QString kTime = QStringLiteral("Time by each leg (Sec)");
const QString kPosition = QStringLiteral("Position by each Mark/Line");
const QString kLength = QStringLiteral("Course Length by each leg (N Miles)");
const QString kSailed = QStringLiteral("Sailed Distance by each leg (N Miles)");
const QString kSpeed = QStringLiteral("Boat speed by each leg (KTS)");
const QString kSummary = QStringLiteral("SUMMARY OF SAILING PERFORMANCE");
const QString kTimeDiff = QStringLiteral("Difference of Time by each leg (SEC: difference from Best Boat)");
const QString kDistDiff = QStringLiteral("Difference of Sailed Distance by each leg (Meters)");
const QString kSpeedDiff = QStringLiteral("Difference of Boat speed by each leg (KTS)");

TEST(NumberText, FormatsOfTheTable) {
  struct Case {
    double value;
    const char* general;
    const char* four;
    const char* five;
    const char* bearing;
  };
  const Case cases[] = {
      {0.25, "0.25", "0.2500", "0.25", "0"},
      {2, "2", "2", "2", "2"},
      {1.5, "1.5", "1.5000", "1.5", "1"},
      {0.123456, "0.123456", "0.1234", "0.123", "0"},
      {2.99999, "2.99999", "2.9999", "2.999", "2"},
      {-12.34567, "-12.34567", "-12.3456", "-12.3", "-12"},
      {6.99996, "6.99996", "6.9999", "6.999", "6"},
      {12.345678, "12.345678", "12.3456", "12.34", "12"},
      {0.0123, "0.0123", "0.0123", "0.012", "0"},
      {1234.56, "1234.56", "1234.5600", "1234.", "1234"},
      {7, "7", "7", "7", "7"},
      {123.9, "123.9", "123.9000", "123.9", "123"},
      {0.1 + 0.2, "0.3", "0.3000", "0.3", "0"},
      {0.00001, "0.00001", "0.0000", "0.000", "0"},
      // Tiny values: exponent form in the general text, but the cuts give the
      // truncated fixed form rather than a broken exponent.
      {0.0000015, "1.5E-6", "0.0000", "0.000", "0"},
      {-0.0000015, "-1.5E-6", "-0.0000", "-0.00", "-0"},
      {1e15, "1E15", "1000000000000000", "10000", "1000000000000000"},
      {123456789012345.6, "123456789012346", "123456789012346", "12345", "123456789012346"},
      {0, "0", "0", "0", "0"},
  };
  for (const Case& c : cases) {
    EXPECT_QEQ(generalText(c.value), QLatin1String(c.general)) << c.value;
    EXPECT_QEQ(fourDecimalCut(c.value), QLatin1String(c.four)) << c.value;
    EXPECT_QEQ(fiveCharCut(c.value), QLatin1String(c.five)) << c.value;
    EXPECT_QEQ(bearingText(c.value), QLatin1String(c.bearing)) << c.value;
  }
}

TEST(NumberText, WholeNumbersRoundHalvesToEvenAndSignsGoOnTheFormattedText) {
  EXPECT_QEQ(wholeNumberText(12.5), QStringLiteral("12"));
  EXPECT_QEQ(wholeNumberText(13.5), QStringLiteral("14"));
  EXPECT_QEQ(wholeNumberText(-12.4), QStringLiteral("-12"));
  EXPECT_QEQ(wholeNumberText(-0.5), QStringLiteral("0"));
  // 0.3 s slower shows +0, 0.3 s faster shows 0.
  EXPECT_QEQ(signedText(0.3, wholeNumberText(0.3)), QStringLiteral("+0"));
  EXPECT_QEQ(signedText(-0.3, wholeNumberText(-0.3)), QStringLiteral("0"));
  EXPECT_QEQ(signedText(0, wholeNumberText(0)), QStringLiteral("0"));
  EXPECT_QEQ(signedText(0.12345, fourDecimalCut(0.12345)), QStringLiteral("+0.1234"));
}

TEST(NumberText, DateTimeLeavesOutMidnight) {
  const double start = toDateTime(QDate(2008, 5, 3), QTime(10, 0));
  EXPECT_QEQ(dateTimeText(start), QStringLiteral("2008/05/03 10:00:00"));
  EXPECT_QEQ(dateTimeText(start, 7500), QStringLiteral("2008/05/03 12:05:00"));
  EXPECT_QEQ(dateTimeText(start, 14 * 3600), QStringLiteral("2008/05/04"));
  EXPECT_QEQ(dateTimeText(toDateTime(QDate(2008, 5, 3))), QStringLiteral("2008/05/03"));
}

// Course L1, MK1, L2 (upwind then downwind) and one boat Alpha that crossed
// the start 12 s after the signal, passed MK1 at 1234 s and finished at
// 3579 s, sailing 2400 m, 3400 m and 5800 m in all.
TableRace workedExample() {
  TableRace t = tableRace({QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("L2")});
  t.addBoat(QStringLiteral("Alpha"), {12, 1234, 3579}, {2400, 3400, 5800});
  return t;
}

TEST(PerformanceTable, WorkedExampleLineForLine) {
  const QStringList lines = tableLines(workedExample());
  EXPECT_QEQ(
      section(lines, kTime),
      QStringList({kTime, QStringLiteral(",(UP),(DN)"),
                   QStringLiteral("Boat Name,ST->MK1,MK1->L2,Total(A),,Sail Dist(B),BSP(C=B/A),,Start Time"),
                   QStringLiteral("Alpha,1234,2345,3579,,3.1317,3.1501, ,12")}));
  EXPECT_QEQ(section(lines, kPosition), QStringList({kPosition, QStringLiteral("Boat Name,START,MK1,FINISH"),
                                                     QStringLiteral("Alpha,1,1,1")}));
  EXPECT_QEQ(rowOf(section(lines, kSailed), QStringLiteral("Alpha")),
             QStringLiteral("Alpha,1.2958,1.8358,3.1317"));
  EXPECT_QEQ(rowOf(section(lines, kSpeed), QStringLiteral("Alpha")),
             QStringLiteral("Alpha,3.7805,2.8183,3.1501"));
}

TEST(PerformanceTable, NoBoatsGivesEveryTitleAndHeadingAndNoRows) {
  TableRace t = tableRace({QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("L2")});
  t.race.RaceStart = toDateTime(QDate(2008, 5, 3), QTime(10, 0));
  t.race.WindAxis = 200;
  const QString expected = QStringLiteral(
      "Test Race\r\n"
      "Start Time,2008/05/03 10:00:00\r\n"
      "Mean Wind Dir,200 deg\r\n"
      " \r\n"
      "Time by each leg (Sec)\r\n"
      ",(UP),(DN)\r\n"
      "Boat Name,ST->MK1,MK1->L2,Total(A),,Sail Dist(B),BSP(C=B/A),,Start Time\r\n"
      " \r\n \r\n"
      "Position by each Mark/Line\r\n"
      "Boat Name,START,MK1,FINISH\r\n"
      " \r\n \r\n"
      "Course Length by each leg (N Miles)\r\n"
      "Line/Mark,ST->MK1,MK1->L2,Total(A)\r\n"
      "Point of sail,(UP),(DN),,,UP_DIST,DN_DIST\r\n"
      "Length,0.5399,0.5399,1.0799,,0.539956803455723,0.539956803455723\r\n"
      "BRG(deg/Mag),10,190,-\r\n"
      " \r\n \r\n"
      "Sailed Distance by each leg (N Miles)\r\n"
      ",(UP),(DN)\r\n"
      "Boat Name,ST->MK1,MK1->L2,Total(B)\r\n"
      " \r\n \r\n"
      "Boat speed by each leg (KTS)\r\n"
      ",(UP),(DN)\r\n"
      "Boat Name,ST->MK1,MK1->L2,Ave(C)\r\n"
      " \r\n \r\n"
      "SUMMARY OF SAILING PERFORMANCE\r\n"
      ",(UP),(UP),(UP),(UP),,(DN),(DN),(DN),(DN)\r\n"
      "BOAT NAME,TIME,DIST,BSP,VMC,,TIME,DIST,BSP,VMC\r\n"
      " \r\n \r\n"
      "COMPARISON OF DATA (Best boat:=0\r\n"
      " \r\n"
      "Difference of Time by each leg (SEC: difference from Best Boat)\r\n"
      ",(UP),(DN)\r\n"
      "Boat Name,ST->MK1,MK1->L2,Total(B)\r\n"
      " \r\n \r\n"
      "Difference of Sailed Distance by each leg (Meters)\r\n"
      ",(UP),(DN)\r\n"
      "Boat Name,ST->MK1,MK1->L2,Total(B)\r\n"
      " \r\n \r\n"
      "Difference of Boat speed by each leg (KTS)\r\n"
      ",(UP),(DN)\r\n"
      "Boat Name,ST->MK1,MK1->L2,Ave(C)\r\n");
  EXPECT_QEQ(performanceTableText(t.race, t.results), expected);
  EXPECT_QEQ(WritePerformanceTable(t.race, t.results), expected.toUtf8());
}

// Course L1, MK1, MK2, L2 (up, down, up; 1000 m legs) with boats for the
// rules of each section.
TableRace fleet() {
  TableRace t =
      tableRace({QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("L2")});
  t.addBoat(QStringLiteral("Alpha"), {12, 1000, 2000, 3000}, {1100, 1050, 1200, 3350});
  // Retired after MK1: sailed distances exist only for finishers.
  t.addBoat(QStringLiteral("Bravo"), {20, 1100, kNP, kNP}, {});
  // Never crossed the start line but rounded every mark.
  t.addBoat(QStringLiteral("Charlie"), {kNP, 1050, 2100, 3100}, {1150, 1000, 1100, 3250});
  // Started 40 s late, 12 s faster than Alpha on leg 1, same finish time.
  t.addBoat(QStringLiteral("Delta"), {40, 988, 2000, 3000}, {1100, 1100, 1150, 3350});
  // 0.3 s slower than Alpha over the course.
  t.addBoat(QStringLiteral("Echo"), {5, 1010, 2010, 3000.3}, {1100, 1050, 1200, 3350});
  return t;
}

TEST(PerformanceTable, TimeByLegRows) {
  const QStringList s = section(tableLines(fleet()), kTime);
  EXPECT_QEQ(rowOf(s, QStringLiteral("Alpha")),
             QStringLiteral("Alpha,1000,1000,1000,3000,,1.8088,2.1706, ,12"));
  EXPECT_QEQ(rowOf(s, QStringLiteral("Bravo")), QStringLiteral("Bravo,1100,-,-,-,,-,-, ,20"));
  // No start crossing: the row ends after BSP, leg 1 still counts from the signal.
  EXPECT_QEQ(rowOf(s, QStringLiteral("Charlie")),
             QStringLiteral("Charlie,1050,1050,1000,3100,,1.7548,2.0379"));
  EXPECT_QEQ(rowOf(s, QStringLiteral("Delta")),
             QStringLiteral("Delta,988,1012,1000,3000,,1.8088,2.1706, ,40"));
  EXPECT_QEQ(rowOf(s, QStringLiteral("Echo")), QStringLiteral("Echo,1010,1000,990,3000,,1.8088,2.1704, ,5"));
}

TEST(PerformanceTable, PositionsShareEqualTimesAndSkipTheNext) {
  const QStringList s = section(tableLines(fleet()), kPosition);
  EXPECT_QEQ(s[1], QStringLiteral("Boat Name,START,MK1,MK2,FINISH"));
  EXPECT_QEQ(rowOf(s, QStringLiteral("Alpha")), QStringLiteral("Alpha,2,2,1,1"));
  EXPECT_QEQ(rowOf(s, QStringLiteral("Bravo")), QStringLiteral("Bravo,3,5,-,-"));
  EXPECT_QEQ(rowOf(s, QStringLiteral("Charlie")), QStringLiteral("Charlie,-,4,4,4"));
  EXPECT_QEQ(rowOf(s, QStringLiteral("Delta")), QStringLiteral("Delta,4,1,1,1"));
  EXPECT_QEQ(rowOf(s, QStringLiteral("Echo")), QStringLiteral("Echo,1,3,3,3"));
}

TEST(PerformanceTable, SailedDistanceAndSpeedOfARetiredBoatAreMissing) {
  const QStringList lines = tableLines(fleet());
  EXPECT_QEQ(rowOf(section(lines, kSailed), QStringLiteral("Bravo")), QStringLiteral("Bravo,-,-,-,-"));
  EXPECT_QEQ(rowOf(section(lines, kSpeed), QStringLiteral("Bravo")), QStringLiteral("Bravo,-,-,-,-"));
  EXPECT_QEQ(rowOf(section(lines, kSailed), QStringLiteral("Alpha")),
             QStringLiteral("Alpha,0.5939,0.5669,0.6479,1.8088"));
  EXPECT_QEQ(rowOf(section(lines, kSpeed), QStringLiteral("Delta")),
             QStringLiteral("Delta,2.1641,2.1128,2.2354,2.1706"));
}

TEST(PerformanceTable, SummarySumsOnlyLegsWithBothPassages) {
  const QStringList s = section(tableLines(fleet()), kSummary);
  EXPECT_QEQ(rowOf(s, QStringLiteral("Alpha")),
             QStringLiteral("Alpha,2000,1.241,2.235,1.943,,1000,0.566,2.041,1.943"));
  // The retired boat's downwind leg has no time: nothing is counted for it,
  // where the "not passed" marker would give about ten million seconds.
  EXPECT_QEQ(rowOf(s, QStringLiteral("Bravo")), QStringLiteral("Bravo,1100,0,0,1.767,,0,0,0,0"));
  EXPECT_QEQ(rowOf(s, QStringLiteral("Charlie")),
             QStringLiteral("Charlie,2050,1.214,2.133,1.896,,1050,0.539,1.851,1.851"));
}

TEST(PerformanceTable, DifferencesFromTheBestBoat) {
  const TableRace t = fleet();
  // Alpha and Delta finish together: the lower-numbered boat is best.
  EXPECT_QEQ(BestBoat(t.race, t.results), 0);
  const QStringList lines = tableLines(t);
  const QStringList time = section(lines, kTimeDiff);
  EXPECT_QEQ(rowOf(time, QStringLiteral("Alpha")), QStringLiteral("Alpha,0,0,0,0"));
  EXPECT_QEQ(rowOf(time, QStringLiteral("Bravo")), QStringLiteral("Bravo,100,-,-,-"));
  // Leg 1 needs the boat's own start crossing.
  EXPECT_QEQ(rowOf(time, QStringLiteral("Charlie")), QStringLiteral("Charlie,-,50,0,+100"));
  // No "+" in the leg columns.
  EXPECT_QEQ(rowOf(time, QStringLiteral("Delta")), QStringLiteral("Delta,-12,12,0,0"));
  EXPECT_QEQ(rowOf(time, QStringLiteral("Echo")), QStringLiteral("Echo,10,0,-10,+0"));

  const QStringList dist = section(lines, kDistDiff);
  EXPECT_QEQ(rowOf(dist, QStringLiteral("Alpha")), QStringLiteral("Alpha,0,0,0,0"));
  EXPECT_QEQ(rowOf(dist, QStringLiteral("Bravo")), QStringLiteral("Bravo,-,-,-,-"));
  EXPECT_QEQ(rowOf(dist, QStringLiteral("Charlie")), QStringLiteral("Charlie,+50,-50,-100,-100"));
  EXPECT_QEQ(rowOf(dist, QStringLiteral("Delta")), QStringLiteral("Delta,0,+50,-50,0"));

  const QStringList speed = section(lines, kSpeedDiff);
  EXPECT_QEQ(rowOf(speed, QStringLiteral("Alpha")), QStringLiteral("Alpha,0,0,0,0"));
  EXPECT_QEQ(rowOf(speed, QStringLiteral("Bravo")), QStringLiteral("Bravo,-,-,-,-"));
  EXPECT_QEQ(rowOf(speed, QStringLiteral("Delta")), QStringLiteral("Delta,+0.0259,+0.0718,-0.0971,0"));
  EXPECT_QEQ(rowOf(speed, QStringLiteral("Echo")), QStringLiteral("Echo,-0.0211,0,+0.0228,-0.0002"));
  // The file ends with the last row of section 7c.
  EXPECT_QEQ(lines.last(), rowOf(speed, QStringLiteral("Echo")));
}

TEST(PerformanceTable, WithoutAFinisherEveryDifferenceIsMissing) {
  TableRace t = tableRace({QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("L2")});
  t.addBoat(QStringLiteral("Alpha"), {12, 1234, kNP}, {});
  t.addBoat(QStringLiteral("Bravo"), {10, 1200, kNP}, {});
  EXPECT_FALSE(BestBoat(t.race, t.results).has_value());
  const QStringList lines = tableLines(t);
  for (const QString& title : {kTimeDiff, kDistDiff, kSpeedDiff}) {
    const QStringList s = section(lines, title);
    EXPECT_QEQ(rowOf(s, QStringLiteral("Alpha")), QStringLiteral("Alpha,-,-,-")) << title.toStdString();
    EXPECT_QEQ(rowOf(s, QStringLiteral("Bravo")), QStringLiteral("Bravo,-,-,-")) << title.toStdString();
  }
}

// A best boat that finished without a passage at MK2 (and so without
// sailed distances for the legs around it) has no value to compare there:
// those columns read "-" instead of a difference from the marker.
TEST(PerformanceTable, DifferencesNeedTheBestBoatsValueToo) {
  TableRace t =
      tableRace({QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("MK2"), QStringLiteral("L2")});
  t.addBoat(QStringLiteral("Alpha"), {12, 1000, kNP, 3000}, {1100, 0, 0, 3350});
  t.addBoat(QStringLiteral("Bravo"), {10, 1010, 2010, 3010}, {1100, 1050, 1200, 3360});
  ASSERT_EQ(BestBoat(t.race, t.results), 0);
  const QStringList lines = tableLines(t);
  EXPECT_QEQ(rowOf(section(lines, kTimeDiff), QStringLiteral("Bravo")), QStringLiteral("Bravo,10,-,-,+10"));
  EXPECT_QEQ(rowOf(section(lines, kDistDiff), QStringLiteral("Bravo")), QStringLiteral("Bravo,0,-,-,+10"));
  EXPECT_QEQ(rowOf(section(lines, kSpeedDiff), QStringLiteral("Bravo")),
             QStringLiteral("Bravo,-0.0211,-,-,-0.0007"));
  EXPECT_QEQ(rowOf(section(lines, kTimeDiff), QStringLiteral("Alpha")), QStringLiteral("Alpha,0,-,-,0"));
}

TEST(PerformanceTable, BestBoatNeedsAnElapsedTimeInRange) {
  TableRace t = tableRace({QStringLiteral("L1"), QStringLiteral("L2")});
  t.addBoat(QStringLiteral("A"), {0, 0}, {});
  t.addBoat(QStringLiteral("B"), {0, -5}, {});
  t.addBoat(QStringLiteral("C"), {0, 2000}, {});
  t.addBoat(QStringLiteral("D"), {0, 1500}, {});
  t.addBoat(QStringLiteral("E"), {0, 1500}, {});
  EXPECT_QEQ(BestBoat(t.race, t.results), 3);
}

TEST(PerformanceTable, TwoItemCourseHasOneLeg) {
  TableRace t = tableRace({QStringLiteral("L1"), QStringLiteral("L2")});
  t.addBoat(QStringLiteral("Alpha"), {3, 1800}, {3700, 3700});
  const QStringList lines = tableLines(t);
  EXPECT_QEQ(section(lines, kTime)[1], QStringLiteral(",(UP)"));
  EXPECT_QEQ(section(lines, kTime)[2],
             QStringLiteral("Boat Name,ST->L2,Total(A),,Sail Dist(B),BSP(C=B/A),,Start Time"));
  EXPECT_QEQ(rowOf(section(lines, kTime), QStringLiteral("Alpha")),
             QStringLiteral("Alpha,1800,1800,,1.9978,3.9956, ,3"));
  EXPECT_QEQ(section(lines, kPosition)[1], QStringLiteral("Boat Name,START,FINISH"));
  // Only upwind legs: the downwind half reads 0, 0, 0, 0.
  EXPECT_QEQ(rowOf(section(lines, kSummary), QStringLiteral("Alpha")),
             QStringLiteral("Alpha,1800,1.997,3.995,1.079,,0,0,0,0"));
}

TEST(PerformanceTable, SingleItemAndEmptyCourses) {
  TableRace one = tableRace({QStringLiteral("L1")});
  one.addBoat(QStringLiteral("Alpha"), {3}, {});
  const QStringList lines = tableLines(one);
  EXPECT_QEQ(section(lines, kTime)[1], QString());
  EXPECT_QEQ(section(lines, kPosition)[1], QStringLiteral("Boat Name,FINISH"));

  TableRace none = tableRace({});
  none.addBoat(QStringLiteral("Alpha"), {}, {});
  const QStringList noCourse = tableLines(none);
  EXPECT_QEQ(rowOf(section(noCourse, kTime), QStringLiteral("Alpha")), QStringLiteral("Alpha,-,,-,-"));
}

TEST(PerformanceTable, HeaderLines) {
  TableRace t = workedExample();
  t.race.RaceCaption.clear();
  t.race.RaceStart = toDateTime(QDate(2008, 5, 3));
  t.race.WindAxis = -5;
  const QStringList lines = tableLines(t);
  EXPECT_QEQ(lines[0], QString());
  EXPECT_QEQ(lines[1], QStringLiteral("Start Time,2008/05/03"));
  EXPECT_QEQ(lines[2], QStringLiteral("Mean Wind Dir,-5 deg"));
  EXPECT_QEQ(lines[3], QStringLiteral(" "));
}

TEST(PerformanceTable, MagneticBearingsStayWithin0To360) {
  TableRace t = tableRace({QStringLiteral("L1"), QStringLiteral("MK1"), QStringLiteral("MK2"),
                           QStringLiteral("MK3"), QStringLiteral("L2")});
  t.race.MagVariation = -7;
  t.results.LegBearing = {355, 130.9, 353, 0};
  t.race.MagVariation = -7;
  const QStringList s = section(tableLines(t), kLength);
  EXPECT_QEQ(s[4], QStringLiteral("BRG(deg/Mag),2,137,360,7,-"));
  t.race.MagVariation = 7;
  EXPECT_QEQ(section(tableLines(t), kLength)[4], QStringLiteral("BRG(deg/Mag),348,123,346,353,-"));
}

TEST(PerformanceTable, NamesWithCommasStayInOneCell) {
  TableRace t = workedExample();
  t.race.boats[0].BoatName = QStringLiteral("Alpha, \"the\" boat");
  t.race.RaceCaption = QStringLiteral("Spring, R1");
  const QStringList lines = tableLines(t);
  EXPECT_QEQ(csvFields(lines[0]), QStringList{QStringLiteral("Spring, R1")});
  const QStringList row = csvFields(section(lines, kTime)[3]);
  ASSERT_EQ(row.size(), 9);
  EXPECT_QEQ(row[0], QStringLiteral("Alpha, \"the\" boat"));
  EXPECT_QEQ(row[1], QStringLiteral("1234"));
}

TEST(PerformanceTable, JapaneseNamesAreWrittenAsUtf8) {
  TableRace t = workedExample();
  t.race.boats[0].BoatName = QStringLiteral("青嵐");
  const QByteArray bytes = WritePerformanceTable(t.race, t.results);
  EXPECT_TRUE(bytes.contains(QStringLiteral("青嵐,1234,2345").toUtf8()));
  EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
}

// Column counts of every line of a table for a course of n items, by
// section, so that a spreadsheet puts one value in each cell.
void expectColumnCounts(const QStringList& lines, int items, int boats) {
  const int legs = items > 1 ? items - 1 : 0;
  struct Expect {
    QString title;
    std::vector<int> headings;  // column counts of the lines after the title
    int row;                    // column count of each boat row
  };
  const std::vector<Expect> expects = {
      {kPosition, {1 + items}, 1 + items},          {kSailed, {1 + legs, legs + 2}, 1 + items},
      {kSpeed, {1 + legs, legs + 2}, legs + 2},     {kSummary, {10, 10}, 10},
      {kTimeDiff, {1 + legs, legs + 2}, legs + 2},  {kDistDiff, {1 + legs, legs + 2}, 1 + items},
      {kSpeedDiff, {1 + legs, legs + 2}, legs + 2},
  };
  for (const Expect& e : expects) {
    const QStringList s = section(lines, e.title);
    ASSERT_EQ(s.size(), static_cast<qsizetype>(1 + e.headings.size() + boats)) << e.title.toStdString();
    for (size_t h = 0; h < e.headings.size(); ++h) {
      EXPECT_QEQ(csvFields(s[1 + h]).size(), e.headings[h]) << e.title.toStdString() << " heading " << h;
    }
    for (qsizetype r = 1 + e.headings.size(); r < s.size(); ++r) {
      EXPECT_QEQ(csvFields(s[r]).size(), e.row) << e.title.toStdString() << ": " << s[r].toStdString();
    }
  }
  const QStringList time = section(lines, kTime);
  EXPECT_QEQ(csvFields(time[2]).size(), legs + 7);
  for (qsizetype r = 3; r < time.size(); ++r) {
    const qsizetype n = csvFields(time[r]).size();
    EXPECT_TRUE(n == legs + 5 || n == legs + 7) << time[r].toStdString();
  }
  const QStringList length = section(lines, kLength);
  ASSERT_EQ(length.size(), 5);
  EXPECT_QEQ(csvFields(length[1]).size(), legs + 2);
  EXPECT_QEQ(csvFields(length[2]).size(), legs + 5);
  EXPECT_QEQ(csvFields(length[3]).size(), items + 4);
  EXPECT_QEQ(csvFields(length[4]).size(), legs + 2);
}

TEST(PerformanceTable, ColumnCountsOfEverySection) {
  expectColumnCounts(tableLines(fleet()), 4, 5);
  expectColumnCounts(tableLines(workedExample()), 3, 1);
}

// The demo races load as the window loads them; their tables must open
// with one value per cell.
TEST(PerformanceTable, DemoRacesOpenWithOneValuePerCell) {
  const QDir admin(QStringLiteral(VELARO_SOURCE_DIR "/data/demo/raceadmin"));
  const QStringList races = admin.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
  if (races.isEmpty()) {
    GTEST_SKIP() << "no demo races";
  }
  const RaceFolders folders(QStringLiteral(VELARO_SOURCE_DIR "/data/demo"));
  for (const QString& name : races) {
    const LoadResult result = LoadRacePipeline(admin.filePath(name), folders, LoadOptions{});
    ASSERT_TRUE(result.loaded.has_value()) << name.toStdString();
    const LoadedRace& loaded = *result.loaded;
    const QStringList lines = crlfLines(WritePerformanceTable(loaded));
    SCOPED_TRACE(name.toStdString());
    expectColumnCounts(lines, loaded.race.CourseCount(), loaded.race.BoatCount());
    // A demo race has finishers, so the comparison has a best boat whose
    // rows read 0 wherever they have a value.
    const std::optional<int> best = BestBoat(loaded.race, loaded.results);
    ASSERT_TRUE(best.has_value());
    const QString bestName = loaded.race.boats[*best].BoatName;
    for (const QString& title : {kTimeDiff, kDistDiff, kSpeedDiff}) {
      const QStringList fields = csvFields(rowOf(section(lines, title), bestName));
      for (qsizetype f = 1; f < fields.size(); ++f) {
        EXPECT_TRUE(fields[f] == QLatin1String("0") || fields[f] == QLatin1String("-"))
            << title.toStdString() << ": " << fields[f].toStdString();
      }
    }
  }
}

// Golden file of the fleet race: the whole table byte for byte. After an
// intended change, regenerate with VELARO_UPDATE_GOLDEN=1 and review the diff.
TEST(PerformanceTable, MatchesGoldenFile) {
  TableRace t = fleet();
  t.race.RaceCaption = QStringLiteral("Velaro  golden.txt");
  t.race.RaceStart = toDateTime(QDate(2008, 5, 3), QTime(10, 0));
  t.race.WindAxis = 10;
  t.race.MagVariation = -7.5;
  const QByteArray bytes = WritePerformanceTable(t.race, t.results);
  const QString path = QStringLiteral(VELARO_TEST_DATA "/reports/fleet.csv");
  if (qEnvironmentVariableIsSet("VELARO_UPDATE_GOLDEN")) {
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(bytes), bytes.size());
  }
  QFile in(path);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
  EXPECT_QEQ(in.readAll(), bytes);
}

}  // namespace
}  // namespace velaro
