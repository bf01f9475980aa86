#include "core/readers/alltracks.h"
#include "core/datetime.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace velaro {
namespace {

// Date-time values of 2009-07-19 01:30 and 03:00 (day 40013).
constexpr double kStartUtc = 40013 + 1.5 / 24;
constexpr double kFinishUtc = 40013 + 3.0 / 24;

QByteArray isoTime(double dateTime) {
  return fromDateTime(dateTime).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toLatin1();
}

// count fixes every step seconds, the first at first seconds from the start.
QByteArray gpxTrack(int count, int first, int step) {
  QByteArray points;
  for (int i = 0; i < count; ++i) {
    const double t = kStartUtc + (first + i * step) / kSecondsPerDay;
    points += "<trkpt lat=\"35." + QByteArray::number(i) + "\" lon=\"139.5\"><time>" + isoTime(t) +
              "</time></trkpt>\n";
  }
  return "<gpx><trk><trkseg>\n" + points + "</trkseg></trk></gpx>\n";
}

QByteArray trlTrack(int count, int first, int step) {
  QByteArray bytes;
  for (int i = 0; i < count; ++i) {
    const auto seconds =
        static_cast<std::int32_t>(std::llround((kStartUtc - kUnixEpochDateTime) * kSecondsPerDay)) + first +
        i * step;
    const float lat = 35.5f, lon = 139.25f;
    char record[16] = {};
    std::memcpy(record, &seconds, 4);  // the test hosts are little-endian
    std::memcpy(record + 4, &lat, 4);
    std::memcpy(record + 8, &lon, 4);
    bytes.append(record, 16);
  }
  return bytes;
}

class AllTracks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("gpsdat")));
    m_folders = RaceFolders(m_dir.path());
    m_race.RaceStartUtc = kStartUtc;
    m_race.RaceFinishUtc = kFinishUtc;
    m_race.RaceDate = toDateTime(QDate(2009, 7, 19));
    m_race.PreStartSeconds = 180;
  }

  void write(const QString& name, const QByteArray& bytes) {
    QFile file(m_dir.path() + QStringLiteral("/gpsdat/") + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  void addBoat(const QString& file, const QString& name, int offset = 0) {
    Boat boat;
    boat.BoatFile = file;
    boat.BoatName = name;
    boat.BoatTimeOffset = offset;
    m_race.boats.push_back(boat);
  }

  QStringList names() const {
    QStringList result;
    for (const Boat& b : m_race.boats) {
      result << b.BoatName;
    }
    return result;
  }

  QTemporaryDir m_dir;
  RaceFolders m_folders;
  Race m_race;
};

TEST_F(AllTracks, BoatsWithFewerThanFiftyKeptFixesAreDroppedAndTheNextMovesUp) {
  write(QStringLiteral("a.gpx"), gpxTrack(60, -240 - 10, 1));  // 11 before the window: 49 kept
  write(QStringLiteral("b.gpx"), gpxTrack(61, -240 - 10, 1));  // 50 kept
  write(QStringLiteral("c.kml"), gpxTrack(200, 0, 1));
  write(QStringLiteral("d.gpx"), gpxTrack(200, 0, 2));
  addBoat(QStringLiteral("a.gpx"), QStringLiteral("A"));
  addBoat(QStringLiteral("b.gpx"), QStringLiteral("B"));
  addBoat(QStringLiteral("missing.gpx"), QStringLiteral("M"));
  addBoat(QStringLiteral("../gpsdat/d.gpx"), QStringLiteral("U"));
  addBoat(QStringLiteral("c.kml"), QStringLiteral("C"));
  addBoat(QStringLiteral("d.gpx"), QStringLiteral("D"), 5);
  m_race.BoatRows = boatRowsFor(6);

  const TrackLoadResult result = ReadAllTracks(m_race, m_folders);
  ASSERT_FALSE(result.error);
  EXPECT_EQ(names(), (QStringList{QStringLiteral("B"), QStringLiteral("D")}));
  EXPECT_EQ(m_race.BoatCount(), 2);
  EXPECT_EQ(m_race.DroppedBoats, 4);
  EXPECT_EQ(m_race.BoatRows, 1);
  EXPECT_EQ(m_race.BoatListHeight, 39);

  const Boat& b = m_race.boats[0];
  ASSERT_EQ(b.FixCount(), 50);
  EXPECT_EQ(b.fixes.front().time, -239);
  EXPECT_EQ(b.fixes.back().time, -190);
  EXPECT_DOUBLE_EQ(b.fixes.front().lat, 35.11 * 60);
  EXPECT_EQ(b.LogInterval, 30);  // 50 fixes: not above the GPX threshold

  const Boat& d = m_race.boats[1];
  ASSERT_EQ(d.FixCount(), 200);
  EXPECT_EQ(d.fixes.front().time, 5);  // the boat's offset
  EXPECT_EQ(d.LogInterval, 2);
  EXPECT_EQ(d.BoatFile, QStringLiteral("d.gpx"));
}

TEST_F(AllTracks, FixesAfterTheFinishWindowAreNotKept) {
  const int finishSeconds = SecondsBetween(kStartUtc, kFinishUtc);
  write(QStringLiteral("a.gpx"), gpxTrack(120, finishSeconds - 89, 1));  // up to finish + 30
  addBoat(QStringLiteral("a.gpx"), QStringLiteral("A"));
  ASSERT_FALSE(ReadAllTracks(m_race, m_folders).error);
  ASSERT_EQ(m_race.BoatCount(), 1);
  EXPECT_EQ(m_race.boats[0].FixCount(), 119);
  EXPECT_EQ(m_race.boats[0].fixes.back().time, finishSeconds + 29);
}

TEST_F(AllTracks, AllBoatsShortLeavesNoBoat) {
  write(QStringLiteral("a.gpx"), gpxTrack(49, 0, 1));
  addBoat(QStringLiteral("a.gpx"), QStringLiteral("A"));
  addBoat(QStringLiteral("a.gpx"), QStringLiteral("A2"));
  ASSERT_FALSE(ReadAllTracks(m_race, m_folders).error);
  EXPECT_EQ(m_race.BoatCount(), 0);
  EXPECT_EQ(m_race.DroppedBoats, 2);
}

TEST_F(AllTracks, AConversionErrorAbandonsTheLoadAndLeavesTheRaceAsItWas) {
  write(QStringLiteral("a.gpx"), gpxTrack(100, 0, 1));
  QByteArray bad = gpxTrack(100, 0, 1);
  bad.replace("lat=\"35.7\"", "lat=\"35,7\"");
  write(QStringLiteral("b.gpx"), bad);
  addBoat(QStringLiteral("a.gpx"), QStringLiteral("A"));
  addBoat(QStringLiteral("b.gpx"), QStringLiteral("B"));
  const TrackLoadResult result = ReadAllTracks(m_race, m_folders);
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->file, QStringLiteral("b.gpx"));
  EXPECT_EQ(result.error->line, 9);
  EXPECT_EQ(result.error->text, QStringLiteral("35,7"));
  EXPECT_EQ(m_race.BoatCount(), 2);
  EXPECT_TRUE(m_race.boats[0].fixes.empty());
  EXPECT_EQ(m_race.DroppedBoats, 0);
}

