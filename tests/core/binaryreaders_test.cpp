#include "core/datetime.h"
#include "core/readers/gdbreader.h"
#include "core/readers/mpsreader.h"
#include "core/readers/trlreader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace velaro {
namespace {

// 2005-05-01T10:12:47Z as MapSource and .trl files store it.
constexpr std::int32_t kFirstSeconds = 1114942367;
constexpr double kFirstUtc = kUnixEpochDateTime + kFirstSeconds / 86400.0;

void put32(QByteArray& bytes, std::int32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes.append(static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xff));
  }
}

void putFloat(QByteArray& bytes, float value) {
  std::int32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  put32(bytes, bits);
}

std::int32_t semicircles(double degrees) {
  return static_cast<std::int32_t>(std::llround(degrees / 180.0 * 2147483648.0));
}

const QByteArray kAltitude("\x00\x00\x00\x00\x00\xc0\x60\x40", 8);  // 134.0 as a double
const QByteArray kPadding(40, 'x');

// 00 00 | lat | lon | 01 | altitude | 01 | time | depth flag | 00
QByteArray gdbLong(double latDeg, double lonDeg, std::int32_t seconds, char depthFlag = 0) {
  QByteArray r(2, '\0');
  put32(r, semicircles(latDeg));
  put32(r, semicircles(lonDeg));
  r.append('\x01').append(kAltitude).append('\x01');
  put32(r, seconds);
  r.append(depthFlag).append('\0');
  return r;
}

// 00 00 | lat | lon | 00 01 | time | 00 00
QByteArray gdbShort(double latDeg, double lonDeg, std::int32_t seconds) {
  QByteArray r(2, '\0');
  put32(r, semicircles(latDeg));
  put32(r, semicircles(lonDeg));
  r.append('\0').append('\x01');
  put32(r, seconds);
  r.append(2, '\0');
  return r;
}

// 00 00 | lat | lon | 00 | altitude | 01 | time | nine bytes 00
QByteArray mpsPoint(double latDeg, double lonDeg, std::int32_t seconds) {
  QByteArray r(2, '\0');
  put32(r, semicircles(latDeg));
  put32(r, semicircles(lonDeg));
  r.append('\0').append(kAltitude).append('\x01');
  put32(r, seconds);
  r.append(9, '\0');
  return r;
}

QByteArray trlRecord(std::int32_t seconds, float latDeg, float lonDeg) {
  QByteArray r;
  put32(r, seconds);
  putFloat(r, latDeg);
  putFloat(r, lonDeg);
  r.append("\x11\x22\x33\x44", 4);
  return r;
}

void expectFix(const RawFix& fix, double timeUtc, double latDeg, double lonDeg) {
  EXPECT_NEAR((fix.timeUtc - timeUtc) * kSecondsPerDay, 0, 1e-3);
  EXPECT_NEAR(fix.lat / 60, latDeg, 1e-7);
  EXPECT_NEAR(fix.lon / 60, lonDeg, 1e-7);
}

TEST(GdbReader, ReadsBothRecordFormsInFileOrder) {
  ASSERT_NEAR((kFirstUtc - toDateTime(QDate(2005, 5, 1), QTime(10, 12, 47))) * kSecondsPerDay, 0, 1e-3);
  const QByteArray file = kPadding + gdbLong(51.3, 12.4, kFirstSeconds) + "ab" +
                          gdbLong(-33.5, -70.25, kFirstSeconds + 10, 1) + "cd" +
                          gdbShort(35.25, 139.5, kFirstSeconds + 20) + kPadding;
  const auto result = readGdb(file, {});
  ASSERT_FALSE(result.error);
  ASSERT_EQ(result.fixes.size(), 3u);
  expectFix(result.fixes[0], kFirstUtc, 51.3, 12.4);
  expectFix(result.fixes[1], kFirstUtc + 10 / kSecondsPerDay, -33.5, -70.25);
  expectFix(result.fixes[2], kFirstUtc + 20 / kSecondsPerDay, 35.25, 139.5);
}

TEST(GdbReader, RecordsWithoutTimeOrPositionAreNotFixes) {
  const QByteArray file = kPadding + gdbLong(51.3, 12.4, 0) + "ab" + gdbLong(51.3, 12.4, -5) + "ab" +
                          gdbLong(0, 0, kFirstSeconds) + "ab" + gdbShort(0, 0, kFirstSeconds) + "ab" +
                          gdbLong(51.3, 12.4, kFirstSeconds + 1) + kPadding;
  const auto result = readGdb(file, {});
  ASSERT_EQ(result.fixes.size(), 1u);
  expectFix(result.fixes[0], kFirstUtc + 1 / kSecondsPerDay, 51.3, 12.4);
}

