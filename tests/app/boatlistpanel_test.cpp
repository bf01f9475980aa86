#include "app/boatlistpanel.h"

#include <QSignalSpy>

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
  return loaded;
}

TEST(BoatListPanel, BoxesAreRebuiltAtEachLoadInTwoColumns) {
  BoatListPanel panel;
  const LoadedRace five = raceOf(5);
  panel.setBoats(five);
  EXPECT_EQ(panel.boatCount(), 5);
  EXPECT_EQ(panel.focused(), std::vector<int>({1, 0, 1, 1, 1}));
  auto* third = panel.findChild<QCheckBox*>(QStringLiteral("boatBox3"));
  auto* fourth = panel.findChild<QCheckBox*>(QStringLiteral("boatBox4"));
  ASSERT_TRUE(third && fourth);
  EXPECT_EQ(third->geometry(), QRect(6, 36, 126, 14));
  EXPECT_EQ(fourth->geometry(), QRect(134, 36, 126, 14));
  EXPECT_EQ(fourth->text(), QStringLiteral("Boat 4"));

  // A smaller race leaves no box of the last one behind.
  const LoadedRace two = raceOf(2);
  panel.setBoats(two);
  EXPECT_EQ(panel.boatCount(), 2);
  EXPECT_EQ(panel.findChildren<QCheckBox*>().size(), 2);
  EXPECT_EQ(panel.findChild<QCheckBox*>(QStringLiteral("boatBox3")), nullptr);
}

TEST(BoatListPanel, UserFocusIsSignalledRefocusingAllIsNot) {
  BoatListPanel panel;
  const LoadedRace three = raceOf(3);
  panel.setBoats(three);
  QSignalSpy changes(&panel, &BoatListPanel::focusChanged);
  panel.findChild<QCheckBox*>(QStringLiteral("boatBox3"))->setChecked(false);
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0][0].toInt(), 2);
  EXPECT_FALSE(changes[0][1].toBool());
  panel.focusAll();
  EXPECT_EQ(panel.focused(), std::vector<int>({1, 1, 1}));
  EXPECT_EQ(changes.count(), 1);
}

}  // namespace
}  // namespace velaro
