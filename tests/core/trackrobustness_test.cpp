// Every track reader on input it was not made for: other formats, cut-off
// files, random bytes and degenerate large inputs. None may crash, read out
// of bounds (the sanitizer build runs these), loop without end or yield a
// position off the globe.
#include "core/readers/trackreader.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <random>

namespace velaro {
namespace {

constexpr TrackFormat kFormats[] = {TrackFormat::Gpx, TrackFormat::Gdb, TrackFormat::Mps, TrackFormat::Trl,
                                    TrackFormat::Dtr};

void expectOnlyPlausibleFixes(QByteArrayView bytes, const char* what) {
  for (const TrackFormat format : kFormats) {
    TrackReadOptions options;
    options.fileName = QStringLiteral("x");
    options.raceDate = 40013;
    const TrackReadResult result = readTrackBytes(bytes, format, options);
    for (const RawFix& fix : result.fixes) {
      ASSERT_TRUE(isPlausiblePosition(fix.lat / 60, fix.lon / 60))
          << what << " format " << static_cast<int>(format) << ": " << fix.lat << ' ' << fix.lon;
    }
  }
}

std::vector<QByteArray> realLogs() {
  std::vector<QByteArray> logs;
  QDirIterator it(QStringLiteral(VELARO_TEST_DATA "/real"), QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile file(it.next());
    if (file.size() < 200000 && file.open(QIODevice::ReadOnly)) {
      logs.push_back(file.readAll());
    }
  }
  return logs;
}

TEST(TrackRobustness, EveryReaderOnEveryRealLogAndItsCutOffPrefixes) {
  const std::vector<QByteArray> logs = realLogs();
  ASSERT_GT(logs.size(), 10u);
  for (const QByteArray& log : logs) {
    expectOnlyPlausibleFixes(log, "whole");
    // Cut points near the start, where headers and first records lie, and
    // then spread over the file.
    const qsizetype step = std::max<qsizetype>(1, log.size() / 40);
    for (qsizetype n = 0; n < log.size(); n += n < 200 ? 1 : step) {
      expectOnlyPlausibleFixes(log.left(n), "prefix");
    }
  }
}

TEST(TrackRobustness, RandomBytes) {
  std::mt19937 random(20090719);
  for (int round = 0; round < 200; ++round) {
    QByteArray bytes(static_cast<qsizetype>(random() % 3000), '\0');
    // Mostly small bytes, so that the binary patterns' zeros and ones occur.
    for (char& c : bytes) {
      const unsigned r = random();
      c = static_cast<char>(r % 4 == 0 ? r >> 8 : (r >> 8) % 3);
    }
    expectOnlyPlausibleFixes(bytes, "random");
  }
}

TEST(TrackRobustness, DegenerateLargeInputsEndInReasonableTime) {
  // Each is several megabytes of what a scanner looks for without the rest.
  const QByteArray pieces[] = {"<",
                               "<trkpt",
                               "<trkpt lat=\"1\" lon=\"2\"><time>",
                               "<trkpt lat=\"",
                               QByteArray("\x00\x00\x01", 3),
                               QByteArray("\x00\x01\x00\x00\x01\x00\x00\x00\x00\x00\x01", 11),
                               "T N1.5 E2.5 x y 0\n",
                               "DMS DEG\n",
                               "\n"};
  for (const QByteArray& piece : pieces) {
    expectOnlyPlausibleFixes(piece.repeated(4 * 1024 * 1024 / piece.size()), "repeated piece");
  }
  expectOnlyPlausibleFixes(QByteArray(4 * 1024 * 1024, '\0'), "zeros");
  expectOnlyPlausibleFixes(QByteArray(4 * 1024 * 1024, 'T'), "one long line");
}

}  // namespace
}  // namespace velaro
