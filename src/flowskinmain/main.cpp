// Program entry: a batch run when the command line has options, else the
// application title, the main window and the message loop.
#include <malloc.h>

#include <QApplication>

#include "batch/batch_run.h"
#include "window/form1.h"

// The software GL driver allocates and frees several MB of vertex buffers on
// every draw; with the allocator's default limits each frame returns those
// pages to the system and faults them in again (about a quarter of a frame's
// processor time). Freed memory stays with the process instead, up to these
// limits; a load hands the replaced mesh back explicitly (malloc_trim).
void KeepFreedMemory() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

int main(int argc, char** argv) {
  KeepFreedMemory();
  if (IsBatchRun(argc, argv)) return RunBatch(argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Flowskin");
  TForm1 form(QApplication::arguments());
  form.show();
  return QApplication::exec();
}
