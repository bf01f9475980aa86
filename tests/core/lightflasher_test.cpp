// Navigation lights flashing with the one-second light timer.
#include "core/replay/lightflasher.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

Light light(int period, int onTime, const QString& code) {
  Light l;
  l.period = period;
  l.onTime = onTime;
  l.colours = code;
  return l;
}

// Light 1 is at phase p at tick 10k + p - 1: tick 9 is its phase 0.
TEST(LightFlasher, TwoColourLightOverOnePeriod) {
  const Light l = light(10, 3, QStringLiteral("RG"));
  const int lit[10] = {0, 1, 2, 3, 0, 1, 0, 0, 0, 0};
  for (int phase = 0; phase < 10; ++phase) {
    const LightFlash f = lightStateAt(l, 1, 9 + phase);
    EXPECT_EQ(f.LightLit, lit[phase]) << phase;
    if (f.LightLit > 0) {
      EXPECT_EQ(f.LightColour, phase == 5 ? kLightGreen : kLightRed) << phase;
    }
  }
  // Lights of equal period are staggered by their number.
  EXPECT_EQ(lightStateAt(l, 2, 9).LightLit, 1);
  EXPECT_EQ(lightStateAt(l, 3, 9).LightLit, 2);
  const std::vector<LightFlash> all = flashLights({l, l, l}, 9);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[2].LightLit, 2);
}

TEST(LightFlasher, SecondColourHoldsUntilTheNextPeriodAndOnlyAfterItsFlash) {
  const Light l = light(4, 3, QStringLiteral("GR"));
  // Light 1 at tick 4k + 3 is at phase 0; phases 2 and 3 after the red flash.
  EXPECT_EQ(lightStateAt(l, 1, 4).LightColour, kLightGreen);
  EXPECT_EQ(lightStateAt(l, 1, 5).LightColour, kLightRed);
  EXPECT_EQ(lightStateAt(l, 1, 6).LightLit, 3);
  EXPECT_EQ(lightStateAt(l, 1, 6).LightColour, kLightRed);
  // At tick 1 light 2 is at phase 3, but the timer never passed its phase 2.
  EXPECT_EQ(lightStateAt(l, 2, 1).LightColour, kLightGreen);
  // Other letters: white first, the first colour kept by an unknown second
  // letter, no half-period flash in an odd period.
  EXPECT_EQ(lightStateAt(light(4, 1, QStringLiteral("W")), 1, 4).LightColour, kLightWhite);
  EXPECT_EQ(lightStateAt(light(4, 1, QString()), 1, 4).LightColour, kLightWhite);
  EXPECT_EQ(lightStateAt(light(4, 0, QStringLiteral("GW")), 1, 5).LightLit, 1);
  EXPECT_EQ(lightStateAt(light(4, 0, QStringLiteral("GW")), 1, 5).LightColour, kLightGreen);
  for (qint64 tick = 1; tick <= 5; ++tick) {
    EXPECT_EQ(lightStateAt(light(5, 0, QStringLiteral("RG")), 1, tick).LightLit, 0) << tick;
  }
}

TEST(LightFlasher, OddPeriodsAndOnTimesNeitherFailNorStayLit) {
  struct Case {
    int period;
    int onTime;
    int litTicksPer60;
  };
  const Case cases[] = {
      {0, 3, 0},    // no period: never lit
      {-4, 3, 0},   // nor a negative one
      {1, 5, 0},    // every tick is phase 0, which is dark
      {1, -2, 0},   // a negative on-time counts as none
      {6, 9, 50},   // on longer than the period: dark once a period
      {6, 0, 0},    // no on-time and one colour: never lit
      {60, 60, 59}  // lit all but the tick of phase 0
  };
  for (const Case& c : cases) {
    int lit = 0;
    for (qint64 tick = 1; tick <= 60; ++tick) {
      lit += lightStateAt(light(c.period, c.onTime, QStringLiteral("R")), 1, tick).LightLit > 0 ? 1 : 0;
    }
    EXPECT_EQ(lit, c.litTicksPer60) << c.period << ' ' << c.onTime;
  }
  // Before the first tick every light is dark; far ticks still stagger.
  EXPECT_EQ(lightStateAt(light(10, 3, QStringLiteral("R")), 2, 0).LightLit, 0);
  EXPECT_EQ(lightPeriodPhase(Q_INT64_C(9000000000), 7, 10), 7);
}

TEST(LightFlasher, PhaseGrowsFiftyMillisecondsAFrameUpToOneSecond) {
  double phase = 0;
  for (int frame = 0; frame < 10; ++frame) {
    phase = advanceLightPhase(phase, 50);
  }
  EXPECT_NEAR(phase, 0.5, 1e-12);
  for (int frame = 0; frame < 30; ++frame) {
    phase = advanceLightPhase(phase, 50);
  }
  EXPECT_DOUBLE_EQ(phase, 1.0);
}

}  // namespace
}  // namespace velaro