TEST_F(AllTracks, BinaryLogsUseTheLowerIntervalThresholdAndBeep) {
  write(QStringLiteral("t.trl"), trlTrack(51, 0, 5));
  write(QStringLiteral("t50.trl"), trlTrack(50, 0, 5));
  addBoat(QStringLiteral("t.trl"), QStringLiteral("T"));
  addBoat(QStringLiteral("missing.trl"), QStringLiteral("M"));
  addBoat(QStringLiteral("t50.trl"), QStringLiteral("T50"));
  int beeps = 0;
  QStringList progress;
  TrackLoadCallbacks callbacks;
  callbacks.beep = [&beeps] { ++beeps; };
  callbacks.progress = [&progress](int k, int count, const QString& file) {
    progress << QStringLiteral("%1/%2 %3").arg(k).arg(count).arg(file);
  };
  const TrackLoadResult result = ReadAllTracks(m_race, m_folders, callbacks);
  ASSERT_FALSE(result.error);
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(progress, (QStringList{QStringLiteral("1/3 t.trl"), QStringLiteral("2/3 missing.trl"),
                                   QStringLiteral("3/3 t50.trl")}));
  ASSERT_EQ(m_race.BoatCount(), 2);
  EXPECT_EQ(m_race.boats[0].LogInterval, 5);
  EXPECT_EQ(m_race.boats[1].LogInterval, 30);
  EXPECT_FALSE(result.resetZoom);
}

TEST_F(AllTracks, ATextLogWithFewerThanAHundredFixesResetsTheZoom) {
  write(QStringLiteral("a.gpx"), gpxTrack(100, 0, 1));
  write(QStringLiteral("b.gpx"), gpxTrack(99, 0, 1));
  addBoat(QStringLiteral("a.gpx"), QStringLiteral("A"));
  EXPECT_FALSE(ReadAllTracks(m_race, m_folders).resetZoom);
  m_race.boats.clear();
  addBoat(QStringLiteral("a.gpx"), QStringLiteral("A"));
  addBoat(QStringLiteral("b.gpx"), QStringLiteral("B"));
  EXPECT_TRUE(ReadAllTracks(m_race, m_folders).resetZoom);
}

TEST_F(AllTracks, ReadTrackFileTreatsAMissingFileAsEmpty) {
  const auto result = readTrackFile(m_dir.path() + QStringLiteral("/gpsdat/none.gpx"), {});
  EXPECT_FALSE(result.error);
  EXPECT_TRUE(result.fixes.empty());
  write(QStringLiteral("empty.gdb"), QByteArray());
  EXPECT_TRUE(readTrackFile(m_dir.path() + QStringLiteral("/gpsdat/empty.gdb"), {}).fixes.empty());
}

}  // namespace
}  // namespace velaro
