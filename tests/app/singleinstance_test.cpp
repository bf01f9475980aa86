#include "app/desktop/singleinstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QUuid>

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(SingleInstance, SecondCopyIsRefusedAndWakesTheFirst) {
  const QString key = QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::Id128);
  SingleInstance first(key);
  ASSERT_TRUE(first.tryBecomePrimary());
  int activations = 0;
  QObject::connect(&first, &SingleInstance::activationRequested, [&activations] { ++activations; });

  SingleInstance second(key);
  EXPECT_FALSE(second.tryBecomePrimary());

  // The first copy runs in this thread too, so the request is answered when
  // events run; a second process would wait for the answer instead.
  second.notifyPrimary(50);
  QDeadlineTimer deadline(3000);
  while (activations == 0 && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_EQ(activations, 1);

  // A second start with logs hands them over.
  QStringList received;
  QObject::connect(&first, &SingleInstance::filesReceived,
                   [&received](const QStringList& files) { received = files; });
  second.sendFiles({QStringLiteral("/logs/a.gpx"), QStringLiteral("/logs/b é.gpx")}, 50);
  deadline.setRemainingTime(3000);
  while (received.isEmpty() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_EQ(received, QStringList({"/logs/a.gpx", "/logs/b é.gpx"}));
  EXPECT_EQ(activations, 2);
}

TEST(SingleInstance, TheLockIsFreeAgainWhenTheFirstCopyEnds) {
  const QString key = QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::Id128);
  {
    SingleInstance first(key);
    ASSERT_TRUE(first.tryBecomePrimary());
  }
  SingleInstance next(key);
  EXPECT_TRUE(next.tryBecomePrimary());
}

}  // namespace
}  // namespace velaro
