// Entry point of the GUI test binary: a QApplication on the X display (Xvfb in
// CI); the tests build the real main window and drive it with QTest.
#include <QApplication>
#include <gtest/gtest.h>

#include "support/crash_trace.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  InstallCrashTrace();
  QApplication app(argc, argv);
  QApplication::setApplicationName("Flowskin");
  return RUN_ALL_TESTS();
}