TEST(GdbReader, AChanceMatchOffTheGlobeDoesNotHideTheRecordAfterIt) {
  // A real record at r with no altitude; bytes before it fit the long form
  // with its flag at r - 2 and a latitude of 120 degrees. Skipping a whole
  // record after that match would jump over the real one.
  constexpr std::int32_t kLon = 0x08D30178;  // its second byte is the 01 the chance match needs
  const qsizetype r = 40;
  QByteArray file(120, 'x');
  auto put32At = [&file](qsizetype at, std::int32_t value) {
    for (int k = 0; k < 4; ++k) {
      file[at + k] = static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * k)) & 0xff);
    }
  };
  file[r - 12] = file[r - 11] = '\0';
  put32At(r - 10, semicircles(120));
  file[r - 2] = '\x01';
  file.replace(r, 26, QByteArray(26, '\0'));
  put32At(r + 2, semicircles(51.3));
  put32At(r + 6, kLon);
  file[r + 10] = file[r + 19] = '\x01';
  put32At(r + 20, kFirstSeconds);
  const auto result = readGdb(file, {});
  ASSERT_EQ(result.fixes.size(), 1u);
  expectFix(result.fixes[0], kFirstUtc, 51.3, semicirclesToDegrees(kLon));
}

TEST(GdbReader, ScanLeavesThirtyByteMarginsAndSkipsShortFiles) {
  const QByteArray record = gdbLong(51.3, 12.4, kFirstSeconds);  // its flag byte is at 10
  EXPECT_EQ(readGdb(QByteArray(20, 'x') + record + QByteArray(30, 'x'), {}).fixes.size(), 1u);
  EXPECT_EQ(readGdb(QByteArray(19, 'x') + record + QByteArray(30, 'x'), {}).fixes.size(), 0u);
  // The flag byte must lie at least 30 bytes before the end.
  EXPECT_EQ(readGdb(QByteArray(20, 'x') + record + QByteArray(14, 'x'), {}).fixes.size(), 1u);
  EXPECT_EQ(readGdb(QByteArray(20, 'x') + record + QByteArray(13, 'x'), {}).fixes.size(), 0u);
  EXPECT_TRUE(readGdb(QByteArray(5, 'x') + record.left(25) + QByteArray(29, 'x'), {}).fixes.empty());
}

TEST(MpsReader, ReadsTrackPointsAndPassesOverOthers) {
  QByteArray wrongTail = mpsPoint(51.3, 12.4, kFirstSeconds);
  wrongTail[30] = 'z';  // not nine zero bytes after the time
  const QByteArray file = kPadding + mpsPoint(30.062183, -91.61035, kFirstSeconds) + "ab" + wrongTail + "ab" +
                          mpsPoint(0, 0, kFirstSeconds) + "ab" + mpsPoint(30.1, -91.6, 0) + "ab" +
                          mpsPoint(30.1, -91.6, kFirstSeconds + 60) + kPadding;
  const auto result = readMps(file, {});
  ASSERT_EQ(result.fixes.size(), 2u);
  expectFix(result.fixes[0], kFirstUtc, 30.062183, -91.61035);
  expectFix(result.fixes[1], kFirstUtc + 60 / kSecondsPerDay, 30.1, -91.6);
  EXPECT_TRUE(readMps(QByteArray(59, '\0'), {}).fixes.empty());
}

TEST(TrlReader, ReadsWholeRecordsAndPassesOverImplausibleOnes) {
  const QByteArray file = trlRecord(kFirstSeconds, 51.311771f, 12.413179f) +
                          trlRecord(kFirstSeconds + 17, -33.5f, 151.25f) + trlRecord(kFirstSeconds, 0, 0) +
                          trlRecord(kFirstSeconds, 91, 0) + trlRecord(kFirstSeconds, 10, std::nanf("")) +
                          trlRecord(0, 10, 20) + trlRecord(kFirstSeconds, 1, 2).left(15);
  const auto result = readTrl(file, {});
  ASSERT_EQ(result.fixes.size(), 3u);
  expectFix(result.fixes[0], kFirstUtc, double(51.311771f), double(12.413179f));
  expectFix(result.fixes[1], kFirstUtc + 17 / kSecondsPerDay, -33.5, 151.25);
  // A time of 0 is the epoch, kept like any other.
  expectFix(result.fixes[2], toDateTime(QDate(1970, 1, 1)), 10, 20);
}

TEST(BinaryReaders, CallYieldDuringLongScans) {
  QByteArray big(3 * (1 << 20) + 100, 'x');
  for (auto reader : {readGdb, readMps, readTrl}) {
    int calls = 0;
    TrackReadOptions options;
    options.yield = [&calls] { ++calls; };
    reader(big, options);
    EXPECT_GE(calls, 2);
    EXPECT_LE(calls, 4);
  }
}

}  // namespace
}  // namespace velaro
