// Logs recorded or written by other programs (tests/data/real, see its
// README.md), compared with the track points their authors list.
#include "core/datetime.h"
#include "core/readers/alltracks.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

QString realFile(const char* name) {
  return QStringLiteral(VELARO_TEST_DATA "/real/") + QString::fromLatin1(name);
}

struct Reference {
  double timeUtc;
  double latDeg;
  double lonDeg;
};

std::vector<Reference> readReference(const char* name) {
  QFile file(realFile(name));
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot open " << name;
    return {};
  }
  std::vector<Reference> rows;
  const QList<QByteArray> lines = file.readAll().split('\n');
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QList<QByteArray> f = lines[i].trimmed().split(',');
    if (f.size() != 3) {
      continue;
    }
    const QDateTime t = QDateTime::fromString(QString::fromLatin1(f[0]), Qt::ISODate);
    rows.push_back({toDateTime(t.toUTC()), f[1].toDouble(), f[2].toDouble()});
  }
  return rows;
}

bool matches(const RawFix& fix, const Reference& ref) {
  return std::fabs(fix.timeUtc - ref.timeUtc) * kSecondsPerDay <= 1.0 + 1e-6 &&
         std::fabs(fix.lat / 60 - ref.latDeg) <= 1e-6 + 1e-9 &&
         std::fabs(fix.lon / 60 - ref.lonDeg) <= 1e-6 + 1e-9;
}

TrackReadResult readReal(const char* name) {
  TrackReadOptions options;
  options.fileName = QString::fromLatin1(name);
  return readTrackFile(realFile(name), options);
}

struct RealCase {
  const char* log;
  const char* reference;
  size_t points;
};

class RealFiles : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealFiles, EveryPointMatchesTheReferenceInOrder) {
  const RealCase& c = GetParam();
  const TrackReadResult read = readReal(c.log);
  ASSERT_FALSE(read.error) << read.error->toString().toStdString();
  const std::vector<Reference> reference = readReference(c.reference);
  ASSERT_EQ(reference.size(), c.points);
  EXPECT_EQ(read.fixes.size(), c.points);
  size_t matched = 0;
  for (size_t i = 0; i < std::min(read.fixes.size(), reference.size()); ++i) {
    if (matches(read.fixes[i], reference[i])) {
      ++matched;
    } else if (i - matched < 3) {
      ADD_FAILURE() << c.log << " point " << i + 1 << ": " << read.fixes[i].lat / 60 << ' '
                    << read.fixes[i].lon / 60 << " at "
                    << formatDateTime(read.fixes[i].timeUtc).toStdString();
    }
  }
  EXPECT_EQ(matched, c.points) << c.log;
}

INSTANTIATE_TEST_SUITE_P(
    Logs, RealFiles,
    ::testing::Values(RealCase{"gpsbabel/gdb-sample.gdb", "gpsbabel/gdb-sample.expected.csv", 747},
                      RealCase{"gpsbabel/gdb-sample-v3.gdb", "gpsbabel/gdb-sample.expected.csv", 747},
                      RealCase{"gpsbabel/gdb-sample.gpx", "gpsbabel/gdb-sample.expected.csv", 747},
                      RealCase{"gpsbabel/gdb-sample2.gdb", "gpsbabel/gdb-sample2.expected.csv", 42},
                      RealCase{"gpsbabel/mps-track.mps", "gpsbabel/pcx-and-mps-track.expected.csv", 64},
                      RealCase{"gpsbabel/pcx.trk", "gpsbabel/pcx-and-mps-track.expected.csv", 64},
                      RealCase{"gpsbabel/gnav_trl.trl", "gpsbabel/gnav_trl.expected.csv", 747},
                      RealCase{"gpx-player/track1.gpx", "gpx-player/track1.expected.csv", 511},
                      RealCase{"maxsail/2025-06-21-ESP30782-P01.gpx",
                               "maxsail/2025-06-21-ESP30782-P01.expected.csv", 1981}));

// Files whose every track point the reader must yield, checked by count
// against the file's own trkpt elements.
TEST(RealFilesGpx, ExtensionNamespacesAndGarbageElevationsKeepEveryPoint) {
  for (const char* name : {"gpx-player/osm-demo-Yury.gpx", "maxsail/2025-06-21-ESP29375-P01.gpx"}) {
    QFile file(realFile(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    const qsizetype points = file.readAll().count("<trkpt ");
    const TrackReadResult read = readReal(name);
    ASSERT_FALSE(read.error) << name;
    EXPECT_EQ(static_cast<qsizetype>(read.fixes.size()), points) << name;
    EXPECT_GT(points, 1500) << name;
  }
}

TEST(RealFilesGpx, AwkwardSmallFilesKeepFileOrder) {
  const TrackReadResult dup = readReal("gpx-player/duplicate-timestamps.gpx");
  ASSERT_EQ(dup.fixes.size(), 3u);
  EXPECT_EQ(dup.fixes[0].timeUtc, dup.fixes[1].timeUtc);
  EXPECT_NEAR(dup.fixes[1].lat, 40.1 * 60, 1e-9);
  const TrackReadResult order = readReal("gpx-player/wrong-timestamp-order.gpx");
  ASSERT_EQ(order.fixes.size(), 3u);
  EXPECT_GT(order.fixes[0].timeUtc, order.fixes[1].timeUtc);
  EXPECT_NEAR(order.fixes[2].lon, -105.2 * 60, 1e-9);
}

TEST(RealFilesBinary, FilesWithoutTracksYieldNoGarbage) {
  for (const char* name : {"gpsbabel/bushnell_trl.trl", "gpsbabel/mps-empty.mps"}) {
    const TrackReadResult read = readReal(name);
    EXPECT_FALSE(read.error) << name;
    for (const RawFix& fix : read.fixes) {
      EXPECT_TRUE(isPlausiblePosition(fix.lat / 60, fix.lon / 60)) << name;
    }
    EXPECT_TRUE(read.fixes.empty()) << name;
  }
}

TEST(RealFilesBinary, TheVersion3ShortFormFindsOnlyEmptyPositions) {
  // gdb-sample-v3.gdb holds 148 records that fit the short form with the
  // position 0/0; they are not fixes.
  const TrackReadResult read = readReal("gpsbabel/gdb-sample-v3.gdb");
  for (const RawFix& fix : read.fixes) {
    EXPECT_FALSE(fix.lat == 0 && fix.lon == 0);
  }
}

}  // namespace
}  // namespace velaro
