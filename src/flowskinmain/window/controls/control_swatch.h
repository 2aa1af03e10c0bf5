#pragma once
// TColorSwatch: a small filled rectangle showing a colour value (0x00BBGGRR, red
// in the low byte). A mouse press with any button raises OnMouseDown. Writing
// the colour raises no event.
#include <QWidget>
#include <cstdint>

#include "window/controls/control_events.h"

class TColorSwatch : public QWidget {
 public:
  TColorSwatch(const QString& name, int32_t color, QWidget* parent = nullptr);

  int32_t Color() const { return color_; }
  void SetColor(int32_t c);

  TMouseEvent OnMouseDown;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  int32_t color_;
};
