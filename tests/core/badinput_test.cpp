// The catalogue of bad input in tests/data/bad: files a club could really
// hand over. Each is loaded through the load pipeline in a small races folder
// and must give the message listed (the README's table shows the same), and a
// load that fails must return nothing of the race, so the race on screen stays.
#include "core/loadpipeline.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace velaro {
namespace {

const QString kBad = QStringLiteral(VELARO_TEST_DATA "/bad/");
const QString kDemo = QStringLiteral(VELARO_SOURCE_DIR "/data/demo/");
const QString kNoBoats = QStringLiteral("GPS file not exists.");

// Where a catalogue file goes in the races folder.
enum class Role {
  RaceFile,  // raceadmin/, loaded itself; it names gpsdat/good.trl
  Log,       // gpsdat/, the only boat of the race
  Wind,      // winddat/, named by WF
  Sheet,     // coastline/5239.cst, the sheet under the race
  Lights,    // coastline/5239.lh
};

struct Case {
  const char* file;
  Role role;
  // The message the user sees: a read error as the window shows it,
  // "GPS file not exists.", or empty when the race loads.
  const char* message;
  int boats = 0;  // boats of a race that loads
};

// The race every case but the race files starts from: one good log of the
// spring demo race, its start and finish, two marks and a line.
QByteArray baseRace(const QByteArray& boats) {
  return "T1,Bad input\r\nST,2025/05/18 11:00:00\r\nFT,2025/05/18 11:48:00\r\nTD,9\r\nBT,5\r\n"
         "MK,2116.6158,8367.4635\r\nMK,2116.6105,8367.5104\r\n"
         "LN,2117.2352,8367.6775,2117.2048,8367.7625\r\nCRS,L1,MK1,MK2,L1\r\n" +
         boats;
}

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    for (const char* sub : {"raceadmin", "gpsdat", "winddat", "coastline"}) {
      ASSERT_TRUE(QDir(m_dir.path()).mkpath(QString::fromLatin1(sub)));
    }
    copy(kDemo + QStringLiteral("gpsdat/enoshima-spring-jpn4677.trl"), QStringLiteral("gpsdat/good.trl"));
    copy(kDemo + QStringLiteral("coastline/5239.cst"), QStringLiteral("coastline/5239.cst"));
    copy(kDemo + QStringLiteral("coastline/5239.lh"), QStringLiteral("coastline/5239.lh"));
  }

  void copy(const QString& from, const QString& to) {
    QFile::remove(path(to));
    ASSERT_TRUE(QFile::copy(from, path(to))) << from.toStdString();
  }
  void write(const QString& name, const QByteArray& bytes) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) << name.toStdString();
  }
  QString path(const QString& name) const { return m_dir.filePath(name); }

  // Loads raceadmin/<raceFile> with a previous race on screen.
  LoadResult load(const QString& raceFile) const {
    LoadOptions options;
    options.previous.RaceStart = 40000;
    options.previous.RaceFinish = 40000.1;
    return LoadRacePipeline(path(QStringLiteral("raceadmin/") + raceFile), RaceFolders(m_dir.path()),
                            options);
  }

  QTemporaryDir m_dir;
};

// What the user sees of a load.
QString shown(const LoadResult& r) {
  if (r.loaded) {
    return {};
  }
  return r.error ? r.error->toString() : kNoBoats;
}

