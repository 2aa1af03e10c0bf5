// Program entry: a batch run when the command line has options, else the
// application title, the main window and the message loop.
#include <QApplication>

#include "batch/batch_run.h"
#include "window/form1.h"

int main(int argc, char** argv) {
  if (IsBatchRun(argc, argv)) return RunBatch(argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Flowskin");
  TForm1 form(QApplication::arguments());
  form.show();
  return QApplication::exec();
}
