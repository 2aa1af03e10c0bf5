#include "shell/form1.h"

TForm1::TForm1(const QStringList&, QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("Flowskin");
  resize(765, 583);
}
