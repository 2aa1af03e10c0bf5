#pragma once
// TEdit: a one-line edit box with a "modified" flag. Typing sets the flag; every
// program write through SetText clears it. OnChange fires after every change of
// the text, typed or written, so handlers that must act only on typing test
// Modified() (the redraw and refresh notifications do).
#include <QLineEdit>

#include "window/controls/control_events.h"

class TEdit : public QLineEdit {
 public:
  explicit TEdit(const QString& name, const QString& text = QString(), QWidget* parent = nullptr);

  QString Text() const { return text(); }
  // Program write: clears the modified flag; OnChange fires if the text changes.
  void SetText(const QString& t);
  bool Modified() const { return modified_; }
  void SetModified(bool m) { modified_ = m; }

  TNotifyEvent OnChange;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  // Runs before OnChange on every text change; the paired up-down takes the
  // typed position here so that OnChange handlers already read it.
  std::function<void()> before_change;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;

 private:
  void TextChanged();
  bool modified_ = false;
  bool program_write_ = false;
};
