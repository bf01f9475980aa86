#include "core/replay/replayclock.h"

#include "core/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace velaro {
namespace {

constexpr double kNotPassedTime = 10'000'000;

ClockRace race(double start = -190, double end = 3630) {
  ClockRace r;
  r.TimeAxisStart = start;
  r.TimeAxisEnd = end;
  r.RaceStart = toDateTime(QDate(2009, 7, 19), QTime(10, 0));
  r.StartSecondOfDay = 10 * 3600;
  r.SunriseSecond = 5 * 3600;
  r.SunsetSecond = 19 * 3600;
  r.PlaySpeed = 5;
  return r;
}

FrameTickInput oneRace() {
  FrameTickInput in;
  in.RaceFileCount = 1;
  in.CurrentRace = 1;
  in.raceFileExists = [](int) { return true; };
  return in;
}

// A clock stepping a quarter second per frame: speed 5 over the 20 frames a
// stalled second counts as.
ReplayClock quarterStepClock(const ClockRace& r) {
  ReplayClock clock;
  clock.startRace(r);
  clock.secondTick(1, {});
  EXPECT_DOUBLE_EQ(clock.SceneStep(), 0.25);
  return clock;
}

TEST(SpeedSlider, PositionsGiveSpeeds) {
  struct Case {
    int position;
    double speed;
  };
  const Case cases[] = {{0, 1},    {3, 1},    {4, 2},     {35, 9},   {36, 10},  {37, 10},
                        {38, 10},  {39, 10},  {40, 10},   {41, 10},  {42, 10},  {43, 10},
                        {44, 20},  {72, 90},  {79, 100},  {80, 100}, {83, 100}, {84, 200},
                        {99, 500}, {96, 500}, {100, 600}, {-4, 1},   {140, 600}};
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(speedForPosition(c.position), c.speed) << c.position;
  }
}

TEST(SpeedSlider, SpeedsGivePositionsThatGiveTheSpeedBack) {
  struct Case {
    double speed;
    int position;
  };
  const Case cases[] = {{5, 19},   {20, 44},   {200, 84}, {1, 3},  {10, 39},   {90, 72},
                        {100, 80}, {600, 100}, {0, 0},    {-3, 0}, {1000, 100}};
  for (const Case& c : cases) {
    EXPECT_EQ(SetSpeedPosition(c.speed), c.position) << c.speed;
  }
  std::set<double> speeds;
  for (int p = kSpeedPositionMin; p <= kSpeedPositionMax; ++p) {
    speeds.insert(speedForPosition(p));
  }
  for (double v : speeds) {
    EXPECT_DOUBLE_EQ(speedForPosition(SetSpeedPosition(v)), v) << v;
  }
  EXPECT_EQ(speeds.size(), 10u + 9u + 5u);
}

TEST(SpeedSlider, ReadOutAndClockSpeed) {
  ReplayClock clock;
  clock.startRace(race());
  EXPECT_EQ(clock.speedSliderMoved(44), QStringLiteral("20X"));
  EXPECT_DOUBLE_EQ(clock.ReplaySpeed(), 20);
  EXPECT_EQ(clock.speedSliderMoved(100), QStringLiteral("600X"));
  EXPECT_EQ(speedText(5), QStringLiteral("5X"));
}

TEST(ReplayClock, PlaySpeedOfTheRaceFileIsKeptWithinTheSlider) {
  struct Case {
    double playSpeed;
    double replaySpeed;
  };
  const Case cases[] = {{5, 5}, {7.5, 7.5}, {600, 600}, {0, 1}, {-20, 1}, {5000, 600}};
  for (const Case& c : cases) {
    ClockRace r = race();
    r.PlaySpeed = c.playSpeed;
    ReplayClock clock;
    clock.startRace(r);
    EXPECT_DOUBLE_EQ(clock.ReplaySpeed(), c.replaySpeed) << c.playSpeed;
  }
}

TEST(ReplayClock, StepFollowsTheFramesDrawnInASecond) {
  struct Case {
    int frames;
    double step;
  };
  // Fewer than five frames count as twenty.
  const Case cases[] = {{25, 0.2}, {20, 0.25}, {5, 1.0}, {4, 0.25}, {0, 0.25}, {1, 0.25}};
  for (const Case& c : cases) {
    ReplayClock clock;
    clock.startRace(race());
    EXPECT_DOUBLE_EQ(clock.SceneStep(), ReplayClock::kStepAfterLoad);
    for (int i = 0; i < c.frames; ++i) {
      EXPECT_TRUE(clock.frameTick(oneRace()).render);
    }
    const SecondOutcome out = clock.secondTick(1, {});
    EXPECT_TRUE(out.startFrameTimer);
    EXPECT_DOUBLE_EQ(out.sceneStep, c.step) << c.frames;
    EXPECT_EQ(clock.FrameCount(), 0);
  }
}

