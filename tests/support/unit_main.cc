// Entry point of the plain-C++ test binaries. Floating-point traps for invalid
// operations, division by zero and overflow are on, so a NaN or an infinity
// produced by the core stops the test at the faulty line. A test whose defined
// result needs such an operation switches the traps off with FpTrapsOff.
#include <gtest/gtest.h>
#include <cfenv>

#include "formats/import_worker.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  SetImportWorkerPath(FLOWSKIN_IMPORT_WORKER);  // the test binaries live apart from the program
  feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  return RUN_ALL_TESTS();
}
