#include "core/readers/racefilereader.h"
#include "core/datetime.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace velaro {
namespace {

// Every log and attachment exists unless its name starts with "missing".
RaceFileOptions optionsWith(RaceCarryOver previous = {}, bool coverShown = false) {
  RaceFileOptions options;
  options.previous = previous;
  options.coverShown = coverShown;
  options.fileExists = [](const QString&, const QString& name) { return !name.startsWith(u"missing"); };
  return options;
}

RaceFileResult parse(const QString& text, const RaceFileOptions& options = optionsWith()) {
  return parseRaceFile(text.toUtf8(), QStringLiteral("race1.txt"), options);
}

const char* const kBasicRace =
    "T1,Summer Regatta\r\n"
    "ST,2009/07/19 10:00:00\r\n"
    "FT,2009/07/19 11:30:00\r\n"
    "TD,9\r\n"
    "MG,-7.4\r\n"
    "WD,200\r\n"
    "LL,42,44\r\n"
    "LG,7.5\r\n"
    "BN,a.gpx,Alpha\r\n"
    "BN,b.gpx,Bravo,-3\r\n"
    "MK,2107.5,8350.25\r\n"
    "LN,2106.0,8350.0,2106.0,8350.3\r\n"
    "RL,2107.0,8349.0,2107.0,8351.0\r\n"
    "CRS,L1,MK1,L1\r\n";

TEST(RaceFileReader, ReadsRecordsAndDerivedValues) {
  const RaceFileResult r = parse(QString::fromUtf8(kBasicRace));
  ASSERT_FALSE(r.error) << r.error->toString().toStdString();
  const Race& race = r.race;
  EXPECT_EQ(race.RaceCaption, QStringLiteral("Summer Regatta"));
  EXPECT_EQ(race.RaceSubcaption, QStringLiteral("2009/07/19"));
  EXPECT_EQ(race.TimeDifference, 9);
  EXPECT_DOUBLE_EQ(race.RaceStartUtc, race.RaceStart - 9.0 / 24.0);
  EXPECT_EQ(formatDateTime(race.RaceStartUtc), QStringLiteral("2009/07/19 01:00:00"));
  EXPECT_DOUBLE_EQ(race.RaceDate, toDateTime(QDate(2009, 7, 19)));
  EXPECT_EQ(race.PreStartSeconds, 180);
  EXPECT_EQ(race.TimeAxisStart, -190);
  EXPECT_EQ(race.TimeAxisEnd, 5400 + 30);
  EXPECT_EQ(race.WindAxis, -7 + 200);
  EXPECT_EQ(race.LaylineAngleA, 42);
  EXPECT_EQ(race.LaylineAngleB, 44);
  EXPECT_DOUBLE_EQ(race.BoatLength, 7.5);
  EXPECT_DOUBLE_EQ(race.PlaySpeed, 5.0);
  ASSERT_EQ(race.BoatCount(), 2);
  EXPECT_EQ(race.boats[1].BoatName, QStringLiteral("Bravo"));
  EXPECT_EQ(race.boats[1].BoatTimeOffset, -3);
  EXPECT_EQ(race.boats[0].BoatTimeOffset, 0);
  EXPECT_EQ(race.BoatRows, 1);
  EXPECT_EQ(race.BoatListHeight, 39);
  ASSERT_EQ(race.MarkCount(), 1);
  EXPECT_EQ(race.marks[0], (GeoPoint{2107.5, 8350.25}));
  ASSERT_EQ(race.LineCount(), 1);
  EXPECT_EQ(race.lines[0].end2, (GeoPoint{2106.0, 8350.3}));
  EXPECT_EQ(race.RefLineCount(), 1);
  EXPECT_EQ(race.Course, QStringList({"L1", "MK1", "L1"}));
}

TEST(RaceFileReader, OmittedSettingsCarryOverFromThePreviousRace) {
  const RaceFileResult first = parse(QString::fromUtf8(kBasicRace));
  ASSERT_FALSE(first.error);
  const RaceFileResult second =
      parse(QStringLiteral("BN,c.gpx,Charlie\nNU,1\nPS,10\n"), optionsWith(first.race.carryOver()));
  ASSERT_FALSE(second.error);
  const Race& race = second.race;
  EXPECT_DOUBLE_EQ(race.MagVariation, -7.4);
  EXPECT_DOUBLE_EQ(race.BoatLength, 7.5);
  EXPECT_EQ(race.LaylineAngleA, 42);
  EXPECT_EQ(race.LaylineAngleB, 44);
  EXPECT_EQ(race.TimeDifference, 9);
  EXPECT_EQ(race.WindDirection, 200);
  EXPECT_DOUBLE_EQ(race.RaceStart, first.race.RaceStart);
  EXPECT_DOUBLE_EQ(race.RaceFinish, first.race.RaceFinish);
  EXPECT_DOUBLE_EQ(race.RaceStartUtc, first.race.RaceStartUtc);
  // What is reset for every race file.
  EXPECT_EQ(race.MarkCount(), 0);
  EXPECT_EQ(race.LineCount(), 0);
  EXPECT_EQ(race.CourseCount(), 0);
  EXPECT_TRUE(race.RaceTitle1.isEmpty());
  EXPECT_EQ(race.NorthUp, 1);
  EXPECT_DOUBLE_EQ(race.PlaySpeed, 10.0);
}

TEST(RaceFileReader, AtProgramStartOmittedSettingsAreZero) {
  const RaceFileResult r = parse(QStringLiteral("BN,a.gpx,A\n"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.race.MagVariation, 0);
  EXPECT_EQ(r.race.TimeDifference, 0);
  EXPECT_EQ(r.race.RaceStart, 0);
  // Without TD the GPS times are compared with the local start unchanged.
  EXPECT_EQ(r.race.RaceStartUtc, r.race.RaceStart);
}

TEST(RaceFileReader, PreStartPeriodFromBt) {
  struct Case {
    const char* text;
    int seconds;
    int axisStart;
  };
  for (const Case& c : {Case{"", 180, -190}, Case{"BT,0\n", 180, -190}, Case{"BT,5\n", 300, -310},
                        Case{"BT,5\nBT,2\n", 120, -130}}) {
    const RaceFileResult r = parse(QString::fromLatin1(c.text));
    ASSERT_FALSE(r.error) << c.text;
    EXPECT_EQ(r.race.PreStartSeconds, c.seconds) << c.text;
    EXPECT_EQ(r.race.TimeAxisStart, c.axisStart) << c.text;
  }
}

TEST(RaceFileReader, BoatRecordsFocusAndMissingLogs) {
  const RaceFileResult r =
      parse(QStringLiteral("BN,a.gpx,Alpha,10\n"
                           "BN,b.gpx,Bravo,0,x\n"
                           "BN,c.gpx,Charlie,0,\n"
                           "BN,missing.gpx,Ghost\n"
                           "BN,d.gpx,Delta\n"
                           "BN,e.gpx\n"));
  ASSERT_FALSE(r.error);
  ASSERT_EQ(r.race.BoatCount(), 5);
  EXPECT_EQ(r.race.boats[0].BoatFocused, 1);
  EXPECT_EQ(r.race.boats[0].BoatTimeOffset, 10);
  // Any fifth field, even an empty one, starts the boat out of focus.
  EXPECT_EQ(r.race.boats[1].BoatFocused, 0);
  EXPECT_EQ(r.race.boats[2].BoatFocused, 0);
  // The missing log does not take a number: Delta is boat 4.
  EXPECT_EQ(r.race.boats[3].BoatName, QStringLiteral("Delta"));
  EXPECT_TRUE(r.race.boats[4].BoatName.isEmpty());
  EXPECT_EQ(r.race.BoatRows, 3);
  EXPECT_EQ(r.race.boats[3].RaceFileLine, 5);
  // ... and is told.
  const std::vector<IgnoredRecord> ghost{{4, QStringLiteral("BN"), QStringLiteral("Ghost"),
                                          QStringLiteral("missing.gpx"), IgnoredReason::LogMissing,
                                          QString()}};
  EXPECT_EQ(r.race.ignored, ghost);
}

TEST(RaceFileReader, CapacitiesIgnoreFurtherRecords) {
  QString text;
  for (int i = 0; i < 90; ++i) {
    text += QStringLiteral("BN,b%1.gpx,Boat %1\nMK,%1,%1\nLN,1,2,3,4\nRL,1,2,3,4\nAT,a%1.pdf\n").arg(i);
  }
  text += QStringLiteral("CRS,") + QStringList(25, QStringLiteral("MK1")).join(u',') + u'\n';
  text += QStringLiteral("MAP,") + QStringList(12, QStringLiteral("s")).join(u',') + u'\n';
  const RaceFileResult r = parse(text);
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.race.BoatCount(), 81);
  EXPECT_EQ(r.race.boats.back().BoatName, QStringLiteral("Boat 80"));
  EXPECT_EQ(r.race.MarkCount(), 20);
  EXPECT_EQ(r.race.LineCount(), 10);
  EXPECT_EQ(r.race.RefLineCount(), 10);
  EXPECT_EQ(r.race.AttachmentCount(), 10);
  // A line holds at most 20 fields: the keyword and 19 items.
  EXPECT_EQ(r.race.CourseCount(), 19);
  EXPECT_EQ(r.race.MapName.size(), 10);

  // Every record left out is told, in file order.
  std::map<QString, int> ignored;
  for (const IgnoredRecord& record : r.race.ignored) {
    EXPECT_EQ(record.reason, IgnoredReason::BeyondCapacity);
    ++ignored[record.keyword];
  }
  const std::map<QString, int> expected{{QStringLiteral("BN"), 9},  {QStringLiteral("MK"), 70},
                                        {QStringLiteral("LN"), 80}, {QStringLiteral("RL"), 80},
                                        {QStringLiteral("AT"), 80}, {QStringLiteral("MAP"), 2}};
  EXPECT_EQ(ignored, expected);
  const auto firstBoat = std::find_if(r.race.ignored.begin(), r.race.ignored.end(),
                                      [](const IgnoredRecord& i) { return i.keyword == u"BN"; });
  ASSERT_NE(firstBoat, r.race.ignored.end());
  EXPECT_EQ(describeIgnored(*firstBoat),
            QStringLiteral("line 406: BN \"Boat 81\" (b81.gpx): beyond the 81 boats a race holds"));
  EXPECT_EQ(describeIgnored(r.race.ignored.back()),
            QStringLiteral("line 452: MAP \"s\": beyond the 10 map names a race holds"));
}

TEST(RaceFileReader, TitlesFollowTheirLengthRules) {
  struct Case {
    const char* text;
    const char* caption;
    const char* subcaption;
  };
  const Case cases[] = {
      {"ST,2009/07/19 10:00:00\n", "Velaro  race1.txt", "2009/07/19"},
      {"ST,2009/07/19 10:00:00\nT1,A\n", "Velaro  race1.txt", "2009/07/19"},
      {"ST,2009/07/19 10:00:00\nT1,AB\n", "AB", "2009/07/19"},
      {"ST,2009/07/19 10:00:00\nT2,Day 2\n", "Velaro  ", "Day 2"},
      {"ST,2009/07/19 10:00:00\nT1,Cup\nT2,Day 2\n", "Cup", "Day 2"},
  };
  for (const Case& c : cases) {
    const RaceFileResult r = parse(QString::fromLatin1(c.text));
    ASSERT_FALSE(r.error) << c.text;
    EXPECT_EQ(r.race.RaceCaption, QString::fromLatin1(c.caption)) << c.text;
    EXPECT_EQ(r.race.RaceSubcaption, QString::fromLatin1(c.subcaption)) << c.text;
  }
  // A cover picture replaces the default titles; given titles still show.
  const RaceFileResult covered = parse(QStringLiteral("T2,Day 2\n"), optionsWith({}, true));
  EXPECT_TRUE(covered.race.RaceCaption.isEmpty());
  EXPECT_EQ(covered.race.RaceSubcaption, QStringLiteral("Day 2"));
}

TEST(RaceFileReader, RepeatedSingleRecordsKeepTheLast) {
  const RaceFileResult r =
      parse(QStringLiteral("ST,2009/07/19 10:00:00\nST,2009/07/20 11:00:00\n"
                           "FT,2009/07/20 12:00:00\nCRS,L1,MK1\nCRS,L1,MK2,MK3,L2\n"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(formatDateTime(r.race.RaceStart), QStringLiteral("2009/07/20 11:00:00"));
  EXPECT_EQ(r.race.TimeAxisEnd, 3630);
  EXPECT_EQ(r.race.CourseCount(), 4);
}

TEST(RaceFileReader, ConversionErrorNamesFileLineAndText) {
  const RaceFileResult r = parse(QStringLiteral("T1,Cup\nBN,a.gpx,A\nMK,2107.5,east\nMK,1,2\n"));
  ASSERT_TRUE(r.error);
  EXPECT_EQ(r.error->file, QStringLiteral("race1.txt"));
  EXPECT_EQ(r.error->line, 3);
  EXPECT_EQ(r.error->text, QStringLiteral("east"));
  EXPECT_TRUE(r.error->toString().contains(QStringLiteral("race1.txt, line 3")));

  for (const char* bad :
       {"ST,yesterday\n", "TD,9.5\n", "BT,x\n", "LL,40\nLL,4o,40\n", "PS,fast\n", "BN,a.gpx,A,soon\n"}) {
    EXPECT_TRUE(parse(QString::fromLatin1(bad)).error) << bad;
  }
}

TEST(RaceFileReader, TimeAxisEndOverflow) {
  const RaceFileResult r = parse(QStringLiteral("ST,1900/01/01 00:00:00\nFT,2099/01/01 00:00:00\n"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.race.TimeAxisEnd, -1000000 + 30);
}

TEST(RaceFileReader, KeywordsAreCaseSensitiveAndUnknownLinesIgnored) {
  const RaceFileResult r = parse(QStringLiteral("bn,a.gpx,A\nXX,1,2\n\n# comment\nBN,b.gpx,B\n"));
  ASSERT_FALSE(r.error);
  ASSERT_EQ(r.race.BoatCount(), 1);
  EXPECT_EQ(r.race.boats[0].BoatName, QStringLiteral("B"));
}

class RaceFolderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    QDir root(m_dir.path());
    for (const char* sub : {"raceadmin", "gpsdat", "attachment"}) {
      ASSERT_TRUE(root.mkpath(QString::fromLatin1(sub)));
    }
    write(QStringLiteral("gpsdat/a.gpx"), "<gpx/>");
    write(QStringLiteral("attachment/notice.pdf"), "%PDF");
    write(QStringLiteral("secret.gpx"), "<gpx/>");
  }
  void write(const QString& rel, const QByteArray& bytes) {
    QFile f(QDir(m_dir.path()).filePath(rel));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  RaceFolders folders() const { return RaceFolders(m_dir.path()); }
  QString path(const QString& rel) const { return QDir(m_dir.path()).filePath(rel); }

  QTemporaryDir m_dir;
};

TEST_F(RaceFolderFixture, FilesOutsideTheirFolderAreRefusedLikeMissingOnes) {
  write(QStringLiteral("raceadmin/r.txt"),
        "BN,a.gpx,A\nBN,../secret.gpx,Escape\nBN," + path(QStringLiteral("secret.gpx")).toUtf8() +
            ",Absolute\nBN,nothere.gpx,Missing\nAT,notice.pdf\nAT,../secret.gpx\nAT,gone.pdf\n");
  const RaceFileResult r = ReadRaceFile(path(QStringLiteral("raceadmin/r.txt")), folders());
  ASSERT_FALSE(r.error);
  ASSERT_EQ(r.race.BoatCount(), 1);
  EXPECT_EQ(r.race.boats[0].BoatName, QStringLiteral("A"));
  EXPECT_EQ(r.race.Attachment, QStringList({"notice.pdf"}));
  std::vector<IgnoredReason> reasons;
  for (const IgnoredRecord& record : r.race.ignored) {
    reasons.push_back(record.reason);
  }
  EXPECT_EQ(reasons, std::vector<IgnoredReason>(
                         {IgnoredReason::LogOutside, IgnoredReason::LogOutside, IgnoredReason::LogMissing}));
}

TEST_F(RaceFolderFixture, ShiftJisRaceFile) {
  // "BN,a.gpx,艇名" as written by Japanese Windows.
  write(QStringLiteral("raceadmin/sjis.txt"),
        QByteArray("BN,a.gpx,\x92\xf8\x96\xbc\r\nT1,\x83\x65\x83\x58\x83\x67\r\n"));
  const RaceFileResult r = ReadRaceFile(path(QStringLiteral("raceadmin/sjis.txt")), folders());
  ASSERT_FALSE(r.error);
  ASSERT_EQ(r.race.BoatCount(), 1);
  EXPECT_EQ(r.race.boats[0].BoatName, QStringLiteral("艇名"));
  EXPECT_EQ(r.race.RaceCaption, QStringLiteral("テスト"));
}

TEST_F(RaceFolderFixture, MissingRaceFileReadsNothingButKeepsCarryOver) {
  RaceCarryOver previous;
  previous.MagVariation = 6;
  RaceFileOptions options;
  options.previous = previous;
  const RaceFileResult r = ReadRaceFile(path(QStringLiteral("raceadmin/none.txt")), folders(), options);
  EXPECT_TRUE(r.missing);
  EXPECT_FALSE(r.error);
  EXPECT_EQ(r.race.BoatCount(), 0);
  EXPECT_EQ(r.race.MagVariation, 6);
}

}  // namespace
}  // namespace velaro
