// The scene state at a replay time: wind, fix pairs and gaps, the course turn,
// focus, framing and boat size.
#include "core/loadedrace.h"
#include "core/scene/scenestate.h"

#include <gtest/gtest.h>

#include <random>

namespace velaro {
namespace {

constexpr double kLat = 2100;  // 35 N
constexpr double kLon = 8340;  // 139 E

Fix fix(double time, double lat, double lon, double course = 0, double speed = 5) {
  return {time, lat, lon, speed, course};
}

// A boat sailing north at 0.001' a second from t0 with a fix every step
// seconds.
Boat sailingBoat(double t0, double t1, double step, double lonOffset = 0) {
  Boat boat;
  boat.BoatName = QStringLiteral("B");
  boat.LogInterval = static_cast<int>(step);
  for (double t = t0; t <= t1; t += step) {
    boat.fixes.push_back(fix(t, kLat + (t - t0) * 0.001, kLon + lonOffset, 0, 3.6));
  }
  return boat;
}

LoadedRace raceOf(std::vector<Boat> boats, QSize mapArea = {800, 600}) {
  LoadedRace loaded;
  Race& race = loaded.race;
  race.TimeAxisStart = -190;
  race.TimeAxisEnd = 4000;
  race.WindDirection = 10;
  race.BoatLength = 8;
  race.boats = std::move(boats);
  loaded.geometry = SetsMap(race, mapArea);
  loaded.colours = AssignColours(race.BoatCount());
  loaded.outline = boatOutlineFor(race.BoatLength);
  return loaded;
}

TEST(SceneWind, InterpolatesThroughNorthAndHoldsEndSamplesOutsideTheLog) {
  Race race;
  race.TimeAxisStart = -100;
  race.TimeAxisEnd = 900;
  race.wind = {{0, 4, 350}, {100, 8, 10}};
  struct Case {
    double t;
    int DataDir;
    double Speed;
    bool barMoves;
  };
  const Case cases[] = {{-50, 350, 4, false}, {0, 350, 4, false},  {25, 355, 5, true}, {50, 360, 6, true},
                        {75, 5, 7, true},     {100, 10, 8, false}, {500, 10, 8, false}};
  for (const Case& c : cases) {
    int cursor = 0;
    const WindAtResult w = WindAt(race, c.t, cursor);
    EXPECT_EQ(w.wind.DataDir, c.DataDir) << c.t;
    EXPECT_DOUBLE_EQ(w.wind.Speed, c.Speed) << c.t;
    EXPECT_EQ(w.wind.TrueDir, c.DataDir) << c.t;
    EXPECT_EQ(w.barTop.has_value(), c.barMoves) << c.t;
  }
  int cursor = 0;
  // A quarter of the axis up the 90-pixel bar from 95.
  EXPECT_EQ(WindAt(race, 25, cursor).barTop, 95 - 11);
}

TEST(SceneWind, TrueDirectionAddsTheRoundedVariationAndWraps) {
  Race race;
  race.MagVariation = -7.6;  // rounds to -8
  race.wind = {{0, 4, 5}, {100, 4, 5}};
  int cursor = 0;
  EXPECT_EQ(WindAt(race, 50, cursor).wind.TrueDir, 357);
  race.MagVariation = 7.6;
  race.wind = {{0, 4, 355}, {100, 4, 355}};
  EXPECT_EQ(WindAt(race, 50, cursor).wind.TrueDir, 3);
}

TEST(SceneWind, NoSamplesUseTheRaceFileDirectionAndFiveKnots) {
  Race race;
  race.WindDirection = 220;
  int cursor = 0;
  const WindAtResult w = WindAt(race, 10, cursor);
  EXPECT_EQ(w.wind.DataDir, 220);
  EXPECT_DOUBLE_EQ(w.wind.Speed, 5.0);
  EXPECT_FALSE(w.barTop);
}

TEST(SceneWind, CursorRemembersThePairAndAStaleCursorStillFindsIt) {
  Race race;
  for (int k = 0; k < 10; ++k) {
    race.wind.push_back({k * 100.0, 5, k * 10});
  }
  int cursor = 57;  // from a longer log of another race
  EXPECT_EQ(WindAt(race, 650, cursor).wind.DataDir, 65);
  EXPECT_EQ(cursor, 6);
  EXPECT_EQ(WindAt(race, 150, cursor).wind.DataDir, 15);
  EXPECT_EQ(cursor, 1);
}

TEST(SceneWind, MarkerSitsOnTheCompassRimTurnedWithTheMap) {
  // East wind, north up: right-hand rim, 46 pixels from the middle.
  EXPECT_EQ(windMarkerTopLeft(90, {1, 0}), QPoint(92, 46));
  // Wind up with the same wind: the marker goes to the top.
  EXPECT_EQ(windMarkerTopLeft(90, {0, 90}), QPoint(46, 0));
}

TEST(SceneSegments, GapOfMoreThanSixHundredSecondsHidesTheBoat) {
  struct Case {
    double gap;
    bool activeInGap;
  };
  for (const Case c : {Case{601, false}, Case{600, true}}) {
    Boat boat;
    boat.fixes = {fix(0, kLat, kLon), fix(10, kLat, kLon), fix(10 + c.gap, kLat + 1, kLon),
                  fix(20 + c.gap, kLat + 1, kLon)};
    LoadedRace loaded = raceOf({boat});
    SceneCursor cursor;
    SceneOptions options;
    EXPECT_TRUE(computeScene(loaded, options, 5, cursor).boats[0].BoatActive);
    const SceneState inGap = computeScene(loaded, options, 300, cursor);
    EXPECT_EQ(inGap.boats[0].BoatActive, c.activeInGap) << c.gap;
    EXPECT_EQ(inGap.boats[0].BoatSegment, 1);
    const SceneState after = computeScene(loaded, options, 10 + c.gap, cursor);
    EXPECT_TRUE(after.boats[0].BoatActive) << c.gap;
    EXPECT_DOUBLE_EQ(after.boats[0].BoatLat, kLat + 1);
  }
}

TEST(SceneSegments, NoPairBeforeTheFirstFixOrAtTheLast) {
  LoadedRace loaded = raceOf({sailingBoat(0, 100, 10)});
  SceneCursor cursor;
  SceneOptions options;
  EXPECT_FALSE(computeScene(loaded, options, -1, cursor).boats[0].BoatActive);
  EXPECT_FALSE(computeScene(loaded, options, 100, cursor).boats[0].BoatActive);
  EXPECT_EQ(cursor.BoatSegment[0], 0);  // kept from no search at all
  EXPECT_TRUE(computeScene(loaded, options, 99.9, cursor).boats[0].BoatActive);
  EXPECT_EQ(cursor.BoatSegment[0], 9);
}

// Bisection, the next-pair shortcut and the cyclic scan must agree with the
// plain rule: the first pair holding t, counting round from the cursor.
TEST(SceneSegments, SearchAgreesWithTheCyclicRule) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    Boat boat;
    const bool ordered = round % 2 == 0;
    double t = 0;
    const int n = 2 + static_cast<int>(rng() % 30);
    for (int k = 0; k < n; ++k) {
      t += ordered ? static_cast<double>(rng() % 3) : static_cast<double>(rng() % 7) - 2.0;
      boat.fixes.push_back(fix(t, 0, 0));
    }
    const int pairs = n - 1;
    for (int q = 0; q < 20; ++q) {
      const double at = static_cast<double>(rng() % 40) / 2.0 - 4;
      const int start = static_cast<int>(rng() % (pairs + 3)) - 1;
      std::optional<int> expected;
      const int from = (start < 0 || start >= pairs) ? 0 : start;
      for (int k = 0; k < pairs && !expected; ++k) {
        const int j = (from + k) % pairs;
        if (boat.fixes[j].time <= at && at < boat.fixes[j + 1].time) {
          expected = j;
        }
      }
      EXPECT_EQ(FindBoatSegment(boat, at, start, ordered), expected) << round << " " << at << " " << start;
    }
  }
}