TEST(ReplayClock, ClockStandsStillOffTheTrackPage) {
  ReplayClock clock;
  clock.startRace(race());
  FrameTickInput in = oneRace();
  in.Page = 2;
  const FrameOutcome f = clock.frameTick(in);
  EXPECT_FALSE(f.ran);
  EXPECT_FALSE(f.render);
  EXPECT_DOUBLE_EQ(clock.SceneTime(), -190);
  EXPECT_EQ(clock.FrameCount(), 0);
  EXPECT_FALSE(clock.secondTick(2, {}).ran);
  EXPECT_DOUBLE_EQ(clock.SceneStep(), ReplayClock::kStepAfterLoad);
}

TEST(ReplayClock, BackwardsPastTheStartGoesToTheEnd) {
  // With two races and AutoNext on, the end reached by going backwards must
  // not count as running off the end.
  ReplayClock clock = quarterStepClock(race());
  clock.press(Transport::Backward);
  EXPECT_EQ(clock.PlayDirection(), -1);
  FrameTickInput in = oneRace();
  in.RaceFileCount = 2;
  FrameOutcome out = clock.frameTick(in);
  EXPECT_FALSE(out.loadRace);
  EXPECT_TRUE(out.render);
  EXPECT_EQ(out.CurrentRace, 1);
  EXPECT_DOUBLE_EQ(out.sceneTime, 3630);
  out = clock.frameTick(in);
  EXPECT_DOUBLE_EQ(out.sceneTime, 3629.75);
}

TEST(ReplayClock, ForwardsPastTheEnd) {
  struct Case {
    const char* name;
    int AutoNext;
    int RaceFileCount;
    int CurrentRace;
    std::set<int> existing;
    bool load;
    int nextRace;
  };
  const Case cases[] = {
      {"one race loops", 1, 1, 1, {1}, false, 1},
      {"AutoNext off loops", 0, 2, 1, {1, 2}, false, 1},
      {"two races: the next", 1, 2, 1, {1, 2}, true, 2},
      {"past the last: the first", 1, 3, 3, {1, 2, 3}, true, 1},
      {"race not in the catalogue: the first", 1, 3, 0, {1, 2, 3}, true, 1},
      {"missing next loops, moves on", 1, 3, 1, {1, 3}, false, 2},
  };
  for (const Case& c : cases) {
    ReplayClock clock = quarterStepClock(race());
    clock.setSceneTime(3629.9);
    FrameTickInput in;
    in.AutoNext = c.AutoNext;
    in.RaceFileCount = c.RaceFileCount;
    in.CurrentRace = c.CurrentRace;
    in.raceFileExists = [&c](int n) { return c.existing.count(n) > 0; };
    const FrameOutcome out = clock.frameTick(in);
    EXPECT_EQ(out.loadRace, c.load) << c.name;
    EXPECT_EQ(out.render, !c.load) << c.name;
    EXPECT_EQ(out.CurrentRace, c.nextRace) << c.name;
    EXPECT_DOUBLE_EQ(clock.SceneTime(), -190) << c.name;
  }
}

TEST(ReplayClock, MissingNextRaceIsSkippedOnTheNextPass) {
  ReplayClock clock = quarterStepClock(race());
  FrameTickInput in = oneRace();
  in.RaceFileCount = 3;
  in.raceFileExists = [](int n) { return n != 2; };
  clock.setSceneTime(3629.9);
  FrameOutcome out = clock.frameTick(in);
  ASSERT_FALSE(out.loadRace);
  ASSERT_EQ(out.CurrentRace, 2);
  in.CurrentRace = out.CurrentRace;
  clock.setSceneTime(3629.9);
  out = clock.frameTick(in);
  EXPECT_TRUE(out.loadRace);
  EXPECT_EQ(out.CurrentRace, 3);
}

