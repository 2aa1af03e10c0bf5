#include "window/controls/control_edit.h"

#include <QKeyEvent>

TEdit::TEdit(const QString& name, const QString& text, QWidget* parent) : QLineEdit(parent) {
  setObjectName(name);
  setText(text);
  connect(this, &QLineEdit::textChanged, this, [this](const QString&) { TextChanged(); });
}

void TEdit::SetText(const QString& t) {
  modified_ = false;
  if (t == text()) return;
  program_write_ = true;
  setText(t);
  program_write_ = false;
}

void TEdit::TextChanged() {
  modified_ = !program_write_;
  if (before_change) before_change();
  if (OnChange) OnChange(this);
}

void TEdit::keyPressEvent(QKeyEvent* e) {
  int key = VirtualKeyOf(e);
  if (OnKeyDown) OnKeyDown(this, key, ShiftOfKey(e));
  if (key == 0) return;
  QLineEdit::keyPressEvent(e);
}

void TEdit::keyReleaseEvent(QKeyEvent* e) {
  int key = VirtualKeyOf(e);
  if (OnKeyUp) OnKeyUp(this, key, ShiftOfKey(e));
  if (key == 0) return;
  QLineEdit::keyReleaseEvent(e);
}