// A cursor carried over from another race may take a track for one in time
// order; a pair that holds the time is still found.
TEST(SceneSegments, TrackTakenForOrderedStillFindsItsPair) {
  Boat boat;
  boat.fixes = {fix(0, 0, 0), fix(50, 0, 0), fix(10, 0, 0), fix(20, 0, 0), fix(30, 0, 0), fix(100, 0, 0)};
  const std::optional<int> j = FindBoatSegment(boat, 15, 4, true);
  ASSERT_TRUE(j);
  EXPECT_LE(boat.fixes[*j].time, 15);
  EXPECT_GT(boat.fixes[*j + 1].time, 15);
  SceneCursor cursor;
  EXPECT_FALSE(cursor.timesInOrder(0, boat));
  // The next race's boat 1 is examined afresh.
  Boat next;
  next.fixes = {fix(0, 0, 0), fix(10, 0, 0), fix(20, 0, 0), fix(30, 0, 0), fix(50, 0, 0), fix(100, 0, 0)};
  EXPECT_TRUE(cursor.timesInOrder(0, next));
}

TEST(SceneBoats, PositionIsInterpolatedAndSitsOnTheFixAtItsTime) {
  Boat boat;
  boat.fixes = {fix(0, kLat, kLon, 0), fix(10, kLat + 1, kLon + 2, 90), fix(20, kLat + 1, kLon + 3, 90)};
  LoadedRace loaded = raceOf({boat});
  SceneCursor cursor;
  SceneOptions options;
  const BoatScene mid = computeScene(loaded, options, 2.5, cursor).boats[0];
  EXPECT_DOUBLE_EQ(mid.BoatLat, kLat + 0.25);
  EXPECT_DOUBLE_EQ(mid.BoatLon, kLon + 0.5);
  const BoatScene on = computeScene(loaded, options, 10, cursor).boats[0];
  EXPECT_DOUBLE_EQ(on.BoatLat, kLat + 1);
  EXPECT_DOUBLE_EQ(on.BoatLon, kLon + 2);
  EXPECT_DOUBLE_EQ(on.BoatSpeed, 5);
}

