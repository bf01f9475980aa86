#pragma once

#include "app/mainwindow.h"

#include <QObject>
#include <QTest>

#include <optional>

namespace velaro {

// Runs the window's events until the load in hand has ended.
inline bool waitForLoad(const MainWindow& w, int timeoutMs = 20000) {
  return QTest::qWaitFor([&w] { return !w.isLoading(); }, timeoutMs);
}

// The start-up with its first load; false when the program would end.
inline bool startUpAndWait(MainWindow& w) {
  std::optional<bool> goOn;
  const QMetaObject::Connection c =
      QObject::connect(&w, &MainWindow::startUpFinished, [&goOn](bool ok) { goOn = ok; });
  w.startUp();
  (void)QTest::qWaitFor([&goOn] { return goOn.has_value(); }, 20000);
  QObject::disconnect(c);
  return goOn.value_or(false);
}

// SHOW clicked, and the load it starts waited for.
inline void showAndWait(MainWindow& w) {
  w.onShowClicked();
  waitForLoad(w);
}

}  // namespace velaro
