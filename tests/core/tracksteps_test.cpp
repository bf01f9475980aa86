#include "core/datetime.h"
#include "core/readers/trackreader.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

// Date-time values of 2009-07-19 01:30 and 03:00 (day 40013).
constexpr double kStartUtc = 40013 + 1.5 / 24;
constexpr double kFinishUtc = 40013 + 3.0 / 24;

double at(double base, int seconds) {
  return base + seconds / kSecondsPerDay;
}

TrackWindow window(int offset = 0) {
  return {kStartUtc, kFinishUtc, 180, offset};
}

TEST(TrackSteps, StoreFixKeepsTheWindowFromPreStartPlusAMinuteToHalfAMinuteAfterTheFinish) {
  struct Case {
    double time;
    bool kept;
  };
  const Case cases[] = {
      {at(kStartUtc, -240), false},  // exactly PreStartSeconds + 60 before the start
      {at(kStartUtc, -239), true},  {at(kStartUtc, 0), true},      {at(kFinishUtc, 29), true},
      {at(kFinishUtc, 30), false},  {at(kFinishUtc, 3600), false}, {at(kStartUtc, -86400 * 400), false},
  };
  for (const Case& c : cases) {
    const auto fix = StoreFix({c.time, 2112.345, 8300.5}, window());
    EXPECT_EQ(fix.has_value(), c.kept) << SecondsBetween(kStartUtc, c.time);
    if (fix) {
      EXPECT_EQ(fix->time, SecondsBetween(kStartUtc, c.time));
      EXPECT_EQ(fix->lat, 2112.345);
      EXPECT_EQ(fix->lon, 8300.5);
    }
  }
}

TEST(TrackSteps, StoreFixAddsTheBoatOffsetToTheStartSideOnly) {
  // With +60 s the fix 290 s before the start counts as 230 s before it.
  const auto early = StoreFix({at(kStartUtc, -290), 0, 0}, window(60));
  ASSERT_TRUE(early);
  EXPECT_EQ(early->time, -230);
  EXPECT_FALSE(StoreFix({at(kStartUtc, -300), 0, 0}, window(60)));
  // The finish bound does not move with the offset.
  EXPECT_TRUE(StoreFix({at(kFinishUtc, 29), 0, 0}, window(-3600)));
  EXPECT_FALSE(StoreFix({at(kFinishUtc, 30), 0, 0}, window(-3600)));
}

TEST(TrackSteps, StoreFixRejectsTimesTooFarToCountInSeconds) {
  // 100 years before the start: the second count overflows, and no offset
  // brings such a fix into the window.
  EXPECT_FALSE(StoreFix({at(kStartUtc, 0) - 36500, 0, 0}, window(2000000000)));
  EXPECT_FALSE(StoreFix({std::nan(""), 0, 0}, window()));
}

TEST(TrackSteps, NormaliseDateRewritesDashedDatesAndReplacesFarOnes) {
  const double raceDate = toDateTime(QDate(2009, 7, 19));
  struct Case {
    const char* text;
    std::optional<double> raceDate;
    const char* expected;
  };
  const Case cases[] = {
      {"2009-07-19", raceDate, "2009/07/19"},
      {"2009/07/19", raceDate, "2009/07/19"},  // no dash: unchanged, even when far
      {"2008-07-19", raceDate, "2000/1/1"},    // 365 days before
      {"2008-07-20", raceDate, "2008/07/20"},  // 364 days before
      {"2010-07-19", raceDate, "2000/1/1"},
      {"2010-07-18", raceDate, "2010/07/18"},
      {"2008-07-19", std::nullopt, "2008/07/19"},
      {"19-JUL-09", raceDate, "09/7/19"},  // day, month name, two-digit year
      {"25-may-02", std::nullopt, "02/5/25"},
      {"25-MAY-02", raceDate, "2000/1/1"},
      {"x-y-z", raceDate, "x/y/z"},  // left for the conversion to refuse
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormaliseDate(QString::fromLatin1(c.text), c.raceDate), QString::fromLatin1(c.expected))
        << c.text;
  }
}

TEST(TrackSteps, FixDateTimeJoinsTimeAndNormalisedDate) {
  EXPECT_EQ(fixDateTime(QStringLiteral("17:06:21"), QStringLiteral("25-MAY-02"), std::nullopt),
            toDateTime(QDate(2002, 5, 25), QTime(17, 6, 21)));
  EXPECT_EQ(fixDateTime(QStringLiteral("10:30:00"), QStringLiteral("2009-07-19"), std::nullopt),
            toDateTime(QDate(2009, 7, 19), QTime(10, 30)));
  EXPECT_FALSE(fixDateTime(QStringLiteral("10:30:00"), QStringLiteral("2009-13-19"), std::nullopt));
  EXPECT_FALSE(fixDateTime(QStringLiteral("25:30:00"), QStringLiteral("2009-07-19"), std::nullopt));
}