TEST_F(BadInput, EveryCatalogueFileGivesItsMessage) {
  const Case cases[] = {
      // Race files.
      {"race-utf16.txt", Role::RaceFile, "", 2},
      {"race-utf8-bom.txt", Role::RaceFile, "", 1},
      {"race-cr-only.txt", Role::RaceFile, "", 1},
      {"race-bad-date.txt", Role::RaceFile,
       "race-bad-date.txt, line 2: not a date and time: \"2025/05/18 25:00:00\""},
      {"race-start-after-finish.txt", Role::RaceFile,
       "race-start-after-finish.txt, line 3: the finish (FT) is before the start (ST): \"2025/05/18 "
       "11:48:00\""},
      {"race-course-missing-mark.txt", Role::RaceFile,
       "race-course-missing-mark.txt, line 9: the course (CRS) names a mark that no MK record defines: "
       "\"MK3\""},
      {"race-bad-mark.txt", Role::RaceFile, "race-bad-mark.txt, line 6: not a number: \"35.16.6158\""},
      {"race-bad-offset.txt", Role::RaceFile, "race-bad-offset.txt, line 10: not a whole number: \"+20s\""},
      {"race-play-speed-nan.txt", Role::RaceFile, "race-play-speed-nan.txt, line 11: not a number: \"nan\""},
      {"race-names-itself.txt", Role::RaceFile, "GPS file not exists."},
      {"race-log-outside.txt", Role::RaceFile, "GPS file not exists."},
      {"race-binary.txt", Role::RaceFile, "GPS file not exists."},
      {"race-empty.txt", Role::RaceFile, "GPS file not exists."},
      // GPS logs.
      {"gpx-cut-mid-point.gpx", Role::Log, "", 1},
      {"gpx-zone-offset.gpx", Role::Log, "", 1},
      {"gpx-doctype-entities.gpx", Role::Log, "", 1},
      {"gpx-no-time.gpx", Role::Log, "GPS file not exists."},
      {"gpx-outside-race.gpx", Role::Log, "GPS file not exists."},
      {"gpx-html-page.gpx", Role::Log, "GPS file not exists."},
      {"gpx-empty.gpx", Role::Log, "GPS file not exists."},
      {"gpx-bad-latitude.gpx", Role::Log,
       "gpx-bad-latitude.gpx, line 164: latitude is not a number: \"35,2927000\""},
      {"gdb-cut-mid-record.gdb", Role::Log, "", 1},
      {"gdb-empty.gdb", Role::Log, "GPS file not exists."},
      {"gdb-random.gdb", Role::Log, "GPS file not exists."},
      {"mps-cut-mid-record.mps", Role::Log, "", 1},
      {"mps-empty.mps", Role::Log, "GPS file not exists."},
      {"mps-random.mps", Role::Log, "GPS file not exists."},
      {"trl-cut-mid-record.trl", Role::Log, "", 1},
      {"trl-empty.trl", Role::Log, "GPS file not exists."},
      {"trl-random.trl", Role::Log, "GPS file not exists."},
      {"dtr-bad-coordinate.dtr", Role::Log,
       "dtr-bad-coordinate.dtr, line 32: coordinate is not a number: \"N35I7.330\""},
      {"log-unknown-format.nmea", Role::Log, "GPS file not exists."},
      // Wind logs: samples stay in file order, as the logger wrote them.
      {"wind-backwards.csv", Role::Wind, "", 1},
      {"wind-header-only.csv", Role::Wind, "", 1},
      {"wind-bad-speed.csv", Role::Wind, "wind-bad-speed.csv, line 4: not a number: \"n/a\""},
      // Coastline sheet and light list under the race.
      {"sheet-nan.cst", Role::Sheet, "5239.cst, line 4: not a number: \"  nan\""},
      {"lights-period-0.lh", Role::Lights, "", 1},
      {"lights-bad-latitude.lh", Role::Lights, "5239.lh, line 2: not a latitude (DDMM.mm): \"35°17.82\""},
  };
  int listed = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const QString file = QString::fromLatin1(c.file);
    ASSERT_TRUE(QFileInfo(kBad + file).isFile());
    ++listed;
    QString raceFile = QStringLiteral("race.txt");
    switch (c.role) {
      case Role::RaceFile:
        raceFile = file;
        copy(kBad + file, QStringLiteral("raceadmin/") + file);
        break;
      case Role::Log:
        copy(kBad + file, QStringLiteral("gpsdat/") + file);
        write(QStringLiteral("raceadmin/race.txt"), baseRace("BN," + file.toUtf8() + ",Case\r\n"));
        break;
      case Role::Wind:
        copy(kBad + file, QStringLiteral("winddat/") + file);
        write(QStringLiteral("raceadmin/race.txt"),
              baseRace("WF," + file.toUtf8() + "\r\nBN,good.trl,Good\r\n"));
        break;
      case Role::Sheet:
      case Role::Lights:
        copy(kBad + file, QStringLiteral("coastline/5239.") + (c.role == Role::Sheet ? "cst" : "lh"));
        write(QStringLiteral("raceadmin/race.txt"), baseRace("BN,good.trl,Good\r\n"));
        break;
    }
    const LoadResult r = load(raceFile);
    EXPECT_EQ(shown(r).toStdString(), std::string(c.message));
    if (*c.message != 0) {
      // A failed load hands back nothing: the race on screen stays.
      EXPECT_FALSE(r.loaded.has_value());
      EXPECT_EQ(r.failure, r.error ? LoadFailure::ReadError : LoadFailure::NoBoats);
    } else if (r.loaded) {
      EXPECT_EQ(r.loaded->race.BoatCount(), c.boats);
      EXPECT_EQ(r.failure, LoadFailure::None);
    }
    if (c.role == Role::Sheet || c.role == Role::Lights) {
      copy(kDemo + QStringLiteral("coastline/5239.cst"), QStringLiteral("coastline/5239.cst"));
      copy(kDemo + QStringLiteral("coastline/5239.lh"), QStringLiteral("coastline/5239.lh"));
    }
  }
  // Every file of the catalogue is listed above.
  EXPECT_EQ(listed, static_cast<int>(QDir(kBad).entryList(QDir::Files).size() - 1));
}

