#pragma once
// Event signatures of the window's controls. Every handler receives the control
// that raised the event as sender, so one handler can serve several controls
// (the redraw notification `cbshlineClick`, for example).
#include <QObject>
#include <functional>

#include "glpanel/glpanel.h"  // TMouseButton, TShiftState

using TNotifyEvent = std::function<void(QObject* sender)>;
// key is a virtual key code (13 Enter, 27 Escape, 37..40 arrows, '0'..'9', 'A'..'Z');
// a handler may set it to 0 to stop the control's own processing.
using TKeyEvent = std::function<void(QObject* sender, int& key, TShiftState shift)>;
using TMouseEvent = std::function<void(QObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;

enum class TUDBtnType { Next, Prev };  // up-down arrow: Next increments, Prev decrements
using TUDClickEvent = std::function<void(QObject* sender, TUDBtnType button)>;

class QKeyEvent;
class QMouseEvent;

// Virtual key code of a Qt key event (Enter and Return both give 13).
int VirtualKeyOf(const QKeyEvent* e);
TShiftState ShiftOfKey(const QKeyEvent* e);
// ShiftOfMouse and ButtonOfMouse come with the GL panel.