TEST(TrackSteps, ParseCoordinateReadsTheThreeNotationsAndHemispheres) {
  using N = CoordinateNotation;
  struct Case {
    const char* text;
    N notation;
    std::optional<double> minutes;
  };
  const Case cases[] = {
      {"N3512.345", N::DegreesMinutes, 35 * 60 + 12.345},
      {"S3512.345", N::DegreesMinutes, -(35 * 60 + 12.345)},
      {"E13945.5", N::DegreesMinutes, 139 * 60 + 45.5},
      {"W09136.621", N::DegreesMinutes, -(91 * 60 + 36.621)},
      {"N5.5", N::DegreesMinutes, 5.5},  // no degrees written
      {"N3512", N::DegreesMinutes, std::nullopt},
      {"Nabc.5", N::DegreesMinutes, std::nullopt},
      {"N35.2", N::DecimalDegrees, 35.2 * 60},
      {"S35", N::DecimalDegrees, -35.0 * 60},
      {"W139.75", N::DecimalDegrees, -139.75 * 60},
      {"N351230.6", N::DegreesMinutesSeconds, 35 * 60 + 12 + 30.6 / 60},
      {"E1394515.0", N::DegreesMinutesSeconds, 139 * 60 + 45 + 15.0 / 60},
      {"S001230.0", N::DegreesMinutesSeconds, -(12 + 30.0 / 60)},
      {"N351230", N::DegreesMinutesSeconds, std::nullopt},
      {"N", N::DegreesMinutes, std::nullopt},
      {"", N::DecimalDegrees, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto value = ParseCoordinate(QString::fromLatin1(c.text), c.notation);
    ASSERT_EQ(value.has_value(), c.minutes.has_value()) << c.text;
    if (value) {
      EXPECT_NEAR(*value, *c.minutes, 1e-9) << c.text;
    }
  }
}

std::vector<Fix> fixesEvery(int count, double seconds) {
  std::vector<Fix> fixes(count);
  for (int i = 0; i < count; ++i) {
    fixes[i].time = i * seconds;
  }
  return fixes;
}

TEST(TrackSteps, LogIntervalIsComputedOnlyAboveTheThreshold) {
  EXPECT_EQ(logIntervalFor(fixesEvery(100, 2), kTextLogIntervalThreshold), 30);
  EXPECT_EQ(logIntervalFor(fixesEvery(101, 2), kTextLogIntervalThreshold), 2);
  EXPECT_EQ(logIntervalFor(fixesEvery(50, 5), kBinaryLogIntervalThreshold), 30);
  EXPECT_EQ(logIntervalFor(fixesEvery(51, 5), kBinaryLogIntervalThreshold), 5);
  EXPECT_EQ(logIntervalFor({}, kBinaryLogIntervalThreshold), 30);
}

TEST(TrackSteps, LogIntervalSpansFixFiveToFixNMinusFiveAndRoundsHalfToEven) {
  // 61 fixes: fix 5 at 0 s, fix 56 at 127.5 s: 127.5 / 51 = 2.5 -> 2.
  std::vector<Fix> fixes(61);
  for (int i = 0; i < 61; ++i) {
    fixes[i].time = i < 4 ? -1000 : (i > 55 ? 5000 : (i - 4) * 2.5);
  }
  EXPECT_EQ(logIntervalFor(fixes, kBinaryLogIntervalThreshold), 2);
  fixes[55].time = 51 * 3.5;  // 3.5 -> 4
  EXPECT_EQ(logIntervalFor(fixes, kBinaryLogIntervalThreshold), 4);
}

TEST(TrackSteps, FormatByLastThreeCharactersAnyCase) {
  EXPECT_EQ(trackFormatFor(QStringLiteral("a.gpx")), TrackFormat::Gpx);
  EXPECT_EQ(trackFormatFor(QStringLiteral("A.GPX")), TrackFormat::Gpx);
  EXPECT_EQ(trackFormatFor(QStringLiteral("boat7.Gdb")), TrackFormat::Gdb);
  EXPECT_EQ(trackFormatFor(QStringLiteral("x.mps")), TrackFormat::Mps);
  EXPECT_EQ(trackFormatFor(QStringLiteral("x.trl")), TrackFormat::Trl);
  EXPECT_EQ(trackFormatFor(QStringLiteral("x.dtr")), TrackFormat::Dtr);
  EXPECT_EQ(trackFormatFor(QStringLiteral("x.TRK")), TrackFormat::Dtr);
  EXPECT_EQ(trackFormatFor(QStringLiteral("xgpx")), TrackFormat::Gpx);
  EXPECT_EQ(trackFormatFor(QStringLiteral("x.kml")), TrackFormat::Unknown);
  EXPECT_EQ(trackFormatFor(QStringLiteral("px")), TrackFormat::Unknown);
  EXPECT_TRUE(readTrackBytes("anything", TrackFormat::Unknown, {}).fixes.empty());
  EXPECT_EQ(logIntervalThreshold(TrackFormat::Gpx), 100);
  EXPECT_EQ(logIntervalThreshold(TrackFormat::Dtr), 100);
  EXPECT_EQ(logIntervalThreshold(TrackFormat::Trl), 50);
}

TEST(TrackSteps, PlausiblePositionsAreOnTheGlobeAndNotTheNullOrigin) {
  EXPECT_TRUE(isPlausiblePosition(35.2, 139.7));
  EXPECT_TRUE(isPlausiblePosition(-90, -180));
  EXPECT_TRUE(isPlausiblePosition(90, 180));
  EXPECT_TRUE(isPlausiblePosition(0, 0.001));
  EXPECT_FALSE(isPlausiblePosition(90.001, 0));
  EXPECT_FALSE(isPlausiblePosition(0, -180.001));
  EXPECT_FALSE(isPlausiblePosition(0, 0));
  EXPECT_FALSE(isPlausiblePosition(7e-44, 0));
  EXPECT_FALSE(isPlausiblePosition(std::nan(""), 0));
  EXPECT_FALSE(isPlausiblePosition(10, INFINITY));
}

}  // namespace
}  // namespace velaro
