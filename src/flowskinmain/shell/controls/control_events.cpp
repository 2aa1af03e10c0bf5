#include "shell/controls/control_events.h"

#include <QKeyEvent>
#include <QMouseEvent>

int VirtualKeyOf(const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
      return 9;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Delete:
      return 46;
    case Qt::Key_Minus:
      return 189;
    case Qt::Key_Period:
      return 190;
    default:
      break;
  }
  const int k = e->key();
  if ((k >= '0' && k <= '9') || (k >= 'A' && k <= 'Z') || k == ' ') return k;
  return k & 0xFFFF;
}

static TShiftState ModifiersToShift(Qt::KeyboardModifiers m) {
  TShiftState s;
  s.shift = m.testFlag(Qt::ShiftModifier);
  s.alt = m.testFlag(Qt::AltModifier);
  s.ctrl = m.testFlag(Qt::ControlModifier);
  return s;
}

TShiftState ShiftOfKey(const QKeyEvent* e) { return ModifiersToShift(e->modifiers()); }

