#pragma once
// Buttons of the window with the event semantics the handlers rely on:
//  - TButton: OnClick on a user click (or Click()).
//  - TSpeedButton: a toggle button that stays down until clicked again; a click
//    flips Down() and then raises OnClick; SetDown raises nothing.
//  - TCheckBox: OnClick whenever the checked state changes, by the user or by
//    SetChecked (presets rely on that: a write runs the control's notification).
//  - TRadioButton: OnClick when it becomes checked, by the user or by SetChecked;
//    the buttons sharing a parent widget form one group.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "window/controls/control_events.h"

class TButton : public QPushButton {
 public:
  TButton(const QString& name, const QString& caption, QWidget* parent = nullptr);
  void Click() { click(); }
  TNotifyEvent OnClick;
};

class TSpeedButton : public QToolButton {
 public:
  TSpeedButton(const QString& name, const QString& caption, QWidget* parent = nullptr);
  bool Down() const { return isChecked(); }
  void SetDown(bool d);
  TNotifyEvent OnClick;
};

class TCheckBox : public QCheckBox {
 public:
  TCheckBox(const QString& name, const QString& caption, bool checked, QWidget* parent = nullptr);
  bool Checked() const { return isChecked(); }
  void SetChecked(bool c) { setChecked(c); }
  TNotifyEvent OnClick;
};

class TRadioButton : public QRadioButton {
 public:
  TRadioButton(const QString& name, const QString& caption, bool checked, QWidget* parent = nullptr);
  bool Checked() const { return isChecked(); }
  void SetChecked(bool c) { setChecked(c); }
  TNotifyEvent OnClick;
};
