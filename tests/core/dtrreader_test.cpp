// The byte scan of the DTR/TRK reader against the text conversions it stands
// in for: line ends, long numbers, text that is not plain ASCII.
#include "core/readers/dtrreader.h"
#include "core/datetime.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

TrackReadResult read(const QByteArray& bytes, std::optional<double> raceDate = std::nullopt) {
  TrackReadOptions options;
  options.fileName = QStringLiteral("boat.trk");
  options.raceDate = raceDate;
  return readDtr(bytes, options);
}

// 2009-07-19 (day 40013) at 10:30:05.
constexpr double kDay = 40013;
constexpr double kTime = kDay + (10 * 3600 + 30 * 60 + 5) / 86400.0;
constexpr double kLat = 35 * 60 + 12.345;
constexpr double kLon = 139 * 60 + 45.5;

TEST(DtrReader, NumbersDatesAndTimesConvertAsWritten) {
  struct Case {
    const char* line;
    RawFix fix;
  };
  const Case cases[] = {
      // 15 digits and more: the same value as the text conversion.
      {"T N3512.3456789012345 E13945.500 2009-07-19 10:30:05 0", {kTime, 35 * 60 + 12.3456789012345, kLon}},
      {"T N3512.34567890123456789 E13945.50000000000000001 2009-07-19 10:30:05 0",
       {kTime, 35 * 60 + 12.34567890123456789, 139 * 60 + 45.50000000000000001}},
      {"T N000000000000000003512.345 E13945.500 2009-07-19 10:30:05 0", {kTime, kLat, kLon}},
      {"T n12.345 w13945.500 2009-07-19 10:30:05 0", {kTime, 12.345, -kLon}},
      {"T N3512.345 E13945.500 2009-07-19 10:30:05.25 0",
       {kDay + (10 * 3600 + 30 * 60 + 5.25) / 86400.0, kLat, kLon}},
      {"T N3512.345 E13945.500 2009/7/19 10:30 0", {kDay + (10 * 3600 + 30 * 60) / 86400.0, kLat, kLon}},
      {"T N3512.345 E13945.500 19-jul-09 10:30:05 0", {kTime, kLat, kLon}},
      {"T N3512.345 E13945.500 0019-Jul-2009 010:030:005 0", {kTime, kLat, kLon}},
      {"T N-3512.345 E+13945.500 2009-07-19 10:30:05 0", {kTime, -35 * 60 + 12.345, kLon}},
      // Columns the other way round still read as a date and a time.
      {"T N3512.345 E13945.500 10:30:05 2009-07-19 0", {kTime, kLat, kLon}},
  };
  for (const Case& c : cases) {
    const auto result = read(c.line);
    ASSERT_FALSE(result.error) << c.line;
    ASSERT_EQ(result.fixes.size(), 1u) << c.line;
    EXPECT_EQ(result.fixes[0], c.fix) << c.line;
  }
  const auto dms = read("U LAT LON DMS\nT N351230.60000000000000001 E1394515.0 2009-07-19 10:30:05 0\n");
  ASSERT_EQ(dms.fixes.size(), 1u);
  EXPECT_EQ(dms.fixes[0].lat, 35 * 60 + 12 + 30.60000000000000001 / 60);
}

TEST(DtrReader, LineEndsAndLineNumbers) {
  // CR LF, lone CR, LF, a blank line and no end at the last line: the bad
  // coordinate is on line 5.
  const auto result = read(
      "T N3512.345 E13945.500 2009-07-19 10:30:05 0\r\n"
      "T N3512.345 E13945.500 2009-07-19 10:30:06 0\r"
      "T N3512.345 E13945.500 2009-07-19 10:30:07 0\n"
      "\r\n"
      "T N3512 E13945.500 2009-07-19 10:30:08 0");
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->toString(),
            QStringLiteral("boat.trk, line 5: coordinate is not a number: \"N3512\""));
  ASSERT_EQ(result.fixes.size(), 3u);
  EXPECT_EQ(result.fixes[2].timeUtc, kTime + 2 / kSecondsPerDay);
  EXPECT_EQ(read("T N3512.345 E13945.500 2009-07-19 10:30:05 0").fixes.size(), 1u);
}

TEST(DtrReader, TextThatIsNotPlainAscii) {
  const QByteArray fix = "T N3512.345 E13945.500 2009-07-19 10:30:05 0\n";
  struct Case {
    QByteArray bytes;
    size_t fixes;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF" + fix, 1},
      {"\xEF\xBB\xBF\xEF\xBB\xBF" + fix, 1},
      {"\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF" + fix, 1},                  // "\uFEFFT" still contains T
      {"H \xE8\xA5\xBF\xE5\xAE\xAE\n" + fix, 1},                          // UTF-8
      {"H \x90\xBC\x8B\x7B\n" + fix, 1},                                  // Shift_JIS
      {"T\xE3\x80\x80N3512.345 E13945.500 2009-07-19 10:30:05 0\n", 0},   // U+3000 does not split
      {"T \xE3\x80\x80N3512.345 E13945.500 2009-07-19 10:30:05 0\n", 1},  // but is trimmed
      {"T N3512.345 E13945.500 2009-07-19 10:30:05\t0\n", 0},             // a tab does not split
      {"T N3512.345 E13945.500 2009-07-19 10:30:05 0" + QByteArray(5000, ' ') + "\n", 1},
      {"T N3512.345 E13945.500 2009-07-19 10:30:05 " + QByteArray(5000, '0') + "\n", 1},
      // Only 5000 characters after a blank are split.
      {"T" + QByteArray(5000, ' ') + "N3512.345 E13945.500 2009-07-19 10:30:05 0\n", 0},
  };
  for (const Case& c : cases) {
    const auto result = read(c.bytes);
    EXPECT_FALSE(result.error) << c.bytes.left(60).toHex().constData();
    EXPECT_EQ(result.fixes.size(), c.fixes) << c.bytes.left(60).toHex().constData();
  }
  // The line count and the text of an error in a Shift_JIS file.
  const auto sjis = read("H \x90\xBC\x8B\x7B\n" + fix + "T N35\x82\x50.5 E13945.500 2009-07-19 10:30:05 0\n");
  ASSERT_TRUE(sjis.error);
  EXPECT_EQ(sjis.error->line, 3);
  EXPECT_EQ(sjis.error->text, QString::fromUtf8("N35\xEF\xBC\x91.5"));
}

TEST(DtrReader, OnlyDashedDatesAYearAwayMoveTo2000) {
  const double raceDate = toDateTime(QDate(2009, 7, 19));
  const double moved = toDateTime(QDate(2000, 1, 1), QTime(10, 30, 5));
  EXPECT_EQ(read("T N3512.345 E13945.500 19-JUL-08 10:30:05 0", raceDate).fixes.at(0).timeUtc, moved);
  EXPECT_EQ(read("T N3512.345 E13945.500 2010-07-19 10:30:05 0", raceDate).fixes.at(0).timeUtc, moved);
  EXPECT_EQ(read("T N3512.345 E13945.500 2010-07-18 10:30:05 0", raceDate).fixes.at(0).timeUtc,
            toDateTime(QDate(2010, 7, 18), QTime(10, 30, 5)));
  EXPECT_EQ(read("T N3512.345 E13945.500 2008/07/19 10:30:05 0", raceDate).fixes.at(0).timeUtc,
            toDateTime(QDate(2008, 7, 19), QTime(10, 30, 5)));
}

}  // namespace
}  // namespace velaro
