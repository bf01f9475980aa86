#include "core/datetime.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(DateTime, DayCountStartsAt18991230) {
  EXPECT_DOUBLE_EQ(toDateTime(QDate(1899, 12, 30)), 0.0);
  EXPECT_DOUBLE_EQ(toDateTime(QDate(1900, 1, 1)), 2.0);
  EXPECT_DOUBLE_EQ(toDateTime(QDate(2009, 7, 19), QTime(12, 0)), 40013.5);
  EXPECT_EQ(formatDateTime(40013.5), QStringLiteral("2009/07/19 12:00:00"));
}

TEST(DateTime, TextToDateTimeAcceptsDateAndTimeInEitherOrder) {
  const double expected = toDateTime(QDate(2009, 7, 19), QTime(10, 30, 5));
  ASSERT_TRUE(TextToDateTime(QStringLiteral("2009/07/19 10:30:05")));
  EXPECT_DOUBLE_EQ(*TextToDateTime(QStringLiteral("2009/07/19 10:30:05")), expected);
  EXPECT_DOUBLE_EQ(*TextToDateTime(QStringLiteral("10:30:05 2009/7/19")), expected);
  EXPECT_DOUBLE_EQ(*TextToDateTime(QStringLiteral("  2009/7/19   10:30:05 ")), expected);
  EXPECT_DOUBLE_EQ(*TextToDateTime(QStringLiteral("2009/07/19")), toDateTime(QDate(2009, 7, 19)));
  EXPECT_DOUBLE_EQ(*TextToDateTime(QStringLiteral("12:00:00")), 0.5);
  EXPECT_DOUBLE_EQ(*TextToDateTime(QStringLiteral("2009-07-19 10:30:05")), expected);
}

TEST(DateTime, TextToDateTimeRejectsWhatDoesNotConvert) {
  for (const char* text : {"", "abc", "2009/13/01", "2009/02/30", "25:00:00", "10:61:00", "2009/07/19 x",
                           "10:00:00 11:00:00", "2009/07/19 2009/07/20", "1/2", "10:00:00 2009/07/19 z"}) {
    EXPECT_FALSE(TextToDateTime(QString::fromLatin1(text))) << text;
  }
}

TEST(DateTime, SecondsBetweenIsSignedAndRoundsHalfUp) {
  const double a = toDateTime(QDate(2009, 7, 19), QTime(10, 0));
  EXPECT_EQ(SecondsBetween(a, a + 90 / kSecondsPerDay), 90);
  EXPECT_EQ(SecondsBetween(a + 90 / kSecondsPerDay, a), -90);
  EXPECT_EQ(SecondsBetween(a, a + 10.5 / kSecondsPerDay), 11);
  EXPECT_EQ(SecondsBetween(a, a + 10.4 / kSecondsPerDay), 10);
  EXPECT_EQ(SecondsBetween(a, a), 0);
}

TEST(DateTime, SecondsBetweenOverflowGivesSentinel) {
  // 2^31 seconds is about 24855 days; 30000 days cannot be held in 32 bits.
  EXPECT_EQ(SecondsBetween(0, 30000), kSecondsOverflow);
  EXPECT_EQ(SecondsBetween(30000, 0), kSecondsOverflow);
  EXPECT_EQ(SecondsBetween(0, 24855), 24855 * 86400);
}

TEST(Rounding, HalvesGoToEvenAndIntTruncates) {
  EXPECT_EQ(roundToInt(0.5), 0);
  EXPECT_EQ(roundToInt(1.5), 2);
  EXPECT_EQ(roundToInt(2.5), 2);
  EXPECT_EQ(roundToInt(-0.5), 0);
  EXPECT_EQ(roundToInt(-1.5), -2);
  EXPECT_EQ(roundToInt(2.51), 3);
  EXPECT_EQ(truncToInt(2.9), 2);
  EXPECT_EQ(truncToInt(-2.9), -2);
}

}  // namespace
}  // namespace velaro
