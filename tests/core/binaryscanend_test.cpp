#include "core/readers/gdbreader.h"
#include "core/readers/mpsreader.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace velaro {
namespace {

void putInt32(QByteArray& bytes, qsizetype at, std::int32_t value) {
  for (int k = 0; k < 4; ++k) {
    bytes[at + k] = static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * k)) & 0xff);
  }
}

std::int32_t semicircles(double degrees) {
  return static_cast<std::int32_t>(std::lround(degrees / 180.0 * 2147483648.0));
}

// A track point whose record ends with the file is still read.
TEST(BinaryScanEnd, LastRecordOfTheFileIsRead) {
  constexpr std::int32_t kTime = 1'600'000'000;
  {
    QByteArray gdb(64, '\xaa');
    const qsizetype i = gdb.size() - 16;  // the long form's last byte is the file's last
    gdb[i] = 1;
    gdb[i - 10] = 0;
    gdb[i - 9] = 0;
    putInt32(gdb, i - 8, semicircles(35.25));
    putInt32(gdb, i - 4, semicircles(139.5));
    gdb[i + 9] = 1;
    putInt32(gdb, i + 10, kTime);
    gdb[i + 14] = 0;
    gdb[i + 15] = 0;
    const TrackReadResult r = readGdb(gdb, TrackReadOptions{});
    ASSERT_EQ(r.fixes.size(), 1u);
    EXPECT_NEAR(r.fixes[0].lat, 35.25 * 60, 1e-4);
  }
  {
    QByteArray mps(64, '\xaa');
    const qsizetype i = mps.size() - 23;
    mps[i] = 0;
    mps[i - 10] = 0;
    mps[i - 9] = 0;
    putInt32(mps, i - 8, semicircles(-33.5));
    putInt32(mps, i - 4, semicircles(151.25));
    mps[i + 9] = 1;
    putInt32(mps, i + 10, kTime);
    for (qsizetype k = i + 14; k <= i + 22; ++k) {
      mps[k] = 0;
    }
    const TrackReadResult r = readMps(mps, TrackReadOptions{});
    ASSERT_EQ(r.fixes.size(), 1u);
    EXPECT_NEAR(r.fixes[0].lon, 151.25 * 60, 1e-4);
  }
}

}  // namespace
}  // namespace velaro
