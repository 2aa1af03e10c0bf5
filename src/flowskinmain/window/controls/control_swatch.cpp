#include "window/controls/control_swatch.h"

#include <QMouseEvent>
#include <QPainter>

TColorSwatch::TColorSwatch(const QString& name, int32_t color, QWidget* parent) : QWidget(parent), color_(color) {
  setObjectName(name);
  setFixedSize(25, 18);
  setCursor(Qt::PointingHandCursor);
}

void TColorSwatch::SetColor(int32_t c) {
  color_ = c;
  update();
}

void TColorSwatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QColor fill(color_ & 0xFF, (color_ >> 8) & 0xFF, (color_ >> 16) & 0xFF);
  if (!isEnabled()) {  // greyed as other disabled controls are: half way to the window's colour, a grey frame
    const QColor window = palette().color(QPalette::Window);
    fill =
        QColor((fill.red() + window.red()) / 2, (fill.green() + window.green()) / 2, (fill.blue() + window.blue()) / 2);
  }
  p.setPen(isEnabled() ? QColor(Qt::black) : palette().color(QPalette::Disabled, QPalette::WindowText));
  p.setBrush(fill);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TColorSwatch::mousePressEvent(QMouseEvent* e) {
  if (OnMouseDown)
    OnMouseDown(this, ButtonOfMouse(e), ShiftOfMouse(e), qRound(e->position().x()), qRound(e->position().y()));
}
