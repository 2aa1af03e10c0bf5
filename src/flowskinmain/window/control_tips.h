#pragma once
// The tooltip of every control: what it does and, for numbers, the unit. The
// range of an up-down is taken from the control itself, so it cannot drift
// from the control's definition.
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

struct TControlTip {
  const char* name;  // object name of the control
  const char* text;  // what it does, with the unit of its number
};

// Every control of the window and its tooltip text.
const std::vector<TControlTip>& ControlTips();

// The text shown for an up-down: its own text followed by its range
// ("Range -100..100", with the step when it is not 1).
QString UpDownTip(const QString& text, int min, int max, int increment);

// Gives every control under root named in ControlTips its tooltip; an up-down
// also gives it to its edit box and its label. Returns the names of the table
// that match no control under root (none for the main window).
QStringList ApplyControlTips(QWidget* root);
