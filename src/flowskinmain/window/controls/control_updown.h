#pragma once
// TUpDown: a pair of arrow buttons bound to an edit box (its associate) that
// shows the position. The position is a signed 16-bit integer kept inside
// Min..Max. Arrow clicks step by Increment (clamped, no wrap), write the new
// position into the edit as a program write (modified flag cleared, so the
// edit's OnChange runs but edit-guarded notifications do nothing), then raise
// OnClick. Text typed into the edit becomes the position when it is a whole
// number inside the range; any other text leaves the previous position.
#include <QWidget>

#include "window/controls/control_edit.h"

class QLabel;

class TUpDown : public QWidget {
 public:
  TUpDown(const QString& name, TEdit* associate, int min, int max, int position, int increment = 1,
          bool horizontal = false, QWidget* parent = nullptr);

  int Position() const { return position_; }
  // Clamps into the range and writes the edit text (a program write).
  void SetPosition(int p);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Increment() const { return increment_; }
  bool Horizontal() const { return horizontal_; }
  TEdit* Associate() const { return edit_; }

  // The label beside the pair, if any; ShowTrio shows or hides all three.
  QLabel* Label() const { return label_; }
  void SetLabel(QLabel* l) { label_ = l; }
  void ShowTrio(bool visible);

  // Simulates an arrow click (what the arrow buttons call).
  void Click(TUDBtnType button);

  TUDClickEvent OnClick;

 private:
  void TakeTypedText();

  TEdit* edit_;
  QLabel* label_ = nullptr;
  int min_, max_, increment_;
  int position_;
  bool horizontal_;
};
