#include "window/controls/control_updown.h"

#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <algorithm>
#include <cstdint>

namespace {

int Clamp16(int v) { return std::clamp(v, int(INT16_MIN), int(INT16_MAX)); }

QToolButton* ArrowButton(Qt::ArrowType arrow, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setArrowType(arrow);
  b->setAutoRepeat(true);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

}  // namespace

TUpDown::TUpDown(const QString& name, TEdit* associate, int min, int max, int position, int increment, bool horizontal,
                 QWidget* parent)
    : QWidget(parent),
      edit_(associate),
      min_(Clamp16(min)),
      max_(Clamp16(max)),
      increment_(increment),
      position_(std::clamp(Clamp16(position), min_, max_)),
      horizontal_(horizontal) {
  setObjectName(name);
  QBoxLayout* box = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(this)) : new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  QToolButton* next = ArrowButton(horizontal ? Qt::RightArrow : Qt::UpArrow, this);
  QToolButton* prev = ArrowButton(horizontal ? Qt::LeftArrow : Qt::DownArrow, this);
  if (horizontal) {
    box->addWidget(prev);
    box->addWidget(next);
    setFixedSize(32, 20);
  } else {
    box->addWidget(next);
    box->addWidget(prev);
    setFixedSize(16, 22);
    next->setFixedSize(16, 11);
    prev->setFixedSize(16, 11);
  }
  if (horizontal) {
    next->setFixedSize(16, 20);
    prev->setFixedSize(16, 20);
  }
  connect(next, &QToolButton::clicked, this, [this] { Click(TUDBtnType::Next); });
  connect(prev, &QToolButton::clicked, this, [this] { Click(TUDBtnType::Prev); });
  edit_->SetText(QString::number(position_));
  edit_->before_change = [this] { TakeTypedText(); };
}

void TUpDown::SetPosition(int p) {
  position_ = std::clamp(Clamp16(p), min_, max_);
  edit_->SetText(QString::number(position_));
}

void TUpDown::Click(TUDBtnType button) {
  SetPosition(button == TUDBtnType::Next ? position_ + increment_ : position_ - increment_);
  if (OnClick) OnClick(this, button);
}

void TUpDown::TakeTypedText() {
  bool ok = false;
  const int v = edit_->Text().trimmed().toInt(&ok);
  if (ok && v >= min_ && v <= max_) position_ = v;
}

void TUpDown::ShowTrio(bool visible) {
  setVisible(visible);
  edit_->setVisible(visible);
  if (label_) label_->setVisible(visible);
}
