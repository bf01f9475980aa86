#include "core/readers/gpxreader.h"
#include "core/datetime.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

double utc(int y, int mo, int d, int h, int mi, double s) {
  return toDateTime(QDate(y, mo, d), QTime(h, mi)) + s / kSecondsPerDay;
}

QByteArray gpx(const QByteArray& points) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
         "  <trk><trkseg>\n" +
         points + "  </trkseg></trk>\n</gpx>\n";
}

void expectFix(const RawFix& fix, double timeUtc, double latDeg, double lonDeg) {
  EXPECT_NEAR((fix.timeUtc - timeUtc) * kSecondsPerDay, 0, 1e-4);
  EXPECT_DOUBLE_EQ(fix.lat, latDeg * 60);
  EXPECT_DOUBLE_EQ(fix.lon, lonDeg * 60);
}

TrackReadResult read(const QByteArray& bytes, std::optional<double> raceDate = std::nullopt) {
  TrackReadOptions options;
  options.fileName = QStringLiteral("boat.gpx");
  options.raceDate = raceDate;
  return readGpx(bytes, options);
}

TEST(GpxReader, ReadsTrackPointsInFileOrder) {
  const auto result =
      read(gpx("<trkpt lat=\"35.5\" lon=\"139.25\"><ele>3.2</ele><time>2009-07-19T01:30:00Z</time></trkpt>\n"
               "<trkpt lon=\"-0.5\" lat=\"-10.25\">\n  <time>2009-07-19T01:29:50Z</time>\n</trkpt>\n"));
  ASSERT_FALSE(result.error);
  ASSERT_EQ(result.fixes.size(), 2u);
  expectFix(result.fixes[0], utc(2009, 7, 19, 1, 30, 0), 35.5, 139.25);
  expectFix(result.fixes[1], utc(2009, 7, 19, 1, 29, 50), -10.25, -0.5);
}

TEST(GpxReader, AcceptsFractionalSecondsAndNumericZones) {
  struct Case {
    const char* time;
    double expected;
  };
  const Case cases[] = {
      {"2023-07-01T10:30:39.000Z", utc(2023, 7, 1, 10, 30, 39)},
      {"2023-07-01T10:30:39.250Z", utc(2023, 7, 1, 10, 30, 39.25)},
      {"2023-07-01T12:30:39+02:00", utc(2023, 7, 1, 10, 30, 39)},
      {"2023-07-01T12:30:39.5+0200", utc(2023, 7, 1, 10, 30, 39.5)},
      {"2023-07-01T05:30:39-05:00", utc(2023, 7, 1, 10, 30, 39)},
      {"2023-07-01T00:30:39+02:00", utc(2023, 6, 30, 22, 30, 39)},
      {"2023-07-01T10:30:39+00:00", utc(2023, 7, 1, 10, 30, 39)},
      {"2023-07-01T10:30:39", utc(2023, 7, 1, 10, 30, 39)},  // no zone: UTC
      {"2023-07-01t10:30:39z", utc(2023, 7, 1, 10, 30, 39)},
      {" 2023-7-1T10:30:39Z ", utc(2023, 7, 1, 10, 30, 39)},  // the general conversion
  };
  for (const Case& c : cases) {
    const auto value = parseGpxTime(QByteArrayView(c.time), std::nullopt);
    ASSERT_TRUE(value) << c.time;
    EXPECT_NEAR((*value - c.expected) * kSecondsPerDay, 0, 1e-4) << c.time;
  }
  for (const char* bad : {"", "2023-07-01", "2023-07-01T", "2023-13-01T10:30:39Z", "2023-07-01T24:00:00Z",
                          "2023-07-01T10:30:39+25:00", "2023-07-01T10:30:39+02:0x", "yesterdayT10:00:00Z",
                          "2023-07-01T10:30:39.x5Z"}) {
    EXPECT_FALSE(parseGpxTime(QByteArrayView(bad), std::nullopt)) << bad;
  }
}

TEST(GpxReader, FastAndGeneralTimeConversionAgree) {
  // The usual form bypasses the text conversion; both must give one value.
  const double fast = *parseGpxTime(QByteArrayView("2024-02-29T23:59:59.125Z"), std::nullopt);
  const double general =
      *fixDateTime(QStringLiteral("23:59:59.125"), QStringLiteral("2024-02-29"), std::nullopt);
  EXPECT_EQ(fast, general);
  const double raceDate = toDateTime(QDate(2009, 7, 19));
  EXPECT_EQ(*parseGpxTime(QByteArrayView("2011-07-19T10:00:00Z"), raceDate),
            *fixDateTime(QStringLiteral("10:00:00"), QStringLiteral("2011-07-19"), raceDate));
}

