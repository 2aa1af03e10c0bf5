#pragma once
// A one-line label that never asks for more width than it gets: a text
// longer than the label is cut with "…" at its end, and the whole text shows
// as the label's tooltip.
#include <QLabel>

class TElidedLabel : public QLabel {
 public:
  explicit TElidedLabel(const QString& text = {}, QWidget* parent = nullptr);
  QSize minimumSizeHint() const override;
  // True when the text shown is cut (as of the last paint).
  bool Elided() const { return elided_; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  bool event(QEvent* e) override;

 private:
  bool elided_ = false;
};
