// The race generator's promises: the same seed gives the same bytes, every
// log reads back through the track readers to what was simulated, the race
// file and wind log read back, and the simulated boats sail the course in
// order.
#include "racegen/racebuilder.h"

#include "core/datetime.h"
#include "core/readers/alltracks.h"
#include "core/readers/racefilereader.h"
#include "core/readers/trackreader.h"
#include "core/readers/windreader.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace velaro::racegen {
namespace {

RaceOptions smallRace(std::uint64_t seed) {
  RaceOptions o;
  o.stem = QStringLiteral("t");
  o.boats = 8;
  o.durationMinutes = 20;
  o.seed = seed;
  return o;
}

const GeneratedRace& mixedRace() {
  static const GeneratedRace race = [] {
    RaceOptions o = smallRace(42);
    o.boats = 9;  // every format at least once, and a retirement
    return generateRace(o);
  }();
  return race;
}

TEST(RaceGenerator, SameSeedGivesSameBytes) {
  const GeneratedRace a = generateRace(smallRace(7));
  const GeneratedRace b = generateRace(smallRace(7));
  ASSERT_EQ(a.files.size(), b.files.size());
  for (const auto& [name, bytes] : a.files) {
    ASSERT_TRUE(b.files.count(name)) << name.toStdString();
    EXPECT_TRUE(bytes == b.files.at(name)) << name.toStdString();
  }
  const GeneratedRace c = generateRace(smallRace(8));
  EXPECT_FALSE(a.files.at(QStringLiteral("raceadmin/t.txt")) ==
               c.files.at(QStringLiteral("raceadmin/t.txt")));
}

TEST(RaceGenerator, FormatFlagWritesEveryLogInThatFormat) {
  RaceOptions o = smallRace(3);
  o.format = LogFormat::Trl;
  const GeneratedRace race = generateRace(o);
  for (const BoatLog& log : race.logs) {
    EXPECT_TRUE(log.fileName.endsWith(QStringLiteral(".trl"))) << log.fileName.toStdString();
  }
}

// How far a read-back position may be from the written one, in minutes of
// arc: what each format's number layout can hold.
double formatTolerance(LogFormat f) {
  switch (f) {
    case LogFormat::Gpx:
      return 1e-7 * 60;  // seven decimals of a degree
    case LogFormat::Gdb:
    case LogFormat::Mps:
      return 180.0 / 2147483648.0 * 60;  // one semicircle
    case LogFormat::Trl:
      return 140.0 * std::ldexp(1.0, -23) * 60;  // a float's step near 140 degrees
    case LogFormat::Trk:
      return 1e-5;  // five decimals of a minute
    case LogFormat::Dtr:
      return 0.01 / 60.0;  // two decimals of a second of arc
  }
  return 0;
}

TEST(RaceGenerator, EveryLogReadsBackToTheWrittenFixes) {
  const GeneratedRace& race = mixedRace();
  std::set<LogFormat> seen;
  for (const BoatLog& log : race.logs) {
    SCOPED_TRACE(log.fileName.toStdString());
    seen.insert(log.format);
    const QByteArray& bytes = race.files.at(QStringLiteral("gpsdat/") + log.fileName);
    TrackReadOptions options;
    options.fileName = log.fileName;
    options.raceDate = dateOnly(race.gunLocal);
    const TrackReadResult read = readTrackBytes(bytes, trackFormatFor(log.fileName), options);
    ASSERT_FALSE(read.error.has_value()) << read.error->toString().toStdString();
    ASSERT_EQ(read.fixes.size(), log.fixes.size());
    const double tolerance = formatTolerance(log.format) * 1.01 + 1e-12;
    for (std::size_t i = 0; i < log.fixes.size(); ++i) {
      const LogFix& w = log.fixes[i];
      const RawFix& r = read.fixes[i];
      const qint64 seconds = std::llround((r.timeUtc - 25569.0) * 86400.0);
      ASSERT_EQ(seconds, w.unixSeconds) << "fix " << i;
      ASSERT_NEAR(r.lat, w.latDeg * 60, tolerance) << "fix " << i;
      ASSERT_NEAR(r.lon, w.lonDeg * 60, tolerance) << "fix " << i;
    }
  }
  EXPECT_EQ(seen.size(), 6u);
}

// The logged positions are the simulated ones with a GPS fix's wander; only
// the spikes put in on purpose lie far off.
TEST(RaceGenerator, LoggedFixesFollowTheSimulatedTracks) {
  const GeneratedRace& race = mixedRace();
  const LocalFrame frame(race.location.centre);
  for (std::size_t b = 0; b < race.logs.size(); ++b) {
    const BoatLog& log = race.logs[b];
    const SimBoat& sim = race.sim.boats[b];
    const int first = sim.track.front().t;
    int far = 0;
    for (std::size_t i = 0; i < log.fixes.size(); ++i) {
      const TruthFix& truth = sim.track[log.fixSeconds[i] - first];
      ASSERT_EQ(truth.t, log.fixSeconds[i]);
      const Vec logged = frame.toLocal({log.fixes[i].latDeg * 60, log.fixes[i].lonDeg * 60});
      const double off = (logged - truth.pos).length();
      if (off > 20) {
        ++far;
        EXPECT_TRUE(std::binary_search(log.outliers.begin(), log.outliers.end(), static_cast<int>(i)))
            << log.fileName.toStdString() << " fix " << i << " is " << off << " m off";
      }
    }
    EXPECT_EQ(far, static_cast<int>(log.outliers.size())) << log.fileName.toStdString();
    // The logger keeps its interval, apart from one dropout at most.
    int gaps = 0;
    for (std::size_t i = 1; i < log.fixSeconds.size(); ++i) {
      const int step = log.fixSeconds[i] - log.fixSeconds[i - 1];
      if (step != log.intervalSeconds) {
        ++gaps;
        EXPECT_GE(step, 60);
      }
    }
    EXPECT_LE(gaps, 1);
  }
}

TEST(RaceGenerator, RaceFileReadsWithEveryBoatAndRecord) {
  const GeneratedRace& race = mixedRace();
  RaceFileOptions options;
  options.fileExists = [&](const QString& folder, const QString& name) {
    return race.files.count(folder + u'/' + name) > 0;
  };
  const RaceFileResult read =
      parseRaceFile(race.files.at(QStringLiteral("raceadmin/t.txt")), QStringLiteral("t.txt"), options);
  ASSERT_FALSE(read.error.has_value()) << read.error->toString().toStdString();
  const Race& r = read.race;
  ASSERT_EQ(r.BoatCount(), 9);
  EXPECT_EQ(r.boats[2].BoatTimeOffset, 20);
  EXPECT_EQ(r.boats[8].BoatFocused, 0);
  EXPECT_EQ(r.boats[1].BoatName, QStringLiteral("青嵐"));
  EXPECT_EQ(r.Course.join(u','), QStringLiteral("L1,MK1,MK2,L2,MK1,MK2,L3"));
  EXPECT_EQ(r.MarkCount(), 2);
  EXPECT_EQ(r.LineCount(), 3);
  EXPECT_EQ(r.RefLineCount(), 2);
  EXPECT_EQ(r.AttachmentCount(), 1);
  EXPECT_EQ(r.TimeDifference, 9);
  EXPECT_EQ(r.PreStartSeconds, 300);
  EXPECT_DOUBLE_EQ(r.RaceStart, race.gunLocal);
  EXPECT_GT(r.RaceFinish, r.RaceStart);
  EXPECT_EQ(r.WindFileName, QStringLiteral("t.csv"));
  EXPECT_NE(r.LaylineAngleA, 0);
  EXPECT_GT(r.BoatLength, 0);
  EXPECT_FALSE(r.RaceFlag.isEmpty());
  EXPECT_FALSE(r.RaceNote.isEmpty());
  // Every finisher is inside the race window the readers keep.
  for (const SimBoat& b : race.sim.boats) {
    if (b.finished) {
      EXPECT_LT(b.passTimes.back() + 30, (r.RaceFinish - r.RaceStart) * kSecondsPerDay);
    }
  }
}

TEST(RaceGenerator, BoatLogsKeepEnoughFixesInTheRaceWindow) {
  const GeneratedRace& race = mixedRace();
  RaceFileOptions options;
  options.fileExists = [](const QString&, const QString&) { return true; };
  const Race r =
      parseRaceFile(race.files.at(QStringLiteral("raceadmin/t.txt")), QStringLiteral("t.txt"), options).race;
  for (int b = 0; b < r.BoatCount(); ++b) {
    const Boat& boat = r.boats[b];
    TrackReadOptions ro;
    ro.fileName = boat.BoatFile;
    ro.raceDate = r.RaceDate;
    const TrackReadResult read = readTrackBytes(race.files.at(QStringLiteral("gpsdat/") + boat.BoatFile),
                                                trackFormatFor(boat.BoatFile), ro);
    const TrackWindow window = trackWindowFor(r, boat);
    int kept = 0;
    double firstKept = 1e9;
    for (const RawFix& f : read.fixes) {
      if (auto fix = StoreFix(f, window)) {
        ++kept;
        firstKept = std::min(firstKept, fix->time);
      }
    }
    EXPECT_GE(kept, kMinFixesPerBoat) << boat.BoatFile.toStdString();
    // Logs begin before the pre-start, so the window's start is covered.
    EXPECT_LT(firstKept, -r.PreStartSeconds) << boat.BoatFile.toStdString();
  }
}

// At 10 fixes a second every GPX log carries milliseconds, and a race load
// keeps the first fix of each second: the logger's whole-second positions.
TEST(RaceGenerator, TenFixesASecondLoadAsTheFixesAtEachWholeSecond) {
  RaceOptions o = smallRace(5);
  o.boats = 4;
  o.fixesPerSecond = 10;
  o.format = LogFormat::Gpx;
  const GeneratedRace race = generateRace(o);
  QTemporaryDir dir;
  QString error;
  ASSERT_TRUE(writeRaceFiles(race, dir.path(), &error)) << error.toStdString();
  const RaceFolders folders(dir.path());
  RaceFileResult read = ReadRaceFile(dir.filePath(QStringLiteral("raceadmin/t.txt")), folders);
  ASSERT_FALSE(read.error.has_value());
  Race& r = read.race;
  ASSERT_FALSE(ReadAllTracks(r, folders).error.has_value());
  ASSERT_EQ(r.BoatCount(), 4);
  for (int b = 0; b < r.BoatCount(); ++b) {
    const BoatLog& log = race.logs[b];
    SCOPED_TRACE(log.fileName.toStdString());
    EXPECT_TRUE(race.files.at(QStringLiteral("gpsdat/") + log.fileName).contains(".900Z</time>"));
    std::map<int, const LogFix*> wholeSeconds;
    for (std::size_t i = 0; i < log.fixes.size(); ++i) {
      if (log.fixes[i].milliseconds == 0) {
        wholeSeconds[log.fixSeconds[i]] = &log.fixes[i];
      }
    }
    EXPECT_GT(log.fixes.size(), 9 * wholeSeconds.size());
    const Boat& boat = r.boats[b];
    EXPECT_EQ(boat.LogInterval, 1);
    ASSERT_GE(boat.FixCount(), kMinFixesPerBoat);
    for (const Fix& f : boat.fixes) {
      const auto at = wholeSeconds.find(static_cast<int>(f.time));
      ASSERT_NE(at, wholeSeconds.end()) << "second " << f.time;
      ASSERT_NEAR(f.lat, at->second->latDeg * 60, 1e-5) << "second " << f.time;
      ASSERT_NEAR(f.lon, at->second->lonDeg * 60, 1e-5) << "second " << f.time;
    }
  }
}

TEST(RaceGenerator, WindLogReadsOncePerMinuteWithRealShifts) {
  const GeneratedRace& race = mixedRace();
  const WindReadResult read =
      parseWindFile(race.files.at(QStringLiteral("winddat/t.csv")), QStringLiteral("t.csv"), race.gunLocal);
  ASSERT_FALSE(read.error.has_value());
  ASSERT_GT(read.samples.size(), 20u);
  double lo = 1e9;
  double hi = -1e9;
  for (std::size_t i = 0; i < read.samples.size(); ++i) {
    if (i > 0) {
      EXPECT_DOUBLE_EQ(read.samples[i].time - read.samples[i - 1].time, 60.0);
    }
    const double d = diffDeg(read.samples[i].dir, read.samples[0].dir);
    lo = std::min(lo, d);
    hi = std::max(hi, d);
    EXPECT_GT(read.samples[i].speed, 3.0);
    EXPECT_LT(read.samples[i].speed, 20.0);
  }
  EXPECT_GE(hi - lo, 8.0);
  EXPECT_LE(hi - lo, 30.0);
}

// From the simulated tracks alone: each boat crosses the start line after
// the gun, passes close to every mark and through every line (between its
// ends, the right way), in course order; the last crossing is its finish.
void expectCourseSailedInOrder(const GeneratedRace& race) {
  const CourseLayout& c = race.sim.course;
  int finishers = 0;
  for (std::size_t b = 0; b < race.sim.boats.size(); ++b) {
    const SimBoat& boat = race.sim.boats[b];
    SCOPED_TRACE("boat " + std::to_string(b + 1));
    if (!boat.finished) {
      EXPECT_TRUE(boat.retired);
      continue;
    }
    ++finishers;
    std::size_t i = 1;
    double previous = -1e9;
    for (std::size_t k = 0; k < c.items.size(); ++k) {
      const CourseItem& item = c.items[k];
      double when = std::nan("");
      if (item.isLine) {
        const Segment& line = c.lines[item.index];
        const Vec way = k == 0 ? bearingVec(c.windDir) : c.incoming(static_cast<int>(k));
        for (; i < boat.track.size(); ++i) {
          const Vec from = boat.track[i - 1].pos;
          const Vec to = boat.track[i].pos;
          const double f = segmentCrossing(from, to, line.end1, line.end2);
          if (f >= 0 && (to - from).dot(way) > 0 && boat.track[i - 1].t + f >= 0) {
            when = boat.track[i - 1].t + f;
            break;
          }
        }
      } else {
        const Vec mark = c.marks[item.index];
        double best = 1e9;
        for (; i < boat.track.size(); ++i) {
          const double d = (boat.track[i].pos - mark).length();
          if (d < best) {
            best = d;
            when = boat.track[i].t;
          }
          if (best < 40 && d > best + 60) {
            break;
          }
        }
        EXPECT_LT(best, 40) << "item " << k;
      }
      ASSERT_FALSE(std::isnan(when)) << "item " << k << " never passed";
      EXPECT_GT(when, previous) << "item " << k;
      if (k == 0) {
        EXPECT_GE(when, 0.0);
      }
      previous = when;
    }
    EXPECT_NEAR(previous, boat.passTimes.back(), 1.0);
  }
  EXPECT_GE(finishers, static_cast<int>(race.sim.boats.size()) - 1);
}

TEST(RaceGenerator, BoatsRoundTheWindwardLeewardCourseInOrder) {
  expectCourseSailedInOrder(mixedRace());
}

TEST(RaceGenerator, BoatsRoundTheTriangleInOrder) {
  RaceOptions o = smallRace(11);
  o.shape = CourseShape::Triangle;
  o.location = QStringLiteral("nishinomiya");
  o.boats = 10;
  o.durationMinutes = 30;
  expectCourseSailedInOrder(generateRace(o));
}

TEST(RaceGenerator, NoticeGivesPositionsAndSignals) {
  const GeneratedRace& race = mixedRace();
  const QString notice = QString::fromUtf8(race.files.at(QStringLiteral("attachment/t-notice.html")));
  // The start at 11:00 with a five-minute sequence: warning signal at 10:55.
  EXPECT_TRUE(notice.contains(QStringLiteral("warning signal 10:55, start 11:00")));
  const QRegularExpression position(
      QStringLiteral("<td>MK1</td><td>35°\\d\\d\\.\\d{3}'N 139°\\d\\d\\.\\d{3}'E</td>"));
  EXPECT_TRUE(notice.contains(position)) << notice.toStdString();
  EXPECT_TRUE(
      notice.contains(QStringLiteral("L1 &rarr; MK1 &rarr; MK2 &rarr; L2 &rarr; MK1 &rarr; MK2 &rarr; L3")));
}

TEST(RaceGenerator, FleetRacesLikeAFleet) {
  const GeneratedRace& race = mixedRace();
  int early = 0;
  int tacks = 0;
  int gybes = 0;
  double maxSpeed = 0;
  for (const SimBoat& b : race.sim.boats) {
    early += std::isnan(b.earlyCrossing) ? 0 : 1;
    tacks += b.tacks;
    gybes += b.gybes;
    for (const TruthFix& f : b.track) {
      maxSpeed = std::max(maxSpeed, f.speed);
    }
  }
  EXPECT_EQ(early, 1);  // one boat over the line at the gun, and it restarted
  EXPECT_GE(tacks, 2 * static_cast<int>(race.sim.boats.size()));
  EXPECT_GE(gybes, static_cast<int>(race.sim.boats.size()));
  EXPECT_LT(maxSpeed, 9.0);
  // The first boat finishes near the asked duration.
  EXPECT_NEAR(race.passSeconds.back() / 60.0, 20.0, 8.0);
}

TEST(LogWriters, CoordinateTextsCarryWholeUnits) {
  EXPECT_EQ(degreesMinutesText(35.5, true), QStringLiteral("N3530.00000"));
  EXPECT_EQ(degreesMinutesText(-139.9999999999, false), QStringLiteral("W14000.00000"));
  EXPECT_EQ(degreesMinutesText(5.25, false), QStringLiteral("E00515.00000"));
  EXPECT_EQ(degreesMinutesSecondsText(35.2637, true), QStringLiteral("N351549.32"));
  EXPECT_EQ(degreesMinutesSecondsText(-0.999999999, true), QStringLiteral("S010000.00"));
}

QByteArray le32(int v) {
  QByteArray b;
  for (int i = 0; i < 4; ++i) {
    b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
  }
  return b;
}

TEST(LogWriters, MapSourceFilesHaveTheirRecordFrame) {
  const std::vector<LogFix> fixes = {{1747530000, 35.25, 139.5, 3.0}, {1747530005, 35.2501, 139.5001, 3.5}};
  const LogMeta meta{QStringLiteral("ACTIVE LOG 001"), QDateTime::fromSecsSinceEpoch(1747540000, Qt::UTC),
                     true};
  const QByteArray gdb = writeGdb(fixes, meta);
  EXPECT_TRUE(gdb.startsWith(QByteArray("MsRcf\0", 6)));
  EXPECT_TRUE(gdb.endsWith(le32(25) + QByteArray("VCity Navigator Japan NT\0\x01", 26)));
  // Header, version and program name, then the track: 4+1 framing, name,
  // flag, colour, count and 24 bytes a point, one closing byte.
  const int trackBody = 15 + 1 + 4 + 4 + 2 * 24 + 1;
  EXPECT_NE(gdb.indexOf(le32(trackBody) + 'T'), -1);
  const QByteArray mps = writeMps(fixes, meta);
  EXPECT_TRUE(mps.startsWith(QByteArray("MsRcd\0", 6)));
  const int mpsBody = 15 + 1 + 4 + 4 + 2 * 31;
  EXPECT_NE(mps.indexOf(le32(mpsBody) + 'T'), -1);
  EXPECT_EQ(writeTrl(fixes).size(), 32);
}

}  // namespace
}  // namespace velaro::racegen
