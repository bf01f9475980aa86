// The boat list: box layout, focus and emphasis clicks, hover rules, hints
// and where the list panel goes beside the logo and control panels.
#include "core/replay/boatlist.h"
#include "core/loadedrace.h"
#include "core/scene/scenestate.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

constexpr int kLogo = 200;
constexpr int kControl = 255;

Race raceWithFocus(std::vector<int> focus) {
  Race race;
  for (size_t b = 0; b < focus.size(); ++b) {
    Boat boat;
    boat.BoatName = QStringLiteral("Boat %1").arg(b + 1);
    boat.BoatFocused = focus[b];
    // Sailing east at 0.001' a second, one fix a second, a minute apart.
    for (int t = 0; t <= 100; ++t) {
      boat.fixes.push_back({double(t), 2100 + double(b), 8340 + t * 0.001, 3.6, 90});
    }
    race.boats.push_back(boat);
  }
  race.BoatRows = boatRowsFor(race.BoatCount());
  race.BoatListHeight = boatListHeightFor(race.BoatRows);
  return race;
}

TEST(BoatList, FirstColumnHoldsTheFirstRowsOfBoats) {
  const int rows = boatRowsFor(5);
  ASSERT_EQ(rows, 3);
  for (int b = 1; b <= 3; ++b) {
    EXPECT_EQ(boatBoxRect(b, rows), QRect(5, b * 14, 120, 12)) << b;
  }
  EXPECT_EQ(boatBoxRect(4, rows), QRect(132, 14, 120, 12));
  EXPECT_EQ(boatBoxRect(5, rows), QRect(132, 28, 120, 12));
  // The largest list: 41 rows, the last box inside the list's height.
  const int full = boatRowsFor(kMaxBoats);
  EXPECT_EQ(full, 41);
  EXPECT_EQ(boatBoxRect(81, full), QRect(132, 40 * 14, 120, 12));
  EXPECT_LE(boatBoxRect(41, full).bottom(), boatListHeightFor(full));
}

TEST(BoatList, ClicksSetFocusAndShiftMovesOnlyTheEmphasis) {
  BoatFocus focus(raceWithFocus({1, 0, 1, 1}));
  EXPECT_EQ(focus.UnfocusedCount(), 1);
  EXPECT_EQ(focus.PickedBoat(), 0);

  // Right click on the unchecked boat 2: it alone is focused.
  EXPECT_TRUE(focus.press(2, Qt::RightButton, Qt::NoModifier));
  EXPECT_EQ(focus.BoatFocused(), (std::vector<int>{0, 1, 0, 0}));
  EXPECT_EQ(focus.UnfocusedCount(), 3);
  EXPECT_FALSE(focus.press(2, Qt::RightButton, Qt::NoModifier));

  // Shift+click picks boat 3, moves the emphasis to 4, removes it from 4;
  // the focus never changes, whatever the button.
  EXPECT_FALSE(focus.press(3, Qt::LeftButton, Qt::ShiftModifier));
  EXPECT_EQ(focus.PickedBoat(), 3);
  EXPECT_FALSE(focus.press(4, Qt::RightButton, Qt::ShiftModifier));
  EXPECT_EQ(focus.PickedBoat(), 4);
  EXPECT_FALSE(focus.press(4, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier));
  EXPECT_EQ(focus.PickedBoat(), 0);
  EXPECT_EQ(focus.BoatFocused(), (std::vector<int>{0, 1, 0, 0}));

  // Left click toggles; the header focuses every boat again.
  EXPECT_TRUE(focus.press(1, Qt::LeftButton, Qt::NoModifier));
  EXPECT_TRUE(focus.isFocused(1));
  EXPECT_FALSE(focus.press(9, Qt::LeftButton, Qt::NoModifier));
  EXPECT_TRUE(focus.focusAll());
  EXPECT_EQ(focus.UnfocusedCount(), 0);
  EXPECT_FALSE(focus.focusAll());

  // A new race starts from its file's focus with nothing emphasised.
  focus.press(2, Qt::LeftButton, Qt::ShiftModifier);
  focus = BoatFocus(raceWithFocus({0, 1}));
  EXPECT_EQ(focus.PickedBoat(), 0);
  EXPECT_EQ(focus.BoatFocused(), (std::vector<int>{0, 1}));
}

