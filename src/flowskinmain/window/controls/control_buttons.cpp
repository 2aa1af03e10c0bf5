#include "window/controls/control_buttons.h"

TButton::TButton(const QString& name, const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
  setObjectName(name);
  setAutoDefault(false);
  connect(this, &QPushButton::clicked, this, [this] {
    if (OnClick) OnClick(this);
  });
}

TSpeedButton::TSpeedButton(const QString& name, const QString& caption, QWidget* parent) : QToolButton(parent) {
  setObjectName(name);
  setText(caption);
  setCheckable(true);
  connect(this, &QToolButton::clicked, this, [this] {
    if (OnClick) OnClick(this);
  });
}

void TSpeedButton::SetDown(bool d) {
  const bool blocked = blockSignals(true);
  setChecked(d);
  blockSignals(blocked);
}

TCheckBox::TCheckBox(const QString& name, const QString& caption, bool checked, QWidget* parent)
    : QCheckBox(caption, parent) {
  setObjectName(name);
  setChecked(checked);
  connect(this, &QCheckBox::toggled, this, [this](bool) {
    if (OnClick) OnClick(this);
  });
}

TRadioButton::TRadioButton(const QString& name, const QString& caption, bool checked, QWidget* parent)
    : QRadioButton(caption, parent) {
  setObjectName(name);
  setChecked(checked);
  connect(this, &QRadioButton::toggled, this, [this](bool on) {
    if (on && OnClick) OnClick(this);
  });
}