TEST(ReplayClock, ResultBoardRevealsFinishersInBoatOrder) {
  ClockRace r = race(-190, 1000);
  // Boat 1 finishes at 700.4 (revealed at 700), boat 2 never, boat 3 at 650,
  // boat 4 at 650.2, boat 5 at 200 (inside the first 30 %).
  r.finishTimes = {700.4, kNotPassedTime, 650, 650.2, 200};
  r.finishBestTime = 200;
  ReplayClock clock = quarterStepClock(r);
  const FrameTickInput in = oneRace();

  clock.setSceneTime(290);
  FrameOutcome out = clock.frameTick(in);
  EXPECT_TRUE(out.revealedBoats.empty()) << "hidden in the first 30 % of the axis";
  EXPECT_FALSE(out.board.visible);

  clock.setSceneTime(299.9);
  out = clock.frameTick(in);
  EXPECT_EQ(out.revealedBoats, std::vector<int>{4});
  EXPECT_TRUE(out.playGun);
  EXPECT_EQ(out.board, (ResultBoard{true, 21}));

  clock.setSceneTime(649.9);
  out = clock.frameTick(in);
  EXPECT_EQ(out.revealedBoats, (std::vector<int>{2, 3}));
  EXPECT_EQ(out.board, (ResultBoard{true, 51}));

  clock.setSceneTime(699.5);
  out = clock.frameTick(in);
  EXPECT_TRUE(out.revealedBoats.empty());
  EXPECT_FALSE(out.playGun);
  clock.setSceneTime(699.8);
  out = clock.frameTick(in);
  EXPECT_EQ(out.revealedBoats, std::vector<int>{0});
  EXPECT_EQ(out.board.height, 4 * 15 + 6);

  clock.setSceneTime(999.9);
  clock.frameTick(in);  // the wrap to the start
  EXPECT_FALSE(clock.ResultShown(0));
  EXPECT_EQ(clock.ResultCount(), 0);
}

TEST(ReplayClock, RewindingBeforeTheFirstFinishLetsTheBoardFillAgain) {
  ClockRace r = race(-190, 1000);
  r.finishTimes = {500, 510};
  r.finishBestTime = 500;
  ReplayClock clock = quarterStepClock(r);
  const FrameTickInput in = oneRace();
  clock.setSceneTime(520);
  ASSERT_EQ(clock.frameTick(in).revealedBoats.size(), 2u);

  // Backwards through the finishes: past the first finish the board empties.
  clock.press(Transport::Backward);
  clock.setSceneTime(500.3);
  clock.frameTick(in);
  EXPECT_FALSE(clock.secondTick(1, {}).resultsCleared) << "the winner is still across the line";
  clock.setSceneTime(499.7);
  clock.frameTick(in);
  const SecondOutcome s = clock.secondTick(1, {});
  EXPECT_TRUE(s.resultsCleared);
  EXPECT_FALSE(s.board.visible);

  // Forwards again: each boat once more, and the board no taller than before.
  clock.press(Transport::Forward);
  clock.setSceneTime(520);
  const FrameOutcome out = clock.frameTick(in);
  EXPECT_EQ(out.revealedBoats.size(), 2u);
  EXPECT_EQ(out.board, (ResultBoard{true, 36}));
}

TEST(ReplayClock, GunOnceWhenCrossingTheStartForwards) {
  ReplayClock clock = quarterStepClock(race());
  const FrameTickInput in = oneRace();
  clock.setSceneTime(-0.6);
  EXPECT_FALSE(clock.frameTick(in).playGun);
  EXPECT_FALSE(clock.frameTick(in).playGun);
  EXPECT_TRUE(clock.frameTick(in).playGun);
  int guns = 0;
  for (int i = 0; i < 400; ++i) {
    guns += clock.frameTick(in).playGun ? 1 : 0;
  }
  EXPECT_EQ(guns, 0);
}

TEST(ReplayClock, NoGunWhenJumpingIntoTheFirstMinuteFromLater) {
  ReplayClock clock = quarterStepClock(race());
  const FrameTickInput in = oneRace();
  clock.setSceneTime(300);
  clock.frameTick(in);
  EXPECT_TRUE(clock.timeBarClick(20, 1, 1).ran);
  EXPECT_FALSE(clock.frameTick(in).playGun);
  // Backwards over the start is no start either.
  clock.press(Transport::Backward);
  clock.setSceneTime(0.1);
  clock.frameTick(in);
  EXPECT_FALSE(clock.frameTick(in).playGun);
}

TEST(ReplayClock, NoGunWhenWrappingBackwardsOntoAShortAxis) {
  ReplayClock clock = quarterStepClock(race(-190, 30));
  clock.press(Transport::Backward);
  const FrameOutcome out = clock.frameTick(oneRace());
  EXPECT_DOUBLE_EQ(out.sceneTime, 30);
  EXPECT_FALSE(out.playGun);
}

