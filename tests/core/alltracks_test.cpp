#include "core/readers/alltracks.h"
#include "core/analysis/kinematics.h"
#include "core/datetime.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <numeric>
#include <random>
#include <thread>

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

// A boat weaving at changing speed, `perSecond` fixes a second for `seconds`
// seconds from the start. Times carry milliseconds, or with wholeSeconds
// every fix of a second is stamped with that second (how loggers that write
// whole seconds store 10 Hz). With perSecond 1 it is the thinning of the
// others: the same positions at the same whole seconds.
QByteArray subSecondGpx(int seconds, int perSecond, bool wholeSeconds = false) {
  const QDateTime start(QDate(2009, 7, 19), QTime(1, 30), Qt::UTC);
  QByteArray points;
  for (int i = 0; i < seconds * perSecond; ++i) {
    const int ms = i * 1000 / perSecond;
    const double t = ms / 1000.0;
    const double lat = 35.5 + 0.002 * std::sin(t / 40) + 0.000002 * t * t / 100;
    const double lon = 139.5 + 0.003 * (1 - std::cos(t / 40));
    const QDateTime when = start.addMSecs(ms);
    const QString time = perSecond == 1 || wholeSeconds
                             ? when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"))
                             : when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
    points += QStringLiteral("<trkpt lat=\"%1\" lon=\"%2\"><time>%3</time></trkpt>\n")
                  .arg(lat, 0, 'f', 7)
                  .arg(lon, 0, 'f', 7)
                  .arg(time)
                  .toLatin1();
  }
  return "<gpx><trk><trkseg>\n" + points + "</trkseg></trk></gpx>\n";
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

TEST_F(AllTracks, TenFixesASecondSailLikeTheirOneSecondThinning) {
  write(QStringLiteral("1hz.gpx"), subSecondGpx(300, 1));
  write(QStringLiteral("10hz.gpx"), subSecondGpx(300, 10));  // .900 still belongs to its second
  write(QStringLiteral("10hz-whole.gpx"), subSecondGpx(300, 10, true));
  addBoat(QStringLiteral("1hz.gpx"), QStringLiteral("1 Hz"));
  addBoat(QStringLiteral("10hz.gpx"), QStringLiteral("10 Hz"));
  addBoat(QStringLiteral("10hz-whole.gpx"), QStringLiteral("10 Hz whole seconds"));
  ASSERT_FALSE(ReadAllTracks(m_race, m_folders).error);
  ComputeKinematics(m_race, std::cos(35.5 * M_PI / 180));
  ASSERT_EQ(m_race.BoatCount(), 3);
  const Boat& thinned = m_race.boats[0];
  ASSERT_EQ(thinned.FixCount(), 300);
  EXPECT_EQ(thinned.LogInterval, 1);
  for (const Boat& boat : {m_race.boats[1], m_race.boats[2]}) {
    SCOPED_TRACE(boat.BoatName.toStdString());
    ASSERT_EQ(boat.FixCount(), thinned.FixCount());
    EXPECT_EQ(boat.LogInterval, 1);
    for (int i = 0; i < boat.FixCount(); ++i) {
      const Fix& a = thinned.fixes[i];
      const Fix& b = boat.fixes[i];
      ASSERT_EQ(b.time, a.time) << "fix " << i;
      ASSERT_EQ(b.lat, a.lat) << "fix " << i;
      ASSERT_EQ(b.lon, a.lon) << "fix " << i;
      ASSERT_EQ(b.speed, a.speed) << "fix " << i;
      ASSERT_EQ(b.course, a.course) << "fix " << i;
    }
  }
  // The boat moves: a wrong fix of each second would change speeds.
  EXPECT_GT(thinned.fixes[100].speed, 1);
}

// Lets the reading threads finish in a chosen order: once every log has
// been read, the thread of boat k waits in the test hook until the boats
// before it in `order` have finished.
class FinishingOrder {
 public:
  explicit FinishingOrder(std::vector<int> order) : m_order(std::move(order)) {}
  void finish(int k) {
    std::unique_lock lock(m_mutex);
    ++m_arrived;
    m_changed.notify_all();
    const bool turn = m_changed.wait_for(lock, std::chrono::seconds(10),
                                         [&] { return m_arrived == m_order.size() && m_order[m_done] == k; });
    if (!turn) {
      m_timedOut = true;
    }
    m_finished.push_back(k);
    ++m_done;
    m_changed.notify_all();
  }
  std::vector<int> finished() {
    const std::lock_guard lock(m_mutex);
    return m_finished;
  }
  bool timedOut() {
    const std::lock_guard lock(m_mutex);
    return m_timedOut;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<int> m_order;
  std::vector<int> m_finished;
  size_t m_arrived = 0;
  size_t m_done = 0;
  bool m_timedOut = false;
};

TEST_F(AllTracks, TheFirstFailingLogInBoatOrderIsReportedWhicheverLogFinishesFirst) {
  QByteArray badLat = gpxTrack(100, 0, 1);
  badLat.replace("lat=\"35.7\"", "lat=\"35,7\"");
  QByteArray badTime = gpxTrack(100, 0, 1);
  badTime.replace("<time>2009-07-19T01:30:02Z", "<time>2009-07-19T01:3O:02Z");
  write(QStringLiteral("ok.gpx"), gpxTrack(100, 0, 1));
  write(QStringLiteral("bad-lat.gpx"), badLat);
  write(QStringLiteral("bad-time.gpx"), badTime);
  const QStringList files = {QStringLiteral("ok.gpx"), QStringLiteral("ok.gpx"),
                             QStringLiteral("bad-lat.gpx"), QStringLiteral("ok.gpx"),
                             QStringLiteral("bad-time.gpx")};

  std::vector<std::vector<int>> orders = {{1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}, {3, 1, 2, 4, 5}, {5, 3, 1, 2, 4}};
  std::mt19937 random(17);
  for (int i = 0; i < 8; ++i) {
    std::vector<int> order(5);
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin(), order.end(), random);
    orders.push_back(order);
  }
  for (const std::vector<int>& order : orders) {
    SCOPED_TRACE(::testing::PrintToString(order));
    m_race.boats.clear();
    for (int k = 0; k < files.size(); ++k) {
      addBoat(files[k], QStringLiteral("B%1").arg(k + 1));
    }
    FinishingOrder finishing(order);
    QStringList progress;
    TrackLoadCallbacks callbacks;
    callbacks.workers = 5;  // every log on its own thread, so any order can happen
    callbacks.logRead = [&finishing](int k) { finishing.finish(k); };
    callbacks.progress = [&progress](int k, int, const QString& file) {
      progress << QStringLiteral("%1 %2").arg(k).arg(file);
    };
    const TrackLoadResult result = ReadAllTracks(m_race, m_folders, callbacks);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->file, QStringLiteral("bad-lat.gpx"));
    EXPECT_EQ(result.error->text, QStringLiteral("35,7"));
    EXPECT_EQ(progress, (QStringList{QStringLiteral("1 ok.gpx"), QStringLiteral("2 ok.gpx"),
                                     QStringLiteral("3 bad-lat.gpx")}));
    EXPECT_EQ(m_race.BoatCount(), 5);
    EXPECT_TRUE(m_race.boats[0].fixes.empty());
    EXPECT_EQ(m_race.DroppedBoats, 0);
    // Every thread has finished when the load returns, in the order asked.
    EXPECT_FALSE(finishing.timedOut());
    EXPECT_EQ(finishing.finished(), order);
  }
}

