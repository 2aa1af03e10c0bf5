// Program entry: application title, main window, message loop.
#include <QApplication>

#include "shell/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Flowskin");
  TForm1 form(QApplication::arguments());
  form.show();
  return QApplication::exec();
}
