#pragma once
#include <QMainWindow>
#include <QStringList>

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  explicit TForm1(const QStringList& args = {}, QWidget* parent = nullptr);
};