TEST_F(AllTracks, EightyOneLogsReportProgressForEveryBoatInOrderOnTheCallingThread) {
  for (int k = 1; k <= kMaxBoats; ++k) {
    // Lengths differ so that the threads finish out of order; every boat
    // keeps more than 50 fixes.
    write(QStringLiteral("b%1.gpx").arg(k), gpxTrack(60 + (k * 37) % 200, 0, 1));
    addBoat(QStringLiteral("b%1.gpx").arg(k), QStringLiteral("Boat %1").arg(k));
  }
  const QStringList before = names();
  const std::thread::id caller = std::this_thread::get_id();
  QStringList progress;
  std::atomic<int> yields = 0;
  bool otherThread = false;
  TrackLoadCallbacks callbacks;
  callbacks.workers = 4;
  callbacks.progress = [&](int k, int count, const QString& file) {
    otherThread = otherThread || std::this_thread::get_id() != caller;
    progress << QStringLiteral("%1/%2 %3").arg(k).arg(count).arg(file);
  };
  callbacks.yield = [&] {
    otherThread = otherThread || std::this_thread::get_id() != caller;
    ++yields;
  };
  // The first log takes long: the window must keep getting its events.
  bool starved = false;
  callbacks.logRead = [&](int k) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (k == 1 && yields < 5 && !(starved = std::chrono::steady_clock::now() > giveUp)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  };
  ASSERT_FALSE(ReadAllTracks(m_race, m_folders, callbacks).error);
  EXPECT_FALSE(starved);
  EXPECT_FALSE(otherThread);
  ASSERT_EQ(progress.size(), kMaxBoats);
  for (int k = 1; k <= kMaxBoats; ++k) {
    EXPECT_EQ(progress[k - 1], QStringLiteral("%1/%2 b%1.gpx").arg(k).arg(kMaxBoats));
  }
  EXPECT_GE(yields, kMaxBoats);
  EXPECT_EQ(names(), before);
  for (int k = 1; k <= kMaxBoats; ++k) {
    EXPECT_EQ(m_race.boats[k - 1].FixCount(), 60 + (k * 37) % 200) << k;
  }
}

}  // namespace
}  // namespace velaro

namespace velaro {
namespace {

// A log cut short and written again while it is read: the reader reads the
// bytes it gets (the log whole, cut or empty) and never dies of a signal, as
// reading through a map of the file did.
TEST(AllTracksWhileWritten, ALogCutShortWhileReadIsReadAsFarAsItGoes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("cut.gpx"));
  const QByteArray whole = gpxTrack(20000, 0, 1);
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(whole), whole.size());
  }
  std::atomic<bool> stop{false};
  std::thread cutter([&] {
    while (!stop.load()) {
      QFile f(path);
      if (f.open(QIODevice::ReadWrite)) {
        f.resize(0);
        f.write(whole);
      }
    }
  });
  size_t longest = 0;
  for (int i = 0; i < 200; ++i) {
    longest = std::max(longest, readTrackFile(path, {}).fixes.size());
  }
  stop.store(true);
  cutter.join();
  EXPECT_LE(longest, 20000u);
}

}  // namespace
}  // namespace velaro