TEST(BoatList, UncheckingTheLastBoxRefocusesEveryBoatAtTheNextFrame) {
  LoadedRace loaded;
  loaded.race = raceWithFocus({0, 1, 0});
  loaded.geometry = SetsMap(loaded.race, {800, 600});
  BoatFocus focus(loaded.race);
  EXPECT_TRUE(focus.press(2, Qt::LeftButton, Qt::NoModifier));
  EXPECT_EQ(focus.UnfocusedCount(), 3);

  SceneOptions options;
  options.BoatFocused = focus.BoatFocused();
  SceneCursor cursor;
  const SceneState frame = computeScene(loaded, options, 50, cursor);
  ASSERT_TRUE(frame.refocusedAll);
  EXPECT_EQ(frame.focusedCount, 3);
  // The window answers by checking every box.
  EXPECT_TRUE(focus.focusAll());
  EXPECT_EQ(focus.UnfocusedCount(), 0);
}

TEST(BoatList, HintOnlyInTheLiveSceneHighlightOnlyInTheWholeRaceView) {
  const BoatHoverEffect live = boatHoverEffect(1, 1, true, true);
  EXPECT_TRUE(live.hint);
  EXPECT_FALSE(live.trackHighlight);
  const BoatHoverEffect whole = boatHoverEffect(1, 0, true, true);
  EXPECT_FALSE(whole.hint);
  EXPECT_TRUE(whole.trackHighlight);
  EXPECT_FALSE(boatHoverEffect(1, 1, false, true).hint);
  const BoatHoverEffect graph = boatHoverEffect(2, 0, true, true);
  EXPECT_FALSE(graph.hint || graph.trackHighlight);
  EXPECT_TRUE(graph.curveHighlight);
  EXPECT_FALSE(boatHoverEffect(2, 0, true, false).curveHighlight);

  EXPECT_EQ(boatHintRect({900, 200}, 28, false), QRect(900, 258, 280, 56));
  EXPECT_EQ(boatHintRect({900, 0}, 14, true), QRect(900, 44, 250, 80));
}

TEST(BoatList, LongListsCoverTheLogoThenTheControlsAndStayReachable) {
  // 81 boats on a 768-pixel client area: from the top, over the logo; the
  // control panel gives way while the pointer is on the list.
  const int h81 = boatListHeightFor(boatRowsFor(81));
  ASSERT_EQ(h81, 599);
  const BoatListPlacement p81 = placeBoatList(768, h81, kLogo, kControl);
  EXPECT_EQ(p81.top, 0);
  EXPECT_EQ(p81.height, 599);
  EXPECT_FALSE(p81.scrolls);
  const PanelFit fit81 = fitPanels(p81.top, 768, h81, kLogo, kControl);
  EXPECT_FALSE(fit81.logoVisible);
  EXPECT_FALSE(fit81.controlVisible);
  // Off the list both come back over it, the race selector under the list's
  // last rows included; the rows between them lead back to the list.
  const PanelFit left = panelsAfterLeavingList(768, kLogo, kControl);
  EXPECT_TRUE(left.logoVisible && left.controlVisible && left.neighboursOnTop);
  EXPECT_FALSE(panelsAfterLeavingList(kLogo + kControl + 10, kLogo, kControl).neighboursOnTop);

  // 60 boats start below the logo and reach into the control panel.
  const BoatListPlacement p60 = placeBoatList(768, boatListHeightFor(boatRowsFor(60)), kLogo, kControl);
  EXPECT_EQ(p60.top, kLogo);
  EXPECT_EQ(p60.height, 445);
  // 6 boats fill the gap between the two panels exactly, hiding neither.
  const int h6 = boatListHeightFor(boatRowsFor(6));
  const BoatListPlacement p6 = placeBoatList(768, h6, kLogo, kControl);
  EXPECT_EQ(p6.top, kLogo);
  EXPECT_EQ(p6.top + p6.height, 768 - kControl);
  const PanelFit fit6 = fitPanels(p6.top, 768, h6, kLogo, kControl);
  EXPECT_TRUE(fit6.logoVisible && fit6.controlVisible);

  // A window lower than the list: the list is cut to the window and scrolls.
  const BoatListPlacement low = placeBoatList(500, h81, kLogo, kControl);
  EXPECT_EQ(low.top, 0);
  EXPECT_EQ(low.height, 500);
  EXPECT_TRUE(low.scrolls);
}

}  // namespace
}  // namespace velaro
