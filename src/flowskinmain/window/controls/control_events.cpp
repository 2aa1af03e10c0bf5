#include "window/controls/control_events.h"

#include <QKeyEvent>
#include <QMouseEvent>

int VirtualKeyOf(const QKeyEvent* e) {
  const int k = e->key();
  switch (k) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 9;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
      return 18;
    case Qt::Key_Pause:
      return 19;
    case Qt::Key_CapsLock:
      return 20;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      return 187;
    case Qt::Key_Comma:
      return 188;
    case Qt::Key_Minus:
      return 189;
    case Qt::Key_Period:
      return 190;
    default:
      break;
  }
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
  if ((k >= '0' && k <= '9') || (k >= 'A' && k <= 'Z') || k == ' ') return k;
  // Other characters keep their code; keys without a code of their own (other
  // function keys, or none at all) get 255, never 0, which would mean "swallowed".
  if (k > 0 && k < Qt::Key_Escape) return k & 0xFFFF ? k & 0xFFFF : 255;
  return 255;
}

static TShiftState ModifiersToShift(Qt::KeyboardModifiers m) {
  TShiftState s;
  s.shift = m.testFlag(Qt::ShiftModifier);
  s.alt = m.testFlag(Qt::AltModifier);
  s.ctrl = m.testFlag(Qt::ControlModifier);
  return s;
}

TShiftState ShiftOfKey(const QKeyEvent* e) { return ModifiersToShift(e->modifiers()); }