// The catalogue's loads read what the files mean, not merely something.
TEST_F(BadInput, DamagedLogsKeepTheirCompleteFixes) {
  struct Expect {
    const char* file;
    int fixes;
    double firstTime;  // seconds from the start
  };
  // Points every 10 s from the start, 80 of them, or 61 with the last cut
  // inside its time. The zone offset times are the same instants written as
  // local time.
  const Expect expects[] = {
      {"gpx-cut-mid-point.gpx", 60, 0},
      {"gpx-zone-offset.gpx", 80, 0},
      {"gpx-doctype-entities.gpx", 80, 0},
  };
  for (const Expect& e : expects) {
    SCOPED_TRACE(e.file);
    const QString file = QString::fromLatin1(e.file);
    copy(kBad + file, QStringLiteral("gpsdat/") + file);
    write(QStringLiteral("raceadmin/race.txt"), baseRace("BN," + file.toUtf8() + ",Case\r\n"));
    const LoadResult r = load(QStringLiteral("race.txt"));
    ASSERT_TRUE(r.loaded.has_value()) << shown(r).toStdString();
    const Boat& boat = r.loaded->race.boats.front();
    EXPECT_EQ(boat.FixCount(), e.fixes);
    ASSERT_FALSE(boat.fixes.empty());
    EXPECT_EQ(boat.fixes.front().time, e.firstTime);
  }
  // A binary log cut inside a record keeps the records before it, the same
  // as the whole log has them.
  for (const char* name : {"gdb-cut-mid-record.gdb", "mps-cut-mid-record.mps", "trl-cut-mid-record.trl"}) {
    SCOPED_TRACE(name);
    const QString file = QString::fromLatin1(name);
    copy(kBad + file, QStringLiteral("gpsdat/") + file);
    write(QStringLiteral("raceadmin/race.txt"),
          baseRace("BN," + file.toUtf8() + ",Cut\r\nBN,good.trl,Whole\r\n"));
    const LoadResult r = load(QStringLiteral("race.txt"));
    ASSERT_TRUE(r.loaded.has_value()) << shown(r).toStdString();
    const Boat& cut = r.loaded->race.boats.front();
    EXPECT_GE(cut.FixCount(), 50);
    EXPECT_LT(cut.fixes.back().time, r.loaded->race.TimeAxisEnd);
  }
}

