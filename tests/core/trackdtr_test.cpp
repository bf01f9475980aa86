#include "core/datetime.h"
#include "core/readers/dtrreader.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

TrackReadResult read(const QByteArray& bytes, std::optional<double> raceDate = std::nullopt) {
  TrackReadOptions options;
  options.fileName = QStringLiteral("boat.dtr");
  options.raceDate = raceDate;
  return readDtr(bytes, options);
}

// 2009-07-19 10:30:05 (day 40013).
constexpr double kTime = 40013 + (10 * 3600 + 30 * 60 + 5) / 86400.0;

TEST(TrackDtr, ReadsSixColumnTrackLinesInTheDefaultNotation) {
  const auto result = read(
      "H  LATITUDE    LONGITUDE    DATE      TIME     ALT\r\n"
      "T  N3512.345 E13945.500 2009-07-19 10:30:05 12\r\n"
      "T  S3512.345 W13945.500 2009/07/19 10:30:06 12\n"
      "T  N3512.345 E13945.500 2009-07-19 10:30:07\n"       // five columns
      "T  N3512.345 E13945.500 2009-07-19 10:30:08 1 2\n"   // seven columns
      "W  N3512.345 E13945.500 2009-07-19 10:30:09 12\n"    // first column without T
      "TP N3512.345 E13945.500 2009-07-19 10:30:10 12\n");  // contains T
  ASSERT_FALSE(result.error);
  ASSERT_EQ(result.fixes.size(), 3u);
  EXPECT_EQ(result.fixes[0], (RawFix{kTime, 35 * 60 + 12.345, 139 * 60 + 45.5}));
  EXPECT_EQ(result.fixes[1], (RawFix{kTime + 1 / kSecondsPerDay, -(35 * 60 + 12.345), -(139 * 60 + 45.5)}));
  EXPECT_EQ(result.fixes[2].timeUtc, kTime + 5 / kSecondsPerDay);
}

TEST(TrackDtr, MarkerLinesSwitchTheNotation) {
  struct Case {
    const char* marker;
    double lat;  // of "N35.5" after the marker, minutes
  };
  const Case cases[] = {
      {"H DEG\n", 35.5 * 60},        {"H DMS\n", 35.5 / 60},      // no degrees or minutes before the seconds
      {"H DMS DEG\n", 35.5 * 60},    {"H DEG DMS\n", 35.5 * 60},  // both on a line: decimal degrees
      {"H DEG\nH DMS\n", 35.5 / 60}, {"H DM\n", 35.5},
  };
  for (const Case& c : cases) {
    const auto result = read(QByteArray(c.marker) + "T N35.5 E139.5 2009-07-19 10:30:05 0\n");
    ASSERT_EQ(result.fixes.size(), 1u) << c.marker;
    EXPECT_NEAR(result.fixes[0].lat, c.lat, 1e-9) << c.marker;
  }
  const auto dms = read("DMS\nT N351230.6 E1394515.0 2009-07-19 10:30:05 0\n");
  ASSERT_EQ(dms.fixes.size(), 1u);
  EXPECT_NEAR(dms.fixes[0].lat, 35 * 60 + 12 + 30.6 / 60, 1e-9);
  EXPECT_NEAR(dms.fixes[0].lon, 139 * 60 + 45 + 15.0 / 60, 1e-9);
}

TEST(TrackDtr, ATimeThatDoesNotConvertRejectsOnlyItsLine) {
  const auto result = read(
      "T N3512.345 E13945.500 2009-07-19 25:30:05 0\n"
      "T N3512.345 E13945.500 yesterday 10:30:05 0\n"
      "T Nxx E13945.500 2009-13-19 10:30:05 0\n"  // the coordinate is not looked at
      "T N3512.345 E13945.500 2009-07-19 10:30:05 0\n");
  ASSERT_FALSE(result.error);
  EXPECT_EQ(result.fixes.size(), 1u);
}

TEST(TrackDtr, ACoordinateThatDoesNotConvertIsAnErrorNamingTheLine) {
  const auto result = read(
      "T N3512.345 E13945.500 2009-07-19 10:30:05 0\n"
      "\n"
      "T N3512 E13945.500 2009-07-19 10:30:06 0\n"
      "T N3512.345 E13945.500 2009-07-19 10:30:07 0\n");
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->file, QStringLiteral("boat.dtr"));
  EXPECT_EQ(result.error->line, 3);
  EXPECT_EQ(result.error->text, QStringLiteral("N3512"));
  EXPECT_EQ(result.fixes.size(), 1u);
  const auto lon = read("T N3512.345 Eabc.5 2009-07-19 10:30:06 0\n");
  ASSERT_TRUE(lon.error);
  EXPECT_EQ(lon.error->text, QStringLiteral("Eabc.5"));
}

TEST(TrackDtr, DatesAYearAwayFromTheRaceMoveTo2000) {
  const auto result = read("T N3512.345 E13945.500 2008-07-19 10:30:05 0\n", toDateTime(QDate(2009, 7, 19)));
  ASSERT_EQ(result.fixes.size(), 1u);
  EXPECT_EQ(result.fixes[0].timeUtc, toDateTime(QDate(2000, 1, 1), QTime(10, 30, 5)));
}

TEST(TrackDtr, PositionsOffTheGlobeAreNotFixes) {
  const auto result = read(
      "T N9112.345 E13945.500 2009-07-19 10:30:05 0\n"
      "T N0000.000 E00000.000 2009-07-19 10:30:05 0\n");
  ASSERT_FALSE(result.error);
  EXPECT_TRUE(result.fixes.empty());
}

TEST(TrackDtr, EmptyAndBinaryInputs) {
  EXPECT_TRUE(read("").fixes.empty());
  constexpr char kGarbage[] = "\x00\xff\xfe T\x00 N1.1 E2.2 x y z";
  EXPECT_TRUE(read(QByteArray(kGarbage, sizeof kGarbage - 1)).fixes.empty());
}

}  // namespace
}  // namespace velaro