TEST(ReplayClock, StartSequenceFlagsAndBeepsAtTheSecondTick) {
  struct Case {
    double from;  // replay time at the previous second tick
    double now;
    bool beep;
    bool flagPanel;
    bool blueFlag;
  };
  const Case cases[] = {
      {-300, -295, false, true, false}, {-245, -240, true, true, true},     {-66, -61, false, true, true},
      {-65, -60, true, true, false},    {-62, -57, true, true, false},      {-58, -53, false, true, false},
      {-30.5, -30, true, true, false},  {-6, -1, true, true, false},        {-4, 0, false, true, false},
      {0, 5, false, false, false},      {-185, -180.25, false, true, true}, {-181, -180, true, true, true},
      {-178, -182, true, true, true},   {30, -70, true, true, true},        {-125, -119.75, true, true, true},
  };
  for (const Case& c : cases) {
    ReplayClock clock = quarterStepClock(race(-400, 3630));
    clock.setSceneTime(c.from);
    clock.secondTick(1, {});
    const double step = clock.SceneStep();
    const int frames = static_cast<int>(std::lround(std::fabs(c.now - c.from) / step));
    clock.press(c.now < c.from ? Transport::Backward : Transport::Forward);
    for (int i = 0; i < frames; ++i) {
      clock.frameTick(oneRace());
    }
    ASSERT_NEAR(clock.SceneTime(), c.now, 1e-9) << c.from;
    const SecondOutcome out = clock.secondTick(1, {});
    EXPECT_EQ(out.beep, c.beep) << c.from << " -> " << c.now;
    EXPECT_EQ(out.flagPanelVisible, c.flagPanel) << c.now;
    EXPECT_EQ(out.blueFlagVisible, c.blueFlag) << c.now;
  }
}

TEST(ReplayClock, JumpsDoNotCountAsMinutesPassed) {
  ReplayClock clock = quarterStepClock(race());
  clock.setSceneTime(-300);
  clock.secondTick(1, {});
  clock.setSceneTime(-100);
  EXPECT_FALSE(clock.secondTick(1, {}).beep);
  // The wrap from the end to the start is no crossing either.
  clock.setSceneTime(3629.9);
  clock.secondTick(1, {});
  clock.frameTick(oneRace());
  clock.frameTick(oneRace());
  EXPECT_FALSE(clock.secondTick(1, {}).beep);
}

TEST(Daylight, BrightnessRampsAboutSunriseAndSunset) {
  const double rise = 5 * 3600, set = 19 * 3600;
  struct Case {
    double timeOfDay;
    double brightness;
    bool night;
  };
  const Case cases[] = {
      {2 * 3600, 0, true},      {rise - 3600, 0, true},    {rise - 1800, 25, true}, {rise, 50, true},
      {rise + 1800, 75, false}, {rise + 3600, 100, false}, {12 * 3600, 100, false}, {set - 2400, 100, false},
      {set - 1200, 75, false},  {set, 50, true},           {set + 1200, 25, true},  {set + 2400, 0, true},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(daylightBrightness(c.timeOfDay, rise, set), c.brightness, 1e-9) << c.timeOfDay;
    EXPECT_EQ(isNightAt(c.timeOfDay, rise, set), c.night) << c.timeOfDay;
  }
  // Sunrise and sunset within the hour: the sunset ramp decides.
  EXPECT_NEAR(daylightBrightness(41000, 40000, 42000), 1000 * 50 / 2400.0 + 50, 1e-9);
}

TEST(Daylight, TimeOfDayWrapsByWholeDays) {
  EXPECT_DOUBLE_EQ(timeOfDayAt(60, -190), 86400 - 130);
  EXPECT_DOUBLE_EQ(timeOfDayAt(86000, 500.5), 100.5);
  EXPECT_DOUBLE_EQ(timeOfDayAt(36000, 60), 36060);
}

