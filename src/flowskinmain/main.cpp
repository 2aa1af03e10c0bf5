// Program entry: a batch run when the command line has options, else the
// application title, the main window with its remembered values and the
// message loop.
#include <QApplication>
#include <QSettings>
#include <cstring>
#include <vector>

#include "batch/batch_run.h"
#include "mesh/heap_limits.h"
#include "window/form1.h"

int main(int argc, char** argv) {
  SetHeapLimits();
  // "--defaults" starts the window without the remembered values; batch runs
  // never use them, so it is dropped before the command line is looked at.
  std::vector<char*> args;
  bool defaults = false;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::strcmp(argv[i], "--defaults") == 0)
      defaults = true;
    else
      args.push_back(argv[i]);
  }
  int n = int(args.size());
  args.push_back(nullptr);
  if (IsBatchRun(n, args.data())) return RunBatch(n, args.data());
  QApplication app(n, args.data());
  QApplication::setApplicationName("Flowskin");
  QApplication::setOrganizationName("Flowskin");
  QSettings settings;  // the user's own store; only the window uses it
  TForm1 form(QApplication::arguments(), nullptr, nullptr, TSettingsLink{&settings, !defaults}, true);
  form.show();
  return QApplication::exec();
}