// Cases made by the test: a file too big to commit, a folder, and a log the
// program may not read.
TEST_F(BadInput, MadeCasesGiveTheirMessages) {
  // Ten megabytes on one line after the race: read and passed over.
  QByteArray huge = baseRace("BN,good.trl,Good\r\n");
  huge += QByteArray(10 * 1024 * 1024, 'x');
  write(QStringLiteral("raceadmin/huge.txt"), huge);
  const LoadResult hugeLoad = load(QStringLiteral("huge.txt"));
  EXPECT_TRUE(hugeLoad.loaded.has_value()) << shown(hugeLoad).toStdString();

  // A folder named like a race file.
  ASSERT_TRUE(QDir(path(QStringLiteral("raceadmin"))).mkdir(QStringLiteral("folder.txt")));
  const LoadResult folder = load(QStringLiteral("folder.txt"));
  EXPECT_EQ(shown(folder).toStdString(), "folder.txt: is a folder, not a race file");
  EXPECT_FALSE(folder.loaded.has_value());

  // A log that cannot be read. Mode 000 stops every user but root; for root
  // the log is made a link to a file whose every read fails.
  write(QStringLiteral("raceadmin/race.txt"), baseRace("BN,locked.gpx,Locked\r\n"));
  const QString locked = path(QStringLiteral("gpsdat/locked.gpx"));
  if (geteuid() != 0) {
    copy(kBad + QStringLiteral("gpx-zone-offset.gpx"), QStringLiteral("gpsdat/locked.gpx"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
  } else {
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), locked));
  }
  const LoadResult unreadable = load(QStringLiteral("race.txt"));
  EXPECT_EQ(shown(unreadable), kNoBoats);
  ASSERT_EQ(unreadable.ignored.size(), 1u);
  EXPECT_EQ(unreadable.ignored[0].reason, IgnoredReason::LogUnreadable);
  EXPECT_FALSE(unreadable.ignored[0].detail.isEmpty());
}

// Logs that are no files, or cannot be read, and boats past the 81 a race
// holds are left out as the race file format wants, each one named with its
// reason; a FIFO is never opened, so the load cannot hang on it.
TEST_F(BadInput, BoatsLeftOutAreNamedWithTheirReason) {
  ASSERT_EQ(mkfifo(QFile::encodeName(path(QStringLiteral("gpsdat/fifo.gpx"))).constData(), 0644), 0);
  ASSERT_TRUE(QDir(path(QStringLiteral("gpsdat"))).mkdir(QStringLiteral("folder.gpx")));
  const QString locked = path(QStringLiteral("gpsdat/locked.trl"));
  const bool root = geteuid() == 0;
  if (!root) {
    copy(kDemo + QStringLiteral("gpsdat/enoshima-spring-jpn4677.trl"), QStringLiteral("gpsdat/locked.trl"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
  } else {
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), locked));
  }
  QByteArray boats = "BN,fifo.gpx,Fifo\r\nBN,folder.gpx,Folder\r\nBN,locked.trl,Locked\r\n";
  for (int i = 1; i <= 90; ++i) {
    boats += "BN,good.trl,Boat " + QByteArray::number(i) + "\r\n";
  }
  write(QStringLiteral("raceadmin/race.txt"), baseRace(boats));
  const LoadResult r = load(QStringLiteral("race.txt"));
  ASSERT_TRUE(r.loaded.has_value()) << shown(r).toStdString();

  // Only a log that fails when read (root reads every file) takes a boat
  // number before it is found out.
  const int kept = root ? 80 : 81;
  EXPECT_EQ(r.loaded->race.BoatCount(), kept);
  EXPECT_EQ(r.loaded->race.DroppedBoats, 0);
  EXPECT_EQ(r.loaded->race.boats.back().BoatName, QStringLiteral("Boat %1").arg(kept));
  ASSERT_EQ(r.ignored.size(), 3u + 90 - kept);
  EXPECT_EQ(r.ignored, r.loaded->race.ignored);
  EXPECT_EQ(describeIgnored(r.ignored[0]),
            QStringLiteral("line 10: BN \"Fifo\" (fifo.gpx): the log is a FIFO, not a file"));
  EXPECT_EQ(describeIgnored(r.ignored[1]),
            QStringLiteral("line 11: BN \"Folder\" (folder.gpx): the log is a folder"));
  EXPECT_TRUE(
      describeIgnored(r.ignored[2])
          .startsWith(QStringLiteral("line 12: BN \"Locked\" (locked.trl): the log cannot be read: ")));
  EXPECT_EQ(describeIgnored(r.ignored.back()),
            QStringLiteral("line 102: BN \"Boat 90\" (good.trl): beyond the 81 boats a race holds"));
}

}  // namespace
}  // namespace velaro
