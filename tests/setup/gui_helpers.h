// Waiting on the GUI thread without blocking it.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <functional>

namespace quidora::setup::testing {

// Serves events until `done` holds or `limitMs` passes; false on time-out.
inline bool ServeUntil(const std::function<bool()>& done, int limitMs = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QTest::qSleep(2);
  }
  return true;
}

}  // namespace quidora::setup::testing
