// Entry point of the GUI test binary: a QApplication on the X display (Xvfb in
// CI); the tests build the real main window and drive it with QTest.
#include <QApplication>
#include <gtest/gtest.h>

#include "formats/import_worker.h"
#include "support/crash_trace.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  InstallCrashTrace();
  SetImportWorkerPath(FLOWSKIN_IMPORT_WORKER);  // the test binary lives apart from the program
  QApplication app(argc, argv);
  QApplication::setApplicationName("Flowskin");
  return RUN_ALL_TESTS();
}
