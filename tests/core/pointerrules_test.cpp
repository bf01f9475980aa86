// The pointer over the map: label zones, sails and red wakes by row, the
// position in the caption, the hints, and range and bearing with Shift.
#include "core/scene/pointerrules.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

constexpr double kLat = 2100;
constexpr double kLon = 8340;

// A north-up view at one pixel per 0.001 minute.
Projection viewOf(QSize map) {
  return Projection({kLat, kLon}, 1000, 1000, map, Orientation{1, 0});
}

PointerMove moveAt(QPoint at, QSize map = QSize(800, 700)) {
  PointerMove m;
  m.at = at;
  m.mapArea = map;
  m.RaceCaption = QStringLiteral("Spring Cup");
  m.RaceNote = QStringLiteral("Race 2");
  m.CosCentreLat = 0.8;
  m.MagVariation = 7;
  return m;
}

PointerOutcome move(const PointerMove& m, const MapViewState& state = {}) {
  return pointerMove(m, state, viewOf(m.mapArea));
}

TEST(PointerZones, LabelLevelByQuarterSailsAndRedWakesByRow) {
  const QSize map(800, 700);
  const struct {
    int x;
    int level;
    int levelWithNames;
  } columns[] = {{0, 3, 3}, {199, 3, 3}, {200, 2, 2}, {599, 1, 1}, {600, 0, 1}, {799, 0, 1}};
  for (const auto& c : columns) {
    PointerMove m = moveAt({c.x, 300}, map);
    EXPECT_EQ(move(m).LabelLevel, c.level) << c.x;
    m.boatNamesChecked = true;
    EXPECT_EQ(move(m).LabelLevel, c.levelWithNames) << c.x;
  }

  EXPECT_FALSE(move(moveAt({10, 100})).ShowSails);
  EXPECT_TRUE(move(moveAt({10, 101})).ShowSails);
  EXPECT_FALSE(move(moveAt({10, 600})).RedWakeMode);
  EXPECT_TRUE(move(moveAt({10, 601})).RedWakeMode);
  EXPECT_FALSE(move(moveAt({10, 300})).ShowWindVanes);

  // The whole-race view draws neither.
  MapViewState whole;
  whole.mode = ReplayMode::WholeRace;
  EXPECT_FALSE(move(moveAt({10, 650}), whole).RedWakeMode);
  EXPECT_FALSE(move(moveAt({10, 300}), whole).ShowSails);

  EXPECT_EQ(compassLabelLevel({50, 50}, 100), 0);
  EXPECT_EQ(compassLabelLevel({50, 89}, 100), 0);
  EXPECT_EQ(compassLabelLevel({50, 90}, 100), 1);
  EXPECT_EQ(compassLabelLevel({0, 0}, 100), 1);
}

TEST(PointerPosition, HemisphereDegreesAndCutMinutesInTheCaption) {
  EXPECT_EQ(positionText(35 * 60 + 12.345678, true), QStringLiteral("N35:12.345"));
  EXPECT_EQ(positionText(136 * 60 + 51.5, false), QStringLiteral("E136:51.5"));
  EXPECT_EQ(positionText(0, true), QStringLiteral("S0:0"));
  EXPECT_EQ(positionText(0, false), QStringLiteral("W0:0"));
  EXPECT_EQ(positionText(-(33 * 60 + 59.99999), true), QStringLiteral("S33:59.999"));
  EXPECT_EQ(positionText(-(70 * 60 + 5.25), false), QStringLiteral("W70:5.25"));
  EXPECT_EQ(positionText(35 * 60 + 1e-7, true), QStringLiteral("N35:0.0000"));

  // The pointer 100 pixels right of and 50 below the middle of the view;
  // the minutes are cut, so 59.95 less a trace of binary noise is 59.949.
  const PointerOutcome track = move(moveAt({500, 400}));
  EXPECT_NEAR(track.position.lat, kLat - 0.05, 1e-12);
  EXPECT_NEAR(track.position.lon, kLon + 0.1, 1e-12);
  EXPECT_EQ(track.caption, QStringLiteral("Spring Cup       N34:59.949    E139:0.1000      Race 2"));
  EXPECT_TRUE(track.stopWatchVisible);

  PointerMove graph = moveAt({500, 400});
  graph.trackPage = false;
  const PointerOutcome other = move(graph);
  EXPECT_EQ(other.caption, QStringLiteral("Spring Cup     Race 2"));
  EXPECT_FALSE(other.stopWatchVisible);
}

