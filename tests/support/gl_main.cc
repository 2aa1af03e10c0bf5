// Entry point of the GL test binary: a QGuiApplication on the X display
// (Xvfb in CI) so that tests can make a real Mesa context current.
#include <QGuiApplication>
#include <gtest/gtest.h>

#include "support/crash_trace.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  InstallCrashTrace();
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