TEST(SceneBoats, CourseTurnsWithinTheFirstSecondAfterAFix) {
  Boat boat;
  boat.fixes = {fix(0, kLat, kLon, 340), fix(10, kLat, kLon, 350), fix(20, kLat, kLon, 10),
                fix(30, kLat, kLon, 10)};
  struct Case {
    double t;
    double course;
  };
  // The first pair has no previous course to turn from.
  const Case cases[] = {{0, 340},  {0.5, 340},   {10, 340}, {10.5, 345}, {11, 350},
                        {20, 350}, {20.25, 355}, {20.5, 0}, {20.75, 5},  {21, 10}};
  for (const Case& c : cases) {
    const int j = *FindBoatSegment(boat, c.t, 0, true);
    EXPECT_DOUBLE_EQ(BoatCourseAt(boat, j, c.t), c.course) << c.t;
  }
}

TEST(SceneBoats, WindAngleIsSignedAndFolded) {
  Boat boat;
  boat.fixes = {fix(0, kLat, kLon, 300), fix(10, kLat, kLon, 300)};
  LoadedRace loaded = raceOf({boat});
  loaded.race.WindDirection = 10;
  SceneCursor cursor;
  SceneOptions options;
  // Wind 10, course 300: 70 degrees off, from starboard.
  EXPECT_DOUBLE_EQ(computeScene(loaded, options, 5, cursor).boats[0].BoatWindAngle, 70);
  loaded.race.boats[0].fixes[0].course = 60;
  EXPECT_DOUBLE_EQ(computeScene(loaded, options, 5, cursor).boats[0].BoatWindAngle, -50);
}

TEST(SceneFocus, AllBoxesUncheckedFocusEveryBoatAgain) {
  LoadedRace loaded = raceOf({sailingBoat(0, 100, 1), sailingBoat(0, 100, 1, 1), sailingBoat(0, 100, 1, 2)});
  SceneCursor cursor;
  SceneOptions options;
  options.BoatFocused = {0, 0, 0};
  const SceneState s = computeScene(loaded, options, 50, cursor);
  EXPECT_TRUE(s.refocusedAll);
  EXPECT_EQ(s.focusedCount, 3);
  for (const BoatScene& b : s.boats) {
    EXPECT_TRUE(b.BoatFocused);
  }
  // This frame already follows the boats rather than an empty box.
  EXPECT_FALSE(s.TraceBox.isEmpty());
  EXPECT_DOUBLE_EQ(s.TraceBox.MinLon, kLon);
  EXPECT_DOUBLE_EQ(s.TraceBox.MaxLon, kLon + 2);
}

TEST(SceneFocus, FramesTheFocusedBoatsAndKeepsTheFirstFour) {
  std::vector<Boat> boats;
  for (int k = 0; k < 6; ++k) {
    boats.push_back(sailingBoat(0, 100, 1, k));
  }
  LoadedRace loaded = raceOf(boats);
  SceneCursor cursor;
  SceneOptions options;
  options.BoatFocused = {0, 1, 1, 0, 1, 1};
  const SceneState s = computeScene(loaded, options, 50, cursor);
  EXPECT_FALSE(s.refocusedAll);
  EXPECT_EQ(s.focusedCount, 4);
  EXPECT_EQ(s.FocusedBoats, (std::vector<int>{1, 2, 4, 5}));
  EXPECT_DOUBLE_EQ(s.TraceBox.MinLon, kLon + 1);
  EXPECT_DOUBLE_EQ(s.TraceBox.MaxLon, kLon + 5);
  EXPECT_DOUBLE_EQ(s.projection.centre().lon, kLon + 3);
}