TEST(GpxReader, DateAYearAwayFromTheRaceBecomesTheYear2000) {
  const QByteArray file =
      gpx("<trkpt lat=\"35\" lon=\"139\"><time>2008-07-19T10:00:00Z</time></trkpt>\n"
          "<trkpt lat=\"35\" lon=\"139\"><time>2008-07-20T10:00:00Z</time></trkpt>\n");
  const auto withRace = read(file, toDateTime(QDate(2009, 7, 19)));
  ASSERT_EQ(withRace.fixes.size(), 2u);
  expectFix(withRace.fixes[0], utc(2000, 1, 1, 10, 0, 0), 35, 139);
  expectFix(withRace.fixes[1], utc(2008, 7, 20, 10, 0, 0), 35, 139);
  const auto alone = read(file);
  expectFix(alone.fixes[0], utc(2008, 7, 19, 10, 0, 0), 35, 139);
}

TEST(GpxReader, ExtensionsNamespacesAndElevationsDoNotDisturbTheReading) {
  const auto result =
      read(gpx("<trkpt lat=\"53.54635217227041721343994140625\" lon=\"9.803087711334228515625\">\n"
               "  <ele>not a height</ele>\n"
               "  <time>2023-07-01T10:30:39.000Z</time>\n"
               "  <extensions><ns3:TrackPointExtension><ns3:hr>112</ns3:hr><ns3:lat>1</ns3:lat>"
               "<gpxtpx:time>x</gpxtpx:time></ns3:TrackPointExtension></extensions>\n"
               "</trkpt>\n"
               "<trkpt lat=\"53.5\" "
               "lon=\"9.8\"><ele></ele><ele>-500</ele><time>2023-07-01T10:30:40.000Z</time></trkpt>\n"
               "<wpt lat=\"1\" lon=\"1\"><time>2023-07-01T10:30:40Z</time></wpt>\n"
               "<trkpt lat=\"53.5\" lon=\"9.9\"><extensions><gpxtpx:hr>1</gpxtpx:hr></extensions>"
               "<time>2023-07-01T10:30:41Z</time></trkpt>\n"));
  ASSERT_FALSE(result.error) << result.error->toString().toStdString();
  ASSERT_EQ(result.fixes.size(), 3u);
  EXPECT_DOUBLE_EQ(result.fixes[0].lat, 53.54635217227041721343994140625 * 60);
  EXPECT_DOUBLE_EQ(result.fixes[0].lon, 9.803087711334228515625 * 60);
  expectFix(result.fixes[1], utc(2023, 7, 1, 10, 30, 40), 53.5, 9.8);
}

TEST(GpxReader, ElementNamesInAnyCaseAndSingleQuotes) {
  const auto result = read(
      "<GPX><TRK><TRKSEG><TRKPT LAT='12.5' LON='-3.5'><TIME>2020-01-02T03:04:05Z</TIME></TRKPT>"
      "<TrkPt Lat=\"1.5\" Lon=\"2.5\"><Time>2020-01-02T03:04:06Z</Time></TrkPt></TRKSEG></TRK></GPX>");
  ASSERT_EQ(result.fixes.size(), 2u);
  expectFix(result.fixes[0], utc(2020, 1, 2, 3, 4, 5), 12.5, -3.5);
  EXPECT_EQ(result.fixes[1].lat, 1.5 * 60);
}

TEST(GpxReader, PointsWithoutPositionOrTimeAreNotFixes) {
  const auto result =
      read(gpx("<trkpt lat=\"35\"><time>2020-01-02T03:04:05Z</time></trkpt>\n"
               "<trkpt lat=\"35\" lon=\"139\"></trkpt>\n"
               "<trkpt lat=\"35\" lon=\"139\"><ns3:time>2020-01-02T03:04:05Z</ns3:time></trkpt>\n"
               "<trkpt plat=\"35\" lon=\"139\"><time>2020-01-02T03:04:05Z</time></trkpt>\n"
               "<trkpt lat=\"95\" lon=\"139\"><time>2020-01-02T03:04:05Z</time></trkpt>\n"
               "<trkpt lat=\"0\" lon=\"0\"><time>2020-01-02T03:04:05Z</time></trkpt>\n"
               "<trkpt lat=\"35\" lon=\"139\"><time>2020-01-02T03:04:07Z</time></trkpt>\n"));
  ASSERT_FALSE(result.error);
  ASSERT_EQ(result.fixes.size(), 1u);
  expectFix(result.fixes[0], utc(2020, 1, 2, 3, 4, 7), 35, 139);
}

