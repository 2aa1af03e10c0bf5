#pragma once
// Ends a "Run" loop of a window test when the loop has done what the test
// waits for, not after a fixed time: on a loaded machine with software GL a
// frame can take longer than a whole fixed wait.
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>

#include "window/form1.h"

// Between the frames of the loop started next (a click on sb_animate, which
// returns when the loop ends), calls `step` until it returns true, then
// releases "Run" (or does `finish` instead). After `limit` it finishes all
// the same, so that a loop that never gets there ends in the test's checks
// rather than in a hang.
class TRunLoopStopper {
 public:
  TRunLoopStopper(TForm1& form, std::function<bool()> step, std::function<void()> finish = {},
                  std::chrono::seconds limit = std::chrono::seconds(60))
      : start_(std::chrono::steady_clock::now()) {
    if (!finish) finish = [&form] { QTest::mouseClick(form.sb_animate, Qt::LeftButton); };
    QObject::connect(&timer_, &QTimer::timeout, &form, [this, step, finish, limit] {
      if (!step() && std::chrono::steady_clock::now() - start_ < limit) return;
      timer_.stop();
      finish();
    });
    timer_.start(1);
  }

 private:
  QTimer timer_;
  std::chrono::steady_clock::time_point start_;
};
