#include "app/panels/mapview.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(MapView, MouseEventsLeaveAsSignalsInMapPixels) {
  QWidget window;
  window.resize(400, 300);
  auto* map = new MapView(&window);
  map->setGeometry(0, 0, 300, 300);
  QSignalSpy pressed(map, &MapView::mousePressed);
  QSignalSpy moved(map, &MapView::mouseMoved);
  QSignalSpy released(map, &MapView::mouseReleased);
  window.show();

  QMouseEvent press(QEvent::MouseButtonPress, QPointF(120, 80), QPointF(map->mapToGlobal(QPoint(120, 80))),
                    Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
  QCoreApplication::sendEvent(map, &press);
  QMouseEvent move(QEvent::MouseMove, QPointF(121, 82), QPointF(map->mapToGlobal(QPoint(121, 82))),
                   Qt::NoButton, Qt::RightButton, Qt::ShiftModifier);
  QCoreApplication::sendEvent(map, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(121, 82),
                      QPointF(map->mapToGlobal(QPoint(121, 82))), Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(map, &release);

  ASSERT_EQ(pressed.count(), 1);
  EXPECT_EQ(pressed[0][0].toPoint(), QPoint(120, 80));
  EXPECT_EQ(pressed[0][1].value<Qt::MouseButton>(), Qt::RightButton);
  EXPECT_EQ(pressed[0][2].value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
  ASSERT_EQ(moved.count(), 1);
  EXPECT_EQ(moved[0][0].toPoint(), QPoint(121, 82));
  EXPECT_EQ(moved[0][1].value<Qt::MouseButtons>(), Qt::RightButton);
  ASSERT_EQ(released.count(), 1);
  EXPECT_EQ(released[0][1].value<Qt::MouseButton>(), Qt::RightButton);
}

TEST(MapView, PaintsThePictureAndTheWindowColourBeyondIt) {
  MapView map;
  map.resize(60, 40);
  QImage picture(50, 30, QImage::Format_RGB32);
  picture.fill(QColor(0, 0, 200));
  map.setImage(picture);
  const QImage shown = map.grab().toImage();
  EXPECT_EQ(QColor(shown.pixel(10, 10)), QColor(0, 0, 200));
  EXPECT_EQ(QColor(shown.pixel(49, 29)), QColor(0, 0, 200));
  const QColor window = map.palette().window().color();
  EXPECT_EQ(QColor(shown.pixel(55, 10)), window);
  EXPECT_EQ(QColor(shown.pixel(10, 35)), window);
}

}  // namespace
}  // namespace velaro
