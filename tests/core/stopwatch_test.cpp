// The stopwatch over the map: its button cycle and read-out.
#include "core/replay/stopwatch.h"

#include <gtest/gtest.h>

#include <limits>

namespace velaro {
namespace {

TEST(Stopwatch, ThreeClicksReturnToTheStartAndTheNextRunMeasuresAfresh) {
  Stopwatch w;
  EXPECT_EQ(w.caption(), QStringLiteral("TIMER/ON"));
  EXPECT_FALSE(w.readoutVisible());

  w.click(100);
  EXPECT_EQ(w.caption(), QStringLiteral("STOP"));
  EXPECT_TRUE(w.readoutVisible());
  EXPECT_EQ(w.readout(), QStringLiteral("00:00:00"));
  w.frame(3825.9);
  EXPECT_EQ(w.readout(), QStringLiteral("01:02:05"));

  w.click(3826);
  EXPECT_EQ(w.caption(), QStringLiteral("TIMER/OFF"));
  w.frame(5000);  // frozen: the read-out keeps its value
  EXPECT_TRUE(w.readoutVisible());
  EXPECT_EQ(w.readout(), QStringLiteral("01:02:05"));

  w.click(5000);
  EXPECT_EQ(w.caption(), QStringLiteral("TIMER/ON"));
  EXPECT_FALSE(w.readoutVisible());

  w.click(-30);
  EXPECT_DOUBLE_EQ(w.StopwatchBase(), -30);
  w.frame(15);
  EXPECT_EQ(w.readout(), QStringLiteral("00:00:45"));
  // Played backwards past its start the watch counts below zero.
  w.frame(-95);
  EXPECT_EQ(w.readout(), QStringLiteral("-00:01:05"));
}

TEST(Stopwatch, ReadOutBeyondADayAndAtItsEdges) {
  EXPECT_EQ(stopwatchText(0.999), QStringLiteral("00:00:00"));
  EXPECT_EQ(stopwatchText(-0.5), QStringLiteral("00:00:00"));
  EXPECT_EQ(stopwatchText(90061), QStringLiteral("25:01:01"));
  EXPECT_EQ(stopwatchText(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("--:--:--"));
}

}  // namespace
}  // namespace velaro