TEST(SceneFraming, LastBoatSailingIsFramedWithTheFinishLine) {
  // Boat 2 finished (its track ends at 50); boat 1 still sails.
  LoadedRace loaded = raceOf({sailingBoat(0, 200, 1), sailingBoat(0, 50, 1, 0.5)});
  const GeoLine finish{{kLat + 0.5, kLon - 0.3}, {kLat + 0.5, kLon + 0.2}};
  loaded.results.FinishLine = finish;
  SceneCursor cursor;
  SceneOptions options;
  const SceneState two = computeScene(loaded, options, 40, cursor);
  EXPECT_EQ(two.activeCount, 2);
  EXPECT_DOUBLE_EQ(two.TraceBox.MinLon, kLon);
  const SceneState one = computeScene(loaded, options, 100, cursor);
  EXPECT_EQ(one.activeCount, 1);
  EXPECT_DOUBLE_EQ(one.TraceBox.MinLon, kLon - 0.3);
  EXPECT_DOUBLE_EQ(one.TraceBox.MaxLon, kLon + 0.2);
  EXPECT_DOUBLE_EQ(one.TraceBox.MinLat, kLat + 0.1);
  EXPECT_DOUBLE_EQ(one.TraceBox.MaxLat, kLat + 0.5);
}

TEST(SceneFraming, NothingToFollowShowsTheWholeRace) {
  LoadedRace loaded = raceOf({sailingBoat(0, 100, 1), sailingBoat(0, 100, 1, 1)});
  SceneCursor cursor;
  SceneOptions options;
  // Before every track, no finish line: not a box about 0,0.
  const SceneState s = computeScene(loaded, options, -100, cursor);
  EXPECT_EQ(s.activeCount, 0);
  EXPECT_EQ(s.TraceBox, loaded.geometry.RaceExtent);
  // Auto Trace off: the whole race whatever is in focus.
  options.autoTrace = false;
  EXPECT_EQ(computeScene(loaded, options, 50, cursor).TraceBox, loaded.geometry.RaceExtent);
}

TEST(SceneScale, BoatSizeByScaleLengthAndTheBigBoatBox) {
  struct Case {
    double ScaleLat;
    bool big;
    int size;
  };
  const Case cases[] = {
      {100, true, 14}, {100, false, 6}, {5000, true, 22}, {5000, false, 22}, {1200, false, 6}};
  for (const Case& c : cases) {
    EXPECT_EQ(BoatSizeFor(c.ScaleLat, 8, c.big), c.size) << c.ScaleLat << " " << c.big;
  }
  EXPECT_NEAR(100 * 8 / 1852.0, 0.43, 0.005);
  // A race file without a boat length still draws boats.
  EXPECT_EQ(BoatSizeFor(5000, 0, false), 6);
}

TEST(SceneScale, BoxIsFittedIntoThePartOfTheMapHeightAndZoomedOut) {
  LoadedRace loaded = raceOf({sailingBoat(0, 100, 1)});
  SceneCursor cursor;
  SceneOptions options;
  options.mapArea = {1000, 500};
  options.ZoomDivisor = 2;
  // One boat and no finish line: the box is a point, widened to 0.04'.
  const SceneState s = computeScene(loaded, options, 50, cursor);
  EXPECT_NEAR(s.scale.ScaleLat, 0.65 * 500 / 0.05 / loaded.geometry.CosCentreLat / 2, 1e-6);
  EXPECT_EQ(s.projection.toPixel(s.boats[0].position()), QPoint(500, 250));
}

TEST(SceneSteps, PlusAndMinusWrapRoundTheTimeAxis) {
  EXPECT_DOUBLE_EQ(SingleStep(10.4, 1, -190, 3000), 11);
  EXPECT_DOUBLE_EQ(SingleStep(10.6, -1, -190, 3000), 10);
  EXPECT_DOUBLE_EQ(SingleStep(3000, 1, -190, 3000), -190);
  EXPECT_DOUBLE_EQ(SingleStep(2999.4, 1, -190, 3000), 3000);
  EXPECT_DOUBLE_EQ(SingleStep(-190, -1, -190, 3000), 3000);
}

TEST(SceneSea, ColourRampAndGridContrast) {
  struct Case {
    double p;
    Rgb sea;
    Rgb grid;
  };
  const Case cases[] = {{0, {0, 0, 70}, {80, 80, 150}},
                        {50, {80, 110, 232}, {160, 190, 255}},
                        {51, {82, 112, 236}, {32, 62, 236}},
                        {100, {160, 220, 255}, {110, 170, 255}}};
  for (const Case& c : cases) {
    const SeaShade s = seaShadeFor(c.p);
    EXPECT_EQ(s.SeaColour, c.sea) << c.p;
    EXPECT_EQ(s.GridColour, c.grid) << c.p;
  }
}

}  // namespace
}  // namespace velaro
