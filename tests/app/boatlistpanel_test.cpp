#include "app/panels/boatlistpanel.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace velaro {
namespace {

LoadedRace raceOf(int boats) {
  LoadedRace loaded;
  for (int b = 0; b < boats; ++b) {
    Boat boat;
    boat.BoatName = QStringLiteral("Boat %1").arg(b + 1);
    boat.BoatFocused = b == 1 ? 0 : 1;
    loaded.race.boats.push_back(boat);
    loaded.colours.BoatColour.push_back(Rgb{static_cast<quint8>(10 * b), 0, 0});
  }
  loaded.race.BoatRows = boatRowsFor(boats);
  loaded.race.BoatListHeight = boatListHeightFor(loaded.race.BoatRows);
  return loaded;
}

QCheckBox* box(BoatListPanel& panel, int boat) {
  auto* b = panel.findChild<QCheckBox*>(QStringLiteral("boatBox%1").arg(boat));
  EXPECT_NE(b, nullptr) << boat;
  return b;
}

TEST(BoatListPanel, BoxesAreRebuiltAtEachLoadInTwoColumns) {
  BoatListPanel panel;
  const LoadedRace five = raceOf(5);
  panel.setBoats(five);
  EXPECT_EQ(panel.boatCount(), 5);
  EXPECT_EQ(panel.focused(), std::vector<int>({1, 0, 1, 1, 1}));
  // Three boats down the first column, two down the second.
  EXPECT_EQ(box(panel, 3)->geometry(), QRect(5, 42, 120, 12));
  EXPECT_EQ(box(panel, 4)->geometry(), QRect(132, 14, 120, 12));
  EXPECT_EQ(box(panel, 4)->text(), QStringLiteral("Boat 4"));
  EXPECT_TRUE(box(panel, 4)->styleSheet().contains(QStringLiteral("background: rgb(30,0,0); color: white")));
  EXPECT_FALSE(box(panel, 2)->isChecked());

  // A smaller race leaves no box of the last one behind.
  const LoadedRace two = raceOf(2);
  panel.setBoats(two);
  EXPECT_EQ(panel.boatCount(), 2);
  EXPECT_EQ(panel.findChildren<QCheckBox*>().size(), 2);
  EXPECT_EQ(panel.findChild<QCheckBox*>(QStringLiteral("boatBox3")), nullptr);
}

TEST(BoatListPanel, ClicksGoThroughTheFocusRules) {
  BoatListPanel panel;
  const LoadedRace four = raceOf(4);
  panel.setBoats(four);
  panel.resize(265, 200);
  panel.show();
  QSignalSpy changes(&panel, &BoatListPanel::focusChanged);
  QSignalSpy picks(&panel, &BoatListPanel::pickedBoatChanged);

  // Right click on the unchecked boat 2 focuses it alone.
  QTest::mouseClick(box(panel, 2), Qt::RightButton);
  EXPECT_EQ(panel.focused(), std::vector<int>({0, 1, 0, 0}));
  EXPECT_TRUE(box(panel, 2)->isChecked());
  EXPECT_FALSE(box(panel, 1)->isChecked());
  EXPECT_EQ(panel.UnfocusedCount(), 3);
  // Shift+click emphasises, a second one removes it; the boxes stay.
  QTest::mouseClick(box(panel, 3), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(panel.PickedBoat(), 3);
  EXPECT_FALSE(box(panel, 3)->isChecked());
  QTest::mouseClick(box(panel, 3), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(panel.PickedBoat(), 0);
  EXPECT_EQ(picks.count(), 2);
  // A left click toggles, once per click.
  QTest::mouseClick(box(panel, 2), Qt::LeftButton);
  EXPECT_FALSE(box(panel, 2)->isChecked());
  EXPECT_EQ(changes.count(), 2);
  // The header focuses every boat.
  QTest::mouseClick(panel.findChild<QLabel*>(QStringLiteral("boatListHeader")), Qt::LeftButton);
  EXPECT_EQ(panel.focused(), std::vector<int>({1, 1, 1, 1}));
  EXPECT_EQ(changes.count(), 3);

  // The scene refocusing everybody is no user change.
  panel.boatPressed(0, Qt::RightButton, Qt::NoModifier);
  panel.focusAll();
  EXPECT_EQ(panel.UnfocusedCount(), 0);
  EXPECT_EQ(changes.count(), 4);
}

TEST(BoatListPanel, HoverNamesTheBoatUntilThePointerLeavesTheBoxes) {
  BoatListPanel panel;
  const LoadedRace three = raceOf(3);
  panel.setBoats(three);
  QSignalSpy hovers(&panel, &BoatListPanel::boatHovered);
  panel.boatMoved(2, QPoint(10, 10));
  panel.boatMoved(2, QPoint(10, 10));  // no real move
  panel.boatMoved(2, QPoint(11, 10));
  EXPECT_EQ(panel.HoverBoat(), 3);
  panel.panelMoved();
  panel.panelMoved();
  EXPECT_EQ(panel.HoverBoat(), 0);
  ASSERT_EQ(hovers.count(), 3);
  EXPECT_EQ(hovers[0][0].toInt(), 2);
  EXPECT_EQ(hovers[2][0].toInt(), -1);
}

TEST(BoatListPanel, AListTallerThanThePanelScrolls) {
  BoatListPanel panel;
  const LoadedRace full = raceOf(kMaxBoats);
  panel.setBoats(full);
  panel.resize(265, 300);
  panel.show();
  auto* scroll = panel.findChild<QScrollArea*>();
  ASSERT_NE(scroll, nullptr);
  QCoreApplication::processEvents();
  EXPECT_EQ(scroll->geometry(), QRect(0, 0, 265, 300));
  EXPECT_EQ(scroll->verticalScrollBar()->maximum(), 599 - 300);
  scroll->ensureWidgetVisible(box(panel, 41));
  EXPECT_LE(panel.boxTop(40) + 12, 300);
  EXPECT_GE(panel.boxTop(40), 0);
}

}  // namespace
}  // namespace velaro