TEST(ReplayClock, SeaFollowsTheSunOnlyWhenAuto) {
  ClockRace r = race();
  r.StartSecondOfDay = 19 * 3600 - 1200;  // twenty minutes before sunset
  ReplayClock clock;
  clock.startRace(r);
  clock.setSceneTime(0);
  FrameTickInput in = oneRace();
  FrameOutcome out = clock.frameTick(in);
  ASSERT_TRUE(out.seaLight);
  EXPECT_EQ(out.seaLight->brightness, 75);
  EXPECT_EQ(out.seaLight->NightMode, 0);
  clock.setSceneTime(1800);
  out = clock.frameTick(in);
  EXPECT_EQ(out.seaLight->NightMode, 1);
  EXPECT_EQ(out.seaLight->brightness, 37);  // 600 s after sunset and the step: 37.49
  in.AutoBrightness = 0;
  EXPECT_FALSE(clock.frameTick(in).seaLight);
}

TEST(ReplayClock, ClockReadOutOnEachNewSecond) {
  ReplayClock clock = quarterStepClock(race());
  FrameTickInput in = oneRace();
  clock.setSceneTime(4.6);
  clock.frameTick(in);                          // 4.85, also 5 whole seconds
  EXPECT_FALSE(clock.frameTick(in).clockText);  // 5.1
  FrameOutcome out;
  for (int i = 0; i < 2 && !out.clockText; ++i) {
    out = clock.frameTick(in);
  }
  ASSERT_TRUE(out.clockText);
  EXPECT_EQ(*out.clockText, QStringLiteral("2009/07/19 10:00:06"));
  in.MouseOnTimeBar = true;
  for (int i = 0; i < 8; ++i) {
    EXPECT_FALSE(clock.frameTick(in).clockText);
  }
  EXPECT_EQ(clockTextAt(race().RaceStart, -190), QStringLiteral("2009/07/19 09:56:50"));
}

TEST(ReplayClock, TimeBarClick) {
  ClockRace r = race(-190, 1000);
  r.finishTimes = {500};
  r.finishBestTime = 500;
  ReplayClock clock = quarterStepClock(r);
  clock.setSceneTime(600);
  ASSERT_EQ(clock.frameTick(oneRace()).revealedBoats.size(), 1u);

  EXPECT_FALSE(clock.timeBarClick(100, 2, 1).ran) << "only on the Track page";
  EXPECT_DOUBLE_EQ(clock.SceneTime(), 600.25);

  JumpOutcome out = clock.timeBarClick(5000, 1, 1);
  EXPECT_DOUBLE_EQ(out.sceneTime, 1000);
  EXPECT_TRUE(out.renderLive);
  EXPECT_TRUE(out.resultsCleared);
  EXPECT_FALSE(out.board.visible);
  EXPECT_EQ(out.clockText, QStringLiteral("2009/07/19 10:16:40"));
  EXPECT_DOUBLE_EQ(out.sceneDateTime, r.RaceStart + 1000 / kSecondsPerDay);

  out = clock.timeBarClick(-500, 1, 0);
  EXPECT_DOUBLE_EQ(out.sceneTime, -190);
  EXPECT_TRUE(out.renderWholeRace);
  EXPECT_FALSE(out.renderLive);

  clock.setSceneTime(300);
  clock.rewindToStart();
  EXPECT_DOUBLE_EQ(clock.SceneTime(), -190);
}

TEST(ReplayClock, Transport) {
  ReplayClock clock;
  clock.startRace(race());
  EXPECT_EQ(clock.transport(), Transport::Forward);
  clock.press(Transport::Backward);
  clock.press(Transport::Stop);
  EXPECT_FALSE(clock.timersRunning());
  EXPECT_EQ(clock.PlayDirection(), -1) << "stop keeps the direction";
  clock.press(Transport::Forward);
  EXPECT_TRUE(clock.timersRunning());
  EXPECT_EQ(clock.PlayDirection(), 1);
  clock.press(Transport::Backward);
  clock.startRace(race());
  EXPECT_EQ(clock.PlayDirection(), 1);
  EXPECT_EQ(clock.transport(), Transport::Forward);
}

TEST(SpeedAverages, UpwindAndDownwindGroups) {
  const SpeedAverages a = averageSpeeds(
      {{true, 6, 45}, {true, 4, -89.9}, {true, 8, 90}, {true, 9, -170}, {false, 20, 10}, {true, 0, 30}});
  EXPECT_DOUBLE_EQ(a.AvgSpeedUp, 5);
  EXPECT_DOUBLE_EQ(a.AvgSpeedDown, 8.5);
  const SpeedAverages none = averageSpeeds({{true, 7, 120}});
  EXPECT_DOUBLE_EQ(none.AvgSpeedUp, kNoAverageSpeed);
  EXPECT_DOUBLE_EQ(none.AvgSpeedDown, 7);
}

}  // namespace
}  // namespace velaro
