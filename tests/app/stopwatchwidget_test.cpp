// The stopwatch over the map: placement, button cycle and read-out.
#include "app/panels/stopwatchwidget.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(StopwatchWidget, PlacedAboveTheMapCornerAndCountsWhileRunning) {
  QWidget map;
  map.resize(800, 600);
  StopwatchWidget w(&map);
  double now = 100;
  w.setTimeSource([&] { return now; });
  w.placeOn(QSize(800, 600));
  auto* button = w.findChild<QPushButton*>(QStringLiteral("btnStopWatch"));
  auto* readout = w.findChild<QLabel*>(QStringLiteral("stopwatchReadout"));
  ASSERT_TRUE(button && readout);
  EXPECT_EQ(QRect(w.mapToParent(button->pos()), button->size()), QRect(722, 460, 73, 20));
  EXPECT_EQ(QRect(w.mapToParent(readout->pos()), readout->size()), QRect(722, 438, 73, 20));

  EXPECT_EQ(button->text(), QStringLiteral("TIMER/ON"));
  EXPECT_TRUE(readout->isHidden());
  button->click();
  EXPECT_EQ(button->text(), QStringLiteral("STOP"));
  EXPECT_FALSE(readout->isHidden());
  w.frame(165);
  EXPECT_EQ(readout->text(), QStringLiteral("00:01:05"));
  now = 170;
  button->click();
  w.frame(400);
  EXPECT_EQ(readout->text(), QStringLiteral("00:01:05"));
  button->click();
  EXPECT_EQ(button->text(), QStringLiteral("TIMER/ON"));
  EXPECT_TRUE(readout->isHidden());
}

}  // namespace
}  // namespace velaro