TEST(GpxReader, APointWithoutClosingTagDoesNotSwallowTheNext) {
  const auto result =
      read(gpx("<trkpt lat=\"1\" lon=\"2\"/>\n"
               "<trkpt lat=\"3\" lon=\"4\"><time>2020-01-02T03:04:05Z</time></trkpt>\n"
               "<trkpt lat=\"5\" lon=\"6\"><time>2020-01-02T03:04:06Z</time>\n"
               "<trkpt lat=\"7\" lon=\"8\"><time>2020-01-02T03:04:07Z</time></trkpt>\n"));
  ASSERT_EQ(result.fixes.size(), 3u);
  EXPECT_EQ(result.fixes[0].lat, 3 * 60);
  EXPECT_EQ(result.fixes[1].lat, 5 * 60);
  EXPECT_EQ(result.fixes[2].lat, 7 * 60);
}

TEST(GpxReader, ATrackPointDirectlyAfterAShortTagIsFound) {
  const auto result =
      read("<gpx><b><trkpt lat=\"1\" lon=\"2\"><time>2020-01-02T03:04:05Z</time></trkpt></gpx>");
  EXPECT_EQ(result.fixes.size(), 1u);
}

TEST(GpxReader, ReadingStopsAtTheEndOfTheDocument) {
  const auto result = read(gpx("<trkpt lat=\"1\" lon=\"2\"><time>2020-01-02T03:04:05Z</time></trkpt>\n") +
                           "<trkpt lat=\"3\" lon=\"4\"><time>2020-01-02T03:04:06Z</time></trkpt>\n");
  EXPECT_EQ(result.fixes.size(), 1u);
}

TEST(GpxReader, MalformedNumberOrTimeIsAnErrorNamingFileLineAndText) {
  struct Case {
    const char* point;
    const char* text;
  };
  const Case cases[] = {
      {"<trkpt lat=\"35.x\" lon=\"139\"><time>2020-01-02T03:04:05Z</time></trkpt>", "35.x"},
      {"<trkpt lat=\"\" lon=\"139\"><time>2020-01-02T03:04:05Z</time></trkpt>", ""},
      {"<trkpt lat=\"35\" lon=\"nan\"><time>2020-01-02T03:04:05Z</time></trkpt>", "nan"},
      {"<trkpt lat=\"35\" lon=\"1e999\"><time>2020-01-02T03:04:05Z</time></trkpt>", "1e999"},
      {"<trkpt lat=35 lon=\"139\"><time>2020-01-02T03:04:05Z</time></trkpt>", "35 lon=\"139\""},
      {"<trkpt lat=\"35\" lon=\"139\"><time>2020-02-30T03:04:05Z</time></trkpt>", "2020-02-30T03:04:05Z"},
      {"<trkpt lat=\"35\" lon=\"139\"><time> soon </time></trkpt>", "soon"},
  };
  for (const Case& c : cases) {
    const auto result =
        read(gpx(QByteArray("<trkpt lat=\"1\" lon=\"2\"><time>2020-01-02T03:04:00Z</time></trkpt>\n") +
                 c.point + "\n<trkpt lat=\"1\" lon=\"2\"><time>2020-01-02T03:05:00Z</time></trkpt>\n"));
    ASSERT_TRUE(result.error) << c.point;
    EXPECT_EQ(result.error->file, QStringLiteral("boat.gpx"));
    EXPECT_EQ(result.error->line, 5) << c.point;
    EXPECT_EQ(result.error->text, QString::fromLatin1(c.text)) << c.point;
    EXPECT_EQ(result.fixes.size(), 1u) << c.point;
  }
}

TEST(GpxReader, EmptyAndTruncatedInputs) {
  EXPECT_TRUE(read("").fixes.empty());
  EXPECT_TRUE(read("<").fixes.empty());
  EXPECT_TRUE(read("<trkpt").fixes.empty());
  const QByteArray full = gpx("<trkpt lat=\"1\" lon=\"2\"><time>2020-01-02T03:04:05Z</time></trkpt>\n");
  for (qsizetype n = 0; n <= full.size(); ++n) {
    const auto result = read(full.left(n));
    EXPECT_LE(result.fixes.size(), 1u);
  }
}

}  // namespace
}  // namespace velaro