TEST(PointerMeasure, OnlyWithShiftInTheWholeRaceViewFromTheBasePoint) {
  MapViewState state;
  state.ShiftDown = true;
  EXPECT_FALSE(move(moveAt({400, 350}), state).measure);  // live scene

  state.mode = ReplayMode::WholeRace;
  const PointerOutcome ask = move(moveAt({400, 350}), state);
  ASSERT_TRUE(ask.measure);
  EXPECT_EQ(ask.measure->text, QStringLiteral("Click to set base point"));
  EXPECT_EQ(ask.measure->rect, QRect(410, 330, 180, 17));
  EXPECT_FALSE(ask.measure->line);
  EXPECT_TRUE(ask.repaintScene);
  PointerMove japanese = moveAt({400, 350});
  japanese.japanese = true;
  EXPECT_EQ(move(japanese, state).measure->text, QStringLiteral("基点の位置をクリック"));

  // 1852 m due south of the base point: one minute, 1000 pixels down.
  state.BasePoint = {kLat + 0.5, kLon};
  state.BasePointXY = QPoint(400, -150);
  const PointerOutcome south = move(moveAt({400, 850}, QSize(800, 700)), state);
  ASSERT_TRUE(south.measure);
  EXPECT_EQ(south.measure->text, QStringLiteral("R= 1852m / BRG= 173deg(M)"));
  EXPECT_EQ(south.measure->rect, QRect(410, 830, 200, 17));
  EXPECT_EQ(south.measure->line, QLine(400, -150, 400, 850));
  EXPECT_EQ(move(japanese, state).measure->text.left(3), QStringLiteral("R= "));

  state.ShiftDown = false;
  EXPECT_FALSE(move(moveAt({400, 850}), state).measure);
  state.ShiftDown = true;
  PointerMove graph = moveAt({400, 850});
  graph.trackPage = false;
  EXPECT_FALSE(move(graph, state).measure);
}

TEST(PointerHints, TipsInTheWholeRaceViewRedWakeHintInTheBottomBand) {
  MapViewState whole;
  whole.mode = ReplayMode::WholeRace;
  const PointerOutcome tips = move(moveAt({400, 300}), whole);
  ASSERT_TRUE(tips.hint);
  EXPECT_TRUE(tips.hint->text.startsWith(QStringLiteral("Left Button => Enlarge Map.\r\nRight Button")));
  EXPECT_EQ(tips.hint->size, QSize(290, 100));
  PointerMove quiet = moveAt({400, 300});
  quiet.HintsOn = false;
  EXPECT_FALSE(move(quiet, whole).hint);
  PointerMove japanese = moveAt({400, 300});
  japanese.japanese = true;
  EXPECT_EQ(move(japanese, whole).hint->size, QSize(270, 85));

  EXPECT_FALSE(move(moveAt({400, 300})).hint);
  const PointerOutcome red = move(moveAt({400, 650}));
  ASSERT_TRUE(red.hint);
  EXPECT_EQ(red.hint->text, QStringLiteral("Red wake boats are faster than avg boats"));
  EXPECT_EQ(red.hint->size, QSize(270, 20));
  EXPECT_EQ(red.hint->at, QPoint(800 - 275, 5));
  PointerMove graph = moveAt({400, 650});
  graph.trackPage = false;
  EXPECT_FALSE(move(graph).hint);
  EXPECT_EQ(windGraphHint(true).size, QSize(350, 20));
}

}  // namespace
}  // namespace velaro
